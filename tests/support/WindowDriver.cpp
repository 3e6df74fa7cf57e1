#include "support/WindowDriver.h"

#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "support/TestDatabase.h"

bool DatabaseFolder::makeFolder()
{
    return m_dir.isValid() && QDir(m_dir.path()).mkpath(QStringLiteral("Database"));
}

QString DatabaseFolder::create(const QStringList &statements)
{
    if (!makeFolder())
        return QStringLiteral("cannot make %1/Database").arg(m_dir.path());
    return testdb::createSqlite(databasePath(), statements);
}

bool DatabaseFolder::copyFrom(const QString &source)
{
    return makeFolder() && testdb::copyFile(source, databasePath());
}

int RunningWindow::page() const
{
    return find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
}

QString RunningWindow::text(const QString &labelName) const
{
    const auto *label = find<QLabel>(labelName);
    return label ? label->text() : QStringLiteral("<no label %1>").arg(labelName);
}

DataGrid *RunningWindow::gridOfPage(int page) const
{
    static const char *const names[] = {"DBGEstrutura", "DbgSecao", "DbgDivisao", "DbgGrupo", "DbgClasse"};
    if (page < 1 || page > 5)
        return nullptr;
    return find<DataGrid>(QLatin1String(names[page - 1]));
}

std::unique_ptr<RunningWindow> startWindow(const QString &baseDirectory)
{
    auto running = std::make_unique<RunningWindow>();
    running->window = std::make_unique<TFrmMain>(running->dtm, baseDirectory);
    running->window->show();
    return running;
}

void clickRow(DataGrid *grid, int row, int column, Qt::MouseButton button)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, cell.center());
}

void clickLink(QWidget *label)
{
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

QStringList columnTexts(const DataGrid *grid, int column)
{
    QStringList texts;
    const QAbstractItemModel *model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}

int rowShowing(const DataGrid *grid, int column, const QString &text)
{
    return columnTexts(grid, column).indexOf(text);
}

void pickEdition(RunningWindow &running, const QString &descricao)
{
    auto *combo = running.find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    const int index = combo->findText(descricao);
    QVERIFY2(index >= 0, qPrintable(descricao));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void browseDown(RunningWindow &running, const QVector<int> &rows)
{
    QTest::mouseClick(running.find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    for (const int row : rows) {
        const int page = running.page();
        DataGrid *grid = running.gridOfPage(page);
        QVERIFY2(grid, qPrintable(QStringLiteral("no grid on page %1").arg(page)));
        clickRow(grid, row);
        QVERIFY2(
            running.page() == page + 1,
            qPrintable(
                QStringLiteral("row %1 of page %2 opened page %3").arg(row).arg(page).arg(running.page())));
    }
}
