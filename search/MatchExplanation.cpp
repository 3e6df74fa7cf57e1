#include "search/MatchExplanation.h"

#include "data/TextFold.h"
#include "search/SearchExpression.h"

namespace
{

bool like(const QString &pattern, const QString &text)
{
    const QByteArray patternBytes = pattern.toUtf8();
    const QByteArray textBytes = text.toUtf8();
    return LikePattern(std::string_view(patternBytes.constData(), patternBytes.size()))
        .matches(std::string_view(textBytes.constData(), textBytes.size()));
}

QString without(QString word, QChar c)
{
    return word.remove(c);
}

// The search's words stand inside SQL literals with their apostrophes doubled; the database
// compares them single.
QString asCompared(const QString &term)
{
    return QString(term).replace(QLatin1String("''"), QLatin1String("'"));
}

QStringList keywordsOf(const QString &palavraChave)
{
    return palavraChave.split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QStringList keywordsLike(const QString &pattern, const QStringList &keywords)
{
    QStringList found;
    for (const QString &keyword : keywords) {
        if (like(pattern, keyword))
            found.append(keyword);
    }
    return found;
}

WordMatch explainWord(const QString &word, const ExplainedActivity &activity)
{
    const QString &list = activity.palavraChave;
    const QStringList keywords = keywordsOf(list);
    const QChar first = word.front();
    const QChar last = word.back();
    const QChar star('*');
    WordMatch match{asCompared(word), MatchRule::WholeKeyword, {}, false, {}};
    QString &t = match.term;

    if (first == star && last == star) {
        match.rule = MatchRule::Contains;
        t = asCompared(without(word, star));
        match.holds = like(QLatin1Char('%') + t + QLatin1Char('%'), list);
        match.keywords = keywordsLike(QLatin1Char('%') + t + QLatin1Char('%'), keywords);
    } else if (first == star) {
        match.rule = MatchRule::EndsWith;
        t = asCompared(without(word, star));
        match.holds = like(QLatin1Char('%') + t + QLatin1String("|%"), list);
        match.keywords = keywordsLike(QLatin1Char('%') + t, keywords);
    } else if (last == star) {
        match.rule = MatchRule::BeginsWith;
        t = asCompared(without(word, star));
        match.holds = like(QLatin1String("%|") + t + QLatin1Char('%'), list);
        match.keywords = keywordsLike(t + QLatin1Char('%'), keywords);
    } else if (first == QLatin1Char('+')) {
        match.rule = MatchRule::FirstKeyword;
        t = asCompared(without(word, first));
        match.holds = like(QLatin1Char('|') + t + QLatin1String("|%"), list);
        match.keywords = keywordsLike(t, keywords.mid(0, 1));
    } else if (first == QLatin1Char('-')) {
        match.rule = MatchRule::Excluded;
        t = asCompared(without(word, first));
        match.holds = !like(QLatin1String("%|") + t + QLatin1String("|%"), list);
    } else {
        const QString code = without(without(word, QLatin1Char('/')), QLatin1Char('-'));
        t = asCompared(code);
        if (EhNumero(code)) {
            match.rule = MatchRule::Code;
            match.holds = like(t + QLatin1Char('%'), activity.codigoCla) ||
                          (t.size() == 7 && textfold::equalNoCase(activity.codigoSub, t.mid(5, 2)) &&
                           textfold::equalNoCase(activity.codigoCla, t.left(5)));
        } else {
            match.holds = like(QLatin1String("%|") + t + QLatin1String("|%"), list);
            match.keywords = keywordsLike(t, keywords);
        }
    }
    return match;
}

QString quotedTerm(const QString &term)
{
    return QStringLiteral("“%1”").arg(term.toHtmlEscaped());
}

QString ruleText(const WordMatch &match, const ExplainedActivity &activity)
{
    switch (match.rule) {
    case MatchRule::Contains:
        return QStringLiteral("palavra-chave que contém ") + quotedTerm(match.term);
    case MatchRule::EndsWith:
        return QStringLiteral("palavra-chave que termina em ") + quotedTerm(match.term);
    case MatchRule::BeginsWith:
        return QStringLiteral("palavra-chave que começa por ") + quotedTerm(match.term);
    case MatchRule::FirstKeyword:
        return QStringLiteral("primeira palavra-chave igual a ") + quotedTerm(match.term);
    case MatchRule::Excluded:
        return match.holds ? QStringLiteral("não tem a palavra-chave ") + quotedTerm(match.term)
                           : QStringLiteral("tem a palavra-chave excluída ") + quotedTerm(match.term);
    case MatchRule::Code:
        if (match.term.size() == 7 && !like(match.term + QLatin1Char('%'), activity.codigoCla))
            return QStringLiteral("o código da subclasse ") + activity.codigoSubClasse.toHtmlEscaped();
        return QStringLiteral("o código da classe %1 começa por %2")
            .arg(activity.codigoClasse.toHtmlEscaped(), match.term.toHtmlEscaped());
    case MatchRule::WholeKeyword:
        return QStringLiteral("palavra-chave ") + quotedTerm(match.term);
    }
    return {};
}

} // namespace

QVector<WordMatch> explainMatch(const QString &listaPalavras, const ExplainedActivity &activity)
{
    QVector<WordMatch> matches;
    for (const QString &word : listaPalavras.split(QLatin1Char(','))) {
        if (!trimSearchText(word).isEmpty())
            matches.append(explainWord(word, activity));
    }
    return matches;
}

QString matchTooltip(const QVector<WordMatch> &matches, const ExplainedActivity &activity)
{
    QStringList matched;
    for (const WordMatch &match : matches)
        matched += match.keywords;
    QStringList shown;
    for (const QString &keyword : keywordsOf(activity.palavraChave)) {
        shown.append(matched.contains(keyword)
                         ? QStringLiteral("<b><u>%1</u></b>").arg(keyword.toHtmlEscaped())
                         : keyword.toHtmlEscaped());
    }
    QString html = QStringLiteral("<p>Palavras-chave: %1</p><p style='white-space:pre'>")
                       .arg(shown.isEmpty() ? QStringLiteral("(nenhuma)") : shown.join(QLatin1String(", ")));
    QStringList lines;
    for (const WordMatch &match : matches) {
        QString line =
            QStringLiteral("<i>%1</i> — %2").arg(match.word.toHtmlEscaped(), ruleText(match, activity));
        if (!match.keywords.isEmpty()) {
            QStringList bold;
            for (const QString &keyword : match.keywords)
                bold.append(QStringLiteral("<b>%1</b>").arg(keyword.toHtmlEscaped()));
            line += QStringLiteral(": ") + bold.join(QLatin1String(", "));
        }
        if (!match.holds && match.rule != MatchRule::Excluded)
            line += QStringLiteral(" (não encontrada nesta atividade)");
        lines.append(line);
    }
    return html + lines.join(QLatin1String("<br>")) + QStringLiteral("</p>");
}
