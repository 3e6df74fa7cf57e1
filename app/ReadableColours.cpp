#include "app/ReadableColours.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"

#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QPalette>

#include <cmath>
#include <initializer_list>

namespace
{

constexpr double kReadable = 4.5;

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// The colour behind a widget: its own when it paints its background, else its nearest painting
// ancestor's (a window always paints its own).
QColor backgroundOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    }
    return QApplication::palette().color(QPalette::Window);
}

// The first of the candidates that reads on the background, else the one that reads best.
QColor readableOn(const QColor &background, std::initializer_list<QColor> candidates)
{
    QColor best;
    for (const QColor &candidate : candidates) {
        if (contrastRatio(candidate, background) >= kReadable)
            return candidate;
        if (!best.isValid() || contrastRatio(candidate, background) > contrastRatio(best, background))
            best = candidate;
    }
    return best;
}

void setEveryGroup(QPalette &palette, QPalette::ColorRole role, const QColor &colour)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, colour);
}

// A designed background under which the system's own text would not read takes the system's.
void followSystemBackground(QWidget *widget, const QPalette &system)
{
    QPalette palette = widget->palette();
    bool changed = false;
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> layers[] = {
        {QPalette::Window, QPalette::WindowText}, {QPalette::Base, QPalette::Text}};
    for (const auto &[background, text] : layers) {
        const QColor designed = palette.color(background);
        if (designed != system.color(background) && contrastRatio(system.color(text), designed) < kReadable) {
            setEveryGroup(palette, background, system.color(background));
            changed = true;
        }
    }
    if (changed)
        widget->setPalette(palette);
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette &palette)
{
    return luminance(palette.color(QPalette::Window)) < luminance(palette.color(QPalette::WindowText));
}

void keepTextReadable(QWidget *window)
{
    const QPalette system = QApplication::palette();
    if (!isDarkPalette(system))
        return;

    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        if (widget->testAttribute(Qt::WA_SetPalette))
            followSystemBackground(widget, system);
    }

    for (QLabel *label : window->findChildren<QLabel *>()) {
        const QColor background = backgroundOf(label);
        const QColor text = label->palette().color(label->foregroundRole());
        if (contrastRatio(text, background) >= kReadable)
            continue;
        const QColor systemText = system.color(
            label->autoFillBackground() && label->backgroundRole() == QPalette::Base ? QPalette::Text
                                                                                     : QPalette::WindowText);
        const QColor readable =
            qobject_cast<LinkLabel *>(label)
                ? readableOn(background, {system.color(QPalette::Link), systemText, Qt::white, Qt::black})
                : readableOn(background, {systemText, Qt::white, Qt::black});
        QPalette palette = label->palette();
        setEveryGroup(palette, label->foregroundRole(), readable);
        label->setPalette(palette);
    }

    for (DataGrid *grid : window->findChildren<DataGrid *>()) {
        if (!grid->model())
            continue;
        const QColor base = grid->palette().color(QPalette::Base);
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            const QColor designed = grid->columnColor(column);
            if (designed.isValid() && contrastRatio(designed, base) < kReadable)
                grid->setColumnColor(
                    column, readableOn(base, {system.color(QPalette::Link), system.color(QPalette::Text)}));
        }
    }
}
