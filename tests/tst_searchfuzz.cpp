// Generated search texts through the real search run of the real window on a copy of the sample:
// no crash, no hang, results or exactly one error dialog, user text only ever inside the literals
// of the one search statement, and a database file left as it was.
#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "search/SearchExpression.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "support/SearchTexts.h"
#include "support/WindowDriver.h"
#include "TestPaths.h"

namespace
{

// Rounds of 1,000 searches, each a test row of its own so that no one row runs for long.
#ifdef ZELT_SANITIZED
constexpr int kRounds = 2; // the sanitizers make each search several times slower
#else
constexpr int kRounds = 20;
#endif
constexpr int kSearchesPerRound = 1000;
constexpr quint32 kSeed = 20240517;

// The statement with every text literal ('...', '' inside) replaced by '?'; the empty text when a
// literal is left open.
QString skeleton(const QString &statement)
{
    QString out;
    for (qsizetype i = 0; i < statement.size(); ++i) {
        if (statement.at(i) != QLatin1Char('\'')) {
            out += statement.at(i);
            continue;
        }
        ++i;
        for (;; ++i) {
            if (i >= statement.size())
                return {};
            if (statement.at(i) == QLatin1Char('\'')) {
                if (i + 1 < statement.size() && statement.at(i + 1) == QLatin1Char('\''))
                    ++i;
                else
                    break;
            }
        }
        out += QLatin1Char('?');
    }
    return out;
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

} // namespace

class TestSearchFuzz : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void generatedTexts_data();
    void generatedTexts();

private:
    void search(const QString &text);
    // Learns the shape of the statements from a plain one-word search of the current edition.
    void learnShapes();
    void checkRun(const QString &typed, int errorsBefore, int warningsBefore);

    DatabaseFolder m_folder;
    QByteArray m_hashBefore;
    QDateTime m_modifiedBefore;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
    QString m_head;           // the search statement before the first word's condition
    QString m_tail;           // and after the last
    QString m_lookupSkeleton; // the stop-word lookup
    int m_plainCount = 0;
    QSet<QString> m_errorKinds;
};

void TestSearchFuzz::search(const QString &text)
{
    m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
}

void TestSearchFuzz::learnShapes()
{
    const int errors = m_recorder.errors.size();
    search(QStringLiteral("venda"));
    QCOMPARE(m_recorder.errors.size(), errors);
    m_plainCount = m_running->dtm.QryPesquisa.recordCount();
    QVERIFY(m_plainCount > 0);
    const QString statement = skeleton(m_running->dtm.QryPesquisa.sql().join(QLatin1Char('\n')));
    const QString condition = QStringLiteral(" AND (Palavra_Chave LIKE ?)");
    const qsizetype at = statement.indexOf(condition);
    QVERIFY2(at > 0 && statement.startsWith(QLatin1String("SELECT ")), qPrintable(statement));
    m_head = statement.left(at);
    m_tail = statement.mid(at + condition.size());
    m_lookupSkeleton = skeleton(m_running->dtm.QryPesquisaAux.sql().join(QLatin1Char('\n')));
    QVERIFY2(m_lookupSkeleton.startsWith(QLatin1String("SELECT ")) &&
                 m_lookupSkeleton.endsWith(QLatin1Char('?')),
             qPrintable(m_lookupSkeleton));
}

void TestSearchFuzz::checkRun(const QString &typed, int errorsBefore, int warningsBefore)
{
    const QString context =
        QStringLiteral("text %1").arg(QString::fromLatin1(typed.toUtf8().toPercentEncoding()));
    const int newErrors = m_recorder.errors.size() - errorsBefore;
    const int newWarnings = m_recorder.warnings.size() - warningsBefore;
    if (typed.isEmpty()) {
        QVERIFY2(newErrors == 0 && newWarnings == 1, qPrintable(context));
        return;
    }
    // A text over the limit is refused with a warning before any statement runs.
    const bool overLimit =
        doubleApostrophes(trimSearchText(RemoveAcentos(typed))).size() > MaxSearchTextLength;
    if (overLimit) {
        QVERIFY2(
            newWarnings == 1 && newErrors == 0 &&
                m_recorder.warnings.last().startsWith(QStringLiteral("O texto da pesquisa é longo demais")),
            qPrintable(context));
        return;
    }
    QVERIFY2(newWarnings == 0, qPrintable(context));
    QVERIFY2(newErrors <= 1,
             qPrintable(context + QStringLiteral(": ") + m_recorder.errors.join(QStringLiteral(" | "))));

    // Whatever reached the engine: the one statement of the search, the user's text inside its
    // literals only, and its stop-word lookups.
    static const QRegularExpression conditions(QStringLiteral(
        R"(^(?: AND \((?:NOT )?Palavra_Chave LIKE \?\)| AND \( \(Codigo_Cla LIKE \?\)(?: OR \(Codigo_Sub = \? AND Codigo_Cla = \?\))? \))*$)"));
    const QStringList sql = m_running->dtm.QryPesquisa.sql();
    QVERIFY2(sql.size() == 1, qPrintable(context));
    const QString shape = skeleton(sql.first());
    QVERIFY2(shape.startsWith(m_head) && shape.endsWith(m_tail) &&
                 conditions.match(shape.mid(m_head.size(), shape.size() - m_head.size() - m_tail.size()))
                     .hasMatch(),
             qPrintable(context + QStringLiteral(": ") + sql.first().left(2000)));
    QCOMPARE(skeleton(m_running->dtm.QryPesquisaAux.sql().join(QLatin1Char('\n'))), m_lookupSkeleton);

    if (newErrors == 1) {
        const QString error = m_recorder.errors.last();
        QVERIFY2(!error.trimmed().isEmpty(), qPrintable(context));
        // The engine's refusals of anything but one reading statement must never be needed.
        QVERIFY2(!error.startsWith(QLatin1String("Only ")),
                 qPrintable(context + QStringLiteral(": ") + error));
        // Nor may a composed statement ever be malformed.
        QVERIFY2(!error.contains(QLatin1String("syntax error")) &&
                     !error.contains(QLatin1String("unrecognized token")),
                 qPrintable(context + QStringLiteral(": ") + error));
        m_errorKinds.insert(error.left(60));
        return;
    }
    QVERIFY2(m_running->page() == 7, qPrintable(context));
    const int rows = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"))->model()->rowCount();
    QVERIFY2(rows == m_running->dtm.QryPesquisa.recordCount(), qPrintable(context));
    QVERIFY2(m_running->text(QStringLiteral("LblNumeroRegistros")) == QString::number(rows),
             qPrintable(context));
}

void TestSearchFuzz::initTestCase()
{
    QVERIFY(m_folder.copyFrom(QStringLiteral(ZELT_SAMPLE_DB)));
    QFile file(m_folder.databasePath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    // An old time, so that a write in the same second as the copy would still show.
    QVERIFY(
        file.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5)), QFileDevice::FileModificationTime));
    file.close();
    m_hashBefore = fileHash(m_folder.databasePath());
    m_modifiedBefore = QFileInfo(m_folder.databasePath()).lastModified();
}

void TestSearchFuzz::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
}

void TestSearchFuzz::cleanup()
{
    if (m_running)
        m_running->window->close();
    m_running.reset();
    dialogs::installRecorder(nullptr);
    QCOMPARE(fileHash(m_folder.databasePath()), m_hashBefore);
    QCOMPARE(QFileInfo(m_folder.databasePath()).lastModified(), m_modifiedBefore);
    QCOMPARE(QDir(m_folder.baseDirectory() + QStringLiteral("/Database"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("ZELT.mdb")}));
}

void TestSearchFuzz::cleanupTestCase()
{
    QStringList kinds = m_errorKinds.values();
    kinds.sort();
    qInfo("%d searches; errors seen: %s", kRounds * kSearchesPerRound,
          qPrintable(kinds.join(QStringLiteral(" | "))));
}

void TestSearchFuzz::generatedTexts_data()
{
    QTest::addColumn<int>("round");
    for (int round = 0; round < kRounds; ++round)
        QTest::addRow("round %d", round) << round;
}

void TestSearchFuzz::generatedTexts()
{
    QFETCH(int, round);
    m_running = startWindow(m_folder.baseDirectory());
    QCOMPARE(m_recorder.errors, QStringList());

    // Each round on an edition in turn, in either order: the statement's tail changes with both.
    auto *editions = m_running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    QVERIFY(editions->count() > 0);
    pickEdition(*m_running, editions->itemText(round % editions->count()));
    m_running
        ->find<QRadioButton>(QLatin1String(round / editions->count() % 2 ? "RdbCodigo" : "RdbAlfabetica"))
        ->setChecked(true);
    m_recorder.warnings.clear(); // a frozen edition warns when picked
    learnShapes();
    if (QTest::currentTestFailed())
        return;

    TextGenerator generator(kSeed + quint32(round));
    for (int i = 0; i < kSearchesPerRound; ++i) {
        const QString text = generator.next();
        const int errorsBefore = m_recorder.errors.size();
        const int warningsBefore = m_recorder.warnings.size();
        search(text);
        checkRun(text, errorsBefore, warningsBefore);
        if (QTest::currentTestFailed())
            return;
        // Whatever came before, a plain search still finds what it found at first.
        if (i % 250 == 249) {
            const int errorsBeforePlain = m_recorder.errors.size();
            search(QStringLiteral("venda"));
            QCOMPARE(m_recorder.errors.size(), errorsBeforePlain);
            QCOMPARE(m_running->dtm.QryPesquisa.recordCount(), m_plainCount);
        }
    }
}

QTEST_MAIN(TestSearchFuzz)
#include "tst_searchfuzz.moc"
