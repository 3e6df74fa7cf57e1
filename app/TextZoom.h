#pragma once

#include <QFont>
#include <QObject>
#include <QRect>
#include <QSize>

// How large the program shows its texts: one level for every window, in steps from 80 % to
// 200 %, remembered between runs. Windows are built at their designed size, then scaled by
// factor(): their fonts, and the places and sizes of what they lay out by hand.
class TextZoom : public QObject
{
    Q_OBJECT
public:
    static constexpr int Designed = 100;

    static TextZoom &instance();

    int percent() const { return m_percent; }
    qreal factor() const { return m_percent / 100.0; }

    // The next step up or down from `percent`; percent itself at either end.
    static int stepAbove(int percent);
    static int stepBelow(int percent);

    // A level between steps takes the nearest step. The level is saved for the next run.
    void setPercent(int percent);
    // The level the last run saved, or the designed one.
    void restore();

Q_SIGNALS:
    void changed();

private:
    TextZoom() = default;

    int m_percent = Designed;
};

// The designed font at the factor. Its pixel size is rounded down, so that a text that fits a
// designed box still fits the box scaled by the same factor.
QFont zoomedFont(const QFont &designed, qreal factor);
int zoomed(int designed, qreal factor);
QSize zoomedSize(const QSize &designed, qreal factor);
// Each edge scaled on its own, so that rectangles that touch at the design still touch.
QRect zoomedRect(const QRect &designed, qreal factor);
