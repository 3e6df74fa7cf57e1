#include "windows/PopupAccessibility.h"

#include "app/Accessibility.h"
#include "app/ReadableColours.h"

#include <QDialog>
#include <QLabel>
#include <QRegularExpression>

#include <utility>

namespace
{

QLabel *label(QDialog *window, const char *name)
{
    return window->findChild<QLabel *>(QLatin1String(name));
}

void markDividers(QDialog *window, const char *pattern)
{
    for (QWidget *widget : window->findChildren<QWidget *>(QRegularExpression(QLatin1String(pattern))))
        markDecorative(widget);
}

} // namespace

void describeNotesPopup(QDialog *popup)
{
    // The headings change with the level after construction: each note follows its heading.
    const std::pair<const char *, const char *> notes[] = {
        {"LblNotaExplicativa_Texto", "LblTextoNotasExplicativas"},
        {"LblCompreende_Texto", "LblTextoCompreende"},
        {"LblTambemCompreende_Texto", "LblTextoTambemCompreende"},
        {"LblNaoCompreende_Texto", "LblTextoNaoCompreende"},
        {"LblNotas_Texto", "LblTextoNotas"}};
    for (const auto &[text, heading] : notes) {
        if (QLabel *note = label(popup, text))
            nameByCaption(note, label(popup, heading));
    }
    keepTextReadable(popup);
    describeWidgets(popup);
}

void describeHelpWindow(QDialog *help)
{
    const std::pair<const char *, const char *> memos[] = {
        {"Memo1", "Label1"},  {"Memo2", "Label9"},   {"Memo3", "Label10"},  {"Memo4", "Label13"},
        {"Memo5", "Label15"}, {"Memo6", "Label16"},  {"Memo7", "Label17"},  {"Memo8", "Label18"},
        {"Memo9", "Label19"}, {"Memo10", "Label20"}, {"Memo11", "Label21"}, {"DBGrid1", "Label6"}};
    for (const auto &[memo, heading] : memos) {
        QWidget *widget = help->findChild<QWidget *>(QLatin1String(memo));
        const QLabel *caption = label(help, heading);
        if (widget && caption)
            widget->setAccessibleName(caption->text());
    }
    markDividers(help, "Linha[12]$|^LblDivisor$|^Label(7|11)$");
    keepTextReadable(help);
    describeWidgets(help);
}
