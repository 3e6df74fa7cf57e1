#include "data/mdbreader/PageFile.h"

#include <QtTest>

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// The reader child's page reads. On a network file system a read may be interrupted by a signal
// or return fewer bytes than asked; either is taken up again where it stopped, so that every page
// comes whole and in its place, and only the file's end stops the reading.
namespace
{

int s_interruptions = 0;   // reads left to fail as interrupted, every other one
std::size_t s_largest = 0; // the most bytes one read gives (0: all it is asked for)
int s_calls = 0;

constexpr std::size_t kPageSize = 4096;
constexpr std::uint32_t kPages = 300; // more than one large read's worth

unsigned char byteOf(std::uint32_t page, std::size_t at)
{
    return static_cast<unsigned char>((page * 31 + at * 7 + (at >> 8)) & 0xFF);
}

bool isPage(const unsigned char *bytes, std::uint32_t page)
{
    if (!bytes)
        return false;
    for (std::size_t at = 0; at < kPageSize; ++at) {
        if (bytes[at] != byteOf(page, at))
            return false;
    }
    return true;
}

} // namespace

// Stands in for the C library's pread in this test's process: the page file's reads come here.
extern "C" ssize_t pread(int fd, void *buffer, size_t count, off_t offset)
{
    ++s_calls;
    if (s_interruptions > 0 && s_calls % 2 == 1) {
        --s_interruptions;
        errno = EINTR;
        return -1;
    }
    if (s_largest != 0 && count > s_largest)
        count = s_largest;
    return static_cast<ssize_t>(syscall(SYS_pread64, fd, buffer, count, offset));
}

class TestPageFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void wholePages_data();
    void wholePages();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestPageFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("pages.mdb"));
    QByteArray bytes(static_cast<qsizetype>(kPageSize * kPages), Qt::Uninitialized);
    for (std::uint32_t page = 0; page < kPages; ++page) {
        for (std::size_t at = 0; at < kPageSize; ++at)
            bytes[static_cast<qsizetype>(page * kPageSize + at)] = static_cast<char>(byteOf(page, at));
    }
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

void TestPageFile::cleanup()
{
    s_interruptions = 0;
    s_largest = 0;
}

void TestPageFile::wholePages_data()
{
    QTest::addColumn<int>("interruptions");
    QTest::addColumn<int>("largest");
    QTest::newRow("uninterrupted") << 0 << 0;
    QTest::newRow("interrupted") << 10000 << 0;
    QTest::newRow("short reads") << 0 << 1000;
    QTest::newRow("short and interrupted") << 10000 << 5000;
}

// Pages in rising order (a table's data pages, read in large pieces) and one at a time, on a
// file that ends where it should and on one cut short: its remaining pages still come.
void TestPageFile::wholePages()
{
    QFETCH(int, interruptions);
    QFETCH(int, largest);
    s_interruptions = interruptions;
    s_largest = static_cast<std::size_t>(largest);
    s_calls = 0;
    const QByteArray path = QFile::encodeName(m_path);

    PageFile file(path.constData(), kPageSize, kPages);
    for (std::uint32_t page = 0; page < kPages; ++page)
        QVERIFY2(isPage(file.scan(page), page), qPrintable(QString::number(page)));
    for (const std::uint32_t page : {kPages - 1, 0u, 7u, 7u, 150u})
        QVERIFY2(isPage(file.read(page), page), qPrintable(QString::number(page)));
    QVERIFY(!file.read(kPages));
    QVERIFY(!file.scan(kPages));

    // The definitions promise 20 pages more than the file holds.
    PageFile cut(path.constData(), kPageSize, kPages + 20);
    for (std::uint32_t page = 0; page < kPages; ++page)
        QVERIFY2(isPage(cut.scan(page), page), qPrintable(QString::number(page)));
    QVERIFY(!cut.scan(kPages));
    QVERIFY(!cut.read(kPages + 3));
    QVERIFY(isPage(cut.read(kPages - 2), kPages - 2));

    // Not vacuous: the reads went through the stand-in, and were interrupted when asked to be.
    QVERIFY(s_calls > 0);
    if (interruptions > 0)
        QVERIFY(s_interruptions < interruptions);
}

QTEST_GUILESS_MAIN(TestPageFile)
#include "tst_pagefile.moc"
