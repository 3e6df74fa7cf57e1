#pragma once

#include "search/MatchExplanation.h"

#include <QString>
#include <QVector>

// What a search's words look for in a description, folded once per search.
class MatchEmphasis
{
public:
    struct Span {
        int start;
        int length;
        bool operator==(const Span &other) const { return start == other.start && length == other.length; }
    };

    MatchEmphasis() = default;
    // listaPalavras as the search translated it (see explainMatch); excluded words and codes
    // emphasise nothing.
    explicit MatchEmphasis(const QString &listaPalavras);

    bool isEmpty() const { return m_terms.isEmpty(); }
    // The words of the description (runs of letters and digits, apostrophes within) that a searched term
    // matches by its rule, folded as the search folds: the whole word for a keyword, its start for termo*,
    // its end for *termo, anywhere in it for *termo*. In order, not overlapping.
    QVector<Span> spans(const QString &description) const;

private:
    struct Term {
        MatchRule rule;
        QString folded;
    };
    QVector<Term> m_terms;
};
