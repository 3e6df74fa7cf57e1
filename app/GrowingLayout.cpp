#include "app/GrowingLayout.h"

#include "app/TextZoom.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace
{

// The rule drawn `width` pixels long: as designed, then its last colour to the end.
QPixmap extendedRule(const QPixmap &rule, int width)
{
    if (width <= rule.width())
        return rule;
    const QImage image = rule.toImage();
    QPixmap longer(width, rule.height());
    longer.fill(image.pixelColor(image.width() - 1, 0));
    QPainter painter(&longer);
    painter.drawPixmap(0, 0, rule);
    return longer;
}

} // namespace

GrowingLayout::GrowingLayout(QWidget *container, const QSize &designed)
    : QObject(container), m_container(container), m_designed(designed)
{
    for (QWidget *child : container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        m_items.append(makeItem(child));
    container->installEventFilter(this);
}

GrowingLayout *GrowingLayout::of(QWidget *container)
{
    return container->findChild<GrowingLayout *>(QString(), Qt::FindDirectChildrenOnly);
}

// A label as large as its text (marked autoSize in the design, or sized so when made) stays so
// in any font; everything else keeps its designed size.
GrowingLayout::Item GrowingLayout::makeItem(QWidget *widget) const
{
    const auto *label = qobject_cast<QLabel *>(widget);
    const bool sizedToText = label && label->pixmap().isNull() && !label->wordWrap() &&
                             (label->property("autoSize").toBool() || label->size() == label->sizeHint());
    return {widget, widget->geometry(), 0, {}, sizedToText};
}

void GrowingLayout::adopt(QWidget *widget)
{
    Q_ASSERT(widget->parentWidget() == m_container);
    m_items.append(makeItem(widget));
}

void GrowingLayout::setScale(qreal factor)
{
    m_scale = factor;
    for (Item &entry : m_items) {
        if (entry.sizedToText)
            entry.widget->adjustSize();
        else
            entry.widget->resize(zoomedRect(entry.designed, factor).size());
    }
    apply();
}

GrowingLayout::Item &GrowingLayout::item(QWidget *widget)
{
    const auto found =
        std::find_if(m_items.begin(), m_items.end(), [widget](const Item &i) { return i.widget == widget; });
    Q_ASSERT(found != m_items.end());
    return *found;
}

void GrowingLayout::widen(QWidget *widget)
{
    Item &entry = item(widget);
    entry.rules |= Widen;
    if (const auto *label = qobject_cast<QLabel *>(widget); label && !label->pixmap().isNull())
        entry.rule = label->pixmap();
}

void GrowingLayout::followRight(QWidget *widget)
{
    item(widget).rules |= FollowRight;
}

void GrowingLayout::setList(QWidget *list)
{
    widen(list);
    m_list = list;
    m_listDesigned = item(list).designed;
}

void GrowingLayout::setWrapping(QLabel *label)
{
    widen(label);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_wrapping = label;
    m_wrappingDesigned = item(label).designed;
}

// How much taller than designed the wrapping label needs to be for its whole text.
int GrowingLayout::wrappingGrowth(int dx) const
{
    if (!m_wrapping || m_wrapping->isHidden())
        return 0;
    const QRect designed = zoomedRect(m_wrappingDesigned, m_scale);
    return std::max(0, m_wrapping->heightForWidth(designed.width() + dx) - designed.height());
}

void GrowingLayout::apply()
{
    if (m_applying)
        return;
    m_applying = true;
    const QSize container = zoomedSize(m_designed, m_scale);
    const QRect listDesigned = zoomedRect(m_listDesigned, m_scale);
    const QRect wrappingDesigned = zoomedRect(m_wrappingDesigned, m_scale);
    const int dx = std::max(0, m_container->width() - container.width());
    const int dy = std::max(0, m_container->height() - container.height());
    // The list keeps at least two thirds of its designed height for a long wrapped text.
    const int growth = m_list ? std::min(wrappingGrowth(dx), dy + listDesigned.height() / 3) : 0;

    for (Item &entry : m_items) {
        const QRect designed = zoomedRect(entry.designed, m_scale);
        QRect target(designed.topLeft(), entry.widget->size());
        if (entry.rules & FollowRight)
            target.moveLeft(designed.left() + dx);
        if (m_list && entry.widget != m_list) {
            if (designed.top() >= listDesigned.bottom())
                target.moveTop(designed.top() + dy);
            else if (m_wrapping && designed.top() > wrappingDesigned.top() &&
                     designed.top() < listDesigned.top())
                target.moveTop(designed.top() + growth);
        }
        if (entry.rules & Widen)
            target.setWidth(designed.width() + dx);
        if (entry.widget == m_list)
            target.setCoords(target.left(), designed.top() + growth, target.right(), designed.bottom() + dy);
        if (entry.widget == m_wrapping)
            target.setHeight(designed.height() + growth);
        if (target != entry.widget->geometry())
            entry.widget->setGeometry(target);
        if (!entry.rule.isNull()) {
            auto *label = static_cast<QLabel *>(entry.widget);
            const int length = zoomed(entry.rule.width(), m_scale) + dx;
            if (label->pixmap().width() != length)
                label->setPixmap(extendedRule(entry.rule, length));
        }
    }
    m_applying = false;
}

// A resize, a first showing and a child's new text (which asks its parent for a new layout).
bool GrowingLayout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                                   event->type() == QEvent::LayoutRequest))
        apply();
    return QObject::eventFilter(watched, event);
}
