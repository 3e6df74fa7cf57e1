// Any bytes typed into the search box, read as Latin-1 and as UTF-8, through the whole translation:
// the statement must keep the typed text inside its text literals. Aborts (for libFuzzer) when not.
#include "data/DataError.h"
#include "search/SearchExpression.h"

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

const QString kPrefix = QStringLiteral("ZELT_100");
const QString kOrder = QStringLiteral(" ORDER BY Descricao_Cla");

// The statement with every text literal replaced by '?'; the empty text when one is left open.
QString skeleton(const QString &statement)
{
    QString out;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        if (statement.at(i) != QLatin1Char('\'')) {
            out += statement.at(i);
            continue;
        }
        for (++i;; ++i) {
            if (i >= statement.size())
                return {};
            if (statement.at(i) == QLatin1Char('\'')) {
                if (i + 1 < statement.size() && statement.at(i + 1) == QLatin1Char('\''))
                    ++i;
                else
                    break;
            }
        }
        out += QLatin1Char('?');
    }
    return out;
}

void fail(const char *what, const QString &typed, const QString &statement)
{
    std::fprintf(stderr, "%s\n  typed: %s\n  statement: %s\n", what, typed.toUtf8().toPercentEncoding().constData(),
                 statement.toUtf8().constData());
    std::abort();
}

void check(const QString &typed)
{
    static const QString head = skeleton(searchStatement(kPrefix, QString(), QString(), QString()));
    static const QString lookupShape = QStringLiteral("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = ?");
    static const QRegularExpression conditions(QStringLiteral(
        R"(^(?: AND \((?:NOT )?Palavra_Chave LIKE \?\)| AND \( \(Codigo_Cla LIKE \?\)(?: OR \(Codigo_Sub = \? AND Codigo_Cla = \?\))? \))*$)"));

    const QString text = trimSearchText(RemoveAcentos(typed));
    QString words;
    try {
        words = RetiraPalavrasLigacao(doubleApostrophes(text), [&typed](const QString &lookup) {
            if (skeleton(lookup) != lookupShape)
                fail("stop-word lookup out of shape", typed, lookup);
            return lookup.endsWith(QLatin1String("'de'"));
        });
    } catch (const DataError &) {
        return; // longer than a search takes: refused before any statement
    }
    const QString statement = searchStatement(kPrefix, MontaCondicaoPesquisa(words), QString(), kOrder);
    const QString shape = skeleton(statement);
    if (!shape.startsWith(head) || !shape.endsWith(kOrder) ||
        !conditions.match(shape.mid(head.size(), shape.size() - head.size() - kOrder.size())).hasMatch())
        fail("search statement out of shape", typed, statement);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    check(QString::fromLatin1(bytes));
    check(QString::fromUtf8(bytes));
    return 0;
}
