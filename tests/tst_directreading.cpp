// The reader child finds a table's pages and rows on its own, reading the file in large pieces;
// libmdb's page-by-page walk stays as the general way (--general). Both must send the same stream,
// byte for byte: the same tables, rows, values and notes, and the same refusal of a damaged file.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "TestPaths.h"

namespace
{

struct Dump {
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
};

Dump runReader(QStringList arguments, bool general)
{
    if (general)
        arguments.append(QStringLiteral("--general"));
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral(ZELT_BIN_DIR "/zelt-mdb-reader"), arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(-1);
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit, process.exitCode(),
            process.readAllStandardOutput()};
}

// The names in a table list: the magic, then a 'T' record (length, UTF-8) for each table.
QStringList tablesIn(const QByteArray &stream)
{
    QStringList names;
    qsizetype at = 8;
    while (at + 5 <= stream.size() && stream[at] == 'T') {
        const auto *size = reinterpret_cast<const unsigned char *>(stream.constData() + at + 1);
        const qsizetype length = size[0] | size[1] << 8 | size[2] << 16 | qsizetype(size[3]) << 24;
        names.append(QString::fromUtf8(stream.mid(at + 5, length)));
        at += 5 + length;
    }
    return names;
}

struct Tally {
    int read = 0;    // tables read whole
    int refused = 0; // lists or tables refused
    qsizetype bytes = 0;
};

// Lists the file's tables and reads each, both ways; the streams must be equal.
void sameBothWays(const QString &file, Tally &tally)
{
    const Dump list = runReader({file, QStringLiteral("--tables")}, false);
    const Dump listGeneral = runReader({file, QStringLiteral("--tables")}, true);
    QVERIFY2(list.finished && listGeneral.finished, qPrintable(file));
    QCOMPARE(list.exitCode, listGeneral.exitCode);
    QVERIFY2(list.out == listGeneral.out, qPrintable(file + QStringLiteral(": the table lists differ")));
    if (list.exitCode != 0)
        ++tally.refused;
    for (const QString &table : tablesIn(list.out)) {
        const Dump direct = runReader({file, QStringLiteral("--table"), table}, false);
        const Dump general = runReader({file, QStringLiteral("--table"), table}, true);
        const QString where = file + QStringLiteral(", ") + table;
        QVERIFY2(direct.finished && general.finished, qPrintable(where));
        QVERIFY2(direct.exitCode == general.exitCode && direct.out == general.out,
                 qPrintable(where + QStringLiteral(": the streams differ (%1 and %2 bytes)")
                                        .arg(direct.out.size())
                                        .arg(general.out.size())));
        (direct.exitCode == 0 ? tally.read : tally.refused) += 1;
        tally.bytes += direct.out.size();
    }
}

} // namespace

class TestDirectReading : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameStreamOnEveryFile_data();
    void sameStreamOnEveryFile();
    void sameStreamOnDamagedCopies();
    void rowsOfNoColumns();
};

void TestDirectReading::sameStreamOnEveryFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("tables");
    QTest::newRow("sample") << QStringLiteral(ZELT_SAMPLE_DB) << 20;
    const QDir fixtures(QStringLiteral(ZELT_FIXTURES_DIR));
    const QStringList files =
        fixtures.entryList({QStringLiteral("*.mdb"), QStringLiteral("*.accdb")}, QDir::Files);
    QVERIFY2(files.size() >= 8, ZELT_FIXTURES_DIR);
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << fixtures.filePath(name) << 1;
}

void TestDirectReading::sameStreamOnEveryFile()
{
    QFETCH(QString, file);
    QFETCH(int, tables);
    Tally tally;
    sameBothWays(file, tally);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(tally.read >= tables, qPrintable(QString::number(tally.read)));
}

// Copies of the sample with bytes changed where the structure lies (page headers, row offset
// tables, the start of rows) and anywhere at all: whatever each copy gives, rows or a refusal, the
// two ways give it alike.
void TestDirectReading::sameStreamOnDamagedCopies()
{
    QFile sample(QStringLiteral(ZELT_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray original = sample.readAll();
    constexpr qsizetype kPage = 4096;
    QVERIFY(original.size() > 1000 * kPage);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QRandomGenerator random(917);
    Tally tally;
    const int copies =
#ifdef ZELT_SANITIZED
        3;
#else
        8;
#endif
    for (int copy = 0; copy < copies; ++copy) {
        QByteArray damaged = original;
        const auto pages = static_cast<quint32>(damaged.size() / kPage);
        for (int change = 0; change < 12; ++change) {
            // Past the first pages: the file's header and catalogue are libmdb's alone to read.
            const qsizetype page = 8 + random.bounded(pages - 8);
            const qsizetype offset = change % 2 ? random.bounded(64) : random.bounded(kPage);
            damaged[page * kPage + offset] = static_cast<char>(random.bounded(256));
        }
        const QString file = dir.filePath(QStringLiteral("damaged-%1.mdb").arg(copy));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(damaged) == damaged.size());
        out.close();
        sameBothWays(file, tally);
        if (QTest::currentTestFailed())
            return;
    }
    // Not vacuous: most tables still read, and the damage was seen somewhere.
    QVERIFY2(tally.read > copies * 15, qPrintable(QString::number(tally.read)));
    QVERIFY2(tally.refused > 0, "no copy was damaged where it shows");
}

// A row stored before its table had any column (a count of 0, no variable-length data) is a row
// of nulls that both ways read: neither refuses the table nor passes the row over, which would leave
// the table short of the rows its definition counts.
void TestDirectReading::rowsOfNoColumns()
{
    QFile sample(QStringLiteral(ZELT_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QByteArray copy = sample.readAll();
    constexpr qsizetype kPage = 4096;
    const auto u16At = [&copy](qsizetype at) {
        return static_cast<quint16>(static_cast<uchar>(copy[at]) | static_cast<uchar>(copy[at + 1]) << 8);
    };
    const auto putU16 = [&copy](qsizetype at, quint16 value) {
        copy[at] = static_cast<char>(value & 0xFF);
        copy[at + 1] = static_cast<char>(value >> 8);
    };
    // The first row of each table's first data page (type 1, its definition's page at offset 4,
    // not a long-value page) is the last one on the page: it ends where the page does.
    QSet<QByteArray> tables;
    for (qsizetype page = 8; page < copy.size() / kPage; ++page) {
        const qsizetype at = page * kPage;
        const QByteArray owner = copy.mid(at + 4, 4);
        if (copy[at] != 1 || owner == "LVAL" || tables.contains(owner) || u16At(at + 12) == 0)
            continue;
        tables.insert(owner);
        const qsizetype start = at + (u16At(at + 14) & 0x1FFF);
        const qsizetype end = at + kPage;
        putU16(start, 0);   // columns
        putU16(end - 2, 0); // variable-length columns
        putU16(end - 4, 2); // where their data would end: right after the count
    }
    QVERIFY2(tables.size() >= 20, qPrintable(QString::number(tables.size())));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("no-columns.mdb"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(copy) == copy.size());
    out.close();
    Tally tally;
    sameBothWays(file, tally);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(tally.refused, 0);
    QVERIFY2(tally.read >= 20, qPrintable(QString::number(tally.read)));
}

QTEST_GUILESS_MAIN(TestDirectReading)
#include "tst_directreading.moc"
