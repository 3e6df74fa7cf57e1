#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <sqlite3.h>

#include "support/TestDatabase.h"
#include "TestPaths.h"

namespace
{

struct Activity {
    QString cla;
    QString sub;
    QString descricao;
    QStringList keywords;
};

// The edition's activities read straight from the file, past the program's data layer, so that
// what the search finds can be checked against what it should find.
QVector<Activity> readActivities(const QString &path, const QString &prefix, QString &error)
{
    QVector<Activity> activities;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return activities;
    }
    const QByteArray sql =
        QStringLiteral("SELECT Codigo_Cla, Codigo_Sub, Descricao_Cla, Palavra_Chave FROM %1_Atividade")
            .arg(prefix)
            .toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        const auto text = [statement](int column) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
        };
        while (sqlite3_step(statement) == SQLITE_ROW)
            activities.append(
                {text(0), text(1), text(2), text(3).toLower().split(QLatin1Char('|'), Qt::SkipEmptyParts)});
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return activities;
}

using Predicate = std::function<bool(const Activity &)>;

bool anyKeyword(const Activity &a, const std::function<bool(const QString &)> &test)
{
    return std::any_of(a.keywords.begin(), a.keywords.end(), test);
}

} // namespace

Q_DECLARE_METATYPE(Predicate)

class TestSearchSample : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void examplesFindWhatTheyDescribe_data();
    void examplesFindWhatTheyDescribe();
    void synonymsLeadToWhatIsFiledUnderTheOtherWord();

private:
    // The search runs on both kinds of file the engine reads: the Access sample and the same
    // content as SQLite, chosen by the data row's tag ("sqlite ..." or any other).
    QTemporaryDir m_access;
    QTemporaryDir m_sqlite;
    const QTemporaryDir &base() const
    {
        return QByteArray(QTest::currentDataTag()).startsWith("sqlite") ? m_sqlite : m_access;
    }
    dialogs::Recorder m_recorder;
    std::unique_ptr<TDtmMain> m_dtm;
    std::unique_ptr<TFrmMain> m_window;
};

void TestSearchSample::initTestCase()
{
    for (const QTemporaryDir *dir : {&m_access, &m_sqlite})
        QVERIFY(dir->isValid() && QDir(dir->path()).mkpath(QStringLiteral("Database")));
    QVERIFY(testdb::copyFile(QStringLiteral(ZELT_SAMPLE_DB),
                             m_access.filePath(QStringLiteral("Database/ZELT.mdb"))));
    QVERIFY(testdb::copyFile(QStringLiteral(ZELT_SQLITE_SAMPLE_DB),
                             m_sqlite.filePath(QStringLiteral("Database/ZELT.mdb"))));
}

void TestSearchSample::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_dtm = std::make_unique<TDtmMain>();
    m_window = std::make_unique<TFrmMain>(*m_dtm, base().path());
    m_window->show();
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestSearchSample::cleanup()
{
    m_window.reset();
    m_dtm.reset();
    dialogs::installRecorder(nullptr);
}

void TestSearchSample::examplesFindWhatTheyDescribe_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<Predicate>("matches");

    const QList<QPair<QString, QString>> editions = {{"ZELT 2.0", "ZELT_200"},
                                                     {"ZELT 2.1 - Subclasses", "ZELT_210"}};
    for (const char *kind : {"access", "sqlite"}) {
        for (const auto &edition : editions) {
            const QByteArray tag =
                QByteArray(kind) + (edition.second == QLatin1String("ZELT_200") ? " 2.0" : " 2.1");
            const char *name = tag.constData();
            QTest::addRow("%s automov*", name)
                << edition.first << "automov*" << Predicate([](const Activity &a) {
                       return anyKeyword(
                           a, [](const QString &k) { return k.startsWith(QLatin1String("automov")); });
                   });
            QTest::addRow("%s *roubo", name) << edition.first << "*roubo" << Predicate([](const Activity &a) {
                return anyKeyword(a, [](const QString &k) { return k.endsWith(QLatin1String("roubo")); });
            });
            QTest::addRow("%s *mercad*", name)
                << edition.first << "*mercad*" << Predicate([](const Activity &a) {
                       return anyKeyword(
                           a, [](const QString &k) { return k.contains(QLatin1String("mercad")); });
                   });
            QTest::addRow("%s +reatores -nucleares", name)
                << edition.first << "+reatores -nucleares" << Predicate([](const Activity &a) {
                       return !a.keywords.isEmpty() && a.keywords.first() == QLatin1String("reatores") &&
                              !a.keywords.contains(QLatin1String("nucleares"));
                   });
            QTest::addRow("%s venda de carros", name)
                << edition.first << "venda de carros" << Predicate([](const Activity &a) {
                       return a.keywords.contains(QLatin1String("venda")) &&
                              a.keywords.contains(QLatin1String("carros"));
                   });
            QTest::addRow("%s Automóveis", name)
                << edition.first << QStringLiteral("Automóveis") << Predicate([](const Activity &a) {
                       return a.keywords.contains(QLatin1String("automoveis"));
                   });
            QTest::addRow("%s division code", name)
                << edition.first << "01"
                << Predicate([](const Activity &a) { return a.cla.startsWith(QLatin1String("01")); });
        }
    }
}

void TestSearchSample::examplesFindWhatTheyDescribe()
{
    QFETCH(QString, edicao);
    QFETCH(QString, texto);
    QFETCH(Predicate, matches);

    auto *combo = m_window->findChild<DataLookupCombo *>(QStringLiteral("CmbClassificacao"));
    const int index = combo->findText(edicao);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    const bool subclassEdition = isSubclassEdition(edicao);

    QString error;
    // The same rows, read straight from the SQLite sample.
    const QVector<Activity> activities =
        readActivities(QStringLiteral(ZELT_SQLITE_SAMPLE_DB), m_window->nav.PrefixoTabela, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList expected;
    for (const Activity &a : activities) {
        if (matches(a) && !(subclassEdition && a.sub == QLatin1String("88")))
            expected.append(a.descricao.left(500));
    }
    QVERIFY2(!expected.isEmpty(), "the sample holds no activity for this example");

    m_window->findChild<QLineEdit *>(QStringLiteral("EdtPesquisa"))->setText(texto);
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCOMPARE(m_recorder.errors, QStringList());

    const Query &results = m_dtm->QryPesquisa;
    QStringList found;
    QStringList order;
    const int descricao = results.columnIndex(QStringLiteral("Descricao"));
    const int cla = results.columnIndex(QStringLiteral("Codigo_Cla"));
    const int sub = results.columnIndex(QStringLiteral("Codigo_Sub"));
    for (int row = 0; row < results.recordCount(); ++row) {
        found.append(results.value(row, descricao).toString());
        order.append(results.value(row, cla).toString() +
                     (subclassEdition ? results.value(row, sub).toString() : QString()));
    }
    QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("LblNumeroRegistros"))->text(),
             QString::number(expected.size()));
    // Ordered by code (the start-up choice), by class and subclass in a subclass edition.
    QStringList sortedOrder = order;
    sortedOrder.sort();
    QCOMPARE(order, sortedOrder);
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

// The help window promises that "venda de carros" finds what is filed under "comercio de carros";
// the search reads only the keywords, so the sample's keywords must carry the synonyms.
void TestSearchSample::synonymsLeadToWhatIsFiledUnderTheOtherWord()
{
    auto *combo = m_window->findChild<DataLookupCombo *>(QStringLiteral("CmbClassificacao"));
    const int index = combo->findText(QStringLiteral("ZELT 2.0"));
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    m_window->findChild<QLineEdit *>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("venda de carros"));
    QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCOMPARE(m_recorder.errors, QStringList());

    const Query &results = m_dtm->QryPesquisa;
    const int descricao = results.columnIndex(QStringLiteral("Descricao"));
    QStringList comercio;
    for (int row = 0; row < results.recordCount(); ++row) {
        const QString text = results.value(row, descricao).toString();
        if (text.startsWith(QStringLiteral("Comércio de carros ")))
            comercio.append(text);
    }
    QVERIFY2(!comercio.isEmpty(), "no activity described as \"Comércio de carros ...\" was found");
}

QTEST_MAIN(TestSearchSample)
#include "tst_searchsample.moc"
