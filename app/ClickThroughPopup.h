#pragma once

#include <QObject>

class QWidget;

// A click outside an open popup list (the search box's completions) closes the list and still
// presses the button under the pointer, as the same click would with no list open. Qt's popups
// otherwise spend that click on closing themselves.
class ClickThroughPopup : public QObject
{
public:
    explicit ClickThroughPopup(QWidget *popup);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_popup;
};
