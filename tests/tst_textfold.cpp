#include "data/TextFold.h"

#include <QtTest>

#include <algorithm>

class TestTextFold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void likeMatches_data();
    void likeMatches();
    void compareNoCase_data();
    void compareNoCase();
    void sortingPutsAccentedWordsBesideTheirLetters();
    void sortingAfterASharedStart_data();
    void sortingAfterASharedStart();
    void sortingReadsOnlyTheTexts();
};

void TestTextFold::likeMatches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("escape");

    const auto row = [](const char *name, const QString &pattern, const QString &text, bool expected,
                        const QString &escape = QString()) {
        QTest::newRow(name) << pattern << text << expected << escape;
    };

    // Keyword patterns as the search composes them.
    row("whole keyword", "%|venda|%", "|carro|venda|", true);
    row("whole keyword, other case", "%|venda|%", "|CARRO|VENDA|", true);
    row("whole keyword is not a prefix", "%|venda|%", "|vendas|", false);
    row("first keyword only", "|venda|%", "|carro|venda|", false);
    row("first keyword", "|venda|%", "|Venda|carro|", true);
    row("first keyword, accented after its lead", "|aç%", "|AÇÃO|", true);
    row("lead longer than the text", "|venda|%", "|VEN", false);
    row("ends with", "%roubo|%", "|antiroubo|alarme|", true);
    row("begins with", "%|automov%", "|automovel|", true);
    row("contains across bars", "%o|a%", "|carro|alarme|", true);
    row("any text", "%%", "", true);
    row("empty keyword", "||%", "||", true);
    row("no keyword text", "%|#0|%", "|carro|", false);
    row("signs beside the capitals stay themselves", "`{", "@[", false);
    row("Z and A are capitals", "za", "ZA", true);
    // Letter case over accented Latin letters, accents significant.
    row("accented, other case", "%|ação|%", "|AÇÃO|venda|", true);
    row("accent is not its letter", "%|acao|%", "|ação|", false);
    row("Latin Extended-A", "%łódź%", "ŁÓDŹ", true);
    row("y with diaeresis", "ÿ", "Ÿ", true);
    row("outside Latin stays itself", "ω", "Ω", false);
    // Anchoring and '_'.
    row("exact", "abc", "ABC", true);
    row("exact, longer text", "abc", "abcd", false);
    row("one character", "a_c", "abc", true);
    row("one character, none there", "a_c", "ac", false);
    row("one accented character", "a_c", "aÇc", true);
    row("two runs in order", "%a%b%c%", "xaybzc", true);
    row("runs out of order", "%c%a%", "abc", false);
    row("same run twice", "%b%b%", "b", false);
    row("head and tail do not overlap", "a%a", "a", false);
    row("tail anchored at the end", "%a", "ab", false);
    row("tail with '_'", "%a_", "xaé", true);
    row("middle with '_'", "%b_d%", "abcde", true);
    row("empty text, non-empty pattern", "a%", "", false);
    // An escape character makes the next one literal.
    row("escaped percent", "10!%", "10%", true, "!");
    row("escaped percent is literal", "10!%", "100", false, "!");
    row("escaped underscore", "a!_c", "a_c", true, "!");
    row("escaped underscore is literal", "a!_c", "abc", false, "!");
    row("escaped escape", "a!!", "a!", true, "!");
    row("dangling escape matches nothing", "a!", "a!", false, "!");
}

void TestTextFold::likeMatches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QFETCH(QString, escape);
    const QByteArray p = pattern.toUtf8();
    const QByteArray t = text.toUtf8();
    const LikePattern compiled(std::string_view(p.constData(), p.size()),
                               escape.isEmpty() ? char32_t(0) : char32_t(escape.at(0).unicode()));
    QCOMPARE(compiled.matches(std::string_view(t.constData(), t.size())), expected);
}

void TestTextFold::compareNoCase_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("sign");

    const auto row = [](const char *name, const QString &left, const QString &right, int sign) {
        QTest::newRow(name) << left << right << sign;
    };

    row("ASCII case", "Codigo_Sec", "CODIGO_SEC", 0);
    row("accented case", "ÀÇÃO", "àção", 0);
    row("accent differs", "a", "á", -1);
    row("order ignores case", "abc", "ABD", -1);
    row("prefix first", "AB", "abc", -1);
    row("longer after", "abc", "AB", 1);
    row("ASCII then accented", "VENDAÉ", "vendaé", 0);
}

void TestTextFold::compareNoCase()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, sign);
    const QByteArray l = left.toUtf8();
    const QByteArray r = right.toUtf8();
    const int result = textfold::compareNoCase(std::string_view(l.constData(), l.size()),
                                               std::string_view(r.constData(), r.size()));
    QCOMPARE((result > 0) - (result < 0), sign);
    QCOMPARE(textfold::equalNoCase(left, right), sign == 0);
}

void TestTextFold::sortingPutsAccentedWordsBesideTheirLetters()
{
    std::vector<std::string> words = {"Banco", "água", "azul", "Água", "Agua", "Óleo", "oca"};
    std::sort(words.begin(), words.end(), [](const std::string &a, const std::string &b) {
        return textfold::compareForSorting(a, b) < 0;
    });
    const std::vector<std::string> expected = {"Agua", "Água", "água", "azul", "Banco", "oca", "Óleo"};
    QCOMPARE(words, expected);
}

// Texts that open with the same bytes, parting at or inside a character: the order is the one
// the whole texts give, character by character.
void TestTextFold::sortingAfterASharedStart_data()
{
    QTest::addColumn<QByteArray>("left");
    QTest::addColumn<QByteArray>("right");
    QTest::addColumn<int>("sign");

    QTest::newRow("the same") << QByteArray("0111-2 Cultivo") << QByteArray("0111-2 Cultivo") << 0;
    QTest::newRow("one a start of the other") << QByteArray("venda") << QByteArray("venda de") << -1;
    QTest::newRow("the other a start of one") << QByteArray("venda de") << QByteArray("venda") << 1;
    QTest::newRow("case after the shared start") << QByteArray("vendaB") << QByteArray("vendab") << -1;
    QTest::newRow("accent after the shared start") << QByteArray("ação") << QByteArray("acao") << 1;
    // "á" and "ã" share their first byte: the next letter decides, the accents only after.
    QTest::newRow("parting inside a letter") << QByteArray("áb") << QByteArray("ãa") << 1;
    QTest::newRow("parting inside, accents decide") << QByteArray("áa") << QByteArray("ãa") << -1;
    QTest::newRow("upper and lower accented") << QByteArray("Água") << QByteArray("água") << -1;
    // A letter cut short is no letter: it sorts after every letter.
    QTest::newRow("cut short against whole") << QByteArray("a\xC3") << QByteArray("a\xC3\xA1") << 1;
    QTest::newRow("whole against cut short") << QByteArray("a\xC3\xA1") << QByteArray("a\xC3") << -1;
    // Descriptions of one class that open alike for many bytes: only where they part decides.
    QTest::newRow("long shared start, parting at its ninth byte")
        << QByteArray("Fabricacao de pecas") << QByteArray("Fabricacso de pecas") << -1;
    QTest::newRow("long shared start, case only")
        << QByteArray("Comercio varejista de pecaS") << QByteArray("Comercio varejista de pecas") << -1;
    QTest::newRow("long shared start, a letter parted across eight bytes")
        << QByteArray("Montagem\xC3\xA3o de carros") << QByteArray("Montagem\xC3\xA1o de carros") << 1;
    QTest::newRow("long shared start, one the start of the other")
        << QByteArray("Fabricacao de automoveis para uso") << QByteArray("Fabricacao de automoveis") << 1;
    QTest::newRow("long and the same")
        << QByteArray("Fabricacao de automoveis para uso industrial")
        << QByteArray("Fabricacao de automoveis para uso industrial") << 0;
    // Two bytes shared, the second a continuation byte: a broken sequence against a whole one.
    QTest::newRow("parting after a continuation byte")
        << QByteArray("\xE2\x80" "A") << QByteArray("\xE2\x80\xA0") << 1;
}

void TestTextFold::sortingAfterASharedStart()
{
    QFETCH(QByteArray, left);
    QFETCH(QByteArray, right);
    QFETCH(int, sign);
    const int result = textfold::compareForSorting(std::string_view(left.constData(), left.size()),
                                                   std::string_view(right.constData(), right.size()));
    QCOMPARE((result > 0) - (result < 0), sign);
}

// SQLite hands over texts where they lie in a row, after other values' bytes: texts that part
// at their first byte are compared without a look at what lies before them.
void TestTextFold::sortingReadsOnlyTheTexts()
{
    const char row[] = "Z" "\xC3\xA9" "abc" "\xC3\xA0" "xbc";
    const std::string_view first(row + 3, 3);
    const std::string_view second(row + 8, 3);
    QCOMPARE(textfold::compareForSorting(first, second), -1);
    QCOMPARE(textfold::compareForSorting(second, first), 1);
}

QTEST_GUILESS_MAIN(TestTextFold)
#include "tst_textfold.moc"
