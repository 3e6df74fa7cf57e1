#include "Tour.h"

#include "app/DataLookupCombo.h"
#include "app/NavigationState.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QWidget>

void hoverOver(QWidget *widget)
{
    const QPointF local(2, 2);
    QEnterEvent enter(local, local, widget->mapToGlobal(local));
    QCoreApplication::sendEvent(widget, &enter);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void hoverLeave(QWidget *widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

void pickEdition(TourContext &tour, bool subclasses)
{
    auto *list = tour.find<DataLookupCombo>(QStringLiteral("CmbClassificacao"));
    for (int i = 0; i < list->count(); ++i) {
        if (isSubclassEdition(list->itemText(i)) == subclasses) {
            list->setCurrentIndex(i);
            emit list->activated(i);
            return;
        }
    }
}
