#include "TestPaths.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

// The generated sample is what every window and search test reads, so its shape is checked here
// against what the program relies on: names, code formats, nesting, keyword format, vocabulary.
class TestSampleDatabase : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void tablesHaveTheirColumns_data();
    void tablesHaveTheirColumns();
    void noOtherTables();
    void catalogueListsTheFourEditions();
    void rulesHold_data();
    void rulesHold();
    void editionSizes_data();
    void editionSizes();
    void classEditionsHaveClassesWithoutSubclasses();
    void subclassEditionSubdividesEveryClass();
    void searchExamplesFindActivities_data();
    void searchExamplesFindActivities();
    void stopWordsAndSynonyms();
    void notesTakeEveryShape_data();
    void notesTakeEveryShape();
    void editionsDifferAndNotesCiteEveryLevel();
    void sameArgumentsGiveSameBytes();
    void scaleMultipliesActivities();
    void badArgumentsLeaveOutputAlone_data();
    void badArgumentsLeaveOutputAlone();

private:
    int generate(const QStringList &arguments, QString *errors = nullptr);
    qlonglong count(const QString &sql, sqlite3 *db = nullptr);
    QStringList rows(const QString &sql);
    sqlite3 *openDatabase(const QString &path);

    QTemporaryDir m_dir;
    QString m_path;
    sqlite3 *m_db = nullptr;
};

namespace
{

const QStringList Editions = {"ZELT_200", "ZELT_210", "ZELT_100", "ZELT_050"};

QStringList noteColumns(const QString &level)
{
    return {"CCOMPRE_" + level + " MEMO", "TCOMPRE_" + level + " MEMO", "NCOMPRE_" + level + " MEMO",
            "NOTAS_" + level + " MEMO"};
}

// Every note column of the edition, as table.column pairs.
QList<QPair<QString, QString>> notesOf(const QString &prefix)
{
    QList<QPair<QString, QString>> columns = {{prefix + "_Secao", "NTEXP_SEC"}};
    const QList<QPair<QString, QString>> levels = {
        {"_Secao", "SEC"}, {"_Divisao", "DIV"}, {"_Grupo", "GRP"}, {"_Classe", "CLA"}, {"_SubClasse", "SUB"}};
    for (const auto &level : levels)
        for (const QString &column : noteColumns(level.second))
            columns.append({prefix + level.first, column.section(' ', 0, 0)});
    return columns;
}

} // namespace

int TestSampleDatabase::generate(const QStringList &arguments, QString *errors)
{
    QProcess process;
    process.start(ZELT_BIN_DIR "/zelt-makedb", arguments);
    if (!process.waitForFinished(300000))
        return -1;
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

sqlite3 *TestSampleDatabase::openDatabase(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

qlonglong TestSampleDatabase::count(const QString &sql, sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db ? db : m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(db ? db : m_db));
        return -1;
    }
    const qlonglong value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    return value;
}

// Each row's columns joined by '|'.
QStringList TestSampleDatabase::rows(const QString &sql)
{
    QStringList result;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        qWarning("%s: %s", qPrintable(sql), sqlite3_errmsg(m_db));
        return {"<error>"};
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(statement); ++i)
            values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i)));
        result << values.join('|');
    }
    sqlite3_finalize(statement);
    return result;
}

void TestSampleDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath("sample.mdb");
    QCOMPARE(generate({m_path}), 0);
    m_db = openDatabase(m_path);
    QVERIFY(m_db);
}

void TestSampleDatabase::cleanupTestCase()
{
    sqlite3_close(m_db);
}

void TestSampleDatabase::tablesHaveTheirColumns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("ZELT_Classificacao")
        << "ZELT_Classificacao" << QStringList{"Cod_Classificacao INTEGER",
                                               "Descricao VARCHAR(100)",
                                               "Tabela VARCHAR(50)",
                                               "Status INTEGER",
                                               "Descricao_Pagina VARCHAR(150)",
                                               "Data_Atualizacao DATETIME"};
    QTest::newRow("ZELT_Sinonimo") << "ZELT_Sinonimo"
                                   << QStringList{"PALAVRA_SIN VARCHAR(50)", "SINONIMO_SIN VARCHAR(50)"};
    QTest::newRow("ZELT_PALAVRA_NAO") << "ZELT_PALAVRA_NAO" << QStringList{"Palavra_Pan VARCHAR(50)"};

    for (const QString &prefix : Editions) {
        QTest::addRow("%s_Secao", qPrintable(prefix))
            << prefix + "_Secao"
            << QStringList{"CODIGO_SEC VARCHAR(1)", "DESCRICAO_SEC VARCHAR(255)", "CODIGO_DIV1 VARCHAR(2)",
                           "CODIGO_DIV2 VARCHAR(2)", "NTEXP_SEC MEMO"} +
                   noteColumns("SEC");
        QTest::addRow("%s_Divisao", qPrintable(prefix))
            << prefix + "_Divisao"
            << QStringList{"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "DESCRICAO_DIV VARCHAR(255)"} +
                   noteColumns("DIV");
        QTest::addRow("%s_Grupo", qPrintable(prefix))
            << prefix + "_Grupo"
            << QStringList{"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
                           "DESCRICAO_GRP VARCHAR(255)"} +
                   noteColumns("GRP");
        QTest::addRow("%s_Classe", qPrintable(prefix))
            << prefix + "_Classe"
            << QStringList{"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
                           "CODIGO_CLA VARCHAR(5)", "DESCRICAO_CLA VARCHAR(255)"} +
                   noteColumns("CLA");
        QTest::addRow("%s_SubClasse", qPrintable(prefix))
            << prefix + "_SubClasse"
            << QStringList{"CODIGO_SEC VARCHAR(1)",     "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
                           "CODIGO_CLA VARCHAR(5)",     "CODIGO_SUB VARCHAR(2)", "DV_SUB VARCHAR(1)",
                           "DESCRICAO_SUB VARCHAR(255)"} +
                   noteColumns("SUB");
        QTest::addRow("%s_Atividade", qPrintable(prefix))
            << prefix + "_Atividade"
            << QStringList{"Codigo_Sec VARCHAR(1)",      "Codigo_Div VARCHAR(2)", "Codigo_Grp VARCHAR(3)",
                           "Codigo_Cla VARCHAR(5)",      "Codigo_Sub VARCHAR(2)", "Codigo_Cla_Seq INTEGER",
                           "Palavra_Chave VARCHAR(255)", "Descricao_Cla MEMO"};
    }
}

void TestSampleDatabase::tablesHaveTheirColumns()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    // Names are compared with their letter case: the program's stored SQL spells them this way.
    QCOMPARE(rows("SELECT name || ' ' || type FROM pragma_table_info('" + table + "')"), columns);
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = '" + table + "'"), 1);
}

void TestSampleDatabase::noOtherTables()
{
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"), 3 + 6 * Editions.size());
    // The data module's stored SQL names ZELT_110; the program must work without it.
    QCOMPARE(count("SELECT COUNT(*) FROM sqlite_master WHERE instr(name, 'ZELT_110') > 0"), 0);
    QCOMPARE(count("SELECT COUNT(*) FROM ZELT_Classificacao WHERE instr(Tabela, 'ZELT_110') > 0"), 0);
}

void TestSampleDatabase::catalogueListsTheFourEditions()
{
    const QStringList expected = {
        "1|ZELT 2.0|ZELT_200|0|ZELT 2.0 - Classificação Zeltiana de Atividades Econômicas",
        "2|ZELT 2.1 - Subclasses|ZELT_210|0|ZELT 2.1 - Subclasses da Classificação Zeltiana",
        "3|ZELT 1.0|ZELT_100|1|ZELT 1.0 - Classificação Zeltiana (congelada)",
        "4|ZELT 0.5 (rascunho)|ZELT_050|2|ZELT 0.5 - Rascunho da Classificação Zeltiana",
    };
    QCOMPARE(
        rows("SELECT Cod_Classificacao, Descricao, Tabela, Status, Descricao_Pagina FROM ZELT_Classificacao "
             "ORDER BY Cod_Classificacao"),
        expected);

    for (const QString &date : rows("SELECT Data_Atualizacao FROM ZELT_Classificacao"))
        QVERIFY2(QDateTime::fromString(date, "yyyy-MM-dd HH:mm:ss").isValid(), qPrintable(date));
    // The unlisted draft carries the newest date, which the home page must still show.
    QCOMPARE(rows("SELECT Tabela FROM ZELT_Classificacao "
                  "WHERE Data_Atualizacao = (SELECT MAX(Data_Atualizacao) FROM ZELT_Classificacao)"),
             QStringList{"ZELT_050"});
}

void TestSampleDatabase::rulesHold_data()
{
    QTest::addColumn<QString>("violations");

    // Each statement counts the rows that break one rule; %1 is the edition's table prefix.
    const QList<QPair<const char *, QString>> rules = {
        {"section code one letter", "SELECT COUNT(*) FROM %1_Secao WHERE CODIGO_SEC NOT GLOB '[A-Z]'"},
        {"division code two digits",
         "SELECT COUNT(*) FROM %1_Divisao WHERE CODIGO_DIV NOT GLOB '[0-9][0-9]'"},
        {"group code three digits",
         "SELECT COUNT(*) FROM %1_Grupo WHERE CODIGO_GRP NOT GLOB '[0-9][0-9][0-9]'"},
        {"class code five digits",
         "SELECT COUNT(*) FROM %1_Classe WHERE CODIGO_CLA NOT GLOB '[0-9][0-9][0-9][0-9][0-9]'"},
        {"subclass code two digits",
         "SELECT COUNT(*) FROM %1_SubClasse WHERE CODIGO_SUB NOT GLOB '[0-9][0-9]' OR CODIGO_SUB = '00'"},
        {"activity codes in their formats",
         "SELECT COUNT(*) FROM %1_Atividade WHERE Codigo_Sec NOT GLOB '[A-Z]' "
         "OR Codigo_Div NOT GLOB '[0-9][0-9]' OR Codigo_Grp NOT GLOB '[0-9][0-9][0-9]' "
         "OR Codigo_Cla NOT GLOB '[0-9][0-9][0-9][0-9][0-9]' OR Codigo_Sub NOT GLOB '[0-9][0-9]'"},
        {"group code begins with its division's",
         "SELECT COUNT(*) FROM %1_Grupo WHERE substr(CODIGO_GRP, 1, 2) <> CODIGO_DIV"},
        {"class code begins with its group's",
         "SELECT COUNT(*) FROM %1_Classe WHERE substr(CODIGO_CLA, 1, 3) <> CODIGO_GRP"},
        {"division under a section",
         "SELECT COUNT(*) FROM %1_Divisao WHERE CODIGO_SEC NOT IN (SELECT CODIGO_SEC FROM %1_Secao)"},
        {"group under its division and section",
         "SELECT COUNT(*) FROM %1_Grupo g WHERE NOT EXISTS (SELECT 1 FROM %1_Divisao d "
         "WHERE d.CODIGO_DIV = g.CODIGO_DIV AND d.CODIGO_SEC = g.CODIGO_SEC)"},
        {"class under its group and ancestors",
         "SELECT COUNT(*) FROM %1_Classe c WHERE NOT EXISTS (SELECT 1 FROM %1_Grupo g WHERE g.CODIGO_GRP = "
         "c.CODIGO_GRP AND g.CODIGO_DIV = c.CODIGO_DIV AND g.CODIGO_SEC = c.CODIGO_SEC)"},
        {"subclass under its class and ancestors",
         "SELECT COUNT(*) FROM %1_SubClasse s WHERE NOT EXISTS (SELECT 1 FROM %1_Classe c WHERE c.CODIGO_CLA "
         "= "
         "s.CODIGO_CLA AND c.CODIGO_GRP = s.CODIGO_GRP AND c.CODIGO_DIV = s.CODIGO_DIV AND c.CODIGO_SEC = "
         "s.CODIGO_SEC)"},
        {"section codes unique", "SELECT COUNT(*) - COUNT(DISTINCT CODIGO_SEC) FROM %1_Secao"},
        {"division codes unique", "SELECT COUNT(*) - COUNT(DISTINCT CODIGO_DIV) FROM %1_Divisao"},
        {"group codes unique", "SELECT COUNT(*) - COUNT(DISTINCT CODIGO_GRP) FROM %1_Grupo"},
        {"class codes unique", "SELECT COUNT(*) - COUNT(DISTINCT CODIGO_CLA) FROM %1_Classe"},
        {"subclass codes unique in their class",
         "SELECT COUNT(*) - COUNT(DISTINCT CODIGO_CLA || '/' || CODIGO_SUB) FROM %1_SubClasse"},
        {"section names its first and last division",
         "SELECT COUNT(*) FROM %1_Secao s WHERE CODIGO_DIV1 <> (SELECT MIN(CODIGO_DIV) FROM %1_Divisao d "
         "WHERE d.CODIGO_SEC = s.CODIGO_SEC) OR CODIGO_DIV2 <> (SELECT MAX(CODIGO_DIV) FROM %1_Divisao d "
         "WHERE d.CODIGO_SEC = s.CODIGO_SEC)"},
        {"activity under an existing class", "SELECT COUNT(*) FROM %1_Atividade a WHERE NOT EXISTS (SELECT 1 "
                                             "FROM %1_Classe c WHERE c.CODIGO_CLA = "
                                             "a.Codigo_Cla AND c.CODIGO_GRP = a.Codigo_Grp AND c.CODIGO_DIV "
                                             "= a.Codigo_Div AND c.CODIGO_SEC = a.Codigo_Sec)"},
        {"activity under an existing subclass, or 00 in a class without subclasses",
         "SELECT COUNT(*) FROM %1_Atividade a WHERE EXISTS (SELECT 1 FROM %1_SubClasse s WHERE s.CODIGO_CLA "
         "= "
         "a.Codigo_Cla) <> EXISTS (SELECT 1 FROM %1_SubClasse s WHERE s.CODIGO_CLA = a.Codigo_Cla AND "
         "s.CODIGO_SUB = a.Codigo_Sub) OR (a.Codigo_Sub = '00') = EXISTS (SELECT 1 FROM %1_SubClasse s "
         "WHERE s.CODIGO_CLA = a.Codigo_Cla)"},
        {"activity sequence unique in its class",
         "SELECT COUNT(*) - COUNT(DISTINCT Codigo_Cla || '/' || Codigo_Cla_Seq) FROM %1_Atividade"},
        {"descriptions present",
         "SELECT (SELECT COUNT(*) FROM %1_Secao WHERE trim(DESCRICAO_SEC) = '') + (SELECT COUNT(*) FROM "
         "%1_Divisao WHERE trim(DESCRICAO_DIV) = '') + (SELECT COUNT(*) FROM %1_Grupo WHERE "
         "trim(DESCRICAO_GRP) "
         "= '') + (SELECT COUNT(*) FROM %1_Classe WHERE trim(DESCRICAO_CLA) = '') + (SELECT COUNT(*) FROM "
         "%1_SubClasse WHERE trim(DESCRICAO_SUB) = '') + (SELECT COUNT(*) FROM %1_Atividade WHERE "
         "Descricao_Cla IS NULL OR trim(Descricao_Cla) = '')"},
        {"keywords between bars", "SELECT COUNT(*) FROM %1_Atividade WHERE Palavra_Chave NOT GLOB '|?*|'"},
        {"no empty keyword", "SELECT COUNT(*) FROM %1_Atividade WHERE Palavra_Chave GLOB '*||*'"},
        {"keywords plain lower case",
         "SELECT COUNT(*) FROM %1_Atividade WHERE Palavra_Chave GLOB '*[^a-z0-9|'']*'"},
        {"two keywords at least (eight of its own, then their synonyms)",
         "SELECT COUNT(*) FROM %1_Atividade "
         "WHERE length(Palavra_Chave) - length(replace(Palavra_Chave, '|', '')) < 3"},
        {"keywords fit their column", "SELECT COUNT(*) FROM %1_Atividade WHERE length(Palavra_Chave) > 255"},
        {"no stop word as keyword",
         "SELECT COUNT(*) FROM %1_Atividade a WHERE EXISTS (SELECT 1 FROM ZELT_PALAVRA_NAO "
         "WHERE instr(a.Palavra_Chave, '|' || Palavra_Pan || '|') > 0)"},
    };
    for (const QString &prefix : Editions)
        for (const auto &rule : rules)
            QTest::addRow("%s: %s", qPrintable(prefix), rule.first) << rule.second.arg(prefix);
}

void TestSampleDatabase::rulesHold()
{
    QFETCH(QString, violations);
    QCOMPARE(count(violations), 0);
}

void TestSampleDatabase::editionSizes_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("minimumActivities");
    QTest::addColumn<int>("maximumActivities");
    QTest::newRow("ZELT_200") << "ZELT_200" << 12000 << 18000;
    QTest::newRow("ZELT_210") << "ZELT_210" << 12000 << 18000;
    QTest::newRow("ZELT_100") << "ZELT_100" << 6000 << 12000;
    QTest::newRow("ZELT_050") << "ZELT_050" << 10000 << 18000;
}

void TestSampleDatabase::editionSizes()
{
    QFETCH(QString, prefix);
    QFETCH(int, minimumActivities);
    QFETCH(int, maximumActivities);
    QCOMPARE(rows("SELECT group_concat(CODIGO_SEC, '') FROM " + prefix + "_Secao"),
             QStringList{"ABCDEFGHIJKLMNOPQRSTU"});
    QCOMPARE(count("SELECT COUNT(*) FROM " + prefix + "_Divisao"), 85);
    const qlonglong groups = count("SELECT COUNT(*) FROM " + prefix + "_Grupo");
    const qlonglong classes = count("SELECT COUNT(*) FROM " + prefix + "_Classe");
    const qlonglong subclasses = count("SELECT COUNT(*) FROM " + prefix + "_SubClasse");
    const qlonglong activities = count("SELECT COUNT(*) FROM " + prefix + "_Atividade");
    QVERIFY2(groups >= 200 && groups <= 320, qPrintable(QString::number(groups)));
    QVERIFY2(classes >= 450 && classes <= 700, qPrintable(QString::number(classes)));
    QVERIFY2(subclasses >= 700 && subclasses <= 1600, qPrintable(QString::number(subclasses)));
    QVERIFY2(activities >= minimumActivities && activities <= maximumActivities,
             qPrintable(QString::number(activities)));
    // The result list cuts descriptions at 500 characters; some must be longer.
    QVERIFY(count("SELECT COUNT(*) FROM " + prefix + "_Atividade WHERE length(Descricao_Cla) > 500") > 0);
}

void TestSampleDatabase::classEditionsHaveClassesWithoutSubclasses()
{
    for (const QString prefix : {"ZELT_200", "ZELT_100", "ZELT_050"}) {
        const QString bare = QString("SELECT COUNT(*) FROM %1_Classe c WHERE NOT EXISTS "
                                     "(SELECT 1 FROM %1_SubClasse s WHERE s.CODIGO_CLA = c.CODIGO_CLA)")
                                 .arg(prefix);
        QVERIFY2(count(bare) > 0, qPrintable(prefix));
        QCOMPARE(count(QString("SELECT COUNT(*) FROM %1_SubClasse WHERE CODIGO_SUB = '88'").arg(prefix)), 0);
    }
}

void TestSampleDatabase::subclassEditionSubdividesEveryClass()
{
    // Its search results open subclass pages, so no activity may lack a real subclass.
    QCOMPARE(count("SELECT COUNT(*) FROM ZELT_210_Classe c WHERE NOT EXISTS "
                   "(SELECT 1 FROM ZELT_210_SubClasse s WHERE s.CODIGO_CLA = c.CODIGO_CLA)"),
             0);
    QVERIFY(count("SELECT COUNT(*) FROM ZELT_210_SubClasse WHERE CODIGO_SUB = '88'") > 0);
    QVERIFY(count("SELECT COUNT(*) FROM ZELT_210_Atividade WHERE Codigo_Sub = '88'") > 0);
    QCOMPARE(count("SELECT COUNT(*) FROM ZELT_210_Atividade WHERE Codigo_Sub = '00'"), 0);
}

void TestSampleDatabase::searchExamplesFindActivities_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("condition");

    // The help window's examples and the usual searches; 88 is left out as the subclass edition does.
    const QList<QPair<const char *, QString>> searches = {
        {"venda de carros", "Palavra_Chave LIKE '%|venda|%' AND Palavra_Chave LIKE '%|carros|%'"},
        {"automovel", "Palavra_Chave LIKE '%|automovel|%'"},
        {"automoveis", "Palavra_Chave LIKE '%|automoveis|%'"},
        {"roubo", "Palavra_Chave LIKE '%|roubo|%'"},
        {"antiroubo", "Palavra_Chave LIKE '%|antiroubo|%'"},
        {"supermercado", "Palavra_Chave LIKE '%|supermercado|%'"},
        {"minimercados", "Palavra_Chave LIKE '%|minimercados|%'"},
        {"mercadorias", "Palavra_Chave LIKE '%|mercadorias|%'"},
        {"mercados", "Palavra_Chave LIKE '%|mercados|%'"},
        {"+reatores nucleares", "Palavra_Chave LIKE '|reatores|%' AND Palavra_Chave LIKE '%|nucleares|%'"},
        {"+reatores -nucleares",
         "Palavra_Chave LIKE '|reatores|%' AND NOT Palavra_Chave LIKE '%|nucleares|%'"},
        {"reatores not first", "Palavra_Chave LIKE '%_|reatores|%'"},
        {"comercio", "Palavra_Chave LIKE '%|comercio|%'"},
        {"d'agua", "Palavra_Chave LIKE '%|d''agua|%'"},
    };
    for (const QString prefix : {"ZELT_200", "ZELT_210", "ZELT_100"})
        for (const auto &search : searches)
            QTest::addRow("%s: %s", qPrintable(prefix), search.first) << prefix << search.second;
}

void TestSampleDatabase::searchExamplesFindActivities()
{
    QFETCH(QString, prefix);
    QFETCH(QString, condition);
    QVERIFY(count("SELECT COUNT(*) FROM " + prefix + "_Atividade WHERE (" + condition +
                  ") AND Codigo_Sub <> '88'") > 0);
}

void TestSampleDatabase::stopWordsAndSynonyms()
{
    QStringList stopWords = rows("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO");
    QVERIFY(stopWords.size() >= 30);
    for (const char *word :
         {"de", "da", "do", "das", "dos", "e", "em", "para", "com", "a", "o", "por", "um", "uma"})
        QVERIFY2(stopWords.contains(word), word);
    QCOMPARE(stopWords.removeDuplicates(), 0);

    QVERIFY(count("SELECT COUNT(*) FROM ZELT_Sinonimo") >= 30);
    QCOMPARE(
        count("SELECT COUNT(*) FROM ZELT_Sinonimo WHERE PALAVRA_SIN = 'comercio' AND SINONIMO_SIN = 'venda'"),
        1);
    QCOMPARE(
        count("SELECT COUNT(*) FROM ZELT_Sinonimo WHERE trim(PALAVRA_SIN) = '' OR trim(SINONIMO_SIN) = ''"),
        0);
}

void TestSampleDatabase::notesTakeEveryShape_data()
{
    QTest::addColumn<QString>("predicate");
    // %1 is a note column. The windows must cope with each of these shapes.
    QTest::newRow("NULL") << "%1 IS NULL";
    QTest::newRow("empty") << "%1 = ''";
    QTest::newRow("blanks only") << "%1 <> '' AND trim(%1, ' ') = ''";
    QTest::newRow("line breaks")
        << "%1 <> '' AND trim(%1, ' ' || char(13) || char(10)) = '' AND instr(%1, char(10)) > 0";
    QTest::newRow("#") << "%1 = '#'";
    QTest::newRow("thousands of characters") << "length(%1) > 2000";
    QTest::newRow("several lines")
        << "length(%1) < 1000 AND instr(%1, char(13) || char(10)) > 0 AND %1 GLOB '*[a-z]*'";
}

void TestSampleDatabase::notesTakeEveryShape()
{
    QFETCH(QString, predicate);
    qlonglong matches = 0;
    for (const auto &note : notesOf("ZELT_200"))
        matches += count("SELECT COUNT(*) FROM " + note.first + " WHERE " + predicate.arg(note.second));
    QVERIFY(matches > 0);
}

// What the search help shows needs its data: notes citing codes of every level that the edition
// has, and items that one listed edition describes otherwise than another (the first items alike).
void TestSampleDatabase::editionsDifferAndNotesCiteEveryLevel()
{
    for (const QString prefix : {"ZELT_200", "ZELT_210", "ZELT_100"}) {
        const QString notes =
            "SELECT COUNT(*) FROM " + prefix + "_Classe WHERE NCOMPRE_CLA GLOB '*Ver também:*(%1)*'";
        QVERIFY(count(notes.arg("[0-9][0-9][0-9][0-9]-[0-9]/[0-9][0-9]")) > 10);
        QVERIFY(count(notes.arg("[0-9][0-9][0-9]")) > 10);
        QVERIFY(count(notes.arg("[0-9][0-9]")) > 10);
        // The cited subclass exists in the edition.
        QCOMPARE(
            count("SELECT COUNT(*) FROM " + prefix +
                  "_Classe c WHERE NCOMPRE_CLA GLOB '*Ver também:*' AND "
                  "NOT EXISTS (SELECT 1 FROM " +
                  prefix +
                  "_SubClasse s WHERE instr(c.NCOMPRE_CLA, '(' || "
                  "substr(s.CODIGO_CLA, 1, 4) || '-' || substr(s.CODIGO_CLA, 5) || '/' || s.CODIGO_SUB || "
                  "')') > 0)"),
            0);
    }
    const QList<QPair<QString, QString>> levels = {
        {"_Divisao", "DIV"}, {"_Grupo", "GRP"}, {"_Classe", "CLA"}};
    for (const auto &level : levels) {
        const QString join = "FROM ZELT_200" + level.first + " a JOIN ZELT_100" + level.first +
                             " b ON a.CODIGO_" + level.second + " = b.CODIGO_" + level.second;
        QVERIFY2(count("SELECT COUNT(*) " + join + " WHERE a.DESCRICAO_" + level.second + " <> b.DESCRICAO_" +
                       level.second) > 2,
                 qPrintable(level.first));
        QCOMPARE(count("SELECT a.DESCRICAO_" + level.second + " = b.DESCRICAO_" + level.second + " " + join +
                       " ORDER BY a.CODIGO_" + level.second + " LIMIT 1"),
                 1);
    }
    QVERIFY(count("SELECT COUNT(*) FROM ZELT_210_SubClasse a JOIN ZELT_100_SubClasse b ON a.CODIGO_CLA = "
                  "b.CODIGO_CLA AND a.CODIGO_SUB = b.CODIGO_SUB WHERE a.DESCRICAO_SUB <> b.DESCRICAO_SUB") >
            2);
}

void TestSampleDatabase::sameArgumentsGiveSameBytes()
{
    const QString again = m_dir.filePath("again.mdb");
    QCOMPARE(generate({again}), 0);
    QFile first(m_path);
    QFile second(again);
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY(second.open(QIODevice::ReadOnly));
    QVERIFY(first.size() > 1000000);
    QVERIFY(first.readAll() == second.readAll());
}

void TestSampleDatabase::scaleMultipliesActivities()
{
    const QString doubled = m_dir.filePath("doubled.mdb");
    QCOMPARE(generate({"--scale", "2", doubled}), 0);
    sqlite3 *db = openDatabase(doubled);
    QVERIFY(db);
    for (const QString &prefix : Editions) {
        const QString classes = "SELECT COUNT(*) FROM " + prefix + "_Classe";
        const QString activities = "SELECT COUNT(*) FROM " + prefix + "_Atividade";
        QCOMPARE(count(classes, db), count(classes));
        QCOMPARE(count(activities, db), 2 * count(activities));
    }
    sqlite3_close(db);
}

void TestSampleDatabase::badArgumentsLeaveOutputAlone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    // OUT stands for an existing file that must survive; DIR for the temporary directory.
    QTest::newRow("nothing") << QStringList{} << 2;
    QTest::newRow("scale without number") << QStringList{"OUT", "--scale"} << 2;
    QTest::newRow("scale zero") << QStringList{"OUT", "--scale", "0"} << 2;
    QTest::newRow("scale above 100") << QStringList{"OUT", "--scale", "101"} << 2;
    QTest::newRow("negative scale") << QStringList{"OUT", "--scale", "-3"} << 2;
    QTest::newRow("scale with letters") << QStringList{"OUT", "--scale", "2x"} << 2;
    QTest::newRow("huge scale") << QStringList{"OUT", "--scale", "99999999999999999999"} << 2;
    QTest::newRow("unknown option") << QStringList{"OUT", "--fast"} << 2;
    QTest::newRow("two outputs") << QStringList{"OUT", "DIR/other.mdb"} << 2;
    QTest::newRow("missing directory") << QStringList{"DIR/missing/ZELT.mdb"} << 1;
    QTest::newRow("output is a directory") << QStringList{"DIR/taken"} << 1;
}

void TestSampleDatabase::badArgumentsLeaveOutputAlone()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("taken/inside"));
    const QString out = dir.filePath("ZELT.mdb");
    QFile existing(out);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep");
    existing.close();
    for (QString &argument : arguments)
        argument = argument == "OUT" ? out : argument.replace("DIR", dir.path());

    QString errors;
    QCOMPARE(generate(arguments, &errors), exitCode);
    QVERIFY(!errors.isEmpty());
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("keep"));
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase),
        (QStringList{"taken", "ZELT.mdb"}));
    QVERIFY(QDir(dir.filePath("taken/inside")).exists());
}

QTEST_GUILESS_MAIN(TestSampleDatabase)
#include "tst_sampledatabase.moc"
