#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Why an activity answers a search, word by word, by the same rules and the same LIKE matching
// that selected it (see TraduzPalavraPesquisa).
enum class MatchRule { Contains, EndsWith, BeginsWith, FirstKeyword, Excluded, Code, WholeKeyword };

struct WordMatch {
    QString word; // as the search used it, operator included
    MatchRule rule;
    QString term;         // what the rule looked for: the word without its operator
    bool holds = false;   // whether the activity satisfies the word's condition
    QStringList keywords; // the activity's keywords that satisfy it, for the keyword rules
};

// The activity as the explanation needs it: its keyword list and its codes as stored
// (Codigo_Cla, Codigo_Sub) and as shown (CodigoClasse, CodigoSubClasse).
struct ExplainedActivity {
    QString palavraChave;
    QString codigoCla;
    QString codigoSub;
    QString codigoClasse;
    QString codigoSubClasse;
};

// listaPalavras is the word list the search translated (RetiraPalavrasLigacao's result,
// apostrophes doubled); blank words, which add no condition, are left out.
QVector<WordMatch> explainMatch(const QString &listaPalavras, const ExplainedActivity &activity);

// The explanation as rich text for a tooltip: the activity's keywords, those that matched in
// bold, then one line for each word of the search.
QString matchTooltip(const QVector<WordMatch> &matches, const ExplainedActivity &activity);
