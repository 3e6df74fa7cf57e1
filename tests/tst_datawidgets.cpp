#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/DataMemo.h"
#include "app/LinkLabel.h"
#include "data/Connection.h"
#include "data/DataSource.h"
#include "data/Query.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "support/ScratchDatabase.h"

namespace
{

const QString kAll = QStringLiteral("SELECT Codigo, Descricao, Nota FROM Item ORDER BY Codigo");
const QString kNone = QStringLiteral("SELECT Codigo, Descricao, Nota FROM Item WHERE Codigo = 'none'");

// A five-row table behind one query and its data source.
struct Fixture {
    ScratchDatabase db;
    Connection connection;
    std::unique_ptr<Query> query;
    std::unique_ptr<DataSource> source;

    bool setUp()
    {
        if (!db.create({QStringLiteral("CREATE TABLE Item (Codigo TEXT, Descricao TEXT, Nota TEXT)"),
                        QStringLiteral("INSERT INTO Item VALUES ('01', 'Primeiro item', 'nota um')"),
                        QStringLiteral("INSERT INTO Item VALUES ('02', 'Segundo item', NULL)"),
                        QStringLiteral("INSERT INTO Item VALUES ('03', 'Terceiro item', 'nota tres')"),
                        QStringLiteral("INSERT INTO Item VALUES ('04', 'Quarto item', 'nota quatro')"),
                        QStringLiteral("INSERT INTO Item VALUES ('05', 'Quinto item', 'nota cinco')")}))
            return false;
        connection.setConnectionString(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False")
                .arg(db.databasePath()));
        connection.open();
        query = std::make_unique<Query>(connection, QStringLiteral("QryItem"), QStringList{kAll});
        source = std::make_unique<DataSource>(*query, QStringLiteral("DtsItem"));
        return true;
    }
};

QVector<GridColumn> itemColumns()
{
    return {{QStringLiteral("codigo"), QStringLiteral("Código"), 40, QColor(0, 0, 255)},
            {QStringLiteral("DESCRICAO"), QStringLiteral("Descrição"), 200, QColor()}};
}

int selectedRow(const DataGrid &grid)
{
    const QModelIndexList rows = grid.selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

QPoint cellCentre(const DataGrid &grid, int row, int column)
{
    return grid.visualRect(grid.model()->index(row, column)).center();
}

bool hasBluePixel(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 180 && c.red() < 90 && c.green() < 90)
                return true;
        }
    }
    return false;
}

} // namespace

class TestDataWidgets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void gridFollowsTheQuery();
    void leftClickOnRowMakesItCurrentThenRaisesCellClicked();
    void otherClicksAndKeysRaiseNothing_data();
    void otherClicksAndKeysRaiseNothing();
    void clickOnEmptyGridRaisesNothing();
    void userColumnWidthsSurviveReload();
    void columnTitleAndFieldChange();
    void codeColumnFitsItsWidestTextInAnyFont();
    void selectionStaysVisibleWithoutFocus();
    void codeColumnIsDrawnInItsColour();
    void memoFollowsCurrentRow();
    void lookupListsRowsAndKeepsKey();
    void lookupRaisesPickedOnlyForTheUser();
    void linkLabelSignals();
};

void TestDataWidgets::gridFollowsTheQuery()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    f.query->open();
    QCOMPARE(grid.model()->rowCount(), 5);
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
    QCOMPARE(selectedRow(grid), 0);

    f.query->setCurrentRow(3);
    QCOMPARE(selectedRow(grid), 3);
    QCOMPARE(grid.currentIndex().row(), 3);

    // A reload brings the selection back to the first row.
    f.query->reload(kAll);
    QCOMPARE(selectedRow(grid), 0);
    f.query->reload(kNone);
    QCOMPARE(grid.model()->rowCount(), 0);
    QCOMPARE(selectedRow(grid), -1);
    f.query->reload(kAll);
    QCOMPARE(selectedRow(grid), 0);
}

void TestDataWidgets::leftClickOnRowMakesItCurrentThenRaisesCellClicked()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    f.query->open();

    QList<int> rowsAtClick;
    connect(&grid, &DataGrid::cellClicked, &grid, [&] { rowsAtClick.append(f.query->currentRow()); });
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 2, 1));
    QCOMPARE(rowsAtClick, QList<int>({2}));
    QCOMPARE(selectedRow(grid), 2);
    // The code column counts as well as the description.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 4, 0));
    QCOMPARE(rowsAtClick, QList<int>({2, 4}));
    // Clicking the current row again is still a click.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 4, 0));
    QCOMPARE(rowsAtClick, QList<int>({2, 4, 4}));
    QCOMPARE(selectedRow(grid), 4);
    // Ctrl and Shift clicks select more rows and open none.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier, cellCentre(grid, 1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(grid, 2, 1));
    QCOMPARE(rowsAtClick, QList<int>({2, 4, 4}));
    QCOMPARE(grid.selectionModel()->selectedRows().size(), 3); // 4, then 1 and 2
    QCOMPARE(f.query->currentRow(), 2);
}

void TestDataWidgets::otherClicksAndKeysRaiseNothing_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("rowAfter");
    QTest::newRow("title row") << "header" << 0;
    QTest::newRow("below the last row") << "below" << 0;
    QTest::newRow("right button") << "right" << -2; // -2: not checked
    QTest::newRow("key down") << "down" << 1;
    QTest::newRow("key end") << "end" << 4;
    QTest::newRow("press on one row, release on another") << "drag" << -2;
}

void TestDataWidgets::otherClicksAndKeysRaiseNothing()
{
    QFETCH(QString, gesture);
    QFETCH(int, rowAfter);
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    f.query->open();
    QSignalSpy clicks(&grid, &DataGrid::cellClicked);

    if (gesture == QLatin1String("header")) {
        QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    } else if (gesture == QLatin1String("below")) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, grid.viewport()->height() - 3));
    } else if (gesture == QLatin1String("right")) {
        QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, cellCentre(grid, 3, 1));
    } else if (gesture == QLatin1String("down")) {
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
    } else if (gesture == QLatin1String("end")) {
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
    } else {
        QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 1, 1));
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 1));
    }
    QCOMPARE(clicks.count(), 0);
    if (rowAfter != -2) {
        QCOMPARE(f.query->currentRow(), rowAfter);
        QCOMPARE(selectedRow(grid), rowAfter);
    }
    QCOMPARE(selectedRow(grid), f.query->currentRow());
}

void TestDataWidgets::clickOnEmptyGridRaisesNothing()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    f.query->reload(kNone);
    QSignalSpy clicks(&grid, &DataGrid::cellClicked);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(clicks.count(), 0);
}

void TestDataWidgets::userColumnWidthsSurviveReload()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    f.query->open();
    QCOMPARE(grid.columnWidth(0), 40);
    QCOMPARE(grid.columnWidth(1), 200);
    grid.horizontalHeader()->resizeSection(1, 123);
    f.query->reload(kNone);
    f.query->reload(kAll);
    QCOMPARE(grid.columnWidth(0), 40);
    QCOMPARE(grid.columnWidth(1), 123);
}

void TestDataWidgets::columnTitleAndFieldChange()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    f.query->open();
    grid.setColumnTitle(0, QString());
    grid.setColumnTitle(1, QStringLiteral("Esta lista contém:"));
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QString());
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Esta lista contém:"));

    // A field bound before the reload is shown after it.
    grid.setColumnField(0, QStringLiteral("Nota"));
    f.query->reload(kAll);
    QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("nota um"));
}

// A code column that repeats short codes around one long one is as wide as the long one needs,
// also once a larger font is set; the last column ends at the grid's right edge.
void TestDataWidgets::codeColumnFitsItsWidestTextInAnyFont()
{
    const QString widest = QStringLiteral("9999.9-99/WWW");
    QStringList statements = {QStringLiteral("CREATE TABLE Item (Codigo TEXT, Descricao TEXT, Nota TEXT)")};
    for (int i = 0; i < 30; ++i)
        statements.append(QStringLiteral("INSERT INTO Item VALUES ('%1', 'Descrição %2', NULL)")
                              .arg(i == 17 ? widest : QStringLiteral("01"))
                              .arg(i));
    ScratchDatabase db;
    QVERIFY2(db.create(statements), qPrintable(db.error()));
    Connection connection;
    connection.setConnectionString(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False")
            .arg(db.databasePath()));
    connection.open();
    Query query(connection, QStringLiteral("QryItem"), QStringList{kAll});
    DataSource source(query, QStringLiteral("DtsItem"));
    DataGrid grid;
    grid.bind(source, itemColumns());
    grid.setFitsWidth(true);
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    query.open();
    QCOMPARE(grid.model()->index(29, 0).data().toString(), widest); // last, after the repeats

    const auto fits = [&grid, &widest] {
        const int last = grid.model()->columnCount() - 1;
        return grid.columnWidth(0) > grid.fontMetrics().horizontalAdvance(widest) &&
               grid.columnViewportPosition(last) + grid.columnWidth(last) == grid.viewport()->width();
    };
    QVERIFY(grid.columnWidth(0) > 40);
    QVERIFY(fits());
    const int before = grid.columnWidth(0);
    QFont larger = grid.font();
    if (larger.pixelSize() > 0)
        larger.setPixelSize(larger.pixelSize() * 3);
    else
        larger.setPointSizeF(larger.pointSizeF() * 3);
    grid.setFont(larger);
    QVERIFY(grid.columnWidth(0) > before);
    QVERIFY(fits());
}

void TestDataWidgets::selectionStaysVisibleWithoutFocus()
{
    DataGrid grid;
    const QPalette colours = grid.palette();
    QCOMPARE(colours.color(QPalette::Inactive, QPalette::Highlight),
             colours.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(colours.color(QPalette::Inactive, QPalette::HighlightedText),
             colours.color(QPalette::Active, QPalette::HighlightedText));
}

void TestDataWidgets::codeColumnIsDrawnInItsColour()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    f.query->open();
    const QImage image = grid.viewport()->grab().toImage();
    // Row 1 is not selected: its code is blue, its description is not.
    const QRect code = grid.visualRect(grid.model()->index(1, 0));
    const QRect description = grid.visualRect(grid.model()->index(1, 1));
    QVERIFY(hasBluePixel(image, code));
    QVERIFY(!hasBluePixel(image, description));
}

void TestDataWidgets::memoFollowsCurrentRow()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataMemo memo;
    memo.bind(*f.source, QStringLiteral("nota"));
    QVERIFY(memo.isReadOnly());
    QCOMPARE(memo.toPlainText(), QString());
    f.query->open();
    QCOMPARE(memo.toPlainText(), QStringLiteral("nota um"));
    f.query->setCurrentRow(2);
    QCOMPARE(memo.toPlainText(), QStringLiteral("nota tres"));
    f.query->setCurrentRow(1); // NULL
    QCOMPARE(memo.toPlainText(), QString());
    f.query->setCurrentRow(4);
    f.query->reload(kNone);
    QCOMPARE(memo.toPlainText(), QString());
    f.query->reload(kAll);
    QCOMPARE(memo.toPlainText(), QStringLiteral("nota um"));

    // A grid move reaches the memo through the query.
    DataGrid grid;
    grid.bind(*f.source, itemColumns());
    grid.setCurrentIndex(grid.model()->index(3, 0));
    QCOMPARE(memo.toPlainText(), QStringLiteral("nota quatro"));
}

void TestDataWidgets::lookupListsRowsAndKeepsKey()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataLookupCombo combo;
    combo.bind(*f.source, QStringLiteral("CODIGO"), QStringLiteral("descricao"));
    QCOMPARE(combo.count(), 0);
    QVERIFY(!combo.keyValue().isValid());
    f.query->open();
    QCOMPARE(combo.count(), 5);
    QCOMPARE(combo.itemText(0), QStringLiteral("Primeiro item"));
    QCOMPARE(combo.itemText(4), QStringLiteral("Quinto item"));
    QVERIFY(!combo.keyValue().isValid()); // nothing chosen yet

    combo.setKeyValue(QStringLiteral("03"));
    QCOMPARE(combo.currentText(), QStringLiteral("Terceiro item"));
    QCOMPARE(combo.keyValue().toString(), QStringLiteral("03"));
    f.query->reload(kAll);
    QCOMPARE(combo.keyValue().toString(), QStringLiteral("03"));
    combo.setKeyValue(QStringLiteral("99"));
    QCOMPARE(combo.currentIndex(), -1);
    QVERIFY(!combo.keyValue().isValid());
    combo.setKeyValue(QVariant());
    QCOMPARE(combo.currentIndex(), -1);
}

void TestDataWidgets::lookupRaisesPickedOnlyForTheUser()
{
    Fixture f;
    QVERIFY2(f.setUp(), qPrintable(f.db.error()));
    DataLookupCombo combo;
    combo.bind(*f.source, QStringLiteral("Codigo"), QStringLiteral("Descricao"));
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    f.query->open();
    QSignalSpy picked(&combo, &DataLookupCombo::picked);
    combo.setKeyValue(QStringLiteral("02"));
    f.query->reload(kAll);
    QCOMPARE(picked.count(), 0);

    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Down);
    QCOMPARE(picked.count(), 1);
    QCOMPARE(combo.keyValue().toString(), QStringLiteral("03"));
}

void TestDataWidgets::linkLabelSignals()
{
    LinkLabel label;
    label.setText(QStringLiteral("Notas Explicativas"));
    label.resize(120, 16);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QCOMPARE(label.Tag(), 0);
    label.setTag(3);
    QCOMPARE(label.property("Tag").toInt(), 3);

    QSignalSpy clicked(&label, &LinkLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 8));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 8));
    QCOMPARE(clicked.count(), 1);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 8));
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(300, 8));
    QCOMPARE(clicked.count(), 1);

    QSignalSpy moved(&label, &LinkLabel::mouseMoved);
    QSignalSpy left(&label, &LinkLabel::mouseLeft);
    QTest::mouseMove(&label, QPoint(5, 5));
    QTest::mouseMove(&label, QPoint(9, 5));
    QVERIFY(moved.count() >= 2);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    QCOMPARE(left.count(), 1);
}

QTEST_MAIN(TestDataWidgets)
#include "tst_datawidgets.moc"
