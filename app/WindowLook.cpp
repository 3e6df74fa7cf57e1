#include "app/WindowLook.h"

#include <QLabel>

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void setUnderlined(QLabel *label, bool underlined)
{
    const QFont shown = label->font();
    if (shown.underline() == underlined && !shown.bold() && !shown.italic() && !shown.strikeOut())
        return;
    // Only these four are the label's own: family and size still come from its window, so that
    // the label follows the texts' size.
    QFont font;
    font.setUnderline(underlined);
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    label->setFont(font);
}

// Resources of a static library must be registered by hand, from the global namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

QIcon programIcon()
{
    initResources();
    return QIcon(QStringLiteral(":/images/icon.png"));
}
