#include "support/TestDatabase.h"

#include "data/AccessSql.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/ValueText.h"

#include <QtTest>

// The Access dialect as the engine runs it: functions, +, literals, names, comparisons.
class TestSqlDialect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void value_data();
    void value();
    void rejected_data();
    void rejected();
    void orderByIgnoresCaseAndAccents();
    void likeIgnoresCaseOfEveryRow();
    void codesJoinedWithoutACallPerRow();

private:
    QString firstValue(const QString &statement);

    QTemporaryDir m_dir;
    Connection m_connection;
};

void TestSqlDialect::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("dialect.db"));
    QCOMPARE(
        testdb::createSqlite(
            path,
            {
                "CREATE TABLE Classe (Codigo_Cla TEXT, Descricao_Cla TEXT, Quantidade INTEGER, Peso REAL)",
                "INSERT INTO Classe VALUES ('01113', 'Cultivo de arroz', 7, 2.5)",
                "INSERT INTO Classe VALUES ('01121', 'ÁGUA mineral', NULL, NULL)",
                "CREATE TABLE [Tabela Com Espaço] ([Nome Composto] TEXT, \"Ação\" TEXT)",
                "INSERT INTO [Tabela Com Espaço] VALUES ('valor', 'Sim')",
                "CREATE TABLE Palavras (Palavra TEXT)",
                "INSERT INTO Palavras VALUES ('banco'), ('Água'), ('agua'), ('Zebra'), ('ábaco'), ('Abelha')",
                "CREATE TABLE Declaradas (Binaria TEXT COLLATE BINARY, Aparada TEXT COLLATE RTRIM)",
                "INSERT INTO Declaradas VALUES ('Ação', 'Ação')",
            }),
        QString());
    m_connection.setConnectionString(testdb::connectionStringFor(path));
    m_connection.open();
}

QString TestSqlDialect::firstValue(const QString &statement)
{
    const ResultSet result = m_connection.execute(statement);
    if (result.rows.isEmpty())
        return QStringLiteral("<no row>");
    const QVariant value = result.rows.first().first();
    return value.isValid() ? valueText(value) : QStringLiteral("<NULL>");
}

void TestSqlDialect::value_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const QString &statement, const QString &expected) {
        QTest::newRow(name) << statement << expected;
    };

    // Left and Right count characters, not bytes; NULL stays NULL.
    row("Left", "SELECT Left('abcdef', 3)", "abc");
    row("Right", "SELECT Right('abcdef', 2)", "ef");
    row("Left of accented", "SELECT Left('ação', 2)", "aç");
    row("Right of accented", "SELECT Right('ação', 2)", "ão");
    row("Left beyond the end", "SELECT Left('ab', 500)", "ab");
    row("Left of accented, as many characters as it has", "SELECT Left('ação', 4)", "ação");
    row("Left of accented, fewer characters than its bytes", "SELECT Left('aãã', 4)", "aãã");
    row("Left of NULL", "SELECT Left(NULL, 2)", "<NULL>");
    row("LEFT in capitals", "SELECT LEFT('abc',1)", "a");
    row("Left of a number", "SELECT Left(12345, 2)", "12");
    // The display codes as the statements compute them.
    row("class code",
        "SELECT (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse "
        "FROM Classe WHERE Codigo_Cla = '01113'",
        "0111-3");
    row("subclass code",
        "SELECT (Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + '01') "
        "FROM Classe WHERE Codigo_Cla = '01113'",
        "0111-3/01");
    row("qualified column in Left", "SELECT Left(Classe.Codigo_Cla,4) FROM Classe", "0111");
    // + joins texts and adds numbers, with Access's precedence and left-to-right order.
    row("texts join", "SELECT 'a' + 'b' + 'c'", "abc");
    row("digit texts join", "SELECT '1' + '2'", "12");
    row("numbers add", "SELECT 1 + 2", "3");
    row("numeric text and number add", "SELECT '1' + 2", "3");
    row("product first", "SELECT 2 * 3 + 1", "7");
    row("product second", "SELECT 1 + 2 * 3", "7");
    row("minus then plus", "SELECT 10 - 2 + 3", "11");
    row("plus then minus", "SELECT 10 + 2 - 3 + 1", "10");
    row("unary minus", "SELECT -1 + 5", "4");
    row("text + NULL", "SELECT 'x' + NULL", "<NULL>");
    row("columns add", "SELECT Quantidade + Peso FROM Classe WHERE Codigo_Cla = '01113'", "9.5");
    row("in a condition", "SELECT Codigo_Cla FROM Classe WHERE Codigo_Cla = '011' + '13'", "01113");
    row("unary plus", "SELECT +5", "5");
    // Texts joined first meet a number as any text does.
    row("joined digit texts + number", "SELECT ('1' + '2') + 3", "15");
    row("Left + number", "SELECT Left('12', 2) + 3", "15");
    row("negated text + text", "SELECT -'1' + '2'", "1");
    row("Left of NULL joined", "SELECT Left(NULL, 2) + '-' + 'x'", "<NULL>");
    // Literals, names and comments pass untouched.
    row("doubled quote", "SELECT 'd''agua'", "d'agua");
    row("SQL inside a literal", "SELECT 'Left(x, 1) + [y] -- z'", "Left(x, 1) + [y] -- z");
    row("double-quoted text", "SELECT \"say \"\"hi\"\" it's\"", "say \"hi\" it's");
    row("bracketed names", "SELECT [Nome Composto] FROM [Tabela Com Espaço]", "valor");
    row("bracketed accented name", "SELECT [ação] FROM [tabela com espaço]", "Sim");
    row("comment", "SELECT 1 -- Left(\n + 1", "2");
    row("block comment", "SELECT /* 'x */ 'y'", "y");
    row("trailing semicolon", "SELECT 'a';", "a");
    // Comparisons ignore letter case, accented letters included, but not accents.
    row("= ignores case", "SELECT Codigo_Cla FROM Classe WHERE Descricao_Cla = 'cultivo DE ARROZ'", "01113");
    row("= accented capitals", "SELECT Codigo_Cla FROM Classe WHERE Descricao_Cla = 'água Mineral'", "01121");
    row("= keeps accents", "SELECT Codigo_Cla FROM Classe WHERE Descricao_Cla = 'agua mineral'", "<no row>");
    row("<> ignores case", "SELECT count(*) FROM Classe WHERE Descricao_Cla <> 'CULTIVO DE ARROZ'", "1");
    row("IN ignores case", "SELECT count(*) FROM Classe WHERE Descricao_Cla IN ('água mineral', 'x')", "1");
    row("NOT IN ignores case", "SELECT count(*) FROM Classe WHERE Descricao_Cla NOT IN ('ÁGUA MINERAL')",
        "1");
    row("LIKE ignores case", "SELECT Codigo_Cla FROM Classe WHERE Descricao_Cla LIKE '%Á%MIN%'", "01121");
    row("NOT column LIKE", "SELECT Codigo_Cla FROM Classe WHERE NOT Descricao_Cla LIKE '%água%'", "01113");
    row("LIKE with ESCAPE", "SELECT '10%' LIKE '10!%' ESCAPE '!'", "1");
    row("MAX", "SELECT MAX(Codigo_Cla) FROM Classe", "01121");
    row("names ignore case", "SELECT codigo_cla FROM CLASSE WHERE CODIGO_CLA = '01113'", "01113");
    row("NULL comparison is no match", "SELECT count(*) FROM Classe WHERE Quantidade = 7", "1");
    // ... whatever collation the file's columns declare.
    row("BINARY column", "SELECT count(*) FROM Declaradas WHERE Binaria = 'AÇÃO'", "1");
    row("BINARY column on the right", "SELECT count(*) FROM Declaradas WHERE 'aÇÃo' = Binaria", "1");
    row("RTRIM column", "SELECT count(*) FROM Declaradas WHERE Aparada <> 'AÇÃO'", "0");
}

void TestSqlDialect::value()
{
    QFETCH(QString, statement);
    QFETCH(QString, expected);
    QCOMPARE(firstValue(statement), expected);
}

void TestSqlDialect::rejected_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("message");

    const auto row = [](const char *name, const QString &statement, const QString &message) {
        QTest::newRow(name) << statement << message;
    };

    row("missing table", "SELECT * FROM ZELT_999_Secao", "no such table: ZELT_999_Secao");
    row("missing column", "SELECT Nada FROM Classe", "no such column: Nada");
    row("unterminated text", "SELECT 'abc", "Unterminated text literal");
    row("unterminated name", "SELECT [abc FROM Classe", "Unterminated [name]");
    row("unclosed parenthesis", "SELECT (1 + 2", "Unbalanced parentheses");
    row("extra parenthesis", "SELECT 1 + 2)", "Unbalanced parentheses");
    row("deep nesting", "SELECT " + QString(100000, QLatin1Char('(')), "nested too deeply");
    row("& to join", "SELECT 'a' & 'b'", "& operator is not supported");
    row("text + number", "SELECT 'abc' + 1", "Type mismatch");
    row("joined texts + number", "SELECT ('a' + 'b') + 1", "Type mismatch");
    row("comparison + text", "SELECT ('a' = 'a') + 'b'", "Type mismatch");
    row("text + number in parentheses", "SELECT 'a' + (1)", "Type mismatch");
    row("sum + text", "SELECT '1' + 2 + 'x'", "Type mismatch");
    row("other call + text", "SELECT abs(-5) + 'x'", "Type mismatch");
    row("difference + text", "SELECT '5' - '2' + 'x'", "Type mismatch");
    row("negative length", "SELECT Left('abc', -1)", "negative length");
    row("NULL length", "SELECT Right('abc', NULL)", "Invalid use of Null");
    row("empty", "   ", "empty");
}

void TestSqlDialect::rejected()
{
    QFETCH(QString, statement);
    QFETCH(QString, message);
    try {
        m_connection.execute(statement);
        QFAIL("no error");
    } catch (const DataError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void TestSqlDialect::orderByIgnoresCaseAndAccents()
{
    const ResultSet result =
        m_connection.execute(QStringLiteral("SELECT Palavra FROM Palavras ORDER BY Palavra"));
    QStringList order;
    for (const auto &row : result.rows)
        order.append(row.first().toString());
    QCOMPARE(order, QStringList({"ábaco", "Abelha", "agua", "Água", "banco", "Zebra"}));

    const ResultSet descending =
        m_connection.execute(QStringLiteral("SELECT Palavra FROM Palavras ORDER BY Palavra DESC"));
    QCOMPARE(descending.rows.first().first().toString(), QStringLiteral("Zebra"));
}

void TestSqlDialect::likeIgnoresCaseOfEveryRow()
{
    // The compiled pattern is kept across rows; each row's text is folded on its own.
    const ResultSet result = m_connection.execute(
        QStringLiteral("SELECT Palavra FROM Palavras WHERE Palavra LIKE '%A' ORDER BY Palavra"));
    QStringList found;
    for (const auto &row : result.rows)
        found.append(row.first().toString());
    QCOMPARE(found, QStringList({"Abelha", "agua", "Água", "Zebra"}));
}

// The codes every found row shows are texts joined to texts: SQLite joins them itself, with no
// call to the program's + for each row (its results above are the same).
void TestSqlDialect::codesJoinedWithoutACallPerRow()
{
    const QString sql = translateAccessSql(QStringLiteral(
                                               "SELECT (((Left(Codigo_Cla, 4) + '-') + Right(Codigo_Cla, 1)) + "
                                               "\"/\") + Codigo_Sub FROM Classe"))
                            .sql;
    QCOMPARE(sql.count(QLatin1String(zeltsql::kPlus)), 1); // the column's type is not known
    QCOMPARE(sql.count(QLatin1String("||")), 3);
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
