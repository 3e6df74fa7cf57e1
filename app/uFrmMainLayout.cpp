// Where the main window's widgets stand when the window is larger than designed, and which of
// its texts the user can select.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/DataMemo.h"
#include "app/GrowingLayout.h"
#include "app/LinkLabel.h"
#include "ui_uFrmMain.h"

#include <QRegularExpression>

namespace
{

// The designed client area is 804 × 585: an 81-pixel header over the pages.
const QSize kDesignedHeader(804, 81);
const QSize kDesignedPage(804, 504);

} // namespace

// The home page keeps its design; every other page gives the extra width to its grid, memo,
// rules and descriptions, and the extra height to its list. No grid scrolls sideways.
void TFrmMain::growWithWindow()
{
    // The links' panel reaches the header's right end, so that a caption wider in another font
    // than in the designed one is not cut by the panel's edge.
    ui->PnlLinks->resize(kDesignedHeader.width() - ui->PnlLinks->x(), ui->PnlLinks->height());
    auto *header = new GrowingLayout(ui->PnlCabecalho, kDesignedHeader);
    header->widen(ui->ImgLinePrincipal);
    header->followRight(ui->PnlLinks);
    header->followRight(m_backLink);
    header->followRight(m_forwardLink);

    for (int index = 1; index < ui->PgcPrincipal->count(); ++index) {
        QWidget *page = ui->PgcPrincipal->widget(index);
        auto *layout = new GrowingLayout(page, kDesignedPage);
        for (QWidget *child : page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            const QString name = child->objectName();
            if (auto *grid = qobject_cast<DataGrid *>(child)) {
                grid->setFitsWidth(true);
                layout->setList(grid);
            } else if (qobject_cast<DataMemo *>(child) || name.startsWith(QLatin1String("ImgLine")) ||
                       name.startsWith(QLatin1String("LblDescricao")))
                layout->widen(child);
        }
        if (page == ui->TbsEstrutura) {
            layout->followRight(ui->LblLinkNovaPesquisa);
            layout->followRight(ui->LblExportarClassificacao_TbsEstrutura);
            layout->followRight(ui->LblExportar_TbsEstrutura);
            layout->followRight(ui->LblImprimir_TbsEstrutura);
        }
        if (page == ui->TbsPesquisa)
            layout->setWrapping(ui->LblItemPesquisado);
    }
}

// The codes and descriptions of the level pages can be selected and copied; the ancestor codes
// stay links.
void TFrmMain::makeValuesSelectable()
{
    static const QRegularExpression value(
        QStringLiteral("^Lbl(Cod|Descricao)(Secao|Divisao|Grupo|Classe|SubClasse)_Tbs"));
    for (QLabel *label : findChildren<QLabel *>(value)) {
        if (!qobject_cast<LinkLabel *>(label))
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}
