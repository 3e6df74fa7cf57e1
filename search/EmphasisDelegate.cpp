#include "search/EmphasisDelegate.h"

#include <QApplication>
#include <QPainter>

EmphasisDelegate::EmphasisDelegate(QAbstractItemDelegate *base, QObject *parent)
    : QStyledItemDelegate(parent), m_base(base)
{
}

QVector<MatchEmphasis::Span> EmphasisDelegate::emphasised(const QModelIndex &index) const
{
    return m_emphasis.spans(index.data(Qt::DisplayRole).toString());
}

void EmphasisDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    const QVector<MatchEmphasis::Span> spans = m_emphasis.spans(text);
    if (spans.isEmpty()) {
        if (m_base)
            m_base->paint(painter, option, index);
        else
            QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // The cell without its text (background, selection, focus), then the text run by run.
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    QRect area =
        style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).adjusted(margin, 0, -margin, 0);

    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(cell.palette.color(
        group, (option.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    QFont bold = cell.font;
    bold.setBold(true);
    const QFont fonts[2] = {cell.font, bold};

    // Runs alternate plain and bold; the run that does not fit ends the text with an ellipsis.
    QVector<std::pair<QString, bool>> runs;
    int at = 0;
    for (const MatchEmphasis::Span &span : spans) {
        if (span.start > at)
            runs.append({text.mid(at, span.start - at), false});
        runs.append({text.mid(span.start, span.length), true});
        at = span.start + span.length;
    }
    if (at < text.size())
        runs.append({text.mid(at), false});
    int x = area.left();
    for (const auto &[run, isBold] : runs) {
        painter->setFont(fonts[isBold]);
        const QFontMetrics metrics(fonts[isBold]);
        const int width = metrics.horizontalAdvance(run);
        const QRect runArea(x, area.top(), area.right() - x + 1, area.height());
        if (x + width > area.right() + 1) {
            painter->drawText(runArea, Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(run, Qt::ElideRight, runArea.width()));
            break;
        }
        painter->drawText(runArea, Qt::AlignLeft | Qt::AlignVCenter, run);
        x += width;
    }
    painter->restore();
}

QSize EmphasisDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return m_base ? m_base->sizeHint(option, index) : QStyledItemDelegate::sizeHint(option, index);
}

bool EmphasisDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                 const QStyleOptionViewItem &option, const QModelIndex &index)
{
    return m_base ? m_base->helpEvent(event, view, option, index)
                  : QStyledItemDelegate::helpEvent(event, view, option, index);
}
