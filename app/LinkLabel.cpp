#include "app/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
}

void LinkLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    emit mouseMoved();
}

void LinkLabel::mouseMoveEvent(QMouseEvent *event)
{
    QLabel::mouseMoveEvent(event);
    emit mouseMoved();
}

void LinkLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit mouseLeft();
}

// The press is accepted so that the release comes back to this label.
void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    if (m_pressed)
        event->accept();
    else
        QLabel::mousePressEvent(event);
}

// A click is a left press and release on the label, as a button would take it: releasing
// elsewhere cancels it.
void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (!click) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    emit clicked();
}
