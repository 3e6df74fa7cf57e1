#include "Tour.h"

#include <QGuiApplication>
#include <QPalette>

// A dark scheme as desktops ship it, with a link colour too dark to read on its windows.
static QPalette darkPalette()
{
    QPalette palette;
    const QColor window(0x31, 0x36, 0x3b);
    const QColor text(0xef, 0xf0, 0xf1);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x23, 0x26, 0x29));
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    palette.setColor(QPalette::HighlightedText, text);
    palette.setColor(QPalette::Link, QColor(0x29, 0x80, 0xb9));
    return palette;
}

// White text on black, yellow links: the high-contrast scheme of many desktops.
static QPalette highContrastPalette()
{
    QPalette palette(Qt::white, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, Qt::white);
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::Link, Qt::yellow);
    return palette;
}

bool setTourPalette(const QString &name)
{
    if (name == QLatin1String("escuro"))
        QGuiApplication::setPalette(darkPalette());
    else if (name == QLatin1String("contraste"))
        QGuiApplication::setPalette(highContrastPalette());
    else
        return false;
    return true;
}
