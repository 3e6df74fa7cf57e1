#include "data/TextFold.h"

#include <QtTest>

#include <algorithm>

class TestTextFold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void likeMatches_data();
    void likeMatches();
    void likeWithEscape_data();
    void likeWithEscape();
    void compareNoCase_data();
    void compareNoCase();
    void sortingPutsAccentedWordsBesideTheirLetters();
};

void TestTextFold::likeMatches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    // Keyword patterns as the search composes them.
    QTest::newRow("whole keyword") << "%|venda|%"
                                   << "|carro|venda|" << true;
    QTest::newRow("whole keyword, other case") << "%|venda|%"
                                               << "|CARRO|VENDA|" << true;
    QTest::newRow("whole keyword is not a prefix") << "%|venda|%"
                                                   << "|vendas|" << false;
    QTest::newRow("first keyword only") << "|venda|%"
                                        << "|carro|venda|" << false;
    QTest::newRow("first keyword") << "|venda|%"
                                   << "|Venda|carro|" << true;
    QTest::newRow("ends with") << "%roubo|%"
                               << "|antiroubo|alarme|" << true;
    QTest::newRow("begins with") << "%|automov%"
                                 << "|automovel|" << true;
    QTest::newRow("contains across bars") << "%o|a%"
                                          << "|carro|alarme|" << true;
    QTest::newRow("any text") << "%%"
                              << "" << true;
    QTest::newRow("empty keyword") << "||%"
                                   << "||" << true;
    QTest::newRow("no keyword text") << "%|#0|%"
                                     << "|carro|" << false;
    // Letter case over accented Latin letters, accents significant.
    QTest::newRow("accented, other case") << "%|ação|%"
                                          << "|AÇÃO|venda|" << true;
    QTest::newRow("accent is not its letter") << "%|acao|%"
                                              << "|ação|" << false;
    QTest::newRow("Latin Extended-A") << "%łódź%"
                                      << "ŁÓDŹ" << true;
    QTest::newRow("y with diaeresis") << "ÿ"
                                      << "Ÿ" << true;
    QTest::newRow("outside Latin stays itself") << "ω"
                                                << "Ω" << false;
    // Anchoring and '_'.
    QTest::newRow("exact") << "abc"
                           << "ABC" << true;
    QTest::newRow("exact, longer text") << "abc"
                                        << "abcd" << false;
    QTest::newRow("one character") << "a_c"
                                   << "abc" << true;
    QTest::newRow("one character, none there") << "a_c"
                                               << "ac" << false;
    QTest::newRow("one accented character") << "a_c"
                                            << "aÇc" << true;
    QTest::newRow("two runs in order") << "%a%b%c%"
                                       << "xaybzc" << true;
    QTest::newRow("runs out of order") << "%c%a%"
                                       << "abc" << false;
    QTest::newRow("same run twice") << "%b%b%"
                                    << "b" << false;
    QTest::newRow("head and tail do not overlap") << "a%a"
                                                  << "a" << false;
    QTest::newRow("tail anchored at the end") << "%a"
                                              << "ab" << false;
    QTest::newRow("tail with '_'") << "%a_"
                                   << "xaé" << true;
    QTest::newRow("middle with '_'") << "%b_d%"
                                     << "abcde" << true;
    QTest::newRow("empty text, non-empty pattern") << "a%"
                                                   << "" << false;
}

void TestTextFold::likeMatches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const QByteArray p = pattern.toUtf8();
    const QByteArray t = text.toUtf8();
    QCOMPARE(LikePattern(std::string_view(p.constData(), p.size()))
                 .matches(std::string_view(t.constData(), t.size())),
             expected);
}

void TestTextFold::likeWithEscape_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("escaped percent") << "10!%"
                                     << "10%" << true;
    QTest::newRow("escaped percent is literal") << "10!%"
                                                << "100" << false;
    QTest::newRow("escaped underscore") << "a!_c"
                                        << "a_c" << true;
    QTest::newRow("escaped underscore is literal") << "a!_c"
                                                   << "abc" << false;
    QTest::newRow("escaped escape") << "a!!"
                                    << "a!" << true;
    QTest::newRow("dangling escape matches nothing") << "a!"
                                                     << "a!" << false;
}

void TestTextFold::likeWithEscape()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const QByteArray p = pattern.toUtf8();
    const QByteArray t = text.toUtf8();
    const LikePattern compiled(std::string_view(p.constData(), p.size()), U'!');
    QCOMPARE(compiled.matches(std::string_view(t.constData(), t.size())), expected);
}

void TestTextFold::compareNoCase_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("sign");

    QTest::newRow("ASCII case") << "Codigo_Sec"
                                << "CODIGO_SEC" << 0;
    QTest::newRow("accented case") << "ÀÇÃO"
                                   << "àção" << 0;
    QTest::newRow("accent differs") << "a"
                                    << "á" << -1;
    QTest::newRow("order ignores case") << "abc"
                                        << "ABD" << -1;
    QTest::newRow("prefix first") << "AB"
                                  << "abc" << -1;
    QTest::newRow("longer after") << "abc"
                                  << "AB" << 1;
    QTest::newRow("ASCII then accented") << "VENDAÉ"
                                         << "vendaé" << 0;
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

QTEST_GUILESS_MAIN(TestTextFold)
#include "tst_textfold.moc"
