#include "app/DataMemo.h"

#include "data/DataSource.h"
#include "data/Query.h"

#include <QEvent>

DataMemo::DataMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    // Reached by Tab, it shows its focus by a text cursor and a frame in the highlight colour,
    // and its text can be selected and copied from the keyboard.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void DataMemo::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    QPalette marked = palette();
    marked.setColor(QPalette::WindowText, marked.color(QPalette::Highlight));
    setPalette(marked);
}

void DataMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    setPalette(QPalette());
}

void DataMemo::bind(DataSource &source, const QString &field)
{
    if (m_source)
        m_source->dataSet().disconnect(this);
    m_source = &source;
    m_field = field;
    Query &query = source.dataSet();
    connect(&query, &Query::reloaded, this, &DataMemo::refresh);
    connect(&query, &Query::currentRowChanged, this, &DataMemo::refresh);
    refresh();
}

// Runs from the query's signals, inside the event loop: it must not throw, so it reads the raw
// value instead of the strict conversions.
void DataMemo::refresh()
{
    QString text;
    const Query &query = m_source->dataSet();
    const int column = query.columnIndex(m_field);
    if (query.isOpen() && query.currentRow() >= 0 && column >= 0)
        text = query.value(query.currentRow(), column).toString();
    if (text != toPlainText())
        setPlainText(text);
}

void DataMemo::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    showWholeLines();
}

void DataMemo::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showWholeLines();
}

// The viewport ends under the last line that fits whole, so no line shows cut in half.
void DataMemo::showWholeLines()
{
    const int lineHeight = fontMetrics().lineSpacing();
    const int room = contentsRect().height() - int(document()->documentMargin());
    const int spare = room > lineHeight ? room % lineHeight : 0;
    if (viewportMargins().bottom() != spare)
        setViewportMargins(0, 0, 0, spare);
}
