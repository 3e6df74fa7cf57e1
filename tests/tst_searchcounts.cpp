// The count shown beside an offered search comes from the edition's activity groups, not from a
// statement: it must equal, search by search, the rows the search statement itself finds.
#include "data/Connection.h"
#include "search/ActivityGroups.h"
#include "search/SearchExpression.h"
#include "search/SearchOffers.h"
#include "search/VocabularyLoader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "support/TestDatabase.h"
#include "TestPaths.h"

namespace
{

// The words as the search run takes them from the typed text.
QString searchWords(Connection &connection, const QString &text)
{
    return RetiraPalavrasLigacao(
        doubleApostrophes(trimSearchText(RemoveAcentos(text))),
        [&connection](const QString &statement) { return !connection.execute(statement).rows.isEmpty(); });
}

// The rows the search of the text shows, by the search's own statement.
int rowsFound(Connection &connection, const QString &prefix, const SearchOrder &order, const QString &text)
{
    const QString statement = searchStatement(prefix, MontaCondicaoPesquisa(searchWords(connection, text)),
                                              order.FiltroSubClasse, order.OrdemPesquisa);
    return int(connection.execute(statement).rows.size());
}

// A misspelling of the keyword: a letter dropped, two letters swapped or one changed, by turns.
QString misspelt(const QString &word, int turn)
{
    QString typo = word;
    const int at = int(word.size()) / 2;
    if (turn % 3 == 0)
        typo.remove(at, 1);
    else if (turn % 3 == 1)
        std::swap(typo[at - 1], typo[at]);
    else
        typo[at] = typo[at] == QLatin1Char('e') ? QLatin1Char('a') : QLatin1Char('e');
    return typo;
}

} // namespace

class TestSearchCounts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void offeredSearchesCountWhatTheyFind_data();
    void offeredSearchesCountWhatTheyFind();
    void valuesTheEngineComparesItsOwnWay();

private:
    QTemporaryDir m_dir;
    QString m_scaled;
};

void TestSearchCounts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A sample twice the size, where the groups hold several classes and subclasses per list.
    m_scaled = m_dir.filePath(QStringLiteral("scaled.sqlite"));
    QProcess makedb;
    makedb.start(QStringLiteral(ZELT_BIN_DIR "/zelt-makedb"),
                 {QStringLiteral("--format"), QStringLiteral("sqlite"), m_scaled, QStringLiteral("--scale"),
                  QStringLiteral("2")});
    QVERIFY(makedb.waitForFinished(300000));
    QCOMPARE(makedb.exitCode(), 0);
}

void TestSearchCounts::offeredSearchesCountWhatTheyFind_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("subclasses");
    QTest::newRow("sample, first edition") << QStringLiteral(ZELT_SQLITE_SAMPLE_DB) << "ZELT_200" << false;
    QTest::newRow("sample, subclass edition") << QStringLiteral(ZELT_SQLITE_SAMPLE_DB) << "ZELT_210" << true;
    QTest::newRow("sample, frozen edition") << QStringLiteral(ZELT_SQLITE_SAMPLE_DB) << "ZELT_100" << false;
    QTest::newRow("sample x2, subclass edition") << QString() << "ZELT_210" << true;
}

void TestSearchCounts::offeredSearchesCountWhatTheyFind()
{
    QFETCH(QString, database);
    QFETCH(QString, prefix);
    QFETCH(bool, subclasses);
    if (database.isEmpty())
        database = m_scaled;
    const QString connectionString = testdb::connectionStringFor(database);
    const SearchVocabulary vocabulary = readVocabulary(connectionString, prefix);
    QVERIFY(vocabulary.groups());
    Connection connection;
    connection.setConnectionString(connectionString);
    connection.open();
    const SearchOrder order =
        searchOrder(false, subclasses ? QStringLiteral("ZELT 2.1 - Subclasses") : QStringLiteral("ZELT 2.0"));
    QCOMPARE(order.FiltroSubClasse.isEmpty(), !subclasses);

    // Every search the offers try for misspelt keywords, beside operators and stop words, and
    // searches of every shape the search composes.
    QStringList texts = {QStringLiteral("venda de carros"),
                         QStringLiteral("automov*"),
                         QStringLiteral("*roubo"),
                         QStringLiteral("*mercad*"),
                         QStringLiteral("+reatores -nucleares"),
                         QStringLiteral("-venda"),
                         QStringLiteral("COMÉRCIO"),
                         QStringLiteral("01"),
                         QStringLiteral("011"),
                         QStringLiteral("0111"),
                         QStringLiteral("01113"),
                         QStringLiteral("0111-3"),
                         QStringLiteral("0111-2/03"),
                         QStringLiteral("0111201"),
                         QStringLiteral("0531-2/88"),
                         QStringLiteral("venda 0111"),
                         QStringLiteral("*a_t%*"),
                         QStringLiteral("d'agua"),
                         QStringLiteral("+"),
                         QStringLiteral("*"),
                         QStringLiteral("de"),
                         QStringLiteral("x1F"),
                         QStringLiteral("naoexiste")};
    const auto record = [&](const QString &text) {
        texts.append(text);
        return rowsFound(connection, prefix, order, text);
    };
    int turn = 0;
    for (const char *word : {"automovel", "venda", "comercio", "reatores", "oficina", "mecanica",
                             "transporte", "carros", "agua", "madeira"}) {
        const QString typo = misspelt(QLatin1String(word), turn++);
        searchOffers(vocabulary, typo, record);
        searchOffers(vocabulary, QStringLiteral("+") + typo + QStringLiteral(" -nucleares"), record);
        searchOffers(vocabulary, QStringLiteral("venda de ") + typo, record);
    }
    for (const char *code : {"01119", "0111-9", "0111-2/09"})
        searchOffers(vocabulary, QLatin1String(code), record);
    QVERIFY2(texts.size() > 50, qPrintable(QString::number(texts.size())));

    int found = 0;
    for (const QString &text : texts) {
        const int rows = rowsFound(connection, prefix, order, text);
        const int counted = vocabulary.groups()->count(MontaCondicaoPesquisa(searchWords(connection, text)),
                                                       order.FiltroSubClasse);
        // The groups answer every shape here: none is left to the engine.
        QVERIFY2(counted >= 0, qPrintable(text));
        QVERIFY2(counted == rows,
                 qPrintable(QStringLiteral("%1: %2 counted, %3 found").arg(text).arg(counted).arg(rows)));
        QCOMPARE(countSearchResults(connection, vocabulary.groups(), prefix, order.FiltroSubClasse, text),
                 rows);
        found += rows > 0 ? 1 : 0;
    }
    // Not a comparison of zeros.
    QVERIFY2(found > texts.size() / 2, qPrintable(QString::number(found)));
}

void TestSearchCounts::valuesTheEngineComparesItsOwnWay()
{
    // NULLs fail LIKE, NOT LIKE and <> alike; a number (1.0 is "1.0" to LIKE) and bytes that are
    // not UTF-8 compare in the engine as the groups cannot: those editions are counted by the
    // statement.
    const QString path = m_dir.filePath(QStringLiteral("odd.sqlite"));
    QCOMPARE(
        testdb::createSqlite(
            path,
            {QStringLiteral("CREATE TABLE T_Atividade (Codigo_Sec TEXT, Codigo_Div TEXT, Codigo_Grp TEXT,"
                            " Codigo_Cla TEXT, Codigo_Sub TEXT, Codigo_Cla_Seq INTEGER, Palavra_Chave TEXT,"
                            " Descricao_Cla TEXT)"),
             QStringLiteral("CREATE TABLE N_Atividade (Codigo_Sec TEXT, Codigo_Div TEXT, Codigo_Grp TEXT,"
                            " Codigo_Cla TEXT, Codigo_Sub TEXT, Codigo_Cla_Seq INTEGER, Palavra_Chave,"
                            " Descricao_Cla TEXT)"),
             QStringLiteral("CREATE TABLE B_Atividade AS SELECT * FROM T_Atividade"),
             QStringLiteral("CREATE TABLE ZELT_PALAVRA_NAO (Palavra_Pan TEXT)"),
             QStringLiteral("INSERT INTO ZELT_PALAVRA_NAO VALUES ('de')"),
             QStringLiteral(
                 "INSERT INTO T_Atividade VALUES ('A','06','062','06202','01',1,'|barco|vela|','a'),"
                 " ('A','06','062','06202','88',2,'|barco|','b'),"
                 " ('A','06','062','06202',NULL,3,'|Barco|remo|','c'),"
                 " ('A','06','062',NULL,'02',4,'|vela|','d'),"
                 " ('A','06','062','06202','02',5,NULL,'e'),"
                 " ('A','06','062','06202','02',6,'|ação|','f'),"
                 " ('A','06','062','06202','02',7,'','g')"),
             QStringLiteral("INSERT INTO N_Atividade SELECT * FROM T_Atividade"),
             QStringLiteral("INSERT INTO N_Atividade VALUES ('A','06','062','06202','01',8,1.0,'h')"),
             QStringLiteral("INSERT INTO B_Atividade SELECT * FROM T_Atividade"),
             QStringLiteral("INSERT INTO B_Atividade VALUES ('A','06','062','06202','01',8,"
                            " CAST(X'7C626172FF636F7C' AS TEXT),'h')")}),
        QString());
    const QString connectionString = testdb::connectionStringFor(path);
    Connection connection;
    connection.setConnectionString(connectionString);
    connection.open();
    const SearchOrder plain = searchOrder(false, QStringLiteral("Teste"));
    const SearchOrder subclasses = searchOrder(false, QStringLiteral("Teste - Subclasses"));
    const QStringList texts = {
        QStringLiteral("barco"), QStringLiteral("-vela"),     QStringLiteral("BARCO -remo"),
        QStringLiteral("*a*"),   QStringLiteral("acao"),      QStringLiteral("0620201"),
        QStringLiteral("06202"), QStringLiteral("bar*"),      QStringLiteral("de"),
        QStringLiteral("*.0*"),  QStringLiteral("*r\uFFFDc*")};
    const auto check = [&](const QString &prefix, bool answered) {
        const SearchVocabulary vocabulary = readVocabulary(connectionString, prefix);
        QVERIFY(vocabulary.groups());
        for (const SearchOrder &order : {plain, subclasses}) {
            for (const QString &text : texts) {
                const int rows = rowsFound(connection, prefix, order, text);
                const int counted = vocabulary.groups()->count(
                    MontaCondicaoPesquisa(searchWords(connection, text)), order.FiltroSubClasse);
                QVERIFY2(counted == (answered ? rows : -1),
                         qPrintable(QStringLiteral("%1 %2%3: %4 counted, %5 found")
                                        .arg(prefix, text, order.FiltroSubClasse)
                                        .arg(counted)
                                        .arg(rows)));
                QCOMPARE(
                    countSearchResults(connection, vocabulary.groups(), prefix, order.FiltroSubClasse, text),
                    rows);
            }
        }
    };
    check(QStringLiteral("T"), true);
    check(QStringLiteral("N"), false);
    check(QStringLiteral("B"), false);
    // The engine's own answers for the shapes above, so that the comparison means something.
    QCOMPARE(rowsFound(connection, QStringLiteral("T"), subclasses, QStringLiteral("-vela")), 2);
    QCOMPARE(rowsFound(connection, QStringLiteral("N"), plain, QStringLiteral("*.0*")), 1);
    QCOMPARE(rowsFound(connection, QStringLiteral("B"), plain, QStringLiteral("bar*")), 4);
}

QTEST_GUILESS_MAIN(TestSearchCounts)
#include "tst_searchcounts.moc"
