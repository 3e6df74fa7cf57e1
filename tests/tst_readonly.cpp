// The program only reads its database: after a session of browsing and searching through the real
// window the file is unchanged, nothing appeared beside it, and other programs can still lock it
// for writing while the window holds its connection.
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sqlite3.h>

#include "support/WindowDriver.h"
#include "TestPaths.h"

namespace
{

// What a write of any kind would change.
struct FileState {
    QByteArray hash;
    QDateTime modified;
    QStringList folder; // every entry of the database's folder

    bool operator==(const FileState &other) const
    {
        return hash == other.hash && modified == other.modified && folder == other.folder;
    }
};

FileState stateOf(const QString &path)
{
    FileState state;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        state.hash = hash.result().toHex();
    }
    state.modified = QFileInfo(path).fileTime(QFileDevice::FileModificationTime);
    state.folder = QFileInfo(path).dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    return state;
}

QString describe(const FileState &state)
{
    return QStringLiteral("%1 %2 [%3]")
        .arg(QString::fromLatin1(state.hash), state.modified.toString(Qt::ISODateWithMs),
             state.folder.join(QStringLiteral(", ")));
}

// An old modification time, so that a write in the same second as the copy still shows.
bool backdate(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime);
}

// Runs statements on the file as another program would; the empty text or SQLite's message.
QString runElsewhere(const QString &path, const QStringList &statements, const QString &close = {})
{
    sqlite3 *db = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        error = QString::fromUtf8(sqlite3_errmsg(db));
    // No waiting: a lock held by the window must show as a failure, not as a delay.
    sqlite3_busy_timeout(db, 0);
    for (const QString &statement : statements) {
        if (!error.isEmpty())
            break;
        if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            error = statement + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    if (!close.isEmpty())
        sqlite3_exec(db, close.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return error;
}

} // namespace

class TestReadOnly : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void sessionLeavesTheFileAlone_data();
    void sessionLeavesTheFileAlone();
    void accessFileLeftAlone();

private:
    void session(RunningWindow &running);
    void search(RunningWindow &running, const QString &text);

    dialogs::Recorder m_recorder;
};

void TestReadOnly::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
}

void TestReadOnly::cleanup()
{
    dialogs::installRecorder(nullptr);
}

void TestReadOnly::search(RunningWindow &running, const QString &text)
{
    running.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    QTest::mouseClick(running.find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
}

// Every kind of statement the program runs: the catalogue, each level page, notes, the stop-word
// lookups, searches, a search failing in the engine, a jump from a result, an activity listing.
void TestReadOnly::session(RunningWindow &running)
{
    const QStringList editions = {QStringLiteral("ZELT 2.0"), QStringLiteral("ZELT 2.1 - Subclasses")};
    for (const QString &edition : editions) {
        pickEdition(running, edition);
        browseDown(running, {0, 0, 0, 0});
        QCOMPARE(running.page(), 5);
        clickLink(running.find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsClasse")));
        clickLink(running.find<LinkLabel>(QStringLiteral("LblListarAtividades_TbsClasse")));
        QCOMPARE(running.page(), 7);
        search(running, QStringLiteral("venda de *arro* -usados"));
        QCOMPARE(running.page(), 7);
        auto *results = running.find<DataGrid>(QStringLiteral("DbgPesquisa"));
        QVERIFY(results->model()->rowCount() > 0);
        clickRow(results, 0, 1);
        QVERIFY(running.page() == 5 || running.page() == 6);
        search(running, QStringLiteral("0111"));
    }
    QCOMPARE(m_recorder.errors, QStringList());
    search(running, QStringLiteral("palavra ").repeated(200)); // too long: refused before any statement
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(m_recorder.warnings.size(), 1);
}

void TestReadOnly::sessionLeavesTheFileAlone_data()
{
    QTest::addColumn<bool>("writeAheadLog");
    QTest::newRow("rollback journal") << false;
    QTest::newRow("write-ahead log") << true;
}

void TestReadOnly::sessionLeavesTheFileAlone()
{
    QFETCH(bool, writeAheadLog);
    DatabaseFolder folder;
    // Journals and logs are SQLite's; the Access file has a test of its own below.
    QVERIFY(folder.copyFrom(QStringLiteral(ZELT_SQLITE_SAMPLE_DB)));
    const QString path = folder.databasePath();
    if (writeAheadLog)
        QCOMPARE(runElsewhere(path, {QStringLiteral("PRAGMA journal_mode=WAL")}), QString());
    QVERIFY(backdate(path));
    const FileState before = stateOf(path);
    QCOMPARE(before.folder, QStringList({QStringLiteral("ZELT.mdb")}));

    auto running = startWindow(folder.baseDirectory());
    session(*running);
    if (QTest::currentTestFailed())
        return;
    const FileState during = stateOf(path);
    QVERIFY2(during == before, qPrintable(describe(before) + QStringLiteral(" became ") + describe(during)));

    // The window keeps its connection open, yet another program can take the write lock, and
    // even the exclusive one, at once.
    QCOMPARE(runElsewhere(path, {QStringLiteral("BEGIN IMMEDIATE"), QStringLiteral("ROLLBACK")}), QString());
    QCOMPARE(runElsewhere(path, {QStringLiteral("BEGIN EXCLUSIVE"), QStringLiteral("ROLLBACK")}), QString());
    // And while the other program holds its lock, the window still reads.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    search(*running, QStringLiteral("venda"));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(m_recorder.errors, QStringList());
    QVERIFY(running->find<DataGrid>(QStringLiteral("DbgPesquisa"))->model()->rowCount() > 0);

    QVERIFY(running->window->close());
    running.reset();
    const FileState after = stateOf(path);
    QVERIFY2(after.hash == before.hash && after.folder == before.folder, qPrintable(describe(after)));
}

// An Access file that is not a ZELT database: start-up fails, and the file is as it was.
void TestReadOnly::accessFileLeftAlone()
{
    DatabaseFolder folder;
    QVERIFY(folder.copyFrom(QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb")));
    const QString path = folder.databasePath();
    QVERIFY(backdate(path));
    const FileState before = stateOf(path);

    auto running = startWindow(folder.baseDirectory());
    QCOMPARE(m_recorder.errors.size(), 1);
    search(*running, QStringLiteral("venda"));
    QVERIFY(running->window->close());
    running.reset();

    const FileState after = stateOf(path);
    QVERIFY2(after == before, qPrintable(describe(before) + QStringLiteral(" became ") + describe(after)));
}

QTEST_MAIN(TestReadOnly)
#include "tst_readonly.moc"
