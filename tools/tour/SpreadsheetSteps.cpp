// The tour of the lists taken away from every page: the structure page's links, several result
// rows selected, the results printed, the whole edition exported.
#include "Tour.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace
{

void press(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

void searchFor(TourContext &tour, const QString &text)
{
    const int page = tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
    if (page == 1)
        emit tour.find<LinkLabel>(QStringLiteral("LblLinkNovaPesquisa"))->clicked();
    else if (page > 1)
        emit tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2"))->clicked();
    tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
}

} // namespace

QVector<TourStep> spreadsheetSteps()
{
    return {
        {QStringLiteral("estrutura-exportar-imprimir"),
         [](TourContext &tour) {
             pickEdition(tour, false);
             tour.find<QPushButton>(QStringLiteral("BtnEstrutura"))->click();
         }},
        {QStringLiteral("exportar-classificacao"), [](TourContext &tour) { tour.window.exportEdition(); }},
        {QStringLiteral("varias-linhas-selecionadas"),
         [](TourContext &tour) {
             searchFor(tour, QStringLiteral("venda de carros"));
             auto *grid = tour.find<DataGrid>(QStringLiteral("DbgPesquisa"));
             grid->setFocus();
             press(grid, Qt::Key_Down);
             press(grid, Qt::Key_Down, Qt::ShiftModifier);
             press(grid, Qt::Key_Down, Qt::ShiftModifier);
         }},
        {QStringLiteral("imprimir-resultados"), [](TourContext &tour) { tour.window.printPage(); }},
    };
}
