// Start-up of the real main window on database files that are missing, damaged or foreign: one
// error dialog with its reason, no crash, no hang, and a window that still closes.
#include "app/Dialogs.h"
#include "app/uFrmMain.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include "support/PermissionsHonoured.h"
#include "support/ScratchDatabase.h"
#include "support/TinyClassification.h"
#include "support/WindowDriver.h"
#include "TestPaths.h"

namespace
{

#ifdef ZELT_SANITIZED
constexpr int kFlippedCopies = 12; // per source file: the sanitizer makes each start-up slow
#else
constexpr int kFlippedCopies = 40;
#endif

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray tinyDatabaseBytes()
{
    DatabaseFolder folder;
    if (!folder.create(tiny::database()).isEmpty())
        return {};
    return readAll(folder.databasePath());
}

QByteArray accessFixture()
{
    return readAll(QStringLiteral(ZELT_FIXTURES_DIR "/DateTestDatabase.mdb"));
}

QByteArray sampleDatabase()
{
    // Its bytes are flipped where an SQLite file keeps its header and schema; damaged copies of
    // the Access sample have a test of their own.
    return readAll(QStringLiteral(ZELT_SQLITE_SAMPLE_DB));
}

// A copy with `count` bytes changed at deterministic places within the first `span` bytes, where
// the header, the schema and the small tables lie.
QByteArray flipped(QByteArray bytes, quint32 seed, int count, qsizetype span)
{
    QRandomGenerator random(seed);
    const qsizetype limit = std::min(span, bytes.size());
    for (int i = 0; i < count && limit > 0; ++i) {
        const qsizetype at = qsizetype(random.bounded(quint64(limit)));
        bytes[at] = char(bytes.at(at) ^ char(1 + random.bounded(255)));
    }
    return bytes;
}

QStringList catalogueWith(const QString &row)
{
    return {QStringLiteral("CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao TEXT, "
                           "Tabela TEXT, Status INTEGER, Descricao_Pagina TEXT, Data_Atualizacao TEXT)"),
            QStringLiteral("INSERT INTO ZELT_Classificacao VALUES ") + row};
}

} // namespace

class TestBadFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void unreadableFile_data();
    void unreadableFile();
    void truncatedCopies_data();
    void truncatedCopies();
    void flippedBytes_data();
    void flippedBytes();
    void foreignOrIncompleteContent_data();
    void foreignOrIncompleteContent();
    void noReadPermission();

private:
    // Starts the window; expects one error naming `mentions`, then closes the window.
    void startExpectingError(const ScratchDatabase &db, const QString &mentions);
    // Where start-up may succeed: moves about and searches, each step giving at most one error.
    void startAndUse(const ScratchDatabase &db);

    QByteArray m_sample;
    QByteArray m_access;
    QByteArray m_tiny;
    dialogs::Recorder m_recorder;
};

void TestBadFiles::initTestCase()
{
    m_sample = sampleDatabase();
    m_access = accessFixture();
    m_tiny = tinyDatabaseBytes();
    QVERIFY2(m_sample.size() > 65536, ZELT_SQLITE_SAMPLE_DB);
    QVERIFY(m_access.size() > 8192);
    QVERIFY(m_tiny.size() > 4096);
}

void TestBadFiles::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
}

void TestBadFiles::cleanup()
{
    dialogs::installRecorder(nullptr);
}

void TestBadFiles::startExpectingError(const ScratchDatabase &db, const QString &mentions)
{
    auto running = startWindow(db.baseDirectory());
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors.first().contains(mentions, Qt::CaseInsensitive),
             qPrintable(m_recorder.errors.first() + QStringLiteral(" | expected to mention ") + mentions));
    QVERIFY(running->window->isVisible());
    QVERIFY(running->window->close());
    QCOMPARE(m_recorder.errors.size(), 1);
}

void TestBadFiles::startAndUse(const ScratchDatabase &db)
{
    auto running = startWindow(db.baseDirectory());
    int errors = m_recorder.errors.size();
    QVERIFY2(errors <= 1, qPrintable(m_recorder.errors.join(QStringLiteral(" | "))));
    if (errors == 0) {
        const auto step = [&](const std::function<void()> &action, const char *what) {
            action();
            QVERIFY2(m_recorder.errors.size() <= errors + 1,
                     qPrintable(QLatin1String(what) + QStringLiteral(": ") +
                                m_recorder.errors.join(QStringLiteral(" | "))));
            errors = m_recorder.errors.size();
        };
        step([&] { QTest::mouseClick(running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton); },
             "structure");
        step([&] {
            running->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("cata-vento *ipa"));
            QTest::mouseClick(running->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
        }, "search");
    }
    for (const QString &error : std::as_const(m_recorder.errors))
        QVERIFY(!error.trimmed().isEmpty());
    QVERIFY(running->window->close());
}

void TestBadFiles::unreadableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no file") << "missing" << "not found";
    QTest::newRow("no Database folder") << "no folder" << "not found";
    QTest::newRow("empty file") << "empty" << "empty";
    QTest::newRow("directory in its place") << "directory" << "directory";
    QTest::newRow("text file") << "text" << "not an SQLite or Access database";
    QTest::newRow("SQLite header only") << "header" << "";
}

// Failures of the open itself: the message names the file and says why.
void TestBadFiles::unreadableFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    ScratchDatabase db;
    if (kind == QLatin1String("missing"))
        QVERIFY(QDir(db.baseDirectory()).mkpath(QStringLiteral("Database")));
    else if (kind == QLatin1String("empty"))
        QVERIFY(db.writeRaw(QByteArray()));
    else if (kind == QLatin1String("directory"))
        QVERIFY(QDir(db.baseDirectory()).mkpath(QStringLiteral("Database/ZELT.mdb")));
    else if (kind == QLatin1String("text"))
        QVERIFY(db.writeRaw(QByteArray("Planilha de atividades: venda; carros; 2024\r\n").repeated(200)));
    else if (kind == QLatin1String("header"))
        QVERIFY(db.writeRaw(m_sample.left(100)));

    startExpectingError(db, db.databasePath());
    if (!reason.isEmpty())
        QVERIFY2(m_recorder.errors.first().contains(reason), qPrintable(m_recorder.errors.first()));
}

void TestBadFiles::truncatedCopies_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qsizetype>("size");
    const qsizetype sample = m_sample.size();
    const qsizetype sampleCuts[] = {1,     15,     16,     99,           101,          1024,
                                    4095,  4096,   4097,   8192,         65536,        1 << 20,
                                    sample / 2, sample - 4096, sample - 100, sample - 1};
    for (const qsizetype cut : sampleCuts)
        QTest::addRow("SQLite sample cut at %lld", qlonglong(cut)) << "sample" << cut;
    const qsizetype access = m_access.size();
    const qsizetype accessCuts[] = {1, 16, 100, 2047, 2048, 2049, 4096, 8192, 12288, access / 2, access - 4096,
                                    access - 1};
    for (const qsizetype cut : accessCuts)
        QTest::addRow("Access fixture cut at %lld", qlonglong(cut)) << "access" << cut;
}

// A file cut short is refused when it is opened, before any statement runs.
void TestBadFiles::truncatedCopies()
{
    QFETCH(QString, source);
    QFETCH(qsizetype, size);
    ScratchDatabase db;
    QVERIFY(db.writeRaw((source == QLatin1String("sample") ? m_sample : m_access).left(size)));
    startExpectingError(db, db.databasePath());
}

void TestBadFiles::flippedBytes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("count");
    for (int i = 0; i < kFlippedCopies; ++i) {
        const int count = 1 + i % 8;
        QTest::addRow("small SQLite database, seed %d, %d bytes", i, count) << "tiny" << quint32(i) << count;
        QTest::addRow("Access fixture, seed %d, %d bytes", i, count) << "access" << quint32(1000 + i) << count;
        QTest::addRow("sample header pages, seed %d, %d bytes", i, count)
            << "sample" << quint32(2000 + i) << count;
    }
}

// Damage anywhere in the pages read at start-up: either the program starts, or it reports one
// error; either way it does not crash or hang and the window stays usable.
void TestBadFiles::flippedBytes()
{
    QFETCH(QString, source);
    QFETCH(quint32, seed);
    QFETCH(int, count);
    ScratchDatabase db;
    if (source == QLatin1String("tiny"))
        QVERIFY(db.writeRaw(flipped(m_tiny, seed, count, m_tiny.size())));
    else if (source == QLatin1String("access"))
        QVERIFY(db.writeRaw(flipped(m_access, seed, count, m_access.size())));
    else
        QVERIFY(db.writeRaw(flipped(m_sample, seed, count, 16 * 4096)));
    startAndUse(db);
}

void TestBadFiles::foreignOrIncompleteContent_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("SQLite file of another program")
        << QStringList({"CREATE TABLE clientes (id INTEGER, nome TEXT)", "INSERT INTO clientes VALUES (1, 'Ana')"})
        << "ZELT_Classificacao";
    QTest::newRow("catalogue without its date column")
        << QStringList({"CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao TEXT, Tabela TEXT, "
                        "Status INTEGER, Descricao_Pagina TEXT)",
                        "INSERT INTO ZELT_Classificacao VALUES (1, 'Atual', 'T_A', 0, 'Pag')"})
        << "Data_Atualizacao";
    QTest::newRow("NULL key") << catalogueWith("(NULL, 'Atual', 'T_A', 0, 'Pag', '2024-01-01')")
                              << "Cod_Classificacao";
    QTest::newRow("NULL table prefix") << catalogueWith("(1, 'Atual', NULL, 0, 'Pag', '2024-01-01')") << "Tabela";
    QTest::newRow("NULL description") << catalogueWith("(1, NULL, 'T_A', 0, 'Pag', '2024-01-01')") << "Descricao";
    QTest::newRow("date that is no date") << catalogueWith("(1, 'Atual', 'T_A', 0, 'Pag', 'ontem')")
                                          << "Data";
}

// The file opens but does not hold what the program reads at start-up.
void TestBadFiles::foreignOrIncompleteContent()
{
    QFETCH(QStringList, statements);
    QFETCH(QString, mentions);
    ScratchDatabase db;
    QVERIFY2(db.create(statements), qPrintable(db.error()));
    startExpectingError(db, mentions);
}

void TestBadFiles::noReadPermission()
{
    ScratchDatabase db;
    QVERIFY(db.writeRaw(m_tiny));
    QVERIFY(QFile::setPermissions(db.databasePath(), QFile::WriteOwner));
    const PermissionsHonoured honoured;
    QVERIFY2(honoured.error().isEmpty(), qPrintable(honoured.error()));
    QVERIFY2(!QFile(db.databasePath()).open(QIODevice::ReadOnly), "the file is still readable");
    startExpectingError(db, db.databasePath());
}

QTEST_MAIN(TestBadFiles)
#include "tst_badfiles.moc"
