#include "search/SearchOffers.h"

#include "data/Connection.h"
#include "search/ActivityGroups.h"
#include "search/SearchExpression.h"

#include <algorithm>

namespace
{

// A word of the text that the offers replace, with its replacements, nearest first.
struct Replaceable {
    int token;
    QStringList replacements;
};

bool isCodeToken(const QString &token)
{
    return !token.isEmpty() && std::all_of(token.cbegin(), token.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
               c == QLatin1Char('/');
    });
}

QString digitsOf(QString token)
{
    return token.remove(QLatin1Char('-')).remove(QLatin1Char('/'));
}

// The codes one digit off that some activity has, in the token's own spelling, in code order.
QStringList nearCodes(const SearchVocabulary &vocabulary, const QString &token)
{
    QStringList found;
    for (int i = 0; i < token.size(); ++i) {
        if (!token[i].isDigit())
            continue;
        for (char digit = '0'; digit <= '9'; ++digit) {
            if (token[i] == QLatin1Char(digit))
                continue;
            QString candidate = token;
            candidate[i] = QLatin1Char(digit);
            if (vocabulary.hasCode(digitsOf(candidate)))
                found.append(candidate);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const QString &a, const QString &b) { return digitsOf(a) < digitsOf(b); });
    return found;
}

} // namespace

QVector<SearchOffer> searchOffers(const SearchVocabulary &vocabulary, const QString &text,
                                  const SearchCount &count, int limit)
{
    const QStringList tokens = text.split(QLatin1Char(' '));
    QVector<Replaceable> replaceable;
    for (int i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens[i];
        if (token.isEmpty() || token.contains(QLatin1Char('*')) || token.startsWith(QLatin1Char('-')) ||
            vocabulary.isStopWord(token))
            continue;
        if (isCodeToken(token)) {
            if (!vocabulary.hasCode(digitsOf(token)) && EhNumero(digitsOf(token)))
                replaceable.append({i, nearCodes(vocabulary, token)});
            continue;
        }
        const bool first = token.startsWith(QLatin1Char('+'));
        const QString term = first ? token.mid(1) : token;
        if (term.isEmpty() || vocabulary.holds(term))
            continue;
        QStringList near;
        for (const SearchVocabulary::Word &word : vocabulary.nearTo(term, limit))
            near.append((first ? QStringLiteral("+") : QString()) + word.text);
        replaceable.append({i, near});
    }
    // Beyond a few misspelt words the text is no typo of a search; the sentence alone answers it.
    if (replaceable.isEmpty() || replaceable.size() > MaxCorrectedWords)
        return {};
    for (const Replaceable &word : replaceable) {
        if (word.replacements.isEmpty())
            return {};
    }

    // Every choice of replacements, the nearest choices (smallest sum of ranks) first.
    // Fewer replacements a word when many words need them, so that the choices stay few.
    const int perWord = replaceable.size() <= 2 ? limit : 2;
    QVector<QVector<int>> choices{{}};
    for (const Replaceable &word : replaceable) {
        QVector<QVector<int>> longer;
        for (const QVector<int> &choice : choices) {
            for (int r = 0; r < word.replacements.size() && r < perWord; ++r)
                longer.append(choice + QVector<int>{r});
        }
        choices = longer;
    }
    const auto rankOf = [](const QVector<int> &choice) {
        int sum = 0;
        for (const int r : choice)
            sum += r;
        return sum;
    };
    std::stable_sort(choices.begin(), choices.end(),
                     [&](const QVector<int> &a, const QVector<int> &b) { return rankOf(a) < rankOf(b); });

    // Each search that runs costs a statement: a few beyond the limit, for offers that find nothing.
    QVector<SearchOffer> offers;
    int tried = 0;
    for (const QVector<int> &choice : choices) {
        if (offers.size() >= limit || tried >= 2 * limit)
            break;
        QStringList corrected = tokens;
        for (int w = 0; w < replaceable.size(); ++w)
            corrected[replaceable[w].token] = replaceable[w].replacements[choice[w]];
        const QString offer = corrected.join(QLatin1Char(' '));
        ++tried;
        const int found = count(offer);
        if (found > 0)
            offers.append({offer, found});
    }
    return offers;
}

int countSearchResults(Connection &connection, const QString &prefixoTabela, const QString &filtroSubClasse,
                       const QString &text)
{
    return countSearchResults(connection, nullptr, prefixoTabela, filtroSubClasse, text);
}

int countSearchResults(Connection &connection, const ActivityGroups *groups, const QString &prefixoTabela,
                       const QString &filtroSubClasse, const QString &text)
{
    const QString palavras = RetiraPalavrasLigacao(
        doubleApostrophes(trimSearchText(RemoveAcentos(text))),
        [&connection](const QString &statement) { return !connection.execute(statement).rows.isEmpty(); });
    const QString condition = MontaCondicaoPesquisa(palavras);
    if (groups) {
        const int counted = groups->count(condition, filtroSubClasse);
        if (counted >= 0)
            return counted;
    }
    const QString statement = searchStatement(prefixoTabela, condition, filtroSubClasse, QString());
    const ResultSet counted =
        connection.execute(QStringLiteral("SELECT COUNT(*) FROM (") + statement + QStringLiteral(")"));
    return counted.rows.isEmpty() ? 0 : counted.rows[0][0].toInt();
}
