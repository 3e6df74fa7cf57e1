#include "app/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
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

// A double-click is one click: its second press must not click whatever the first one opened.
void LinkLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    const bool activate =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (activate && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

// The focus shows as a dotted frame in the link's own colour, whatever the style draws.
void LinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
