#include "takeaway/PagedPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace
{

// The sheet on which a y of the document lies.
int sheetOf(qreal y, qreal sheetHeight)
{
    return int(y / sheetHeight);
}

} // namespace

void keepHeadingsWithText(QTextDocument &document)
{
    const qreal sheetHeight = document.pageSize().height();
    if (sheetHeight <= 0)
        return;
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock heading = document.begin(); heading.isValid(); heading = heading.next()) {
        if (heading.blockFormat().headingLevel() == 0)
            continue;
        // The text's second line: in the block under the heading or, when that holds one line
        // only, in the next one.
        int needed = 2;
        QTextBlock last;
        int lastLine = 0;
        for (QTextBlock text = heading.next(); text.isValid() && needed > 0; text = text.next()) {
            if (text.blockFormat().headingLevel() != 0)
                break;
            // Asking for a block's rectangle lays the document out down to it, breaks included.
            layout->blockBoundingRect(text);
            const int lines = text.layout()->lineCount();
            if (lines == 0)
                continue;
            lastLine = qMin(needed, lines) - 1;
            needed -= lastLine + 1;
            last = text;
        }
        const QTextLayout *headingLines = heading.layout();
        if (!last.isValid() || headingLines->lineCount() == 0)
            continue;
        const qreal top = headingLines->position().y() + headingLines->lineAt(0).y();
        const QTextLine kept = last.layout()->lineAt(lastLine);
        // Less a hair: a line that ends right on the sheet's edge still stands on that sheet.
        const qreal bottom = last.layout()->position().y() + kept.y() + kept.height() - 0.5;
        if (sheetOf(top, sheetHeight) == sheetOf(bottom, sheetHeight))
            continue;
        QTextBlockFormat format = heading.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(heading).setBlockFormat(format);
    }
}

QString printPaged(QPrinter &printer, const QString &html, const QString &header)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString file = printer.outputFileName();
        return file.isEmpty()
                   ? QStringLiteral("Não foi possível imprimir: a impressora não aceitou o documento.")
                   : QStringLiteral("Não foi possível gravar o arquivo \"%1\".").arg(file);
    }
    const QRectF sheet = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, sheet.width(), sheet.height());
    QFont small = painter.font();
    small.setPointSizeF(8);
    const qreal band = QFontMetricsF(small, &printer).height() * 2;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&printer);
    document.setHtml(html);
    const qreal bodyHeight = area.height() - 2 * band;
    document.setPageSize(QSizeF(area.width(), bodyHeight));
    keepHeadingsWithText(document);
    const int pages = document.pageCount();

    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        painter.setFont(small);
        painter.drawText(QRectF(0, 0, area.width(), band), Qt::AlignLeft | Qt::AlignTop, header);
        painter.drawText(QRectF(0, area.height() - band, area.width(), band),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Página %1 de %2").arg(page + 1).arg(pages));

        painter.save();
        painter.translate(0, band - page * bodyHeight);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, page * bodyHeight, area.width(), bodyHeight);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return {};
}
