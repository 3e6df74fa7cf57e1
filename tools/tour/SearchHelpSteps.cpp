#include "Tour.h"

#include "app/LinkLabel.h"
#include "browse/OtherEditions.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "search/VocabularyLoader.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace
{

void waitForVocabulary(TourContext &tour)
{
    tour.find<VocabularyLoader>(QStringLiteral("VocabularyLoader"))->waitForAll();
    QCoreApplication::processEvents();
}

void goHome(TourContext &tour)
{
    const int page = tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
    if (page != 0)
        emit tour.find<LinkLabel>(QLatin1String(page == 1 ? "LblLinkNovaPesquisa" : "LblLinkCabecalho2"))
            ->clicked();
}

// Types the text into the search box key by key, as the keyboard delivers it.
void type(QLineEdit *box, const QString &text)
{
    box->setFocus();
    for (const QChar c : text) {
        for (const QEvent::Type kind : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(kind, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box, &event);
        }
    }
}

void search(TourContext &tour, const QString &text)
{
    tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
}

// Opens the first class whose "não compreende" note cites codes of every level, preferring one that
// the sample's older edition (ZELT_100) describes otherwise; else the first that cites a class.
void classCitingCodes(TourContext &tour)
{
    const QString prefix = tour.window.nav.PrefixoTabela;
    ResultSet found;
    try {
        found = tour.dtm.ADCMain.execute(
            QStringLiteral("SELECT c.Codigo_Sec, c.Codigo_Div, c.Codigo_Grp, c.Codigo_Cla FROM %1_Classe c, "
                           "ZELT_100_Classe o WHERE o.Codigo_Cla = c.Codigo_Cla AND o.Descricao_Cla <> "
                           "c.Descricao_Cla AND c.NCOMPRE_CLA LIKE '%(____-_/__)%' ORDER BY c.Codigo_Cla")
                .arg(prefix));
    } catch (const DataError &) {
        // Another database: any class citing a code will do.
    }
    if (found.rows.isEmpty())
        found = tour.dtm.ADCMain.execute(
            QStringLiteral(
                "SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla FROM %1_Classe WHERE NCOMPRE_CLA "
                "LIKE '%(____-_)%' ORDER BY Codigo_Cla")
                .arg(prefix));
    if (found.rows.isEmpty())
        throw DataError(QStringLiteral("tour: no class note cites a code"));
    const QVector<QVariant> &row = found.rows.first();
    tour.window.openLevelItem(
        {4, {row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString()}});
}

} // namespace

QVector<TourStep> searchHelpSteps()
{
    return {
        {QStringLiteral("completar-palavra"),
         [](TourContext &tour) {
             goHome(tour);
             pickEdition(tour, false);
             waitForVocabulary(tour);
             auto *box = tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"));
             box->clear();
             type(box, QStringLiteral("venda de auto"));
         }},
        {QStringLiteral("resultado-palavras-em-negrito"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QStringLiteral("venda automov*"));
         }},
        {QStringLiteral("pesquisa-sugestoes"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QStringLiteral("vemda de automovl"));
         }},
        {QStringLiteral("pesquisa-codigo-sugestoes"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QStringLiteral("0111-9"));
         }},
        {QStringLiteral("classe-outras-edicoes"), classCitingCodes},
        {QStringLiteral("notas-com-codigos"),
         [](TourContext &tour) {
             emit tour.find<LinkLabel>(QStringLiteral("LblNotasExplicativas_TbsClasse"))->clicked();
         }},
    };
}
