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

// A note often opens with its own heading as a line of its own ("Esta seção compreende:"): printed
// under that heading, the line would read twice.
QString withoutOwnHeading(const QString &text, const QString &heading)
{
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    QString first = text.left(lineEnd < 0 ? text.size() : lineEnd).trimmed();
    while (first.endsWith(QLatin1Char(':')) || first.endsWith(QLatin1Char('.')))
        first = first.chopped(1).trimmed();
    if (first.compare(heading, Qt::CaseInsensitive) != 0)
        return text;
    return lineEnd < 0 ? QString() : text.mid(lineEnd + 1);
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
        const QString text = withoutOwnHeading(texts[i], headings[i]);
        if (!isBlank(text))
            notes.append({headings[i], QString(text).replace(QLatin1Char('#'), QLatin1Char('-'))});
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
        // A paragraph a line: a sheet then breaks between lines, and never prints one line on two.
        html += QStringLiteral("<h4>%1</h4>").arg(escaped(note.heading));
        for (const QString &line : note.text.split(QLatin1Char('\n')))
            html += QStringLiteral("<p style='margin-top:0; margin-bottom:0'>%1</p>").arg(escaped(line));
    }
    return html + QStringLiteral("</body></html>");
}

QString printedSheetHeader(const QString &edition, const QString &databaseDate)
{
    return databaseDate.isEmpty() ? edition : edition + QStringLiteral(" — base de dados de ") + databaseDate;
}

QString printedListHtml(const PrintedList &list)
{
    QString html = QStringLiteral("<html><body style='font-size:10pt'>");
    html += QStringLiteral("<p style='color:#000080'><b>%1</b></p>").arg(escaped(list.title));
    html += QStringLiteral("<table cellspacing='0' cellpadding='2'>");
    for (const QStringList &line : list.about)
        html += QStringLiteral("<tr><td>%1:</td><td><b>%2</b></td></tr>")
                    .arg(escaped(line.value(0)), escaped(line.value(1)));
    html += QStringLiteral("</table><p></p>");

    html +=
        QStringLiteral("<table cellspacing='0' cellpadding='3' border='1' style='border-collapse:collapse' "
                       "width='100%'><thead><tr>");
    for (const QString &title : list.header)
        html += QStringLiteral("<th align='left' bgcolor='#c0c0c0'>%1</th>").arg(escaped(title));
    html += QStringLiteral("</tr></thead>");
    for (const QStringList &row : list.rows) {
        html += QStringLiteral("<tr>");
        for (const QString &cell : row)
            html += QStringLiteral("<td>%1</td>").arg(escaped(cell));
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table></body></html>");
}
