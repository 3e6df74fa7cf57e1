// The trigram index behind the keyword search: the same rows in the same order with and without
// it, and the statements it must leave to the plain scan.
#include "data/AccessSql.h"
#include "data/DataError.h"
#include "data/DatabaseEngine.h"
#include "data/KeywordIndex.h"
#include "data/SqliteFunctions.h"
#include "search/SearchExpression.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include "support/SearchTexts.h"
#include "TestPaths.h"

namespace
{

#ifdef ZELT_SANITIZED
constexpr int kGeneratedTexts = 40;
#else
constexpr int kGeneratedTexts = 150;
#endif

// The help window's examples, and texts at the edges of what the index can answer: runs shorter
// than three characters, accents and case the comparison folds, '_' and '%' typed inside a word,
// apostrophes, a character beyond the folded range, a code.
const char *const kChosenTexts[] = {
    "venda de carros",
    "automov*",
    "*roubo",
    "*mercad*",
    "+reatores -nucleares",
    "venda",
    "VENDA De CaRrOs",
    "comércio",
    "ÁGUA",
    "*ção*",
    "*a*",
    "ab*",
    "*de",
    "+a",
    "-venda carros",
    "ven_a",
    "*v_nda*",
    "*ven%da*",
    "%",
    "_",
    "*%*",
    "*_*",
    "d'agua",
    "*'*",
    "*ü*",
    "*\u0100*",
    "*\u2603*",
    "0111",
    "0111-3/01",
    "a b c",
    "carros venda carros",
    "*|*",
    "|venda|",
    "*rr*",
};

} // namespace

class TestKeywordIndex : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameRowsSameOrder_data();
    void sameRowsSameOrder();
    void statementsLeftToTheScan_data();
    void statementsLeftToTheScan();
    void foldedAsTheComparisonFolds();
    void largeTableIndexedInSlices();
    void largeTableFinishedWhileIdle();
    void changedByAnotherConnection();
    void copiedIndexAnswersAsTheOriginal();

private:
    QTemporaryDir m_cacheHome;
};

void TestKeywordIndex::initTestCase()
{
    // The Access file's tables and indexes are kept in a cache folder of this test's own.
    QVERIFY(m_cacheHome.isValid());
    qputenv("XDG_CACHE_HOME", m_cacheHome.path().toUtf8());
}

void TestKeywordIndex::sameRowsSameOrder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("kept");
    // One row per file and edition, so that no one row runs for long.
    for (const auto &[kind, path] :
         {std::pair{"Access", ZELT_SAMPLE_DB}, std::pair{"SQLite", ZELT_SQLITE_SAMPLE_DB}})
        for (const char *prefix : {"ZELT_200", "ZELT_210", "ZELT_100", "ZELT_050"})
            QTest::addRow("%s %s", kind, prefix)
                << QString::fromUtf8(path) << QString::fromUtf8(prefix) << false;
    // The index kept in the cache with the Access file's table by an earlier run, used whole.
    for (const char *prefix : {"ZELT_200", "ZELT_050"})
        QTest::addRow("Access %s, index kept", prefix)
            << QString::fromUtf8(ZELT_SAMPLE_DB) << QString::fromUtf8(prefix) << true;
}

// Every search statement, composed as the search run composes it, on every edition of the
// sample, run by an engine with the index and by one without.
void TestKeywordIndex::sameRowsSameOrder()
{
    QFETCH(QString, path);
    QFETCH(QString, prefix);
    QFETCH(bool, kept);
    if (kept) {
        // An earlier run searches, and idles until its index is kept with the table.
        const std::unique_ptr<DatabaseEngine> earlier = DatabaseEngine::open(path);
        earlier->execute(
            QStringLiteral("SELECT Codigo_Cla FROM %1_Atividade WHERE Palavra_Chave LIKE '%|venda|%'")
                .arg(prefix));
        QElapsedTimer limit;
        limit.start();
        while (earlier->keywordIndexBuilding() && limit.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QVERIFY(!earlier->keywordIndexBuilding());
    }
    const std::unique_ptr<DatabaseEngine> indexed = DatabaseEngine::open(path);
    const std::unique_ptr<DatabaseEngine> plain = DatabaseEngine::open(path);
    plain->setKeywordIndexEnabled(false);

    const ResultSet edition = plain->execute(
        QStringLiteral("SELECT Descricao FROM ZELT_Classificacao WHERE Tabela = '%1'").arg(prefix));
    QCOMPARE(edition.rows.size(), 1);
    const QString description = edition.rows.at(0).at(0).toString();

    QStringList texts;
    for (const char *text : kChosenTexts)
        texts.append(QString::fromUtf8(text));
    TextGenerator generator(20240611);
    for (int i = 0; i < kGeneratedTexts; ++i)
        texts.append(generator.next());

    const StopWordLookup lookup = [&plain](const QString &statement) {
        return !plain->execute(statement).rows.isEmpty();
    };
    const auto run = [](DatabaseEngine &engine, const QString &statement, QString &error) {
        try {
            return engine.execute(statement);
        } catch (const DataError &e) {
            error = e.message();
            return ResultSet();
        }
    };
    int found = 0;
    for (bool byCode : {false, true}) {
        const SearchOrder order = searchOrder(byCode, description);
        for (const QString &typed : texts) {
            QString statement;
            try {
                const QString text = doubleApostrophes(trimSearchText(RemoveAcentos(typed)));
                statement =
                    searchStatement(prefix, MontaCondicaoPesquisa(RetiraPalavrasLigacao(text, lookup)),
                                    order.FiltroSubClasse, order.OrdemPesquisa);
            } catch (const DataError &) {
                continue; // too long to search: no statement to compare
            }
            QString errorWith;
            QString errorWithout;
            const ResultSet with = run(*indexed, statement, errorWith);
            const ResultSet without = run(*plain, statement, errorWithout);
            found += without.rows.size();
            if (errorWith != errorWithout || with.rows != without.rows ||
                with.columns.size() != without.columns.size())
                QFAIL(qPrintable(QStringLiteral("%1 differs with the index:\n%2").arg(typed, statement)));
        }
    }
    QVERIFY(found > 1000); // the texts do find rows, many of them
    // The index was there to be used (and only on the engine that may): built by the engine, or
    // the one kept, the engine then building none.
    const QString indexes =
        QStringLiteral("SELECT count(*) FROM temp.sqlite_master WHERE name = 'zelt_keyword_index_1'");
    QCOMPARE(indexed->execute(indexes).rows.at(0).at(0).toInt(), kept ? 0 : 1);
    QCOMPARE(plain->execute(indexes).rows.at(0).at(0).toInt(), 0);
    if (kept)
        QCOMPARE(indexed
                     ->execute(QStringLiteral("SELECT count(*) FROM zelt_table_1.sqlite_master WHERE "
                                              "name = 'zelt_keyword_index'"))
                     .rows.at(0)
                     .at(0)
                     .toInt(),
                 1);
}

void TestKeywordIndex::statementsLeftToTheScan_data()
{
    QTest::addColumn<QByteArray>("where"); // bytes: some are no UTF-8
    QTest::addColumn<bool>("indexed");
    const auto row = [](const char *name, const char *where, bool indexed) {
        QTest::newRow(name) << QByteArray(where) << indexed;
    };
    row("a word", "1=1 AND (Palavra_Chave LIKE '%|venda|%')", true);
    row("two words, a filter",
        "1=1 AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE '%|carros|%') AND (Codigo_Sub <> "
        "'88') ORDER BY Descricao_Cla",
        true);
    row("a word beside a short one", "(Palavra_Chave LIKE '%ab%') AND Palavra_Chave LIKE '|venda%'", true);
    row("quoted column", "\"Palavra_Chave\" LIKE '%|venda|%'", true);
    row("short runs only", "Palavra_Chave LIKE '%ab%' AND Palavra_Chave LIKE 'v_n_a'", false);
    row("excluded word", "NOT Palavra_Chave LIKE '%|venda|%'", false);
    row("either word", "Palavra_Chave LIKE '%|venda|%' OR Palavra_Chave LIKE '%|soja|%'", false);
    row("either inside", "(Palavra_Chave LIKE '%|venda|%' OR Codigo_Cla = '01113')", false);
    row("escape", "Palavra_Chave LIKE '%|venda|%' ESCAPE '!'", false);
    row("between", "Codigo_Sub BETWEEN '00' AND '99' AND Palavra_Chave LIKE '%venda%'", false);
    row("other column", "Descricao_Cla LIKE '%venda%'", false);
    row("byte inside a character", "Palavra_Chave LIKE '%\xA7\xC3\xA3o%'", false);
}

// On the SQLite sample straight, as the engine runs statements after translating them.
void TestKeywordIndex::statementsLeftToTheScan()
{
    QFETCH(QByteArray, where);
    QFETCH(bool, indexed);
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(ZELT_SQLITE_SAMPLE_DB, &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    QVERIFY(registerAccessFunctions(db) && KeywordIndex::registerFunctions(db));
    KeywordIndex index(db);
    const std::string sql = "SELECT Codigo_Cla FROM ZELT_200_Atividade WHERE " + where.toStdString();
    const std::string rewritten = index.rewrite(sql);
    QCOMPARE(rewritten != sql, indexed);

    // Through a view the rows have no rowid to pre-filter by.
    QVERIFY(sqlite3_exec(db, "CREATE TEMP VIEW v AS SELECT * FROM ZELT_200_Atividade", nullptr, nullptr,
                         nullptr) == SQLITE_OK);
    const std::string overView = "SELECT Codigo_Cla FROM v WHERE Palavra_Chave LIKE '%|venda|%'";
    QCOMPARE(index.rewrite(overView), overView);
}

// Keywords stored with capitals and accents are found by a pattern typed in another case: the
// index holds the text folded as the comparison folds it.
void TestKeywordIndex::foldedAsTheComparisonFolds()
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    QVERIFY(registerAccessFunctions(db) && KeywordIndex::registerFunctions(db));
    QCOMPARE(sqlite3_exec(db,
                          "CREATE TABLE t (Palavra_Chave TEXT);"
                          "INSERT INTO t VALUES ('|VENDA|Carros|'), ('|ÁGUA|Ção|'), (NULL), (12345),"
                          " (CAST(X'7C56C3' AS TEXT) || 'ENDA|'), ('|água|'), ('|outra|')",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    KeywordIndex index(db);
    const auto rows = [&](const char *pattern) {
        const std::string sql = std::string("SELECT rowid FROM t WHERE Palavra_Chave LIKE '") + pattern + "'";
        const std::string rewritten = index.rewrite(sql);
        if (rewritten == sql)
            return QStringLiteral("not indexed");
        QStringList found;
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, rewritten.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errmsg(db));
        while (sqlite3_step(statement) == SQLITE_ROW)
            found.append(QString::number(sqlite3_column_int(statement, 0)));
        sqlite3_finalize(statement);
        return found.join(QLatin1Char(','));
    };
    QCOMPARE(rows("%|venda|%"), QStringLiteral("1"));
    QCOMPARE(rows("%carros%"), QStringLiteral("1"));
    QCOMPARE(rows("%água%"), QStringLiteral("2,6"));
    QCOMPARE(rows("%|ÇÃO|%"), QStringLiteral("2"));
    QCOMPARE(rows("%234%"), QStringLiteral("4"));
    QCOMPARE(rows("%enda|"), QStringLiteral("5")); // a stray byte does not hide the rest
}

namespace
{

QStringList rowids(sqlite3 *db, const std::string &sql)
{
    QStringList found;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return {QString::fromUtf8(sqlite3_errmsg(db))};
    while (sqlite3_step(statement) == SQLITE_ROW)
        found.append(QString::number(sqlite3_column_int64(statement, 0)));
    sqlite3_finalize(statement);
    return found;
}

} // namespace

// A table too large to index at once is indexed a slice at a time; its statements scan until the
// index is whole, then use it, with the same rows.
void TestKeywordIndex::largeTableIndexedInSlices()
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    QVERIFY(registerAccessFunctions(db) && KeywordIndex::registerFunctions(db));
    QCOMPARE(
        sqlite3_exec(db,
                     "CREATE TABLE t (Palavra_Chave TEXT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000)"
                     " INSERT INTO t (rowid, Palavra_Chave) SELECT i * 3 - 20000, '|palavra' || (i % 50) ||"
                     " '|' FROM n",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    KeywordIndex index(db, 1000);
    const std::string sql = "SELECT rowid FROM t WHERE Palavra_Chave LIKE '%|palavra7|%'";
    QCOMPARE(index.rewrite(sql), sql);
    int slices = 0;
    while (index.building()) {
        QCOMPARE(index.rewrite(sql), sql);
        index.buildStep();
        ++slices;
    }
    QCOMPARE(slices, 3); // 11,000 rows left after the first 1,000, 5,000 a slice
    const std::string rewritten = index.rewrite(sql);
    QVERIFY(rewritten != sql);
    const QStringList plain = rowids(db, sql);
    QCOMPARE(plain.size(), 240);
    QCOMPARE(rowids(db, rewritten), plain);
}

// Through the engine, a table too large to index at once is finished while the program is idle,
// slice after slice, without another statement: then the search uses it, with the same rows.
void TestKeywordIndex::largeTableFinishedWhileIdle()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grande.sqlite"));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const int made =
        sqlite3_exec(db,
                     "CREATE TABLE t (Codigo TEXT, Palavra_Chave TEXT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 26000)"
                     " INSERT INTO t SELECT i, '|palavra' || (i % 100) || '|' FROM n",
                     nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(made, SQLITE_OK);

    const std::unique_ptr<DatabaseEngine> engine = DatabaseEngine::open(path);
    const QString search = QStringLiteral("SELECT Codigo FROM t WHERE Palavra_Chave LIKE '%|palavra7|%'");
    const ResultSet scanned = engine->execute(search);
    QCOMPARE(scanned.rows.size(), 260);
    QVERIFY(engine->keywordIndexBuilding());
    QElapsedTimer limit;
    limit.start();
    while (engine->keywordIndexBuilding() && limit.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QVERIFY(!engine->keywordIndexBuilding());
    // Whole: every row's keywords are in it, the last slice's too.
    QCOMPARE(engine
                 ->execute(QStringLiteral("SELECT count(*) FROM temp.zelt_keyword_index_1 WHERE "
                                          "zelt_keyword_index_1 MATCH '\"a7|\"'"))
                 .rows.at(0)
                 .at(0)
                 .toInt(),
             260);
    QCOMPARE(engine->execute(search).rows, scanned.rows);
}

// Another program writing to the file makes the index stale: it is built again, and the new row
// is found.
void TestKeywordIndex::changedByAnotherConnection()
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("k.sqlite")).toUtf8();
    sqlite3 *writer = nullptr;
    sqlite3 *reader = nullptr;
    QCOMPARE(sqlite3_open(path.constData(), &writer), SQLITE_OK);
    const auto close = qScopeGuard([&] {
        sqlite3_close(reader);
        sqlite3_close(writer);
    });
    QCOMPARE(sqlite3_exec(writer, "CREATE TABLE t (Palavra_Chave TEXT); INSERT INTO t VALUES ('|venda|')",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(sqlite3_open_v2(path.constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QVERIFY(registerAccessFunctions(reader) && KeywordIndex::registerFunctions(reader));
    KeywordIndex index(reader);
    const std::string sql = "SELECT rowid FROM t WHERE Palavra_Chave LIKE '%|venda|%'";
    QCOMPARE(rowids(reader, index.rewrite(sql)), QStringList{QStringLiteral("1")});
    QCOMPARE(sqlite3_exec(writer, "INSERT INTO t VALUES ('|outra|venda|')", nullptr, nullptr, nullptr),
             SQLITE_OK);
    const std::string rewritten = index.rewrite(sql);
    QVERIFY(rewritten != sql);
    QCOMPARE(rowids(reader, rewritten), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));

    // A change while a large table's index is half built: the half is dropped, not left in memory,
    // and the statements scan, finding the new row.
    QCOMPARE(sqlite3_exec(writer,
                          "CREATE TABLE big (Palavra_Chave TEXT);"
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                          " INSERT INTO big SELECT '|palavra' || (i % 50) || '|' FROM n",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3 *second = nullptr;
    QCOMPARE(sqlite3_open_v2(path.constData(), &second, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const auto closeSecond = qScopeGuard([second] { sqlite3_close(second); });
    QVERIFY(registerAccessFunctions(second) && KeywordIndex::registerFunctions(second));
    KeywordIndex slices(second, 1000);
    const std::string onBig = "SELECT rowid FROM big WHERE Palavra_Chave LIKE '%|palavra7|%'";
    QCOMPARE(slices.rewrite(onBig), onBig);
    QVERIFY(slices.building());
    QCOMPARE(sqlite3_exec(writer, "INSERT INTO big VALUES ('|palavra7|nova|')", nullptr, nullptr, nullptr),
             SQLITE_OK);
    slices.buildStep();
    QVERIFY(!slices.building());
    QCOMPARE(rowids(second, "SELECT count(*) FROM temp.sqlite_master"), QStringList{QStringLiteral("0")});
    QCOMPARE(rowids(second, slices.rewrite(onBig)).size(), 61);
}

// An index copied into another schema, as a cache file keeps it beside its table, serves the
// table as the one built did. Copying an index that is not there fails: an empty copy would hide
// every row from the searches that trust it.
void TestKeywordIndex::copiedIndexAnswersAsTheOriginal()
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const auto close = qScopeGuard([db] { sqlite3_close(db); });
    QVERIFY(registerAccessFunctions(db) && KeywordIndex::registerFunctions(db));
    QCOMPARE(sqlite3_exec(db,
                          "CREATE TABLE t (Palavra_Chave TEXT);"
                          "INSERT INTO t (rowid, Palavra_Chave) VALUES (4, '|VENDA|carros|'), (9, '|soja|'),"
                          " (11, '|Venda|soja|'), (30, NULL);"
                          "ATTACH ':memory:' AS kept",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    const std::string sql = "SELECT rowid FROM t WHERE Palavra_Chave LIKE '%|venda|%'";
    KeywordIndex built(db);
    QVERIFY(built.rewrite(sql) != sql);
    const QVector<KeywordIndex::Built> made = built.takeBuilt();
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().table, QStringLiteral("t"));
    QVERIFY(KeywordIndex::copyIndex(db, made.first().name, QStringLiteral("kept"), QStringLiteral("copia")));

    KeywordIndex adopting(db);
    adopting.adopt(QStringLiteral("T"), QStringLiteral("kept"), QStringLiteral("copia"));
    const std::string rewritten = adopting.rewrite(sql);
    QVERIFY2(rewritten.find("\"kept\".\"copia\"") != std::string::npos, rewritten.c_str());
    QCOMPARE(rowids(db, rewritten), (QStringList{QStringLiteral("4"), QStringLiteral("11")}));
    QCOMPARE(rowids(db, sql), rowids(db, rewritten));
    QVERIFY(!adopting.building());
    QVERIFY(adopting.takeBuilt().isEmpty());

    QVERIFY(!KeywordIndex::copyIndex(db, QStringLiteral("zelt_keyword_index_99"), QStringLiteral("kept"),
                                     QStringLiteral("vazia")));
    // Nor is one copied over an index already there, which keeps serving.
    QVERIFY(!KeywordIndex::copyIndex(db, made.first().name, QStringLiteral("kept"), QStringLiteral("copia")));
    QCOMPARE(rowids(db, rewritten), (QStringList{QStringLiteral("4"), QStringLiteral("11")}));
}

QTEST_GUILESS_MAIN(TestKeywordIndex)
#include "tst_keywordindex.moc"
