#include "Tour.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>

namespace
{

void click(QWidget *widget, const QPoint &at)
{
    const QPointF local(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

void press(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

void goHome(TourContext &tour)
{
    const int page = tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
    if (page != 0)
        click(tour.find<LinkLabel>(page == 1 ? QStringLiteral("LblLinkNovaPesquisa")
                                             : QStringLiteral("LblLinkCabecalho2")),
              QPoint(2, 2));
}

void search(TourContext &tour, const QString &text)
{
    goHome(tour);
    tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
}

DataGrid *results(TourContext &tour)
{
    return tour.find<DataGrid>(QStringLiteral("DbgPesquisa"));
}

// The pointer resting on a row of the results, which raises its tooltip.
void restOnResult(TourContext &tour, int row)
{
    DataGrid *grid = results(tour);
    const QModelIndex index = grid->model()->index(row, 1);
    if (!index.isValid())
        return;
    const QPoint at = grid->visualRect(index).center();
    QHelpEvent rest(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(grid->viewport(), &rest);
}

} // namespace

QVector<TourStep> takeawaySteps()
{
    return {
        {QStringLiteral("exportar-resultados"),
         [](TourContext &tour) {
             pickEdition(tour, false);
             search(tour, QStringLiteral("venda de carros"));
             click(tour.find<LinkLabel>(QStringLiteral("LblExportarResultados")), QPoint(2, 2));
         }},
        {QStringLiteral("por-que-apareceu"), [](TourContext &tour) { restOnResult(tour, 1); }},
        {QStringLiteral("por-que-apareceu-codigo"),
         [](TourContext &tour) {
             search(tour, QStringLiteral("*ove* -usados 51"));
             DataGrid *grid = results(tour);
             grid->setFocus();
             press(grid, Qt::Key_Down);
             tour.window.showMatchExplanation(); // what Ctrl+I does
         }},
        {QStringLiteral("imprimir-classe"),
         [](TourContext &tour) {
             DataGrid *grid = results(tour);
             const QModelIndex first = grid->model()->index(0, 1);
             if (first.isValid())
                 click(grid->viewport(), grid->visualRect(first).center());
             tour.window.printLevelPage(); // what Ctrl+P does
         }},
        {QStringLiteral("pesquisas-recentes"),
         [](TourContext &tour) {
             goHome(tour);
             auto *box = tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"));
             box->setFocus();
             press(box, Qt::Key_Down);
         }},
    };
}
