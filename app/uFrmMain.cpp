// The main window's own part: construction, start-up, the edition list and the link labels.
//
// How the other folders plug in: every handler is a member of TFrmMain, defined in the folder of
// its subsystem (browse/, search/, windows/). Its signal connections live in one place,
// app/uFrmMainBindings.cpp (TFrmMain::bindWidgets): whoever lands a handler adds the connections
// of the widgets that raise it there, each through run(...) so that guard() stands between the
// event loop and the handler. Data bindings of grids, memos and the edition list are all made
// there already; fillers only reload queries and set column titles or fields.
#include "app/uFrmMain.h"

#include "app/ClickThroughPopup.h"
#include "app/Dialogs.h"
#include "app/DisplayText.h"
#include "app/LinkLabel.h"
#include "app/WindowLook.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "search/SearchKeywords.h"
#include "ui_uFrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCompleter>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QShowEvent>
#include <QToolTip>

#include <algorithm>
#include <utility>

// Resources of a static library must be registered by hand, from the global namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

TFrmMain::TFrmMain(TDtmMain &dtm, const QString &baseDirectory, const QString &databaseFile, QWidget *parent)
    : QMainWindow(parent), DtmMain(dtm), m_baseDirectory(baseDirectory), m_databaseFile(databaseFile),
      ui(std::make_unique<Ui::TFrmMain>())
{
    initResources();
    ui->setupUi(this);
    m_designedSize = size();
    // Only a least size: every page grows with the window, none shrinks below its design.
    setMinimumSize(m_designedSize);
    // Message boxes and the file dialog, which have no icon of their own, show the program's.
    QApplication::setWindowIcon(programIcon());
    setFont(windowFont());

    // Designed labels marked autoSize take the size of their text in the font actually used.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->property("autoSize").toBool())
            label->adjustSize();
    }
    // Values designed just after their captions would run into them in a font wider than the
    // designed one: each starts a few pixels after its caption's text.
    const std::pair<QLabel *, QLabel *> captioned[] = {{ui->LblDescPesquisa, ui->LblItemPesquisado},
                                                       {ui->LblRegistrosEncontrados, ui->LblNumeroRegistros}};
    for (const auto &[caption, value] : captioned)
        value->move(std::max(value->x(), caption->geometry().right() + 4), value->y());
    // The logo drawn for the screen's scale: on a scaled screen, from the picture twice as large.
    const qreal scale = devicePixelRatioF();
    if (scale > 1) {
        const QSize pixels = (QSizeF(ui->ImgLogo->size()) * scale).toSize();
        QPixmap logo = QPixmap(QStringLiteral(":/images/logo@2x.png"))
                           .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        logo.setDevicePixelRatio(scale);
        ui->ImgLogo->setPixmap(logo);
    }
    // Colours that follow the system rather than fixed values.
    QPalette menuHighlight = ui->LblLinkNovaPesquisa->palette();
    menuHighlight.setColor(QPalette::WindowText, palette().color(QPalette::Highlight));
    ui->LblLinkNovaPesquisa->setPalette(menuHighlight);
    static const QRegularExpression levelCaption(
        QStringLiteral("^LblDesc(Secao|Divisao|Grupo|Classe|SubClasse|SubClasseFixo)_+Tbs"));
    for (QLabel *label : findChildren<QLabel *>(levelCaption)) {
        label->setBackgroundRole(QPalette::Base);
        label->setAutoFillBackground(true);
    }

    makeHistoryLinks();
    growWithWindow();
    makeValuesSelectable();
    bindWidgets();
    bindKeyboard();
    makeDatabaseLinks();
    attachTakeaway();
    describeForScreenReaders();
    attachSearchHelp();
    attachOtherEditions();
    if (const QCompleter *completions = ui->EdtPesquisa->completer()) {
        new ClickThroughPopup(completions->popup());
        // The list is a window of its own: it takes the window's font, not the desktop's larger one.
        completions->popup()->setFont(font());
    }
    QToolTip::setFont(font());
    attachTextZoom();
    // A start that cannot open its database says so once the window stands (see showEvent).
    try {
        FormCreate();
    } catch (const DataError &error) {
        m_startFailure = error.message();
    } catch (const std::exception &error) {
        m_startFailure = QString::fromLocal8Bit(error.what());
    }
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const DataError &error) {
        dialogs::showError(this, error.message());
    } catch (const std::exception &error) {
        dialogs::showError(this, QString::fromLocal8Bit(error.what()));
    }
}

void TFrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    guard([this] { FormShow(); });
    if (!m_startFailure.isEmpty())
        offerOtherDatabaseAfterFailure();
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    rememberPlace();
    guard([this] { FormClose(); });
    QMainWindow::closeEvent(event);
}

QString TFrmMain::connectionStringFor(const QString &databaseFile) const
{
    QString directory = m_baseDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : m_baseDirectory;
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    // A file named on the command line is quoted, so that a ';' in its name does not end the value.
    const QChar quote = databaseFile.contains(QLatin1Char('"')) ? QLatin1Char('\'') : QLatin1Char('"');
    const QString dataSource = databaseFile.isEmpty() ? directory + QStringLiteral("Database\\ZELT.mdb")
                                                      : quote + databaseFile + quote;
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + dataSource +
           QStringLiteral(";Persist Security Info=False");
}

void TFrmMain::FormCreate()
{
    DtmMain.ADCMain.setConnectionString(connectionStringFor(m_databaseFile));
    try {
        DtmMain.ADCMain.open();
        DtmMain.QryClassificacao.open();
        DtmMain.QryDataBanco.open();
    } catch (const DataError &error) {
        throw DataError(
            databaseOpenFailure(DtmMain.ADCMain.databasePath(), DtmMain.ADCMain.isOpen(), error.message()));
    }
}

void TFrmMain::FormShow()
{
    // PgcPrincipal is a stacked widget: it has no tabs to hide.
    ui->PgcPrincipal->setCurrentIndex(0);
    // When FormCreate could not open the database or its two start-up queries (a file without
    // the catalogue, say), its error has been shown; reading a closed query would only add a
    // second dialog for the same fault. The window still gets its links and version.
    if (DtmMain.QryClassificacao.isOpen() && DtmMain.QryDataBanco.isOpen()) {
        const QString keyField = ui->CmbClassificacao->keyField();
        ui->CmbClassificacao->setKeyValue(DtmMain.QryClassificacao.fieldByName(keyField).value());
        ui->LblBD->setText(formatDatabaseDate(DtmMain.QryDataBanco.field(0).asDateTime()));
        ui->LblBD->adjustSize();
        nav.CodClassificacao = DtmMain.QryClassificacao.fieldByName(keyField).asString();
        CarregaClassificacao(nav.CodClassificacao);
    } else {
        // The designed "Abril/2003" is not a date of this database.
        ui->LblBD->clear();
    }
    MudaCaptionLink(1);
    ui->LblVersao->setText(QStringLiteral("Versão: ") + LeVersaoArquivo());
    ui->LblVersao->adjustSize();
    // The dispatcher is not run for this first showing of the home page: typing goes to the
    // search box all the same.
    ui->EdtPesquisa->setFocus(Qt::OtherFocusReason);
    m_history.visit(pageOnShow());
    updateHistoryLinks();
    showDatabaseName();
}

void TFrmMain::FormClose()
{
    DtmMain.ADCMain.close();
}

void TFrmMain::CmbClassificacaoClick()
{
    const DataLookupCombo *list = ui->CmbClassificacao;
    nav.CodClassificacao = Field(list->keyField(), list->keyValue(), false).asString();
    CarregaClassificacao(nav.CodClassificacao);
}

void TFrmMain::CarregaClassificacao(const QString &codigo)
{
    // The key goes into the statement unquoted, so anything but a whole number is refused.
    static const QRegularExpression wholeNumber(QStringLiteral("^-?[0-9]+$"));
    if (!wholeNumber.match(codigo).hasMatch())
        throw DataError(QStringLiteral("Código de classificação inválido: '%1'").arg(codigo));
    DtmMain.QryAuxiliar.reload(QStringLiteral("SELECT * FROM ZELT_Classificacao WHERE COD_CLASSIFICACAO =") +
                               codigo);
    nav.DescricaoPagina = DtmMain.QryAuxiliar.fieldByName(QStringLiteral("Descricao_Pagina")).asString();
    nav.PrefixoTabela = DtmMain.QryAuxiliar.fieldByName(QStringLiteral("Tabela")).asString();
    nav.DescricaoClassificacao = DtmMain.QryAuxiliar.fieldByName(QStringLiteral("Descricao")).asString();
    if (DtmMain.QryAuxiliar.fieldByName(QStringLiteral("Status")).asInteger() == 1)
        dialogs::showWarning(this, QStringLiteral("Esta Classificação está Congelada!"));
}

QString TFrmMain::LeVersaoArquivo()
{
    return fileVersionText(QStringLiteral(ZELT_VERSION));
}

void TFrmMain::MudaCaptionLink(int modo)
{
    const auto showLink = [](LinkLabel *link, const QString &caption, int tag) {
        link->setText(caption);
        link->adjustSize();
        link->setTag(tag);
        link->setVisible(true);
    };
    switch (modo) {
    case 1:
        ui->LblDivisor->setVisible(true);
        showLink(ui->LblLinkCabecalho1, QStringLiteral("Sobre a Pesquisa..."), 1);
        showLink(ui->LblLinkCabecalho2, QStringLiteral("Pesquisa Avançada..."), 2);
        break;
    case 2:
        ui->LblDivisor->setVisible(true);
        showLink(ui->LblLinkCabecalho1, QStringLiteral("Topo da Estrutura..."), 3);
        showLink(ui->LblLinkCabecalho2, QStringLiteral("Nova Pesquisa..."), 4);
        break;
    case 3:
        ui->LblDivisor->setVisible(false);
        ui->LblLinkCabecalho1->setVisible(false);
        ui->LblLinkCabecalho2->setVisible(false);
        break;
    default:
        break;
    }
}

void TFrmMain::LblLicencaClick()
{
    AbreJanelaAjuda(1);
}

void TFrmMain::LblLinkCabecalho1MouseMove(QObject *Sender)
{
    if (auto *label = qobject_cast<QLabel *>(Sender))
        setUnderlined(label, true);
}

void TFrmMain::LblLinkCabecalho1MouseLeave(QObject *Sender)
{
    if (auto *label = qobject_cast<QLabel *>(Sender))
        setUnderlined(label, false);
}

void TFrmMain::LblLicencaMouseMove()
{
    setUnderlined(ui->LblLicenca, true);
}

void TFrmMain::LblLicencaMouseLeave()
{
    setUnderlined(ui->LblLicenca, false);
}

// Level links get the hand only from here; a label with a nonzero Tag is left alone.
void TFrmMain::Mouse_Over(QObject *Sender)
{
    auto *label = qobject_cast<LinkLabel *>(Sender);
    if (!label || label->Tag() != 0)
        return;
    if (label->cursor().shape() != Qt::PointingHandCursor)
        label->setCursor(Qt::PointingHandCursor);
    setUnderlined(label, true);
}

void TFrmMain::Mouse_Out(QObject *Sender)
{
    auto *label = qobject_cast<LinkLabel *>(Sender);
    if (!label || label->Tag() != 0)
        return;
    label->unsetCursor();
    setUnderlined(label, false);
}
