#include "data/AccessSql.h"

#include "data/DataError.h"

#include <QScopeGuard>
#include <QSet>

#include <vector>

namespace
{

enum class Kind {
    Space,    // blanks and comments: copied, never looked at
    Literal,  // string, number, quoted name
    Word,     // bare name or keyword
    Operator, // + - * / % \ ^ : binds tighter than comparisons
    Boundary, // comparison operators, comma, ';', other operators: ends an operand
    Open,
    Close,
    Dot,
};

struct Token {
    Kind kind;
    QString text; // as it goes out
};

const QSet<QString> &keywords()
{
    static const QSet<QString> set = {
        QStringLiteral("ALL"),       QStringLiteral("AND"),      QStringLiteral("AS"),
        QStringLiteral("ASC"),       QStringLiteral("BETWEEN"),  QStringLiteral("BY"),
        QStringLiteral("CASE"),      QStringLiteral("COLLATE"),  QStringLiteral("CROSS"),
        QStringLiteral("DESC"),      QStringLiteral("DISTINCT"), QStringLiteral("DISTINCTROW"),
        QStringLiteral("ELSE"),      QStringLiteral("END"),      QStringLiteral("ESCAPE"),
        QStringLiteral("EXCEPT"),    QStringLiteral("EXISTS"),   QStringLiteral("FROM"),
        QStringLiteral("FULL"),      QStringLiteral("GLOB"),     QStringLiteral("GROUP"),
        QStringLiteral("HAVING"),    QStringLiteral("IN"),       QStringLiteral("INNER"),
        QStringLiteral("INTERSECT"), QStringLiteral("IS"),       QStringLiteral("ISNULL"),
        QStringLiteral("JOIN"),      QStringLiteral("LEFT"),     QStringLiteral("LIKE"),
        QStringLiteral("LIMIT"),     QStringLiteral("NOT"),      QStringLiteral("NOTNULL"),
        QStringLiteral("OFFSET"),    QStringLiteral("ON"),       QStringLiteral("OR"),
        QStringLiteral("ORDER"),     QStringLiteral("OUTER"),    QStringLiteral("RIGHT"),
        QStringLiteral("SELECT"),    QStringLiteral("THEN"),     QStringLiteral("UNION"),
        QStringLiteral("USING"),     QStringLiteral("WHEN"),     QStringLiteral("WHERE"),
        QStringLiteral("XOR"),
    };
    return set;
}

bool isKeyword(const Token &token)
{
    return token.kind == Kind::Word && keywords().contains(token.text.toUpper());
}

bool isComparison(const QString &op)
{
    return op == QLatin1String("=") || op == QLatin1String("==") || op == QLatin1String("<>") ||
           op == QLatin1String("!=") || op == QLatin1String("<") || op == QLatin1String(">") ||
           op == QLatin1String("<=") || op == QLatin1String(">=");
}

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isWordPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

QString quotedName(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

class Tokenizer
{
public:
    explicit Tokenizer(const QString &text) : m_text(text) {}

    std::vector<Token> run(QStringList &names)
    {
        std::vector<Token> tokens;
        while (m_pos < m_text.size())
            tokens.push_back(next(names));
        return tokens;
    }

private:
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text.at(i) : QChar(); }

    // Position just past the closing quote, doubled quotes staying inside; throws when absent.
    qsizetype endOfQuoted(QChar quote, const char *what) const
    {
        qsizetype i = m_pos + 1;
        while (i < m_text.size()) {
            if (m_text.at(i) == quote) {
                if (at(i + 1) != quote)
                    return i + 1;
                ++i;
            }
            ++i;
        }
        throw DataError(QStringLiteral("Unterminated %1 in statement: %2").arg(QLatin1String(what), m_text));
    }

    Token take(Kind kind, qsizetype end)
    {
        Token token{kind, m_text.mid(m_pos, end - m_pos)};
        m_pos = end;
        return token;
    }

    Token next(QStringList &names)
    {
        const QChar c = m_text.at(m_pos);
        if (c.isSpace()) {
            qsizetype end = m_pos;
            while (end < m_text.size() && m_text.at(end).isSpace())
                ++end;
            return take(Kind::Space, end);
        }
        if (c == QLatin1Char('-') && at(m_pos + 1) == QLatin1Char('-')) {
            qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
            return take(Kind::Space, end < 0 ? m_text.size() : end);
        }
        if (c == QLatin1Char('/') && at(m_pos + 1) == QLatin1Char('*')) {
            const qsizetype close = m_text.indexOf(QStringLiteral("*/"), m_pos + 2);
            if (close < 0)
                throw DataError(QStringLiteral("Unterminated comment in statement: %1").arg(m_text));
            return take(Kind::Space, close + 2);
        }
        if (c == QLatin1Char('\''))
            return take(Kind::Literal, endOfQuoted(c, "text literal"));
        if (c == QLatin1Char('"')) {
            // Access reads double quotes as a text literal.
            const qsizetype end = endOfQuoted(c, "text literal");
            QString inner = m_text.mid(m_pos + 1, end - m_pos - 2);
            inner.replace(QStringLiteral("\"\""), QStringLiteral("\""));
            inner.replace(QLatin1Char('\''), QStringLiteral("''"));
            m_pos = end;
            return {Kind::Literal, QLatin1Char('\'') + inner + QLatin1Char('\'')};
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos + 1);
            if (close < 0)
                throw DataError(QStringLiteral("Unterminated [name] in statement: %1").arg(m_text));
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            names.append(name);
            m_pos = close + 1;
            return {Kind::Word, quotedName(name)};
        }
        if (c == QLatin1Char('`')) {
            const qsizetype end = endOfQuoted(c, "`name`");
            names.append(
                m_text.mid(m_pos + 1, end - m_pos - 2).replace(QStringLiteral("``"), QStringLiteral("`")));
            return take(Kind::Word, end);
        }
        if (c.isDigit() || (c == QLatin1Char('.') && at(m_pos + 1).isDigit()))
            return take(Kind::Literal, endOfNumber());
        if (isWordStart(c)) {
            qsizetype end = m_pos + 1;
            while (end < m_text.size() && isWordPart(m_text.at(end)))
                ++end;
            Token token = take(Kind::Word, end);
            names.append(token.text);
            return token;
        }
        if (c == QLatin1Char('('))
            return take(Kind::Open, m_pos + 1);
        if (c == QLatin1Char(')'))
            return take(Kind::Close, m_pos + 1);
        if (c == QLatin1Char('.'))
            return take(Kind::Dot, m_pos + 1);
        static const QStringList twoChar = {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="),
                                            QStringLiteral("!="), QStringLiteral("=="), QStringLiteral("||"),
                                            QStringLiteral("<<"), QStringLiteral(">>")};
        const QString pair = m_text.mid(m_pos, 2);
        if (twoChar.contains(pair))
            return take(Kind::Boundary, m_pos + 2);
        if (QStringLiteral("+-*/%\\^").contains(c))
            return take(Kind::Operator, m_pos + 1);
        // Access joins texts with &, SQLite would take it for a bitwise and: refuse it.
        if (c == QLatin1Char('&'))
            throw DataError(
                QStringLiteral("The & operator is not supported (join texts with +): %1").arg(m_text));
        return take(Kind::Boundary, m_pos + 1);
    }

    qsizetype endOfNumber() const
    {
        qsizetype i = m_pos;
        while (at(i).isDigit())
            ++i;
        if (at(i) == QLatin1Char('.')) {
            ++i;
            while (at(i).isDigit())
                ++i;
        }
        if ((at(i) == QLatin1Char('e') || at(i) == QLatin1Char('E')) &&
            (at(i + 1).isDigit() ||
             ((at(i + 1) == QLatin1Char('+') || at(i + 1) == QLatin1Char('-')) && at(i + 2).isDigit()))) {
            i += 2;
            while (at(i).isDigit())
                ++i;
        }
        return i;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

// One element of a nesting level: a token, or a parenthesised group already translated, or a
// name or call made of several tokens.
struct Item {
    Item(Kind kind, const QString &text) : kind(kind), text(text) {}
    Kind kind;
    QString text;
    bool keyword = false;
    QString upper;              // keyword spelling, for the few that change the walk
    bool memberPending = false; // "name." waiting for its member
    bool surelyText = false;    // a string, Left/Right, or such texts joined: a text or NULL
};

enum class Mark { None, NoCase, Sort };

struct Segment {
    std::vector<size_t> items; // indices into the level's items, spaces excluded
    Mark mark = Mark::None;
};

class Translator
{
public:
    explicit Translator(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    QString run()
    {
        size_t pos = 0;
        bool text = false;
        QString out = level(pos, text);
        if (pos < m_tokens.size())
            throw DataError(QStringLiteral("Unbalanced parentheses in statement"));
        return out;
    }

private:
    // Translates tokens from pos up to the ')' closing this level (left at pos) or the end; text
    // tells whether the whole level is surely a text or NULL.
    QString level(size_t &pos, bool &text)
    {
        // Each level is a call deeper; SQLite itself refuses deeper expressions anyway.
        if (++m_depth > kMaxDepth)
            throw DataError(QStringLiteral("Parentheses nested too deeply in statement"));
        const auto leave = qScopeGuard([this] { --m_depth; });
        std::vector<Item> items = collect(pos);
        std::vector<Segment> segments = split(items);
        text = segments.size() == 1;
        for (Segment &segment : segments)
            text = rewriteSegment(items, segment) && text;
        QString out;
        for (const Item &item : items)
            out += item.text;
        return out;
    }

    std::vector<Item> collect(size_t &pos)
    {
        std::vector<Item> items;
        while (pos < m_tokens.size()) {
            const Token &token = m_tokens[pos];
            if (token.kind == Kind::Close)
                break;
            ++pos;
            if (token.kind == Kind::Open) {
                bool innerText = false;
                const QString inner = level(pos, innerText);
                if (pos >= m_tokens.size())
                    throw DataError(QStringLiteral("Unbalanced parentheses in statement"));
                ++pos; // the ')'
                const QString group = QLatin1Char('(') + inner + QLatin1Char(')');
                const int previous = lastSignificant(items);
                if (previous >= 0 && items[previous].kind == Kind::Word && !items[previous].keyword) {
                    joinCall(items, previous, group);
                } else if (previous >= 0 && items[previous].kind == Kind::Word &&
                           (items[previous].upper == QLatin1String("LEFT") ||
                            items[previous].upper == QLatin1String("RIGHT"))) {
                    items[previous].text = QLatin1String(
                        items[previous].upper == QLatin1String("LEFT") ? zeltsql::kLeft : zeltsql::kRight);
                    joinCall(items, previous, group);
                    items[previous].surelyText = true;
                } else {
                    items.emplace_back(Kind::Literal, group);
                    items.back().surelyText = innerText;
                }
                continue;
            }
            Item item(token.kind, token.text);
            item.surelyText = token.kind == Kind::Literal && token.text.startsWith(QLatin1Char('\''));
            if (token.kind == Kind::Word) {
                item.upper = token.text.toUpper();
                item.keyword = isKeyword(token);
            }
            // name.name and name.* stay one operand.
            const int previous = lastSignificant(items);
            const bool adjacent = previous >= 0 && previous == static_cast<int>(items.size()) - 1;
            if (adjacent && items[previous].memberPending) {
                items[previous].text += item.text;
                items[previous].memberPending = false;
                continue;
            }
            if (token.kind == Kind::Dot && adjacent && items[previous].kind == Kind::Word) {
                items[previous].text += item.text;
                items[previous].keyword = false;
                items[previous].upper.clear();
                items[previous].memberPending = true;
                continue;
            }
            items.push_back(item);
        }
        return items;
    }

    // A function name followed by its arguments becomes one operand (blanks between kept).
    static void joinCall(std::vector<Item> &items, int name, const QString &group)
    {
        QString text = items[name].text;
        for (size_t i = name + 1; i < items.size(); ++i)
            text += items[i].text;
        items.erase(items.begin() + name + 1, items.end());
        items[name] = Item(Kind::Literal, text + group);
    }

    static int lastSignificant(const std::vector<Item> &items)
    {
        for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
            if (items[i].kind != Kind::Space)
                return i;
        }
        return -1;
    }

    // Cuts the level into operands at keywords and low-precedence operators, and marks the
    // operands that take a collation.
    static std::vector<Segment> split(const std::vector<Item> &items)
    {
        std::vector<Segment> segments(1);
        bool orderBy = false;
        QString lastBoundary;
        for (size_t i = 0; i < items.size(); ++i) {
            const Item &item = items[i];
            if (item.kind == Kind::Space)
                continue;
            const bool boundary = item.kind == Kind::Boundary || item.keyword;
            if (!boundary) {
                if (segments.back().items.empty() && orderBy && lastBoundary != QLatin1String("COLLATE"))
                    segments.back().mark = Mark::Sort;
                segments.back().items.push_back(i);
                continue;
            }
            const QString word = item.keyword ? item.upper : item.text;
            if (word == QLatin1String("COLLATE")) {
                segments.back().mark = Mark::None; // the statement chose its own collation
            } else if (isComparison(word)) {
                segments.back().mark = Mark::NoCase;
            } else if (word == QLatin1String("IN") || word == QLatin1String("BETWEEN")) {
                if (!segments.back().items.empty())
                    segments.back().mark = Mark::NoCase;
                else if (lastBoundary == QLatin1String("NOT") && segments.size() >= 2)
                    segments[segments.size() - 2].mark = Mark::NoCase;
            }
            if (word == QLatin1String("BY") && lastBoundary == QLatin1String("ORDER"))
                orderBy = true;
            else if (item.keyword && word != QLatin1String("ASC") && word != QLatin1String("DESC") &&
                     word != QLatin1String("COLLATE") && word != QLatin1String("ORDER"))
                orderBy = false;
            lastBoundary = word;
            segments.emplace_back();
        }
        return segments;
    }

    static bool isBinaryAt(const std::vector<Item> &items, const Segment &segment, size_t k)
    {
        return k > 0 && items[segment.items[k - 1]].kind != Kind::Operator;
    }

    // Rewrites "a + b - c" into "(zelt_plus(a, b) - c)" and adds the segment's collation; two
    // operands that are surely texts (or NULL) are joined by SQLite's own ||, which gives what
    // Access's + gives them without a call per row. Returns whether the whole segment is such.
    static bool rewriteSegment(std::vector<Item> &items, const Segment &segment)
    {
        if (segment.items.empty())
            return false;
        bool hasPlus = false;
        for (size_t k = 0; k < segment.items.size(); ++k) {
            const Item &item = items[segment.items[k]];
            if (item.kind == Kind::Operator && item.text == QLatin1String("+") &&
                isBinaryAt(items, segment, k))
                hasPlus = true;
        }
        const size_t first = segment.items.front();
        const size_t last = segment.items.back();
        const auto span = [&items](size_t from, size_t to) {
            QString text;
            for (size_t i = from; i <= to; ++i)
                text += items[i].text;
            return text;
        };

        QString expression = span(first, last);
        bool single = segment.items.size() == 1;
        bool surelyText = single && items[first].surelyText;
        if (hasPlus) {
            QString accumulated;
            QString pendingOperator;
            size_t termStart = 0;
            const auto addTerm = [&](size_t endK) {
                const QString term = span(segment.items[termStart], segment.items[endK]);
                const bool termText = endK == termStart && items[segment.items[termStart]].surelyText;
                if (pendingOperator.isEmpty()) {
                    accumulated = term;
                    surelyText = termText;
                } else if (pendingOperator == QLatin1String("+") && surelyText && termText) {
                    accumulated = QStringLiteral("(%1 || %2)").arg(accumulated, term);
                } else if (pendingOperator == QLatin1String("+")) {
                    accumulated =
                        QStringLiteral("%1(%2, %3)").arg(QLatin1String(zeltsql::kPlus), accumulated, term);
                    surelyText = false;
                } else {
                    accumulated = QStringLiteral("(%1 - %2)").arg(accumulated, term);
                    surelyText = false;
                }
            };
            for (size_t k = 0; k < segment.items.size(); ++k) {
                const Item &item = items[segment.items[k]];
                const bool additive = item.kind == Kind::Operator &&
                                      (item.text == QLatin1String("+") || item.text == QLatin1String("-")) &&
                                      isBinaryAt(items, segment, k) && k + 1 < segment.items.size();
                if (!additive)
                    continue;
                addTerm(k - 1);
                pendingOperator = item.text;
                termStart = k + 1;
            }
            addTerm(segment.items.size() - 1);
            expression = accumulated;
            single = true;
        }
        if (segment.mark != Mark::None) {
            const QLatin1String collation(segment.mark == Mark::Sort ? zeltsql::kSort : zeltsql::kNoCase);
            expression = (single ? expression : QLatin1Char('(') + expression + QLatin1Char(')')) +
                         QStringLiteral(" COLLATE ") + collation;
        }
        if (!hasPlus && segment.mark == Mark::None)
            return surelyText;
        items[first].text = expression;
        for (size_t i = first + 1; i <= last; ++i)
            items[i].text.clear();
        return surelyText;
    }

    static constexpr int kMaxDepth = 500;
    std::vector<Token> m_tokens;
    int m_depth = 0;
};

} // namespace

TranslatedSql translateAccessSql(const QString &statement)
{
    TranslatedSql result;
    Translator translator(Tokenizer(statement).run(result.names));
    result.sql = translator.run();
    return result;
}
