#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

const QStringList kPathA = {QStringLiteral("A"), QStringLiteral("01"), QStringLiteral("011"),
                            QStringLiteral("01111"), QStringLiteral("01")};
const QStringList kPathB = {QStringLiteral("B"), QStringLiteral("06"), QStringLiteral("062"),
                            QStringLiteral("06202"), QStringLiteral("02")};
const QStringList kNoCodes = {QString(), QString(), QString(), QString(), QString()};

QStringList levelCodes(const NavigationState &nav)
{
    return {nav.CodSecao, nav.CodDivisao, nav.CodGrupo, nav.CodClasse, nav.CodSubClasse};
}

QStringList noteTexts(const NavigationState &nav)
{
    return {nav.NotaExplicativa, nav.Compreende, nav.TambemCompreende, nav.NaoCompreende, nav.Notas};
}

QStringList padded(QStringList codes)
{
    while (codes.size() < 5)
        codes.append(QString());
    return codes;
}

// The navigation rule itself: set the page, then run the dispatcher once.
void enterPage(RunningWindow &r, int page)
{
    auto *pages = r.find<QStackedWidget>(QStringLiteral("PgcPrincipal"));
    pages->setCurrentIndex(page);
    r.window->PgcPrincipalChange(pages->widget(page));
}

// Types a text into the home page's box and presses "Pesquisa".
void search(RunningWindow &r, const QString &text)
{
    r.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    QTest::mouseClick(r.find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
}

} // namespace

class TestNavigation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void headerLinksAndHeadingOfEveryPage_data();
    void headerLinksAndHeadingOfEveryPage();
    void headerLinkClicks_data();
    void headerLinkClicks();
    void structureEntryStartsOver();
    void veioDaPesquisaTransitions_data();
    void veioDaPesquisaTransitions();
    void jumpFromResultsThenAncestorLinks_data();
    void jumpFromResultsThenAncestorLinks();
    void noteTextsEmptiedOnEveryPageChange_data();
    void noteTextsEmptiedOnEveryPageChange();
    void searchPageEntry_data();
    void searchPageEntry();
    void listActivities_data();
    void listActivities();

private:
    std::unique_ptr<RunningWindow> startTiny();

    dialogs::Recorder m_recorder;
    std::unique_ptr<DatabaseFolder> m_db;
};

void TestNavigation::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_db = std::make_unique<DatabaseFolder>();
}

void TestNavigation::cleanup()
{
    dialogs::installRecorder(nullptr);
    m_db.reset();
}

std::unique_ptr<RunningWindow> TestNavigation::startTiny()
{
    const QString failure = m_db->create(tiny::database());
    if (!failure.isEmpty())
        qFatal("%s", qPrintable(failure));
    return startWindow(m_db->baseDirectory());
}

void TestNavigation::headerLinksAndHeadingOfEveryPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<int>("mode");
    const char *const headings[] = {"",
                                    "LblDescricaoZelt_TbsEstrutura",
                                    "LblDescricaoZelt_TbsSecao",
                                    "LblDescricaoZelt_TbsDivisao",
                                    "LblDescricaoZelt_TbsGrupo",
                                    "LblDescricaoZelt_TbsClasse",
                                    "LblDescricaoZelt_TbsSubClasse",
                                    "LblDescricaoZelt_TbsPesquisa"};
    for (int page = 0; page <= 7; ++page) {
        const int mode = page == 0 ? 1 : page == 1 ? 3 : 2;
        QTest::newRow(qPrintable(QStringLiteral("page %1").arg(page))) << page << headings[page] << mode;
    }
}

void TestNavigation::headerLinksAndHeadingOfEveryPage()
{
    QFETCH(int, page);
    QFETCH(QString, heading);
    QFETCH(int, mode);
    auto r = startTiny();
    browseDown(*r, {1, 1, 1, 1, 1});
    r->find<QLineEdit>("EdtPesquisa")->setText("cobre");
    auto *novaPesquisa = r->find<LinkLabel>("LblLinkNovaPesquisa");
    novaPesquisa->setTag(0);
    if (!heading.isEmpty())
        r->find<QLabel>(heading)->setText("?");
    r->window->MudaCaptionLink(mode == 2 ? 1 : 2);

    enterPage(*r, page);
    QCOMPARE(m_recorder.errors, QStringList());
    auto *link1 = r->find<LinkLabel>("LblLinkCabecalho1");
    auto *link2 = r->find<LinkLabel>("LblLinkCabecalho2");
    QCOMPARE(r->find<QLabel>("LblDivisor")->isVisible(), mode != 3);
    QCOMPARE(link1->isVisible(), mode != 3);
    QCOMPARE(link2->isVisible(), mode != 3);
    if (mode != 3) {
        QCOMPARE(link1->text(),
                 mode == 1 ? QStringLiteral("Sobre a Pesquisa...") : QStringLiteral("Topo da Estrutura..."));
        QCOMPARE(link1->Tag(), mode == 1 ? 1 : 3);
        QCOMPARE(link2->text(),
                 mode == 1 ? QStringLiteral("Pesquisa Avançada...") : QStringLiteral("Nova Pesquisa..."));
        QCOMPARE(link2->Tag(), mode == 1 ? 2 : 4);
    }
    QCOMPARE(novaPesquisa->Tag(), page == 1 ? 4 : 0);
    if (!heading.isEmpty())
        QCOMPARE(r->text(heading), QStringLiteral("Página da edição Alfa Teste"));
}

void TestNavigation::headerLinkClicks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("modals");
    QTest::newRow("Topo da Estrutura") << "LblLinkCabecalho1" << 3 << 1 << 0;
    QTest::newRow("Nova Pesquisa") << "LblLinkCabecalho2" << 4 << 0 << 0;
    QTest::newRow("tag 3 on the second link") << "LblLinkCabecalho2" << 3 << 1 << 0;
    QTest::newRow("help, tag 1") << "LblLinkCabecalho1" << 1 << 5 << 1;
    QTest::newRow("help, tag 2") << "LblLinkCabecalho2" << 2 << 5 << 1;
    QTest::newRow("tag 0") << "LblLinkCabecalho1" << 0 << 5 << 0;
    QTest::newRow("tag 5") << "LblLinkCabecalho2" << 5 << 5 << 0;
    QTest::newRow("tag -1") << "LblLinkCabecalho1" << -1 << 5 << 0;
}

void TestNavigation::headerLinkClicks()
{
    QFETCH(QString, link);
    QFETCH(int, tag);
    QFETCH(int, page);
    QFETCH(int, modals);
    auto r = startTiny();
    browseDown(*r, {1, 1, 1, 1});
    auto *label = r->find<LinkLabel>(link);
    label->setTag(tag);
    clickLink(label);
    QCOMPARE(r->page(), page);
    QCOMPARE(levelCodes(r->window->nav), page == 5 ? padded(kPathB.mid(0, 4)) : kNoCodes);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(m_recorder.modalCount, modals);
}

// Whatever happened before, the structure page comes back whole: full list on its first row,
// blank third title, no codes, browsing state, and "Nova Pesquisa..." leading home.
void TestNavigation::structureEntryStartsOver()
{
    auto r = startTiny();
    search(*r, "cobre");
    clickRow(r->find<DataGrid>("DbgPesquisa"), 0);
    QCOMPARE(r->page(), 5);
    QCOMPARE(r->dtm.QryEstrutura.recordCount(), 1);
    DataGrid *sections = r->gridOfPage(1);
    sections->setColumnTitle(2, "Divisões");

    clickLink(r->find<LinkLabel>("LblLinkCabecalho1"));
    QCOMPARE(r->page(), 1);
    QCOMPARE(r->window->nav.VeioDaPesquisa, 0);
    QCOMPARE(levelCodes(r->window->nav), kNoCodes);
    QCOMPARE(columnTexts(sections, 0), QStringList({"A", "B"}));
    // Going up, the list stands on the section the class belongs to.
    QCOMPARE(sections->currentIndex().row(), 1);
    QCOMPARE(sections->columnTitle(2), QString());

    auto *novaPesquisa = r->find<LinkLabel>("LblLinkNovaPesquisa");
    QVERIFY(novaPesquisa->isVisible());
    clickLink(novaPesquisa);
    QCOMPARE(r->page(), 0);
    QCOMPARE(r->find<LinkLabel>("LblLinkCabecalho1")->text(), QStringLiteral("Sobre a Pesquisa..."));
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestNavigation::veioDaPesquisaTransitions_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("codes");
    for (const int from : {0, 1}) {
        QTest::addRow("%d, home", from) << from << 0 << 0 << kNoCodes;
        QTest::addRow("%d, structure", from) << from << 1 << 0 << kNoCodes;
        QTest::addRow("%d, search", from) << from << 7 << 1 << kNoCodes;
    }
    for (int page = 2; page <= 6; ++page) {
        QTest::addRow("0, page %d: codes from the lists", page)
            << 0 << page << 0 << padded(kPathB.mid(0, page - 1));
        // From the results every code is taken, whatever the page's level.
        QTest::addRow("1, page %d: codes from the result", page)
            << 1 << page << (page == 6 ? 1 : 0) << kPathA;
    }
}

void TestNavigation::veioDaPesquisaTransitions()
{
    QFETCH(int, from);
    QFETCH(int, page);
    QFETCH(int, to);
    QFETCH(QStringList, codes);
    auto r = startTiny();
    browseDown(*r, {1, 1, 1, 1, 1});
    r->dtm.QryPesquisa.reload(QStringLiteral("SELECT * FROM TST_1_ATIVIDADE WHERE Codigo_Cla = '01111'"));
    r->find<QLineEdit>("EdtPesquisa")->setText("cobre");
    r->window->nav.VeioDaPesquisa = from;
    enterPage(*r, page);
    QCOMPARE(r->window->nav.VeioDaPesquisa, to);
    QCOMPARE(levelCodes(r->window->nav), codes);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestNavigation::jumpFromResultsThenAncestorLinks_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("to");
    // A plain edition lists classes: the jump lands on the Classe page (and its subclass list
    // leads on); a subclass edition lists subclasses and lands on the SubClasse page.
    QTest::newRow("class result, Seção") << "Alfa Teste"
                                         << "LblCodSecao_TbsClasse" << 2;
    QTest::newRow("class result, Divisão") << "Alfa Teste"
                                           << "LblCodDivisao_TbsClasse" << 3;
    QTest::newRow("class result, Grupo") << "Alfa Teste"
                                         << "LblCodGrupo_TbsClasse" << 4;
    QTest::newRow("class result, its subclass, Classe") << "Alfa Teste"
                                                        << "LblCodClasse_TbsSubClasse" << 5;
    QTest::newRow("subclass result, Seção") << "Omega Subclasses"
                                            << "LblCodSecao_TbsSubClasse" << 2;
    QTest::newRow("subclass result, Divisão") << "Omega Subclasses"
                                              << "LblCodDivisao_TbsSubClasse" << 3;
    QTest::newRow("subclass result, Grupo") << "Omega Subclasses"
                                            << "LblCodGrupo_TbsSubClasse" << 4;
    QTest::newRow("subclass result, Classe") << "Omega Subclasses"
                                             << "LblCodClasse_TbsSubClasse" << 5;
}

// Each ancestor link of a page reached from the results opens the result's own ancestor, none of
// which is the first of its list, although the lists stood on another path before the search.
void TestNavigation::jumpFromResultsThenAncestorLinks()
{
    QFETCH(QString, edition);
    QFETCH(QString, link);
    QFETCH(int, to);
    auto r = startTiny();
    pickEdition(*r, edition);
    browseDown(*r, {0, 0, 0, 0});
    clickLink(r->find<LinkLabel>("LblLinkCabecalho2"));
    search(*r, "envelhecimento");
    QCOMPARE(r->page(), 7);
    clickRow(r->find<DataGrid>("DbgPesquisa"), 0);
    const bool subclassResult = edition.endsWith(QLatin1String("Subclasses"));
    QCOMPARE(r->page(), subclassResult ? 6 : 5);
    QCOMPARE(r->window->nav.VeioDaPesquisa, subclassResult ? 1 : 0);
    if (!subclassResult && link.endsWith(QLatin1String("_TbsSubClasse"))) {
        clickRow(r->gridOfPage(5), 1);
        QCOMPARE(r->page(), 6);
    }

    clickLink(r->find<LinkLabel>(link));
    QCOMPARE(r->page(), to);
    // From the SubClasse page the link still reads the results row, and so copies all five codes.
    const QStringList codes = subclassResult ? kPathB : padded(kPathB.mid(0, to - 1));
    QCOMPARE(levelCodes(r->window->nav), codes);
    QCOMPARE(r->window->nav.VeioDaPesquisa, 0);
    const char *const own[] = {"LblCodSecao_TbsSecao", "LblCodDivisao_TbsDivisao", "LblCodGrupo_TbsGrupo",
                               "LblCodClasse_TbsClasse"};
    const QStringList shown = {"B", "06", "062", "0620-2"};
    QCOMPARE(r->text(own[to - 2]), shown[to - 2]);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestNavigation::noteTextsEmptiedOnEveryPageChange_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("home") << "LblLinkCabecalho2" << -1 << 0 << QStringList(5);
    QTest::newRow("structure") << "LblLinkCabecalho1" << -1 << 1 << QStringList(5);
    QTest::newRow("division: no explanatory note")
        << "" << 0 << 3 << QStringList({QString(), "CCOMPRE 05", "TCOMPRE 05", "NCOMPRE 05", "NOTAS 05"});
}

void TestNavigation::noteTextsEmptiedOnEveryPageChange()
{
    QFETCH(QString, link);
    QFETCH(int, row);
    QFETCH(int, page);
    QFETCH(QStringList, notes);
    auto r = startTiny();
    browseDown(*r, {1});
    QCOMPARE(noteTexts(r->window->nav),
             QStringList({"NTEXP B", "CCOMPRE B", "TCOMPRE B", "NCOMPRE B", "NOTAS B"}));
    if (link.isEmpty())
        clickRow(r->gridOfPage(2), row);
    else
        clickLink(r->find<LinkLabel>(link));
    QCOMPARE(r->page(), page);
    QCOMPARE(noteTexts(r->window->nav), notes);
}

void TestNavigation::searchPageEntry_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<bool>("alfabetica");
    QTest::addColumn<QString>("ordem");
    QTest::addColumn<QString>("filtro");
    QTest::addColumn<QString>("found");
    const QString bySubclass = QStringLiteral(" ORDER BY Codigo_Cla,Codigo_sub, Descricao_Cla");
    const QString no88 = QStringLiteral(" AND (Codigo_Sub <> '88') ");
    QTest::newRow("by code") << "Alfa Teste" << false << " ORDER BY Codigo_Cla, Descricao_Cla"
                             << ""
                             << "2";
    QTest::newRow("alphabetical") << "Alfa Teste" << true << " ORDER BY Descricao_Cla"
                                  << ""
                                  << "2";
    QTest::newRow("subclass edition, by code") << "Omega Subclasses" << false << bySubclass << no88 << "1";
    QTest::newRow("subclass edition, alphabetical")
        << "Omega Subclasses" << true << bySubclass << no88 << "1";
}

void TestNavigation::searchPageEntry()
{
    QFETCH(QString, edition);
    QFETCH(bool, alfabetica);
    QFETCH(QString, ordem);
    QFETCH(QString, filtro);
    QFETCH(QString, found);
    auto r = startTiny();
    pickEdition(*r, edition);
    r->find<QRadioButton>(alfabetica ? "RdbAlfabetica" : "RdbCodigo")->setChecked(true);
    NavigationState &nav = r->window->nav;
    nav.FiltroSubClasse = QStringLiteral("stale");
    nav.CodSecao = QStringLiteral("Q");

    search(*r, "cobre");
    QCOMPARE(r->page(), 7);
    QCOMPARE(nav.VeioDaPesquisa, 1);
    QCOMPARE(nav.TextoPesquisa, QStringLiteral("cobre"));
    QCOMPARE(r->find<QLineEdit>("EdtPesquisa")->text(), QStringLiteral("cobre")); // kept for going home
    QCOMPARE(nav.OrdemPesquisa, ordem);
    QCOMPARE(nav.FiltroSubClasse, filtro);
    QCOMPARE(levelCodes(nav), kNoCodes);
    QCOMPARE(r->text("LblDescricaoZelt_TbsPesquisa"), QStringLiteral("Página da edição ") + edition);
    QCOMPARE(r->text("LblLinkCabecalho1"), QStringLiteral("Topo da Estrutura..."));
    QCOMPARE(r->text("LblNumeroRegistros"), found);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestNavigation::listActivities_data()
{
    QTest::addColumn<QString>("edition");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("origem");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("found");
    QTest::newRow("class") << "Alfa Teste" << 5 << 2 << "06202"
                           << "2";
    QTest::newRow("class, subclass edition") << "Omega Subclasses" << 5 << 2 << "06202"
                                             << "1";
    QTest::newRow("subclass") << "Alfa Teste" << 6 << 3 << "0620202"
                              << "1";
}

void TestNavigation::listActivities()
{
    QFETCH(QString, edition);
    QFETCH(int, page);
    QFETCH(int, origem);
    QFETCH(QString, texto);
    QFETCH(QString, found);
    auto r = startTiny();
    pickEdition(*r, edition);
    browseDown(*r, QVector<int>(page - 1, 1));
    clickLink(
        r->find<LinkLabel>(page == 5 ? "LblListarAtividades_TbsClasse" : "LblListarAtividades_TbsSubClasse"));
    QCOMPARE(r->page(), 7);
    QCOMPARE(r->window->nav.OrigemPesquisa, origem);
    QCOMPARE(r->window->nav.TextoPesquisa, texto);
    QCOMPARE(r->find<QLineEdit>("EdtPesquisa")->text(), texto); // the code searched, kept for going home
    QCOMPARE(r->text("LblNumeroRegistros"), found);
    QCOMPARE(m_recorder.errors, QStringList());
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
