#include "search/ActivityGroups.h"

#include "data/TextFold.h"

#include <QHash>
#include <QStringView>

#include <algorithm>

namespace
{

// One condition on the keyword list: LIKE, or NOT LIKE (both fail on NULL).
struct KeywordTest {
    LikePattern pattern;
    bool negated;
};

// One condition on the codes: the class code LIKE a pattern, or else the subclass and class codes
// equal to two literals; or the subclass code different from a literal.
struct CodeTest {
    enum Kind { ClassLike, SubclassNot };
    CodeTest(Kind k, std::string_view like) : kind(k), pattern(like) {}
    Kind kind;
    LikePattern pattern;
    bool orEqual = false;
    std::string sub;
    std::string cla;
};

bool take(QStringView text, qsizetype &pos, QLatin1String expected)
{
    if (!text.mid(pos).startsWith(expected))
        return false;
    pos += expected.size();
    return true;
}

// An SQL text literal at pos: a quote, the text with its quotes doubled, a quote.
bool takeLiteral(QStringView text, qsizetype &pos, std::string &value)
{
    if (pos >= text.size() || text[pos] != QLatin1Char('\''))
        return false;
    QString read;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\'')) {
            read += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
            read += text[i];
            ++i;
        } else {
            pos = i + 1;
            value = read.toStdString();
            return true;
        }
    }
    return false;
}

// A literal that = and <> compare here byte for byte, as the engine's case-blind collation does:
// nothing but ASCII digits, which no other character folds to.
bool digitsOnly(const std::string &literal)
{
    return std::all_of(literal.cbegin(), literal.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

// The conditions of "WHERE 1=1 <text>" in the shapes the search composes; false for anything else.
bool readConditions(QStringView text, std::vector<KeywordTest> &keywords, std::vector<CodeTest> &codes)
{
    qsizetype pos = 0;
    std::string literal;
    while (!text.mid(pos).trimmed().isEmpty()) {
        if (!take(text, pos, QLatin1String(" AND (")))
            return false;
        const bool negated = take(text, pos, QLatin1String("NOT "));
        if (take(text, pos, QLatin1String("Palavra_Chave LIKE "))) {
            if (!takeLiteral(text, pos, literal) || !take(text, pos, QLatin1String(")")))
                return false;
            keywords.push_back({LikePattern(literal), negated});
            continue;
        }
        if (negated)
            return false;
        if (take(text, pos, QLatin1String(" (Codigo_Cla LIKE "))) {
            if (!takeLiteral(text, pos, literal) || !take(text, pos, QLatin1String(")")))
                return false;
            CodeTest test(CodeTest::ClassLike, literal);
            if (take(text, pos, QLatin1String(" OR (Codigo_Sub = "))) {
                test.orEqual = takeLiteral(text, pos, test.sub) &&
                               take(text, pos, QLatin1String(" AND Codigo_Cla = ")) &&
                               takeLiteral(text, pos, test.cla) && take(text, pos, QLatin1String(")"));
                if (!test.orEqual || !digitsOnly(test.sub) || !digitsOnly(test.cla))
                    return false;
            }
            if (!take(text, pos, QLatin1String(" )")))
                return false;
            codes.push_back(std::move(test));
            continue;
        }
        if (take(text, pos, QLatin1String("Codigo_Sub <> "))) {
            CodeTest test(CodeTest::SubclassNot, std::string_view());
            if (!takeLiteral(text, pos, test.sub) || !digitsOnly(test.sub) ||
                !take(text, pos, QLatin1String(")")))
                return false;
            codes.push_back(std::move(test));
            continue;
        }
        return false;
    }
    return true;
}

} // namespace

ActivityGroups::ActivityGroups(const QVector<Row> &rows)
{
    // Text the engine would compare otherwise (numbers, bytes, text that was not valid UTF-8 and
    // reached us changed) leaves every count to the engine.
    const auto valueOf = [this](const QVariant &variant) {
        Value value;
        if (!variant.isValid())
            return value;
        if (variant.typeId() != QMetaType::QString ||
            variant.toString().contains(QChar::ReplacementCharacter))
            m_exact = false;
        value.null = false;
        value.text = variant.toString().toStdString();
        return value;
    };
    QHash<QString, int> lists;
    int nullList = -1;
    QHash<QString, int> codes;
    m_groups.reserve(rows.size());
    for (const Row &row : rows) {
        int list = nullList;
        if (row.palavraChave.isValid()) {
            list = lists.value(row.palavraChave.toString(), -1);
            if (list < 0) {
                list = int(m_lists.size());
                lists.insert(row.palavraChave.toString(), list);
                m_lists.push_back(valueOf(row.palavraChave));
            }
        } else if (nullList < 0) {
            list = nullList = int(m_lists.size());
            m_lists.push_back(Value());
        }
        // NULL and text kept apart in the key: a control character cannot stand in a code as read.
        const auto keyOf = [](const QVariant &v) {
            return v.isValid() ? QLatin1Char('t') + v.toString() : QStringLiteral("n");
        };
        const QString codeKey = keyOf(row.codigoCla) + QChar(0) + keyOf(row.codigoSub);
        int code = codes.value(codeKey, -1);
        if (code < 0) {
            code = int(m_codes.size());
            codes.insert(codeKey, code);
            m_codes.emplace_back(valueOf(row.codigoCla), valueOf(row.codigoSub));
        }
        m_groups.push_back({list, code, row.count});
    }
}

int ActivityGroups::count(const QString &condition, const QString &filter) const
{
    std::vector<KeywordTest> keywordTests;
    std::vector<CodeTest> codeTests;
    if (!m_exact || !readConditions(QString(condition + filter), keywordTests, codeTests))
        return -1;

    std::vector<char> listFound(m_lists.size());
    for (size_t l = 0; l < m_lists.size(); ++l) {
        const Value &list = m_lists[l];
        listFound[l] =
            std::all_of(keywordTests.cbegin(), keywordTests.cend(), [&list](const KeywordTest &test) {
                return !list.null && test.pattern.matches(list.text) != test.negated;
            });
    }
    std::vector<char> codeFound(m_codes.size());
    for (size_t c = 0; c < m_codes.size(); ++c) {
        const Value &cla = m_codes[c].first;
        const Value &sub = m_codes[c].second;
        codeFound[c] = std::all_of(codeTests.cbegin(), codeTests.cend(), [&](const CodeTest &test) {
            if (test.kind == CodeTest::SubclassNot)
                return !sub.null && sub.text != test.sub;
            if (!cla.null && test.pattern.matches(cla.text))
                return true;
            return test.orEqual && !cla.null && !sub.null && sub.text == test.sub && cla.text == test.cla;
        });
    }
    qint64 found = 0;
    for (const Group &group : m_groups) {
        if (listFound[group.list] && codeFound[group.code])
            found += group.count;
    }
    return int(found);
}
