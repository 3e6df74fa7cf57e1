#include "support/TestDatabase.h"

#include "data/DataError.h"
#include "data/UDtmMain.h"

#include <QtTest>

#include <sqlite3.h>

// The statements the program composes, run on a small edition "ZELT_200", and the query
// object's rules: current row, record count, NULL, conversions, locate.
class TestQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void statement_data();
    void statement();
    void searchCutsDescriptionsAt500();
    void catalogueQueries();
    void currentRowMovesAndStays();
    void emptyResult();
    void resultIsFetchedWhole();
    void nullRules_data();
    void nullRules();
    void conversions_data();
    void conversions();
    void locate_data();
    void locate();
    void failedOpenLeavesQueryClosed();

private:
    QTemporaryDir m_dir;
    QString m_path;
    TDtmMain m_dtm;
};

namespace
{

const QString kSearchHead = QStringLiteral(
    "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla, Codigo_Sub,  Codigo_Cla_Seq, Descricao_Cla, "
    "(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse, (Left(Descricao_Cla, 500)) As "
    "Descricao,  "
    "(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) As CodigoSubClasse FROM "
    "ZELT_200_Atividade "
    " WHERE 1=1 ");

QString column(Query &query, const QString &name)
{
    QStringList values;
    for (query.first(); !query.eof(); query.next())
        values.append(query.fieldByName(name).asString());
    return values.join(QLatin1Char('|'));
}

} // namespace

void TestQuery::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("ZELT.mdb"));
    const QString longDescription = QStringLiteral("Reatores ") + QString(591, QLatin1Char('x'));
    QCOMPARE(
        testdb::createSqlite(
            m_path,
            {
                "CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao TEXT, Tabela TEXT, "
                "Status INTEGER, Descricao_Pagina TEXT, Data_Atualizacao DATETIME)",
                "INSERT INTO ZELT_Classificacao VALUES (7, 'ZELT 2.0', 'ZELT_200', 0, 'ZELT versão 2.0', "
                "'2023-05-10')",
                "INSERT INTO ZELT_Classificacao VALUES (8, 'ZELT 2.0 Subclasses', 'ZELT_200', 0, 'ZELT 2.0 "
                "sub', "
                "'2023-06-01 08:30:00')",
                "INSERT INTO ZELT_Classificacao VALUES (3, 'Antiga', 'ZELT_100', 1, 'ZELT 1.0', "
                "'2019-01-01')",
                "INSERT INTO ZELT_Classificacao VALUES (2, 'Retirada', 'ZELT_050', 2, 'ZELT 0.5', "
                "'2024-02-29 10:00:00')",
                "CREATE TABLE ZELT_200_Secao (CODIGO_SEC TEXT, DESCRICAO_SEC TEXT, CODIGO_DIV1 TEXT, "
                "CODIGO_DIV2 TEXT, "
                "NTEXP_SEC MEMO, CCOMPRE_SEC MEMO, TCOMPRE_SEC MEMO, NCOMPRE_SEC MEMO, NOTAS_SEC MEMO)",
                "INSERT INTO ZELT_200_Secao VALUES ('B', 'Indústrias extrativas', '05', '05', NULL, 'Minas', "
                "NULL, "
                "NULL, NULL)",
                "INSERT INTO ZELT_200_Secao VALUES ('A', 'Agricultura e pecuária', '01', '02', 'Nota', "
                "'Lavouras', "
                "NULL, 'Pesca', NULL)",
                "CREATE TABLE ZELT_200_Divisao (CODIGO_SEC TEXT, CODIGO_DIV TEXT, DESCRICAO_DIV TEXT, "
                "CCOMPRE_DIV LONGTEXT, TCOMPRE_DIV NOTE, NCOMPRE_DIV CLOB, NOTAS_DIV LONGCHAR)",
                "INSERT INTO ZELT_200_Divisao VALUES ('A', '02', 'Produção florestal', NULL, NULL, NULL, "
                "NULL)",
                "INSERT INTO ZELT_200_Divisao VALUES ('A', '01', 'Lavouras', 'Cereais', NULL, NULL, NULL)",
                "INSERT INTO ZELT_200_Divisao VALUES ('B', '05', 'Extração de minerais', NULL, NULL, NULL, "
                "NULL)",
                "CREATE TABLE ZELT_200_Grupo (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, "
                "DESCRICAO_GRP TEXT, "
                "CCOMPRE_GRP MEMO, TCOMPRE_GRP MEMO, NCOMPRE_GRP MEMO, NOTAS_GRP MEMO)",
                "INSERT INTO ZELT_200_Grupo VALUES ('A', '01', '012', 'Horticultura', NULL, NULL, NULL, "
                "NULL)",
                "INSERT INTO ZELT_200_Grupo VALUES ('A', '01', '011', 'Cereais', NULL, NULL, NULL, 'Nota do "
                "grupo')",
                "INSERT INTO ZELT_200_Grupo VALUES ('A', '02', '021', 'Silvicultura', NULL, NULL, NULL, "
                "NULL)",
                "INSERT INTO ZELT_200_Grupo VALUES ('B', '05', '051', 'Águas', NULL, NULL, NULL, NULL)",
                "CREATE TABLE ZELT_200_Classe (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, CODIGO_CLA "
                "TEXT, "
                "DESCRICAO_CLA TEXT, CCOMPRE_CLA MEMO, TCOMPRE_CLA MEMO, NCOMPRE_CLA MEMO, NOTAS_CLA MEMO)",
                "INSERT INTO ZELT_200_Classe VALUES ('A', '01', '011', '01121', 'Cultivo de milho', NULL, "
                "NULL, NULL, "
                "NULL)",
                "INSERT INTO ZELT_200_Classe VALUES ('A', '01', '011', '01113', 'Cultivo de arroz', 'Arroz', "
                "NULL, "
                "NULL, NULL)",
                "INSERT INTO ZELT_200_Classe VALUES ('A', '01', '012', '01210', NULL, NULL, NULL, NULL, "
                "NULL)",
                "INSERT INTO ZELT_200_Classe VALUES ('A', '02', '021', '02101', 'Florestas plantadas', NULL, "
                "NULL, "
                "NULL, NULL)",
                "INSERT INTO ZELT_200_Classe VALUES ('B', '05', '051', '05003', 'Água mineral', NULL, NULL, "
                "NULL, "
                "NULL)",
                "CREATE TABLE ZELT_200_SubClasse (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, "
                "CODIGO_CLA TEXT, "
                "CODIGO_SUB TEXT, DV_SUB TEXT, DESCRICAO_SUB TEXT, CCOMPRE_SUB MEMO, TCOMPRE_SUB MEMO, "
                "NCOMPRE_SUB MEMO, NOTAS_SUB MEMO)",
                "INSERT INTO ZELT_200_SubClasse VALUES ('A', '01', '011', '01113', '02', '9', 'Arroz "
                "irrigado', NULL, "
                "NULL, NULL, NULL)",
                "INSERT INTO ZELT_200_SubClasse VALUES ('A', '01', '011', '01113', '01', '8', 'Arroz de "
                "sequeiro', "
                "'Sequeiro', NULL, NULL, NULL)",
                "INSERT INTO ZELT_200_SubClasse VALUES ('A', '01', '011', '01121', '01', '7', 'Milho', NULL, "
                "NULL, "
                "NULL, NULL)",
                "INSERT INTO ZELT_200_SubClasse VALUES ('A', '02', '021', '02101', '88', '0', 'Outras', "
                "NULL, NULL, "
                "NULL, NULL)",
                "CREATE TABLE ZELT_200_Atividade (Codigo_Sec TEXT, Codigo_Div TEXT, Codigo_Grp TEXT, "
                "Codigo_Cla TEXT, "
                "Codigo_Sub TEXT, Codigo_Cla_Seq INTEGER, Descricao_Cla MEMO, Palavra_Chave MEMO)",
                "INSERT INTO ZELT_200_Atividade VALUES ('A', '01', '011', '01113', '01', 1, 'Cultivo de "
                "arroz', "
                "'|arroz|cultivo|cereal|')",
                "INSERT INTO ZELT_200_Atividade VALUES ('A', '01', '011', '01113', '02', 2, 'Cultivo de "
                "trigo', "
                "'|trigo|cultivo|cereal|')",
                "INSERT INTO ZELT_200_Atividade VALUES ('A', '01', '011', '01121', '01', 3, 'Venda de carros "
                "em "
                "feira', '|venda|carros|feira|')",
                "INSERT INTO ZELT_200_Atividade VALUES ('A', '02', '021', '02101', '88', 4, 'Venda de carros "
                "novos', "
                "'|VENDA|Carros|novos|')",
                "INSERT INTO ZELT_200_Atividade VALUES ('B', '05', '051', '05003', '01', 5, 'Extração de "
                "água "
                "mineral', '|agua|mineral|extracao|')",
                QStringLiteral(
                    "INSERT INTO ZELT_200_Atividade VALUES ('B', '05', '051', '05003', '02', 6, '%1', "
                    "'|reatores|nucleares|')")
                    .arg(longDescription),
                "CREATE TABLE ZELT_Sinonimo (PALAVRA_SIN TEXT, SINONIMO_SIN TEXT)",
                "INSERT INTO ZELT_Sinonimo VALUES ('carro', 'automovel')",
                "CREATE TABLE ZELT_PALAVRA_NAO (Palavra_Pan TEXT)",
                "INSERT INTO ZELT_PALAVRA_NAO VALUES ('de'), ('DA'), ('e')",
                "CREATE TABLE Nulos (c_text TEXT, c_memo MEMO, c_longtext LONGTEXT, c_longchar LONGCHAR, "
                "c_note note, c_clob CLOB, c_sized \"Memo(1000)\", c_varchar VARCHAR(255), c_int INTEGER, "
                "c_none)",
                "INSERT INTO Nulos VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
                "CREATE TABLE Valores (Texto TEXT, Numero INTEGER, Real REAL, Data TEXT)",
                "INSERT INTO Valores VALUES ('42', 7, 3.0, '2024-02-29 10:00:00')",
                "INSERT INTO Valores VALUES ('Água', -3, 2.5, '2023-05-10')",
                "INSERT INTO Valores VALUES ('quarenta', 0, 1e20, 'ontem')",
            }),
        QString());
    m_dtm.ADCMain.setConnectionString(testdb::connectionStringFor(m_path));
    m_dtm.ADCMain.open();
}

void TestQuery::statement_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, const QString &statement, const QString &field,
                        const QString &expected) { QTest::newRow(name) << statement << field << expected; };

    // Part of the catalogue and the edition row.
    row("edition row", "SELECT * FROM ZELT_Classificacao WHERE COD_CLASSIFICACAO =7", "Tabela", "ZELT_200");
    row("stop word, other case", "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = 'da'",
        "Palavra_Pan", "DA");
    row("stop word with operator", "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = '+de'",
        "Palavra_Pan", "");
    // The hierarchy statements.
    row("S1", "SELECT * FROM ZELT_200_SECAO ORDER BY Codigo_Sec", "codigo_sec", "A|B");
    row("S2", "SELECT * FROM ZELT_200_SECAO WHERE Codigo_Sec = 'a' ORDER BY Codigo_Sec", "DESCRICAO_SEC",
        "Agricultura e pecuária");
    row("S4", "SELECT * FROM ZELT_200_Divisao WHERE Codigo_Sec = 'A' ORDER BY Codigo_Div", "codigo_div",
        "01|02");
    row("S5",
        "SELECT ZELT_200_SECAO.CODIGO_SEC, ZELT_200_SECAO.DESCRICAO_SEC, ZELT_200_DIVISAO.CODIGO_DIV, "
        "ZELT_200_DIVISAO.DESCRICAO_DIV, ZELT_200_DIVISAO.CCOMPRE_DIV, ZELT_200_DIVISAO.TCOMPRE_DIV, "
        "ZELT_200_DIVISAO.NCOMPRE_DIV, ZELT_200_DIVISAO.NOTAS_DIV FROM ZELT_200_SECAO INNER JOIN "
        "ZELT_200_DIVISAO ON "
        "ZELT_200_SECAO.CODIGO_SEC = ZELT_200_DIVISAO.CODIGO_SEC WHERE Codigo_Div = '01'",
        "Descricao_Sec", "Agricultura e pecuária");
    row("S6", "SELECT * FROM ZELT_200_Grupo WHERE Codigo_Div = '01' ORDER BY Codigo_Grp", "CODIGO_GRP",
        "011|012");
    row("S7",
        "SELECT ZELT_200_SECAO.CODIGO_SEC, ZELT_200_SECAO.DESCRICAO_SEC, ZELT_200_DIVISAO.codigo_div, "
        "ZELT_200_DIVISAO.descricao_div, ZELT_200_GRUPO.CODIGO_GRP, ZELT_200_GRUPO.DESCRICAO_GRP, "
        "ZELT_200_GRUPO.CCOMPRE_GRP, ZELT_200_GRUPO.TCOMPRE_GRP, ZELT_200_GRUPO.NCOMPRE_GRP, "
        "ZELT_200_GRUPO.NOTAS_GRP "
        "FROM ZELT_200_SECAO, ZELT_200_DIVISAO, ZELT_200_GRUPO  WHERE ZELT_200_SECAO.CODIGO_SEC = "
        "ZELT_200_DIVISAO.codigo_sec AND ZELT_200_DIVISAO.codigo_div = ZELT_200_GRUPO.CODIGO_DIV  AND "
        "Codigo_Grp = "
        "'011'",
        "NOTAS_Grp", "Nota do grupo");
    row("S8",
        "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, DESCRICAO_CLA, CCOMPRE_CLA, "
        "TCOMPRE_CLA, NCOMPRE_CLA, NOTAS_CLA,  (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1))  As "
        "CodigoClasse  FROM ZELT_200_Classe WHERE Codigo_Grp = '011' ORDER BY Codigo_Cla",
        "CodigoClasse", "0111-3|0112-1");
    row("S9",
        "SELECT ZELT_200_SECAO.CODIGO_SEC, ZELT_200_SECAO.DESCRICAO_SEC, ZELT_200_DIVISAO.codigo_div, "
        "ZELT_200_DIVISAO.descricao_div, ZELT_200_GRUPO.CODIGO_GRP,  ZELT_200_GRUPO.DESCRICAO_GRP, "
        "ZELT_200_CLASSE.Codigo_Cla, ZELT_200_CLASSE.Descricao_Cla,  ZELT_200_Classe.CCOMPRE_Cla, "
        "ZELT_200_Classe.TCOMPRE_Cla,  ZELT_200_Classe.NCOMPRE_Cla, ZELT_200_Classe.NOTAS_Cla,  "
        "(Left(ZELT_200_Classe.Codigo_Cla,4) + '-' + Right(ZELT_200_Classe.Codigo_Cla, 1))  As "
        "CodigoClasse  FROM "
        "ZELT_200_SECAO, ZELT_200_DIVISAO, ZELT_200_GRUPO, ZELT_200_CLASSE  WHERE "
        "ZELT_200_SECAO.CODIGO_SEC = "
        "ZELT_200_DIVISAO.codigo_sec AND  ZELT_200_DIVISAO.codigo_div = ZELT_200_GRUPO.CODIGO_DIV AND  "
        "ZELT_200_Classe.Codigo_Grp = ZELT_200_GRUPO.CODIGO_Grp  AND Codigo_Cla = '01113'",
        "CodigoClasse", "0111-3");
    row("S10",
        "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, CODIGO_SUB, DV_SUB, DESCRICAO_SUB, "
        "CCOMPRE_SUB, TCOMPRE_SUB, NCOMPRE_SUB, NOTAS_SUB,  (Left(Codigo_Cla,4) + '-' + "
        "Right(Codigo_Cla, 1) + '/' + Codigo_Sub)  As CodigoSubClasse FROM ZELT_200_SubClasse WHERE "
        "Codigo_Cla = '01113' ORDER BY Codigo_Sub",
        "CodigoSubClasse", "0111-3/01|0111-3/02");
    const QString s11 =
        "SELECT ZELT_200_SECAO.CODIGO_SEC, ZELT_200_SECAO.DESCRICAO_SEC, ZELT_200_DIVISAO.codigo_div, "
        "ZELT_200_DIVISAO.descricao_div, ZELT_200_GRUPO.CODIGO_GRP, ZELT_200_GRUPO.DESCRICAO_GRP, "
        "ZELT_200_CLASSE.Codigo_Cla, ZELT_200_CLASSE.Descricao_Cla, ZELT_200_SUBClasse.CODIGO_SUB, "
        "ZELT_200_SUBClasse.Descricao_SUB, ZELT_200_SUBClasse.CCOMPRE_SUB, ZELT_200_SUBClasse.TCOMPRE_SUB, "
        "ZELT_200_SUBClasse.NCOMPRE_SUB, ZELT_200_SUBClasse.NOTAS_SUB, "
        "(Left(ZELT_200_SUBClasse.Codigo_Cla,4) + '-' + "
        "Right(ZELT_200_SUBClasse.Codigo_Cla, 1)) As CodigoClasse, (Left(ZELT_200_SUBClasse.Codigo_Cla,4) + "
        "'-' + "
        "Right(ZELT_200_SUBClasse.Codigo_Cla, 1) + '/' + ZELT_200_SUBClasse.Codigo_Sub)  As CodigoSubClasse "
        "FROM "
        "ZELT_200_SECAO, ZELT_200_DIVISAO, ZELT_200_GRUPO, ZELT_200_CLASSE, ZELT_200_SUBCLASSE WHERE "
        "ZELT_200_SECAO.CODIGO_SEC = ZELT_200_DIVISAO.codigo_sec AND ZELT_200_DIVISAO.codigo_div = "
        "ZELT_200_GRUPO.CODIGO_DIV AND ZELT_200_Classe.Codigo_Grp = ZELT_200_GRUPO.CODIGO_Grp AND "
        "ZELT_200_Classe.Codigo_Cla = ZELT_200_SUBCLASSE.CODIGO_CLA AND Codigo_Sub = '%1' AND "
        "ZELT_200_SUBCLASSE.Codigo_Cla = '%2'";
    row("S11", s11.arg("02", "01113"), "CodigoSubClasse", "0111-3/02");
    row("S11 without class", s11.arg("02", ""), "CodigoSubClasse", "");
    // The search run.
    row("words",
        kSearchHead + " AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE '%|carros|%')"
                      " ORDER BY Codigo_Cla, Descricao_Cla",
        "CodigoClasse", "0112-1|0210-1");
    row("subclass edition",
        kSearchHead + " AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE "
                      "'%|carros|%') AND (Codigo_Sub <> '88')  ORDER BY "
                      "Codigo_Cla,Codigo_sub, Descricao_Cla",
        "CodigoSubClasse", "0112-1/01");
    row("forced and excluded",
        kSearchHead + " AND (Palavra_Chave LIKE '|venda|%') AND (NOT Palavra_Chave LIKE "
                      "'%|novos|%') ORDER BY Codigo_Cla, Descricao_Cla",
        "Descricao", "Venda de carros em feira");
    row("subclass code",
        kSearchHead + " AND ( (Codigo_Cla LIKE '0111301%') OR (Codigo_Sub = '01' AND Codigo_Cla = "
                      "'01113') ) ORDER BY Codigo_Cla, Descricao_Cla",
        "CodigoSubClasse", "0111-3/01");
    row("division code", kSearchHead + " AND ( (Codigo_Cla LIKE '01%') ) ORDER BY Codigo_Cla, Descricao_Cla",
        "CodigoClasse", "0111-3|0111-3|0112-1");
    row("alphabetical", kSearchHead + " AND (Palavra_Chave LIKE '%al|%') ORDER BY Descricao_Cla", "Descricao",
        "Cultivo de arroz|Cultivo de trigo|Extração de água mineral");
    row("typed in capitals", kSearchHead + " AND (Palavra_Chave LIKE '%|AGUA|%') ORDER BY Descricao_Cla",
        "Codigo_Cla_Seq", "5");
    row("only stop words", kSearchHead + " AND (Palavra_Chave LIKE '%|#0|%') ORDER BY Descricao_Cla",
        "Descricao", "");
}

void TestQuery::statement()
{
    QFETCH(QString, statement);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    Query &query = m_dtm.QryAuxiliar;
    query.close();
    query.sql().clear();
    query.sql().append(statement);
    query.open();
    QCOMPARE(column(query, field), expected);
    QCOMPARE(query.recordCount(), expected.isEmpty() ? 0 : int(expected.count(QLatin1Char('|'))) + 1);
}

void TestQuery::searchCutsDescriptionsAt500()
{
    Query &query = m_dtm.QryPesquisa;
    query.reload(kSearchHead + " AND (Palavra_Chave LIKE '%|reatores|%') ORDER BY Codigo_Cla, Descricao_Cla");
    QCOMPARE(query.recordCount(), 1);
    QCOMPARE(query.fieldByName(QStringLiteral("Descricao_Cla")).asString().size(), 600);
    QCOMPARE(query.fieldByName(QStringLiteral("Descricao")).asString().size(), 500);
}

void TestQuery::catalogueQueries()
{
    // The stored SQL of the two catalogue queries, run as the data module holds it.
    m_dtm.QryClassificacao.open();
    QCOMPARE(column(m_dtm.QryClassificacao, QStringLiteral("Descricao")),
             QStringLiteral("ZELT 2.0|ZELT 2.0 Subclasses|Antiga"));
    m_dtm.QryDataBanco.open();
    QCOMPARE(m_dtm.QryDataBanco.recordCount(), 1);
    QCOMPARE(m_dtm.QryDataBanco.field(0).asDateTime(), QDateTime(QDate(2024, 2, 29), QTime(10, 0)));
}

void TestQuery::currentRowMovesAndStays()
{
    Query &query = m_dtm.QrySecaoAux;
    QSignalSpy moved(&query, &Query::currentRowChanged);
    query.reload(QStringLiteral("SELECT * FROM ZELT_200_Divisao ORDER BY Codigo_Div"));
    QCOMPARE(query.recordCount(), 3);
    QCOMPARE(query.currentRow(), 0);
    QVERIFY(!query.eof());
    QCOMPARE(query.fieldByName(QStringLiteral("codigo_div")).asString(), QStringLiteral("01"));

    moved.clear();
    query.setCurrentRow(2);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(query.fieldByName(QStringLiteral("CODIGO_DIV")).asString(), QStringLiteral("05"));
    query.setCurrentRow(99); // clamped: stays on the last row, no move
    QCOMPARE(query.currentRow(), 2);
    QCOMPARE(moved.count(), 1);

    query.next(); // past the end: eof, the row stays
    QVERIFY(query.eof());
    QCOMPARE(query.currentRow(), 2);
    query.first();
    QVERIFY(!query.eof());
    QCOMPARE(query.currentRow(), 0);

    // Other queries' reloads do not move it; its own reload puts it back on the first row.
    query.setCurrentRow(1);
    m_dtm.QryDivisaoAux.reload(QStringLiteral("SELECT * FROM ZELT_200_Grupo"));
    QCOMPARE(query.currentRow(), 1);
    query.reload(QStringLiteral("SELECT * FROM ZELT_200_Divisao ORDER BY Codigo_Div"));
    QCOMPARE(query.currentRow(), 0);
}

void TestQuery::emptyResult()
{
    Query &query = m_dtm.QryClasseAux;
    query.reload(QStringLiteral("SELECT * FROM ZELT_200_SubClasse WHERE Codigo_Cla = '99999'"));
    QVERIFY(query.isOpen());
    QVERIFY(query.isEmpty());
    QVERIFY(query.eof());
    QCOMPARE(query.recordCount(), 0);
    QCOMPARE(query.currentRow(), -1);
    query.setCurrentRow(0);
    QCOMPARE(query.currentRow(), -1);
    // Reading a field with no row fails, memo or not.
    for (const char *name : {"Codigo_Sub", "NOTAS_SUB"}) {
        try {
            query.fieldByName(QString::fromLatin1(name)).asString();
            QFAIL("no error");
        } catch (const DataError &error) {
            QVERIFY2(error.message().contains(QLatin1String(name), Qt::CaseInsensitive),
                     qPrintable(error.message()));
        }
    }
    QVERIFY_THROWS_EXCEPTION(DataError, query.fieldByName(QStringLiteral("Nada")));
}

void TestQuery::resultIsFetchedWhole()
{
    Query &query = m_dtm.QrySinonimo;
    query.open();
    QCOMPARE(query.recordCount(), 1);

    sqlite3 *writer = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(m_path).constData(), &writer), SQLITE_OK);
    QCOMPARE(sqlite3_exec(writer, "INSERT INTO ZELT_Sinonimo VALUES ('moto', 'motocicleta')", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    QCOMPARE(query.recordCount(), 1); // a static result
    query.close();
    query.open();
    QCOMPARE(query.recordCount(), 2);
    QCOMPARE(sqlite3_exec(writer, "DELETE FROM ZELT_Sinonimo WHERE PALAVRA_SIN = 'moto'", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    sqlite3_close(writer);
}

void TestQuery::nullRules_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("longText");

    const auto row = [](const char *name, const QString &field, bool longText) {
        QTest::newRow(name) << field << longText;
    };

    row("TEXT", "c_text", false);
    row("MEMO", "c_memo", true);
    row("LONGTEXT", "c_longtext", true);
    row("LONGCHAR", "c_longchar", true);
    row("note, lower case", "c_note", true);
    row("CLOB", "c_clob", true);
    row("Memo(1000)", "c_sized", true);
    row("VARCHAR", "c_varchar", false);
    row("INTEGER", "c_int", false);
    row("no type", "c_none", false);
}

void TestQuery::nullRules()
{
    QFETCH(QString, field);
    QFETCH(bool, longText);
    Query &query = m_dtm.QryAuxiliar;
    query.reload(QStringLiteral("SELECT * FROM Nulos"));
    const Field value = query.fieldByName(field);
    QVERIFY(value.isNull());
    QCOMPARE(query.isLongText(query.columnIndex(field)), longText);
    if (longText) {
        QCOMPARE(value.asString(), QString());
    } else {
        try {
            value.asString();
            QFAIL("NULL read as text");
        } catch (const DataError &error) {
            QVERIFY2(error.message().contains(field), qPrintable(error.message()));
        }
    }
    QVERIFY_THROWS_EXCEPTION(DataError, value.asInteger());
}

void TestQuery::conversions_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("integer"); // invalid: conversion fails
    QTest::addColumn<QDateTime>("date");   // invalid: conversion fails

    const auto row = [](const char *name, int row, const QString &field, const QString &text,
                        const QVariant &integer, const QDateTime &date) {
        QTest::newRow(name) << row << field << text << integer << date;
    };

    row("numeric text", 0, "Texto", "42", QVariant(42), QDateTime());
    row("integer", 0, "Numero", "7", QVariant(7), QDateTime());
    row("whole real", 0, "Real", "3", QVariant(3), QDateTime());
    row("date and time", 0, "Data", "2024-02-29 10:00:00", QVariant(),
        QDateTime(QDate(2024, 2, 29), QTime(10, 0)));
    row("accented text", 1, "Texto", "Água", QVariant(), QDateTime());
    row("negative", 1, "Numero", "-3", QVariant(-3), QDateTime());
    row("fraction", 1, "Real", "2.5", QVariant(), QDateTime());
    row("date only", 1, "Data", "2023-05-10", QVariant(), QDateTime(QDate(2023, 5, 10), QTime(0, 0)));
    row("word", 2, "Texto", "quarenta", QVariant(), QDateTime());
    row("large real", 2, "Real", "1e+20", QVariant(), QDateTime());
    row("not a date", 2, "Data", "ontem", QVariant(), QDateTime());
}

void TestQuery::conversions()
{
    QFETCH(int, row);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QVariant, integer);
    QFETCH(QDateTime, date);
    Query &query = m_dtm.QryAuxiliar;
    query.reload(QStringLiteral("SELECT * FROM Valores"));
    query.setCurrentRow(row);
    const Field value = query.fieldByName(field);
    QCOMPARE(value.asString(), text);
    if (integer.isValid())
        QCOMPARE(value.asInteger(), integer.toLongLong());
    else
        QVERIFY_THROWS_EXCEPTION(DataError, value.asInteger());
    if (date.isValid())
        QCOMPARE(value.asDateTime(), date);
    else
        QVERIFY_THROWS_EXCEPTION(DataError, value.asDateTime());
}

void TestQuery::locate_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("row"); // -1: not found, current row unchanged

    const auto row = [](const char *name, const QString &field, const QString &value, int row) {
        QTest::newRow(name) << field << value << row;
    };

    row("text", "Texto", "42", 0);
    row("accented, other case", "texto", "ÁGUA", 1);
    row("number", "Numero", "-3", 1);
    row("absent", "Texto", "agua", -1);
}

void TestQuery::locate()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(int, row);
    Query &query = m_dtm.QryAuxiliar;
    query.reload(QStringLiteral("SELECT * FROM Valores"));
    query.setCurrentRow(2);
    QCOMPARE(query.locate(field, value), row >= 0);
    QCOMPARE(query.currentRow(), row >= 0 ? row : 2);
}

void TestQuery::failedOpenLeavesQueryClosed()
{
    Query &query = m_dtm.QryEstrutura;
    query.reload(QStringLiteral("SELECT * FROM ZELT_200_SECAO ORDER BY Codigo_Sec"));
    QSignalSpy before(&query, &Query::aboutToReload);
    QSignalSpy after(&query, &Query::reloaded);
    try {
        query.reload(QStringLiteral("SELECT * FROM ZELT_999_SECAO ORDER BY Codigo_Sec"));
        QFAIL("no error");
    } catch (const DataError &error) {
        QVERIFY2(error.message().contains(QLatin1String("ZELT_999_SECAO")), qPrintable(error.message()));
    }
    QVERIFY(!query.isOpen());
    QCOMPARE(query.recordCount(), 0);
    QCOMPARE(query.currentRow(), -1);
    QCOMPARE(query.sql(), QStringList{QStringLiteral("SELECT * FROM ZELT_999_SECAO ORDER BY Codigo_Sec")});
    QCOMPARE(before.count(), after.count());
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
