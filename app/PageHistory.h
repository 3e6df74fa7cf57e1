#pragma once

#include <QString>
#include <QVector>

// One page of the main window as it was seen: enough to show it again as it was.
struct PageVisit {
    int page = 0;
    QString edition; // the key of the edition it was seen in
    // The level codes of the item on show: section, division, group, class, subclass.
    QString codes[5];
    // The results page: the search as typed, its sort and where it came from.
    QString searchText;
    bool byCode = false;
    int origin = 0;
    // The current row of the page's list, -1 for none.
    int row = -1;
};

// The pages visited in this run, as a browser keeps them: going back and forward moves along the
// list; visiting a page from the middle of it drops the pages ahead. Never saved.
class PageHistory
{
public:
    static constexpr int Limit = 200;

    // A new page: it follows the current one, dropping what was ahead. A visit to the page on
    // show with the same item only refreshes it.
    void visit(const PageVisit &visit);
    // The page on show, to note its current row before leaving; null before the first visit.
    PageVisit *current();

    bool canGoBack() const { return m_position > 0; }
    bool canGoForward() const { return m_position + 1 < m_visits.size(); }
    // Moves one step and returns the page to show; null when there is none that way.
    const PageVisit *back();
    const PageVisit *forward();

private:
    QVector<PageVisit> m_visits;
    int m_position = -1;
};
