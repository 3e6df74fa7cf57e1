// The exported files as other programs read them: the .xlsx through openpyxl and LibreOffice,
// the CSV through Python's csv module and LibreOffice's import as it ships.
#include "takeaway/CsvExport.h"
#include "takeaway/XlsxExport.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include "support/SpreadsheetReaders.h"

namespace
{

// Texts that an export has to carry whole: leading zeros, a code a spreadsheet would read as a
// date, separators and quotes of every kind, a line break, formula starts, accents, a long text.
CsvTable trickyTable()
{
    CsvTable table;
    table.header = {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave"),
                    QStringLiteral("Edição")};
    table.codeColumns = {0};
    table.rows = {
        {QStringLiteral("01"), QStringLiteral("Lavoura de trigo"), QStringLiteral("trigo, milho"),
         QStringLiteral("ZELT 2.0")},
        {QStringLiteral("0111-3/01"), QStringLiteral("Cobre; \"batido\"\nà mão"), QString(),
         QStringLiteral("ZELT 2.1 - Subclasses")},
        {QStringLiteral("A"), QStringLiteral("=1+1"), QStringLiteral("-lixo, +ouro"),
         QStringLiteral("@edição")},
        {QStringLiteral("0620-2"), QString(120, QLatin1Char('x')), QStringLiteral("'apóstrofo'"),
         QStringLiteral("Ação, ênfase; ü")},
    };
    return table;
}

QString cellText(const QJsonValue &cell)
{
    return cell.toArray().at(0).toString();
}

} // namespace

class TestSpreadsheetFiles : public QObject
{
    Q_OBJECT
private slots:
    void csvReadsBackInPython();
    void csvOpensInLibreOfficeAsShipped();
    void xlsxReadsBackCellByCell();
    void xlsxOpensInLibreOffice();
    void xlsxThatCannotBeWrittenLeavesNothing();

private:
    QTemporaryDir m_dir;
};

void TestSpreadsheetFiles::csvReadsBackInPython()
{
    const CsvTable table = trickyTable();
    const QString path = m_dir.filePath(QStringLiteral("python.csv"));
    QCOMPARE(saveFileAtomically(path, csvBytes(table)), QString());
    const QVector<QStringList> rows = readCsv(path, QStringLiteral(";"));
    QCOMPARE(rows.size(), table.rows.size() + 1);
    QCOMPARE(rows[0], table.header);
    for (int row = 0; row < table.rows.size(); ++row) {
        QStringList expected = table.rows[row];
        for (QString &field : expected) {
            if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
                field.prepend(QLatin1Char('\t'));
        }
        QCOMPARE(rows[row + 1], expected);
    }
}

// Calc's import with its shipped options (comma, semicolon and tab all separators) keeps every
// row in the header's columns, and runs no formula.
void TestSpreadsheetFiles::csvOpensInLibreOfficeAsShipped()
{
    const CsvTable table = trickyTable();
    QTemporaryDir in;
    QTemporaryDir out;
    const QString path = in.filePath(QStringLiteral("calc.csv"));
    QCOMPARE(saveFileAtomically(path, csvBytes(table)), QString());
    QString error;
    const QString xlsx = convertWithLibreOffice(path, QStringLiteral("xlsx"), out.path(),
                                                libreOfficeDefaultCsvImport(), &error);
    QVERIFY2(!xlsx.isEmpty(), qPrintable(error));
    const QJsonObject book = readXlsx(xlsx);
    const QJsonArray cells = book.value(book.value(QStringLiteral("sheets")).toArray().at(0).toString())
                                 .toObject()
                                 .value(QStringLiteral("cells"))
                                 .toArray();
    QCOMPARE(cells.size(), table.rows.size() + 1);
    for (int row = 0; row < cells.size(); ++row) {
        const QJsonArray line = cells[row].toArray();
        QCOMPARE(line.size(), table.header.size());
        const QStringList expected = row == 0 ? table.header : table.rows[row - 1];
        // The code column may be read as a number ("01" as 1): the CSV is for programs.
        for (int column = 1; column < line.size(); ++column) {
            const QString text = cellText(line[column]);
            QCOMPARE(text.trimmed(), expected[column]);
            QVERIFY2(line[column].toArray().at(1).toString() != QLatin1String("f"), qPrintable(text));
        }
    }
}

void TestSpreadsheetFiles::xlsxReadsBackCellByCell()
{
    const CsvTable table = trickyTable();
    const QString path = m_dir.filePath(QStringLiteral("lista.xlsx"));
    const QVector<QStringList> about{{QStringLiteral("Edição"), QStringLiteral("ZELT 2.0")},
                                     {QStringLiteral("Texto pesquisado"), QStringLiteral("=COBRE")},
                                     {QStringLiteral("Resultados"), QStringLiteral("4")}};
    QCOMPARE(saveXlsx(path, QStringLiteral("Resultados"), table, about), QString());

    const QJsonObject book = readXlsx(path);
    QVERIFY2(!book.contains(QStringLiteral("error")),
             qPrintable(book.value(QStringLiteral("error")).toString()));
    QCOMPARE(book.value(QStringLiteral("sheets")).toArray(),
             (QJsonArray{QStringLiteral("Resultados"), QStringLiteral("Pesquisa")}));

    const QJsonObject list = book.value(QStringLiteral("Resultados")).toObject();
    const QJsonArray cells = list.value(QStringLiteral("cells")).toArray();
    QCOMPARE(cells.size(), table.rows.size() + 1);
    for (int row = 0; row < cells.size(); ++row) {
        const QStringList expected = row == 0 ? table.header : table.rows[row - 1];
        const QJsonArray line = cells[row].toArray();
        QCOMPARE(line.size(), expected.size());
        for (int column = 0; column < expected.size(); ++column) {
            const QJsonArray cell = line[column].toArray();
            if (expected[column].isEmpty()) {
                QVERIFY(cell.at(0).isNull());
                continue;
            }
            // Text cells, all of them: no number, date or formula.
            QCOMPARE(cell.at(0).toString(), expected[column]);
            QCOMPARE(cell.at(1).toString(), QStringLiteral("s"));
        }
    }
    QCOMPARE(list.value(QStringLiteral("freeze")).toString(), QStringLiteral("A2"));
    QCOMPARE(list.value(QStringLiteral("filter")).toString(), QStringLiteral("A1:D5"));
    QCOMPARE(list.value(QStringLiteral("bold")).toArray(), (QJsonArray{true, true, true, true}));
    // Widths follow the texts, within limits: the long description is capped, the codes narrow.
    // A column is its widest text, the title's or a row's, with two characters to spare (the
    // file holds a few hundredths more).
    const QJsonObject widths = list.value(QStringLiteral("widths")).toObject();
    const double codeWidth = widths.value(QStringLiteral("A")).toDouble();
    const double descriptionWidth = widths.value(QStringLiteral("B")).toDouble();
    const double keywordsWidth = widths.value(QStringLiteral("C")).toDouble();
    QVERIFY2(codeWidth >= 11 && codeWidth < 12, qPrintable(QString::number(codeWidth)));
    QVERIFY2(descriptionWidth >= 50 && descriptionWidth <= 65, qPrintable(QString::number(descriptionWidth)));
    QVERIFY2(keywordsWidth >= 16 && keywordsWidth < 17, qPrintable(QString::number(keywordsWidth)));
    const double labelWidth = book.value(QStringLiteral("Pesquisa"))
                                  .toObject()
                                  .value(QStringLiteral("widths"))
                                  .toObject()
                                  .value(QStringLiteral("A"))
                                  .toDouble();
    QVERIFY2(labelWidth >= 18 && labelWidth < 19, qPrintable(QString::number(labelWidth)));

    const QJsonArray search =
        book.value(QStringLiteral("Pesquisa")).toObject().value(QStringLiteral("cells")).toArray();
    QCOMPARE(search.size(), about.size());
    for (int row = 0; row < about.size(); ++row) {
        QCOMPARE(cellText(search[row].toArray().at(0)), about[row][0]);
        QCOMPARE(cellText(search[row].toArray().at(1)), about[row][1]);
        QCOMPARE(search[row].toArray().at(1).toArray().at(1).toString(), QStringLiteral("s"));
    }
}

void TestSpreadsheetFiles::xlsxOpensInLibreOffice()
{
    const CsvTable table = trickyTable();
    QTemporaryDir in;
    QTemporaryDir out;
    const QString path = in.filePath(QStringLiteral("calc.xlsx"));
    QCOMPARE(
        saveXlsx(path, QStringLiteral("Lista"), table, {{QStringLiteral("Edição"), QStringLiteral("E")}}),
        QString());
    QString error;
    const QString csv = convertWithLibreOffice(
        path, QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76,1"), out.path(), QString(), &error);
    QVERIFY2(!csv.isEmpty(), qPrintable(error));
    const QVector<QStringList> rows = readCsv(csv, QStringLiteral(";"));
    QCOMPARE(rows.size(), table.rows.size() + 1);
    QCOMPARE(rows[0], table.header);
    for (int row = 0; row < table.rows.size(); ++row)
        QCOMPARE(rows[row + 1], table.rows[row]);
}

void TestSpreadsheetFiles::xlsxThatCannotBeWrittenLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nao-existe/lista.xlsx"));
    const QString message = saveXlsx(path, QStringLiteral("Lista"), trickyTable(), {});
    QCOMPARE(message,
             QStringLiteral("Não foi possível gravar o arquivo \"%1\": a pasta não existe.").arg(path));
    QVERIFY(QDir(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestSpreadsheetFiles)
#include "tst_spreadsheetfiles.moc"
