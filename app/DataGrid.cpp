#include "app/DataGrid.h"

#include "data/DataSource.h"
#include "data/Query.h"
#include "data/QueryTableModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace
{

// The width a cell needs for its text: the text and the item's margins on both sides.
int cellTextWidth(const QWidget *view, const QString &text)
{
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return view->fontMetrics().horizontalAdvance(text) + 2 * margin + 1;
}

// Draws each column's text in the column's own colour (selected rows keep the highlight colours).
class ColumnColorDelegate : public QStyledItemDelegate
{
public:
    ColumnColorDelegate(const QVector<QColor> &colors, QObject *parent)
        : QStyledItemDelegate(parent), m_colors(colors)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int column = index.column();
        if (column >= 0 && column < m_colors.size() && m_colors[column].isValid())
            option->palette.setColor(QPalette::Text, m_colors[column]);
    }

    // A text cut short in its cell shows whole in the tooltip, wrapped to a readable width.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        if (cellTextWidth(view, text) > option.rect.width())
            QToolTip::showText(event->globalPos(), QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped()),
                               view->viewport(), option.rect);
        else
            QToolTip::hideText();
        return true;
    }

private:
    const QVector<QColor> &m_colors;
};

} // namespace

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Tab leaves the grid for the page's links rather than walking its cells.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(17);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    QPalette silver = titles->palette();
    silver.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    silver.setColor(QPalette::ButtonText, Qt::black);
    titles->setPalette(silver);

    // The selected row looks the same whether or not the grid has the focus.
    QPalette colors = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colors.setColor(QPalette::Inactive, role, colors.color(QPalette::Active, role));
    setPalette(colors);

    setItemDelegate(new ColumnColorDelegate(m_colors, this));
    connect(titles, &QHeaderView::sectionResized, this, [this](int column) {
        if (m_model && column + 1 < m_model->columnCount())
            fitLastColumn();
    });

    m_copyCode = new QAction(QStringLiteral("Copiar código"), this);
    m_copyCodeAndDescription = new QAction(QStringLiteral("Copiar código e descrição"), this);
    connect(m_copyCode, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(currentCode()); });
    connect(m_copyCodeAndDescription, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(selectedCodesAndDescriptions()); });
}

void DataGrid::bind(DataSource &source, const QVector<GridColumn> &columns)
{
    if (m_model) {
        m_model->query().disconnect(this);
        delete m_model;
    }
    m_source = &source;
    QVector<BoundColumn> bound;
    m_colors.clear();
    for (const GridColumn &column : columns) {
        bound.append({column.field, column.title});
        m_colors.append(column.color);
    }
    m_model = new QueryTableModel(source.dataSet(), bound, this);
    setModel(m_model);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].width);
    fitColumns();

    Query &query = source.dataSet();
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::fitColumns);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataGrid::followQuery);
    connect(&query, &Query::reloaded, this, &DataGrid::followQuery);
    connect(&query, &Query::currentRowChanged, this, &DataGrid::followQuery);
    followQuery();
}

Query *DataGrid::query() const
{
    return m_source ? &m_source->dataSet() : nullptr;
}

QString DataGrid::columnTitle(int column) const
{
    return m_model ? m_model->columnTitle(column) : QString();
}

void DataGrid::setColumnTitle(int column, const QString &title)
{
    if (!m_model)
        return;
    m_model->setColumnTitle(column, title);
    fitColumns();
    horizontalHeader()->viewport()->update();
}

QString DataGrid::columnField(int column) const
{
    return m_model ? m_model->columnField(column) : QString();
}

void DataGrid::setColumnField(int column, const QString &field)
{
    if (!m_model || m_model->columnField(column) == field)
        return;
    m_model->setColumnField(column, field);
    fitColumns();
    viewport()->update();
}

QColor DataGrid::columnColor(int column) const
{
    return column >= 0 && column < m_colors.size() ? m_colors[column] : QColor();
}

void DataGrid::setColumnColor(int column, const QColor &color)
{
    if (column < 0 || column >= m_colors.size())
        return;
    m_colors[column] = color;
    viewport()->update();
}

void DataGrid::setColumnsResizable(bool resizable)
{
    horizontalHeader()->setSectionResizeMode(resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
}

// Selects the query's current row, without echoing the move back to the query.
void DataGrid::followQuery()
{
    Query *q = query();
    if (!q || !m_model)
        return;
    const int row = q->isOpen() ? q->currentRow() : -1;
    // The grid moved the query itself: its selection, of one row or of several, stands.
    if (row >= 0 && currentIndex().isValid() && currentIndex().row() == row &&
        selectionModel()->hasSelection())
        return;
    m_following = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex index = m_model->index(row, column);
        selectionModel()->setCurrentIndex(index,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    m_following = false;
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    Query *q = query();
    if (m_following || !q || !current.isValid() || current.row() == q->currentRow())
        return;
    q->setCurrentRow(current.row());
}

// Shift and Ctrl clicks and Shift keys add rows to the selection, as in any list; otherwise it is
// the one current row.
QItemSelectionModel::SelectionFlags DataGrid::selectionCommand(const QModelIndex &index,
                                                               const QEvent *event) const
{
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    // Keys extend with Shift only: Ctrl+End still goes to, and selects, the last row.
    const bool key = event && event->type() == QEvent::KeyPress;
    const bool mouse =
        event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove);
    if (key || mouse) {
        const auto modifiers = static_cast<const QInputEvent *>(event)->modifiers();
        if (modifiers & (key ? Qt::ShiftModifier : Qt::ShiftModifier | Qt::ControlModifier))
            return QTableView::selectionCommand(index, event);
    }
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void DataGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressedRow = event->button() == Qt::LeftButton && index.isValid() ? index.row() : -1;
    m_lastPress.start();
    QTableView::mousePressEvent(event);
}

// The press has already made the row current; the click counts when the release lands on the
// same row.
void DataGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    // Shift and Ctrl clicks select rows; they do not open one.
    const bool click = event->button() == Qt::LeftButton && m_pressedRow >= 0 && index.isValid() &&
                       index.row() == m_pressedRow &&
                       !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    m_pressedRow = -1;
    QTableView::mouseReleaseEvent(event);
    if (click)
        emit cellClicked();
}

// The second press of a double-click lands wherever the first click led, often another grid on
// the page it opened: it must not count as a click of its own.
void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Its first press went to another widget: this grid changes nothing, not even its current row.
    if (!m_lastPress.isValid() || m_lastPress.elapsed() > QApplication::doubleClickInterval()) {
        event->accept();
        m_pressedRow = -1;
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    m_pressedRow = -1;
}

// The keyboard's way to open the current row, as a click on it would.
void DataGrid::keyPressEvent(QKeyEvent *event)
{
    const bool activate =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (activate && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        currentIndex().isValid()) {
        event->accept();
        emit cellClicked();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::setFitsWidth(bool fits)
{
    m_fitsWidth = fits;
    setTextElideMode(fits ? Qt::ElideRight : Qt::ElideNone);
    setHorizontalScrollBarPolicy(fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    fitColumns();
}

// Every column but the last is at least as wide as its title and its widest text, never narrower
// than designed or than the user made it; the last column stretches over the rest. Each distinct
// value is measured once, found by its stored bytes: a code column repeats few texts over many
// rows, and rows never shown are not converted.
void DataGrid::fitColumns()
{
    if (!m_model || !m_fitsWidth)
        return;
    const int columns = m_model->columnCount();
    const int rows = m_model->rowCount();
    for (int column = 0; column + 1 < columns; ++column) {
        int width = std::max(columnWidth(column), horizontalHeader()->sectionSizeHint(column));
        QSet<QByteArrayView> measured;
        for (int row = 0; row < rows; ++row) {
            const QByteArrayView stored = m_model->storedValue(row, column);
            if (measured.contains(stored))
                continue;
            width = std::max(width, cellTextWidth(this, m_model->displayText(row, column)));
            measured.insert(stored);
        }
        if (width != columnWidth(column))
            setColumnWidth(column, width);
    }
    fitLastColumn();
}

// The last column ends at the grid's right edge, whatever the user did to the others.
void DataGrid::fitLastColumn()
{
    if (!m_model || !m_fitsWidth || m_model->columnCount() == 0)
        return;
    const int last = m_model->columnCount() - 1;
    const int width = std::max(horizontalHeader()->minimumSectionSize(),
                               viewport()->width() - horizontalHeader()->sectionPosition(last));
    if (width != columnWidth(last))
        setColumnWidth(last, width);
    horizontalScrollBar()->setValue(0);
}

void DataGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    fitLastColumn();
}

// Texts in a larger font need wider code columns.
void DataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitColumns();
}

QString DataGrid::currentCode() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->index(current.row(), 0).data().toString() : QString();
}

QString DataGrid::currentCodeAndDescription() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return QString();
    const int last = m_model->columnCount() - 1;
    return currentCode() + QLatin1Char('\t') + m_model->index(current.row(), last).data().toString();
}

QString DataGrid::selectedCodesAndDescriptions() const
{
    if (!m_model || !selectionModel())
        return QString();
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty())
        return currentCodeAndDescription();
    std::sort(rows.begin(), rows.end());
    const int last = m_model->columnCount() - 1;
    QStringList lines;
    for (const int row : rows)
        lines.append(m_model->index(row, 0).data().toString() + QLatin1Char('\t') +
                     m_model->index(row, last).data().toString());
    return lines.join(QLatin1Char('\n'));
}

// Ctrl+C copies the row, not only the current cell as the table view would.
bool DataGrid::event(QEvent *event)
{
    const bool shortcut = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (shortcut && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            m_copyCodeAndDescription->trigger();
        return true;
    }
    return QTableView::event(event);
}

// The menu acts on the row under the pointer, which the press has already made current.
void DataGrid::contextMenuEvent(QContextMenuEvent *event)
{
    if (!currentIndex().isValid())
        return;
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(m_copyCode);
    menu->addAction(m_copyCodeAndDescription);
    menu->popup(event->globalPos());
}
