#include "app/DataGrid.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "data/Connection.h"
#include "data/DataError.h"

#include <QLabel>
#include <QTest>

#include <functional>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"
#include "TestPaths.h"

namespace
{

const char *const kTbs[] = {"",         "TbsEstrutura", "TbsSecao",    "TbsDivisao",
                            "TbsGrupo", "TbsClasse",    "TbsSubClasse"};
const char *const kLevels[] = {"Secao", "Divisao", "Grupo", "Classe", "SubClasse"};
const char *const kNoteKinds[] = {"CCOMPRE", "TCOMPRE", "NCOMPRE", "NOTAS"};

// The B path of the tiny classification: section B, division 06, group 062, class 06202, subclass 02.
const QStringList kPathB = {QStringLiteral("B"), QStringLiteral("06"), QStringLiteral("062"),
                            QStringLiteral("06202"), QStringLiteral("02")};

QString name(const char *prefix, const char *level, int page)
{
    return QStringLiteral("Lbl%1%2_%3")
        .arg(QLatin1String(prefix), QLatin1String(level), QLatin1String(kTbs[page]));
}

// The code as the pages show it (class XXXX-X, subclass XXXX-X/XX) and its key in the fixture.
QString shownCode(const QStringList &codes, int level)
{
    const QString &cla = codes.value(3);
    if (level == 3)
        return cla.left(4) + QLatin1Char('-') + cla.right(1);
    if (level == 4)
        return cla.left(4) + QLatin1Char('-') + cla.right(1) + QLatin1Char('/') + codes[4];
    return codes[level];
}

QString fixtureKey(const QStringList &codes, int level)
{
    return level == 4 ? codes[3] + QLatin1Char('/') + codes[4] : codes[level];
}

QStringList levelCodes(const NavigationState &nav)
{
    return {nav.CodSecao, nav.CodDivisao, nav.CodGrupo, nav.CodClasse, nav.CodSubClasse};
}

// A level page (2 to 6) of the tiny classification's clean edition showing the item `codes`:
// every hierarchy label, the heading, the level codes and the note texts.
void checkLevelPage(const RunningWindow &r, int page, const QStringList &codes)
{
    QCOMPARE(r.page(), page);
    const int levels = page - 1;
    for (int level = 0; level < levels; ++level) {
        QCOMPARE(r.text(name("Cod", kLevels[level], page)), shownCode(codes, level));
        QCOMPARE(r.text(name("Descricao", kLevels[level], page)),
                 tiny::description(fixtureKey(codes, level)));
    }
    QCOMPARE(r.text(name("DescricaoZelt", "", page)), r.window->nav.DescricaoPagina);
    QStringList expectedCodes = codes.mid(0, levels);
    while (expectedCodes.size() < 5)
        expectedCodes.append(QString());
    QCOMPARE(levelCodes(r.window->nav), expectedCodes);

    const NavigationState &nav = r.window->nav;
    const QString own = fixtureKey(codes, levels - 1);
    const bool nullNotes = own == QLatin1String("06");
    const auto note = [&](const char *kind) {
        return nullNotes ? QString() : tiny::notesOf(QLatin1String(kind), own);
    };
    QCOMPARE(nav.NotaExplicativa, page == 2 ? note("NTEXP") : QString());
    const QStringList notes = {nav.Compreende, nav.TambemCompreende, nav.NaoCompreende, nav.Notas};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(notes[i], note(kNoteKinds[i]));
}

void checkChildren(const RunningWindow &r, int page, const QStringList &codes, const QString &title)
{
    const DataGrid *grid = r.gridOfPage(page);
    QCOMPARE(columnTexts(grid, 0), codes);
    QCOMPARE(grid->columnTitle(0), QString());
    QCOMPARE(grid->columnTitle(1), title);
    QCOMPARE(grid->currentIndex().row(), codes.isEmpty() ? -1 : 0);
}

QString memoText(const RunningWindow &r, const char *memo)
{
    return r.find<DataMemo>(QLatin1String(memo))->toPlainText();
}

} // namespace

class TestHierarchyBrowser : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void walkDownAndBackUp();
    void ancestorLinks_data();
    void ancestorLinks();
    void ancestorLinksAfterReenteringHigherPage();
    void emptyListsOpenNothing_data();
    void emptyListsOpenNothing();
    void failureLeavesPageSwitchedAndLabelsAsTheyWere_data();
    void failureLeavesPageSwitchedAndLabelsAsTheyWere();
    void unknownCodesFromResults();
    void sampleClassWithoutSubclasses();

private:
    std::unique_ptr<RunningWindow> startTiny();

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
};

void TestHierarchyBrowser::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestHierarchyBrowser::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

std::unique_ptr<RunningWindow> TestHierarchyBrowser::startTiny()
{
    const QString failure = m_db->create(tiny::database());
    if (!failure.isEmpty())
        qFatal("%s", qPrintable(failure));
    return startWindow(m_db->baseDirectory());
}

void TestHierarchyBrowser::walkDownAndBackUp()
{
    auto r = startTiny();
    browseDown(*r, {});
    QCOMPARE(r->page(), 1);
    const DataGrid *sections = r->gridOfPage(1);
    QCOMPARE(columnTexts(sections, 0), QStringList({"A", "B"}));
    QCOMPARE(columnTexts(sections, 1), QStringList({"01", "05"}));
    QCOMPARE(columnTexts(sections, 2), QStringList({"01", "06"}));
    QCOMPARE(columnTexts(sections, 3), QStringList({tiny::description("A"), tiny::description("B")}));
    QCOMPARE(r->text("LblDescricaoZelt_TbsEstrutura"), QStringLiteral("Página da edição Alfa Teste"));

    // The description column opens the row's section as the code does.
    clickRow(r->gridOfPage(1), 1, 3);
    checkLevelPage(*r, 2, kPathB);
    checkChildren(*r, 2, {"05", "06"}, QStringLiteral("Esta seção contém as seguintes divisões:"));
    QCOMPARE(memoText(*r, "MemTbsSecao"), tiny::description("05"));
    // The arrows move the row and the memo, and open nothing.
    QTest::keyClick(r->gridOfPage(2), Qt::Key_Down);
    QCOMPARE(r->page(), 2);
    QCOMPARE(memoText(*r, "MemTbsSecao"), tiny::description("06"));

    clickRow(r->gridOfPage(2), 1);
    checkLevelPage(*r, 3, kPathB);
    QVERIFY(r->find<QLabel>("LblDescricaoDivisao_TbsDivisao")->wordWrap());
    checkChildren(*r, 3, {"061", "062"}, QStringLiteral("Esta divisão contém os seguintes grupos:"));
    QCOMPARE(memoText(*r, "MemTbsDivisao"), tiny::description("061"));

    clickRow(r->gridOfPage(3), 1);
    checkLevelPage(*r, 4, kPathB);
    checkChildren(*r, 4, {"0620-1", "0620-2"}, QStringLiteral("Este Grupo contém as seguintes classes:"));
    QCOMPARE(memoText(*r, "MemTbsGrupo"), tiny::description("06201"));

    clickRow(r->gridOfPage(4), 1);
    checkLevelPage(*r, 5, kPathB);
    checkChildren(*r, 5, {"0620-2/01", "0620-2/02"},
                  QStringLiteral("Esta Classe contém as seguintes subclasses:"));
    QCOMPARE(memoText(*r, "MemTbsSubClasse"), tiny::description("06202/01"));

    clickRow(r->gridOfPage(5), 1);
    checkLevelPage(*r, 6, kPathB);

    // Back up, one level at a time, each page whole again.
    clickLink(r->find<LinkLabel>("LblCodClasse_TbsSubClasse"));
    checkLevelPage(*r, 5, kPathB.mid(0, 4));
    clickLink(r->find<LinkLabel>("LblCodGrupo_TbsClasse"));
    checkLevelPage(*r, 4, kPathB.mid(0, 3));
    clickLink(r->find<LinkLabel>("LblCodDivisao_TbsGrupo"));
    checkLevelPage(*r, 3, kPathB.mid(0, 2));
    clickLink(r->find<LinkLabel>("LblCodSecao_TbsDivisao"));
    checkLevelPage(*r, 2, kPathB.mid(0, 1));
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestHierarchyBrowser::ancestorLinks_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("to");
    for (int from = 3; from <= 6; ++from) {
        for (int to = 2; to < from; ++to) {
            const QString link = name("Cod", kLevels[to - 2], from);
            QTest::newRow(qPrintable(link)) << from << link << to;
        }
    }
}

// Every ancestor link of every page opens the ancestor it shows, even when that ancestor is not
// the first of its list.
void TestHierarchyBrowser::ancestorLinks()
{
    QFETCH(int, from);
    QFETCH(QString, link);
    QFETCH(int, to);
    auto r = startTiny();
    browseDown(*r, QVector<int>(from - 1, 1));
    checkLevelPage(*r, from, kPathB.mid(0, from - 1));
    auto *label = r->find<LinkLabel>(link);
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    clickLink(label);
    checkLevelPage(*r, to, kPathB.mid(0, to - 1));
}

// Re-entering a higher page by an ancestor link puts its list on the child the way came from;
// the path back up then follows the new way down, not the old one.
void TestHierarchyBrowser::ancestorLinksAfterReenteringHigherPage()
{
    auto r = startTiny();
    browseDown(*r, {1, 1, 1, 1, 1});
    clickLink(r->find<LinkLabel>("LblCodDivisao_TbsSubClasse"));
    checkLevelPage(*r, 3, kPathB.mid(0, 2));
    QCOMPARE(memoText(*r, "MemTbsDivisao"), tiny::description("062"));

    clickRow(r->gridOfPage(3), 0);
    clickRow(r->gridOfPage(4), 0);
    const QStringList path061 = {"B", "06", "061", "06101"};
    checkLevelPage(*r, 5, path061);
    clickLink(r->find<LinkLabel>("LblCodGrupo_TbsClasse"));
    checkLevelPage(*r, 4, path061.mid(0, 3));

    // The structure page, entered again from below, stands on the section the way came from.
    clickLink(r->find<LinkLabel>("LblLinkCabecalho1"));
    QCOMPARE(r->page(), 1);
    QCOMPARE(r->gridOfPage(1)->currentIndex().row(), 1);
    clickRow(r->gridOfPage(1), 0);
    checkLevelPage(*r, 2, {"A"});
}

void TestHierarchyBrowser::emptyListsOpenNothing_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QVector<int>>("rows");
    QTest::newRow("no sections") << "Delta Vazia" << QVector<int>();
    QTest::newRow("section without divisions") << "Beta Defeituosa" << QVector<int>({0});
    QTest::newRow("division without groups") << "Beta Defeituosa" << QVector<int>({1, 0});
    QTest::newRow("group without classes") << "Beta Defeituosa" << QVector<int>({1, 1, 0});
    QTest::newRow("class without subclasses") << "Alfa Teste" << QVector<int>({1, 1, 1, 0});
}

void TestHierarchyBrowser::emptyListsOpenNothing()
{
    QFETCH(QString, edition);
    QFETCH(QVector<int>, rows);
    auto r = startTiny();
    pickEdition(*r, edition);
    browseDown(*r, rows);
    const int page = r->page();
    DataGrid *grid = r->gridOfPage(page);
    QCOMPARE(grid->model()->rowCount(), 0);
    if (page == 5) {
        QCOMPARE(grid->columnTitle(1), QStringLiteral("Não existe subclasse cadastrada para esta classe."));
        QCOMPARE(memoText(*r, "MemTbsSubClasse"), QString());
    }

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 5));
    TFrmMain &w = *r->window;
    const std::function<void()> handlers[] = {
        [&] { w.DBGEstruturaCellClick(); }, [&] { w.DbgSecaoCellClick(); }, [&] { w.DbgDivisaoCellClick(); },
        [&] { w.DbgGrupoCellClick(); }, [&] { w.DbgClasseCellClick(); }};
    handlers[page - 1]();
    QCOMPARE(r->page(), page);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestHierarchyBrowser::failureLeavesPageSwitchedAndLabelsAsTheyWere_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QVector<int>>("rows");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("labels"); // name=text of labels on the page after the failure
    QTest::addColumn<int>("childRows");      // rows of the page's grid, -1 when it has none

    QTest::newRow("missing section table")
        << "Zeta Inexistente" << QVector<int>() << "TST_9_SECAO"
        << QStringList({"LblDescricaoZelt_TbsEstrutura=Página da edição Zeta Inexistente"}) << 0;
    // The division itself is shown; its list of groups cannot be read.
    QTest::newRow("missing group table")
        << "Gama Incompleta" << QVector<int>({0, 0}) << "TST_4_Grupo"
        << QStringList(
               {"LblCodDivisao_TbsDivisao=01", "LblDescricaoDivisao_TbsDivisao=Divisão sem tabela de grupos"})
        << 0;
    // Nothing of a row that cannot be read is shown: not even the code read before the NULL.
    QTest::newRow("NULL class description")
        << "Beta Defeituosa" << QVector<int>({1, 1, 1, 0}) << "Descricao_Cla"
        << QStringList({"LblCodSecao_TbsClasse=X", "LblCodClasse_TbsClasse=XXXX-X",
                        "LblDescricaoClasse_TbsClasse=XXX"})
        << -1;
    QTest::newRow("NULL subclass code")
        << "Beta Defeituosa" << QVector<int>({1, 1, 1, 1, 0}) << "Codigo_Sub"
        << QStringList({"LblCodClasse_TbsSubClasse=XXXX-X", "LblCodSubClasse_TbsSubClasse=XXXX-X/XX"}) << -1;
}

void TestHierarchyBrowser::failureLeavesPageSwitchedAndLabelsAsTheyWere()
{
    QFETCH(QString, edition);
    QFETCH(QVector<int>, rows);
    QFETCH(QString, message);
    QFETCH(QStringList, labels);
    QFETCH(int, childRows);
    auto r = startTiny();
    pickEdition(*r, edition);
    const int page = rows.size() + 1;
    if (rows.isEmpty()) {
        QTest::mouseClick(r->find<QWidget>("BtnEstrutura"), Qt::LeftButton);
    } else {
        browseDown(*r, rows.mid(0, rows.size() - 1));
        QCOMPARE(m_recorder.errors, QStringList());
        clickRow(r->gridOfPage(r->page()), rows.last());
    }
    QCOMPARE(r->page(), page);
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors.first().contains(message, Qt::CaseInsensitive),
             qPrintable(m_recorder.errors.first()));
    for (const QString &pair : labels)
        QCOMPARE(r->text(pair.section(QLatin1Char('='), 0, 0)), pair.section(QLatin1Char('='), 1));
    if (childRows >= 0)
        QCOMPARE(r->gridOfPage(page)->model()->rowCount(), childRows);
    // Notes are stored only from a row read whole (the division of TST_4 has none).
    const NavigationState &nav = r->window->nav;
    QCOMPARE(nav.NotaExplicativa + nav.Compreende + nav.TambemCompreende + nav.NaoCompreende + nav.Notas,
             QString());
}

// Codes taken from a results row that the edition does not hold: the error names what is
// missing. A subclass page opens with the labels of the previous item; a jump that needs the
// ancestors' lists is refused and leaves the results on show.
void TestHierarchyBrowser::unknownCodesFromResults()
{
    auto r = startTiny();
    pickEdition(*r, "Beta Defeituosa");
    browseDown(*r, {1, 1, 1, 1});
    checkChildren(*r, 5, {QString()}, QStringLiteral("Esta Classe contém as seguintes subclasses:"));
    Query &results = r->dtm.QryPesquisa;

    results.reload(QStringLiteral("SELECT * FROM TST_2_ATIVIDADE WHERE Codigo_Sub = '77'"));
    r->window->nav.VeioDaPesquisa = 1;
    QVERIFY_THROWS_EXCEPTION(DataError, r->window->AbrePaginaSubClasse());
    QCOMPARE(r->page(), 6);
    QCOMPARE(r->window->nav.CodSubClasse, QStringLiteral("77"));
    QCOMPARE(r->text("LblCodSubClasse_TbsSubClasse"), QStringLiteral("XXXX-X/XX"));

    results.reload(QStringLiteral("SELECT * FROM TST_2_ATIVIDADE WHERE Codigo_Cla = '08299'"));
    r->window->nav.VeioDaPesquisa = 1;
    try {
        r->window->AbrePaginaClasse();
        QFAIL("a class missing from its group's list opened");
    } catch (const DataError &error) {
        QVERIFY2(error.message().contains(QLatin1String("08299")), qPrintable(error.message()));
    }
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->window->nav.VeioDaPesquisa, 1);
    QCOMPARE(r->window->nav.CodClasse, QString());
}

// On the generated sample: a class without subclasses, found by asking the database, reached by
// clicking down through every list.
void TestHierarchyBrowser::sampleClassWithoutSubclasses()
{
    QVERIFY(m_db->copyFrom(QStringLiteral(ZELT_SAMPLE_DB)));
    auto r = startWindow(m_db->baseDirectory());
    const QString prefix = r->window->nav.PrefixoTabela;
    Connection direct;
    direct.setConnectionString(QStringLiteral("Data Source=%1").arg(m_db->databasePath()));
    direct.open();
    const ResultSet found = direct.execute(
        QStringLiteral(
            "SELECT C.Codigo_Sec, C.Codigo_Div, C.Codigo_Grp, C.Codigo_Cla FROM %1_Classe C WHERE NOT "
            "EXISTS (SELECT 1 FROM %1_SubClasse S WHERE S.Codigo_Cla = C.Codigo_Cla) ORDER BY "
            "C.Codigo_Cla DESC")
            .arg(prefix));
    QVERIFY2(!found.rows.isEmpty(), "the sample has no class without subclasses");
    const ResultSet sections = direct.execute(QStringLiteral("SELECT Codigo_Sec FROM %1_Secao").arg(prefix));

    browseDown(*r, {});
    QCOMPARE(r->gridOfPage(1)->model()->rowCount(), sections.rows.size());
    const QVector<QVariant> &codes = found.rows.first();
    for (int level = 0; level < 4; ++level) {
        QString shown = codes[level].toString();
        if (level == 3)
            shown = shown.left(4) + QLatin1Char('-') + shown.right(1);
        DataGrid *grid = r->gridOfPage(level + 1);
        const int row = rowShowing(grid, 0, shown);
        QVERIFY2(row >= 0, qPrintable(shown));
        clickRow(grid, row);
    }
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->window->nav.CodClasse, codes[3].toString());
    checkChildren(*r, 5, {}, QStringLiteral("Não existe subclasse cadastrada para esta classe."));
    clickRow(r->gridOfPage(5), 0);
    QCOMPARE(r->page(), 5);
    QCOMPARE(m_recorder.errors, QStringList());
}

QTEST_MAIN(TestHierarchyBrowser)
#include "tst_hierarchybrowser.moc"
