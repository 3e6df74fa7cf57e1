// The main window's results to take away: the links and shortcuts that export and print, and
// the handlers behind them.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"
#include "data/DataError.h"
#include "search/MatchExplanation.h"
#include "search/RecentSearches.h"
#include "search/SearchKeywords.h"
#include "takeaway/CsvExport.h"
#include "takeaway/PagedPrint.h"
#include "takeaway/PrintedPage.h"
#include "ui_uFrmMain.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHelpEvent>
#include <QLocale>
#include <QPrinter>
#include <QShortcut>
#include <QToolTip>

namespace
{

constexpr int PageSecao = 2;
constexpr int PageSubClasse = 6;
constexpr int PagePesquisa = 7;

// Keeps a link beside a label of the designed layout wherever the layout puts that label:
// after its text, or after its whole box when the text changes under it (the count).
class PlaceBeside : public QObject
{
public:
    PlaceBeside(QWidget *link, QLabel *anchor, bool afterText)
        : QObject(link), m_link(link), m_anchor(anchor), m_afterText(afterText)
    {
        anchor->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            place();
        return false;
    }

private:
    void place()
    {
        const int right = m_afterText
                              ? m_anchor->x() + m_anchor->fontMetrics().horizontalAdvance(m_anchor->text())
                              : m_anchor->geometry().right() + 1;
        m_link->move(right + 16, m_anchor->y());
    }

    QWidget *m_link;
    QLabel *m_anchor;
    bool m_afterText;
};

// Shows, over a grid's rows, the tooltip that explain gives for the row under the pointer.
class RowTooltips : public QObject
{
public:
    RowTooltips(DataGrid *grid, std::function<QString(int)> explain)
        : QObject(grid), m_grid(grid), m_explain(std::move(explain))
    {
        grid->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_grid->indexAt(help->pos());
        if (!index.isValid()) {
            QToolTip::hideText();
            return true;
        }
        QRect rowRect = m_grid->visualRect(index);
        rowRect.setLeft(0);
        rowRect.setRight(m_grid->viewport()->width());
        QToolTip::showText(help->globalPos(), m_explain(index.row()), m_grid->viewport(), rowRect);
        return true;
    }

private:
    DataGrid *m_grid;
    std::function<QString(int)> m_explain;
};

// The database date as a sentence reads it ("março de 2026"); empty when it could not be read.
QString databaseDateOf(const Query &dataBanco)
{
    if (!dataBanco.isOpen() || dataBanco.isEmpty() || dataBanco.field(0).isNull())
        return {};
    return QLocale(QLocale::Portuguese, QLocale::Brazil)
        .toString(dataBanco.field(0).asDateTime().date(), QStringLiteral("MMMM 'de' yyyy"));
}

QString valueText(const QVariant &value)
{
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

// A file name from what the page shows, without characters that file systems refuse.
QString fileNameOf(const QString &text)
{
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]"));
    return QString(text).replace(refused, QStringLiteral("-")).simplified() + QStringLiteral(".csv");
}

} // namespace

void TFrmMain::attachTakeaway()
{
    m_searchKeywords = std::make_unique<SearchKeywords>(DtmMain.QryPesquisa, DtmMain.ADCMain);
    m_recentSearches = new RecentSearches(ui->EdtPesquisa);

    const auto run = [this](std::function<void()> handler) { return [this, handler] { guard(handler); }; };
    const auto addLink = [this, &run](QLabel *anchor, bool afterText, const QString &name,
                                      const QString &caption, std::function<void()> handler) {
        auto *link = new LinkLabel(anchor->parentWidget());
        link->setObjectName(name);
        link->setText(caption);
        link->setPalette(ui->LblNotasExplicativas_TbsSecao->palette());
        link->adjustSize();
        new PlaceBeside(link, anchor, afterText);
        connect(link, &LinkLabel::mouseMoved, this, run([this, link] { Mouse_Over(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link] { Mouse_Out(link); }));
        connect(link, &LinkLabel::clicked, this, run(std::move(handler)));
        link->show();
        return link;
    };

    addLink(ui->LblNumeroRegistros, false, QStringLiteral("LblExportarResultados"),
            QStringLiteral("Exportar resultados..."), [this] { exportResults(); });
    const std::pair<QLabel *, QString> levelPages[] = {
        {ui->LblObservacao_TbsSecao, QStringLiteral("TbsSecao")},
        {ui->LblObservacao_TbsDivisao, QStringLiteral("TbsDivisao")},
        {ui->LblObservacao_TbsGrupo, QStringLiteral("TbsGrupo")},
        {ui->LblObservacao_TbsClasse, QStringLiteral("TbsClasse")},
        {ui->LblObservacao_TbsSubClasse, QStringLiteral("TbsSubClasse")}};
    for (const auto &[observacao, page] : levelPages) {
        QLabel *print = addLink(observacao, true, QStringLiteral("LblImprimir_") + page,
                                QStringLiteral("Imprimir..."), [this] { printLevelPage(); });
        if (page != QLatin1String("TbsSubClasse"))
            addLink(print, false, QStringLiteral("LblExportarLista_") + page,
                    QStringLiteral("Exportar lista..."), [this] { exportLevelList(); });
    }

    // Why a result matched: over the row under the pointer, or Ctrl+I for the selected row.
    new RowTooltips(ui->DbgPesquisa, [this](int row) {
        try {
            return matchExplanation(row);
        } catch (const DataError &error) {
            return error.message().toHtmlEscaped();
        }
    });
    auto *explainKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), ui->DbgPesquisa);
    explainKey->setContext(Qt::WidgetShortcut);
    connect(explainKey, &QShortcut::activated, this, run([this] { showMatchExplanation(); }));

    // Window-wide keys that act on the page on show.
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, run([this] {
                const int page = ui->PgcPrincipal->currentIndex();
                if (page == PagePesquisa)
                    exportResults();
                else if (page >= PageSecao && page < PageSubClasse)
                    exportLevelList();
            }));
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this, run([this] {
                const int page = ui->PgcPrincipal->currentIndex();
                if (page >= PageSecao && page <= PageSubClasse)
                    printLevelPage();
            }));
}

void TFrmMain::saveAsCsv(const QString &suggestedName, const QByteArray &bytes)
{
    const QString folder = m_saveFolder.isEmpty() ? QDir::homePath() : m_saveFolder;
    const QString path =
        dialogs::chooseSaveFile(this, QStringLiteral("Exportar"), QDir(folder).filePath(suggestedName),
                                QStringLiteral("Planilha CSV (*.csv)"));
    if (path.isEmpty())
        return;
    m_saveFolder = QFileInfo(path).absolutePath();
    const QString failure = saveFileAtomically(path, bytes);
    if (!failure.isEmpty())
        dialogs::showError(this, failure);
}

void TFrmMain::exportResults()
{
    if (ui->PgcPrincipal->currentIndex() != PagePesquisa)
        return;
    const Query &results = DtmMain.QryPesquisa;
    const int code = results.columnIndex(ui->DbgPesquisa->columnField(0));
    const int description = results.columnIndex(QStringLiteral("Descricao_Cla"));
    CsvTable table{{QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Palavras-chave"),
                    QStringLiteral("Edição")},
                   {},
                   {0}};
    for (int row = 0; row < results.recordCount(); ++row) {
        table.rows.append({valueText(results.value(row, code)), valueText(results.value(row, description)),
                           keywordListText(m_searchKeywords->ofRow(row)), nav.DescricaoClassificacao});
    }
    saveAsCsv(fileNameOf(QStringLiteral("pesquisa ") + ui->LblItemPesquisado->text()), csvBytes(table));
}

void TFrmMain::exportLevelList()
{
    static const char *const levels[] = {"secao", "divisao", "grupo", "classe"};
    static const char *const itemCodes[] = {"LblCodSecao_TbsSecao", "LblCodDivisao_TbsDivisao",
                                            "LblCodGrupo_TbsGrupo", "LblCodClasse_TbsClasse"};
    static const char *const grids[] = {"DbgSecao", "DbgDivisao", "DbgGrupo", "DbgClasse"};
    const int page = ui->PgcPrincipal->currentIndex();
    if (page < PageSecao || page >= PageSubClasse)
        return;
    const int level = page - PageSecao;
    const DataGrid *grid = findChild<DataGrid *>(QLatin1String(grids[level]));
    const Query *list = grid->query();
    CsvTable table{
        {QStringLiteral("Código"), QStringLiteral("Descrição"), QStringLiteral("Edição")}, {}, {0}};
    if (list && list->isOpen()) {
        const int code = list->columnIndex(grid->columnField(0));
        const int description = list->columnIndex(grid->columnField(1));
        for (int row = 0; row < list->recordCount(); ++row)
            table.rows.append({valueText(list->value(row, code)), valueText(list->value(row, description)),
                               nav.DescricaoClassificacao});
    }
    const QString itemCode = findChild<QLabel *>(QLatin1String(itemCodes[level]))->text();
    saveAsCsv(fileNameOf(QLatin1String(levels[level]) + QLatin1Char(' ') + itemCode), csvBytes(table));
}

QString TFrmMain::matchExplanation(int row)
{
    const Query &results = DtmMain.QryPesquisa;
    const auto text = [&results, row](const char *column) {
        return valueText(results.value(row, results.columnIndex(QLatin1String(column))));
    };
    const ExplainedActivity activity{m_searchKeywords->ofRow(row), text("Codigo_Cla"), text("Codigo_Sub"),
                                     text("CodigoClasse"), text("CodigoSubClasse")};
    // The whole description first: the grid may show it cut.
    return QStringLiteral("<p><b>%1</b></p>").arg(text("Descricao_Cla").toHtmlEscaped()) +
           matchTooltip(explainMatch(m_searchWords, activity), activity);
}

void TFrmMain::showMatchExplanation()
{
    DataGrid *grid = ui->DbgPesquisa;
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return;
    grid->scrollTo(current);
    const QRect cell = grid->visualRect(current);
    // Gone after a while, or at once on any key (app/uFrmMainKeyboard.cpp).
    QToolTip::showText(grid->viewport()->mapToGlobal(cell.bottomLeft()), matchExplanation(current.row()),
                       grid->viewport(), QRect(), 8000);
}

void TFrmMain::printLevelPage()
{
    static const char *const levels[] = {"Secao", "Divisao", "Grupo", "Classe", "SubClasse"};
    static const char *const captions[] = {"Seção", "Divisão", "Grupo", "Classe", "Subclasse"};
    static const char *const grids[] = {"DbgSecao", "DbgDivisao", "DbgGrupo", "DbgClasse"};
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
        const DataGrid *grid = findChild<DataGrid *>(QLatin1String(grids[nivel - 1]));
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
