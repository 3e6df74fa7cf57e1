// Steps as a person meets the window: an empty search after a result click, a wheel turn over the
// help's examples, the keyboard's focus on a link, and a start-up without its database.
#include "Tour.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QWindow>

namespace
{

// Given to the top-level window, which hands it to the widget under the pointer, as the mouse does.
void sendThroughWindow(QWidget *widget, QEvent &event)
{
    QApplication::sendEvent(widget->window()->windowHandle(), &event);
}

void clickAt(QWidget *widget, const QPoint &local)
{
    const QPointF at = widget->mapTo(widget->window(), QPointF(local));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->window()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        sendThroughWindow(widget, event);
    }
}

int page(TourContext &tour)
{
    return tour.find<QStackedWidget>(QStringLiteral("PgcPrincipal"))->currentIndex();
}

void goHome(TourContext &tour)
{
    if (page(tour) != 0)
        clickAt(tour.find<LinkLabel>(
                    QLatin1String(page(tour) == 1 ? "LblLinkNovaPesquisa" : "LblLinkCabecalho2")),
                QPoint(2, 2));
}

void search(TourContext &tour, const QString &text)
{
    goHome(tour);
    tour.find<QLineEdit>(QStringLiteral("EdtPesquisa"))->setText(text);
    tour.find<QPushButton>(QStringLiteral("BtnPesquisa"))->click();
}

void clickRow(DataGrid *grid, int row)
{
    const QModelIndex index = grid->model()->index(row, 1);
    if (index.isValid())
        clickAt(grid->viewport(), grid->visualRect(index).center());
}

} // namespace

QVector<TourStep> personSteps()
{
    return {
        {QStringLiteral("pesquisa-vazia-apos-clique-em-resultado"),
         [](TourContext &tour) {
             pickEdition(tour, false);
             search(tour, QStringLiteral("venda de carros"));
             clickRow(tour.find<DataGrid>(QStringLiteral("DbgPesquisa")), 0);
             search(tour, QStringLiteral("palavrainexistentezz"));
         }},
        {QStringLiteral("ajuda-avancada-apos-roda-nos-exemplos"),
         [](TourContext &tour) {
             goHome(tour);
             clickAt(tour.find<LinkLabel>(QStringLiteral("LblLinkCabecalho2")), QPoint(2, 2));
         },
         [](QDialog &dialog) {
             auto *examples = dialog.findChild<QPlainTextEdit *>(QStringLiteral("Memo6"));
             if (!examples)
                 return;
             const QPointF at = examples->mapTo(&dialog, QPointF(10, 10));
             QWheelEvent wheel(at, dialog.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                               Qt::NoModifier, Qt::NoScrollPhase, false);
             sendThroughWindow(examples, wheel);
         }},
        {QStringLiteral("foco-do-teclado-em-link"),
         [](TourContext &tour) {
             tour.window.activateWindow();
             QApplication::processEvents();
             tour.find<QPushButton>(QStringLiteral("BtnEstrutura"))->click();
             clickRow(tour.find<DataGrid>(QStringLiteral("DBGEstrutura")), 0);
             clickRow(tour.find<DataGrid>(QStringLiteral("DbgSecao")), 0);
             tour.find<LinkLabel>(QStringLiteral("LblCodSecao_TbsDivisao"))->setFocus(Qt::TabFocusReason);
         }},
        {QStringLiteral("falha-ao-iniciar-sem-banco"),
         [](TourContext &) {
             // A second window over a folder without Database/ZELT.mdb: its one error dialog, once
             // the window shows.
             QTemporaryDir empty;
             TDtmMain dtm;
             TFrmMain window(dtm, empty.path());
             window.show();
         }},
    };
}
