#include "search/SearchExpression.h"

#include <QStringList>

#include "app/NavigationState.h"
#include "browse/HierarchyStatements.h"
#include "data/DataError.h"

namespace
{

// The word list starts with this marker; it stays alone when no word survives.
const QLatin1String WordListMarker("#0");
const QLatin1String LeadingMarker("#0,");

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

// The digit's value in the given base, or -1 when the character is no such digit. ASCII only:
// other scripts' digits are no digits here.
int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

QString withoutAll(QString word, QChar c)
{
    return word.remove(c);
}

QString stopWordStatement(const QString &word)
{
    QString typed = word;
    typed.replace(QLatin1String("''"), QLatin1String("'"));
    return QLatin1String("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = ") + quoted(typed);
}

QString keywordFragment(const char *before, const QString &word, const char *after)
{
    return QLatin1String(" AND (") + QLatin1String(before) + word + QLatin1String(after) + QLatin1Char(')');
}

QString codeFragment(const QString &code)
{
    QString fragment = QLatin1String(" AND ( (Codigo_Cla LIKE '") + code + QLatin1String("%')");
    if (code.size() == 7) {
        fragment += QLatin1String(" OR (Codigo_Sub = '") + code.mid(5, 2) +
                    QLatin1String("' AND Codigo_Cla = '") + code.left(5) + QLatin1String("')");
    }
    return fragment + QLatin1String(" )");
}

} // namespace

QString RemoveAcentos(const QString &texto)
{
    static const char16_t replacements[22][2] = {
        {u'\u00E1', u'a'}, {u'\u00C1', u'A'}, {u'\u00E3', u'a'}, {u'\u00C3', u'A'}, {u'\u00E2', u'a'},
        {u'\u00C2', u'A'}, {u'\u00E9', u'e'}, {u'\u00C9', u'E'}, {u'\u00EA', u'e'}, {u'\u00CA', u'E'},
        {u'\u00ED', u'i'}, {u'\u00CD', u'I'}, {u'\u00F3', u'o'}, {u'\u00D3', u'O'}, {u'\u00F5', u'o'},
        {u'\u00D5', u'O'}, {u'\u00F4', u'o'}, {u'\u00D4', u'O'}, {u'\u00FA', u'u'}, {u'\u00DA', u'U'},
        {u'\u00E7', u'c'}, {u'\u00C7', u'C'},
    };
    QString folded = texto;
    for (const auto &pair : replacements)
        folded.replace(QChar(pair[0]), QChar(pair[1]));
    return folded;
}

QString trimSearchText(const QString &texto)
{
    qsizetype begin = 0;
    qsizetype end = texto.size();
    while (begin < end && isBlankOrControl(texto.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(texto.at(end - 1)))
        --end;
    return texto.mid(begin, end - begin);
}

QString doubleApostrophes(const QString &texto)
{
    QString doubled = texto;
    return doubled.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString RetiraPalavrasLigacao(const QString &texto, const StopWordLookup &lookup)
{
    if (texto.size() > MaxSearchTextLength)
        throw DataError(QStringLiteral("O texto da pesquisa é longo demais (mais de %1 caracteres).")
                            .arg(MaxSearchTextLength));

    QString list = WordListMarker;
    QString word;
    const auto endWord = [&] {
        if (!lookup(stopWordStatement(word)))
            list += QLatin1Char(',') + word;
        word.clear();
    };
    for (const QChar c : texto) {
        if (c == QLatin1Char(' '))
            endWord();
        else
            word += c;
    }
    if (!texto.isEmpty())
        endWord();

    // Only the leading marker goes: a typed word holding "#0" must not glue onto its neighbour.
    if (list.startsWith(LeadingMarker))
        list.remove(0, LeadingMarker.size());
    return list;
}

QString MontaCondicaoPesquisa(const QString &listaPalavras)
{
    QString condition;
    for (const QString &word : listaPalavras.split(QLatin1Char(',')))
        condition += TraduzPalavraPesquisa(word);
    return condition;
}

QString TraduzPalavraPesquisa(const QString &palavra)
{
    if (trimSearchText(palavra).isEmpty())
        return {};

    const QChar first = palavra.front();
    const QChar last = palavra.back();
    const QChar star('*');
    if (first == star && last == star)
        return keywordFragment("Palavra_Chave LIKE '%", withoutAll(palavra, star), "%'");
    if (first == star)
        return keywordFragment("Palavra_Chave LIKE '%", withoutAll(palavra, star), "|%'");
    if (last == star)
        return keywordFragment("Palavra_Chave LIKE '%|", withoutAll(palavra, star), "%'");
    if (first == QLatin1Char('+'))
        return keywordFragment("Palavra_Chave LIKE '|", withoutAll(palavra, first), "|%'");
    if (first == QLatin1Char('-'))
        return keywordFragment("NOT Palavra_Chave LIKE '%|", withoutAll(palavra, first), "|%'");

    const QString code = withoutAll(withoutAll(palavra, QLatin1Char('/')), QLatin1Char('-'));
    if (EhNumero(code))
        return codeFragment(code);
    return keywordFragment("Palavra_Chave LIKE '%|", code, "|%'");
}

bool EhNumero(const QString &texto)
{
    const qsizetype size = texto.size();
    qsizetype i = 0;
    while (i < size && texto.at(i) == QLatin1Char(' '))
        ++i;

    bool negative = false;
    if (i < size && (texto.at(i) == QLatin1Char('-') || texto.at(i) == QLatin1Char('+'))) {
        negative = texto.at(i) == QLatin1Char('-');
        ++i;
    }

    int base = 10;
    if (i < size && (texto.at(i) == QLatin1Char('$') || texto.at(i).toLower() == QLatin1Char('x'))) {
        base = 16;
        ++i;
    } else if (i + 1 < size && texto.at(i) == QLatin1Char('0') &&
               texto.at(i + 1).toLower() == QLatin1Char('x')) {
        base = 16;
        i += 2;
    }
    if (i == size)
        return false;

    const quint64 limit = base == 16 ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
    quint64 value = 0;
    for (; i < size; ++i) {
        const int digit = digitValue(texto.at(i), base);
        if (digit < 0)
            return false;
        value = value * base + digit;
        if (value > limit)
            return false;
    }
    return true;
}

SearchOrder searchOrder(bool codigoSelected, const QString &descricaoClassificacao)
{
    if (isSubclassEdition(descricaoClassificacao))
        return {QStringLiteral(" ORDER BY Codigo_Cla,Codigo_sub, Descricao_Cla"),
                QStringLiteral(" AND (Codigo_Sub <> '88') ")};
    return {codigoSelected ? QStringLiteral(" ORDER BY Codigo_Cla, Descricao_Cla")
                           : QStringLiteral(" ORDER BY Descricao_Cla"),
            QString()};
}

SearchResultKind searchResultKind(int origemPesquisa, const QString &descricaoClassificacao,
                                  const QString &textoPesquisa)
{
    bool subclasses = isSubclassEdition(descricaoClassificacao);
    if (origemPesquisa != 1 && EhNumero(textoPesquisa))
        subclasses = textoPesquisa.size() == 7;
    return {subclasses, subclasses ? QStringLiteral("CodigoSubClasse") : QStringLiteral("CodigoClasse")};
}

QString searchStatement(const QString &prefixoTabela, const QString &condicao, const QString &filtroSubClasse,
                        const QString &ordemPesquisa)
{
    return QLatin1String(
               "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla, Codigo_Sub,  Codigo_Cla_Seq,"
               " Descricao_Cla, (Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse,"
               " (Left(Descricao_Cla, 500)) As Descricao, "
               " (Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) As CodigoSubClasse"
               " FROM ") +
           checkedTablePrefix(prefixoTabela) + QLatin1String("_Atividade ") + QLatin1String(" WHERE 1=1 ") +
           condicao + filtroSubClasse + ordemPesquisa;
}
