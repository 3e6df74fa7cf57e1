#include "search/SearchVocabulary.h"

#include "data/TextFold.h"
#include "search/SearchExpression.h"

#include <algorithm>
#include <vector>

QString searchFold(const QString &text)
{
    QString folded = RemoveAcentos(text);
    for (QChar &c : folded)
        c = QChar(char16_t(textfold::foldChar(c.unicode())));
    return folded;
}

int editDistance(const QString &a, const QString &b, int bound)
{
    const int n = int(a.size());
    const int m = int(b.size());
    if (std::abs(n - m) > bound)
        return bound + 1;
    // Three rows of the table: two rows back for the swap.
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (int j = 0; j <= m; ++j)
        previous[j] = j;
    for (int i = 1; i <= n; ++i) {
        current[0] = i;
        int rowBest = current[0];
        for (int j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            int d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d = std::min(d, before[j - 2] + 1);
            current[j] = d;
            rowBest = std::min(rowBest, d);
        }
        if (rowBest > bound)
            return bound + 1;
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return std::min(previous[m], bound + 1);
}

SearchVocabulary::SearchVocabulary(const QVector<Activity> &activities, const QStringList &stopWords)
{
    for (const QString &stop : stopWords)
        m_stopWords.insert(searchFold(stop));

    QHash<QString, Word> byFolded;
    QSet<QString> ofActivity;
    for (const Activity &activity : activities) {
        ofActivity.clear();
        for (const QString &keyword : activity.palavraChave.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const QString folded = searchFold(keyword);
            if (ofActivity.contains(folded))
                continue;
            ofActivity.insert(folded);
            Word &word = byFolded[folded];
            if (word.activities == 0) {
                word.text = keyword;
                word.folded = folded;
            }
            word.activities += activity.count;
        }
        const QString &cla = activity.codigoCla;
        for (int length = 1; length <= cla.size(); ++length)
            m_codes.insert(cla.left(length));
        if (cla.size() == 5 && activity.codigoSub.size() == 2)
            m_codes.insert(cla + activity.codigoSub);
    }
    m_words.reserve(byFolded.size());
    for (const Word &word : std::as_const(byFolded))
        m_words.append(word);
    std::sort(m_words.begin(), m_words.end(),
              [](const Word &a, const Word &b) { return a.folded < b.folded; });
    for (int i = 0; i < m_words.size(); ++i)
        m_index.insert(m_words[i].folded, i);
}

bool SearchVocabulary::holds(const QString &word) const
{
    return m_index.contains(searchFold(word));
}

bool SearchVocabulary::isStopWord(const QString &word) const
{
    return m_stopWords.contains(searchFold(word));
}

int SearchVocabulary::activitiesOf(const QString &word) const
{
    const auto found = m_index.constFind(searchFold(word));
    return found == m_index.constEnd() ? 0 : m_words[*found].activities;
}

namespace
{

bool busierFirst(const SearchVocabulary::Word &a, const SearchVocabulary::Word &b)
{
    if (a.activities != b.activities)
        return a.activities > b.activities;
    return a.folded < b.folded;
}

} // namespace

QVector<SearchVocabulary::Word> SearchVocabulary::beginningWith(const QString &start, int limit) const
{
    const QString folded = searchFold(start);
    if (folded.size() < 2 || limit <= 0)
        return {};
    auto it = std::lower_bound(m_words.cbegin(), m_words.cend(), folded,
                               [](const Word &word, const QString &key) { return word.folded < key; });
    QVector<Word> found;
    for (; it != m_words.cend() && it->folded.startsWith(folded); ++it) {
        if (!m_stopWords.contains(it->folded))
            found.append(*it);
    }
    std::sort(found.begin(), found.end(), busierFirst);
    if (found.size() > limit)
        found.resize(limit);
    return found;
}

QVector<SearchVocabulary::Word> SearchVocabulary::nearTo(const QString &word, int limit) const
{
    // Two edits turn a short word into too many others: one edit below five letters, none below three.
    const QString folded = searchFold(word);
    const int bound = folded.size() < 3 ? 0 : (folded.size() < 5 ? 1 : 2);
    QVector<std::pair<int, Word>> found;
    for (const Word &candidate : m_words) {
        if (std::abs(int(candidate.folded.size()) - int(folded.size())) > bound ||
            m_stopWords.contains(candidate.folded))
            continue;
        const int distance = editDistance(folded, candidate.folded, bound);
        if (distance >= 1 && distance <= bound)
            found.append({distance, candidate});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        if (a.first != b.first)
            return a.first < b.first;
        return busierFirst(a.second, b.second);
    });
    QVector<Word> nearest;
    for (int i = 0; i < found.size() && i < limit; ++i)
        nearest.append(found[i].second);
    return nearest;
}
