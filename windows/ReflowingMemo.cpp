#include "windows/ReflowingMemo.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QStringList>

ReflowingMemo::ReflowingMemo(QPlainTextEdit *memo)
    : QObject(memo), m_memo(memo), m_designed(memo->toPlainText()), m_flowing(flowing(m_designed)),
      m_designedWidth(memo->width()), m_designedFontSize(QFontInfo(memo->font()).pixelSize())
{
    memo->installEventFilter(this);
}

QString ReflowingMemo::flowing(const QString &designed)
{
    const QStringList lines = designed.split(QLatin1Char('\n'));
    QString text = lines.first();
    for (int i = 1; i < lines.size(); ++i) {
        const bool goesOn = text.endsWith(QLatin1Char(' ')) && !lines[i].isEmpty();
        if (!goesOn)
            text += QLatin1Char('\n');
        text += lines[i];
    }
    return text;
}

bool ReflowingMemo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_memo && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
        update();
    return QObject::eventFilter(watched, event);
}

// Flowing text never takes more lines than the designed ones: it flows only where every
// designed line fits the width, and a wrap that fills each line needs no more lines than any
// other breaking of the same words.
void ReflowingMemo::update()
{
    if (m_updating)
        return;
    const QFontMetrics metrics(m_memo->font());
    // The viewport follows the memo only after this filter: the memo's own inside is already new.
    const int room = m_memo->contentsRect().width() - 2 * int(m_memo->document()->documentMargin());
    const int fontSize = QFontInfo(m_memo->font()).pixelSize();
    bool wide = qint64(m_memo->width()) * m_designedFontSize > qint64(m_designedWidth) * fontSize;
    for (const QString &line : m_designed.split(QLatin1Char('\n')))
        wide = wide && metrics.horizontalAdvance(line) <= room;
    const QString &text = wide ? m_flowing : m_designed;
    m_updating = true;
    m_memo->setLineWrapMode(wide ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    if (m_memo->toPlainText() != text)
        m_memo->setPlainText(text);
    m_updating = false;
}
