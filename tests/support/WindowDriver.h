#pragma once

#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

class DataGrid;
class QWidget;

// A throw-away folder laid out as the window expects it: <base>/Database/ZELT.mdb.
class DatabaseFolder
{
public:
    QString baseDirectory() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("Database/ZELT.mdb")); }
    // A new SQLite database from statements: the empty text, or the error.
    QString create(const QStringList &statements);
    bool copyFrom(const QString &source);

private:
    bool makeFolder();

    QTemporaryDir m_dir;
};

// The real main window on a database folder, driven as the user drives it: mouse clicks on grid
// rows and links, picks in the edition list. The window is destroyed before its data module.
struct RunningWindow {
    TDtmMain dtm;
    std::unique_ptr<TFrmMain> window;

    template <class T> T *find(const QString &name) const { return window->findChild<T *>(name); }
    int page() const;
    QString text(const QString &labelName) const;
    // The grid of the structure page (1) or of a level page (2 to 5); null on the others.
    DataGrid *gridOfPage(int page) const;
};

std::unique_ptr<RunningWindow> startWindow(const QString &baseDirectory);

// A click with `button` on the cell's centre: press and release, as the mouse gives them.
void clickRow(DataGrid *grid, int row, int column = 0, Qt::MouseButton button = Qt::LeftButton);
void clickLink(QWidget *label);
QStringList columnTexts(const DataGrid *grid, int column);
// The row whose cell in `column` shows `text`, or -1.
int rowShowing(const DataGrid *grid, int column, const QString &text);

void pickEdition(RunningWindow &running, const QString &descricao);
// Presses "Estrutura", then clicks the given row of each page's grid in turn.
void browseDown(RunningWindow &running, const QVector<int> &rows);
