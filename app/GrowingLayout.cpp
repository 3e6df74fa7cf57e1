#include "app/GrowingLayout.h"

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
        m_items.append({child, child->geometry(), 0, {}});
    container->installEventFilter(this);
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

void GrowingLayout::add(QWidget *widget)
{
    m_items.append({widget, widget->geometry(), 0, {}});
}

// How much taller than designed the wrapping label needs to be for its whole text.
int GrowingLayout::wrappingGrowth(int dx) const
{
    if (!m_wrapping || m_wrapping->isHidden())
        return 0;
    const int width = m_wrappingDesigned.width() + dx;
    return std::max(0, m_wrapping->heightForWidth(width) - m_wrappingDesigned.height());
}

void GrowingLayout::apply()
{
    if (m_applying)
        return;
    m_applying = true;
    const int dx = std::max(0, m_container->width() - m_designed.width());
    const int dy = std::max(0, m_container->height() - m_designed.height());
    // The list keeps at least two thirds of its designed height for a long wrapped text.
    const int growth = m_list ? std::min(wrappingGrowth(dx), dy + m_listDesigned.height() / 3) : 0;

    for (Item &entry : m_items) {
        QRect target(entry.designed.topLeft(), entry.widget->size());
        if (entry.rules & FollowRight)
            target.moveLeft(entry.designed.left() + dx);
        if (m_list && entry.widget != m_list) {
            if (entry.designed.top() >= m_listDesigned.bottom())
                target.moveTop(entry.designed.top() + dy);
            else if (m_wrapping && entry.designed.top() > m_wrappingDesigned.top() &&
                     entry.designed.top() < m_listDesigned.top())
                target.moveTop(entry.designed.top() + growth);
        }
        if (entry.rules & Widen)
            target.setWidth(entry.designed.width() + dx);
        if (entry.widget == m_list)
            target.setCoords(target.left(), entry.designed.top() + growth, target.right(),
                             entry.designed.bottom() + dy);
        if (entry.widget == m_wrapping)
            target.setHeight(entry.designed.height() + growth);
        if (target != entry.widget->geometry())
            entry.widget->setGeometry(target);
        if (!entry.rule.isNull()) {
            auto *label = static_cast<QLabel *>(entry.widget);
            const int length = entry.rule.width() + dx;
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
