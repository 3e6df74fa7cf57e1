// The database in use: another one opened from inside the program ("Abrir banco de dados...",
// Ctrl+O, on the home page), the files opened last, the choice offered after a failed start, and
// the open file's name in the title and beside its date.
#include "app/uFrmMain.h"

#include "app/Dialogs.h"
#include "app/DisplayText.h"
#include "app/LinkLabel.h"
#include "app/ProgramSettings.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>

void TFrmMain::makeDatabaseLinks()
{
    // Under the database's date and version, where the home page says which database is open.
    auto *open = new LinkLabel(ui->TbSPrincipal);
    open->setObjectName(QStringLiteral("LblAbrirBanco"));
    open->setText(QStringLiteral("Abrir banco de dados..."));
    open->setToolTip(QStringLiteral("Abre outro arquivo de banco de dados (Ctrl+O)"));
    open->setCursor(Qt::PointingHandCursor);
    open->adjustSize();
    open->move(ui->LblDescricacaoBD->x(), ui->LblVersao->y() + 18);
    m_recentLink = new LinkLabel(ui->TbSPrincipal);
    m_recentLink->setObjectName(QStringLiteral("LblBancosRecentes"));
    m_recentLink->setText(QStringLiteral("Recentes..."));
    m_recentLink->setToolTip(QStringLiteral("Os arquivos abertos por último"));
    m_recentLink->setCursor(Qt::PointingHandCursor);
    m_recentLink->adjustSize();
    m_recentLink->move(open->geometry().right() + 12, open->y());
    setTabOrder(ui->LblLicenca, open);
    setTabOrder(open, m_recentLink);
    for (LinkLabel *link : {open, m_recentLink}) {
        connect(link, &LinkLabel::mouseMoved, this, [this, link] { LblLinkCabecalho1MouseMove(link); });
        connect(link, &LinkLabel::mouseLeft, this, [this, link] { LblLinkCabecalho1MouseLeave(link); });
    }
    connect(open, &LinkLabel::clicked, this, [this] { guard([this] { openDatabaseDialog(); }); });
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            [this] { guard([this] { openDatabaseDialog(); }); });

    // The recent files as a menu under the link; the open one is not among them.
    connect(m_recentLink, &LinkLabel::clicked, this, [this] {
        auto *menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("MnuBancosRecentes"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        const QString current = DtmMain.ADCMain.isOpen() ? DtmMain.ADCMain.databasePath() : QString();
        for (const QString &path : ProgramSettings().recentDatabases()) {
            if (path == current)
                continue;
            QAction *entry = menu->addAction(QDir::toNativeSeparators(path));
            connect(entry, &QAction::triggered, this,
                    [this, path] { guard([this, path] { openDatabase(path); }); });
        }
        if (menu->isEmpty())
            menu->addAction(QStringLiteral("(nenhum outro arquivo)"))->setEnabled(false);
        menu->popup(m_recentLink->mapToGlobal(QPoint(0, m_recentLink->height())));
    });
}

void TFrmMain::openDatabaseDialog()
{
    const QString current = DtmMain.ADCMain.isOpen() ? DtmMain.ADCMain.databasePath() : QString();
    const QStringList recent = ProgramSettings().recentDatabases();
    const QString folder = !current.isEmpty() ? QFileInfo(current).absolutePath()
                           : recent.isEmpty() ? QDir::homePath()
                                              : QFileInfo(recent.first()).absolutePath();
    const QString file = dialogs::chooseOpenFile(
        this, QStringLiteral("Abrir banco de dados"), folder,
        QStringLiteral("Bancos de dados (*.mdb *.accdb *.sqlite *.sqlite3 *.db);;Todos os arquivos (*)"));
    if (!file.isEmpty())
        openDatabase(file);
}

// The file is tried on a data module of its own first: one that does not open (missing, damaged,
// without the catalogue) leaves the database in use open and on show.
void TFrmMain::openDatabase(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    {
        TDtmMain trial;
        trial.ADCMain.setConnectionString(connectionStringFor(path));
        try {
            trial.ADCMain.open();
            trial.QryClassificacao.open();
            trial.QryDataBanco.open();
        } catch (const DataError &error) {
            QString message = databaseOpenFailure(path, trial.ADCMain.isOpen(), error.message());
            if (DtmMain.ADCMain.isOpen())
                message += QStringLiteral("\n\nO banco de dados %1 continua aberto.")
                               .arg(QDir::toNativeSeparators(DtmMain.ADCMain.databasePath()));
            throw DataError(message);
        }
    }
    // Nothing of the old file stays on show.
    Query *const queries[] = {
        &DtmMain.QryClassificacao, &DtmMain.QryDataBanco, &DtmMain.QryEstrutura, &DtmMain.QryAuxiliar,
        &DtmMain.QrySecao,         &DtmMain.QrySecaoAux,  &DtmMain.QryDivisao,   &DtmMain.QryDivisaoAux,
        &DtmMain.QryGrupo,         &DtmMain.QryGrupoAux,  &DtmMain.QryClasse,    &DtmMain.QryClasseAux,
        &DtmMain.QrySubClasse,     &DtmMain.QrySinonimo,  &DtmMain.QryPesquisa,  &DtmMain.QryPesquisaAux};
    for (Query *query : queries)
        query->close();
    DtmMain.ADCMain.close();
    m_databaseFile = path;
    m_startFailure.clear();
    nav = NavigationState();
    m_history = PageHistory();
    FormCreate();
    FormShow();
}

// The file in use in the title, after the form's own, and in full beside its date; it heads the
// recent files.
void TFrmMain::showDatabaseName()
{
    if (!DtmMain.ADCMain.isOpen()) {
        setWindowTitle(QStringLiteral("ZELTWeb"));
        ui->LblBD->setToolTip(QString());
        return;
    }
    const QString path = DtmMain.ADCMain.databasePath();
    const QFileInfo file(path);
    setWindowTitle(QStringLiteral("ZELTWeb - %1 (%2)")
                       .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath())));
    const QString where = QStringLiteral("Banco de dados: %1").arg(QDir::toNativeSeparators(path));
    ui->LblBD->setToolTip(where);
    ui->LblDescricacaoBD->setToolTip(where);
    ProgramSettings().rememberDatabase(path);
}

// Shown over the window once it stands, not at the screen's corner before it; the choice opens
// the file dialog at once.
void TFrmMain::offerOtherDatabaseAfterFailure()
{
    const QString message = m_startFailure;
    m_startFailure.clear();
    if (dialogs::offerOtherDatabase(this, message))
        guard([this] { openDatabaseDialog(); });
}
