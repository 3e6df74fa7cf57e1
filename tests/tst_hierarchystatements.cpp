#include "browse/HierarchyStatements.h"

#include <QtTest>

#include <functional>

#include "data/DataError.h"

class TestHierarchyStatements : public QObject
{
    Q_OBJECT

private slots:
    void statements_data();
    void statements();
    void quotingAndPrefixes_data();
    void quotingAndPrefixes();
    void unsafePrefixIsRefused_data();
    void unsafePrefixIsRefused();
};

// The texts below are the ones the engine must receive, blank for blank.
void TestHierarchyStatements::statements_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    const QString prefix = QStringLiteral("ZELT_110");

    QTest::newRow("S1 all sections") << allSections(prefix)
                                     << "SELECT * FROM ZELT_110_SECAO ORDER BY Codigo_Sec";
    QTest::newRow("S2/S3 section A")
        << sectionByCode(prefix, "A")
        << "SELECT * FROM ZELT_110_SECAO WHERE Codigo_Sec = 'A' ORDER BY Codigo_Sec";
    QTest::newRow("S4 divisions of A")
        << divisionsOfSection(prefix, "A")
        << "SELECT * FROM ZELT_110_Divisao WHERE Codigo_Sec = 'A' ORDER BY Codigo_Div";
    QTest::newRow("S5 division 01")
        << divisionDetail(prefix, "01")
        << "SELECT ZELT_110_SECAO.CODIGO_SEC, ZELT_110_SECAO.DESCRICAO_SEC, "
           "ZELT_110_DIVISAO.CODIGO_DIV, ZELT_110_DIVISAO.DESCRICAO_DIV, ZELT_110_DIVISAO.CCOMPRE_DIV, "
           "ZELT_110_DIVISAO.TCOMPRE_DIV, ZELT_110_DIVISAO.NCOMPRE_DIV, ZELT_110_DIVISAO.NOTAS_DIV FROM "
           "ZELT_110_SECAO INNER JOIN ZELT_110_DIVISAO ON ZELT_110_SECAO.CODIGO_SEC = "
           "ZELT_110_DIVISAO.CODIGO_SEC WHERE Codigo_Div = '01'";
    QTest::newRow("S6 groups of 01")
        << groupsOfDivision(prefix, "01")
        << "SELECT * FROM ZELT_110_Grupo WHERE Codigo_Div = '01' ORDER BY Codigo_Grp";
    QTest::newRow("S7 group 011")
        << groupDetail(prefix, "011")
        << "SELECT ZELT_110_SECAO.CODIGO_SEC, ZELT_110_SECAO.DESCRICAO_SEC, "
           "ZELT_110_DIVISAO.codigo_div, ZELT_110_DIVISAO.descricao_div, ZELT_110_GRUPO.CODIGO_GRP, "
           "ZELT_110_GRUPO.DESCRICAO_GRP, ZELT_110_GRUPO.CCOMPRE_GRP, ZELT_110_GRUPO.TCOMPRE_GRP, "
           "ZELT_110_GRUPO.NCOMPRE_GRP, ZELT_110_GRUPO.NOTAS_GRP FROM ZELT_110_SECAO, ZELT_110_DIVISAO, "
           "ZELT_110_GRUPO  WHERE ZELT_110_SECAO.CODIGO_SEC = ZELT_110_DIVISAO.codigo_sec AND "
           "ZELT_110_DIVISAO.codigo_div = ZELT_110_GRUPO.CODIGO_DIV  AND Codigo_Grp = '011'";
    QTest::newRow("S8 classes of 011")
        << classesOfGroup(prefix, "011")
        << "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, DESCRICAO_CLA, CCOMPRE_CLA, "
           "TCOMPRE_CLA, NCOMPRE_CLA, NOTAS_CLA,  (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1))  As "
           "CodigoClasse  FROM ZELT_110_Classe WHERE Codigo_Grp = '011' ORDER BY Codigo_Cla";
    QTest::newRow("S9 class 01113")
        << classDetail(prefix, "01113")
        << "SELECT ZELT_110_SECAO.CODIGO_SEC, ZELT_110_SECAO.DESCRICAO_SEC, "
           "ZELT_110_DIVISAO.codigo_div, ZELT_110_DIVISAO.descricao_div, ZELT_110_GRUPO.CODIGO_GRP,  "
           "ZELT_110_GRUPO.DESCRICAO_GRP, ZELT_110_CLASSE.Codigo_Cla, ZELT_110_CLASSE.Descricao_Cla,  "
           "ZELT_110_Classe.CCOMPRE_Cla, ZELT_110_Classe.TCOMPRE_Cla,  ZELT_110_Classe.NCOMPRE_Cla, "
           "ZELT_110_Classe.NOTAS_Cla,  (Left(ZELT_110_Classe.Codigo_Cla,4) + '-' + "
           "Right(ZELT_110_Classe.Codigo_Cla, 1))  As CodigoClasse  FROM ZELT_110_SECAO, "
           "ZELT_110_DIVISAO, ZELT_110_GRUPO, ZELT_110_CLASSE  WHERE ZELT_110_SECAO.CODIGO_SEC = "
           "ZELT_110_DIVISAO.codigo_sec AND  ZELT_110_DIVISAO.codigo_div = ZELT_110_GRUPO.CODIGO_DIV "
           "AND  ZELT_110_Classe.Codigo_Grp = ZELT_110_GRUPO.CODIGO_Grp  AND Codigo_Cla = '01113'";
    QTest::newRow("S10 subclasses of 01113")
        << subclassesOfClass(prefix, "01113")
        << "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, CODIGO_SUB, DV_SUB, DESCRICAO_SUB, "
           "CCOMPRE_SUB, TCOMPRE_SUB, NCOMPRE_SUB, NOTAS_SUB,  (Left(Codigo_Cla,4) + '-' + "
           "Right(Codigo_Cla, 1) + '/' + Codigo_Sub)  As CodigoSubClasse FROM ZELT_110_SubClasse WHERE "
           "Codigo_Cla = '01113' ORDER BY Codigo_Sub";
    QTest::newRow("S11 subclass 01113/01")
        << subclassDetail(prefix, "01113", "01")
        << "SELECT ZELT_110_SECAO.CODIGO_SEC, ZELT_110_SECAO.DESCRICAO_SEC, "
           "ZELT_110_DIVISAO.codigo_div, ZELT_110_DIVISAO.descricao_div, ZELT_110_GRUPO.CODIGO_GRP, "
           "ZELT_110_GRUPO.DESCRICAO_GRP, ZELT_110_CLASSE.Codigo_Cla, ZELT_110_CLASSE.Descricao_Cla, "
           "ZELT_110_SUBClasse.CODIGO_SUB, ZELT_110_SUBClasse.Descricao_SUB, "
           "ZELT_110_SUBClasse.CCOMPRE_SUB, ZELT_110_SUBClasse.TCOMPRE_SUB, "
           "ZELT_110_SUBClasse.NCOMPRE_SUB, ZELT_110_SUBClasse.NOTAS_SUB, "
           "(Left(ZELT_110_SUBClasse.Codigo_Cla,4) + '-' + Right(ZELT_110_SUBClasse.Codigo_Cla, 1)) As "
           "CodigoClasse, (Left(ZELT_110_SUBClasse.Codigo_Cla,4) + '-' + "
           "Right(ZELT_110_SUBClasse.Codigo_Cla, 1) + '/' + ZELT_110_SUBClasse.Codigo_Sub)  As "
           "CodigoSubClasse FROM ZELT_110_SECAO, ZELT_110_DIVISAO, ZELT_110_GRUPO, ZELT_110_CLASSE, "
           "ZELT_110_SUBCLASSE WHERE ZELT_110_SECAO.CODIGO_SEC = ZELT_110_DIVISAO.codigo_sec AND "
           "ZELT_110_DIVISAO.codigo_div = ZELT_110_GRUPO.CODIGO_DIV AND ZELT_110_Classe.Codigo_Grp = "
           "ZELT_110_GRUPO.CODIGO_Grp AND ZELT_110_Classe.Codigo_Cla = ZELT_110_SUBCLASSE.CODIGO_CLA "
           "AND Codigo_Sub = '01' AND ZELT_110_SUBCLASSE.Codigo_Cla = '01113'";
}

void TestHierarchyStatements::statements()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestHierarchyStatements::quotingAndPrefixes_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expectedEnd");
    const QString prefix = QStringLiteral("ZELT_110");

    QTest::newRow("quote doubled")
        << sectionByCode(prefix, "X'Y")
        << "SELECT * FROM ZELT_110_SECAO WHERE Codigo_Sec = 'X''Y' ORDER BY Codigo_Sec";
    QTest::newRow("quote cannot end the literal")
        << divisionsOfSection(prefix, "A' OR 'x'='x")
        << "SELECT * FROM ZELT_110_Divisao WHERE Codigo_Sec = 'A'' OR ''x''=''x' ORDER BY Codigo_Div";
    QTest::newRow("quotes only")
        << groupsOfDivision(prefix, "''")
        << "SELECT * FROM ZELT_110_Grupo WHERE Codigo_Div = '''''' ORDER BY Codigo_Grp";
    QTest::newRow("empty code") << sectionByCode(prefix, "")
                                << "SELECT * FROM ZELT_110_SECAO WHERE Codigo_Sec = '' ORDER BY Codigo_Sec";
    QTest::newRow("placeholder text in a code stays literal")
        << sectionByCode(prefix, "{prefix}")
        << "SELECT * FROM ZELT_110_SECAO WHERE Codigo_Sec = '{prefix}' ORDER BY Codigo_Sec";
    QTest::newRow("S11 with empty class code")
        << subclassDetail(prefix, "", "01")
        << " AND Codigo_Sub = '01' AND ZELT_110_SUBCLASSE.Codigo_Cla = ''";
    QTest::newRow("S11 codes quoted in their places")
        << subclassDetail(prefix, "0'1", "9'")
        << " AND Codigo_Sub = '9''' AND ZELT_110_SUBCLASSE.Codigo_Cla = '0''1'";
    QTest::newRow("S10 quote doubled")
        << subclassesOfClass(prefix, "0111'")
        << " FROM ZELT_110_SubClasse WHERE Codigo_Cla = '0111''' ORDER BY Codigo_Sub";
    QTest::newRow("other prefix") << allSections("Z2") << "SELECT * FROM Z2_SECAO ORDER BY Codigo_Sec";
    QTest::newRow("empty prefix") << allSections("") << "SELECT * FROM _SECAO ORDER BY Codigo_Sec";
    QTest::newRow("prefix with accented letters")
        << allSections(QStringLiteral("ZELT_Ação"))
        << QStringLiteral("SELECT * FROM ZELT_Ação_SECAO ORDER BY Codigo_Sec");
    QTest::newRow("every prefix place filled")
        << classDetail("P9", "12345")
        << " P9_Classe.Codigo_Grp = P9_GRUPO.CODIGO_Grp  AND Codigo_Cla = '12345'";
}

void TestHierarchyStatements::quotingAndPrefixes()
{
    QFETCH(QString, actual);
    QFETCH(QString, expectedEnd);
    QVERIFY2(actual.endsWith(expectedEnd), qPrintable(actual));
}

void TestHierarchyStatements::unsafePrefixIsRefused_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::newRow("statement separator") << "ZELT_110; DELETE FROM ZELT_110_SECAO";
    QTest::newRow("comment") << "ZELT_110_SECAO --";
    QTest::newRow("blank") << "ZELT 110";
    QTest::newRow("trailing blank") << "ZELT_110 ";
    QTest::newRow("quote") << "ZELT'110";
    QTest::newRow("qualified name") << "ZELT.110";
    QTest::newRow("hyphen") << "ZELT-110";
    QTest::newRow("line break") << "ZELT_110\n";
    QTest::newRow("bracket") << "[ZELT_110]";
}

void TestHierarchyStatements::unsafePrefixIsRefused()
{
    QFETCH(QString, prefix);
    const QVector<std::function<QString()>> composers = {
        [&] { return allSections(prefix); },
        [&] { return sectionByCode(prefix, "A"); },
        [&] { return divisionsOfSection(prefix, "A"); },
        [&] { return divisionDetail(prefix, "01"); },
        [&] { return groupsOfDivision(prefix, "01"); },
        [&] { return groupDetail(prefix, "011"); },
        [&] { return classesOfGroup(prefix, "011"); },
        [&] { return classDetail(prefix, "01113"); },
        [&] { return subclassesOfClass(prefix, "01113"); },
        [&] { return subclassDetail(prefix, "01113", "01"); },
    };
    for (const auto &compose : composers)
        QVERIFY_THROWS_EXCEPTION(DataError, compose());
}

QTEST_GUILESS_MAIN(TestHierarchyStatements)
#include "tst_hierarchystatements.moc"
