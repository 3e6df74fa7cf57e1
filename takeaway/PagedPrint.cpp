#include "takeaway/PagedPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

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
