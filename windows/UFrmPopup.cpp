#include "windows/UFrmPopup.h"

#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/GrowingLayout.h"
#include "app/LinkLabel.h"
#include "app/TextZoom.h"
#include "app/WindowLook.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "ui_UFrmPopup.h"
#include "windows/PopupAccessibility.h"
#include "windows/ReflowingMemo.h"

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

// Resources of a static library must be registered by hand, from the global namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace
{

const QSize kDesignedSize(488, 359);

// The memos of this window are parts of its fixed layout (an example beside its explanation), so
// none scrolls on its own: a wheel turn over one goes on to the page that holds it, and neither
// the keyboard nor a drag past its edge can reach its text.
class FixedMemo : public QObject
{
public:
    explicit FixedMemo(QPlainTextEdit *memo) : QObject(memo)
    {
        memo->setFocusPolicy(Qt::NoFocus);
        memo->setTextInteractionFlags(Qt::NoTextInteraction);
        memo->installEventFilter(this);
        memo->viewport()->installEventFilter(this);
        for (QWidget *holder = memo->parentWidget(); holder && !m_page; holder = holder->parentWidget())
            m_page = qobject_cast<QAbstractScrollArea *>(holder);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        if (m_page)
            QCoreApplication::sendEvent(m_page->verticalScrollBar(), event);
        return true;
    }

private:
    QAbstractScrollArea *m_page = nullptr;
};

} // namespace

TFrmPopup::TFrmPopup(TDtmMain &dtm, QWidget *parent)
    : QDialog(parent), DtmMain(dtm), ui(std::make_unique<Ui::TFrmPopup>())
{
    initResources();
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    setFont(windowFont());
    // The designed size is the least; a larger window gives its room to the texts.
    setMinimumSize(kDesignedSize);
    resize(kDesignedSize);

    // Designed labels marked autoSize take the size of their text in the font actually used.
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label->property("autoSize").toBool())
            label->adjustSize();
    }

    // The memos were designed line for line, without the editor's usual inner margin.
    for (QPlainTextEdit *memo : findChildren<QPlainTextEdit *>()) {
        memo->document()->setDocumentMargin(0);
        new FixedMemo(memo);
    }
    // Where two links share the top row, the first ends just before the divider whatever the
    // font's width.
    const struct {
        QLabel *first;
        QLabel *divider;
    } rows[] = {{ui->Label8, ui->LblDivisor}, {ui->Label5, ui->Label11}, {ui->Label22, ui->Label7}};
    for (const auto &row : rows) {
        const int right = row.divider->x() - 4;
        if (row.first->geometry().right() >= right)
            row.first->move(right - row.first->width(), row.first->y());
    }

    // The grid's titles stand on grey text colour (the classic scheme's clGrayText), not silver.
    const QColor grayText(0x80, 0x80, 0x80);
    QHeaderView *titles = ui->DBGrid1->horizontalHeader();
    QPalette titleColors = titles->palette();
    titleColors.setColor(QPalette::Button, grayText);
    titleColors.setColor(QPalette::Window, grayText);
    titles->setPalette(titleColors);

    growWithWindow();
    bindWidgets();
    zoomTexts();
    describeHelpWindow(this);
}

TFrmPopup::~TFrmPopup() = default;

// Each page's rules and explanation texts widen with the window and the links at the top right
// follow its edge; the synonym table takes the extra height. The examples set side by side keep
// their designed width; the texts written line for line flow over the room. A page taller than
// the window scrolls.
void TFrmPopup::growWithWindow()
{
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(ui->PgcPrincipal);
    for (QScrollArea *page :
         {ui->ScrTbsLicenca, ui->ScrSobrePesquisa, ui->ScrPesquisaAvancada, ui->ScrollBox1}) {
        QWidget *content = page->widget();
        QSize designed(kDesignedSize.width(), std::max(kDesignedSize.height(), content->minimumHeight()));
        if (content->minimumHeight() > kDesignedSize.height())
            designed.rwidth() -=
                page->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, page->verticalScrollBar());
        auto *layout = new GrowingLayout(content, designed);
        for (QWidget *child : content->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            const QString name = child->objectName();
            const bool topRow = child->y() < 20;
            if (topRow && child->x() > designed.width() / 3)
                layout->followRight(child);
            else if (auto *grid = qobject_cast<DataGrid *>(child))
                layout->setList(grid);
            else if (name.endsWith(QLatin1String("Linha1")) || name.endsWith(QLatin1String("Linha2")))
                layout->widen(child);
            else if (auto *memo = qobject_cast<QPlainTextEdit *>(child);
                     memo && child->width() > designed.width() * 3 / 4) {
                layout->widen(memo);
                if (memo->lineWrapMode() == QPlainTextEdit::NoWrap)
                    new ReflowingMemo(memo);
            }
        }
    }
}

// The window opens at the texts' size of the main window, built at the designed size first.
void TFrmPopup::zoomTexts()
{
    const qreal factor = TextZoom::instance().factor();
    if (factor == 1)
        return;
    setFont(zoomedFont(windowFont(), factor));
    for (QScrollArea *page :
         {ui->ScrTbsLicenca, ui->ScrSobrePesquisa, ui->ScrPesquisaAvancada, ui->ScrollBox1}) {
        QWidget *content = page->widget();
        content->setMinimumHeight(zoomed(content->minimumHeight(), factor));
        GrowingLayout::of(content)->setScale(factor);
    }
    QHeaderView *rows = ui->DBGrid1->verticalHeader();
    rows->setDefaultSectionSize(zoomed(rows->defaultSectionSize(), factor));
    for (int column = 0; column < ui->DBGrid1->horizontalHeader()->count(); ++column)
        ui->DBGrid1->setColumnWidth(column, zoomed(ui->DBGrid1->columnWidth(column), factor));
    setMinimumSize(zoomedSize(kDesignedSize, factor));
    resize(minimumSize());
}

void TFrmPopup::bindWidgets()
{
    ui->DBGrid1->bind(DtmMain.DtsSinonimo,
                      {{QStringLiteral("PALAVRA_SIN"), QStringLiteral("PALAVRA"), 201, {}},
                       {QStringLiteral("SINONIMO_SIN"), QStringLiteral("SINONIMO"), 196, {}}});
    ui->DBGrid1->setColumnsResizable(false);

    const auto run = [this](std::function<void()> handler) { return [this, handler] { guard(handler); }; };
    const struct {
        LinkLabel *link;
        void (TFrmPopup::*click)();
    } links[] = {
        {ui->LblLinkFecharJanela, &TFrmPopup::LblLinkFecharJanelaClick},
        {ui->Label8, &TFrmPopup::Label8Click},
        {ui->Label3, &TFrmPopup::Label3Click},
        {ui->Label5, &TFrmPopup::Label5Click},
        {ui->Label12, &TFrmPopup::Label3Click},
        {ui->Label14, &TFrmPopup::Label14Click},
        {ui->Label22, &TFrmPopup::Label22Click},
        {ui->Label23, &TFrmPopup::Label3Click},
    };
    for (const auto &entry : links) {
        LinkLabel *link = entry.link;
        const auto click = entry.click;
        connect(link, &LinkLabel::clicked, this, run([this, click] { (this->*click)(); }));
        connect(link, &LinkLabel::mouseMoved, this, run([this, link] { Mouse_Over(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link] { Mouse_Out(link); }));
    }
}

void TFrmPopup::guard(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const DataError &error) {
        dialogs::showError(this, error.message());
    } catch (const std::exception &error) {
        dialogs::showError(this, QString::fromLocal8Bit(error.what()));
    }
}

void TFrmPopup::AbrePagina(int Pagina)
{
    // PgcPrincipal is a stacked widget: it has no tabs to hide.
    switch (Pagina) {
    case 1:
        ui->PgcPrincipal->setCurrentIndex(0);
        PgcPrincipalChange();
        setWindowTitle(QStringLiteral("Licença"));
        break;
    case 2:
        OpenTbsSobrePesquisa();
        setWindowTitle(QStringLiteral("Sobre a Pesquisa"));
        break;
    case 3:
        OpenTbsPesquisaAvancada();
        setWindowTitle(QStringLiteral("Pesquisa Avançada"));
        break;
    default:
        break;
    }
    centreOnMainWindow();
    dialogs::execModal(*this);
}

// The window has no owner, yet opens over the program's main window (or mid-screen without one).
void TFrmPopup::centreOnMainWindow()
{
    QRect area;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(window) && window->isVisible()) {
            area = window->frameGeometry();
            break;
        }
    }
    if (area.isNull()) {
        if (const QScreen *desktop = QGuiApplication::primaryScreen())
            area = desktop->availableGeometry();
    }
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void TFrmPopup::OpenTbsSobrePesquisa()
{
    ui->PgcPrincipal->setCurrentIndex(1);
    PgcPrincipalChange();
}

void TFrmPopup::OpenTbsPesquisaAvancada()
{
    ui->PgcPrincipal->setCurrentIndex(2);
    PgcPrincipalChange();
}

void TFrmPopup::OpenTbsSinonimo()
{
    ui->PgcPrincipal->setCurrentIndex(3);
    PgcPrincipalChange();
}

// Each visit to the synonym page shows the table as it stands, from its first row.
void TFrmPopup::PgcPrincipalChange()
{
    if (ui->PgcPrincipal->currentIndex() != 3)
        return;
    DtmMain.QrySinonimo.close();
    DtmMain.QrySinonimo.open();
}

void TFrmPopup::fecharjanela()
{
    close();
}

void TFrmPopup::LblLinkFecharJanelaClick()
{
    fecharjanela();
}

void TFrmPopup::Label3Click()
{
    fecharjanela();
}

void TFrmPopup::Label5Click()
{
    OpenTbsSobrePesquisa();
}

void TFrmPopup::Label8Click()
{
    OpenTbsPesquisaAvancada();
}

void TFrmPopup::Label14Click()
{
    OpenTbsSinonimo();
}

void TFrmPopup::Label22Click()
{
    OpenTbsPesquisaAvancada();
}

void TFrmPopup::Mouse_Over(QObject *Sender)
{
    if (auto *label = qobject_cast<QLabel *>(Sender))
        setUnderlined(label, true);
}

void TFrmPopup::Mouse_Out(QObject *Sender)
{
    if (auto *label = qobject_cast<QLabel *>(Sender))
        setUnderlined(label, false);
}
