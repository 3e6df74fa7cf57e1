// Results kept as the engine read them and converted only when read: the stored values come back
// as they went in, and a large search converts no more rows than the grid shows while every
// consumer (count, keys, copy, export, explanation) still sees every row.
#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "data/LazyRows.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QToolTip>

#include "TestPaths.h"
#include "support/ProgramRun.h"
#include "support/WindowDriver.h"

namespace
{

// The records of a CSV file: line breaks inside quoted fields belong to the field.
QStringList csvRecords(const QString &text)
{
    QStringList records;
    QString current;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('\r') && text.mid(i, 2) == QLatin1String("\r\n")) {
            records.append(current);
            current.clear();
            ++i;
            continue;
        }
        current += c;
    }
    if (!current.isEmpty())
        records.append(current);
    return records;
}

} // namespace

class TestLazyResults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedValuesComeBack();
    void largeResultConvertedAsShown();
};

void TestLazyResults::storedValuesComeBack()
{
    const QByteArray big(70 * 1024, 'x'); // longer than a block
    LazyRows rows;
    // Twice: the second result reuses the first one's blocks, the large value's among them.
    for (int round = 0; round < 2; ++round) {
        rows.clear(4);
        for (int row = 0; row < 3000; ++row) {
            const QByteArray text = QByteArray::number(row + round) + "ção";
            rows.addText(text.constData(), int(text.size()));
            rows.addInteger(row == 0 ? std::numeric_limits<qint64>::min() : row);
            if (row % 2)
                rows.addNull();
            else
                rows.addReal(row + 0.5);
            if (row == 1000 + round)
                rows.addText(big.constData(), int(big.size()));
            else
                rows.addBlob("\0b", row == 7 ? 0 : 2);
        }
        QCOMPARE(rows.rowCount(), 3000);
        QCOMPARE(rows.columnCount(), 4);
        for (int row = 0; row < 3000; ++row) {
            QCOMPARE(rows.value(row, 0), QVariant(QString::number(row + round) + QStringLiteral("ção")));
            QCOMPARE(rows.value(row, 1),
                     QVariant(qlonglong(row == 0 ? std::numeric_limits<qint64>::min() : row)));
            if (row % 2)
                QVERIFY(!rows.value(row, 2).isValid());
            else
                QCOMPARE(rows.value(row, 2), QVariant(row + 0.5));
            if (row == 1000 + round)
                QCOMPARE(rows.value(row, 3), QVariant(QString::fromLatin1(big)));
            else
                QCOMPARE(rows.value(row, 3), QVariant(QByteArray("\0b", row == 7 ? 0 : 2)));
        }
    }
    // Outside the rows: nothing. The empty text, the empty blob and NULL stay apart, and so do
    // a number and the same digits as text.
    QVERIFY(!rows.value(3000, 0).isValid() && !rows.value(0, 4).isValid() && !rows.value(-1, 0).isValid());
    rows.clear(1);
    QCOMPARE(rows.rowCount(), 0);
    rows.addText("", 0);
    rows.addBlob("", 0);
    rows.addNull();
    rows.addText("7", 1);
    rows.addInteger(7);
    QCOMPARE(rows.value(0, 0).typeId(), QMetaType::QString);
    QVERIFY(!rows.value(0, 0).isNull() || rows.value(0, 0).toString().isEmpty());
    QCOMPARE(rows.value(1, 0).typeId(), QMetaType::QByteArray);
    QVERIFY(!rows.value(2, 0).isValid());
    QVERIFY(rows.storedValue(0, 0) != rows.storedValue(1, 0));
    QVERIFY(rows.storedValue(0, 0) != rows.storedValue(2, 0));
    QVERIFY(rows.storedValue(3, 0) != rows.storedValue(4, 0));
    QVERIFY(rows.storedValue(3, 0) == QByteArrayView(rows.storedValue(3, 0).toByteArray()));

    // A shorter result after a longer one, in the same memory: nothing of the longer one shows
    // past the new end, in any column.
    rows.clear(2);
    for (const char *text : {"primeira", "segunda", "terceira"}) {
        rows.addText(text, int(qstrlen(text)));
        rows.addInteger(9);
    }
    rows.clear(2);
    rows.addText("um", 2);
    rows.addNull();
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(rows.value(0, 0), QVariant(QStringLiteral("um")));
    for (int row = 1; row < 3; ++row) {
        for (int column = 0; column < 2; ++column) {
            QVERIFY(!rows.value(row, column).isValid());
            QVERIFY(rows.storedValue(row, column).isEmpty());
        }
    }
}

void TestLazyResults::largeResultConvertedAsShown()
{
    DatabaseFolder folder;
    QVERIFY(QDir(folder.baseDirectory()).mkpath(QStringLiteral("Database")));
    const ProgramRun made =
        runProgram(QStringLiteral(ZELT_BIN_DIR "/zelt-makedb"),
                   {QStringLiteral("--format"), QStringLiteral("sqlite"), folder.databasePath(),
                    QStringLiteral("--scale"), QStringLiteral("3")},
                   {}, QProcessEnvironment::systemEnvironment(), 300000);
    QVERIFY2(made.finished && made.exitCode == 0, qPrintable(made.err));
    QTemporaryDir out;
    const QString exported = out.filePath(QStringLiteral("resultados.csv"));
    dialogs::Recorder recorder;
    recorder.onSaveFile = [&exported](QFileDialog &dialog) {
        dialog.selectNameFilter(QStringLiteral("CSV (*.csv)"));
        return exported;
    };
    dialogs::installRecorder(&recorder);
    const auto uninstall = qScopeGuard([] { dialogs::installRecorder(nullptr); });

    auto running = startWindow(folder.baseDirectory());
    running->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(running->window.get()));
    running->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("automov*"));
    QTest::mouseClick(running->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCOMPARE(running->page(), 7);
    auto *grid = running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QVERIFY(QTest::qWaitForWindowExposed(grid));
    QApplication::processEvents();

    // What the engine gives for the same statement, every value converted up front.
    Query &results = running->dtm.QryPesquisa;
    const ResultSet reference = running->dtm.ADCMain.execute(results.sql().join(QLatin1Char('\n')));
    const int count = int(reference.rows.size());
    QVERIFY2(count > 1000, qPrintable(QString::number(count)));
    QCOMPARE(results.recordCount(), count);
    QCOMPARE(grid->model()->rowCount(), count);
    QCOMPARE(running->text(QStringLiteral("LblNumeroRegistros")), QString::number(count));
    const int shown = results.convertedRows();
    QVERIFY2(shown > 0 && shown < 100, qPrintable(QString::number(shown)));

    // Ctrl+End reaches the true last row, which shows the last row's values.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(grid->currentIndex().row(), count - 1);
    QCOMPARE(results.currentRow(), count - 1);
    for (int column = 0; column < reference.columns.size(); ++column)
        QCOMPARE(results.field(column).value(), reference.rows.last().at(column));
    QApplication::processEvents();
    QVERIFY2(results.convertedRows() < 2 * shown + 2, qPrintable(QString::number(results.convertedRows())));

    // The explanation of the last row names its own keywords; finding them converts no row.
    const ResultSet keywords = running->dtm.ADCMain.execute(QStringLiteral("SELECT Palavra_Chave, ") +
                                                            results.sql().join(QLatin1Char('\n')).mid(7));
    const QString lastKeywords = keywords.rows.last().at(0).toString();
    QToolTip::hideText();
    QTest::keyClick(grid, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QToolTip::isVisible());
    const QString firstKeyword = lastKeywords.section(QLatin1Char('|'), 1, 1);
    QVERIFY2(!firstKeyword.isEmpty() && QToolTip::text().contains(firstKeyword),
             qPrintable(lastKeywords + QStringLiteral(" / ") + QToolTip::text()));
    QVERIFY2(results.convertedRows() < 2 * shown + 2, qPrintable(QString::number(results.convertedRows())));
    QToolTip::hideText();

    // Copying and exporting take every row, in order.
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(copied.size(), count);
    const int description = results.columnIndex(QStringLiteral("Descricao"));
    QVERIFY(description >= 0);
    for (const int row : {0, count / 2, count - 1})
        QCOMPARE(copied.at(row).section(QLatin1Char('\t'), 1).simplified(),
                 reference.rows.at(row).at(description).toString().simplified());

    QTest::keyClick(running->window.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(recorder.errors, QStringList());
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList records = csvRecords(QString::fromUtf8(file.readAll()));
    QCOMPARE(records.size(), count + 1); // the header, then a record a row
    QVERIFY2(records.last().contains(reference.rows.last()
                                         .at(description)
                                         .toString()
                                         .replace(QLatin1Char('"'), QStringLiteral("\"\""))),
             qPrintable(records.last()));

    // Read everywhere, every value is the engine's.
    for (int row = 0; row < count; ++row)
        for (int column = 0; column < reference.columns.size(); ++column)
            QCOMPARE(results.value(row, column), reference.rows.at(row).at(column));
    QCOMPARE(results.convertedRows(), count);
}

QTEST_MAIN(TestLazyResults)
#include "tst_lazyresults.moc"
