#pragma once

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QVector>

class QLabel;
class QWidget;

// Lays out the children of a designed, absolutely positioned container when it is larger than
// designed. At the designed size nothing moves. With more room, the extra width goes to the
// widgets told to widen and moves the ones told to follow the right edge; the extra height goes
// to the container's one open-ended list, and whatever stands below the list moves down with it.
// A wrapping label may grow downwards with its text: what stands between it and the list moves
// down by as much, and the list gives up that height (none while the label is hidden).
// At a text zoom every designed place and size is scaled first; labels sized to their text take
// the size of their text in the zoomed font.
class GrowingLayout : public QObject
{
    Q_OBJECT
public:
    GrowingLayout(QWidget *container, const QSize &designed);

    // The layout of a container, if it has one.
    static GrowingLayout *of(QWidget *container);

    // A rule label (a one-pixel image) widens by extending its last colour.
    void widen(QWidget *widget);
    void followRight(QWidget *widget);
    void setList(QWidget *list);
    void setWrapping(QLabel *label);
    // A child made after the layout, at the designed zoom, where it stands now.
    void adopt(QWidget *widget);

    // The container's fonts have been zoomed to `factor`: every child takes its zoomed place.
    void setScale(qreal factor);

    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum Rule { Widen = 1, FollowRight = 2 };
    struct Item {
        QWidget *widget;
        QRect designed;
        int rules;
        QPixmap rule;
        bool sizedToText;
    };
    Item makeItem(QWidget *widget) const;
    Item &item(QWidget *widget);
    int wrappingGrowth(int dx) const;

    QWidget *m_container;
    QSize m_designed;
    QVector<Item> m_items;
    QWidget *m_list = nullptr;
    QRect m_listDesigned;
    QLabel *m_wrapping = nullptr;
    QRect m_wrappingDesigned;
    bool m_applying = false;
    qreal m_scale = 1;
};
