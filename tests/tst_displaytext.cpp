#include "app/DisplayText.h"

#include <QTest>

class TestDisplayText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void upperCasesOnlyAToZ_data();
    void upperCasesOnlyAToZ();
    void databaseDate_data();
    void databaseDate();
    void versionText_data();
    void versionText();
};

void TestDisplayText::upperCasesOnlyAToZ_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << "abc xyz 09"
                           << "ABC XYZ 09";
    QTest::newRow("cedilla stays") << "março"
                                   << "MARçO";
    QTest::newRow("accented vowel stays") << "àgua é"
                                          << "àGUA é";
    QTest::newRow("already upper") << "ABC"
                                   << "ABC";
    QTest::newRow("non-latin stays") << "март"
                                     << "март";
    QTest::newRow("empty") << ""
                           << "";
}

void TestDisplayText::upperCasesOnlyAToZ()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(upperAsciiOnly(text), expected);
}

void TestDisplayText::databaseDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("expected");
    QTest::newRow("portuguese march")
        << "pt_BR" << QDateTime(QDate(2024, 3, 15), QTime(10, 30)) << "MARçO/2024";
    QTest::newRow("english") << "en_US" << QDateTime(QDate(2023, 12, 1), QTime()) << "DECEMBER/2023";
    QTest::newRow("german dot separator") << "de_DE" << QDateTime(QDate(2021, 3, 2), QTime()) << "MäRZ.2021";
    QTest::newRow("swedish dash separator")
        << "sv_SE" << QDateTime(QDate(2020, 8, 9), QTime()) << "AUGUSTI-2020";
    QTest::newRow("russian nominative, untouched")
        << "ru_RU" << QDateTime(QDate(2022, 3, 1), QTime()) << "март.2022";
    QTest::newRow("four-digit year") << "pt_BR" << QDateTime(QDate(987, 1, 1), QTime()) << "JANEIRO/0987";
    QTest::newRow("locale without separator") << "C" << QDateTime(QDate(2024, 4, 1), QTime()) << "APRIL/2024";
}

void TestDisplayText::databaseDate()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, date);
    QFETCH(QString, expected);
    QCOMPARE(formatDatabaseDate(date, QLocale(locale)), expected);
}

void TestDisplayText::versionText_data()
{
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    QTest::newRow("four parts") << "1.0.0.0"
                                << "1.0.0.0";
    QTest::newRow("other version") << "2.0.0.0"
                                   << "2.0.0.0";
    QTest::newRow("two parts") << "3.1"
                               << "3.1";
    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("not a version") << "1.0-beta"
                                   << "!";
    QTest::newRow("five parts") << "1.2.3.4.5"
                                << "!";
    QTest::newRow("blank inside") << "1. 0"
                                  << "!";
}

void TestDisplayText::versionText()
{
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(fileVersionText(built), expected);
}

QTEST_GUILESS_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
