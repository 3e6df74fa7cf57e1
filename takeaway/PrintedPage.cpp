#include "takeaway/PrintedPage.h"

namespace
{

bool isBlank(const QString &text)
{
    for (const QChar c : text) {
        if (c > QLatin1Char(' '))
            return false;
    }
    return true;
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

} // namespace

QVector<PrintedPage::Note> printedNotes(int nivel, const QStringList &texts)
{
    // The printed headings follow Portuguese grammar ("Este grupo").
    static const char *const subjects[] = {"Esta seção", "Esta divisão", "Este grupo", "Esta classe",
                                           "Esta subclasse"};
    const QString subject = QString::fromUtf8(subjects[qBound(1, nivel, 5) - 1]);
    const QString headings[] = {QStringLiteral("Notas Explicativas"), subject + QStringLiteral(" compreende"),
                                subject + QStringLiteral(" compreende também"),
                                subject + QStringLiteral(" não compreende"), QStringLiteral("Notas")};
    QVector<PrintedPage::Note> notes;
    for (int i = 0; i < 5 && i < texts.size(); ++i) {
        if (!isBlank(texts[i]))
            notes.append({headings[i], QString(texts[i]).replace(QLatin1Char('#'), QLatin1Char('-'))});
    }
    return notes;
}

QString printedPageHtml(const PrintedPage &page)
{
    QString html = QStringLiteral("<html><body style='font-size:10pt'>");
    html += QStringLiteral("<p style='color:#000080'><b>%1</b></p>").arg(escaped(page.heading));

    html += QStringLiteral("<table cellspacing='0' cellpadding='3'>");
    for (int i = 0; i < page.hierarchy.size(); ++i) {
        const PrintedPage::Level &level = page.hierarchy[i];
        const bool item = i == page.hierarchy.size() - 1;
        const QString cells =
            QStringLiteral("<td>%1:</td><td>%2</td><td>%3</td>")
                .arg(escaped(level.caption), escaped(level.code), escaped(level.description));
        html += item ? QStringLiteral("<tr style='font-weight:bold'>%1</tr>").arg(cells)
                     : QStringLiteral("<tr>%1</tr>").arg(cells);
    }
    html += QStringLiteral("</table>");

    if (!page.childrenTitle.isEmpty()) {
        html += QStringLiteral("<p><b>%1</b></p><table cellspacing='0' cellpadding='2'>")
                    .arg(escaped(page.childrenTitle));
        for (const QStringList &child : page.children) {
            html += QStringLiteral("<tr><td style='color:#0000ff'>%1</td><td>%2</td></tr>")
                        .arg(escaped(child.value(0)), escaped(child.value(1)));
        }
        html += QStringLiteral("</table>");
    }

    if (page.notes.isEmpty())
        html += QStringLiteral("<p><i>Não há notas explicativas disponíveis para esta categoria.</i></p>");
    for (const PrintedPage::Note &note : page.notes) {
        html += QStringLiteral("<h4>%1</h4><p>%2</p>").arg(escaped(note.heading), escaped(note.text));
    }
    return html + QStringLiteral("</body></html>");
}

QString printedSheetHeader(const QString &edition, const QString &databaseDate)
{
    return databaseDate.isEmpty() ? edition : edition + QStringLiteral(" — base de dados de ") + databaseDate;
}
