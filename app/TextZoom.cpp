#include "app/TextZoom.h"

#include "app/ProgramSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace
{

const int kSteps[] = {80, 90, 100, 110, 120, 133, 150, 170, 200};

} // namespace

TextZoom &TextZoom::instance()
{
    static TextZoom zoom;
    return zoom;
}

int TextZoom::stepAbove(int percent)
{
    const auto next = std::upper_bound(std::begin(kSteps), std::end(kSteps), percent);
    return next == std::end(kSteps) ? percent : *next;
}

int TextZoom::stepBelow(int percent)
{
    const auto at = std::lower_bound(std::begin(kSteps), std::end(kSteps), percent);
    return at == std::begin(kSteps) ? percent : *std::prev(at);
}

void TextZoom::setPercent(int percent)
{
    const int step = *std::min_element(std::begin(kSteps), std::end(kSteps), [percent](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
    if (step == m_percent)
        return;
    m_percent = step;
    ProgramSettings().setTextZoom(step);
    emit changed();
}

void TextZoom::restore()
{
    setPercent(ProgramSettings().textZoom());
}

QFont zoomedFont(const QFont &designed, qreal factor)
{
    QFont font = designed;
    // A hair over the exact product: 11 px at 200 % is 22 px, not 21.
    if (designed.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::floor(designed.pixelSize() * factor + 1e-6))));
    else
        font.setPointSizeF(designed.pointSizeF() * factor);
    return font;
}

int zoomed(int designed, qreal factor)
{
    return qRound(designed * factor);
}

QSize zoomedSize(const QSize &designed, qreal factor)
{
    return {zoomed(designed.width(), factor), zoomed(designed.height(), factor)};
}

QRect zoomedRect(const QRect &designed, qreal factor)
{
    const int left = zoomed(designed.left(), factor);
    const int top = zoomed(designed.top(), factor);
    return {left, top, zoomed(designed.left() + designed.width(), factor) - left,
            zoomed(designed.top() + designed.height(), factor) - top};
}
