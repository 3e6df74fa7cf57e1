#include "search/MatchExplanation.h"

#include <QTest>

Q_DECLARE_METATYPE(MatchRule)

namespace
{

const ExplainedActivity kCar{QStringLiteral("|venda|automoveis|antiroubo|d'agua|mercado|"),
                             QStringLiteral("45209"), QStringLiteral("01"), QStringLiteral("4520-9"),
                             QStringLiteral("4520-9/01")};

} // namespace

class TestMatchExplanation : public QObject
{
    Q_OBJECT
private slots:
    void eachOperator_data();
    void eachOperator();
    void blankWordsAddNothing();
    void tooltipEmphasisesMatchedKeywords();
};

void TestMatchExplanation::eachOperator_data()
{
    QTest::addColumn<QString>("word"); // as the word list holds it
    QTest::addColumn<MatchRule>("rule");
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("holds");
    QTest::addColumn<QStringList>("keywords");
    QTest::addColumn<QString>("line"); // a piece of the tooltip's line for the word

    QTest::newRow("whole keyword, other case")
        << "VENDA" << MatchRule::WholeKeyword << "VENDA" << true << QStringList{"venda"}
        << "palavra-chave “VENDA”: <b>venda</b>";
    QTest::newRow("whole keyword is not a part") << "vend" << MatchRule::WholeKeyword << "vend" << false
                                                 << QStringList{} << "(não encontrada nesta atividade)";
    QTest::newRow("hyphen dropped") << "anti-roubo" << MatchRule::WholeKeyword << "antiroubo" << true
                                    << QStringList{"antiroubo"} << "<b>antiroubo</b>";
    QTest::newRow("apostrophe as the database reads it")
        << "d''agua" << MatchRule::WholeKeyword << "d'agua" << true << QStringList{"d'agua"}
        << "<i>d'agua</i> — palavra-chave “d'agua”";
    QTest::newRow("begins with") << "auto*" << MatchRule::BeginsWith << "auto" << true
                                 << QStringList{"automoveis"} << "começa por “auto”: <b>automoveis</b>";
    QTest::newRow("ends with") << "*roubo" << MatchRule::EndsWith << "roubo" << true
                               << QStringList{"antiroubo"} << "termina em “roubo”: <b>antiroubo</b>";
    QTest::newRow("ends with is not begins with")
        << "*anti" << MatchRule::EndsWith << "anti" << false << QStringList{} << "não encontrada";
    QTest::newRow("contains") << "*ve*" << MatchRule::Contains << "ve" << true
                              << QStringList{"venda", "automoveis"}
                              << "contém “ve”: <b>venda</b>, <b>automoveis</b>";
    QTest::newRow("contains across keywords")
        << "*da|auto*" << MatchRule::Contains << "da|auto" << true << QStringList{} << "contém “da|auto”";
    QTest::newRow("underscore keeps its LIKE meaning") << "merc_do" << MatchRule::WholeKeyword << "merc_do"
                                                       << true << QStringList{"mercado"} << "<b>mercado</b>";
    QTest::newRow("first keyword") << "+venda" << MatchRule::FirstKeyword << "venda" << true
                                   << QStringList{"venda"}
                                   << "primeira palavra-chave igual a “venda”: <b>venda</b>";
    QTest::newRow("forced word that is not first")
        << "+mercado" << MatchRule::FirstKeyword << "mercado" << false << QStringList{} << "não encontrada";
    QTest::newRow("excluded, absent") << "-nucleares" << MatchRule::Excluded << "nucleares" << true
                                      << QStringList{} << "não tem a palavra-chave “nucleares”";
    QTest::newRow("excluded, present") << "-venda" << MatchRule::Excluded << "venda" << false << QStringList{}
                                       << "tem a palavra-chave excluída “venda”";
    QTest::newRow("excluded number is a keyword")
        << "-0111" << MatchRule::Excluded << "0111" << true << QStringList{} << "“0111”";
    QTest::newRow("code prefix") << "452" << MatchRule::Code << "452" << true << QStringList{}
                                 << "o código da classe 4520-9 começa por 452";
    QTest::newRow("class code typed with hyphen")
        << "4520-9" << MatchRule::Code << "45209" << true << QStringList{} << "começa por 45209";
    QTest::newRow("subclass code") << "4520-9/01" << MatchRule::Code << "4520901" << true << QStringList{}
                                   << "o código da subclasse 4520-9/01";
    QTest::newRow("other subclass") << "4520902" << MatchRule::Code << "4520902" << false << QStringList{}
                                    << "não encontrada";
    QTest::newRow("other code") << "01" << MatchRule::Code << "01" << false << QStringList{}
                                << "não encontrada";
    QTest::newRow("no word survived")
        << "#0" << MatchRule::WholeKeyword << "#0" << false << QStringList{} << "não encontrada";
}

void TestMatchExplanation::eachOperator()
{
    QFETCH(QString, word);
    QFETCH(MatchRule, rule);
    QFETCH(QString, term);
    QFETCH(bool, holds);
    QFETCH(QStringList, keywords);
    QFETCH(QString, line);

    const QVector<WordMatch> matches = explainMatch(word, kCar);
    QCOMPARE(matches.size(), 1);
    QCOMPARE(matches[0].rule, rule);
    QCOMPARE(matches[0].term, term);
    QCOMPARE(matches[0].holds, holds);
    QCOMPARE(matches[0].keywords, keywords);
    const QString tooltip = matchTooltip(matches, kCar);
    QVERIFY2(tooltip.contains(line), qPrintable(tooltip));
}

void TestMatchExplanation::blankWordsAddNothing()
{
    // Two blanks in a row leave an empty word in the list; commas typed split words here too.
    const QVector<WordMatch> matches = explainMatch(QStringLiteral("venda,,mercado"), kCar);
    QCOMPARE(matches.size(), 2);
    QCOMPARE(matches[1].keywords, QStringList{QStringLiteral("mercado")});
}

void TestMatchExplanation::tooltipEmphasisesMatchedKeywords()
{
    const QString tooltip = matchTooltip(explainMatch(QStringLiteral("auto*,venda"), kCar), kCar);
    QVERIFY2(tooltip.contains(QStringLiteral("Palavras-chave: <b><u>venda</u></b>, <b><u>automoveis</u></b>, "
                                             "antiroubo, d'agua, mercado")),
             qPrintable(tooltip));
}

QTEST_GUILESS_MAIN(TestMatchExplanation)
#include "tst_matchexplanation.moc"
