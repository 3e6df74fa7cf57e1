// The whole edition exported as one workbook from the structure page: its sheets against the
// engine's tables, and its Cancel.
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "data/Query.h"

#include <QDir>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "TestPaths.h"
#include "support/SpreadsheetReaders.h"
#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

class TestEditionExport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sheetsHoldEveryLevelInCodeOrder();
    void sampleEditionMatchesTheEngine();
    void cancelLeavesNoFile();

private:
    void openStructure(const QString &edition);
    qint64 countOf(const QString &statement);

    std::unique_ptr<DatabaseFolder> m_folder;
    std::unique_ptr<RunningWindow> m_running;
    dialogs::Recorder m_recorder;
    std::unique_ptr<QTemporaryDir> m_out;
    QString m_answer;
    QTemporaryDir m_settings;
};

void TestEditionExport::initTestCase()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
}

void TestEditionExport::init()
{
    m_out = std::make_unique<QTemporaryDir>();
    m_recorder = dialogs::Recorder();
    m_recorder.onSaveFile = [this](QFileDialog &) { return m_answer; };
    dialogs::installRecorder(&m_recorder);
    m_folder = std::make_unique<DatabaseFolder>();
}

void TestEditionExport::cleanup()
{
    m_running.reset();
    dialogs::installRecorder(nullptr);
}

void TestEditionExport::openStructure(const QString &edition)
{
    m_running = startWindow(m_folder->baseDirectory());
    pickEdition(*m_running, edition);
    QTest::mouseClick(m_running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    QCOMPARE(m_running->page(), 1);
}

qint64 TestEditionExport::countOf(const QString &statement)
{
    Query query(m_running->dtm.ADCMain, QStringLiteral("QryContagem"), {statement});
    query.open();
    return query.value(0, 0).toLongLong();
}

// The text cells of a sheet, row by row.
QVector<QStringList> rowsOf(const QJsonObject &book, const QString &sheet)
{
    QVector<QStringList> rows;
    for (const QJsonValue &row : book.value(sheet).toObject().value(QStringLiteral("cells")).toArray()) {
        QStringList texts;
        for (const QJsonValue &cell : row.toArray())
            texts.append(cell.toArray().at(0).toString());
        rows.append(texts);
    }
    return rows;
}

void TestEditionExport::sheetsHoldEveryLevelInCodeOrder()
{
    QCOMPARE(m_folder->create(tiny::database()), QString());
    openStructure(QStringLiteral("Alfa Teste"));
    m_answer = m_out->filePath(QStringLiteral("edicao.xlsx"));
    auto *link = m_running->find<LinkLabel>(QStringLiteral("LblExportarClassificacao_TbsEstrutura"));
    QVERIFY(link->isVisible());
    clickLink(link);
    QCOMPARE(m_recorder.errors, QStringList());

    const QJsonObject book = readXlsx(m_answer);
    QCOMPARE(book.value(QStringLiteral("sheets")).toArray(),
             (QJsonArray{QStringLiteral("Seções"), QStringLiteral("Divisões"), QStringLiteral("Grupos"),
                         QStringLiteral("Classes"), QStringLiteral("Subclasses"),
                         QStringLiteral("Atividades"), QStringLiteral("Edição")}));
    const auto d = [](const char *code) { return tiny::description(QLatin1String(code)); };
    const auto n = [](const char *kind, const char *code) {
        return tiny::notesOf(QLatin1String(kind), QLatin1String(code));
    };
    const QVector<QStringList> sections = rowsOf(book, QStringLiteral("Seções"));
    QCOMPARE(sections.value(0),
             (QStringList{QStringLiteral("Código"), QStringLiteral("Descrição"),
                          QStringLiteral("Notas explicativas"), QStringLiteral("Compreende"),
                          QStringLiteral("Compreende também"), QStringLiteral("Não compreende"),
                          QStringLiteral("Notas")}));
    QCOMPARE(sections.value(2), (QStringList{QStringLiteral("B"), d("B"), n("NTEXP", "B"), n("CCOMPRE", "B"),
                                             n("TCOMPRE", "B"), n("NCOMPRE", "B"), n("NOTAS", "B")}));
    // Division 06 has no notes: its note cells are empty, the columns stay for the others.
    const QVector<QStringList> divisions = rowsOf(book, QStringLiteral("Divisões"));
    QCOMPARE(divisions.size(), 4);
    QCOMPARE(divisions[3], (QStringList{QStringLiteral("06"), d("06"), QStringLiteral("B"), QString(),
                                        QString(), QString(), QString()}));
    const QVector<QStringList> classes = rowsOf(book, QStringLiteral("Classes"));
    QCOMPARE(classes.last(),
             (QStringList{QStringLiteral("0620-2"), d("06202"), QStringLiteral("062"), n("CCOMPRE", "06202"),
                          n("TCOMPRE", "06202"), n("NCOMPRE", "06202"), n("NOTAS", "06202")}));
    const QVector<QStringList> subclasses = rowsOf(book, QStringLiteral("Subclasses"));
    QCOMPARE(subclasses.size(), 6);
    QCOMPARE(subclasses.last().mid(0, 3),
             (QStringList{QStringLiteral("0620-2/02"), d("06202/02"), QStringLiteral("0620-2")}));
    QCOMPARE(
        rowsOf(book, QStringLiteral("Atividades")),
        (QVector<QStringList>{
            {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave")},
            {QStringLiteral("0111-1/01"), QStringLiteral("Colheita de cogumelo azul"),
             QStringLiteral("colheita, cogumelo")},
            {QStringLiteral("0620-2/02"), QStringLiteral("Envelhecimento de cata-vento de cobre"),
             QStringLiteral("envelhecimento, cobre")},
            {QStringLiteral("0620-2/88"), QStringLiteral("Cobre de reserva"), QStringLiteral("cobre")}}));
    QCOMPARE(rowsOf(book, QStringLiteral("Edição")).value(0),
             (QStringList{QStringLiteral("Edição"), QStringLiteral("Alfa Teste")}));
    const QJsonObject activities = book.value(QStringLiteral("Atividades")).toObject();
    QCOMPARE(activities.value(QStringLiteral("freeze")).toString(), QStringLiteral("A2"));
    QCOMPARE(activities.value(QStringLiteral("filter")).toString(), QStringLiteral("A1:C4"));
}

void TestEditionExport::sampleEditionMatchesTheEngine()
{
    QVERIFY(m_folder->copyFrom(QStringLiteral(ZELT_SQLITE_SAMPLE_DB)));
    openStructure(QStringLiteral("ZELT 2.0"));
    m_answer = m_out->filePath(QStringLiteral("zelt.xlsx"));
    QVector<qint64> told;
    m_recorder.onProgress = [&told](qint64 done, qint64 total) {
        told.append(done);
        return done <= total;
    };
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblExportarClassificacao_TbsEstrutura")));
    QCOMPARE(m_recorder.errors, QStringList());

    const QJsonObject book = readXlsx(m_answer);
    const char *const sheets[] = {"Seções", "Divisões", "Grupos", "Classes", "Subclasses", "Atividades"};
    const char *const tables[] = {"SECAO", "DIVISAO", "GRUPO", "CLASSE", "SUBCLASSE", "Atividade"};
    qint64 rows = 0;
    for (int i = 0; i < 6; ++i) {
        const qint64 expected =
            countOf(QStringLiteral("SELECT COUNT(*) FROM ZELT_200_%1").arg(QLatin1String(tables[i])));
        const QVector<QStringList> sheet = rowsOf(book, QString::fromUtf8(sheets[i]));
        QCOMPARE(sheet.size() - 1, expected);
        rows += expected;
        // Code order: each code sorts after the one before.
        for (int row = 2; row < sheet.size(); ++row)
            QVERIFY2(sheet[row - 1][0] <= sheet[row][0], qPrintable(sheet[row][0]));
    }
    // The progress went forward, up to all the rows.
    QVERIFY(told.size() > 2);
    QCOMPARE(told.first(), 0);
    QCOMPARE(told.last(), rows);
    QVERIFY(std::is_sorted(told.begin(), told.end()));
}

void TestEditionExport::cancelLeavesNoFile()
{
    QVERIFY(m_folder->copyFrom(QStringLiteral(ZELT_SQLITE_SAMPLE_DB)));
    openStructure(QStringLiteral("ZELT 2.0"));
    m_answer = m_out->filePath(QStringLiteral("cancelada.xlsx"));
    // Cancel pressed once a few thousand rows are written.
    m_recorder.onProgress = [](qint64 done, qint64) { return done < 4000; };
    clickLink(m_running->find<LinkLabel>(QStringLiteral("LblExportarClassificacao_TbsEstrutura")));
    QCOMPARE(m_recorder.errors, QStringList());
    QVERIFY(QDir(m_out->path()).isEmpty());
}

QTEST_MAIN(TestEditionExport)
#include "tst_editionexport.moc"
