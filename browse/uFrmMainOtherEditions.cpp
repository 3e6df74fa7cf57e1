// The line "Nas outras edições:" of each level page: how every other listed edition holds the
// item on show (the same code at the same level), each edition that has it a link to it there.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/GrowingLayout.h"
#include "app/DataLookupCombo.h"
#include "browse/OtherEditions.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QLabel>

#include <algorithm>

namespace
{

const char *const kDescriptionColumns[] = {"Descricao_Sec", "Descricao_Div", "Descricao_Grp", "Descricao_Cla",
                                           "Descricao_Sub"};

} // namespace

void TFrmMain::attachOtherEditions()
{
    const struct {
        Query *detail;
        QLabel *anchor;
        const char *page;
    } pages[] = {{&DtmMain.QrySecao, ui->LblDescricaoSecao_TbsSecao, "TbsSecao"},
                 {&DtmMain.QryDivisao, ui->LblDescricaoDivisao_TbsDivisao, "TbsDivisao"},
                 {&DtmMain.QryGrupo, ui->LblDescricaoGrupo_TbsGrupo, "TbsGrupo"},
                 {&DtmMain.QryClasse, ui->LblDescricaoClasse_TbsClasse, "TbsClasse"},
                 {&DtmMain.QrySubClasse, ui->LblDescricaoSubClasse_TbsSubClasse, "TbsSubClasse"}};
    for (int i = 0; i < 5; ++i) {
        const int level = i + 1;
        Query *detail = pages[i].detail;
        QLabel *anchor = pages[i].anchor;
        auto *line = new QLabel(anchor->parentWidget());
        line->setObjectName(QStringLiteral("LblOutrasEdicoes_") + QLatin1String(pages[i].page));
        line->setTextFormat(Qt::RichText);
        line->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        // One line in the gap under the item's description, ending above the page's list.
        const int top = anchor->geometry().bottom() + 1;
        int height = line->fontMetrics().height();
        if (const auto *list = anchor->parentWidget()->findChild<DataGrid *>(); list && list->y() > top)
            height = std::min(height, list->y() - top);
        line->setGeometry(anchor->x(), top, anchor->parentWidget()->width() - anchor->x() - 8, height);
        line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->hide();
        // It widens with the page and scales with the texts' size; shown, the list below gives
        // way to its whole text.
        if (auto *layout = GrowingLayout::of(anchor->parentWidget())) {
            layout->adopt(line);
            layout->setWrapping(line);
        }
        connect(detail, &Query::reloaded, this,
                [this, line, detail, level] { showOtherEditions(line, *detail, level); });
        connect(line, &QLabel::linkActivated, this, [this, line](const QString &link) {
            const LevelItem item = line->property("levelItem").value<LevelItem>();
            guard([this, link, item] { openInEdition(link.section(QLatin1Char(':'), 1), item); });
        });
    }
}

void TFrmMain::showOtherEditions(QLabel *line, const Query &detail, int level)
{
    line->hide();
    if (!detail.isOpen() || detail.isEmpty())
        return;
    // The page reports its own faults; a line that cannot be made is simply not shown.
    try {
        fillOtherEditions(line, detail, level);
    } catch (const DataError &) {
        line->hide();
    }
}

void TFrmMain::fillOtherEditions(QLabel *line, const Query &detail, int level)
{
    const QString codes[] = {nav.CodSecao, nav.CodDivisao, nav.CodGrupo, nav.CodClasse, nav.CodSubClasse};
    LevelItem item{level, {}};
    for (int i = 0; i < level; ++i)
        item.codes.append(codes[i]);
    const QString description = detail.fieldByName(QLatin1String(kDescriptionColumns[level - 1])).asString();

    // One statement for the editions, then one for each edition.
    const ResultSet editions = DtmMain.ADCMain.execute(QStringLiteral(
        "SELECT Cod_Classificacao, Descricao, Tabela FROM ZELT_Classificacao WHERE Status = 0 OR "
        "Status = 1 ORDER BY Status , Descricao"));
    QVector<OtherEditionItem> others;
    for (const QVector<QVariant> &edition : editions.rows) {
        OtherEditionItem other{edition[0].toString(), edition[1].toString(), OtherEditionItem::Missing, {}};
        if (other.codClassificacao == nav.CodClassificacao)
            continue;
        try {
            const ResultSet found = DtmMain.ADCMain.execute(sameItemStatement(edition[2].toString(), item));
            if (!found.rows.isEmpty()) {
                other.descricao = found.rows.first().value(0).toString();
                other.state =
                    other.descricao == description ? OtherEditionItem::Same : OtherEditionItem::Different;
            }
        } catch (const DataError &) {
            other.state = OtherEditionItem::Unreadable;
        }
        others.append(other);
    }
    const QString text = otherEditionsLine(others);
    if (text.isEmpty())
        return;
    line->setProperty("levelItem", QVariant::fromValue(item));
    line->setText(text);
    line->show();
}

void TFrmMain::openInEdition(const QString &codClassificacao, const LevelItem &item)
{
    ui->CmbClassificacao->setKeyValue(codClassificacao);
    CmbClassificacaoClick();
    openLevelItem(item);
}
