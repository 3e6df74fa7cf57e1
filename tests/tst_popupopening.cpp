#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "app/uFrmMain.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

#include "support/TestDatabase.h"
#include "TestPaths.h"

namespace
{

// The window and its data module; the window goes first.
struct Running {
    TDtmMain dtm;
    std::unique_ptr<TFrmMain> window;
};

// Records every modal window a handler opens: its caption, what inspect found, and whether it was
// freed once the handler returned.
struct Openings {
    dialogs::Recorder recorder;
    QStringList captions;
    QVector<QPointer<QDialog>> windows;

    explicit Openings(const std::function<void(QDialog &)> &inspect = {})
    {
        recorder.onModal = [this, inspect](QDialog &dialog) {
            QApplication::processEvents();
            captions.append(dialog.windowTitle());
            windows.append(&dialog);
            if (inspect)
                inspect(dialog);
        };
        dialogs::installRecorder(&recorder);
    }
    ~Openings() { dialogs::installRecorder(nullptr); }
    bool allFreed() const
    {
        return std::all_of(windows.begin(), windows.end(),
                           [](const QPointer<QDialog> &w) { return w.isNull(); });
    }
};

// A window whose database cannot be opened: enough for handlers that only read the navigation
// state; the start-up error is expected and dropped.
std::unique_ptr<Running> startWithoutDatabase()
{
    dialogs::Recorder quiet;
    dialogs::installRecorder(&quiet);
    auto running = std::make_unique<Running>();
    running->window = std::make_unique<TFrmMain>(running->dtm, QStringLiteral("/nonexistent"));
    dialogs::installRecorder(nullptr);
    return running;
}

QString shownText(QDialog &popup, const char *panel, const char *label)
{
    if (!popup.findChild<QWidget *>(QLatin1String(panel))->isVisible())
        return QStringLiteral("<hidden>");
    return popup.findChild<QLabel *>(QLatin1String(label))->text();
}

} // namespace

class TestPopupOpening : public QObject
{
    Q_OBJECT
private slots:
    void notesLinkNamesTheLevel_data();
    void notesLinkNamesTheLevel();
    void notesLinkPassesTheFiveTexts();
    void twoClicksOpenTwoWindows();
    void helpOpensOnItsPage_data();
    void helpOpensOnItsPage();
    void generalNoteOnlyOnTheSectionPage();
};

void TestPopupOpening::notesLinkNamesTheLevel_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("caption"); // empty: no window opens

    QTest::newRow("Seção") << "LblNotasExplicativas_TbsSecao"
                           << "Notas Explicativas - Seção";
    QTest::newRow("Divisão") << "LblNotasExplicativas_TbsDivisao"
                             << "Notas Explicativas - Divisão";
    QTest::newRow("Grupo") << "LblNotasExplicativas_TbsGrupo"
                           << "Notas Explicativas - Grupo";
    QTest::newRow("Classe") << "LblNotasExplicativas_TbsClasse"
                            << "Notas Explicativas - Classe";
    QTest::newRow("SubClasse") << "LblNotasExplicativas_TbsSubClasse"
                               << "Notas Explicativas - SubClasse";
    QTest::newRow("any letter case") << "LblNotasExplicativas_TBSGRUPO"
                                     << "Notas Explicativas - Grupo";
    QTest::newRow("another page") << "LblNotasExplicativas_TbsPesquisa"
                                  << "";
    QTest::newRow("page name with more") << "LblNotasExplicativas_TbsSecao2"
                                         << "";
    QTest::newRow("shorter than the prefix") << "Lbl"
                                             << "";
    QTest::newRow("no name") << ""
                             << "";
}

// The window's own five links are clicked; other names come from a stand-in sender.
void TestPopupOpening::notesLinkNamesTheLevel()
{
    QFETCH(QString, sender);
    QFETCH(QString, caption);

    auto running = startWithoutDatabase();
    running->window->nav.Compreende = QStringLiteral("algo");
    Openings openings;
    if (auto *link = running->window->findChild<LinkLabel *>(sender)) {
        emit link->clicked();
    } else {
        QObject standIn;
        standIn.setObjectName(sender);
        running->window->LblNotasExplicativas_TbsSecaoClick(&standIn);
    }
    QCOMPARE(openings.captions, caption.isEmpty() ? QStringList() : QStringList{caption});
    QVERIFY(openings.allFreed());
    QCOMPARE(openings.recorder.errors, QStringList());
}

void TestPopupOpening::notesLinkPassesTheFiveTexts()
{
    auto running = startWithoutDatabase();
    NavigationState &nav = running->window->nav;
    nav.NotaExplicativa = QStringLiteral("geral");
    nav.Compreende = QStringLiteral("compreende");
    nav.TambemCompreende = QStringLiteral("também");
    nav.NaoCompreende = QStringLiteral("não");
    nav.Notas = QStringLiteral("notas");
    QStringList shown;
    Openings openings([&](QDialog &popup) {
        shown = QStringList{shownText(popup, "PnlNotasExplicativas", "LblNotaExplicativa_Texto"),
                            shownText(popup, "PnlCompreende", "LblCompreende_Texto"),
                            shownText(popup, "PnlTambemCompreende", "LblTambemCompreende_Texto"),
                            shownText(popup, "PnlNaoCompreende", "LblNaoCompreende_Texto"),
                            shownText(popup, "PnlNotas", "LblNotas_Texto")};
    });
    running->window->LblNotasExplicativas_TbsSecaoClick(
        running->window->findChild<LinkLabel *>(QStringLiteral("LblNotasExplicativas_TbsSecao")));
    QCOMPARE(shown, (QStringList{"geral", "compreende", "também", "não", "notas"}));
}

void TestPopupOpening::twoClicksOpenTwoWindows()
{
    auto running = startWithoutDatabase();
    running->window->nav.Notas = QStringLiteral("uma nota");
    auto *link = running->window->findChild<LinkLabel *>(QStringLiteral("LblNotasExplicativas_TbsClasse"));
    {
        QStringList texts;
        Openings openings(
            [&](QDialog &popup) { texts.append(shownText(popup, "PnlNotas", "LblNotas_Texto")); });
        emit link->clicked();
        QVERIFY(openings.allFreed());
        emit link->clicked();
        QVERIFY(openings.allFreed());
        QCOMPARE(openings.windows.size(), 2);
        QCOMPARE(texts, (QStringList{"uma nota", "uma nota"}));
    }
    // And so for the help window.
    Openings openings;
    running->window->AbreJanelaAjuda(1);
    QVERIFY(openings.allFreed());
    running->window->AbreJanelaAjuda(1);
    QVERIFY(openings.allFreed());
    QCOMPARE(openings.captions, (QStringList{"Licença", "Licença"}));
}

void TestPopupOpening::helpOpensOnItsPage_data()
{
    QTest::addColumn<int>("tag"); // of the header link clicked; 0 calls AbreJanelaAjuda(1)
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");

    QTest::newRow("terms") << 0 << "Licença"
                           << "TbsLicenca";
    QTest::newRow("header link, Tag 1") << 1 << "Sobre a Pesquisa"
                                        << "TbsSobrePesquisa";
    QTest::newRow("header link, Tag 2") << 2 << "Pesquisa Avançada"
                                        << "TbsPesquisaAvancada";
}

void TestPopupOpening::helpOpensOnItsPage()
{
    QFETCH(int, tag);
    QFETCH(QString, caption);
    QFETCH(QString, page);

    auto running = startWithoutDatabase();
    QString pageShown;
    Openings openings([&](QDialog &help) {
        pageShown =
            help.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->currentWidget()->objectName();
    });
    if (tag == 0) {
        running->window->AbreJanelaAjuda(1);
    } else {
        running->window->MudaCaptionLink(1);
        auto *link = running->window->findChild<LinkLabel *>(QStringLiteral("LblLinkCabecalho%1").arg(tag));
        QCOMPARE(link->Tag(), tag);
        emit link->clicked();
    }
    QCOMPARE(openings.captions, QStringList{caption});
    QCOMPARE(pageShown, page);
    QVERIFY(openings.allFreed());
}

// The dispatcher empties the general note on leaving the Seção page, so a Divisão reached from a
// section that has one shows none.
void TestPopupOpening::generalNoteOnlyOnTheSectionPage()
{
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("Database")));
    QVERIFY(
        testdb::copyFile(QStringLiteral(ZELT_SAMPLE_DB), base.filePath(QStringLiteral("Database/ZELT.mdb"))));
    dialogs::Recorder quiet;
    dialogs::installRecorder(&quiet);
    Running running;
    running.window = std::make_unique<TFrmMain>(running.dtm, base.path());
    running.window->show();
    dialogs::installRecorder(nullptr);
    TFrmMain &window = *running.window;

    window.BtnEstruturaClick();
    Query &sections = running.dtm.QryEstrutura;
    int row = 0;
    for (; row < sections.recordCount(); ++row) {
        sections.setCurrentRow(row);
        window.DBGEstruturaCellClick();
        if (!window.nav.NotaExplicativa.trimmed().isEmpty() && !running.dtm.QrySecaoAux.isEmpty())
            break;
    }
    QVERIFY2(row < sections.recordCount(), "the sample has no section with a general note and divisions");

    QString general;
    Openings openings([&](QDialog &popup) {
        general = shownText(popup, "PnlNotasExplicativas", "LblNotaExplicativa_Texto");
    });
    emit window.findChild<LinkLabel *>(QStringLiteral("LblNotasExplicativas_TbsSecao"))->clicked();
    QCOMPARE(general, QString(window.nav.NotaExplicativa).replace(QLatin1Char('#'), QLatin1Char('-')));

    window.DbgSecaoCellClick();
    QCOMPARE(window.findChild<QStackedWidget *>(QStringLiteral("PgcPrincipal"))->currentIndex(), 3);
    emit window.findChild<LinkLabel *>(QStringLiteral("LblNotasExplicativas_TbsDivisao"))->clicked();
    QCOMPARE(openings.captions, (QStringList{"Notas Explicativas - Seção", "Notas Explicativas - Divisão"}));
    QCOMPARE(general, QStringLiteral("<hidden>"));
    QCOMPARE(openings.recorder.errors, QStringList());
}

QTEST_MAIN(TestPopupOpening)
#include "tst_popupopening.moc"
