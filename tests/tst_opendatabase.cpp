// Another database opened from inside the program: Ctrl+O and the file dialog, a file that does
// not open leaving the one in use, the files opened last, and the choice after a failed start.
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/ProgramSettings.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

QString titleFor(const QString &path)
{
    const QFileInfo file(path);
    return QStringLiteral("ZELTWeb - %1 (%2)")
        .arg(file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
}

} // namespace

class TestOpenDatabase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void ctrlOReplacesOnlyWhatOpens();
    void recentFilesComeBack();
    void recentListStaysShort();
    void failedStartOffersAnotherFile();

private:
    std::unique_ptr<RunningWindow> start(const QString &base);

    dialogs::Recorder m_recorder;
    std::unique_ptr<QTemporaryDir> m_settings;
    DatabaseFolder m_first;
    DatabaseFolder m_second;
};

void TestOpenDatabase::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    if (!QFile::exists(m_first.databasePath())) {
        QCOMPARE(m_first.create(tiny::database()), QString());
        QCOMPARE(m_second.create(tiny::database() +
                                 QStringList{QStringLiteral("UPDATE ZELT_Classificacao SET Descricao = "
                                                            "'Segunda ' || Descricao")}),
                 QString());
    }
}

void TestOpenDatabase::cleanup()
{
    dialogs::installRecorder(nullptr);
}

std::unique_ptr<RunningWindow> TestOpenDatabase::start(const QString &base)
{
    auto r = startWindow(base);
    r->window->activateWindow();
    if (!QTest::qWaitForWindowActive(r->window.get()))
        return nullptr;
    return r;
}

void TestOpenDatabase::ctrlOReplacesOnlyWhatOpens()
{
    auto r = start(m_first.baseDirectory());
    QVERIFY(r);
    QWindow *window = r->window->windowHandle();
    QCOMPARE(r->window->windowTitle(), titleFor(m_first.databasePath()));
    QString offered;
    m_recorder.onOpenFile = [&](QFileDialog &dialog) {
        offered = dialog.directory().absolutePath();
        return m_second.databasePath();
    };
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(offered, QFileInfo(m_first.databasePath()).absolutePath());
    QCOMPARE(r->window->windowTitle(), titleFor(m_second.databasePath()));
    QCOMPARE(r->find<QLabel>(QStringLiteral("LblBD"))->toolTip(),
             QStringLiteral("Banco de dados: ") + QDir::toNativeSeparators(m_second.databasePath()));
    QVERIFY(r->window->nav.DescricaoClassificacao.startsWith(QStringLiteral("Segunda ")));
    QCOMPARE(r->page(), 0);
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));

    // An empty file, then one missing: told why, and the second database stays in use.
    QTemporaryDir junk;
    const QString empty = junk.filePath(QStringLiteral("vazio.mdb"));
    QFile(empty).open(QIODevice::WriteOnly);
    for (const QString &bad : {empty, junk.filePath(QStringLiteral("nada.mdb"))}) {
        m_recorder.errors.clear();
        m_recorder.onOpenFile = [&](QFileDialog &) { return bad; };
        clickLink(r->find<LinkLabel>(QStringLiteral("LblAbrirBanco")));
        QCOMPARE(m_recorder.errors.size(), 1);
        const QString message = m_recorder.errors.first();
        QVERIFY2(message.startsWith(QStringLiteral("Não foi possível abrir o banco de dados ") + bad),
                 qPrintable(message));
        QVERIFY2(message.endsWith(QStringLiteral(" continua aberto.")), qPrintable(message));
        QCOMPARE(r->window->windowTitle(), titleFor(m_second.databasePath()));
        QVERIFY(r->window->nav.DescricaoClassificacao.startsWith(QStringLiteral("Segunda ")));
    }
    // And it still searches.
    m_recorder.errors.clear();
    browseDown(*r, {1});
    QCOMPARE(r->page(), 2);
    QCOMPARE(r->window->nav.CodSecao, QStringLiteral("B"));
    QVERIFY(m_recorder.errors.isEmpty());

    // Cancelled: nothing changes.
    m_recorder.onOpenFile = nullptr;
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(r->window->windowTitle(), titleFor(m_second.databasePath()));
    QVERIFY(m_recorder.errors.isEmpty());
}

// The files opened last are offered again under "Recentes...", newest first, the open one left out.
void TestOpenDatabase::recentFilesComeBack()
{
    auto r = start(m_first.baseDirectory());
    QVERIFY(r);
    r->window->openDatabase(m_second.databasePath());
    QCOMPARE(ProgramSettings().recentDatabases(),
             QStringList({m_second.databasePath(), m_first.databasePath()}));
    clickLink(r->find<LinkLabel>(QStringLiteral("LblBancosRecentes")));
    auto *menu = r->window->findChild<QMenu *>(QStringLiteral("MnuBancosRecentes"));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().first()->text(), QDir::toNativeSeparators(m_first.databasePath()));
    menu->actions().first()->trigger();
    menu->close();
    QCOMPARE(r->window->windowTitle(), titleFor(m_first.databasePath()));
    QVERIFY2(m_recorder.errors.isEmpty(), qPrintable(m_recorder.errors.join('\n')));
}

// A list left by earlier runs, with a blank and a repeated entry: the menu offers the newest files
// once each, six at most counting the one in use, which heads the list now.
void TestOpenDatabase::recentListStaysShort()
{
    QStringList earlier;
    for (int i = 1; i <= 8; ++i)
        earlier.append(QStringLiteral("/dados/antigo%1.mdb").arg(i));
    earlier.insert(1, QString());
    earlier.insert(3, earlier.first());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZELT"), QStringLiteral("ZELT"))
        .setValue(QStringLiteral("BancosRecentes"), earlier);

    auto r = start(m_first.baseDirectory());
    QVERIFY(r);
    clickLink(r->find<LinkLabel>(QStringLiteral("LblBancosRecentes")));
    auto *menu = r->window->findChild<QMenu *>(QStringLiteral("MnuBancosRecentes"));
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QStringList offered;
    for (const QAction *action : menu->actions())
        offered.append(action->text());
    menu->close();
    QStringList expected;
    for (int i = 1; i <= 5; ++i)
        expected.append(QDir::toNativeSeparators(QStringLiteral("/dados/antigo%1.mdb").arg(i)));
    QCOMPARE(offered, expected);
    QCOMPARE(ProgramSettings().recentDatabases().first(), m_first.databasePath());
}

// A start without its database: the message once the window stands, and "Abrir outro arquivo..."
// there, which opens the chosen file.
void TestOpenDatabase::failedStartOffersAnotherFile()
{
    QTemporaryDir nothing;
    m_recorder.openOtherDatabase = true;
    m_recorder.onOpenFile = [&](QFileDialog &) { return m_second.databasePath(); };
    RunningWindow r;
    r.window = std::make_unique<TFrmMain>(r.dtm, nothing.path());
    QVERIFY(m_recorder.errors.isEmpty()); // not before the window shows
    r.window->show();
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors.first().contains(QStringLiteral("arquivo não encontrado")),
             qPrintable(m_recorder.errors.first()));
    QCOMPARE(r.window->windowTitle(), titleFor(m_second.databasePath()));
    QVERIFY(r.window->nav.DescricaoClassificacao.startsWith(QStringLiteral("Segunda ")));
    QCOMPARE(m_recorder.errors.size(), 1);
}

QTEST_MAIN(TestOpenDatabase)
#include "tst_opendatabase.moc"
