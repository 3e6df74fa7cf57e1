#include "search/MatchEmphasis.h"
#include "search/SearchOffers.h"
#include "search/SearchVocabulary.h"

#include <QTest>

Q_DECLARE_METATYPE(QVector<MatchEmphasis::Span>)

class TestSearchWords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void editDistance_data();
    void editDistance();
    void vocabularyCountsActivitiesNotMentions();
    void atMostFiveOffers();
    void offersStayFewAndCheap();
    void codesThatExist();
    void emphasis_data();
    void emphasis();
};

void TestSearchWords::editDistance_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("distance");
    QTest::newRow("same") << "oficina"
                          << "oficina" << 0;
    QTest::newRow("substitution") << "barca"
                                  << "barco" << 1;
    QTest::newRow("insertion") << "mecanca"
                               << "mecanica" << 1;
    QTest::newRow("deletion") << "automovell"
                              << "automovel" << 1;
    QTest::newRow("swap counts one") << "oficnia"
                                     << "oficina" << 1;
    QTest::newRow("swap at the start") << "ro"
                                       << "or" << 1;
    QTest::newRow("two edits") << "automvoel"
                               << "automovl" << 2;
    // Optimal string alignment edits no substring twice: "ca" to "abc" is three edits.
    QTest::newRow("no edit of a swapped pair") << "ca"
                                               << "abc" << 3;
    QTest::newRow("beyond the bound") << "xilofone"
                                      << "oficina" << 3;
    QTest::newRow("length alone") << "ab"
                                  << "abcdef" << 3;
    QTest::newRow("empty") << ""
                           << "ab" << 2;
}

void TestSearchWords::editDistance()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, distance);
    QCOMPARE(::editDistance(a, b, 2), distance);
    QCOMPARE(::editDistance(b, a, 2), distance);
}

void TestSearchWords::vocabularyCountsActivitiesNotMentions()
{
    // A keyword twice in one list, in two cases, counts one activity; stop words are kept out of
    // completions and corrections but still read as held.
    const SearchVocabulary vocabulary(
        {{QStringLiteral("|Barca|barca|vela|"), QStringLiteral("06201"), QStringLiteral("00")},
         {QStringLiteral("|barca|de|"), QStringLiteral("06201"), QStringLiteral("00")},
         {QStringLiteral("|barco|"), QStringLiteral("06202"), QStringLiteral("01")},
         {QString(), QString(), QString()}},
        {QStringLiteral("DE")});
    QCOMPARE(vocabulary.size(), 4);
    QCOMPARE(vocabulary.activitiesOf(QStringLiteral("BARCA")), 2);
    QCOMPARE(vocabulary.activitiesOf(QStringLiteral("barcas")), 0);
    QVERIFY(vocabulary.holds(QStringLiteral("de")));
    QVERIFY(vocabulary.isStopWord(QStringLiteral("de")));
    QCOMPARE(vocabulary.beginningWith(QStringLiteral("d"), 5).size(), 0);
    QCOMPARE(vocabulary.beginningWith(QStringLiteral("de"), 5).size(), 0);
    const auto near = vocabulary.nearTo(QStringLiteral("barcu"), 5);
    QCOMPARE(near.size(), 2);
    QCOMPARE(near[0].text, QStringLiteral("Barca"));
    QCOMPARE(near[1].text, QStringLiteral("barco"));
    QCOMPARE(vocabulary.nearTo(QStringLiteral("barcu"), 1).size(), 1);
    QVERIFY(vocabulary.nearTo(QStringLiteral("barca"), 5).first().text != QStringLiteral("Barca"));
    QCOMPARE(vocabulary.beginningWith(QStringLiteral("barc"), 1).first().text, QStringLiteral("Barca"));
}

// However many keywords lie near a misspelt word, at most five searches are offered, nearest first.
void TestSearchWords::atMostFiveOffers()
{
    QVector<SearchVocabulary::Activity> activities;
    for (const char *word : {"barca", "barco", "barra", "barba", "marca", "parca", "barcas"})
        activities.append(
            {QStringLiteral("|%1|").arg(QLatin1String(word)), QStringLiteral("06201"), QStringLiteral("00")});
    const SearchVocabulary vocabulary(activities, {});
    const auto found = [](const QString &) { return 1; };
    QVERIFY(vocabulary.nearTo(QStringLiteral("barcu"), 10).size() > 5);
    const QVector<SearchOffer> offers = searchOffers(vocabulary, QStringLiteral("BARCU"), found);
    QCOMPARE(offers.size(), 5);
    QCOMPARE(searchOffers(vocabulary, QStringLiteral("BARCU"), found, 2).size(), 2);
}

// Up to four misspelt words are corrected, more are no typo of a search; and when the corrected
// searches find nothing, no more than twice the offers' limit of them are run (each is a statement).
void TestSearchWords::offersStayFewAndCheap()
{
    QVector<SearchVocabulary::Activity> activities;
    for (const char *word : {"barca", "barco", "barra", "barba", "marca", "parca"})
        activities.append(
            {QStringLiteral("|%1|").arg(QLatin1String(word)), QStringLiteral("06201"), QStringLiteral("00")});
    const SearchVocabulary vocabulary(activities, {});
    const auto found = [](const QString &) { return 1; };
    QVERIFY(!searchOffers(vocabulary, QStringLiteral("BARCU BARKA BERCA BARCI"), found).isEmpty());
    QVERIFY(searchOffers(vocabulary, QStringLiteral("BARCU BARKA BERCA BARCI BURCA"), found).isEmpty());

    int run = 0;
    const auto nothing = [&run](const QString &) { return ++run, 0; };
    QVERIFY(searchOffers(vocabulary, QStringLiteral("BARCU BARKA"), nothing, 3).isEmpty());
    QCOMPARE(run, 6);
}

void TestSearchWords::codesThatExist()
{
    const SearchVocabulary vocabulary(
        {{QStringLiteral("|a|"), QStringLiteral("06202"), QStringLiteral("01")}}, {});
    for (const char *code : {"0", "06", "062", "0620", "06202", "0620201"})
        QVERIFY2(vocabulary.hasCode(QLatin1String(code)), code);
    for (const char *code : {"06201", "0620202", "062020", "6202", ""})
        QVERIFY2(!vocabulary.hasCode(QLatin1String(code)), code);
}

void TestSearchWords::emphasis_data()
{
    using Spans = QVector<MatchEmphasis::Span>;
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("description");
    QTest::addColumn<Spans>("spans");
    const QString oficina = QStringLiteral("Oficina de automóveis e automotores");
    QTest::newRow("whole keyword, case and accents folded") << "OFICINA" << oficina << Spans{{0, 7}};
    QTest::newRow("whole keyword is not a prefix") << "automov" << oficina << Spans{};
    QTest::newRow("prefix") << "automov*" << oficina << Spans{{11, 10}};
    QTest::newRow("prefix of both") << "auto*" << oficina << Spans{{11, 10}, {24, 11}};
    QTest::newRow("suffix") << "*ores" << oficina << Spans{{24, 11}};
    QTest::newRow("inside") << "*tomo*" << oficina << Spans{{11, 10}, {24, 11}};
    QTest::newRow("first keyword") << "+oficina" << oficina << Spans{{0, 7}};
    QTest::newRow("excluded draws nothing") << "oficina,-automoveis" << oficina << Spans{{0, 7}};
    QTest::newRow("code draws nothing") << "0620" << QStringLiteral("0620 barcos") << Spans{};
    QTest::newRow("several words") << "oficina,automoveis" << oficina << Spans{{0, 7}, {11, 10}};
    // A synonym matched in the keywords only: the description has no word to draw.
    QTest::newRow("synonym not in the description")
        << "comercio" << QStringLiteral("Venda de cobre") << Spans{};
    QTest::newRow("accented description word")
        << "comercio" << QStringLiteral("Comércio de cobre") << Spans{{0, 8}};
    QTest::newRow("apostrophe doubled in the list")
        << "d''agua" << QStringLiteral("Venda d'agua") << Spans{{6, 6}};
    QTest::newRow("no words") << "#0" << oficina << Spans{};
}

void TestSearchWords::emphasis()
{
    QFETCH(QString, words);
    QFETCH(QString, description);
    QFETCH(QVector<MatchEmphasis::Span>, spans);
    QCOMPARE(MatchEmphasis(words).spans(description), spans);
}

QTEST_APPLESS_MAIN(TestSearchWords)
#include "tst_searchwords.moc"
