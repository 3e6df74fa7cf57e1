#include "Tour.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>

namespace
{

void clickAt(QWidget *widget, const QPoint &local)
{
    const QPointF at(local);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

void clickLink(TourContext &tour, const char *name)
{
    clickAt(tour.find<LinkLabel>(QLatin1String(name)), QPoint(2, 2));
}

// "Nova Pesquisa...": in the header on most pages, on a link of its own on the structure page.
void goHome(TourContext &tour)
{
    const int page = tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
    if (page != 0)
        clickLink(tour, page == 1 ? "LblLinkNovaPesquisa" : "LblLinkCabecalho2");
}

void search(TourContext &tour, const QString &text)
{
    tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
}

void clickResult(TourContext &tour, int row)
{
    auto *grid = tour.find<DataGrid>(QStringLiteral("DbgPesquisa"));
    const QModelIndex index = grid->model()->index(row, 1);
    if (index.isValid())
        clickAt(grid->viewport(), grid->visualRect(index).center());
}

} // namespace

QVector<TourStep> searchSteps()
{
    return {
        {QStringLiteral("pesquisa-sem-texto"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QString());
         }},
        {QStringLiteral("pesquisa-palavras"),
         [](TourContext &tour) {
             pickEdition(tour, false);
             search(tour, QStringLiteral("venda de carros"));
         }},
        {QStringLiteral("resultado-classe"), [](TourContext &tour) { clickResult(tour, 0); }},
        {QStringLiteral("classe-grupo"), [](TourContext &tour) { clickLink(tour, "LblCodGrupo_TbsClasse"); }},
        {QStringLiteral("pesquisa-codigo"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QStringLiteral("3413-4"));
         }},
        {QStringLiteral("pesquisa-sem-resultado"),
         [](TourContext &tour) {
             goHome(tour);
             search(tour, QStringLiteral("tecelagem de nuvens"));
         }},
        {QStringLiteral("pesquisa-subclasses"),
         [](TourContext &tour) {
             goHome(tour);
             pickEdition(tour, true);
             search(tour, QStringLiteral("automov*"));
         }},
        {QStringLiteral("resultado-subclasse"), [](TourContext &tour) { clickResult(tour, 1); }},
        {QStringLiteral("subclasse-classe"),
         [](TourContext &tour) { clickLink(tour, "LblCodClasse_TbsSubClasse"); }},
        {QStringLiteral("classe-listar-atividades"),
         [](TourContext &tour) { clickLink(tour, "LblListarAtividades_TbsClasse"); }},
    };
}
