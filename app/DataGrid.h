#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QTableView>
#include <QVector>

class DataSource;
class QAction;
class Query;
class QueryTableModel;

// One column of a grid as the window designs it. An invalid colour draws in window-text colour.
struct GridColumn {
    QString field;
    QString title;
    int width = 64;
    QColor color;
};

// A read-only grid over the rows of a data source's query. The grid's current row is the query's
// current row, both ways; a left click on a data row raises cellClicked once that row is current,
// and so do Enter and Space on the current row. A double-click acts as one click.
// Ctrl+C and the context menu copy the current row's code, or the selected rows' codes and
// descriptions.
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void bind(DataSource &source, const QVector<GridColumn> &columns);
    DataSource *dataSource() const { return m_source; }
    Query *query() const;
    QueryTableModel *tableModel() const { return m_model; }

    QString columnTitle(int column) const;
    void setColumnTitle(int column, const QString &title);
    QString columnField(int column) const;
    void setColumnField(int column, const QString &field);
    QColor columnColor(int column) const;
    void setColumnColor(int column, const QColor &color);
    void setColumnsResizable(bool resizable);
    // The columns fit the grid's width: the code columns are as wide as their titles and texts
    // need, the last column takes the rest and elides what does not fit (whole in a tooltip).
    void setFitsWidth(bool fits);

    // The current row's code (first column), and that code, a tab and its description (last column).
    QString currentCode() const;
    QString currentCodeAndDescription() const;
    // The selected rows (Shift, Ctrl and Ctrl+A select several) as "code⇥description" lines, in
    // the list's order; the current row's when none is selected.
    QString selectedCodesAndDescriptions() const;

Q_SIGNALS:
    void cellClicked();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void followQuery();
    void fitColumns();
    void fitLastColumn();

    DataSource *m_source = nullptr;
    QueryTableModel *m_model = nullptr;
    QVector<QColor> m_colors;
    QAction *m_copyCode = nullptr;
    QAction *m_copyCodeAndDescription = nullptr;
    bool m_following = false;
    bool m_fitsWidth = false;
    int m_pressedRow = -1;
    QElapsedTimer m_lastPress; // since this grid's last press, for telling its own double-clicks
};
