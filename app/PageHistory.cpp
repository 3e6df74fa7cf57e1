#include "app/PageHistory.h"

#include <algorithm>

namespace
{

bool sameItem(const PageVisit &a, const PageVisit &b)
{
    return a.page == b.page && a.edition == b.edition &&
           std::equal(std::begin(a.codes), std::end(a.codes), std::begin(b.codes)) &&
           a.searchText == b.searchText && a.byCode == b.byCode && a.origin == b.origin;
}

} // namespace

void PageHistory::visit(const PageVisit &visit)
{
    if (m_position >= 0 && sameItem(m_visits[m_position], visit)) {
        m_visits[m_position] = visit;
        return;
    }
    m_visits.resize(m_position + 1);
    m_visits.append(visit);
    if (m_visits.size() > Limit)
        m_visits.removeFirst();
    m_position = int(m_visits.size()) - 1;
}

PageVisit *PageHistory::current()
{
    return m_position >= 0 ? &m_visits[m_position] : nullptr;
}

const PageVisit *PageHistory::back()
{
    if (!canGoBack())
        return nullptr;
    return &m_visits[--m_position];
}

const PageVisit *PageHistory::forward()
{
    if (!canGoForward())
        return nullptr;
    return &m_visits[++m_position];
}
