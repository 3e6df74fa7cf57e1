#include "search/MatchEmphasis.h"

#include "search/SearchVocabulary.h"

MatchEmphasis::MatchEmphasis(const QString &listaPalavras)
{
    // The explanation's reading of each word (rule and term), without an activity to test.
    for (const WordMatch &match : explainMatch(listaPalavras, ExplainedActivity{})) {
        if (match.rule == MatchRule::Excluded || match.rule == MatchRule::Code)
            continue;
        const QString folded = searchFold(match.term);
        if (!folded.isEmpty())
            m_terms.append({match.rule, folded});
    }
}

QVector<MatchEmphasis::Span> MatchEmphasis::spans(const QString &description) const
{
    QVector<Span> found;
    if (m_terms.isEmpty())
        return found;
    const int size = int(description.size());
    int i = 0;
    while (i < size) {
        if (!description[i].isLetterOrNumber()) {
            ++i;
            continue;
        }
        // An apostrophe between letters stays in the word, as in the keywords (d'agua).
        int end = i;
        while (end < size && (description[end].isLetterOrNumber() ||
                              (description[end] == QLatin1Char('\'') && end + 1 < size &&
                               description[end + 1].isLetterOrNumber())))
            ++end;
        const QString word = searchFold(description.mid(i, end - i));
        for (const Term &term : m_terms) {
            bool matches = false;
            switch (term.rule) {
            case MatchRule::Contains:
                matches = word.contains(term.folded);
                break;
            case MatchRule::EndsWith:
                matches = word.endsWith(term.folded);
                break;
            case MatchRule::BeginsWith:
                matches = word.startsWith(term.folded);
                break;
            default:
                matches = word == term.folded;
                break;
            }
            if (matches) {
                found.append({i, end - i});
                break;
            }
        }
        i = end;
    }
    return found;
}
