#include "search/SearchHistory.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSearchHistory : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void newestFirstAndDistinct();
    void keepsTheLastTwenty();
    void keptBetweenRunsAndCleared();
    void writesAtMostOnceASecond();

private:
    std::unique_ptr<QTemporaryDir> m_settings;
};

void TestSearchHistory::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
}

void TestSearchHistory::newestFirstAndDistinct()
{
    SearchHistory history;
    QCOMPARE(history.entries(), QStringList());
    for (const char *text :
         {"venda de carros", "  cobre ", "   ", "", "0111-3", "Venda de Carros", "AÇÃO", "acao"})
        history.remember(QString::fromUtf8(text));
    QCOMPARE(history.entries(), (QStringList{QStringLiteral("acao"), QStringLiteral("Venda de Carros"),
                                             QStringLiteral("0111-3"), QStringLiteral("cobre")}));
}

void TestSearchHistory::keepsTheLastTwenty()
{
    SearchHistory history;
    for (int i = 1; i <= 25; ++i)
        history.remember(QStringLiteral("palavra%1").arg(i));
    QStringList expected;
    for (int i = 25; i > 5; --i)
        expected.append(QStringLiteral("palavra%1").arg(i));
    QCOMPARE(history.entries(), expected);

    // Searching an old one again brings it to the front without losing another.
    history.remember(QStringLiteral("palavra10"));
    QCOMPARE(history.entries().size(), 20);
    QCOMPARE(history.entries().first(), QStringLiteral("palavra10"));
    QCOMPARE(history.entries().last(), QStringLiteral("palavra6"));
}

void TestSearchHistory::keptBetweenRunsAndCleared()
{
    {
        SearchHistory history;
        history.remember(QStringLiteral("moinho"));
        history.remember(QStringLiteral("cobre"));
    }
    // The settings file is the only thing written, in the user's settings folder.
    QStringList files;
    for (QDirIterator it(m_settings->path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files.append(QDir(m_settings->path()).relativeFilePath(it.next()));
    QCOMPARE(files, QStringList{QStringLiteral("ZELT/ZELT.ini")});

    SearchHistory later;
    QCOMPARE(later.entries(), (QStringList{QStringLiteral("cobre"), QStringLiteral("moinho")}));
    later.clear();
    QCOMPARE(SearchHistory().entries(), QStringList());
}

// What the settings file holds on disk, whatever QSettings keeps in memory.
static QByteArray settingsFile(const QString &folder)
{
    QFile file(folder + QStringLiteral("/ZELT/ZELT.ini"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestSearchHistory::writesAtMostOnceASecond()
{
    const QString folder = m_settings->path();
    {
        SearchHistory history;
        history.remember(QStringLiteral("moinho"));
        QVERIFY(settingsFile(folder).contains("moinho")); // the first change is written at once
        history.remember(QStringLiteral("cobre"));
        history.remember(QStringLiteral("soja"));
        QCOMPARE(history.entries().first(), QStringLiteral("soja"));
        QVERIFY(!settingsFile(folder).contains("soja"));
        QTRY_VERIFY_WITH_TIMEOUT(settingsFile(folder).contains("soja"), 3000);
        QVERIFY(settingsFile(folder).contains("cobre"));

        // A change within the second after a write waits; leaving writes it.
        history.remember(QStringLiteral("trigo"));
        QVERIFY(!settingsFile(folder).contains("trigo"));
    }
    QVERIFY(settingsFile(folder).contains("trigo"));
    QCOMPARE(SearchHistory().entries(), (QStringList{QStringLiteral("trigo"), QStringLiteral("soja"),
                                                     QStringLiteral("cobre"), QStringLiteral("moinho")}));
}

QTEST_GUILESS_MAIN(TestSearchHistory)
#include "tst_searchhistory.moc"
