#pragma once

#include <QLabel>

// A plain label used as a hyperlink. It only reports the pointer and clicks; the window's hover
// handlers decide what changes (cursor, underline), and Tag() tells shared handlers apart.
// Tab reaches it, a dotted frame marks its focus, and Enter or Space click it.
class LinkLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

Q_SIGNALS:
    void clicked();
    void mouseMoved(); // on entering and on every move over the label
    void mouseLeft();

protected:
    void enterEvent(QEnterEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_tag = 0;
    bool m_pressed = false;
};
