#pragma once

#include <QString>

#include <functional>

// The keyword search as plain text functions: from what the user typed to the statement over the
// edition's activity table. The search run calls them in this order:
//   text := trimSearchText(RemoveAcentos(text));
//   kind := searchResultKind(origin, edition description, text);
//   words := RetiraPalavrasLigacao(doubleApostrophes(text), lookup);
//   statement := searchStatement(prefix, MontaCondicaoPesquisa(words), filter, order);
//   caption := upperAsciiOnly(text) (app/DisplayText.h).
// Text is handled per QChar, so the encoding the text came in never changes a result.
// Inside TFrmMain, call the free RetiraPalavrasLigacao as ::RetiraPalavrasLigacao: the member
// of the same name hides it.

// Runs one stop-word statement; true when it returned a row, that is, the word is a stop word.
using StopWordLookup = std::function<bool(const QString &statement)>;

// The longest text RetiraPalavrasLigacao takes (apostrophes already doubled). It keeps every
// statement of a search, and the number of lookups, far below what the engine accepts.
constexpr int MaxSearchTextLength = 1000;

// Replaces the 22 accented letters of Portuguese (á Á ã Ã â Â é É ê Ê í Í ó Ó õ Õ ô Ô ú Ú ç Ç)
// by their plain letters; nothing else is folded.
QString RemoveAcentos(const QString &texto);

// Removes blanks and control characters (everything up to U+0020) at both ends.
QString trimSearchText(const QString &texto);

// Every apostrophe doubled, so that the text can stand inside an SQL text literal.
QString doubleApostrophes(const QString &texto);

// Splits the text at every blank and looks every word up, empty words too, one statement per
// word; returns the surviving words joined by commas, or the marker "#0" when none survives.
// The lookup compares the word as the user typed it (apostrophes single again).
// Throws DataError, before any lookup, when the text is longer than MaxSearchTextLength.
QString RetiraPalavrasLigacao(const QString &texto, const StopWordLookup &lookup);

// The condition of the search: the fragments of the comma-separated words, in order.
QString MontaCondicaoPesquisa(const QString &listaPalavras);

// The fragment of one word, by its operator: *x* contains, *x ends with, x* begins with,
// +x first keyword, -x excluded keyword, a code (with or without '-' and '/'), else a whole keyword.
// A word that is blank gives the empty fragment.
QString TraduzPalavraPesquisa(const QString &palavra);

// True when the whole text is a 32-bit integer by the classic StrToInt rules: leading blanks,
// an optional sign, then decimal digits, or hexadecimal digits after '$', 'x' or '0x' (any case).
// Hexadecimal takes any 32-bit pattern ($FFFFFFFF is -1); decimal must lie in the signed range.
bool EhNumero(const QString &texto);

// The ordering and the extra condition of a search, chosen when the results page is entered.
struct SearchOrder {
    QString OrdemPesquisa;
    QString FiltroSubClasse;
};
SearchOrder searchOrder(bool codigoSelected, const QString &descricaoClassificacao);

// Whether the results list subclasses, and the column that the grid's code column shows.
struct SearchResultKind {
    bool ResultadoSubClasse;
    QString codeColumn; // "CodigoSubClasse" or "CodigoClasse"
};
// origemPesquisa 1 is the search box; any other value is treated as a "Listar Atividades..." link,
// where a code of 7 characters lists its subclass and any other code its class.
SearchResultKind searchResultKind(int origemPesquisa, const QString &descricaoClassificacao,
                                  const QString &textoPesquisa);

// The statement of the search over the edition's activity table. The prefix must be a plain name
// (letters, digits, '_'); otherwise DataError is thrown.
QString searchStatement(const QString &prefixoTabela, const QString &condicao, const QString &filtroSubClasse,
                        const QString &ordemPesquisa);

