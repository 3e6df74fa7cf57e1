// Why a result matched: a tooltip over the row under the pointer, or Ctrl+I for the selected row.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "data/ValueText.h"
#include "search/MatchExplanation.h"
#include "search/SearchKeywords.h"
#include "ui_uFrmMain.h"

#include <QHelpEvent>
#include <QShortcut>
#include <QToolTip>

namespace
{

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

} // namespace

void TFrmMain::attachMatchTooltips()
{
    new RowTooltips(ui->DbgPesquisa, [this](int row) {
        try {
            return matchExplanation(row);
        } catch (const DataError &error) {
            return error.message().toHtmlEscaped();
        }
    });
    auto *explainKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), ui->DbgPesquisa);
    explainKey->setContext(Qt::WidgetShortcut);
    connect(explainKey, &QShortcut::activated, this, [this] { guard([this] { showMatchExplanation(); }); });
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
