#include "takeaway/CsvExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The fields of a ';'-separated file as a spreadsheet reads them: a field that begins with a
// double quote may hold the separator, line breaks and doubled quotes; any other field runs to the
// next separator as it stands, and if it is the formula ="text" it shows text.
QVector<QStringList> spreadsheetRows(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool atStart = true;
    const auto next = [&text](int i) { return i + 1 < text.size() ? text.at(i + 1) : QChar(); };
    const auto endField = [&] {
        if (field.startsWith(QLatin1String("=\"")) && field.endsWith(QLatin1Char('"')) && field.size() >= 3)
            field = field.mid(2, field.size() - 3).replace(QLatin1String("\"\""), QLatin1String("\""));
        row.append(field);
        field.clear();
        atStart = true;
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && next(i) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (atStart && c == QLatin1Char('"')) {
            quoted = true;
            atStart = false;
        } else if (c == QLatin1Char(';')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // Spreadsheets end a row at any line break outside quotes.
            endField();
            rows.append(row);
            row.clear();
            if (c == QLatin1Char('\r') && next(i) == QLatin1Char('\n'))
                ++i;
        } else {
            field += c;
            atStart = false;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        endField();
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void bytesOfATable();
    void codesWithSeparatorsStayOneField();
    void everyTextReadsBackWhole_data();
    void everyTextReadsBackWhole();
    void keywordListReadsAsWords();
    void savesWholeFile();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();
};

void TestCsvExport::bytesOfATable()
{
    CsvTable table;
    table.header = {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave"),
                    QStringLiteral("Edição")};
    table.codeColumns = {0};
    table.rows = {
        {QStringLiteral("01"), QStringLiteral("Lavoura"), QStringLiteral("trigo, milho"),
         QStringLiteral("ZELT 2.0")},
        {QStringLiteral("0111-3/01"), QStringLiteral("Cobre; \"batido\"\nà mão"), QString(),
         QStringLiteral("ZELT 2.1 - Subclasses")},
        {QString(), QStringLiteral("  espaços mantidos "), QStringLiteral("a"), QStringLiteral("E")},
        {QStringLiteral("9"), QStringLiteral("-lixo; \"reciclado\""), QStringLiteral("=1+1"),
         QStringLiteral("@x")},
    };
    const QByteArray expected =
        QByteArray("\xEF\xBB\xBF") +
        QStringLiteral("\"Código\";\"Descrição\";\"Palavras-chave\";\"Edição\"\r\n"
                       "\"01\";\"Lavoura\";\"trigo, milho\";\"ZELT 2.0\"\r\n"
                       "\"0111-3/01\";\"Cobre; \"\"batido\"\"\nà mão\";\"\";\"ZELT 2.1 - Subclasses\"\r\n"
                       "\"\";\"  espaços mantidos \";\"a\";\"E\"\r\n"
                       "\"9\";\"\t-lixo; \"\"reciclado\"\"\";\"\t=1+1\";\"\t@x\"\r\n")
            .toUtf8();
    QCOMPARE(csvBytes(table), expected);
}

void TestCsvExport::codesWithSeparatorsStayOneField()
{
    CsvTable table{{QStringLiteral("c")}, {{QStringLiteral("1;2")}, {QStringLiteral("a\"b")}}, {0}};
    QCOMPARE(csvBytes(table), QByteArray("\xEF\xBB\xBF"
                                         "\"c\"\r\n"
                                         "\"1;2\"\r\n"
                                         "\"a\"\"b\"\r\n"));
}

void TestCsvExport::everyTextReadsBackWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("separator alone") << QStringLiteral("Cobre;zinco");
    QTest::newRow("separator at the end") << QStringLiteral("Cobre;");
    QTest::newRow("quote alone") << QStringLiteral("12\" de cobre");
    QTest::newRow("quotes around") << QStringLiteral("\"batido\"");
    QTest::newRow("line feed alone") << QStringLiteral("linha\noutra");
    QTest::newRow("carriage return alone") << QStringLiteral("linha\routra");
    QTest::newRow("both line breaks") << QStringLiteral("linha\r\noutra");
    QTest::newRow("markup") << QStringLiteral("<b>Cobre</b> &amp; <i>zinco & estanho");
    QTest::newRow("path separators") << QStringLiteral("pasta/arquivo\\outro:nome");
    QTest::newRow("apostrophes and commas") << QStringLiteral("d'água, sal");
}

// Whatever a code or a description holds, a spreadsheet reads the file back as the same rows
// with the same texts: one field each, nothing split, joined or lost.
void TestCsvExport::everyTextReadsBackWhole()
{
    QFETCH(QString, text);
    CsvTable table{{QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Edição")},
                   {{text, text, QStringLiteral("E")}, {QStringLiteral("01"), QStringLiteral("fim"), text}},
                   {0}};
    const QVector<QStringList> rows = spreadsheetRows(csvBytes(table));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0], table.header);
    QCOMPARE(rows[1], table.rows[0]);
    QCOMPARE(rows[2], table.rows[1]);
}

void TestCsvExport::keywordListReadsAsWords()
{
    QCOMPARE(keywordListText(QStringLiteral("|venda|carros|usados|")),
             QStringLiteral("venda, carros, usados"));
    QCOMPARE(keywordListText(QStringLiteral("||")), QString());
    QCOMPARE(keywordListText(QString()), QString());
}

void TestCsvExport::savesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lista.csv"));
    QCOMPARE(saveFileAtomically(path, "primeira"), QString());
    QCOMPARE(saveFileAtomically(path, "segunda, maior"), QString());
    QCOMPARE(readAll(path), QByteArray("segunda, maior"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("lista.csv")});
}

void TestCsvExport::failedWriteLeavesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << QStringLiteral("nao-existe/lista.csv")
                                    << QStringLiteral("a pasta não existe");
    QTest::newRow("name of a folder")
        << QStringLiteral("pasta") << QStringLiteral("já existe uma pasta com esse nome");
}

void TestCsvExport::failedWriteLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pasta")));
    const QString path = dir.filePath(name);

    const QString message = saveFileAtomically(path, "conteúdo");
    QCOMPARE(message, QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.").arg(path, reason));
    QVERIFY(!QFileInfo(path).isFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("pasta")});
    QVERIFY(QDir(dir.filePath(QStringLiteral("pasta"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
