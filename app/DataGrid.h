#pragma once

#include <QColor>
#include <QTableView>
#include <QVector>

class DataSource;
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
    void setColumnsResizable(bool resizable);

Q_SIGNALS:
    void cellClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void followQuery();

    DataSource *m_source = nullptr;
    QueryTableModel *m_model = nullptr;
    QVector<QColor> m_colors;
    bool m_following = false;
    int m_pressedRow = -1;
};
