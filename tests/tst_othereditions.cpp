#include "app/DataLookupCombo.h"
#include "app/Dialogs.h"

#include <QApplication>
#include <algorithm>
#include <QLabel>
#include <QTest>
#include <QTextDocument>

#include "support/TinyClassification.h"
#include "support/WindowDriver.h"

namespace
{

QString plainText(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

} // namespace

class TestOtherEditions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void lineOfEachLevel_data();
    void lineOfEachLevel();
    void linkOpensTheItemInThatEdition();
    void lineStandsWholeBetweenItsNeighbours_data();
    void lineStandsWholeBetweenItsNeighbours();

private:
    DatabaseFolder m_folder;
};

void TestOtherEditions::initTestCase()
{
    // Beta describes class 06101 otherwise; Gama has sections and divisions only.
    QCOMPARE(m_folder.create(
                 tiny::database() +
                 QStringList{QStringLiteral("INSERT INTO TST_2_CLASSE VALUES ('B', '06', '061', '06101', "
                                            "'Classe reescrita', NULL, NULL, NULL, NULL)")}),
             QString());
}

void TestOtherEditions::lineOfEachLevel_data()
{
    QTest::addColumn<QVector<int>>("rows");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("line");
    QTest::newRow("section in one other edition")
        << QVector<int>{1} << "TbsSecao"
        << "Nas outras edições: Beta Defeituosa: ausente; Delta Vazia: ausente; Gama Incompleta: ausente; "
           "Omega Subclasses: igual; Zeta Inexistente: não foi possível ler.";
    QTest::newRow("section re-described")
        << QVector<int>{0} << "TbsSecao"
        << "Nas outras edições: Beta Defeituosa: descrição diferente: “Seção sem divisões”; Delta Vazia: "
           "ausente; Gama Incompleta: descrição diferente: “Seção incompleta”; Omega Subclasses: igual; Zeta "
           "Inexistente: não foi possível ler.";
    QTest::newRow("class in some")
        << QVector<int>{1, 1, 0, 0} << "TbsClasse"
        << "Nas outras edições: Beta Defeituosa: descrição diferente: “Classe reescrita”; Delta Vazia: "
           "ausente; Gama Incompleta: não foi possível ler; Omega Subclasses: igual; Zeta Inexistente: não "
           "foi possível ler.";
    QTest::newRow("subclass")
        << QVector<int>{1, 1, 0, 0, 0} << "TbsSubClasse"
        << "Nas outras edições: Beta Defeituosa: ausente; Delta Vazia: ausente; Gama "
           "Incompleta: não foi possível ler; Omega Subclasses: igual; Zeta Inexistente: "
           "não foi possível ler.";
}

void TestOtherEditions::lineOfEachLevel()
{
    QFETCH(QVector<int>, rows);
    QFETCH(QString, page);
    QFETCH(QString, line);
    auto running = startWindow(m_folder.baseDirectory());
    browseDown(*running, rows);
    const auto *label = running->find<QLabel>(QStringLiteral("LblOutrasEdicoes_") + page);
    QVERIFY(label && label->isVisible());
    QCOMPARE(plainText(label), line);
}

void TestOtherEditions::linkOpensTheItemInThatEdition()
{
    dialogs::Recorder recorder;
    dialogs::installRecorder(&recorder);
    auto running = startWindow(m_folder.baseDirectory());
    QVERIFY(QTest::qWaitForWindowActive(running->window.get()));
    browseDown(*running, {1, 1, 0, 0});
    auto *label = running->find<QLabel>(QStringLiteral("LblOutrasEdicoes_TbsClasse"));
    // Tab to the second link (Omega), then Enter.
    label->setFocus();
    QTest::keyClick(label, Qt::Key_Tab);
    QTest::keyClick(label, Qt::Key_Tab);
    QTest::keyClick(label, Qt::Key_Return);
    dialogs::installRecorder(nullptr);
    QCOMPARE(recorder.errors, QStringList());
    QCOMPARE(running->find<DataLookupCombo>(QStringLiteral("CmbClassificacao"))->currentText(),
             QStringLiteral("Omega Subclasses"));
    QCOMPARE(running->page(), 5);
    QCOMPARE(running->text(QStringLiteral("LblCodClasse_TbsClasse")), QStringLiteral("0610-1"));
    // From there, the line names the edition it came from.
    QVERIFY(plainText(label).contains(QStringLiteral("Alfa Teste: igual")));
}

void TestOtherEditions::lineStandsWholeBetweenItsNeighbours_data()
{
    QTest::addColumn<QVector<int>>("rows");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QSize>("size");
    const struct {
        const char *name;
        QVector<int> rows;
    } pages[] = {{"TbsSecao", {1}},
                 {"TbsDivisao", {1, 1}},
                 {"TbsGrupo", {1, 1, 0}},
                 {"TbsClasse", {1, 1, 0, 0}},
                 {"TbsSubClasse", {1, 1, 0, 0, 0}}};
    for (const auto &page : pages) {
        for (const QSize &size : {QSize(804, 585), QSize(1920, 1080)})
            QTest::addRow("%s, %dx%d", page.name, size.width(), size.height())
                << page.rows << QString::fromLatin1(page.name) << size;
    }
}

// Five other editions make a line longer than the page is wide: it wraps, whole, between the
// item's description (or the subclass's link) and the list or the notes, at the designed size and
// on a full-HD screen.
void TestOtherEditions::lineStandsWholeBetweenItsNeighbours()
{
    QFETCH(QVector<int>, rows);
    QFETCH(QString, page);
    QFETCH(QSize, size);
    auto running = startWindow(m_folder.baseDirectory());
    running->window->setFixedSize(size);
    browseDown(*running, rows);
    QApplication::processEvents();
    QCOMPARE(running->window->size(), size);
    const auto *label = running->find<QLabel>(QStringLiteral("LblOutrasEdicoes_") + page);
    QVERIFY(label && label->isVisible());
    const QWidget *pageWidget = label->parentWidget();
    QCOMPARE(pageWidget->objectName(), page);
    QVERIFY2(pageWidget->rect().contains(label->geometry()), "cut by the page");
    QVERIFY2(label->heightForWidth(label->width()) <= label->height(), "text cut");
    if (size.width() < 1000)
        QVERIFY2(label->heightForWidth(label->width()) >= 2 * label->fontMetrics().lineSpacing(), "one line");
    for (const QWidget *other : pageWidget->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != label && other->isVisible())
            QVERIFY2(!other->geometry().intersects(label->geometry()), qPrintable(other->objectName()));
    }
    // Under a description it keeps the rhythm of the hierarchy's rows: one row below the last.
    QList<const QLabel *> descriptions;
    for (const QLabel *other : pageWidget->findChildren<QLabel *>()) {
        const QString name = other->objectName();
        if (name.startsWith(QStringLiteral("LblDescricao")) &&
            !name.startsWith(QStringLiteral("LblDescricaoZelt")) && other->isVisible())
            descriptions.append(other);
    }
    std::sort(descriptions.begin(), descriptions.end(),
              [](const QLabel *a, const QLabel *b) { return a->y() < b->y(); });
    if (page != QStringLiteral("TbsSubClasse") && descriptions.size() >= 2) {
        const int row = descriptions.last()->y() - descriptions[descriptions.size() - 2]->y();
        QCOMPARE(label->y() - descriptions.last()->y(), row);
    }
}

QTEST_MAIN(TestOtherEditions)
#include "tst_othereditions.moc"
