#pragma once

#include "search/SearchOffers.h"

#include <QVector>
#include <QWidget>

class LinkLabel;
class QLabel;
class QVBoxLayout;

// Over an empty results grid: a sentence saying that nothing was found, then the corrected
// searches as links (a click, or Enter on the focused link, runs one).
class SearchOffersPanel : public QWidget
{
    Q_OBJECT
public:
    explicit SearchOffersPanel(QWidget *grid);

    // waiting: the vocabulary is still being read, the offers come later.
    void showFor(const QString &text, const QVector<SearchOffer> &offers, bool waiting);
    QVector<LinkLabel *> links() const { return m_links; }

Q_SIGNALS:
    void chosen(const QString &text);
    void linkCreated(LinkLabel *link);

private:
    QLabel *m_sentence;
    QVBoxLayout *m_layout;
    QVector<LinkLabel *> m_links;
};
