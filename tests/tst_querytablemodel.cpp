#include "support/TestDatabase.h"

#include "data/Connection.h"
#include "data/Query.h"
#include "data/QueryTableModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class TestQueryTableModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void showsBoundColumnsAcrossReloads();
    void displayAndRawValues();
    void rebindingAndRetitling();

private:
    QTemporaryDir m_dir;
    Connection m_connection;
    std::unique_ptr<Query> m_query;
};

void TestQueryTableModel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("ZELT.mdb"));
    QCOMPARE(testdb::createSqlite(
                 path, {"CREATE TABLE Divisao (CODIGO_DIV TEXT, DESCRICAO_DIV TEXT, Ordem INTEGER)",
                        "INSERT INTO Divisao VALUES ('01', 'Lavouras', 1)",
                        "INSERT INTO Divisao VALUES ('02', NULL, 2)",
                        "INSERT INTO Divisao VALUES ('05', 'Extração', 3)"}),
             QString());
    m_connection.setConnectionString(testdb::connectionStringFor(path));
    m_connection.open();
}

void TestQueryTableModel::init()
{
    m_query = std::make_unique<Query>(m_connection, QStringLiteral("QrySecaoAux"));
}

void TestQueryTableModel::showsBoundColumnsAcrossReloads()
{
    QueryTableModel model(*m_query, {{QStringLiteral("codigo_div"), QString()},
                                     {QStringLiteral("descricao_div"), QStringLiteral("Descrição")}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    QCOMPARE(model.rowCount(), 0);
    m_query->reload(QStringLiteral("SELECT * FROM Divisao ORDER BY Codigo_Div"));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("05")); // bound case-blind
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Descrição"));

    m_query->reload(QStringLiteral("SELECT * FROM Divisao WHERE Ordem > 1 ORDER BY Codigo_Div"));
    QCOMPARE(model.rowCount(), 2);
    // The same fields at other positions: each reload finds them again.
    m_query->reload(
        QStringLiteral("SELECT Descricao_Div, Ordem, Codigo_Div FROM Divisao ORDER BY Codigo_Div"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("01"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Lavouras"));
    m_query->close();
    QCOMPARE(model.rowCount(), 0);
    // One reset for the first reload (the query was closed), two for each next one (close, open),
    // one for the close.
    QCOMPARE(resets.count(), 6);
}

void TestQueryTableModel::displayAndRawValues()
{
    QueryTableModel model(*m_query, {{QStringLiteral("DESCRICAO_DIV"), QString()},
                                     {QStringLiteral("Ordem"), QString()},
                                     {QStringLiteral("Ausente"), QString()}});
    m_query->reload(QStringLiteral("SELECT * FROM Divisao ORDER BY Codigo_Div"));
    QCOMPARE(model.index(1, 0).data().toString(), QString()); // NULL shows as empty text
    QVERIFY(!model.index(1, 0).data(Qt::UserRole).isValid());
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("Extração"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("1"));
    QCOMPARE(model.index(0, 1).data(Qt::UserRole), QVariant(qlonglong(1)));
    QCOMPARE(model.index(0, 2).data().toString(), QString()); // a field the result lacks

    // The text and stored bytes the grid measures columns by, without a model index: stored
    // values equal where the values are, nothing for a missing field or a column outside.
    QCOMPARE(model.displayText(2, 0), QStringLiteral("Extração"));
    QCOMPARE(model.displayText(0, 1), QStringLiteral("1"));
    QVERIFY(model.storedValue(0, 0) != model.storedValue(2, 0));
    QVERIFY(model.storedValue(0, 1) != model.storedValue(1, 1));
    m_query->reload(QStringLiteral("SELECT Descricao_Div, 7 AS Ordem FROM Divisao ORDER BY Codigo_Div"));
    QVERIFY(!model.storedValue(0, 1).isEmpty());
    QCOMPARE(model.storedValue(0, 1), model.storedValue(2, 1));
    QVERIFY(model.storedValue(0, 0) != model.storedValue(0, 1));
    for (const int column : {-1, 2, 3}) {
        QVERIFY(model.storedValue(0, column).isEmpty());
        QCOMPARE(model.displayText(0, column), QString());
    }
}

void TestQueryTableModel::rebindingAndRetitling()
{
    QueryTableModel model(*m_query, {{QStringLiteral("CODIGO_DIV"), QStringLiteral("Código")}});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_query->reload(QStringLiteral("SELECT * FROM Divisao ORDER BY Codigo_Div"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    model.setColumnField(0, QStringLiteral("Descricao_Div"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.columnField(0), QStringLiteral("Descricao_Div"));
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Lavouras"));

    model.setColumnTitle(0, QString());
    QCOMPARE(header.count(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString());
    QCOMPARE(model.columnTitle(0), QString());

    // Columns outside the model are left alone.
    for (const int column : {-1, 1, 2}) {
        model.setColumnTitle(column, QStringLiteral("Outra"));
        model.setColumnField(column, QStringLiteral("Ordem"));
        model.setAccessibleColumnTitle(column, QStringLiteral("Outra"));
    }
    QCOMPARE(header.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.columnTitle(1), QString());
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Lavouras"));
}

QTEST_GUILESS_MAIN(TestQueryTableModel)
#include "tst_querytablemodel.moc"
