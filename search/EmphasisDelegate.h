#pragma once

#include "search/MatchEmphasis.h"

#include <QPointer>
#include <QStyledItemDelegate>

// Draws a results column's text with the words the search matched in bold. Cells without such
// words, and everything but painting, are left to the grid's own delegate.
class EmphasisDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    EmphasisDelegate(QAbstractItemDelegate *base, QObject *parent);

    void setSearch(const QString &listaPalavras) { m_emphasis = MatchEmphasis(listaPalavras); }
    // The stretches of the cell's text drawn bold.
    QVector<MatchEmphasis::Span> emphasised(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    QPointer<QAbstractItemDelegate> m_base;
    MatchEmphasis m_emphasis;
};
