#include "TestPaths.h"
#include "support/TestDatabase.h"

#include "AccessWriter.h"
#include "JetIndexes.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/ValueText.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

// The Access sample holds what the SQLite sample holds, value by value, as three independent
// readers see it: mdbtools' mdb-export, the npm package mdb-reader, and the program's own engine.
class TestAccessSample : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void versionIsJet4();
    void mdbExportReadsEveryTable_data();
    void mdbExportReadsEveryTable();
    void mdbReaderReadsEveryTable();
    void engineReadsEveryTable_data();
    void engineReadsEveryTable();
    void sameArgumentsGiveSameBytes();
    void writerKeepsEveryKindOfText();
    void jackcessAcceptsTheSample();
    void jackcessAcceptsTheTenfoldSample();
    void libmdbFindsTheIndexes();
    void emptyIndexedTableReadsEmpty();
    void catalogueAsAccessWritesIt();
    void indexKeysSortAsJetSortsThem();

private:
    using Rows = QVector<QStringList>;

    Rows sqliteRows(const QString &table, bool emptyIsNull);
    QStringList sqliteColumns(const QString &table);
    static QString run(const QString &program, const QStringList &arguments, bool *ok);
    static QJsonObject mdbReaderDump(const QString &path);
    static QList<QByteArray> jackcess(const QString &path, QByteArray *warnings, int *exitCode);

    QTemporaryDir m_dir;
    QString m_access;
    QString m_sqlite;
    QStringList m_tables;
    sqlite3 *m_db = nullptr;
};

namespace
{

const QString Null = QStringLiteral("<NULL>");

int generate(const QStringList &arguments)
{
    QProcess process;
    process.start(ZELT_BIN_DIR "/zelt-makedb", arguments);
    if (!process.waitForFinished(300000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// mdb-export's CSV: fields in double quotes where they are texts, a doubled quote for a quote,
// line breaks kept inside quotes, rows ended by a line feed.
QVector<QStringList> parseCsv(const QString &text)
{
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
        } else if (c == QLatin1Char('\n')) {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

QString jsonText(const QJsonValue &value)
{
    if (value.isNull())
        return Null;
    if (value.isDouble())
        return QString::number(value.toInteger());
    const QString text = value.toString();
    // Dates come as ISO texts in UTC; the sample writes them without a zone.
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (text.endsWith(QLatin1Char('Z')) && date.isValid())
        return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return text;
}

bool nodePackagesRequired()
{
    return qEnvironmentVariableIsSet("ZELT_REQUIRE_NODE_PACKAGES");
}

} // namespace

QString TestAccessSample::run(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(program, arguments);
    *ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    if (!*ok)
        qWarning("%s: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QJsonObject TestAccessSample::mdbReaderDump(const QString &path)
{
    bool ok = false;
    const QString json = run(QStringLiteral("node"),
                             {ZELT_TEST_SCRIPTS_DIR "/mdb-reader-dump.mjs", ZELT_NODE_MODULES, path}, &ok);
    return ok ? QJsonDocument::fromJson(json.toUtf8()).object() : QJsonObject();
}

void TestAccessSample::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_access = m_dir.filePath("sample.mdb");
    m_sqlite = m_dir.filePath("sample.sqlite");
    QCOMPARE(generate({"--format", "access", m_access}), 0);
    QCOMPARE(generate({"--format", "sqlite", m_sqlite}), 0);
    QCOMPARE(sqlite3_open_v2(m_sqlite.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid", -1,
                       &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        m_tables.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
    sqlite3_finalize(statement);
    QCOMPARE(m_tables.size(), 27);
}

void TestAccessSample::cleanupTestCase()
{
    sqlite3_close(m_db);
}

// Every row in stored order, every value as text; NULL (and, for mdb-export, which cannot tell
// them apart, the empty text) as a marker.
TestAccessSample::Rows TestAccessSample::sqliteRows(const QString &table, bool emptyIsNull)
{
    Rows rows;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, ("SELECT * FROM " + table).toUtf8().constData(), -1, &statement, nullptr) !=
        SQLITE_OK)
        return {{"<error>"}};
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, i));
            const QString value = text ? QString::fromUtf8(text) : Null;
            values.append(emptyIsNull && value.isEmpty() ? Null : value);
        }
        rows.append(values);
    }
    sqlite3_finalize(statement);
    return rows;
}

QStringList TestAccessSample::sqliteColumns(const QString &table)
{
    QStringList columns;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(m_db, ("SELECT * FROM " + table).toUtf8().constData(), -1, &statement, nullptr);
    for (int i = 0; i < sqlite3_column_count(statement); ++i)
        columns.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
    sqlite3_finalize(statement);
    return columns;
}

void TestAccessSample::versionIsJet4()
{
    bool ok = false;
    QCOMPARE(run("mdb-ver", {m_access}, &ok).trimmed(), QStringLiteral("JET4"));
    QVERIFY(ok);
}

void TestAccessSample::mdbExportReadsEveryTable_data()
{
    QTest::addColumn<QString>("table");
    for (const QString &table : std::as_const(m_tables))
        QTest::newRow(qPrintable(table)) << table;
}

void TestAccessSample::mdbExportReadsEveryTable()
{
    QFETCH(QString, table);
    bool ok = false;
    const QString csv = run("mdb-export", {"-0", Null, "-T", "%Y-%m-%d %H:%M:%S", m_access, table}, &ok);
    QVERIFY(ok);
    Rows rows = parseCsv(csv);
    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows.takeFirst(), sqliteColumns(table));
    const Rows expected = sqliteRows(table, true);
    QCOMPARE(rows.size(), expected.size());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i), expected.at(i));
}

void TestAccessSample::mdbReaderReadsEveryTable()
{
    if (!QFileInfo::exists(ZELT_NODE_MODULES "/mdb-reader")) {
        if (nodePackagesRequired())
            QFAIL("the npm package mdb-reader is not installed in " ZELT_NODE_MODULES);
        QSKIP("the npm package mdb-reader is not installed (bash tools/dev.sh test installs it)");
    }
    const QJsonObject dump = mdbReaderDump(m_access);
    QCOMPARE(dump.keys().size(), m_tables.size());
    for (const QString &table : std::as_const(m_tables)) {
        const QJsonObject read = dump.value(table).toObject();
        QStringList columns;
        for (const QJsonValue &column : read.value("columns").toArray())
            columns.append(column.toString());
        QCOMPARE(columns, sqliteColumns(table));
        const QJsonArray rows = read.value("rows").toArray();
        const Rows expected = sqliteRows(table, false);
        QCOMPARE(rows.size(), expected.size());
        for (int i = 0; i < rows.size(); ++i) {
            QStringList values;
            for (const QJsonValue &value : rows.at(i).toArray())
                values.append(jsonText(value));
            QVERIFY2(values == expected.at(i), qPrintable(table + " row " + QString::number(i)));
        }
    }
}

void TestAccessSample::engineReadsEveryTable_data()
{
    mdbExportReadsEveryTable_data();
}

// Through the program's own engine both files must give the same result, column types included.
void TestAccessSample::engineReadsEveryTable()
{
    QFETCH(QString, table);
    auto read = [&](const QString &path) {
        Connection connection;
        connection.setConnectionString(testdb::connectionStringFor(path));
        connection.open();
        return connection.execute("SELECT * FROM " + table);
    };
    const ResultSet access = read(m_access);
    const ResultSet sqlite = read(m_sqlite);
    QCOMPARE(access.columns.size(), sqlite.columns.size());
    for (int c = 0; c < access.columns.size(); ++c) {
        QCOMPARE(access.columns.at(c).name, sqlite.columns.at(c).name);
        QCOMPARE(access.columns.at(c).longText, sqlite.columns.at(c).longText);
    }
    QCOMPARE(access.rows.size(), sqlite.rows.size());
    for (int r = 0; r < access.rows.size(); ++r)
        for (int c = 0; c < access.columns.size(); ++c)
            QCOMPARE(valueText(access.rows.at(r).at(c)), valueText(sqlite.rows.at(r).at(c)));
}

void TestAccessSample::sameArgumentsGiveSameBytes()
{
    const QString again = m_dir.filePath("again.mdb");
    QCOMPARE(generate({"--format", "access", again}), 0);
    QFile first(m_access);
    QFile second(again);
    QVERIFY(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    QVERIFY(first.readAll() == second.readAll());
}

// Texts the sample does not hold: characters beyond Latin-1 (two-byte runs inside compressed
// text, and texts that cannot be compressed at all), the empty text beside NULL, and memos of
// every length from inline to a chain over several pages.
void TestAccessSample::writerKeepsEveryKindOfText()
{
    const QStringList texts = {
        "",
        "a",
        "Preço: 10 € — ação",
        "Ελληνικά και русский",
        "plain then ĀĀ", // U+0100: its low byte is zero, so this text stays uncompressed
        "smile 😀 ok",
        QString("ábc\r\n").repeated(60),      // just over the inline limit
        QString("Nota ").repeated(800),       // one long-value row
        QString("xyz€").repeated(1500),       // two pages, partly two-byte characters
        QString("0123456789").repeated(2100), // a chain of six rows
    };
    const QString path = m_dir.filePath("texts.mdb");
    {
        makedb::AccessWriter writer(path.toStdString());
        writer.beginTable({"Textos",
                           {{"Id", makedb::ColumnType::Long},
                            {"Curto", makedb::ColumnType::Text, 255},
                            {"Longo", makedb::ColumnType::Memo},
                            {"Quando", makedb::ColumnType::DateTime},
                            {"Pequeno", makedb::ColumnType::Integer}},
                           {}});
        for (int i = 0; i < texts.size(); ++i) {
            const std::string text = texts.at(i).toStdString();
            const makedb::Value shortText = texts.at(i).size() <= 255
                                                ? makedb::Value{makedb::Value::Kind::Text, 0, text}
                                                : makedb::Value{};
            writer.addRow({{makedb::Value::Kind::Number, i, {}},
                           shortText,
                           {makedb::Value::Kind::Text, 0, text},
                           {makedb::Value::Kind::Text, 0, "1999-12-31 23:59:5" + std::to_string(i)},
                           {makedb::Value::Kind::Number, -i, {}}});
        }
        writer.addRow({{makedb::Value::Kind::Number, 99, {}}, {}, {}, {}, {}});
        writer.endTable();
        writer.finish("2000-01-01 00:00:00");
    }
    Rows expected;
    for (int i = 0; i < texts.size(); ++i)
        expected.append({QString::number(i), texts.at(i).size() <= 255 ? texts.at(i) : Null, texts.at(i),
                         "1999-12-31 23:59:5" + QString::number(i), QString::number(-i)});
    expected.append({"99", Null, Null, Null, Null});

    bool ok = false;
    Rows exported = parseCsv(run("mdb-export", {"-0", Null, "-T", "%Y-%m-%d %H:%M:%S", path, "Textos"}, &ok));
    QVERIFY(ok && !exported.isEmpty());
    exported.removeFirst();
    Rows withoutEmpty = expected;
    withoutEmpty[0][1] = withoutEmpty[0][2] = Null; // mdb-export shows the empty text as NULL
    // and converts from UCS-2, so a character beyond the BMP comes out as two question marks.
    withoutEmpty[5][1] = withoutEmpty[5][2] = "smile ?? ok";
    QCOMPARE(exported, withoutEmpty);

    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    const ResultSet result = connection.execute("SELECT Curto, Longo FROM Textos ORDER BY Id");
    QCOMPARE(result.rows.size(), expected.size());
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(result.rows.at(i).at(1).toString(), texts.at(i));
    }

    if (!QFileInfo::exists(ZELT_NODE_MODULES "/mdb-reader")) {
        if (nodePackagesRequired())
            QFAIL("the npm package mdb-reader is not installed in " ZELT_NODE_MODULES);
        QSKIP("the npm package mdb-reader is not installed (bash tools/dev.sh test installs it)");
    }
    const QJsonArray rows = mdbReaderDump(path).value("Textos").toObject().value("rows").toArray();
    Rows read;
    for (const QJsonValue &row : rows) {
        QStringList values;
        for (const QJsonValue &value : row.toArray())
            values.append(jsonText(value));
        read.append(values);
    }
    QCOMPARE(read, expected);
}

// JDump's lines: with "check", first the structure, then one line per table.
QList<QByteArray> TestAccessSample::jackcess(const QString &path, QByteArray *warnings, int *exitCode)
{
    const QString dir = QStringLiteral(ZELT_VALIDATORS_DIR "/jackcess");
    if (!QFileInfo::exists(dir + "/jdump.jar"))
        qFatal("Jackcess is not in %s", qPrintable(dir));
    const QString classPath =
        QStringList{dir + "/jackcess-4.0.11-SNAPSHOT.jar", dir + "/jdump.jar",
                    "/usr/share/java/commons-lang3.jar", "/usr/share/java/commons-logging.jar"}
            .join(QLatin1Char(':'));
    QProcess java;
    java.start(QStringLiteral("java"), {"-cp", classPath, "JDump", path, "check"});
    if (!java.waitForFinished(300000))
        qFatal("Java did not run (bash tools/dev.sh installs it)");
    *warnings = java.readAllStandardError();
    *exitCode = java.exitStatus() == QProcess::NormalExit ? java.exitCode() : -1;
    QList<QByteArray> lines = java.readAllStandardOutput().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

// Jackcess, the strictest reader within reach, opens the sample without a warning, reads the
// catalogue, the database's properties, the (absent) queries and relationships, walks every index
// through a cursor, and reads in every table the rows and values the engine reads.
void TestAccessSample::jackcessAcceptsTheSample()
{
    QByteArray warnings;
    int exitCode = -1;
    QList<QByteArray> lines = jackcess(m_access, &warnings, &exitCode);
    QVERIFY2(warnings.isEmpty(), warnings.left(3000).constData());
    QCOMPARE(exitCode, 0);
    QCOMPARE(lines.size(), m_tables.size() + 1);

    const QJsonObject check = QJsonDocument::fromJson(lines.takeFirst()).object().value("check").toObject();
    for (const QString &key : check.keys())
        QVERIFY2(!key.endsWith(QLatin1String("_error")),
                 qPrintable(key + ": " + check.value(key).toString()));
    QCOMPARE(check.value("format").toString(), QStringLiteral("V2003 [VERSION_4]"));
    QCOMPARE(check.value("queries").toInt(-1), 0);
    QCOMPARE(check.value("relationships").toInt(-1), 0);
    QCOMPARE(check.value("system_tables").toInt(), 4);
    QVERIFY(check.value("db_summary_user_props").toString().startsWith(QLatin1String("1,")));
    const QJsonObject tables = check.value("tables").toObject();
    QCOMPARE(tables.size(), m_tables.size());

    QHash<QString, QJsonObject> hashes;
    for (const QByteArray &line : std::as_const(lines)) {
        const QJsonObject hash = QJsonDocument::fromJson(line).object();
        hashes.insert(hash.value("table").toString(), hash);
    }
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(m_access));
    connection.open();
    for (const QString &table : std::as_const(m_tables)) {
        const QJsonObject structure = tables.value(table).toObject();
        const QJsonObject hash = hashes.value(table);
        QVERIFY2(!structure.contains("error") && !hash.contains("error"), qPrintable(table));
        // A primary key on each level's codes and on the editions, a second index on the codes of
        // the level above, the activities' class and subclass codes.
        const int indexes =
            table.endsWith("_Divisao") || table.endsWith("_Grupo") || table.endsWith("_Classe") ? 2
            : table.contains(QRegularExpression("_(Secao|SubClasse|Atividade|Classificacao)$")) ? 1
                                                                                                : 0;
        QVERIFY2(structure.value("indexes").toInt(-1) == indexes, qPrintable(table));
        const ResultSet result = connection.execute("SELECT * FROM " + table);
        QCOMPARE(hash.value("rows").toInt(-1), result.rows.size());
        for (const QString &key : structure.keys())
            if (key.startsWith(QLatin1String("index ")))
                QVERIFY2(structure.value(key).toInt(-1) == result.rows.size(),
                         qPrintable(table + ", " + key));
        // The values in Jackcess's canonical form, row after row, as JDump hashes them.
        QCryptographicHash ordered(QCryptographicHash::Sha256);
        for (const auto &row : result.rows) {
            QStringList values;
            for (const QVariant &value : row)
                values.append(value.isValid() && !value.isNull() ? valueText(value)
                                                                 : QStringLiteral("\u0000N"));
            ordered.addData((values.join(QChar(0x1f)) + QChar(0x1e)).toUtf8());
        }
        QVERIFY2(hash.value("ordered").toString() == QString::fromLatin1(ordered.result().toHex()),
                 qPrintable(table));
    }
}

// Ten times the sample: the activities' indexes grow node pages above node pages.
void TestAccessSample::jackcessAcceptsTheTenfoldSample()
{
#ifdef ZELT_SANITIZED
    QSKIP("the sanitizers make writing ten times the sample too slow; the release build checks it");
#endif
    const QString path = m_dir.filePath("tenfold.mdb");
    QCOMPARE(generate({"--format", "access", path, "--scale", "10"}), 0);
    QByteArray warnings;
    int exitCode = -1;
    QList<QByteArray> lines = jackcess(path, &warnings, &exitCode);
    QFile::remove(path);
    QVERIFY2(warnings.isEmpty(), warnings.left(3000).constData());
    QCOMPARE(exitCode, 0);
    QCOMPARE(lines.size(), m_tables.size() + 1);
    const QJsonObject tables = QJsonDocument::fromJson(lines.takeFirst())
                                   .object()
                                   .value("check")
                                   .toObject()
                                   .value("tables")
                                   .toObject();
    for (const QByteArray &line : std::as_const(lines)) {
        const QJsonObject hash = QJsonDocument::fromJson(line).object();
        const QString table = hash.value("table").toString();
        const QJsonObject structure = tables.value(table).toObject();
        QVERIFY2(!hash.contains("error") && !structure.contains("error") && hash.value("rows").toInt() > 0,
                 qPrintable(table));
        for (const QString &key : structure.keys())
            if (key.startsWith(QLatin1String("index ")))
                QVERIFY2(structure.value(key) == hash.value("rows"), qPrintable(table + ", " + key));
    }
}

// libmdb, through mdb-schema, finds the keys and indexes with their columns.
void TestAccessSample::libmdbFindsTheIndexes()
{
    bool ok = false;
    const QString schema = run("mdb-schema", {"--indexes", m_access, "mysql"}, &ok);
    QVERIFY(ok);
    for (const char *statement :
         {"ALTER TABLE `ZELT_Classificacao` ADD PRIMARY KEY (`Cod_Classificacao`);",
          "ALTER TABLE `ZELT_200_Secao` ADD PRIMARY KEY (`CODIGO_SEC`);",
          "ALTER TABLE `ZELT_210_Grupo` ADD INDEX `CODIGO_DIV` (`CODIGO_DIV`);",
          "ALTER TABLE `ZELT_200_SubClasse` ADD PRIMARY KEY (`CODIGO_CLA`, `CODIGO_SUB`);",
          "ALTER TABLE `ZELT_050_Atividade` ADD INDEX `Codigo_Cla_Codigo_Sub` (`Codigo_Cla`, `Codigo_Sub`);"})
        QVERIFY2(schema.contains(QLatin1String(statement)), statement);
    QCOMPARE(schema.count(QLatin1String("ADD PRIMARY KEY")), 21);
}

// An indexed table without rows has an empty leaf page as its index's root: readers read no rows
// and walk the index without complaint; a root page that is not the table's is refused.
void TestAccessSample::emptyIndexedTableReadsEmpty()
{
    const QString path = m_dir.filePath("empty.mdb");
    {
        makedb::AccessWriter writer(path.toStdString());
        writer.beginTable({"Vazia",
                           {{"Codigo", makedb::ColumnType::Text, 5}, {"Nome", makedb::ColumnType::Text, 50}},
                           {{true, "Codigo"}}});
        writer.endTable();
        writer.beginTable({"Cheia", {{"Codigo", makedb::ColumnType::Text, 5}}, {{true, "Codigo"}}});
        writer.addRow({{makedb::Value::Kind::Text, 0, "A1"}});
        writer.endTable();
        writer.finish("2000-01-01 00:00:00");
    }
    Connection connection;
    connection.setConnectionString(testdb::connectionStringFor(path));
    connection.open();
    QCOMPARE(connection.execute("SELECT * FROM Vazia").rows.size(), 0);
    QCOMPARE(connection.execute("SELECT * FROM Cheia").rows.size(), 1);
    QByteArray warnings;
    int exitCode = -1;
    const QList<QByteArray> lines = jackcess(path, &warnings, &exitCode);
    QVERIFY2(warnings.isEmpty(), warnings.left(3000).constData());
    QCOMPARE(exitCode, 0);
    QVERIFY2(lines.value(0).contains("\"Vazia\":{\"indexes\":1,\"index PrimaryKey rows\":0"),
             lines.value(0).constData());

    // The empty table's root page handed to the other table: its definition no longer matches.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    int vazia = -1, cheia = -1, root = -1;
    for (int page = 3; page < bytes.size() / 4096; ++page) {
        const QByteArray header = bytes.mid(page * 4096, 8);
        const int owner = quint8(header[4]) | quint8(header[5]) << 8;
        if (header.at(0) == 2 && vazia < 0)
            vazia = page;
        else if (header.at(0) == 2 && cheia < 0)
            cheia = page;
        if (header.at(0) == 4 && owner == vazia)
            root = page;
    }
    QVERIFY(root > 0 && cheia > 0);
    const auto refusedWith = [&](const QByteArray &damagedBytes) {
        QVERIFY(file.seek(0) && file.write(damagedBytes) == damagedBytes.size());
        QVERIFY(file.flush());
        try {
            Connection damaged;
            damaged.setConnectionString(testdb::connectionStringFor(path));
            damaged.open();
            damaged.execute("SELECT * FROM Vazia");
            QFAIL("a table whose index root is not its own index page was read");
        } catch (const DataError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("não corresponde às suas páginas de índice")),
                     qPrintable(error.message()));
        }
    };
    QByteArray handedOver = bytes;
    handedOver[root * 4096 + 4] = char(cheia);
    refusedWith(handedOver);
    // The root still names the empty table but is no index page: a data page claiming the table.
    QByteArray notAnIndex = bytes;
    notAnIndex[root * 4096] = char(1);
    refusedWith(notAnIndex);
}

// The catalogue's containers, database object and tables with the types and parents Access gives
// them, as libmdb's mdb-export reads them.
void TestAccessSample::catalogueAsAccessWritesIt()
{
    bool ok = false;
    const QString rows = run("mdb-export", {m_access, "MSysObjects"}, &ok);
    QVERIFY(ok);
    QHash<QString, QStringList> byName; // name -> id, parent id, type
    for (const QString &line : rows.split(QLatin1Char('\n'))) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() > 3 && fields[2].startsWith(QLatin1Char('"')))
            byName.insert(fields[2].mid(1).chopped(1), {fields[0], fields[1], fields[3]});
    }
    const QString root = QString::number(0x0F000000);
    const QString tables = QString::number(0x0F000001);
    const QString databases = QString::number(0x0F000002);
    QCOMPARE(byName.value("Tables"), QStringList({tables, root, "3"}));
    QCOMPARE(byName.value("Databases"), QStringList({databases, root, "3"}));
    QCOMPARE(byName.value("Relationships"), QStringList({QString::number(0x0F000003), root, "3"}));
    QCOMPARE(byName.value("MSysDb"), QStringList({QString::number(0x10000000), databases, "2"}));
    QCOMPARE(byName.value("SummaryInfo").mid(1), QStringList({databases, "-32757"}));
    QCOMPARE(byName.value("MSysObjects"), QStringList({"2", tables, "1"}));
    QCOMPARE(byName.value("ZELT_Classificacao").mid(1), QStringList({tables, "1"}));
    QCOMPARE(byName.value("ZELT_200_Atividade").mid(1), QStringList({tables, "1"}));

    // No text column, the system tables' included, is longer than Jet allows (255 characters).
    const QRegularExpression textColumn(QStringLiteral("Text \\((\\d+)\\)"));
    int texts = 0;
    for (const char *table : {"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships"}) {
        const QString schema = run("mdb-schema", {"-T", table, m_access}, &ok);
        QVERIFY2(ok && schema.contains(QLatin1String(table)), table);
        for (auto match = textColumn.globalMatch(schema); match.hasNext(); ++texts)
            QVERIFY2(match.next().captured(1).toInt() <= 255, table);
    }
    QVERIFY(texts > 0);
}

// Keys as Jet 4 stores them (the bytes Jackcess computes for its lookups): codes in the General
// sort order, where letters sort alike in either case and texts sort as texts, not as numbers;
// numbers big-endian with the sign bit flipped.
void TestAccessSample::indexKeysSortAsJetSortsThem()
{
    namespace jet = makedb::jet;
    const std::vector<jet::ColumnDeclaration> columns = {{"Codigo", jet::TextType, 5},
                                                         {"Numero", jet::LongType}};
    const auto key = [&](std::size_t column, const makedb::Value &value) {
        makedb::Row row(2);
        row[column] = value;
        const jet::Bytes bytes = jet::indexKey(columns, {"k", {column}}, row);
        return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
    };
    const auto text = [&](const char *value) { return key(0, {makedb::Value::Kind::Text, 0, value}); };
    const auto number = [&](long long value) { return key(1, {makedb::Value::Kind::Number, value, {}}); };
    QCOMPARE(text("A09z").toHex(), QByteArray("7f4a36487801"
                                              "00"));
    QCOMPARE(number(1).toHex(), QByteArray("7f80000001"));
    QCOMPARE(text("b"), text("B"));
    QCOMPARE(text("a"), text("A")); // the ends of the alphabet in either case
    QCOMPARE(text("z"), text("Z"));
    QVERIFY(text("10") < text("2") && text("2") < text("A") && text("AB") < text("B"));
    QVERIFY(number(-5) < number(0) && number(0) < number(7) && number(7) < number(70000));
    QCOMPARE(key(0, {}).toHex(), QByteArray("00")); // NULL sorts first
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, text("a-b"));
}

QTEST_GUILESS_MAIN(TestAccessSample)
#include "tst_accesssample.moc"
