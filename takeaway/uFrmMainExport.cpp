// The main window's lists to take away: what each page's list is, and saving it as a spreadsheet
// (.xlsx) or CSV file.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "data/Query.h"
#include "data/UDtmMain.h"
#include "data/ValueText.h"
#include "search/SearchKeywords.h"
#include "takeaway/CsvExport.h"
#include "takeaway/ExportSettings.h"
#include "takeaway/PageList.h"
#include "takeaway/PageText.h"
#include "takeaway/TakeawayStatements.h"
#include "takeaway/XlsxExport.h"
#include "ui_uFrmMain.h"

#include <QDir>
#include <QFileInfo>

namespace
{

constexpr int PageEstrutura = 1;
constexpr int PageSecao = 2;
constexpr int PageSubClasse = 6;
constexpr int PagePesquisa = 7;

const QString kXlsxFilter = QStringLiteral("Planilha (*.xlsx)");
const QString kCsvFilter = QStringLiteral("CSV (*.csv)");

const char *const kLevels[] = {"Secao", "Divisao", "Grupo", "Classe", "SubClasse"};
const char *const kCaptions[] = {"Seção", "Divisão", "Grupo", "Classe", "Subclasse"};

// A level page's item and its ancestors as the page shows them: caption, then code and
// description.
QVector<QStringList> hierarchyOf(const QWidget *window, int nivel)
{
    const QString tab = QStringLiteral("_Tbs") + QLatin1String(kLevels[nivel - 1]);
    const auto labelText = [window, &tab](const QString &name) {
        const QLabel *label = window->findChild<QLabel *>(name + tab);
        return label ? label->text() : QString();
    };
    QVector<QStringList> levels;
    for (int i = 0; i < nivel; ++i) {
        const QString level = QLatin1String(kLevels[i]);
        levels.append({QString::fromUtf8(kCaptions[i]),
                       labelText(QStringLiteral("LblCod") + level) + QStringLiteral(" — ") +
                           labelText(QStringLiteral("LblDescricao") + level)});
    }
    return levels;
}

// The rows of a grid's query, one text a field.
QVector<QStringList> gridRows(const DataGrid *grid, const QStringList &fields)
{
    QVector<QStringList> rows;
    const Query *list = grid->query();
    if (!list || !list->isOpen())
        return rows;
    QVector<int> columns;
    for (const QString &field : fields)
        columns.append(list->columnIndex(field));
    for (int row = 0; row < list->recordCount(); ++row) {
        QStringList texts;
        for (const int column : columns)
            texts.append(column < 0 ? QString() : valueText(list->value(row, column)));
        rows.append(texts);
    }
    return rows;
}

} // namespace

DataGrid *TFrmMain::pageGrid() const
{
    DataGrid *const grids[] = {nullptr,      ui->DBGEstrutura, ui->DbgSecao, ui->DbgDivisao,
                               ui->DbgGrupo, ui->DbgClasse,    nullptr,      ui->DbgPesquisa};
    const int page = ui->PgcPrincipal->currentIndex();
    return page >= 0 && page < int(std::size(grids)) ? grids[page] : nullptr;
}

bool TFrmMain::pageList(PageList &list)
{
    const int page = ui->PgcPrincipal->currentIndex();
    if (page < PageEstrutura || page > PagePesquisa)
        return false;
    list.about = {{QStringLiteral("Edição"), nav.DescricaoClassificacao}};
    const QString date = databaseDateOf(DtmMain.QryDataBanco);
    if (!date.isEmpty())
        list.about.append({QStringLiteral("Base de dados"), date});
    const QString code = QStringLiteral("Código");
    const QString description = QStringLiteral("Descrição");
    const QString edition = QStringLiteral("Edição");

    if (page == PagePesquisa) {
        const Query &results = DtmMain.QryPesquisa;
        const int codeColumn = results.columnIndex(ui->DbgPesquisa->columnField(0));
        const int descriptionColumn = results.columnIndex(QStringLiteral("Descricao_Cla"));
        list.sheetName = QStringLiteral("Resultados");
        list.title = QStringLiteral("Resultado da pesquisa");
        list.fileName = fileNameOf(QStringLiteral("pesquisa ") + ui->LblItemPesquisado->text());
        list.table = {{code, description, QStringLiteral("Palavras-chave"), edition}, {}, {0}};
        for (int row = 0; row < results.recordCount(); ++row)
            list.table.rows.append(
                {valueText(results.value(row, codeColumn)), valueText(results.value(row, descriptionColumn)),
                 keywordListText(m_searchKeywords->ofRow(row)), nav.DescricaoClassificacao});
        list.about.append({QStringLiteral("Texto pesquisado"), ui->LblItemPesquisado->text()});
        list.about.append({QStringLiteral("Resultados"), QString::number(list.table.rows.size())});
        return true;
    }

    if (page == PageEstrutura) {
        list.sheetName = QStringLiteral("Seções");
        list.title = QStringLiteral("Estrutura da classificação");
        list.fileName = fileNameOf(QStringLiteral("estrutura ") + nav.DescricaoClassificacao);
        list.table = {{QStringLiteral("Seção"), QStringLiteral("Da divisão"), QStringLiteral("Até a divisão"),
                       description, edition},
                      {},
                      {0, 1, 2}};
        const DataGrid *grid = ui->DBGEstrutura;
        for (QStringList row : gridRows(grid, {grid->columnField(0), grid->columnField(1),
                                               grid->columnField(2), grid->columnField(3)}))
            list.table.rows.append(row << nav.DescricaoClassificacao);
        return true;
    }

    const int nivel = page - PageSecao + 1;
    list.about += hierarchyOf(this, nivel);
    const QString itemCode =
        findChild<QLabel *>(QStringLiteral("LblCod%1_Tbs%1").arg(QLatin1String(kLevels[nivel - 1])))->text();
    list.table = {{code, description, edition}, {}, {0}};
    if (page == PageSubClasse) {
        list.sheetName = QStringLiteral("Atividades");
        list.title = QStringLiteral("Atividades da subclasse ") + itemCode;
        list.fileName = fileNameOf(QStringLiteral("atividades ") + itemCode);
        list.table.header.insert(2, QStringLiteral("Palavras-chave"));
        Query activities(DtmMain.ADCMain, QStringLiteral("QryAtividadesSubClasse"),
                         {activitiesOfSubclass(nav.PrefixoTabela, nav.CodClasse, nav.CodSubClasse)});
        activities.open();
        for (int row = 0; row < activities.recordCount(); ++row)
            list.table.rows.append({valueText(activities.value(row, 0)), valueText(activities.value(row, 1)),
                                    keywordListText(valueText(activities.value(row, 2))),
                                    nav.DescricaoClassificacao});
        return true;
    }
    static const char *const children[] = {"Divisões", "Grupos", "Classes", "Subclasses"};
    static const char *const fileNames[] = {"secao", "divisao", "grupo", "classe"};
    const DataGrid *grid = pageGrid();
    list.sheetName = QString::fromUtf8(children[nivel - 1]);
    list.title = grid->columnTitle(1);
    list.fileName = fileNameOf(QLatin1String(fileNames[nivel - 1]) + QLatin1Char(' ') + itemCode);
    for (QStringList row : gridRows(grid, {grid->columnField(0), grid->columnField(1)}))
        list.table.rows.append(row << nav.DescricaoClassificacao);
    return true;
}

void TFrmMain::saveList(const PageList &list)
{
    if (list.table.rows.isEmpty()) {
        dialogs::showWarning(this, QStringLiteral("Nenhum resultado para exportar."));
        return;
    }
    ExportSettings settings;
    QString filter = settings.format() == ExportSettings::Format::Csv ? kCsvFilter : kXlsxFilter;
    const QString folder = settings.folder().isEmpty() ? QDir::homePath() : settings.folder();
    const QString suggested = QDir(folder).filePath(
        list.fileName + (filter == kCsvFilter ? QStringLiteral(".csv") : QStringLiteral(".xlsx")));
    QString path = dialogs::chooseSaveFile(this, QStringLiteral("Exportar"), suggested,
                                           {kXlsxFilter, kCsvFilter}, &filter);
    if (path.isEmpty())
        return;
    // The name's own extension says the format; a name without one takes the chosen filter's.
    const QString suffix = QFileInfo(path).suffix().toLower();
    ExportSettings::Format format =
        filter == kCsvFilter ? ExportSettings::Format::Csv : ExportSettings::Format::Xlsx;
    if (suffix == QLatin1String("csv"))
        format = ExportSettings::Format::Csv;
    else if (suffix == QLatin1String("xlsx"))
        format = ExportSettings::Format::Xlsx;
    else
        path += format == ExportSettings::Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    settings.remember(format, QFileInfo(path).absolutePath());

    const QString failure = format == ExportSettings::Format::Csv
                                ? saveFileAtomically(path, csvBytes(list.table))
                                : saveXlsx(path, list.sheetName, list.table, list.about);
    if (!failure.isEmpty())
        dialogs::showError(this, failure);
}

void TFrmMain::exportPageList()
{
    PageList list;
    if (pageList(list))
        saveList(list);
}

void TFrmMain::exportResults()
{
    if (ui->PgcPrincipal->currentIndex() == PagePesquisa)
        exportPageList();
}

void TFrmMain::exportLevelList()
{
    const int page = ui->PgcPrincipal->currentIndex();
    if (page >= PageSecao && page < PageSubClasse)
        exportPageList();
}
