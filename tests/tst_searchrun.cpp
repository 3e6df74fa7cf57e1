#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "support/TestDatabase.h"

namespace
{

const QString kClassEdition = QStringLiteral("ZELT 9.0");
const QString kSubclassEdition = QStringLiteral("ZELT 9.1 - Subclasses");
const QString kEmptyBox = QStringLiteral("Por Favor informe a palavra chave ou o código");

// One activity: its place in the hierarchy, its description and its keyword list.
struct Activity {
    const char *sec, *div, *grp, *cla, *sub, *descricao, *palavras;
};

// Section B, division 45, group 452 and class 45209 each come second in their parent's list, so
// an ancestor link that fell back on the first row of a list would show another code.
const Activity kActivities[] = {
    {"B", "45", "452", "45209", "02", "Comércio de carros usados", "|venda|carros|usados|"},
    {"B", "45", "452", "45209", "01", "Venda de carros novos", "|venda|carros|novos|"},
    {"B", "45", "452", "45209", "88", "Revenda de carros em revisão", "|venda|carros|revisao|"},
    {"B", "45", "451", "45101", "01", "Aluguel de carros", "|aluguel|carros|"},
    {"B", "45", "452", "45201", "01", "Acessórios para carros", "|acessorios|carros|"},
    {"A", "01", "011", "01113", "01", "Cultivo de arroz", "|arroz|cultivo|"},
    {"A", "02", "021", "02101", "01", "Ação de limpeza de água", "|acao|agua|limpeza|"},
    {"A", "02", "021", "02101", "01", "Água benta", "|àgua|"},
    {"A", "02", "021", "02101", "01", "Venda d'agua mineral", "|venda|d'agua|mineral|"},
    {"B", "44", "441", "44101", "01", "Zebus", "|zebu|"},
};
constexpr int kActivityCount = sizeof kActivities / sizeof kActivities[0];

QString quotedSql(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

QString values(const QStringList &texts)
{
    QStringList quoted;
    for (const QString &text : texts)
        quoted.append(quotedSql(text));
    return QStringLiteral(" VALUES (") + quoted.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// The hierarchy and activities of one edition, the same under every prefix.
QStringList edition(const QString &prefix)
{
    const QString notesColumns =
        QStringLiteral("CCOMPRE_%1 TEXT, TCOMPRE_%1 TEXT, NCOMPRE_%1 TEXT, NOTAS_%1 TEXT");
    QStringList sql = {
        QStringLiteral("CREATE TABLE %1_Secao (CODIGO_SEC TEXT, DESCRICAO_SEC TEXT, CODIGO_DIV1 TEXT, "
                       "CODIGO_DIV2 TEXT, NTEXP_SEC TEXT, %2)")
            .arg(prefix, notesColumns.arg(QStringLiteral("SEC"))),
        QStringLiteral("CREATE TABLE %1_Divisao (CODIGO_SEC TEXT, CODIGO_DIV TEXT, DESCRICAO_DIV TEXT, %2)")
            .arg(prefix, notesColumns.arg(QStringLiteral("DIV"))),
        QStringLiteral("CREATE TABLE %1_Grupo (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, "
                       "DESCRICAO_GRP TEXT, %2)")
            .arg(prefix, notesColumns.arg(QStringLiteral("GRP"))),
        QStringLiteral(
            "CREATE TABLE %1_Classe (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, CODIGO_CLA TEXT, "
            "DESCRICAO_CLA TEXT, %2)")
            .arg(prefix, notesColumns.arg(QStringLiteral("CLA"))),
        QStringLiteral("CREATE TABLE %1_SubClasse (CODIGO_SEC TEXT, CODIGO_DIV TEXT, CODIGO_GRP TEXT, "
                       "CODIGO_CLA TEXT, CODIGO_SUB TEXT, DV_SUB TEXT, DESCRICAO_SUB TEXT, %2)")
            .arg(prefix, notesColumns.arg(QStringLiteral("SUB"))),
        QStringLiteral("CREATE TABLE %1_Atividade (Codigo_Sec TEXT, Codigo_Div TEXT, Codigo_Grp TEXT, "
                       "Codigo_Cla TEXT, Codigo_Sub TEXT, Codigo_Cla_Seq INTEGER, Descricao_Cla TEXT, "
                       "Palavra_Chave TEXT)")
            .arg(prefix),
    };
    // Every level row ends with its four note columns; only the section has one more before them.
    const auto insert = [&](const char *table, const QStringList &row) {
        sql.append(QStringLiteral("INSERT INTO %1_%2").arg(prefix, QLatin1String(table)) +
                   values(row + QStringList{"Compreende", "", "", ""}));
    };
    insert("Secao", {"A", "Seção A", "01", "02", "Nota A"});
    insert("Secao", {"B", "Seção B", "44", "45", "Nota B"});
    const QList<QStringList> divisions = {{"A", "01"}, {"A", "02"}, {"B", "44"}, {"B", "45"}};
    for (const QStringList &d : divisions)
        insert("Divisao", d + QStringList{"Divisão " + d[1]});
    const QList<QStringList> groups = {
        {"A", "01", "011"}, {"A", "02", "021"}, {"B", "44", "441"}, {"B", "45", "451"}, {"B", "45", "452"}};
    for (const QStringList &g : groups)
        insert("Grupo", g + QStringList{"Grupo " + g[2]});
    const QList<QStringList> classes = {{"A", "01", "011", "01113"}, {"A", "02", "021", "02101"},
                                        {"B", "44", "441", "44101"}, {"B", "45", "451", "45101"},
                                        {"B", "45", "452", "45201"}, {"B", "45", "452", "45209"}};
    for (const QStringList &c : classes) {
        insert("Classe", c + QStringList{"Classe " + c[3]});
        const QStringList subs = c[3] == "45209" ? QStringList{"01", "02", "88"} : QStringList{"01"};
        for (const QString &s : subs)
            insert("SubClasse", c + QStringList{s, "0", "Subclasse " + c[3] + "/" + s});
    }
    for (int i = 0; i < kActivityCount; ++i) {
        const Activity &a = kActivities[i];
        sql.append(QStringLiteral("INSERT INTO %1_Atividade VALUES (%2, %3, %4, %5, %6, %7, %8, %9)")
                       .arg(prefix, quotedSql(a.sec), quotedSql(a.div), quotedSql(a.grp), quotedSql(a.cla),
                            quotedSql(a.sub), QString::number(i + 1),
                            quotedSql(QString::fromUtf8(a.descricao)),
                            quotedSql(QString::fromUtf8(a.palavras))));
    }
    return sql;
}

QStringList database()
{
    QStringList sql = {
        QStringLiteral(
            "CREATE TABLE ZELT_Classificacao (Cod_Classificacao INTEGER, Descricao TEXT, Tabela TEXT, "
            "Status INTEGER, Descricao_Pagina TEXT, Data_Atualizacao TEXT)"),
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (1, 'ZELT 9.0', 'T90', 0, 'Página 9.0', "
                       "'2024-05-01 00:00:00')"),
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (2, 'ZELT 9.1 - Subclasses', 'T91', 0, "
                       "'Página 9.1', '2024-06-01 00:00:00')"),
        // An edition whose tables are missing.
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (3, 'ZELT 9.2', 'T92', 0, 'Página 9.2', "
                       "'2024-07-01 00:00:00')"),
        // More names over the subclass edition's tables: only the description decides the kind.
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (4, 'ZELT 9.3 fIsCaL', 'T91', 0, 'Página 9.3', "
                       "'2024-05-01 00:00:00')"),
        QStringLiteral("INSERT INTO ZELT_Classificacao VALUES (5, 'ZELT 9.4 SUBCLASSES rev', 'T91', 0, "
                       "'Página 9.4', '2024-05-01 00:00:00')"),
        QStringLiteral(
            "INSERT INTO ZELT_Classificacao VALUES (6, 'ZELT 9.5 Subclasse', 'T91', 0, 'Página 9.5', "
            "'2024-05-01 00:00:00')"),
        QStringLiteral("CREATE TABLE ZELT_PALAVRA_NAO (Palavra_Pan TEXT)"),
        QStringLiteral("INSERT INTO ZELT_PALAVRA_NAO VALUES ('de'), ('da'), ('o')"),
        QStringLiteral("CREATE TABLE ZELT_Sinonimo (PALAVRA_SIN TEXT, SINONIMO_SIN TEXT)"),
    };
    return sql + edition(QStringLiteral("T90")) + edition(QStringLiteral("T91"));
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

class TestSearchRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void resultKindThroughTheWindow_data();
    void resultKindThroughTheWindow();
    void emptyBoxIsRefused();
    void blankTextSearchesNothing();
    void enterRunsTheSearch_data();
    void enterRunsTheSearch();
    void order_data();
    void order();
    void subclassEditionByItsName_data();
    void subclassEditionByItsName();
    void stopWordsAreDropped_data();
    void stopWordsAreDropped();
    void accentsFoldedOrKept_data();
    void accentsFoldedOrKept();
    void apostropheShownOnceSentDoubled();
    void clickOnEmptyResultsDoesNothing();
    void failedRun_data();
    void failedRun();
    void resultOpensItsLevelPage_data();
    void resultOpensItsLevelPage();
    void ancestorLinksFromAResult_data();
    void ancestorLinksFromAResult();
    void listActivities_data();
    void listActivities();
    void hostileInput_data();
    void hostileInput();

private:
    void pickEdition(const QString &descricao);
    void search(const QString &text);
    void clickResult(const QString &descricao);
    void clickLink(const QString &name);
    QStringList column(const QString &field) const;
    QStringList shown(int gridColumn) const;
    int page() const;
    template <class T> T *find(const QString &name) const
    {
        T *widget = m_window->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", qPrintable(name));
        return widget;
    }

    QTemporaryDir m_base;
    QString databasePath() const { return m_base.filePath(QStringLiteral("Database/ZELT.mdb")); }
    dialogs::Recorder m_recorder;
    std::unique_ptr<TDtmMain> m_dtm;
    std::unique_ptr<TFrmMain> m_window;
};

void TestSearchRun::initTestCase()
{
    QVERIFY(m_base.isValid() && QDir(m_base.path()).mkpath(QStringLiteral("Database")));
    QCOMPARE(testdb::createSqlite(databasePath(), database()), QString());
}

void TestSearchRun::init()
{
    m_recorder = dialogs::Recorder();
    dialogs::installRecorder(&m_recorder);
    m_dtm = std::make_unique<TDtmMain>();
    m_window = std::make_unique<TFrmMain>(*m_dtm, m_base.path());
    m_window->show();
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestSearchRun::cleanup()
{
    m_window.reset();
    m_dtm.reset();
    dialogs::installRecorder(nullptr);
}

void TestSearchRun::pickEdition(const QString &descricao)
{
    auto *combo = find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    const int index = combo->findText(descricao);
    QVERIFY2(index >= 0, qPrintable(descricao));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    QCOMPARE(m_window->nav.DescricaoClassificacao, descricao);
}

// Types the text and clicks "Pesquisa", as the user does.
void TestSearchRun::search(const QString &text)
{
    find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    QTest::mouseClick(find<QPushButton>(QStringLiteral("BtnPesquisa")), Qt::LeftButton);
}

void TestSearchRun::clickResult(const QString &descricao)
{
    auto *grid = find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const int row = column(QStringLiteral("Descricao")).indexOf(descricao);
    QVERIFY2(row >= 0, qPrintable(descricao));
    const QModelIndex index = grid->model()->index(row, 1);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void TestSearchRun::clickLink(const QString &name)
{
    QTest::mouseClick(find<LinkLabel>(name), Qt::LeftButton, {}, QPoint(2, 2));
}

// One column of the search results, read from the query itself.
QStringList TestSearchRun::column(const QString &field) const
{
    const Query &query = m_dtm->QryPesquisa;
    const int c = query.columnIndex(field);
    QStringList texts;
    for (int row = 0; c >= 0 && row < query.recordCount(); ++row)
        texts.append(query.value(row, c).toString());
    return texts;
}

// One column of the results grid, as it shows them.
QStringList TestSearchRun::shown(int gridColumn) const
{
    const QAbstractItemModel *model = find<DataGrid>(QStringLiteral("DbgPesquisa"))->model();
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, gridColumn).data().toString());
    return texts;
}

int TestSearchRun::page() const
{
    return find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
}

void TestSearchRun::resultKindThroughTheWindow_data()
{
    QTest::addColumn<int>("origem");
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("subclasses");
    QTest::addColumn<QString>("firstCode");

    QTest::newRow("box, subclass edition") << 1 << kSubclassEdition << "carros" << true << "4510-1/01";
    QTest::newRow("box, class edition") << 1 << kClassEdition << "carros" << false << "4510-1";
    QTest::newRow("box, subclass edition, 7-digit code")
        << 1 << kSubclassEdition << "4520902" << true << "4520-9/02";
    QTest::newRow("box, class edition, 7-digit code") << 1 << kClassEdition << "4520902" << false << "4520-9";
    QTest::newRow("link, subclass edition, word") << 2 << kSubclassEdition << "carros" << true << "4510-1/01";
    QTest::newRow("link, subclass edition, 7 digits")
        << 3 << kSubclassEdition << "4520902" << true << "4520-9/02";
    QTest::newRow("link, subclass edition, 5 digits")
        << 2 << kSubclassEdition << "45209" << false << "4520-9";
    QTest::newRow("link, class edition, word") << 3 << kClassEdition << "carros" << false << "4510-1";
    QTest::newRow("link, class edition, 7 digits") << 3 << kClassEdition << "4520902" << true << "4520-9/02";
    QTest::newRow("link, class edition, 5 digits") << 2 << kClassEdition << "45209" << false << "4520-9";
    // Blanks around the code are trimmed before its length is judged.
    QTest::newRow("link, padded 7 digits") << 3 << kClassEdition << " 4520902\t" << true << "4520-9/02";
}

void TestSearchRun::resultKindThroughTheWindow()
{
    QFETCH(int, origem);
    QFETCH(QString, edicao);
    QFETCH(QString, texto);
    QFETCH(bool, subclasses);
    QFETCH(QString, firstCode);

    pickEdition(edicao);
    m_window->nav.ResultadoSubClasse = !subclasses;
    auto *grid = find<DataGrid>(QStringLiteral("DbgPesquisa"));
    grid->setColumnField(0, subclasses ? QStringLiteral("CodigoClasse") : QStringLiteral("CodigoSubClasse"));
    // The column must already show the right code when the new rows arrive.
    QString fieldWhenReloaded;
    connect(&m_dtm->QryPesquisa, &Query::reloaded, grid, [&] { fieldWhenReloaded = grid->columnField(0); });

    // As the list-activities links do: the origin first, then the text in the box, then the page.
    m_window->nav.OrigemPesquisa = origem;
    find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(texto);
    m_window->AbrePaginaPesquisa();

    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), 7);
    const QString field = subclasses ? QStringLiteral("CodigoSubClasse") : QStringLiteral("CodigoClasse");
    QCOMPARE(m_window->nav.ResultadoSubClasse, subclasses);
    QCOMPARE(grid->columnField(0), field);
    QCOMPARE(fieldWhenReloaded, field);
    QCOMPARE(grid->columnField(1), QStringLiteral("Descricao"));
    QCOMPARE(shown(0).value(0), firstCode);
}

void TestSearchRun::emptyBoxIsRefused()
{
    m_window->nav.OrigemPesquisa = 3;
    search(QString());
    QCOMPARE(m_recorder.warnings, QStringList{kEmptyBox});
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(m_window->nav.OrigemPesquisa, 1);
    QCOMPARE(page(), 0);
    QVERIFY(!m_dtm->QryPesquisa.isOpen());
}

void TestSearchRun::blankTextSearchesNothing()
{
    search(QStringLiteral("   "));
    QCOMPARE(m_recorder.warnings, QStringList());
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), 7);
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), QString());
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("0"));
    QVERIFY(m_dtm->QryPesquisa.isOpen());
    QVERIFY(m_dtm->QryPesquisa.sql().join(QString()).contains(QLatin1String("'%|#0|%'")));
}

void TestSearchRun::enterRunsTheSearch_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expectedPage");
    QTest::newRow("return") << int(Qt::Key_Return) << 7;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << 7;
    QTest::newRow("letter") << int(Qt::Key_A) << 0;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 0;
}

void TestSearchRun::enterRunsTheSearch()
{
    QFETCH(int, key);
    QFETCH(int, expectedPage);
    auto *box = find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    box->setText(QStringLiteral("arroz"));
    QTest::keyClick(box, Qt::Key(key));
    QCOMPARE(page(), expectedPage);
    QCOMPARE(m_recorder.errors, QStringList());
    if (expectedPage == 7) {
        QCOMPARE(box->text(), QStringLiteral("arroz")); // kept for going home
        QCOMPARE(column(QStringLiteral("Descricao")), QStringList{"Cultivo de arroz"});
        QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("1"));
    }
}

void TestSearchRun::order_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<bool>("alfabetica");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("descriptions");

    QTest::newRow("class edition by code")
        << kClassEdition << false << QStringList{"4510-1", "4520-1", "4520-9", "4520-9", "4520-9"}
        << QStringList{"Aluguel de carros", "Acessórios para carros", "Comércio de carros usados",
                       "Revenda de carros em revisão", "Venda de carros novos"};
    QTest::newRow("class edition alphabetical")
        << kClassEdition << true << QStringList{"4520-1", "4510-1", "4520-9", "4520-9", "4520-9"}
        << QStringList{"Acessórios para carros", "Aluguel de carros", "Comércio de carros usados",
                       "Revenda de carros em revisão", "Venda de carros novos"};
    // Subclass editions follow class, subclass and description whatever the choice, without 88.
    for (const bool alfabetica : {false, true}) {
        QTest::addRow("subclass edition, alphabetical %d", alfabetica)
            << kSubclassEdition << alfabetica
            << QStringList{"4510-1/01", "4520-1/01", "4520-9/01", "4520-9/02"}
            << QStringList{"Aluguel de carros", "Acessórios para carros", "Venda de carros novos",
                           "Comércio de carros usados"};
    }
}

void TestSearchRun::order()
{
    QFETCH(QString, edicao);
    QFETCH(bool, alfabetica);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, descriptions);

    pickEdition(edicao);
    find<QRadioButton>(alfabetica ? QStringLiteral("RdbAlfabetica") : QStringLiteral("RdbCodigo"))
        ->setChecked(true);
    search(QStringLiteral("carros"));
    QCOMPARE(m_recorder.errors, QStringList());

    QCOMPARE(shown(0), codes);
    QCOMPARE(shown(1), descriptions);
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QString::number(codes.size()));
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), QStringLiteral("CARROS"));
}

void TestSearchRun::subclassEditionByItsName_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QStringList>("codes");
    const QStringList subclasses{"4510-1/01", "4520-1/01", "4520-9/01", "4520-9/02"};
    QTest::newRow("fiscal, mixed case") << "ZELT 9.3 fIsCaL" << subclasses;
    QTest::newRow("subclasses, upper case, inside") << "ZELT 9.4 SUBCLASSES rev" << subclasses;
    QTest::newRow("singular is a class edition")
        << "ZELT 9.5 Subclasse" << QStringList{"4520-1", "4510-1", "4520-9", "4520-9", "4520-9"};
}

// Alphabetical order chosen: a subclass edition ignores it, lists subclasses and drops subclass 88.
void TestSearchRun::subclassEditionByItsName()
{
    QFETCH(QString, edicao);
    QFETCH(QStringList, codes);

    pickEdition(edicao);
    find<QRadioButton>(QStringLiteral("RdbAlfabetica"))->setChecked(true);
    search(QStringLiteral("carros"));
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(shown(0), codes);
}

void TestSearchRun::stopWordsAreDropped_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QString>("lastLookup");

    const QStringList vendaCarros{"Comércio de carros usados", "Revenda de carros em revisão",
                                  "Venda de carros novos"};
    QTest::newRow("stop word in the middle")
        << "venda de carros" << vendaCarros
        << "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = 'carros'";
    // Stop words are matched whatever their case; a word with an operator is no stop word.
    QTest::newRow("stop word in capitals")
        << "venda DE carros" << vendaCarros
        << "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = 'carros'";
    QTest::newRow("operator keeps a stop word")
        << "venda +de" << QStringList()
        << "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = '+de'";
    QTest::newRow("only stop words") << "de o da" << QStringList()
                                     << "SELECT Palavra_Pan FROM ZELT_PALAVRA_NAO WHERE Palavra_Pan = 'da'";
}

void TestSearchRun::stopWordsAreDropped()
{
    QFETCH(QString, texto);
    QFETCH(QStringList, found);
    QFETCH(QString, lastLookup);

    search(texto);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(column(QStringLiteral("Descricao")), found);
    QCOMPARE(m_dtm->QryPesquisaAux.sql(), QStringList{lastLookup});
}

void TestSearchRun::accentsFoldedOrKept_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("folded") << QStringLiteral("ação") << "ACAO" << QStringList{"Ação de limpeza de água"};
    QTest::newRow("folded capitals") << QStringLiteral("AÇÃO") << "ACAO"
                                     << QStringList{"Ação de limpeza de água"};
    QTest::newRow("folded, not the kept letter")
        << QStringLiteral("água") << "AGUA" << QStringList{"Ação de limpeza de água"};
    // à is neither folded nor upper-cased: it finds only the keyword written with it.
    QTest::newRow("kept") << QStringLiteral("àgua") << QStringLiteral("àGUA") << QStringList{"Água benta"};
}

void TestSearchRun::accentsFoldedOrKept()
{
    QFETCH(QString, texto);
    QFETCH(QString, caption);
    QFETCH(QStringList, found);

    search(texto);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), caption);
    QCOMPARE(column(QStringLiteral("Descricao")), found);
}

void TestSearchRun::apostropheShownOnceSentDoubled()
{
    search(QStringLiteral("d'agua"));
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), QStringLiteral("D'AGUA"));
    const QStringList sql = m_dtm->QryPesquisa.sql();
    QCOMPARE(sql.size(), 1);
    QVERIFY2(sql.first().contains(QLatin1String("LIKE '%|d''agua|%'")), qPrintable(sql.first()));
    QCOMPARE(column(QStringLiteral("Descricao")), QStringList{"Venda d'agua mineral"});
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("1"));
}

void TestSearchRun::clickOnEmptyResultsDoesNothing()
{
    search(QStringLiteral("inexistente"));
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("0"));
    auto *grid = find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    m_window->DbgPesquisaCellClick();
    QCOMPARE(page(), 7);
    QCOMPARE(m_recorder.errors, QStringList());
}

void TestSearchRun::failedRun_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("codesLeft");
    QTest::addColumn<int>("pageAfterClick");

    // The lookups fail: the previous rows stay, and so do their column and the page they open.
    QTest::newRow("results query") << "ZELT 9.2"
                                   << "carros" << QStringList() << 7;
}

void TestSearchRun::failedRun()
{
    QFETCH(QString, edicao);
    QFETCH(QString, texto);
    QFETCH(QStringList, codesLeft);
    QFETCH(int, pageAfterClick);

    search(QStringLiteral("carros"));
    pickEdition(edicao);
    search(texto);
    QCOMPARE(m_recorder.errors.size(), 1);
    QCOMPARE(page(), 7);
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), QStringLiteral("CARROS"));
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("5"));
    QCOMPARE(shown(0), codesLeft);
    QCOMPARE(m_window->nav.ResultadoSubClasse, false);

    auto *grid = find<DataGrid>(QStringLiteral("DbgPesquisa"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(page(), pageAfterClick);
    QCOMPARE(m_recorder.errors.size(), 1);
}

void TestSearchRun::resultOpensItsLevelPage_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<int>("expectedPage");
    QTest::addColumn<QString>("codeLabel");
    QTest::addColumn<QString>("code");

    QTest::newRow("class edition") << kClassEdition << 5 << "LblCodClasse_TbsClasse"
                                   << "4520-9";
    QTest::newRow("subclass edition") << kSubclassEdition << 6 << "LblCodSubClasse_TbsSubClasse"
                                      << "4520-9/02";
}

void TestSearchRun::resultOpensItsLevelPage()
{
    QFETCH(QString, edicao);
    QFETCH(int, expectedPage);
    QFETCH(QString, codeLabel);
    QFETCH(QString, code);

    pickEdition(edicao);
    search(QStringLiteral("carros"));
    clickResult(QStringLiteral("Comércio de carros usados"));
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), expectedPage);
    QCOMPARE(find<QLabel>(codeLabel)->text(), code);
    QCOMPARE(m_window->nav.CodClasse, QStringLiteral("45209"));
    // The results stay open on the clicked row: the level pages read it.
    QCOMPARE(m_dtm->QryPesquisa.fieldByName(QStringLiteral("Descricao")).asString(),
             QStringLiteral("Comércio de carros usados"));
}

void TestSearchRun::ancestorLinksFromAResult_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QString>("link");
    QTest::addColumn<int>("expectedPage");
    QTest::addColumn<QString>("codeLabel");
    QTest::addColumn<QString>("code");

    QTest::newRow("classe: seção") << kClassEdition << "LblCodSecao_TbsClasse" << 2 << "LblCodSecao_TbsSecao"
                                   << "B";
    QTest::newRow("classe: divisão") << kClassEdition << "LblCodDivisao_TbsClasse" << 3
                                     << "LblCodDivisao_TbsDivisao"
                                     << "45";
    QTest::newRow("classe: grupo") << kClassEdition << "LblCodGrupo_TbsClasse" << 4 << "LblCodGrupo_TbsGrupo"
                                   << "452";
    QTest::newRow("subclasse: seção")
        << kSubclassEdition << "LblCodSecao_TbsSubClasse" << 2 << "LblCodSecao_TbsSecao"
        << "B";
    QTest::newRow("subclasse: divisão")
        << kSubclassEdition << "LblCodDivisao_TbsSubClasse" << 3 << "LblCodDivisao_TbsDivisao"
        << "45";
    QTest::newRow("subclasse: grupo")
        << kSubclassEdition << "LblCodGrupo_TbsSubClasse" << 4 << "LblCodGrupo_TbsGrupo"
        << "452";
    QTest::newRow("subclasse: classe")
        << kSubclassEdition << "LblCodClasse_TbsSubClasse" << 5 << "LblCodClasse_TbsClasse"
        << "4520-9";
}

void TestSearchRun::ancestorLinksFromAResult()
{
    QFETCH(QString, edicao);
    QFETCH(QString, link);
    QFETCH(int, expectedPage);
    QFETCH(QString, codeLabel);
    QFETCH(QString, code);

    pickEdition(edicao);
    search(QStringLiteral("carros"));
    clickResult(QStringLiteral("Comércio de carros usados"));
    clickLink(link);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), expectedPage);
    QCOMPARE(find<QLabel>(codeLabel)->text(), code);
}

void TestSearchRun::listActivities_data()
{
    QTest::addColumn<QString>("edicao");
    QTest::addColumn<QStringList>("links"); // clicked in turn from the result "Comércio de carros usados"
    QTest::addColumn<int>("origem");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("class page, class edition")
        << kClassEdition << QStringList{"LblListarAtividades_TbsClasse"} << 2 << "45209"
        << QStringList{"4520-9", "4520-9", "4520-9"};
    QTest::newRow("subclass page, subclass edition")
        << kSubclassEdition << QStringList{"LblListarAtividades_TbsSubClasse"} << 3 << "4520902"
        << QStringList{"4520-9/02"};
    // A class lists class codes even in a subclass edition, whose filter still drops 88.
    QTest::newRow("class page, subclass edition")
        << kSubclassEdition << QStringList{"LblCodClasse_TbsSubClasse", "LblListarAtividades_TbsClasse"} << 2
        << "45209" << QStringList{"4520-9", "4520-9"};
}

void TestSearchRun::listActivities()
{
    QFETCH(QString, edicao);
    QFETCH(QStringList, links);
    QFETCH(int, origem);
    QFETCH(QString, caption);
    QFETCH(QStringList, codes);

    pickEdition(edicao);
    search(QStringLiteral("carros"));
    clickResult(QStringLiteral("Comércio de carros usados"));
    for (const QString &link : links)
        clickLink(link);
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), 7);
    QCOMPARE(m_window->nav.OrigemPesquisa, origem);
    QCOMPARE(find<QLabel>(QStringLiteral("LblItemPesquisado"))->text(), caption);
    QCOMPARE(shown(0), codes);
}

void TestSearchRun::hostileInput_data()
{
    QTest::addColumn<QString>("texto");
    // -1: whatever the engine finds; -2: runs or gives the error dialog.
    QTest::addColumn<int>("expected");

    const int all = kActivityCount;
    const int any = -1;
    const int runsOrError = -2;
    QTest::newRow("apostrophe") << "'" << 0;
    QTest::newRow("two apostrophes") << "''" << 0;
    QTest::newRow("closing the literal") << "x' OR 'a'='a" << 0;
    QTest::newRow("closing the condition") << "carros%') OR ('1'='1" << 0;
    QTest::newRow("second statement") << "'; DELETE FROM T90_Atividade; --" << 0;
    QTest::newRow("drop") << "x');DROP TABLE T90_Atividade;--" << 0;
    // "--" excludes the empty keyword, which no list has.
    QTest::newRow("comment") << "carros --" << 5;
    QTest::newRow("block comment") << "/* carros */" << 0;
    QTest::newRow("double quote") << "\"carros\"" << 0;
    QTest::newRow("backslash") << "carros\\" << 0;
    QTest::newRow("semicolon") << "venda;carros" << 0;
    // % and _ keep their LIKE meaning: "%" is a keyword between two bars, which every list has.
    QTest::newRow("percent") << "%" << all;
    QTest::newRow("underscore") << "_" << 0;
    QTest::newRow("percent inside") << "car%" << 5;
    QTest::newRow("bracket") << "[" << runsOrError;
    QTest::newRow("bracket class") << "[a-z]*" << any;
    QTest::newRow("closing bracket") << "]" << runsOrError;
    QTest::newRow("bar") << "|" << 0;
    QTest::newRow("bars") << "*|*" << any;
    QTest::newRow("lone exclusion") << "-" << all;
    QTest::newRow("parentheses") << "((carros))" << 0;
    QTest::newRow("marker") << "#0" << 0;
    QTest::newRow("control characters inside") << QStringLiteral("car\x01\x02ros") << 0;
    QTest::newRow("tab inside") << "venda\tcarros" << 0;
    QTest::newRow("nul inside") << QStringLiteral("car") + QChar(0) + QStringLiteral("ros") << runsOrError;
    QTest::newRow("line break inside") << "carros\nvenda" << 0;
    QTest::newRow("non-latin") << QStringLiteral("машина 汽车 سيارة") << 0;
    QTest::newRow("emoji") << QStringLiteral("\U0001F697") << 0;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << runsOrError;
    QTest::newRow("right-to-left mark") << QStringLiteral("\u202Ecarros") << 0;
    QTest::newRow("huge code") << "99999999999999999999" << 0;
    QTest::newRow("hex code") << "$FF" << 0;
    QTest::newRow("long word") << QString(990, QLatin1Char('a')) << 0;
    QTest::newRow("many stop words") << QStringLiteral("de ").repeated(300) << 0;
    QTest::newRow("very long text") << QString(100000, QLatin1Char('a')) << runsOrError;
    QTest::newRow("many apostrophes") << QString(700, QLatin1Char('\'')) << runsOrError;
}

void TestSearchRun::hostileInput()
{
    QFETCH(QString, texto);
    QFETCH(int, expected);

    const QByteArray before = fileHash(databasePath());
    QVERIFY(!before.isEmpty());
    search(texto);
    QCOMPARE(fileHash(databasePath()), before);
    // A text over the limit is refused before it runs, with one warning, on the home page.
    if (expected == -2 && m_recorder.warnings.size() == 1) {
        QVERIFY2(m_recorder.warnings.first().startsWith(QStringLiteral("O texto da pesquisa é longo demais")),
                 qPrintable(m_recorder.warnings.first()));
        QCOMPARE(m_recorder.errors, QStringList());
        QCOMPARE(page(), 0);
        return;
    }
    QCOMPARE(m_recorder.warnings, QStringList());

    if (expected == -2 && !m_recorder.errors.isEmpty()) {
        QCOMPARE(m_recorder.errors.size(), 1);
        QVERIFY(!m_recorder.errors.first().isEmpty());
        return;
    }
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(page(), 7);
    const int found = find<DataGrid>(QStringLiteral("DbgPesquisa"))->model()->rowCount();
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QString::number(found));
    if (expected >= 0)
        QCOMPARE(found, expected);
    const QStringList sql = m_dtm->QryPesquisa.sql();
    QCOMPARE(sql.size(), 1);
    QVERIFY(sql.first().startsWith(QLatin1String("SELECT ")));

    // The window goes on working after it.
    search(QStringLiteral("carros"));
    QCOMPARE(m_recorder.errors, QStringList());
    QCOMPARE(find<QLabel>(QStringLiteral("LblNumeroRegistros"))->text(), QStringLiteral("5"));
}

QTEST_MAIN(TestSearchRun)
#include "tst_searchrun.moc"
