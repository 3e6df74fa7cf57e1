#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

// Search texts as users might type them and worse: random bytes, operators at every place, words
// near the longest text the search takes, control characters, tokens of SQL. The same seed gives
// the same texts, so a failure can be replayed.
class TextGenerator
{
public:
    explicit TextGenerator(quint32 seed) : m_random(seed) {}

    QString next()
    {
        switch (m_random.bounded(8)) {
        case 0:
            return QString::fromLatin1(randomBytes(m_random.bounded(1, 40)));
        case 1:
            return QString::fromUtf8(randomBytes(m_random.bounded(1, 40)));
        case 2:
            return operatorEverywhere();
        case 3:
            return longWord();
        case 4:
            return withControls(tokenSoup());
        default:
            return tokenSoup();
        }
    }

private:
    static const char *const kTokens[];
    static const int kTokenCount;
    static constexpr char kOperators[] = "*+-,/%_'\"[];()|";

    int pick(int size) { return int(m_random.bounded(size)); }

    QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        for (char &b : bytes)
            b = char(m_random.bounded(256));
        return bytes;
    }

    QString token() { return QString::fromUtf8(kTokens[pick(kTokenCount)]); }
    QChar op() { return QLatin1Char(kOperators[pick(int(sizeof kOperators) - 1)]); }

    QString tokenSoup()
    {
        static const char *const separators[] = {" ", " ", " ", "", ",", "  ", "\t"};
        QString text;
        const int count = 1 + pick(8);
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                text += QLatin1String(separators[pick(7)]);
            if (pick(3) == 0)
                text += op();
            text += token();
            if (pick(3) == 0)
                text += op();
        }
        return text;
    }

    // One word with an operator placed at each position in turn across calls.
    QString operatorEverywhere()
    {
        QString word = token();
        const int at = pick(int(word.size()) + 1);
        word.insert(at, op());
        if (pick(2))
            word.insert(pick(int(word.size()) + 1), op());
        return pick(2) ? word : token() + QLatin1Char(' ') + word;
    }

    // Around the longest text the search takes, with or without operators inside.
    QString longWord()
    {
        const int size = 200 + pick(1200);
        QString word(size, QLatin1Char("aeiouxyz'%_*"[pick(12)]));
        for (int i = pick(4); i > 0; --i)
            word[pick(size)] = op();
        return pick(3) == 0 ? word + QLatin1Char(' ') + token() : word;
    }

    QString withControls(QString text)
    {
        for (int i = 1 + pick(3); i > 0; --i)
            text.insert(pick(int(text.size()) + 1), QChar(char16_t(pick(32))));
        if (pick(4) == 0)
            text += QChar(char16_t(0x7F + pick(0x21))); // DEL and the C1 controls
        return text;
    }

    QRandomGenerator m_random;
};
