#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/DataMemo.h"
#include "app/Dialogs.h"
#include "app/DisplayText.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/Connection.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>

#include <memory>

#include "support/ScratchDatabase.h"
#include "TestPaths.h"

namespace
{

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QString kFrozen = QStringLiteral("Esta Classificação está Congelada!");

struct Edition {
    int cod;
    QString descricao;
    QString tabela;
    int status;
    QString data;
};

QStringList catalogue(const QVector<Edition> &editions)
{
    QStringList statements = {QStringLiteral(
        "CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao TEXT, Tabela TEXT, "
        "Status INTEGER, Descricao_Pagina TEXT, Data_Atualizacao TEXT)")};
    for (const Edition &e : editions) {
        statements.append(
            QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (%1, '%2', '%3', %4, '%5', '%6')")
                .arg(e.cod)
                .arg(e.descricao, e.tabela)
                .arg(e.status)
                .arg(QStringLiteral("Página de ") + e.descricao, e.data));
    }
    return statements;
}

// The data module and the window, destroyed window first.
struct Running {
    TDtmMain dtm;
    std::unique_ptr<TFrmMain> window;

    template <class T> T *find(const QString &name) const { return window->findChild<T *>(name); }
};

std::unique_ptr<Running> start(const QString &baseDirectory)
{
    auto running = std::make_unique<Running>();
    running->window = std::make_unique<TFrmMain>(running->dtm, baseDirectory);
    running->window->show();
    return running;
}

QStringList listed(const DataLookupCombo *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Picks an entry as the user does: the list shows it and raises its choice.
void pick(DataLookupCombo *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void hover(QWidget *widget)
{
    const QPointF local(2, 2);
    QEnterEvent enter(local, local, widget->mapToGlobal(local));
    QCoreApplication::sendEvent(widget, &enter);
    QMouseEvent move(QEvent::MouseMove, local + QPointF(1, 0), widget->mapToGlobal(local + QPointF(1, 0)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

bool hasOwnCursor(const QWidget *widget)
{
    return widget->testAttribute(Qt::WA_SetCursor);
}

QDateTime readDate(const QVariant &value)
{
    QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!date.isValid())
        date = QDateTime(QDate::fromString(value.toString().left(10), Qt::ISODate), QTime());
    return date;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void startsOnTheSampleBesideTheExecutable();
    void listsCurrentEditionsFirstThenFrozen();
    void databaseDateIsTheNewestOfEveryEdition();
    void frozenWarningOnEveryLoadOnly();
    void onlyFrozenEditionsWarnAtStartUp();
    void brokenCatalogueStopsStartUp_data();
    void brokenCatalogueStopsStartUp();
    void loadingStopsAtNullColumn();
    void loadingRefusesNonNumericKey();
    void loadingFetchesTheEditionRowByItsBareKey();
    void missingOrDamagedDatabase_data();
    void missingOrDamagedDatabase();

    void windowFrame();
    void homePageWidgets_data();
    void homePageWidgets();
    void colours_data();
    void colours();
    void homePageTabOrder();
    void levelPageWidgets_data();
    void levelPageWidgets();
    void valuesClearTheirCaptions_data();
    void valuesClearTheirCaptions();
    void gridBindings_data();
    void gridBindings();

    void captionLinkModes_data();
    void captionLinkModes();
    void hoverLevelLinks_data();
    void hoverLevelLinks();
    void levelLinkWithTagIsLeftAlone();
    void hoverHeaderAndLicenceLinks_data();
    void hoverHeaderAndLicenceLinks();

private:
    dialogs::Recorder m_recorder;
};

void TestMainWindow::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
}

void TestMainWindow::cleanup()
{
    dialogs::installRecorder(nullptr);
}

void TestMainWindow::startsOnTheSampleBesideTheExecutable()
{
    QVERIFY2(QFile::exists(QStringLiteral(ZELT_SAMPLE_DB)), ZELT_SAMPLE_DB);
    // The database is found beside the executable whatever the current directory.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    auto running = start(QString());
    QDir::setCurrent(previous);

    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(m_recorder.warnings, QStringList());
    QCOMPARE(running->find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex(), 0);
    const auto *combo = running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    QCOMPARE(combo->currentText(), QStringLiteral("ZELT 2.0"));
    QCOMPARE(combo->keyValue().toString(), QStringLiteral("1"));
    const NavigationState &nav = running->window->nav;
    QCOMPARE(nav.CodClassificacao, QStringLiteral("1"));
    QCOMPARE(nav.PrefixoTabela, QStringLiteral("ZELT_200"));
    QCOMPARE(nav.DescricaoClassificacao, QStringLiteral("ZELT 2.0"));
    QVERIFY(!nav.DescricaoPagina.isEmpty());
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblVersao"))->text(), QStringLiteral("Versão: 1.0.0.0"));
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblLinkCabecalho1"))->text(),
             QStringLiteral("Sobre a Pesquisa..."));
    QVERIFY(running->find<QRadioButton>(QStringLiteral("RdbCodigo"))->isChecked());

    // Edition list: status 0 alphabetically, then status 1; the draft (status 2) is absent.
    QCOMPARE(listed(combo), QStringList({QStringLiteral("ZELT 2.0"), QStringLiteral("ZELT 2.1 - Subclasses"),
                                         QStringLiteral("ZELT 1.0")}));

    // The date shown is the newest of all editions, the unlisted draft included.
    Connection direct;
    direct.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;")
                                   .arg(QStringLiteral(ZELT_SAMPLE_DB)));
    direct.open();
    const ResultSet rows =
        direct.execute(QStringLiteral("SELECT Status, Data_Atualizacao FROM ZELT_Classificacao"));
    QDateTime newest;
    qlonglong newestStatus = -1;
    for (const auto &row : rows.rows) {
        const QDateTime date = readDate(row[1]);
        if (!newest.isValid() || date > newest) {
            newest = date;
            newestStatus = row[0].toLongLong();
        }
    }
    QCOMPARE(newestStatus, 2);
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblBD"))->text(), formatDatabaseDate(newest));
}

void TestMainWindow::listsCurrentEditionsFirstThenFrozen()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{7, QStringLiteral("Omega"), QStringLiteral("T_OM"), 1, QStringLiteral("2020-01-01")},
                  {3, QStringLiteral("Gama"), QStringLiteral("T_GA"), 0, QStringLiteral("2020-01-01")},
                  {5, QStringLiteral("Rascunho"), QStringLiteral("T_RA"), 2, QStringLiteral("2020-01-01")},
                  {9, QStringLiteral("Alfa"), QStringLiteral("T_AL"), 1, QStringLiteral("2020-01-01")},
                  {4, QStringLiteral("Beta"), QStringLiteral("T_BE"), 0, QStringLiteral("2020-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    const auto *combo = running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    QCOMPARE(listed(combo), QStringList({QStringLiteral("Beta"), QStringLiteral("Gama"),
                                         QStringLiteral("Alfa"), QStringLiteral("Omega")}));
    QCOMPARE(combo->currentText(), QStringLiteral("Beta"));
    QCOMPARE(running->window->nav.CodClassificacao, QStringLiteral("4"));
    QCOMPARE(running->window->nav.PrefixoTabela, QStringLiteral("T_BE"));
    QCOMPARE(running->window->nav.DescricaoPagina, QStringLiteral("Página de Beta"));
    QCOMPARE(m_recorder.warnings, QStringList());
}

void TestMainWindow::databaseDateIsTheNewestOfEveryEdition()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-11-20")},
                  {2, QStringLiteral("Congelada"), QStringLiteral("T_C"), 1, QStringLiteral("2019-05-02")},
                  {3, QStringLiteral("Rascunho"), QStringLiteral("T_R"), 2, QStringLiteral("2024-03-15")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *date = running->find<QLabel>(QStringLiteral("LblBD"));
    QCOMPARE(date->text(), QStringLiteral("MARçO/2024"));

    // Another edition does not change it.
    pick(running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao")), QStringLiteral("Congelada"));
    QCOMPARE(date->text(), QStringLiteral("MARçO/2024"));
}

void TestMainWindow::frozenWarningOnEveryLoadOnly()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")},
                  {2, QStringLiteral("Congelada"), QStringLiteral("T_C"), 1, QStringLiteral("2022-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *combo = running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    NavigationState &nav = running->window->nav;
    QCOMPARE(m_recorder.warnings.size(), 0);

    // Loading an edition touches neither the page nor the level codes.
    nav.CodSecao = QStringLiteral("Q");
    pick(combo, QStringLiteral("Congelada"));
    QCOMPARE(m_recorder.warnings, QStringList({kFrozen}));
    QCOMPARE(nav.CodClassificacao, QStringLiteral("2"));
    QCOMPARE(nav.PrefixoTabela, QStringLiteral("T_C"));
    QCOMPARE(nav.DescricaoClassificacao, QStringLiteral("Congelada"));
    QCOMPARE(nav.DescricaoPagina, QStringLiteral("Página de Congelada"));
    QCOMPARE(nav.CodSecao, QStringLiteral("Q"));

    pick(combo, QStringLiteral("Congelada"));
    QCOMPARE(m_recorder.warnings.size(), 2);
    pick(combo, QStringLiteral("Atual"));
    QCOMPARE(m_recorder.warnings.size(), 2);
    QCOMPARE(nav.PrefixoTabela, QStringLiteral("T_A"));
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestMainWindow::onlyFrozenEditionsWarnAtStartUp()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{8, QStringLiteral("Velha B"), QStringLiteral("T_B"), 1, QStringLiteral("2010-01-01")},
                  {6, QStringLiteral("Velha A"), QStringLiteral("T_A"), 1, QStringLiteral("2011-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    QCOMPARE(m_recorder.warnings, QStringList({kFrozen}));
    QCOMPARE(running->window->nav.CodClassificacao, QStringLiteral("6"));
    QCOMPARE(running->window->nav.PrefixoTabela, QStringLiteral("T_A"));
}

void TestMainWindow::brokenCatalogueStopsStartUp_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::addColumn<bool>("dateShown");
    const QString create = catalogue({}).first();
    QTest::newRow("no rows at all: the newest date is NULL") << QStringList({create}) << false;
    QTest::newRow("only drafts: no key to load")
        << catalogue(
               {{4, QStringLiteral("Rascunho"), QStringLiteral("T_R"), 2, QStringLiteral("2024-03-15")}})
        << true;
}

// With nothing to list, start-up reports one conversion error where it stops and loads nothing.
void TestMainWindow::brokenCatalogueStopsStartUp()
{
    QFETCH(QStringList, statements);
    QFETCH(bool, dateShown);
    ScratchDatabase db;
    QVERIFY2(db.create(statements), qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    QCOMPARE(m_recorder.errors.size(), 1);
    QCOMPARE(running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"))->count(), 0);
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblBD"))->text(),
             dateShown ? QStringLiteral("MARçO/2024") : QStringLiteral("Abril/2003"));
    QCOMPARE(running->window->nav.CodClassificacao, QString());
    QCOMPARE(running->window->nav.PrefixoTabela, QString());
    QVERIFY(running->window->isVisible());
}

void TestMainWindow::loadingStopsAtNullColumn()
{
    ScratchDatabase db;
    QStringList statements =
        catalogue({{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}});
    statements.append(
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (2, 'Sem tabela', NULL, 0, 'Pag', "
                       "'2023-01-01')"));
    QVERIFY2(db.create(statements), qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    QCOMPARE(m_recorder.errors, QStringList());

    // Descricao_Pagina is copied before Tabela fails; Descricao is never reached.
    pick(running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao")), QStringLiteral("Sem tabela"));
    QCOMPARE(m_recorder.errors.size(), 1);
    QVERIFY2(m_recorder.errors.first().contains(QLatin1String("Tabela"), Qt::CaseInsensitive),
             qPrintable(m_recorder.errors.first()));
    const NavigationState &nav = running->window->nav;
    QCOMPARE(nav.CodClassificacao, QStringLiteral("2"));
    QCOMPARE(nav.DescricaoPagina, QStringLiteral("Pag"));
    QCOMPARE(nav.PrefixoTabela, QStringLiteral("T_A"));
    QCOMPARE(nav.DescricaoClassificacao, QStringLiteral("Atual"));
}

void TestMainWindow::loadingRefusesNonNumericKey()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    QVERIFY_THROWS_EXCEPTION(DataError, running->window->CarregaClassificacao(QStringLiteral("1 OR 1=1")));
    QVERIFY_THROWS_EXCEPTION(DataError, running->window->CarregaClassificacao(QString()));
    QCOMPARE(running->window->nav.PrefixoTabela, QStringLiteral("T_A"));
}

// The key follows the comparison directly, unquoted: the catalogue's key column is numeric.
void TestMainWindow::loadingFetchesTheEditionRowByItsBareKey()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{7, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")},
                  {12, QStringLiteral("Outra"), QStringLiteral("T_O"), 0, QStringLiteral("2022-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *combo = running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));

    pick(combo, QStringLiteral("Outra"));
    QCOMPARE(running->dtm.QryAuxiliar.sql(),
             QStringList{QStringLiteral("SELECT * FROM ZELT_Classificacao WHERE COD_CLASSIFICACAO =12")});
    QCOMPARE(running->window->nav.PrefixoTabela, QStringLiteral("T_O"));
    pick(combo, QStringLiteral("Atual"));
    QCOMPARE(running->dtm.QryAuxiliar.sql(),
             QStringList{QStringLiteral("SELECT * FROM ZELT_Classificacao WHERE COD_CLASSIFICACAO =7")});
    QCOMPARE(running->window->nav.PrefixoTabela, QStringLiteral("T_A"));
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestMainWindow::missingOrDamagedDatabase_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << 0 << "arquivo não encontrado.";
    QTest::newRow("damaged") << 1 << "o arquivo está danificado ou não é um banco de dados Access ou SQLite.";
    QTest::newRow("empty") << 2 << "o arquivo está vazio.";
    QTest::newRow("foreign") << 3 << "o catálogo de classificações não pôde ser lido.";
}

// One dialog, in Portuguese and reason first, naming the file, with the engine's detail after it;
// then a window that shows its frame without the designed date, answers in Portuguese and closes
// cleanly.
void TestMainWindow::missingOrDamagedDatabase()
{
    QFETCH(int, kind);
    QFETCH(QString, reason);
    ScratchDatabase db;
    switch (kind) {
    case 0:
        QVERIFY(QDir(db.baseDirectory()).mkpath(QStringLiteral("Database")));
        break;
    case 1:
        QVERIFY(db.writeRaw(QByteArray("this is not a database at all, only some words").repeated(40)));
        break;
    case 2:
        QVERIFY(db.writeRaw(QByteArray()));
        break;
    default:
        QVERIFY2(db.create({QStringLiteral("CREATE TABLE Outra (x INTEGER)")}), qPrintable(db.error()));
        break;
    }
    auto running = start(db.baseDirectory());
    QCOMPARE(m_recorder.errors.size(), 1);
    const QString message = m_recorder.errors.first();
    const QString opening = QStringLiteral("Não foi possível abrir o banco de dados %1/Database/ZELT.mdb: ")
                                .arg(db.baseDirectory()) +
                            reason;
    QVERIFY2(message.startsWith(opening + QStringLiteral("\n\n")), qPrintable(message));
    QVERIFY2(message.size() > opening.size() + 2, "the engine's detail is missing");
    QVERIFY(running->window->isVisible());
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblLinkCabecalho1"))->text(),
             QStringLiteral("Sobre a Pesquisa..."));
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblVersao"))->text(), QStringLiteral("Versão: 1.0.0.0"));
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblBD"))->text(), QString());

    // The page actions say, in Portuguese, that no edition is loaded, and the home page stays.
    QTest::mouseClick(running->find<QPushButton>(QStringLiteral("BtnEstrutura")), Qt::LeftButton);
    running->find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(QStringLiteral("cobre"));
    QTest::mouseClick(running->find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
    QCOMPARE(running->find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex(), 0);
    QCOMPARE(m_recorder.errors.size(), 3);
    for (const QString &error : m_recorder.errors.mid(1))
        QVERIFY2(error.startsWith(QStringLiteral("Nenhuma classificação está carregada")), qPrintable(error));
    QVERIFY(running->window->close());
    QCOMPARE(m_recorder.errors.size(), 3);
}

void TestMainWindow::windowFrame()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    TFrmMain *window = running->window.get();
    // The form's own title, then the open file and its folder.
    QCOMPARE(window->windowTitle(), QStringLiteral("ZELTWeb - ZELT.mdb (%1)")
                                        .arg(QDir::toNativeSeparators(db.baseDirectory() + "/Database")));
    // Resizable like any window: the designed size is only the least.
    QVERIFY(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(window->minimumSize(), QSize(804, 585));
    QCOMPARE(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(window->size(), QSize(804, 585));
    QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(QFontInfo(window->font()).pixelSize(), 11);

    const auto *header = running->find<QWidget>(QStringLiteral("PnlCabecalho"));
    QCOMPARE(header->geometry(), QRect(0, 0, 804, 81));
    QCOMPARE(running->find<QLabel>(QStringLiteral("ImgLogo"))->geometry(), QRect(32, 8, 239, 61));
    QCOMPARE(running->find<QLabel>(QStringLiteral("ImgLogo"))->pixmap().size(), QSize(239, 61));
    QCOMPARE(running->find<QWidget>(QStringLiteral("PnlLinks"))->geometry(), QRect(508, 48, 296, 25));
    QCOMPARE(running->find<QLabel>(QStringLiteral("LblDivisor"))->pos(), QPoint(148, 7));
    const QImage rule = running->find<QLabel>(QStringLiteral("ImgLine2"))->pixmap().toImage();
    QCOMPARE(rule.size(), QSize(776, 1));
    QCOMPARE(rule.pixelColor(34, 0), QColor(Qt::white));
    QCOMPARE(rule.pixelColor(35, 0), QColor(0x83, 0xC3, 0x26));
    QCOMPARE(rule.pixelColor(775, 0), QColor(0x83, 0xC3, 0x26));

    const auto *pages = running->find<QStackedWidget>(QStringLiteral("PgcPrincipal"));
    QCOMPARE(pages->geometry(), QRect(0, 81, 804, 504));
    const QStringList names = {"TbSPrincipal", "TbsEstrutura", "TbsSecao",     "TbsDivisao",
                               "TbsGrupo",     "TbsClasse",    "TbsSubClasse", "TbsPesquisa"};
    QCOMPARE(pages->count(), names.size());
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(pages->widget(i)->objectName(), names[i]);
    QVERIFY(window->findChildren<QTabBar *>().isEmpty());
}

void TestMainWindow::homePageWidgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry"); // width and height -1: sized to the text
    QTest::addColumn<QString>("text");
    const auto row = [](const char *name, const char *cls, QRect geometry, const QString &text) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(cls) << geometry << text;
    };
    row("LblPesquisaZELT", "QLabel", QRect(35, 24, -1, -1), QStringLiteral("Pesquisa ZELT"));
    row("Label2", "QLabel", QRect(35, 50, -1, -1), QStringLiteral("Este sistema de busca permite:"));
    row("LblTopico1", "QLabel", QRect(64, 75, 705, 46),
        QStringLiteral(
            "* Pesquisar códigos ou atividades econômicas na ZELT. O usuário pode encontrar, a partir da "
            "digitação da descrição de uma dada atividade ou de uma palavra-chave, os códigos das classes "
            "ZELT ou subclasses ZELT, que contêm as palavras digitadas, ou a partir da especificação de "
            "um código, o conjunto de atividades a ele associadas; "));
    row("LblTopico2", "QLabel", QRect(66, 121, 680, 32),
        QStringLiteral(
            "* Indicar a posição de cada código na estrutura da ZELT, incluindo o desdobramento de "
            "subclasses da ZELT e as Notas Explicativas de seu conteúdo. "));
    row("LblDescricaoPesquisa", "QLabel", QRect(36, 180, -1, -1),
        QStringLiteral("Pesquisar por Palavra Chave ou Código"));
    row("LblDescricaoClassificacao", "QLabel", QRect(350, 180, -1, -1), QStringLiteral("Classificação"));
    row("EdtPesquisa", "QLineEdit", QRect(35, 199, 286, 21), QString());
    row("CmbClassificacao", "DataLookupCombo", QRect(350, 199, 162, 21), QStringLiteral("Atual"));
    row("BtnPesquisa", "QPushButton", QRect(528, 197, 75, 25), QStringLiteral("Pesquisa"));
    row("BtnEstrutura", "QPushButton", QRect(622, 197, 75, 25), QStringLiteral("Estrutura"));
    row("LblOrdenadoPor", "QLabel", QRect(35, 232, -1, -1), QStringLiteral("Ordenado por:"));
    row("RdbCodigo", "QRadioButton", QRect(112, 232, 81, 17), QStringLiteral("Código"));
    row("RdbAlfabetica", "QRadioButton", QRect(192, 232, 97, 17), QStringLiteral("Alfabética"));
    row("ImgLine2", "QLabel", QRect(3, 281, 776, 1), QString());
    row("LblLicenca", "LinkLabel", QRect(37, 302, -1, -1),
        QStringLiteral("Direitos Autorais e Termo de Licença de Uso... "));
    row("LblDescricacaoBD", "QLabel", QRect(591, 286, -1, -1), QStringLiteral("Banco de Dados:"));
    row("LblBD", "QLabel", QRect(681, 286, -1, -1), QStringLiteral("JANEIRO/2023"));
    row("LblVersao", "QLabel", QRect(593, 304, -1, -1), QStringLiteral("Versão: 1.0.0.0"));
    row("LblCopyRight", "QLabel", QRect(37, 286, -1, -1), QString());
}

void TestMainWindow::homePageWidgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *home = running->find<QWidget>(QStringLiteral("TbSPrincipal"));
    QWidget *widget = home->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (geometry.width() >= 0)
        QCOMPARE(widget->size(), geometry.size());
    else if (auto *label = qobject_cast<QLabel *>(widget))
        QVERIFY2(label->width() >= label->sizeHint().width(), "the text is cut");
    if (auto *label = qobject_cast<QLabel *>(widget); label && label->pixmap().isNull()) {
        if (name == QLatin1String("LblCopyRight"))
            QVERIFY(label->text().contains(QLatin1String("20")));
        else
            QCOMPARE(label->text(), text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        QCOMPARE(button->text(), text);
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(edit->text(), text);
    } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        QCOMPARE(combo->currentText(), text);
    }
}

void TestMainWindow::colours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour"); // invalid: the window-text colour
    QTest::addColumn<bool>("bold");
    const auto row = [](const char *name, const QColor &colour, bool bold) {
        QTest::newRow(name) << QString::fromLatin1(name) << colour << bold;
    };
    row("LblPesquisaZELT", kNavy, true);
    row("LblDescricaoPesquisa", kNavy, true);
    row("LblDescricaoClassificacao", kNavy, true);
    row("Label2", QColor(), false);
    row("LblLicenca", QColor(), false);
    row("LblLinkCabecalho1", kBlue, false);
    row("LblLinkCabecalho2", kBlue, false);
    row("LblDescricaoZelt_TbsEstrutura", kNavy, true);
    row("LblTopoDaEstrutura", QColor(), true);
    row("LblDescricaoZelt_TbsGrupo", kNavy, true);
    row("LblHierarquia_TbsClasse", kNavy, true);
    row("LblCodDivisao_TbsGrupo", kBlue, false);
    row("LblDescricaoDivisao_TbsGrupo", QColor(), false);
    row("LblCodGrupo_TbsGrupo", QColor(), true);
    row("LblDescricaoGrupo_TbsGrupo", QColor(), true);
    row("LblCodSubClasse_TbsSubClasse", QColor(), true);
    row("LblNotasExplicativas_TbsSubClasse", kBlue, false);
    row("LblListarAtividades_TbsClasse", kBlue, false);
    row("LblObservacao_TbsDivisao", kRed, false);
    row("LblDescricaoZelt_TbsPesquisa", kNavy, true);
    row("LblItemPesquisado", QColor(), true);
    row("LblNumeroRegistros", QColor(), true);
}

void TestMainWindow::colours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(bool, bold);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    const auto *label = running->find<QLabel>(name);
    QVERIFY(label);
    const QColor expected = colour.isValid() ? colour : QApplication::palette().color(QPalette::WindowText);
    QCOMPARE(label->palette().color(QPalette::WindowText), expected);
    QCOMPARE(label->font().bold(), bold);
    QVERIFY(!label->font().underline());
}

void TestMainWindow::homePageTabOrder()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    // In the order the page reads: the box and the edition beside it, the buttons, the sort, the
    // terms of use, then round to the header's links.
    QWidget *widget = running->find<QWidget>(QStringLiteral("EdtPesquisa"));
    QStringList chain;
    for (int i = 0; i < 100 && chain.size() < 11; ++i) {
        if (widget->isVisibleTo(running->window.get()) && (widget->focusPolicy() & Qt::TabFocus))
            chain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(chain, QStringList({"EdtPesquisa", "CmbClassificacao", "BtnPesquisa", "BtnEstrutura", "RdbCodigo",
                                 "RdbAlfabetica", "LblLicenca", "LblAbrirBanco", "LblBancosRecentes",
                                 "LblLinkCabecalho1", "LblLinkCabecalho2"}));
}

void TestMainWindow::levelPageWidgets_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    const QStringList levels = {"Secao", "Divisao", "Grupo", "Classe"};
    const QStringList captions = {"Seção:", "Divisão:", "Grupo:", "Classe:"};
    const QStringList codes = {"X", "XX", "XXX", "XXXX-X"};
    const QStringList pages = {"TbsSecao", "TbsDivisao", "TbsGrupo", "TbsClasse", "TbsSubClasse"};
    const auto row = [](const QString &name, const char *cls, const QString &text) {
        QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(cls) << text;
    };
    for (int p = 0; p < pages.size(); ++p) {
        const QString &page = pages[p];
        row("LblDescricaoZelt_" + page, "QLabel", QStringLiteral("Descrição"));
        row("LblHierarquia_" + page, "QLabel", QStringLiteral("Hierarquia"));
        row("LblNotasExplicativas_" + page, "LinkLabel", QStringLiteral("Notas Explicativas"));
        row("LblObservacao_" + page, "QLabel",
            QStringLiteral("* Clique no link para ver a nota explicativa"));
        for (int l = 0; l <= p && l < levels.size(); ++l) {
            const bool own = l == p;
            const QString caption = page == QLatin1String("TbsGrupo") && l == 0
                                        ? QStringLiteral("LblDescSecao__TbsGrupo")
                                        : "LblDesc" + levels[l] + "_" + page;
            row(caption, "QLabel", captions[l]);
            row("LblCod" + levels[l] + "_" + page, own ? "QLabel" : "LinkLabel",
                p == 0 ? QStringLiteral("XXX") : codes[l]);
            row("LblDescricao" + levels[l] + "_" + page, "QLabel", QStringLiteral("XXX"));
        }
    }
    row("LblDescSubClasseFixo_TbsSubClasse", "QLabel", QStringLiteral("SubClasse:"));
    row("LblDescSubClasse_TbsSubClasse", "QLabel", QStringLiteral("ZELT:"));
    row("LblCodSubClasse_TbsSubClasse", "QLabel", QStringLiteral("XXXX-X/XX"));
    row("LblDescricaoSubClasse_TbsSubClasse", "QLabel", QStringLiteral("XXX"));
    row("LblListarAtividades_TbsClasse", "LinkLabel", QStringLiteral("Listar Atividades..."));
    row("LblListarAtividades_TbsSubClasse", "LinkLabel", QStringLiteral("Listar Atividades..."));
    row("LblDescricaoZelt_TbsEstrutura", "QLabel", QStringLiteral("Descrição"));
    row("LblTopoDaEstrutura", "QLabel", QStringLiteral("Topo da Estrutura"));
    row("LblLinkNovaPesquisa", "LinkLabel", QStringLiteral("Nova Pesquisa..."));
    row("LblDescricaoZelt_TbsPesquisa", "QLabel", QStringLiteral("Descrição"));
    row("LblDescPesquisa", "QLabel", QStringLiteral("Pesquisar por:"));
    row("LblItemPesquisado", "QLabel", QStringLiteral("ItensPesquisados"));
    row("LblRegistrosEncontrados", "QLabel", QStringLiteral("Registros Encontrados:"));
    row("LblNumeroRegistros", "QLabel", QStringLiteral("Nreg"));
}

// Every page other than home carries its named widgets with the design texts the fillers replace.
void TestMainWindow::levelPageWidgets()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, text);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    const auto *label = running->find<QLabel>(name);
    QVERIFY(label);
    QCOMPARE(QString::fromLatin1(label->metaObject()->className()), className);
    QCOMPARE(label->text(), text);
    QVERIFY2(label->geometry().right() < 804 && label->geometry().bottom() < 504, "outside the page");
}

void TestMainWindow::valuesClearTheirCaptions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("value");
    QTest::newRow("searched text") << "LblDescPesquisa" << "LblItemPesquisado";
    QTest::newRow("count") << "LblRegistrosEncontrados" << "LblNumeroRegistros";
    QTest::newRow("database date") << "LblDescricacaoBD" << "LblBD";
}

// The font in use is rarely the designed one; a value must still not run into its caption.
void TestMainWindow::valuesClearTheirCaptions()
{
    QFETCH(QString, caption);
    QFETCH(QString, value);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    const auto *captionLabel = running->find<QLabel>(caption);
    const auto *valueLabel = running->find<QLabel>(value);
    QVERIFY(captionLabel && valueLabel);
    const int textEnd = captionLabel->x() + captionLabel->fontMetrics().horizontalAdvance(captionLabel->text());
    QVERIFY2(valueLabel->x() > textEnd, qPrintable(QStringLiteral("%1 > %2").arg(valueLabel->x()).arg(textEnd)));
}

void TestMainWindow::gridBindings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("memoField");
    QTest::newRow("DBGEstrutura") << "DBGEstrutura"
                                  << "DtsEstrutura"
                                  << QStringList(
                                         {"CODIGO_SEC", "CODIGO_DIV1", "CODIGO_DIV2", "DESCRICAO_SEC"})
                                  << QStringList({"Seções", "Divisões", "", "Descrição ZELT"})
                                  << QList<int>({64, 44, 34, 589}) << QString() << QString();
    QTest::newRow("DbgSecao") << "DbgSecao"
                              << "DtsSecaoAux" << QStringList({"codigo_div", "descricao_div"})
                              << QStringList({"", ""}) << QList<int>({24, 696}) << "MemTbsSecao"
                              << "DESCRICAO_DIV";
    QTest::newRow("DbgDivisao") << "DbgDivisao"
                                << "DtsDivisaoAux" << QStringList({"CODIGO_GRP", "DESCRICAO_GRP"})
                                << QStringList({"", ""}) << QList<int>({34, 696}) << "MemTbsDivisao"
                                << "DESCRICAO_GRP";
    QTest::newRow("DbgGrupo") << "DbgGrupo"
                              << "DtsGrupoAux" << QStringList({"CodigoClasse", "DESCRICAO_CLA"})
                              << QStringList({"", ""}) << QList<int>({48, 667}) << "MemTbsGrupo"
                              << "DESCRICAO_CLA";
    QTest::newRow("DbgClasse") << "DbgClasse"
                               << "DtsClasseAux" << QStringList({"CodigoSubClasse", "DESCRICAO_SUB"})
                               << QStringList({"", ""}) << QList<int>({57, 656}) << "MemTbsSubClasse"
                               << "DESCRICAO_SUB";
    QTest::newRow("DbgPesquisa") << "DbgPesquisa"
                                 << "DtsPesquisa" << QStringList({"CodigoClasse", "Descricao"})
                                 << QStringList({"Código", "Descrição"}) << QList<int>({65, 682})
                                 << "MemTbsPesquisa"
                                 << "Descricao";
}

void TestMainWindow::gridBindings()
{
    QFETCH(QString, name);
    QFETCH(QString, source);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, titles);
    QFETCH(QList<int>, widths);
    QFETCH(QString, memo);
    QFETCH(QString, memoField);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    const auto *grid = running->find<DataGrid>(name);
    QVERIFY(grid);
    QCOMPARE(grid->dataSource()->objectName(), source);
    QCOMPARE(grid->model()->columnCount(), fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(grid->columnField(i), fields[i]);
        QCOMPARE(grid->columnTitle(i), titles[i]);
        // Codes are blue; a structure row's two division columns too; descriptions are plain.
        const bool description = i == fields.size() - 1;
        // Code columns are at least as wide as designed; the description takes what is left.
        if (description)
            QCOMPARE(grid->columnViewportPosition(i) + grid->columnWidth(i), grid->viewport()->width());
        else
            QVERIFY(grid->columnWidth(i) >= widths[i]);
        QCOMPARE(grid->columnColor(i), description ? QColor() : kBlue);
    }
    if (!memo.isEmpty()) {
        const auto *boundMemo = running->find<DataMemo>(memo);
        QVERIFY(boundMemo);
        QCOMPARE(boundMemo->dataSource()->objectName(), source);
        QCOMPARE(boundMemo->field(), memoField);
        QVERIFY(boundMemo->isReadOnly());
    }
}

void TestMainWindow::captionLinkModes_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("caption1");
    QTest::addColumn<int>("tag1");
    QTest::addColumn<QString>("caption2");
    QTest::addColumn<int>("tag2");
    QTest::newRow("1 from 3") << 3 << 1 << true << "Sobre a Pesquisa..." << 1 << "Pesquisa Avançada..." << 2;
    QTest::newRow("2 from 1") << 1 << 2 << true << "Topo da Estrutura..." << 3 << "Nova Pesquisa..." << 4;
    QTest::newRow("2 from 3") << 3 << 2 << true << "Topo da Estrutura..." << 3 << "Nova Pesquisa..." << 4;
    QTest::newRow("3 keeps captions and tags")
        << 2 << 3 << false << "Topo da Estrutura..." << 3 << "Nova Pesquisa..." << 4;
    QTest::newRow("other changes nothing, shown")
        << 2 << 0 << true << "Topo da Estrutura..." << 3 << "Nova Pesquisa..." << 4;
    QTest::newRow("other changes nothing, hidden")
        << 3 << 4 << false << "Sobre a Pesquisa..." << 1 << "Pesquisa Avançada..." << 2;
}

void TestMainWindow::captionLinkModes()
{
    QFETCH(int, before);
    QFETCH(int, mode);
    QFETCH(bool, shown);
    QFETCH(QString, caption1);
    QFETCH(int, tag1);
    QFETCH(QString, caption2);
    QFETCH(int, tag2);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    TFrmMain *window = running->window.get();
    window->MudaCaptionLink(before);
    window->MudaCaptionLink(mode);
    const auto *link1 = running->find<LinkLabel>(QStringLiteral("LblLinkCabecalho1"));
    const auto *link2 = running->find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"));
    const auto *divider = running->find<QLabel>(QStringLiteral("LblDivisor"));
    QCOMPARE(divider->isVisible(), shown);
    QCOMPARE(link1->isVisible(), shown);
    QCOMPARE(link2->isVisible(), shown);
    QCOMPARE(link1->text(), caption1);
    QCOMPARE(link1->Tag(), tag1);
    QCOMPARE(link2->text(), caption2);
    QCOMPARE(link2->Tag(), tag2);
    if (shown) {
        QVERIFY2(link1->width() >= link1->sizeHint().width(), "caption cut");
        QVERIFY2(link2->width() >= link2->sizeHint().width(), "caption cut");
    }
}

void TestMainWindow::hoverLevelLinks_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name :
         {"LblNotasExplicativas_TbsSecao", "LblNotasExplicativas_TbsDivisao", "LblNotasExplicativas_TbsGrupo",
          "LblNotasExplicativas_TbsClasse", "LblNotasExplicativas_TbsSubClasse", "LblCodSecao_TbsDivisao",
          "LblCodSecao_TbsGrupo", "LblCodSecao_TbsClasse", "LblCodSecao_TbsSubClasse",
          "LblCodDivisao_TbsGrupo", "LblCodDivisao_TbsClasse", "LblCodDivisao_TbsSubClasse",
          "LblCodGrupo_TbsClasse", "LblCodGrupo_TbsSubClasse", "LblCodClasse_TbsSubClasse",
          "LblListarAtividades_TbsClasse", "LblListarAtividades_TbsSubClasse"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The hand and the underline come and go with the pointer; the colour stays blue.
void TestMainWindow::hoverLevelLinks()
{
    QFETCH(QString, name);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *link = running->find<LinkLabel>(name);
    QVERIFY(link);
    QVERIFY(!hasOwnCursor(link));
    QVERIFY(!link->font().underline());

    hover(link);
    QVERIFY(hasOwnCursor(link));
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(link->font().underline());
    QVERIFY(!link->font().bold());
    QCOMPARE(link->palette().color(QPalette::WindowText), kBlue);

    leave(link);
    QVERIFY(!hasOwnCursor(link));
    QVERIFY(!link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), kBlue);
}

void TestMainWindow::levelLinkWithTagIsLeftAlone()
{
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *link = running->find<LinkLabel>(QStringLiteral("LblCodGrupo_TbsClasse"));
    link->setTag(5);
    link->setCursor(Qt::CrossCursor);
    QFont struck = link->font();
    struck.setStrikeOut(true);
    link->setFont(struck);

    hover(link);
    QCOMPARE(link->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(link->font(), struck);
    leave(link);
    QCOMPARE(link->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(link->font(), struck);
}

void TestMainWindow::hoverHeaderAndLicenceLinks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour"); // invalid: the window-text colour; (1,1,1): the highlight colour
    QTest::newRow("LblLinkCabecalho1") << "LblLinkCabecalho1" << kBlue;
    QTest::newRow("LblLinkCabecalho2") << "LblLinkCabecalho2" << kBlue;
    QTest::newRow("LblLinkNovaPesquisa") << "LblLinkNovaPesquisa" << QColor(1, 1, 1);
    QTest::newRow("LblLicenca") << "LblLicenca" << QColor();
}

// These carry the hand from the form at all times; hovering only underlines.
void TestMainWindow::hoverHeaderAndLicenceLinks()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    ScratchDatabase db;
    QVERIFY2(db.create(catalogue(
                 {{1, QStringLiteral("Atual"), QStringLiteral("T_A"), 0, QStringLiteral("2023-01-01")}})),
             qPrintable(db.error()));
    auto running = start(db.baseDirectory());
    auto *link = running->find<LinkLabel>(name);
    QVERIFY(link);
    QColor expected = colour;
    if (!colour.isValid())
        expected = QApplication::palette().color(QPalette::WindowText);
    else if (colour == QColor(1, 1, 1))
        expected = running->window->palette().color(QPalette::Highlight);

    for (int round = 0; round < 2; ++round) {
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!link->font().underline());
        hover(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), expected);
        leave(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), expected);
    }
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
