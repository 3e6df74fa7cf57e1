#include "data/mdbreader/Values.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <vector>
#include <limits>

// The reader child's decoders of stored Access values, fed the bytes Access stores: the exact text
// a user sees for each type, at the edges of its range and of its representation (dates before
// 1899-12-30 that carry a time, decimals with no integer part, the byte order of a GUID).
class TestAccessValues : public QObject
{
    Q_OBJECT

private slots:
    void dateTime_data();
    void dateTime();
    void noDateTime_data();
    void noDateTime();
    void extendedDateTime_data();
    void extendedDateTime();
    void decimals_data();
    void decimals();
    void numericBytes_data();
    void numericBytes();
    void calculatedNumericBytes_data();
    void calculatedNumericBytes();
    void guid();
    void text_data();
    void text();
    void textByRunsAsByUnits();
    void single_data();
    void single();
};

namespace
{

QString dateText(double stored, bool *ok)
{
    std::string text;
    *ok = values::dateTimeText(stored, text);
    return QString::fromStdString(text);
}

// The 41 characters Access stores for a Date/Time Extended value.
QByteArray extended(unsigned long long days, unsigned long long ticks)
{
    return QByteArray::number(days).rightJustified(19, '0') + ':' +
           QByteArray::number(ticks).rightJustified(19, '0') + ":7";
}

const uchar *bytes(const QByteArray &data)
{
    return reinterpret_cast<const uchar *>(data.constData());
}

} // namespace

void TestAccessValues::dateTime_data()
{
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("day zero") << 0.0 << "1899-12-30 00:00:00";
    QTest::newRow("1900 is no leap year") << 60.0 << "1900-02-28 00:00:00";
    QTest::newRow("the day after 1900-02-28") << 61.0 << "1900-03-01 00:00:00";
    QTest::newRow("2000 is a leap year") << 36585.5 << "2000-02-29 12:00:00";
    // The first day of a 400-year cycle, and the last days of March and August, where the
    // month arithmetic turns.
    QTest::newRow("2000-03-01") << 36586.0 << "2000-03-01 00:00:00";
    QTest::newRow("2000-03-31") << 36616.0 << "2000-03-31 00:00:00";
    QTest::newRow("2000-08-31") << 36769.0 << "2000-08-31 00:00:00";
    QTest::newRow("last second Access takes") << 2958465.0 + 86399.0 / 86400.0 << "9999-12-31 23:59:59";
    QTest::newRow("first day Access takes") << -657434.0 << "0100-01-01 00:00:00";
    // Before day zero the whole days count back and the fraction still counts forward from midnight.
    QTest::newRow("half a day before zero is noon of day zero") << -0.5 << "1899-12-30 12:00:00";
    QTest::newRow("a day and a quarter before zero") << -1.25 << "1899-12-29 06:00:00";
    QTest::newRow("1800 at 18:00") << -36522.75 << "1800-01-01 18:00:00";
    QTest::newRow("1600-02-29 at 08:24") << -109512.35 << "1600-02-29 08:24:00";
    QTest::newRow("every field of the time")
        << 1.0 + (13 * 3600 + 47 * 60 + 59) / 86400.0 << "1899-12-31 13:47:59";
    // Access keeps whole seconds: a time a hair short of midnight is the next day.
    QTest::newRow("rounded up to the next day") << 1.9999999 << "1900-01-01 00:00:00";
    QTest::newRow("rounded up to the next day before zero") << -1.9999999 << "1899-12-30 00:00:00";
    QTest::newRow("rounded to a second") << 0.6 / 86400.0 << "1899-12-30 00:00:01";
}

void TestAccessValues::dateTime()
{
    QFETCH(double, stored);
    QFETCH(QString, expected);
    bool ok = false;
    QCOMPARE(dateText(stored, &ok), expected);
    QVERIFY(ok);
}

void TestAccessValues::noDateTime_data()
{
    QTest::addColumn<double>("stored");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    QTest::newRow("far after year 9999") << 3.0e6 + 1;
    QTest::newRow("far before year 100") << -3.0e6 - 1;
}

void TestAccessValues::noDateTime()
{
    QFETCH(double, stored);
    bool ok = true;
    dateText(stored, &ok);
    QVERIFY(!ok);
}

void TestAccessValues::extendedDateTime_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("expected");

    constexpr unsigned long long second = 10000000ULL;
    QTest::newRow("first day") << extended(0, 0) << true << "0001-01-01 00:00:00";
    QTest::newRow("day zero of Date/Time") << extended(693593, 0) << true << "1899-12-30 00:00:00";
    QTest::newRow("last tick") << extended(3652058, 86400 * second - 1) << true
                               << "9999-12-31 23:59:59.9999999";
    QTest::newRow("trailing zeros dropped")
        << extended(730178, (3600 + 2 * 60 + 3) * second + 1234500) << true << "2000-02-29 01:02:03.12345";
    QTest::newRow("one tick") << extended(577724, 1) << true << "1582-10-04 00:00:00.0000001";
    QTest::newRow("after 9999-12-31") << extended(3652059, 0) << false << "";
    QTest::newRow("midnight of the next day") << extended(0, 86400 * second) << false << "";
    QTest::newRow("a letter among the days") << QByteArray(extended(5, 0)).replace(3, 1, "x") << false << "";
    QTest::newRow("a letter among the ticks")
        << QByteArray(extended(5, 0)).replace(25, 1, "x") << false << "";
    QTest::newRow("no colon") << QByteArray(extended(5, 0)).replace(19, 1, "0") << false << "";
    QTest::newRow("one digit short") << extended(5, 0).left(38) << false << "";
}

void TestAccessValues::extendedDateTime()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, valid);
    QFETCH(QString, expected);
    std::string text;
    QCOMPARE(values::extendedDateTimeText(bytes(stored), static_cast<std::size_t>(stored.size()), text),
             valid);
    if (valid)
        QCOMPARE(QString::fromStdString(text), expected);
}

void TestAccessValues::decimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const auto decimal = [](unsigned long long magnitude, bool negative, int scale) {
        return QString::fromStdString(values::decimalText(magnitude, negative, scale));
    };
    QTest::newRow("no decimals") << decimal(7, false, 0) << "7";
    QTest::newRow("zero with decimals") << decimal(0, false, 2) << "0.00";
    QTest::newRow("negative zero shows no sign") << decimal(0, true, 2) << "0.00";
    QTest::newRow("as many digits as decimals") << decimal(123456, false, 6) << "0.123456";
    QTest::newRow("fewer digits than decimals") << decimal(5, true, 3) << "-0.005";
    QTest::newRow("one integer digit") << decimal(1234, true, 3) << "-1.234";
    QTest::newRow("Currency: one unit") << QString::fromStdString(values::currencyText(1)) << "0.0001";
    QTest::newRow("Currency: minus half") << QString::fromStdString(values::currencyText(-5000)) << "-0.5000";
    QTest::newRow("Currency: smallest")
        << QString::fromStdString(values::currencyText(std::numeric_limits<std::int64_t>::min()))
        << "-922337203685477.5808";
    QTest::newRow("Currency: largest")
        << QString::fromStdString(values::currencyText(std::numeric_limits<std::int64_t>::max()))
        << "922337203685477.5807";
}

void TestAccessValues::decimals()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestAccessValues::numericBytes_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("expected");

    // Sign byte, then four little-endian 32-bit words, the most significant first.
    QTest::newRow("Numeric(18,6)") << QByteArray::fromHex("00"
                                                          "00000000"
                                                          "00000000"
                                                          "1c7c6a01"
                                                          "f1f4ede1")
                                   << 6 << "102030405060.654321";
    QTest::newRow("negative, below one") << QByteArray::fromHex("80"
                                                                "00000000"
                                                                "00000000"
                                                                "00000000"
                                                                "39300000")
                                         << 5 << "-0.12345";
    QTest::newRow("every word") << QByteArray::fromHex("00"
                                                       "01000000"
                                                       "02000000"
                                                       "03000000"
                                                       "04000000")
                                << 0 << "79228162551157825753847955460";
}

void TestAccessValues::numericBytes()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, scale);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(values::numericText(bytes(stored), scale)), expected);
}

void TestAccessValues::calculatedNumericBytes_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("expected");

    // Length, scale, sign, then the magnitude in little-endian pieces of 8 bytes, the most
    // significant first; a length that is no multiple of 8 starts with a piece of 4.
    QTest::newRow("one piece of 8") << QByteArray::fromHex("0a00"
                                                           "04"
                                                           "00"
                                                           "3930000000000000")
                                    << "1.2345";
    QTest::newRow("below one, negative") << QByteArray::fromHex("0a00"
                                                                "06"
                                                                "01"
                                                                "0700000000000000")
                                         << "-0.000007";
    QTest::newRow("pieces of 4 and 8") << QByteArray::fromHex("0e00"
                                                              "00"
                                                              "00"
                                                              "01000000"
                                                              "0200000000000000")
                                       << "18446744073709551618";
    QTest::newRow("two pieces of 8") << QByteArray::fromHex("1200"
                                                            "00"
                                                            "00"
                                                            "0100000000000000"
                                                            "0200000000000000")
                                     << "18446744073709551618";
    QTest::newRow("length from the size") << QByteArray::fromHex("0000"
                                                                 "02"
                                                                 "00"
                                                                 "0900000000000000")
                                          << "0.09";
    QTest::newRow("too short") << QByteArray::fromHex("0a00"
                                                      "00"
                                                      "00"
                                                      "0900")
                               << "";
    QTest::newRow("no magnitude") << QByteArray::fromHex("0300"
                                                         "00"
                                                         "00"
                                                         "0900000000000000")
                                  << "";
    QTest::newRow("stated past the bytes") << QByteArray::fromHex("1200"
                                                                  "00"
                                                                  "00"
                                                                  "0900000000000000")
                                           << "";
    QTest::newRow("scale beyond 38") << QByteArray::fromHex("0a00"
                                                            "27"
                                                            "00"
                                                            "0900000000000000")
                                     << "";
}

void TestAccessValues::calculatedNumericBytes()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);
    const std::string text =
        values::calculatedNumericText(bytes(stored), static_cast<std::size_t>(stored.size()));
    QCOMPARE(QString::fromStdString(text), expected);
}

void TestAccessValues::guid()
{
    // The first three groups are little-endian numbers, the last two plain bytes: Jackcess and
    // Access print the bytes 00 01 … 0F so.
    const QByteArray stored = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    QCOMPARE(QString::fromStdString(values::guidText(bytes(stored))),
             QStringLiteral("{03020100-0504-0706-0809-0A0B0C0D0E0F}"));
    const QByteArray high = QByteArray::fromHex("fedcba9876543210f0e1d2c3b4a59687");
    QCOMPARE(QString::fromStdString(values::guidText(bytes(high))),
             QStringLiteral("{98BADCFE-5476-1032-F0E1-D2C3B4A59687}"));
}

void TestAccessValues::text_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("UTF-16, every UTF-8 length")
        << QByteArray::fromHex("7f008000ff070008ffdbffdfffff")
        << QStringLiteral("\x7f\u0080\u07ff\u0800") + QString::fromUcs4(U"\U0010FFFF\uFFFF");
    QTest::newRow("odd byte at the end dropped") << QByteArray::fromHex("41004200") + "C"
                                                 << "AB";
    QTest::newRow("compressed runs") << QByteArray::fromHex("fffe"
                                                            "4142"
                                                            "00"
                                                            "1c043804"
                                                            "00"
                                                            "e9")
                                     << "ABМиé";
    // Two switches in a row inside an uncompressed run: an empty compressed run, no character.
    QTest::newRow("empty compressed run") << QByteArray::fromHex("fffe"
                                                                 "41"
                                                                 "00"
                                                                 "62006300"
                                                                 "0000"
                                                                 "6400650066006700")
                                          << "Abcdefg";
    QTest::newRow("compressed, nothing after the mark") << QByteArray::fromHex("fffe") << "";
    QTest::newRow("FF FE alone is no mark past the start") << QByteArray::fromHex("4100fffe") << "A\uFEFF";
    QTest::newRow("lone low surrogate") << QByteArray::fromHex("00dc4100") << "\uFFFDA";
    QTest::newRow("high surrogate at the end") << QByteArray::fromHex("41003dd8") << "A\uFFFD";
    QTest::newRow("two high surrogates") << QByteArray::fromHex("3dd83dd800de") << QStringLiteral("\uFFFD😀");
}

void TestAccessValues::text()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);
    const std::string text = values::jet4Text(bytes(stored), static_cast<std::size_t>(stored.size()));
    QCOMPARE(QString::fromStdString(text), expected);
    std::string appended = "x";
    values::appendJet4Text(appended, bytes(stored), static_cast<std::size_t>(stored.size()));
    QCOMPARE(QString::fromStdString(appended), "x" + expected);
}

// The run-at-a-time decoder against the unit-at-a-time one, on texts made of what trips a
// decoder: long ASCII runs (taken eight bytes at a time), the switch byte, the compression mark,
// Latin-1 and non-Latin units, surrogates of either half, alone or paired across a switch.
void TestAccessValues::textByRunsAsByUnits()
{
    const unsigned char tricky[] = {0x00, 0x00, 0xFF, 0xFE, 0x7F, 0x80, 0xE9, 0x01, 0x04,
                                    0x4E, 0xD8, 0xDB, 0xDC, 0xDF, 0x3D, 0x20, 0x0A, 0x5C};
    QRandomGenerator random(20261209);
    for (int round = 0; round < 30000; ++round) {
        std::vector<unsigned char> stored;
        if (round % 2 == 0)
            stored = {0xFF, 0xFE};
        const int length = static_cast<int>(random.bounded(48));
        const int asciiShare = static_cast<int>(random.bounded(101)); // percent of plain letters
        for (int i = 0; i < length; ++i) {
            if (static_cast<int>(random.bounded(100)) < asciiShare)
                stored.push_back(static_cast<unsigned char>('a' + random.bounded(26)));
            else if (random.bounded(4) == 0)
                stored.push_back(static_cast<unsigned char>(random.bounded(256)));
            else
                stored.push_back(tricky[random.bounded(static_cast<quint32>(sizeof tricky))]);
            // Plain text wants two-byte units: mostly a zero high byte after a letter. So do the
            // uncompressed runs of compressed text, in every other such text.
            if ((round % 2 == 1 || round % 4 == 2) && random.bounded(3) != 0)
                stored.push_back(0);
        }
        const std::string byUnits = values::jet4Text(stored.data(), stored.size());
        std::string byRuns = "prefix ";
        values::appendJet4Text(byRuns, stored.data(), stored.size());
        if (byRuns != "prefix " + byUnits)
            QFAIL(qPrintable(
                QStringLiteral("differs on %1")
                    .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(stored.data()),
                                                        static_cast<qsizetype>(stored.size()))
                                                 .toHex()))));
    }
}

void TestAccessValues::single_data()
{
    QTest::addColumn<quint32>("bits");
    QTest::addColumn<double>("expected");

    QTest::newRow("43.32") << 0x422d47aeu << 43.32;
    QTest::newRow("0.1") << 0x3dcccccdu << 0.1;
    QTest::newRow("one digit") << 0x40a00000u << 5.0;
    QTest::newRow("nine digits") << 0x38ecf2e2u << 0.000112985974;
    QTest::newRow("largest") << 0x7f7fffffu << 3.4028235e38;
    QTest::newRow("smallest subnormal") << 0x00000001u << 1e-45;
}

void TestAccessValues::single()
{
    QFETCH(quint32, bits);
    QFETCH(double, expected);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    // Compared digit for digit: a fuzzy comparison would let the float's own noise pass.
    QCOMPARE(QString::number(values::shortestSingle(value), 'g', 17), QString::number(expected, 'g', 17));
}

QTEST_APPLESS_MAIN(TestAccessValues)
#include "tst_accessvalues.moc"
