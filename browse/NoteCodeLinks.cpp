#include "browse/NoteCodeLinks.h"

#include <QRegularExpression>

QVector<CitedCode> citedCodes(const QString &note)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\((?:(\\d{4})-(\\d)(?:/(\\d{2}))?|(\\d{2,3}))\\)"));
    QVector<CitedCode> found;
    auto matches = pattern.globalMatch(note);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        CitedCode code;
        code.start = int(match.capturedStart()) + 1;
        code.length = int(match.capturedLength()) - 2;
        if (match.hasCaptured(4)) {
            code.codigo = match.captured(4);
            code.level = code.codigo.size() == 2 ? 2 : 3;
        } else {
            code.codigo = match.captured(1) + match.captured(2);
            code.codigoSub = match.captured(3);
            code.level = code.codigoSub.isEmpty() ? 4 : 5;
        }
        found.append(code);
    }
    return found;
}

QString codeLinkTarget(const CitedCode &code)
{
    return QStringLiteral("nivel:%1:%2:%3").arg(code.level).arg(code.codigo, code.codigoSub);
}

bool parseCodeLinkTarget(const QString &target, CitedCode &code)
{
    const QStringList parts = target.split(QLatin1Char(':'));
    if (parts.size() != 4 || parts[0] != QLatin1String("nivel"))
        return false;
    bool ok = false;
    code.level = parts[1].toInt(&ok);
    code.codigo = parts[2];
    code.codigoSub = parts[3];
    return ok && code.level >= 2 && code.level <= 5;
}

namespace
{

QString plainPart(const QString &text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.remove(QLatin1Char('\r'));
    return escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

} // namespace

QString noteWithCodeLinks(const QString &note, const std::function<bool(const CitedCode &)> &exists)
{
    QString html;
    int at = 0;
    bool linked = false;
    for (const CitedCode &code : citedCodes(note)) {
        if (!exists(code))
            continue;
        html += plainPart(note.mid(at, code.start - at));
        html += QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(codeLinkTarget(code), note.mid(code.start, code.length).toHtmlEscaped());
        at = code.start + code.length;
        linked = true;
    }
    if (!linked)
        return {};
    html += plainPart(note.mid(at));
    return QStringLiteral("<span style=\"white-space: pre-wrap\">%1</span>").arg(html);
}
