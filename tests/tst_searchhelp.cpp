#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "search/EmphasisDelegate.h"
#include "search/VocabularyLoader.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

// Activities of the clean tree's edition beside its own: keywords one edit apart (barca, barco),
// a keyword that is also a stop word (com), and counts that order the offers.
QStringList activities()
{
    const struct {
        const char *cla, *sub, *descricao, *palavras;
    } rows[] = {
        {"05101", "01", "Oficina de automóveis", "|oficina|automovel|reparo|"},
        {"05101", "01", "Reparo de automóveis antigos", "|reparo|automovel|antigo|"},
        {"06101", "01", "Pintura de automóveis", "|pintura|automovel|"},
        {"06101", "01", "Automotor elétrico", "|automotor|eletrico|"},
        {"06201", "00", "Barca de passeio", "|barca|passeio|"},
        {"06201", "00", "Barca de carga", "|barca|carga|"},
        {"06201", "00", "Barco a vento", "|barco|vento|"},
        {"06202", "01", "Comércio de cobre", "|comercio|cobre|com|"},
        {"06202", "01", "Mecânica de motores", "|mecanica|motor|reparo|"},
        {"07301", "00", "Quiosque de quadros",
         "|quadro|queijo|quente|quilo|quimica|quinta|quiosque|quota|quartzo|"},
    };
    QStringList sql = {QStringLiteral("INSERT INTO ZELT_PALAVRA_NAO VALUES ('com')"),
                       QStringLiteral("INSERT INTO ZELT_PALAVRA_NAO VALUES ('para')")};
    for (const auto &row : rows) {
        const QString cla = QLatin1String(row.cla);
        sql.append(
            QStringLiteral("INSERT INTO TST_1_ATIVIDADE VALUES ('%1', '%2', '%3', '%4', '%5', 1, '%6', '%7')")
                .arg(cla.left(2) <= QLatin1String("04") ? "A" : "B", cla.left(2), cla.left(3), cla,
                     QLatin1String(row.sub), QString::fromUtf8(row.descricao), QLatin1String(row.palavras)));
    }
    return sql;
}

// Key by key as the keyboard delivers it; letters outside ASCII come as their text alone.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

QStringList linesOf(const QCompleter *completer)
{
    QStringList lines;
    const QAbstractItemModel *model = completer->completionModel();
    for (int row = 0; row < model->rowCount(); ++row)
        lines.append(model->index(row, 0).data().toString());
    return lines;
}

} // namespace

class TestSearchHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void completesTheWordBeingTyped_data();
    void completesTheWordBeingTyped();
    void recentSearchesComeFirst();
    void choosingReplacesOnlyTheWordUnderTheCursor();
    void enterWithNoLineChosenSearches();
    void offersWhenNothingIsFound_data();
    void offersWhenNothingIsFound();
    void anOfferRunsByClickOrEnter();
    void noOffersOverFoundRows();
    void matchedWordsDrawnBold();

private:
    void search(const QString &text);
    QStringList offerTexts() const;

    std::unique_ptr<QTemporaryDir> m_settings;
    DatabaseFolder m_folder;
    std::unique_ptr<RunningWindow> m_running;
    QLineEdit *m_box = nullptr;
};

void TestSearchHelp::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
    static bool created = false;
    if (!created) {
        QCOMPARE(m_folder.create(tiny::database() + activities()), QString());
        created = true;
    }
    m_running = startWindow(m_folder.baseDirectory());
    QVERIFY(QTest::qWaitForWindowActive(m_running->window.get()));
    m_running->find<VocabularyLoader>(QStringLiteral("VocabularyLoader"))->waitForAll();
    m_box = m_running->find<QLineEdit>(QStringLiteral("EdtPesquisa"));
    m_box->setFocus();
}

void TestSearchHelp::cleanup()
{
    m_running.reset();
}

void TestSearchHelp::search(const QString &text)
{
    m_box->setFocus();
    m_box->selectAll();
    QTest::keyClick(m_box, Qt::Key_Delete);
    type(m_box, text);
    m_box->completer()->popup()->hide();
    QTest::keyClick(m_box, Qt::Key_Return);
    QCoreApplication::processEvents();
}

QStringList TestSearchHelp::offerTexts() const
{
    QStringList texts;
    for (const LinkLabel *link :
         m_running->window->findChildren<LinkLabel *>(QRegularExpression(QStringLiteral("^LblSugestao_"))))
        texts.append(link->text());
    return texts;
}

void TestSearchHelp::completesTheWordBeingTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("lines");
    // Most activities first, ties alphabetically; "com" is a keyword but a stop word too.
    QTest::newRow("prefix") << "automo"
                            << QStringList{"automovel  (3 atividades)", "automotor  (1 atividade)"};
    QTest::newRow("case and accents folded")
        << "AUTOMÓ" << QStringList{"automovel  (3 atividades)", "automotor  (1 atividade)"};
    QTest::newRow("stop word never offered")
        << "co"
        << QStringList{"cobre  (3 atividades)", "cogumelo  (1 atividade)", "colheita  (1 atividade)",
                       "comercio  (1 atividade)"};
    QTest::newRow("operator kept") << "+barc" << QStringList{"barca  (2 atividades)", "barco  (1 atividade)"};
    QTest::newRow("at most eight words")
        << "qu" << QStringList{"quadro  (1 atividade)", "quartzo  (1 atividade)", "queijo  (1 atividade)",
                               "quente  (1 atividade)", "quilo  (1 atividade)",   "quimica  (1 atividade)",
                               "quinta  (1 atividade)", "quiosque  (1 atividade)"};
    QTest::newRow("one letter") << "a" << QStringList{};
    QTest::newRow("star") << "barc*" << QStringList{};
}

void TestSearchHelp::completesTheWordBeingTyped()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, lines);
    type(m_box, typed);
    QCOMPARE(linesOf(m_box->completer()), lines);
    QCOMPARE(m_box->completer()->popup()->isVisible(), !lines.isEmpty());
    if (typed == QLatin1String("+barc")) {
        QTest::keyClick(m_box->completer()->popup(), Qt::Key_Down);
        QTest::keyClick(m_box->completer()->popup(), Qt::Key_Return);
        QCOMPARE(m_box->text(), QStringLiteral("+barca"));
    }
}

void TestSearchHelp::recentSearchesComeFirst()
{
    search(QStringLiteral("automovel antigo"));
    QCOMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("1"));
    m_box->selectAll();
    QTest::keyClick(m_box, Qt::Key_Delete);
    type(m_box, QStringLiteral("autom"));
    QCOMPARE(linesOf(m_box->completer()),
             (QStringList{"automovel antigo", "automovel  (3 atividades)", "automotor  (1 atividade)"}));
}

void TestSearchHelp::choosingReplacesOnlyTheWordUnderTheCursor()
{
    type(m_box, QStringLiteral("oficina  pintura"));
    m_box->completer()->popup()->hide();
    QTest::keyClick(m_box, Qt::Key_Home);
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(m_box, Qt::Key_Right);
    type(m_box, QStringLiteral("auto"));
    QTRY_VERIFY(m_box->completer()->popup()->isVisible());
    QAbstractItemView *popup = m_box->completer()->popup();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    QCOMPARE(m_box->text(), QStringLiteral("oficina automotor pintura"));
    QTRY_COMPARE(m_box->cursorPosition(), 17);
}

// Enter while the list is open but no line is chosen searches for the text as typed, as it does
// with the list closed.
void TestSearchHelp::enterWithNoLineChosenSearches()
{
    type(m_box, QStringLiteral("cobre"));
    QTRY_VERIFY(m_box->completer()->popup()->isVisible());
    QTest::keyClick(m_box->completer()->popup(), Qt::Key_Return);
    QVERIFY(!m_box->completer()->popup()->isVisible());
    QCOMPARE(m_running->page(), 7);
    QCOMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("3"));
}

void TestSearchHelp::offersWhenNothingIsFound_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("offers");
    QTest::newRow("one letter off") << "automovl" << QStringList{"automovel — 3 atividades"};
    QTest::newRow("swapped letters") << "oficnia" << QStringList{"oficina — 1 atividade"};
    QTest::newRow("accent and a missing letter") << "mecânca" << QStringList{"mecanica — 1 atividade"};
    // Equally near: the keyword more activities hold comes first.
    QTest::newRow("ties by activities")
        << "barcu" << QStringList{"barca — 2 atividades", "barco — 1 atividade"};
    QTest::newRow("no neighbour") << "xilofone" << QStringList{};
    QTest::newRow("beside a first-keyword operator")
        << "+reparo automovl" << QStringList{"+reparo automovel — 1 atividade"};
    QTest::newRow("operator corrected, stop word kept")
        << "+reparu de automovel" << QStringList{"+reparo de automovel — 1 atividade"};
    QTest::newRow("beside an excluded word")
        << "-pintura automovl" << QStringList{"-pintura automovel — 2 atividades"};
    // The nearer spellings that would find nothing together are not offered.
    QTest::newRow("two words") << "barcu oficnia" << QStringList{};
    QTest::newRow("code one digit off") << "05102" << QStringList{"05101 — 2 atividades"};
    QTest::newRow("code as written") << "0620-9"
                                     << QStringList{"0620-1 — 3 atividades", "0620-2 — 4 atividades"};
    QTest::newRow("star kept") << "automovl*" << QStringList{};
}

void TestSearchHelp::offersWhenNothingIsFound()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, offers);
    search(typed);
    QCOMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("0"));
    auto *sentence = m_running->find<QLabel>(QStringLiteral("LblSemResultados"));
    QVERIFY(sentence->isVisible());
    QVERIFY2(sentence->text().startsWith(QStringLiteral("Nenhuma atividade encontrada para “")),
             qPrintable(sentence->text()));
    QCOMPARE(sentence->text().contains(QStringLiteral("Nenhuma pesquisa parecida")), offers.isEmpty());
    QCOMPARE(offerTexts(), offers);
}

void TestSearchHelp::anOfferRunsByClickOrEnter()
{
    search(QStringLiteral("barcu"));
    auto *first = m_running->find<LinkLabel>(QStringLiteral("LblSugestao_0"));
    QVERIFY(first && first->isVisible());
    clickLink(first);
    QTRY_COMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("2"));
    QCOMPARE(m_running->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("BARCA"));
    QVERIFY(!m_running->find<QWidget>(QStringLiteral("PnlSugestoesPesquisa"))->isVisible());

    search(QStringLiteral("barcu"));
    auto *second = m_running->find<LinkLabel>(QStringLiteral("LblSugestao_1"));
    QVERIFY(second && second->isVisible());
    second->setFocus();
    QTest::keyClick(second, Qt::Key_Return);
    QTRY_COMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("1"));
    QCOMPARE(m_running->text(QStringLiteral("LblItemPesquisado")), QStringLiteral("BARCO"));
}

void TestSearchHelp::noOffersOverFoundRows()
{
    search(QStringLiteral("reparo"));
    QCOMPARE(m_running->text(QStringLiteral("LblNumeroRegistros")), QStringLiteral("3"));
    QVERIFY(!m_running->find<QWidget>(QStringLiteral("PnlSugestoesPesquisa"))->isVisible());
}

void TestSearchHelp::matchedWordsDrawnBold()
{
    search(QStringLiteral("reparo automov*"));
    auto *grid = m_running->find<DataGrid>(QStringLiteral("DbgPesquisa"));
    auto *delegate = qobject_cast<EmphasisDelegate *>(grid->itemDelegateForColumn(1));
    QVERIFY(delegate);
    QCOMPARE(columnTexts(grid, 1), (QStringList{"Oficina de automóveis", "Reparo de automóveis antigos"}));
    const auto boldWords = [&](int row) {
        const QModelIndex index = grid->model()->index(row, 1);
        const QString text = index.data().toString();
        QStringList words;
        for (const MatchEmphasis::Span &span : delegate->emphasised(index))
            words.append(text.mid(span.start, span.length));
        return words;
    };
    QCOMPARE(boldWords(0), QStringList{"automóveis"});
    QCOMPARE(boldWords(1), (QStringList{"Reparo", "automóveis"}));

    // The words before a bold one are drawn as the grid draws them.
    const QRect first = grid->visualRect(grid->model()->index(0, 1));
    const QImage withBold = grid->viewport()->grab(first).toImage();
    grid->setItemDelegateForColumn(1, nullptr);
    const QImage plainCell = grid->viewport()->grab(first).toImage();
    grid->setItemDelegateForColumn(1, delegate);
    QVERIFY(withBold != plainCell);
    const int before = grid->fontMetrics().horizontalAdvance(QStringLiteral("Oficina"));
    QCOMPARE(withBold.copy(0, 0, before, withBold.height()),
             plainCell.copy(0, 0, before, plainCell.height()));

    // Painted: a row with bold words differs from the grid's plain drawing of it; a row without
    // them is the plain drawing itself.
    search(QStringLiteral("reparo"));
    QCOMPARE(columnTexts(grid, 1),
             (QStringList{"Oficina de automóveis", "Reparo de automóveis antigos", "Mecânica de motores"}));
    const auto cells = [grid] {
        QVector<QImage> images;
        for (int row = 0; row < 3; ++row)
            images.append(grid->viewport()->grab(grid->visualRect(grid->model()->index(row, 1))).toImage());
        return images;
    };
    const QVector<QImage> emphasised = cells();
    grid->setItemDelegateForColumn(1, nullptr);
    const QVector<QImage> plain = cells();
    QCOMPARE(emphasised[0], plain[0]);
    QVERIFY(emphasised[1] != plain[1]);
    QCOMPARE(emphasised[2], plain[2]);
}

QTEST_MAIN(TestSearchHelp)
#include "tst_searchhelp.moc"
