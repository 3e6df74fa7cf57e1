#include "app/DisplayText.h"
#include "search/SearchExpression.h"

#include <QtTest>

#include "data/DataError.h"

namespace
{

const QString LookupStart = QStringLiteral("SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = ");

// The value of the text literal that ends a stop-word statement, or a null string when the
// statement is not one.
QString literalValue(const QString &statement)
{
    if (!statement.startsWith(LookupStart))
        return {};
    const QString literal = statement.mid(LookupStart.size());
    if (literal.size() < 2 || !literal.startsWith(QLatin1Char('\'')) || !literal.endsWith(QLatin1Char('\'')))
        return {};
    return literal.mid(1, literal.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
}

// Stands in for the stop-word table: records every statement it is given.
StopWordLookup fakeLookup(const QStringList &stopWords, QStringList &statements)
{
    return [&stopWords, &statements](const QString &statement) {
        statements << statement;
        const QString word = literalValue(statement);
        return !word.isNull() && stopWords.contains(word);
    };
}

// True when every text literal of the SQL text is closed, a doubled quote standing for one.
bool literalsAreClosed(const QString &sql)
{
    bool inside = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql.at(i) != QLatin1Char('\''))
            continue;
        if (inside && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('\''))
            ++i;
        else
            inside = !inside;
    }
    return !inside;
}

} // namespace

class TestSearchExpression : public QObject
{
    Q_OBJECT

private slots:
    void removeAcentos_data();
    void removeAcentos();
    void trimSearchText_data();
    void trimSearchText();
    void ehNumero_data();
    void ehNumero();
    void wordList_data();
    void wordList();
    void tooLongTextIsRefusedBeforeAnyLookup();
    void translateWord_data();
    void translateWord();
    void typedTextToCondition_data();
    void typedTextToCondition();
    void resultKind_data();
    void resultKind();
    void searchOrder_data();
    void searchOrder();
    void statement_data();
    void statement();
    void statementRefusesUnsafePrefix();
    void caption_data();
    void caption();
};

void TestSearchExpression::removeAcentos_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all 22") << QStringLiteral("áÁãÃâÂéÉêÊíÍóÓõÕôÔúÚçÇ") << "aAaAaAeEeEiIoOoOoOuUcC";
    QTest::newRow("word") << QStringLiteral("Ação Econômica") << "Acao Economica";
    QTest::newRow("not folded") << QStringLiteral("àèüñÀÈÜÑìòùÿ") << QStringLiteral("àèüñÀÈÜÑìòùÿ");
    QTest::newRow("capital A grave") << QStringLiteral("ÀGUA") << QStringLiteral("ÀGUA");
    QTest::newRow("combining accent stays") << QStringLiteral("a\u0301") << QStringLiteral("a\u0301");
    QTest::newRow("plain") << "+reatores -nucleares"
                           << "+reatores -nucleares";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSearchExpression::removeAcentos()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(RemoveAcentos(text), expected);
}

void TestSearchExpression::trimSearchText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks") << "  venda de carros  "
                            << "venda de carros";
    QTest::newRow("controls") << "\t\r\n\x01venda\x1f\n"
                              << "venda";
    QTest::newRow("inner blanks kept") << "a  b"
                                       << "a  b";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("nul at the ends") << QString(QChar(0)) + "a" + QChar(0) << "a";
    QTest::newRow("no-break space is no blank") << QStringLiteral("\u00a0a") << QStringLiteral("\u00a0a");
}

void TestSearchExpression::trimSearchText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::trimSearchText(text), expected);
}

void TestSearchExpression::ehNumero_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("digits") << "0111301" << true;
    QTest::newRow("zero") << "0" << true;
    QTest::newRow("leading blanks") << "  12" << true;
    QTest::newRow("trailing blank") << "12 " << false;
    QTest::newRow("tab is no blank") << "\t12" << false;
    QTest::newRow("plus") << "+12" << true;
    QTest::newRow("minus") << "-12" << true;
    QTest::newRow("minus zero") << "-0" << true;
    QTest::newRow("sign alone") << "+" << false;
    QTest::newRow("minus alone") << "-" << false;
    QTest::newRow("two signs") << "+-1" << false;
    QTest::newRow("blank after sign") << "- 1" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks only") << "   " << false;
    QTest::newRow("letter") << "12a" << false;
    QTest::newRow("max") << "2147483647" << true;
    QTest::newRow("max plus one") << "2147483648" << false;
    QTest::newRow("min") << "-2147483648" << true;
    QTest::newRow("min minus one") << "-2147483649" << false;
    QTest::newRow("long run of digits") << "123456789012345678901234567890" << false;
    QTest::newRow("leading zeros") << "000000000000002147483647" << true;
    QTest::newRow("dollar hex") << "$1F" << true;
    QTest::newRow("x hex") << "x1f" << true;
    QTest::newRow("0x hex") << "0x10" << true;
    QTest::newRow("0X hex") << "0XaB" << true;
    QTest::newRow("signed hex") << "-$10" << true;
    QTest::newRow("blanks then hex") << " $A" << true;
    QTest::newRow("dollar alone") << "$" << false;
    QTest::newRow("x alone") << "x" << false;
    QTest::newRow("0x alone") << "0x" << false;
    QTest::newRow("sign after dollar") << "$-1" << false;
    QTest::newRow("hex letter without prefix") << "1F" << false;
    QTest::newRow("not a hex digit") << "$1G" << false;
    QTest::newRow("x after two zeros") << "00x1" << false;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << true;
    QTest::newRow("hex 33 bits") << "$100000000" << false;
    QTest::newRow("hex leading zeros") << "$0000000000FF" << true;
    QTest::newRow("fullwidth digits") << QStringLiteral("\uff11\uff12") << false;
    QTest::newRow("arabic-indic digit") << QStringLiteral("\u0661") << false;
    QTest::newRow("nul after digits") << QString("12") + QChar(0) << false;
    // Hexadecimal prefixes in every letter case; the Basic-style &H is no prefix here.
    QTest::newRow("X hex") << "X1F" << true;
    QTest::newRow("0x hex mixed digits") << "0x1A" << true;
    QTest::newRow("0X hex lower digits") << "0X1a" << true;
    QTest::newRow("dollar lower digits") << "$ff" << true;
    QTest::newRow("signed 0X hex") << "-0X1a" << true;
    QTest::newRow("blanks then X") << "  X1" << true;
    QTest::newRow("0X alone") << "0X" << false;
    QTest::newRow("X alone") << "X" << false;
    QTest::newRow("&H hex") << "&H1F" << false;
    QTest::newRow("&h hex") << "&h1f" << false;
    QTest::newRow("H suffix") << "1FH" << false;
    QTest::newRow("0b binary") << "0b101" << false;
    QTest::newRow("x inside digits") << "1x1" << false;
    QTest::newRow("two prefixes") << "0x$1" << false;
    QTest::newRow("0X all bits") << "0XFFFFFFFF" << true;
    QTest::newRow("X 33 bits") << "X100000000" << false;
}

void TestSearchExpression::ehNumero()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(EhNumero(text), expected);
}

void TestSearchExpression::wordList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("stopWords");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("literals");
    const QStringList de{"de"};
    QTest::newRow("stop word dropped")
        << "venda de carros" << de << "venda,carros" << QStringList{"'venda'", "'de'", "'carros'"};
    QTest::newRow("operators kept") << "+reatores -nucleares" << QStringList() << "+reatores,-nucleares"
                                    << QStringList{"'+reatores'", "'-nucleares'"};
    QTest::newRow("operator saves a stop word")
        << "+de -de de" << de << "+de,-de" << QStringList{"'+de'", "'-de'", "'de'"};
    QTest::newRow("empty text, no lookup") << "" << de << "#0" << QStringList();
    QTest::newRow("only stop words") << "de o" << QStringList{"de", "o"} << "#0"
                                     << QStringList{"'de'", "'o'"};
    QTest::newRow("two blanks look up the empty word")
        << "venda  carros" << de << "venda,,carros" << QStringList{"'venda'", "''", "'carros'"};
    QTest::newRow("trailing blank looks up the empty word")
        << "venda " << de << "venda," << QStringList{"'venda'", "''"};
    QTest::newRow("comma is no separator here")
        << "carros,motos" << de << "carros,motos" << QStringList{"'carros,motos'"};
    QTest::newRow("apostrophe looked up as typed")
        << "d''agua" << QStringList() << "d''agua" << QStringList{"'d''agua'"};
    QTest::newRow("stop word with apostrophe")
        << "d''agua doce" << QStringList{"d'agua"} << "doce" << QStringList{"'d''agua'", "'doce'"};
    QTest::newRow("typed marker stays a word")
        << "#0 a" << QStringList() << "#0,a" << QStringList{"'#0'", "'a'"};
    QTest::newRow("typed marker does not glue words")
        << "x#0 y" << QStringList() << "x#0,y" << QStringList{"'x#0'", "'y'"};
}

void TestSearchExpression::wordList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, stopWords);
    QFETCH(QString, expected);
    QFETCH(QStringList, literals);

    QStringList statements;
    QCOMPARE(RetiraPalavrasLigacao(text, fakeLookup(stopWords, statements)), expected);
    QStringList expectedStatements;
    for (const QString &literal : literals)
        expectedStatements << LookupStart + literal;
    QCOMPARE(statements, expectedStatements);
}

void TestSearchExpression::tooLongTextIsRefusedBeforeAnyLookup()
{
    const QStringList none;
    QStringList statements;
    const QString longest(MaxSearchTextLength, QLatin1Char('a'));
    QCOMPARE(RetiraPalavrasLigacao(longest, fakeLookup(none, statements)), longest);
    QCOMPARE(statements.size(), 1);

    statements.clear();
    QVERIFY_THROWS_EXCEPTION(DataError, RetiraPalavrasLigacao(longest + 'a', fakeLookup(none, statements)));
    QString manyWords;
    for (int i = 0; i < 50000; ++i)
        manyWords += QLatin1String("a ");
    QVERIFY_THROWS_EXCEPTION(DataError, RetiraPalavrasLigacao(manyWords, fakeLookup(none, statements)));
    QVERIFY(statements.isEmpty());
}

void TestSearchExpression::translateWord_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank") << "  "
                           << "";
    QTest::newRow("two stars") << "**"
                               << " AND (Palavra_Chave LIKE '%%')";
    QTest::newRow("star inside contains") << "*a*b*"
                                          << " AND (Palavra_Chave LIKE '%ab%')";
    QTest::newRow("ends with beats plus") << "*+a"
                                          << " AND (Palavra_Chave LIKE '%+a|%')";
    QTest::newRow("begins with beats plus") << "+a*"
                                            << " AND (Palavra_Chave LIKE '%|+a%')";
    QTest::newRow("begins with beats minus") << "-a*"
                                             << " AND (Palavra_Chave LIKE '%|-a%')";
    QTest::newRow("plus removes pluses only") << "+-a+"
                                              << " AND (Palavra_Chave LIKE '|-a|%')";
    QTest::newRow("minus removes minuses only") << "-+a-b"
                                                << " AND (NOT Palavra_Chave LIKE '%|+ab|%')";
    QTest::newRow("slash only") << "/"
                                << " AND (Palavra_Chave LIKE '%||%')";
    QTest::newRow("7 digits") << "0111301"
                              << " AND ( (Codigo_Cla LIKE '0111301%') OR (Codigo_Sub = '01' AND "
                                 "Codigo_Cla = '01113') )";
    QTest::newRow("6 digits") << "1234-5/6"
                              << " AND ( (Codigo_Cla LIKE '123456%') )";
    QTest::newRow("hex is a code") << "0x1A"
                                   << " AND ( (Codigo_Cla LIKE '0x1A%') )";
    QTest::newRow("7 long hex") << "$ABCDEF"
                                << " AND ( (Codigo_Cla LIKE '$ABCDEF%') OR (Codigo_Sub = 'EF' AND "
                                   "Codigo_Cla = '$ABCD') )";
    QTest::newRow("too big for a code") << "2147483648"
                                        << " AND (Palavra_Chave LIKE '%|2147483648|%')";
    // Operators in several places: the first and last character choose the rule, which then removes
    // only its own operator character, everywhere in the word.
    QTest::newRow("star inside only") << "a*b"
                                      << " AND (Palavra_Chave LIKE '%|a*b|%')";
    QTest::newRow("two leading stars") << "**x"
                                       << " AND (Palavra_Chave LIKE '%x|%')";
    QTest::newRow("two trailing stars") << "x**"
                                        << " AND (Palavra_Chave LIKE '%|x%')";
    QTest::newRow("ends with, star inside") << "*a*b"
                                            << " AND (Palavra_Chave LIKE '%ab|%')";
    QTest::newRow("begins with, star inside") << "a*b*"
                                              << " AND (Palavra_Chave LIKE '%|ab%')";
    QTest::newRow("contains keeps hyphens") << "*a-b*"
                                            << " AND (Palavra_Chave LIKE '%a-b%')";
    QTest::newRow("ends with keeps slash") << "*a/b"
                                           << " AND (Palavra_Chave LIKE '%a/b|%')";
    QTest::newRow("begins with keeps hyphen") << "a-b*"
                                              << " AND (Palavra_Chave LIKE '%|a-b%')";
    QTest::newRow("starred code is no code") << "0111-3/01*"
                                             << " AND (Palavra_Chave LIKE '%|0111-3/01%')";
    QTest::newRow("minus removes every hyphen") << "-a-b"
                                                << " AND (NOT Palavra_Chave LIKE '%|ab|%')";
    QTest::newRow("minus keeps stars and pluses") << "-a*b+"
                                                  << " AND (NOT Palavra_Chave LIKE '%|a*b+|%')";
    QTest::newRow("plus keeps the hyphen") << "+-x"
                                           << " AND (Palavra_Chave LIKE '|-x|%')";
    QTest::newRow("plus removes every plus") << "+a+b"
                                             << " AND (Palavra_Chave LIKE '|ab|%')";
    QTest::newRow("plus keeps slashes") << "+a/b"
                                        << " AND (Palavra_Chave LIKE '|a/b|%')";
    QTest::newRow("hyphen inside a keyword") << "a-b"
                                             << " AND (Palavra_Chave LIKE '%|ab|%')";
    QTest::newRow("hyphens and slashes inside") << "a-b/c-"
                                                << " AND (Palavra_Chave LIKE '%|abc|%')";
    QTest::newRow("trailing minus is no exclusion") << "ab-"
                                                    << " AND (Palavra_Chave LIKE '%|ab|%')";
    QTest::newRow("trailing plus kept") << "a+"
                                        << " AND (Palavra_Chave LIKE '%|a+|%')";
    QTest::newRow("class code typed with hyphen") << "0111-3"
                                                  << " AND ( (Codigo_Cla LIKE '01113%') )";
    // Hexadecimal-looking words: a code when the integer test takes them, else a keyword.
    QTest::newRow("0X hex is a code") << "0X1a"
                                      << " AND ( (Codigo_Cla LIKE '0X1a%') )";
    QTest::newRow("X hex is a code") << "X1F"
                                     << " AND ( (Codigo_Cla LIKE 'X1F%') )";
    QTest::newRow("&H is a keyword") << "&H1F"
                                     << " AND (Palavra_Chave LIKE '%|&H1F|%')";
    QTest::newRow("&h is a keyword") << "&h1f"
                                     << " AND (Palavra_Chave LIKE '%|&h1f|%')";
    QTest::newRow("hex with a hyphen is a code") << "0x1-A"
                                                 << " AND ( (Codigo_Cla LIKE '0x1A%') )";
    QTest::newRow("percent keeps its meaning") << "10%"
                                               << " AND (Palavra_Chave LIKE '%|10%|%')";
}

void TestSearchExpression::translateWord()
{
    QFETCH(QString, word);
    QFETCH(QString, expected);
    QCOMPARE(TraduzPalavraPesquisa(word), expected);
}

// From the typed text to the condition, with "de" as the only stop word.
void TestSearchExpression::typedTextToCondition_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("lookups");
    const QString nothingKept = " AND (Palavra_Chave LIKE '%|#0|%')";
    const QString subclass0111301 =
        " AND ( (Codigo_Cla LIKE '0111301%') OR (Codigo_Sub = '01' AND Codigo_Cla = '01113') )";

    QTest::newRow("forced and excluded")
        << "+reatores -nucleares"
        << " AND (Palavra_Chave LIKE '|reatores|%') AND (NOT Palavra_Chave LIKE '%|nucleares|%')" << 2;
    QTest::newRow("begins with") << "automov*"
                                 << " AND (Palavra_Chave LIKE '%|automov%')" << 1;
    QTest::newRow("ends with") << "*roubo"
                               << " AND (Palavra_Chave LIKE '%roubo|%')" << 1;
    QTest::newRow("contains") << "*mercad*"
                              << " AND (Palavra_Chave LIKE '%mercad%')" << 1;
    QTest::newRow("stop word dropped")
        << "venda de carros"
        << " AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE '%|carros|%')" << 3;
    QTest::newRow("accents folded") << QStringLiteral("Ação") << " AND (Palavra_Chave LIKE '%|Acao|%')" << 1;
    QTest::newRow("hyphen removed") << "anti-roubo"
                                    << " AND (Palavra_Chave LIKE '%|antiroubo|%')" << 1;
    QTest::newRow("code with punctuation") << "0111-3/01" << subclass0111301 << 1;
    QTest::newRow("code bare") << "0111301" << subclass0111301 << 1;
    QTest::newRow("division code") << "01"
                                   << " AND ( (Codigo_Cla LIKE '01%') )" << 1;
    QTest::newRow("class code") << "01113"
                                << " AND ( (Codigo_Cla LIKE '01113%') )" << 1;
    QTest::newRow("eight digits") << "12345678"
                                  << " AND ( (Codigo_Cla LIKE '12345678%') )" << 1;
    QTest::newRow("only stop words") << "de de" << nothingKept << 2;
    QTest::newRow("empty") << "" << nothingKept << 0;
    QTest::newRow("blanks only") << "    " << nothingKept << 0;
    QTest::newRow("blanks around") << "\t carros \r\n"
                                   << " AND (Palavra_Chave LIKE '%|carros|%')" << 1;
    QTest::newRow("star alone") << "*"
                                << " AND (Palavra_Chave LIKE '%%')" << 1;
    QTest::newRow("plus alone") << "+"
                                << " AND (Palavra_Chave LIKE '||%')" << 1;
    QTest::newRow("minus alone") << "-"
                                 << " AND (NOT Palavra_Chave LIKE '%||%')" << 1;
    QTest::newRow("star inside") << "ab*cd"
                                 << " AND (Palavra_Chave LIKE '%|ab*cd|%')" << 1;
    QTest::newRow("exclusion drops every hyphen") << "-anti-roubo"
                                                  << " AND (NOT Palavra_Chave LIKE '%|antiroubo|%')" << 1;
    QTest::newRow("excluded number is no code") << "-0111"
                                                << " AND (NOT Palavra_Chave LIKE '%|0111|%')" << 1;
    QTest::newRow("forced stop word") << "+de"
                                      << " AND (Palavra_Chave LIKE '|de|%')" << 1;
    QTest::newRow("comma splits late")
        << "carros,motos"
        << " AND (Palavra_Chave LIKE '%|carros|%') AND (Palavra_Chave LIKE '%|motos|%')" << 1;
    QTest::newRow("two blanks")
        << "venda  carros"
        << " AND (Palavra_Chave LIKE '%|venda|%') AND (Palavra_Chave LIKE '%|carros|%')" << 3;
    QTest::newRow("comma only") << " , "
                                << "" << 1;
    QTest::newRow("apostrophe") << "d'agua"
                                << " AND (Palavra_Chave LIKE '%|d''agua|%')" << 1;
    QTest::newRow("apostrophe alone") << "'"
                                      << " AND (Palavra_Chave LIKE '%|''|%')" << 1;
    QTest::newRow("apostrophe between stars") << "*'*"
                                              << " AND (Palavra_Chave LIKE '%''%')" << 1;
    QTest::newRow("apostrophes cannot close the literal")
        << "x') OR ('a'='a"
        << " AND (Palavra_Chave LIKE '%|x'')|%') AND (Palavra_Chave LIKE '%|OR|%')"
           " AND (Palavra_Chave LIKE '%|(''a''=''a|%')"
        << 3;
    QTest::newRow("capital A grave kept")
        << QStringLiteral("ÀGUA") << QStringLiteral(" AND (Palavra_Chave LIKE '%|ÀGUA|%')") << 1;
}

void TestSearchExpression::typedTextToCondition()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(int, lookups);

    const QStringList stopWords{"de"};
    QStringList statements;
    const QString text = doubleApostrophes(::trimSearchText(RemoveAcentos(typed)));
    const QString condition =
        MontaCondicaoPesquisa(RetiraPalavrasLigacao(text, fakeLookup(stopWords, statements)));
    QCOMPARE(condition, expected);
    QCOMPARE(statements.size(), lookups);
    QVERIFY(literalsAreClosed(condition));
    for (const QString &statement : statements)
        QVERIFY2(literalsAreClosed(statement) && !literalValue(statement).isNull(), qPrintable(statement));
}

void TestSearchExpression::resultKind_data()
{
    QTest::addColumn<int>("origin");
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("subclasses");
    const QString subclassEdition = "ZELT 2.0 Subclasses";
    const QString fiscalEdition = "Tabela FISCAL";
    const QString classEdition = "ZELT 2.0";
    const QString singular = "ZELT Subclasse";

    QTest::newRow("box, subclass edition, word") << 1 << subclassEdition << "carros" << true;
    QTest::newRow("box, subclass edition, 5-digit code") << 1 << subclassEdition << "01113" << true;
    QTest::newRow("box, fiscal edition, 7-digit code") << 1 << fiscalEdition << "0111301" << true;
    QTest::newRow("box, class edition, 7-digit code") << 1 << classEdition << "0111301" << false;
    QTest::newRow("box, class edition, word") << 1 << classEdition << "carros" << false;
    QTest::newRow("link, subclass edition, word") << 2 << subclassEdition << "carros" << true;
    QTest::newRow("link, subclass edition, 7 long code") << 3 << subclassEdition << "0111301" << true;
    QTest::newRow("link, subclass edition, class code") << 2 << subclassEdition << "01113" << false;
    QTest::newRow("link, class edition, word") << 3 << classEdition << "carros" << false;
    QTest::newRow("link, class edition, 7 long code") << 3 << classEdition << "0111301" << true;
    QTest::newRow("link, class edition, class code") << 2 << classEdition << "01113" << false;
    QTest::newRow("link, 7 long word is no code") << 3 << classEdition << "carross" << false;
    QTest::newRow("link, 7 long hex is a code") << 3 << classEdition << "$ABCDEF" << true;
    QTest::newRow("singular is no subclass edition") << 1 << singular << "carros" << false;
    QTest::newRow("origin never set acts as a link") << 0 << classEdition << "0111301" << true;
}

void TestSearchExpression::resultKind()
{
    QFETCH(int, origin);
    QFETCH(QString, edition);
    QFETCH(QString, text);
    QFETCH(bool, subclasses);

    const SearchResultKind kind = searchResultKind(origin, edition, text);
    QCOMPARE(kind.ResultadoSubClasse, subclasses);
    QCOMPARE(kind.codeColumn, subclasses ? QString("CodigoSubClasse") : QString("CodigoClasse"));
}

void TestSearchExpression::searchOrder_data()
{
    QTest::addColumn<bool>("codigo");
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("filter");
    const QString fixedOrder = " ORDER BY Codigo_Cla,Codigo_sub, Descricao_Cla";
    const QString no88 = " AND (Codigo_Sub <> '88') ";
    QTest::newRow("by code") << true << "ZELT 2.0"
                             << " ORDER BY Codigo_Cla, Descricao_Cla"
                             << "";
    QTest::newRow("alphabetical") << false << "ZELT 2.0"
                                  << " ORDER BY Descricao_Cla"
                                  << "";
    QTest::newRow("subclass edition by code") << true << "ZELT 2.0 SUBCLASSES" << fixedOrder << no88;
    QTest::newRow("subclass edition ignores alphabetical") << false << "Fiscal ZELT" << fixedOrder << no88;
    // Either name, in any letter case and anywhere in the description.
    QTest::newRow("fiscal lower, at the end") << false << "Tabela fiscal" << fixedOrder << no88;
    QTest::newRow("fiscal mixed, inside") << true << "ZELT fIsCaL 2.0" << fixedOrder << no88;
    QTest::newRow("fiscal glued to words") << false << "ZELTFISCAL2" << fixedOrder << no88;
    QTest::newRow("subclasses lower, at the start") << false << "subclasses ZELT" << fixedOrder << no88;
    QTest::newRow("subclasses mixed, inside") << false << "ZELT SubClasses 2.0" << fixedOrder << no88;
    QTest::newRow("subclasses alone") << true << "SUBCLASSES" << fixedOrder << no88;
    QTest::newRow("singular subclasse") << false << "ZELT 2.0 Subclasse"
                                        << " ORDER BY Descricao_Cla"
                                        << "";
    QTest::newRow("subclasses split") << true << "ZELT Sub classes"
                                      << " ORDER BY Codigo_Cla, Descricao_Cla"
                                      << "";
    QTest::newRow("fiscal misspelt") << true << "ZELT Fiscais"
                                     << " ORDER BY Codigo_Cla, Descricao_Cla"
                                     << "";
    QTest::newRow("accented I is not folded")
        << true << QStringLiteral("ZELT FÍSCAL") << " ORDER BY Codigo_Cla, Descricao_Cla"
        << "";
    QTest::newRow("empty description") << false << ""
                                       << " ORDER BY Descricao_Cla"
                                       << "";
}

void TestSearchExpression::searchOrder()
{
    QFETCH(bool, codigo);
    QFETCH(QString, edition);
    QFETCH(QString, order);
    QFETCH(QString, filter);

    const SearchOrder chosen = ::searchOrder(codigo, edition);
    QCOMPARE(chosen.OrdemPesquisa, order);
    QCOMPARE(chosen.FiltroSubClasse, filter);
}

void TestSearchExpression::statement_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("statement");
    const QString columns =
        "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla, Codigo_Sub,  Codigo_Cla_Seq, Descricao_Cla, "
        "(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse, (Left(Descricao_Cla, 500)) As "
        "Descricao,  (Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) As "
        "CodigoSubClasse ";
    QTest::newRow("class edition") << "ZELT 2.0"
                                   << columns + "FROM ZELT_110_Atividade  WHERE 1=1  AND (Palavra_Chave LIKE "
                                                "'|reatores|%') AND (NOT Palavra_Chave LIKE '%|nucleares|%') "
                                                "ORDER BY Codigo_Cla, Descricao_Cla";
    QTest::newRow("subclass edition")
        << "ZELT 2.0 Subclasses"
        << columns + "FROM ZELT_110_Atividade  WHERE 1=1  AND (Palavra_Chave LIKE "
                     "'|reatores|%') AND (NOT Palavra_Chave LIKE '%|nucleares|%') AND "
                     "(Codigo_Sub <> '88')  ORDER BY Codigo_Cla,Codigo_sub, Descricao_Cla";
}

void TestSearchExpression::statement()
{
    QFETCH(QString, edition);
    QFETCH(QString, statement);

    const SearchOrder order = ::searchOrder(true, edition);
    const QString condition = MontaCondicaoPesquisa("+reatores,-nucleares");
    QCOMPARE(searchStatement("ZELT_110", condition, order.FiltroSubClasse, order.OrdemPesquisa), statement);
}

void TestSearchExpression::statementRefusesUnsafePrefix()
{
    QVERIFY_THROWS_EXCEPTION(DataError, searchStatement("ZELT_110_Atividade; DROP TABLE X; --", "", "", ""));
    QVERIFY_THROWS_EXCEPTION(DataError, searchStatement("ZELT 110", "", "", ""));
}

void TestSearchExpression::caption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("operators") << "+reatores -nucleares"
                               << "+REATORES -NUCLEARES";
    QTest::newRow("folded") << RemoveAcentos(QStringLiteral("ação")) << "ACAO";
    QTest::newRow("a grave stays") << QStringLiteral("àgua") << QStringLiteral("àGUA");
    QTest::newRow("other letters stay") << QStringLiteral("ñÿßz") << QStringLiteral("ñÿßZ");
    QTest::newRow("apostrophe shown once") << "d'agua"
                                           << "D'AGUA";
}

void TestSearchExpression::caption()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(upperAsciiOnly(text), expected);
}

QTEST_GUILESS_MAIN(TestSearchExpression)
#include "tst_searchexpression.moc"
