#include "app/ClickThroughPopup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>

ClickThroughPopup::ClickThroughPopup(QWidget *popup) : QObject(popup), m_popup(popup)
{
    // Installed after the popup's owner's own filter, so it is asked first.
    popup->installEventFilter(this);
}

bool ClickThroughPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_popup || event->type() != QEvent::MouseButtonPress)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || m_popup->rect().contains(mouse->position().toPoint()))
        return false;
    auto *button = qobject_cast<QAbstractButton *>(QApplication::widgetAt(mouse->globalPosition().toPoint()));
    if (!button || !button->isEnabled() || button->window() == m_popup)
        return false;
    m_popup->hide();
    button->click();
    return true;
}
