#include "app/NavigationState.h"

namespace {

// The program's own case mapping touches only the letters A to Z.
QString lowerAsciiOnly(const QString &text)
{
    QString lowered = text;
    for (QChar &c : lowered) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return lowered;
}

} // namespace

bool isSubclassEdition(const QString &descricaoClassificacao)
{
    const QString lowered = lowerAsciiOnly(descricaoClassificacao);
    return lowered.contains(QLatin1String("fiscal")) || lowered.contains(QLatin1String("subclasses"));
}
