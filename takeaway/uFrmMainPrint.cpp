// The main window's pages printed (or saved as PDF through the print dialog): a level page with
// its notes, or a page's list as a table.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "data/Query.h"
#include "data/UDtmMain.h"
#include "data/ValueText.h"
#include "takeaway/PagedPrint.h"
#include "takeaway/PageList.h"
#include "takeaway/PageText.h"
#include "takeaway/PrintedPage.h"
#include "ui_uFrmMain.h"

#include <QPrinter>

namespace
{

constexpr int PageEstrutura = 1;
constexpr int PageSecao = 2;
constexpr int PageSubClasse = 6;
constexpr int PagePesquisa = 7;

// A list prints its codes and descriptions; the edition is printed once at the top, and keywords
// are for the exported file.
PrintedList printedListOf(const PageList &list)
{
    PrintedList printed{list.title, list.about, {}, {}};
    QVector<int> columns;
    for (int column = 0; column < list.table.header.size(); ++column) {
        const QString &title = list.table.header[column];
        if (title != QStringLiteral("Edição") && title != QLatin1String("Palavras-chave")) {
            columns.append(column);
            printed.header.append(title);
        }
    }
    for (const QStringList &row : list.table.rows) {
        QStringList cells;
        for (const int column : columns)
            cells.append(row.value(column));
        printed.rows.append(cells);
    }
    return printed;
}

} // namespace

void TFrmMain::printPage()
{
    const int page = ui->PgcPrincipal->currentIndex();
    if (page >= PageSecao && page <= PageSubClasse)
        printLevelPage();
    else if (page == PageEstrutura || page == PagePesquisa)
        printResults();
}

// The results, or the structure's list of sections: what the list is, then its rows.
void TFrmMain::printResults()
{
    const int page = ui->PgcPrincipal->currentIndex();
    PageList list;
    if ((page != PageEstrutura && page != PagePesquisa) || !pageList(list))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(list.fileName);
    if (!dialogs::choosePrinter(this, printer))
        return;
    const QString failure =
        printPaged(printer, printedListHtml(printedListOf(list)),
                   printedSheetHeader(nav.DescricaoClassificacao, databaseDateOf(DtmMain.QryDataBanco)));
    if (!failure.isEmpty())
        dialogs::showError(this, failure);
}

void TFrmMain::printLevelPage()
{
    static const char *const levels[] = {"Secao", "Divisao", "Grupo", "Classe", "SubClasse"};
    static const char *const captions[] = {"Seção", "Divisão", "Grupo", "Classe", "Subclasse"};
    const int page = ui->PgcPrincipal->currentIndex();
    if (page < PageSecao || page > PageSubClasse)
        return;
    const int nivel = page - PageSecao + 1;
    const QString tab = QStringLiteral("_Tbs") + QLatin1String(levels[nivel - 1]);
    const auto labelText = [this, &tab](const QString &name) {
        const QLabel *label = findChild<QLabel *>(name + tab);
        return label ? label->text() : QString();
    };

    PrintedPage printed;
    printed.heading = nav.DescricaoPagina;
    for (int i = 0; i < nivel; ++i) {
        const QString level = QLatin1String(levels[i]);
        printed.hierarchy.append({QString::fromUtf8(captions[i]), labelText(QStringLiteral("LblCod") + level),
                                  labelText(QStringLiteral("LblDescricao") + level)});
    }
    if (nivel < 5) {
        const DataGrid *grid = pageGrid();
        const Query *list = grid->query();
        printed.childrenTitle = grid->columnTitle(1);
        if (list && list->isOpen()) {
            const int code = list->columnIndex(grid->columnField(0));
            const int description = list->columnIndex(grid->columnField(1));
            for (int row = 0; row < list->recordCount(); ++row)
                printed.children.append(
                    {valueText(list->value(row, code)), valueText(list->value(row, description))});
        }
    }
    printed.notes = printedNotes(
        nivel, {nav.NotaExplicativa, nav.Compreende, nav.TambemCompreende, nav.NaoCompreende, nav.Notas});

    QPrinter printer(QPrinter::HighResolution);
    const PrintedPage::Level &item = printed.hierarchy.last();
    printer.setDocName(item.caption + QLatin1Char(' ') + item.code);
    if (!dialogs::choosePrinter(this, printer))
        return;
    const QString failure =
        printPaged(printer, printedPageHtml(printed),
                   printedSheetHeader(nav.DescricaoClassificacao, databaseDateOf(DtmMain.QryDataBanco)));
    if (!failure.isEmpty())
        dialogs::showError(this, failure);
}
