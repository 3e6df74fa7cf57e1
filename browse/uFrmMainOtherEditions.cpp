// The line "Nas outras edições:" of each level page: how every other listed edition holds the
// item on show (the same code at the same level), each edition that has it a link to it there.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/GrowingLayout.h"
#include "browse/OtherEditions.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QLabel>

namespace
{

const char *const kDescriptionColumns[] = {"Descricao_Sec", "Descricao_Div", "Descricao_Grp", "Descricao_Cla",
                                           "Descricao_Sub"};

} // namespace

void TFrmMain::attachOtherEditions()
{
    // Each line stands under the item's description, or, on the subclass page, under its link.
    const struct {
        Query *detail;
        QLabel *description;
        QWidget *above;
        const char *page;
    } pages[] = {
        {&DtmMain.QrySecao, ui->LblDescricaoSecao_TbsSecao, ui->LblDescricaoSecao_TbsSecao, "TbsSecao"},
        {&DtmMain.QryDivisao, ui->LblDescricaoDivisao_TbsDivisao, ui->LblDescricaoDivisao_TbsDivisao,
         "TbsDivisao"},
        {&DtmMain.QryGrupo, ui->LblDescricaoGrupo_TbsGrupo, ui->LblDescricaoGrupo_TbsGrupo, "TbsGrupo"},
        {&DtmMain.QryClasse, ui->LblDescricaoClasse_TbsClasse, ui->LblDescricaoClasse_TbsClasse, "TbsClasse"},
        {&DtmMain.QrySubClasse, ui->LblDescricaoSubClasse_TbsSubClasse, ui->LblListarAtividades_TbsSubClasse,
         "TbsSubClasse"}};
    for (int i = 0; i < 5; ++i) {
        const int level = i + 1;
        Query *detail = pages[i].detail;
        QWidget *page = pages[i].description->parentWidget();
        auto *line = new QLabel(page);
        line->setObjectName(QStringLiteral("LblOutrasEdicoes_") + QLatin1String(pages[i].page));
        line->setTextFormat(Qt::RichText);
        line->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        line->setWordWrap(true);
        line->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        line->hide();
        // From the page's left margin (the hierarchy's captions) to the descriptions' right end,
        // widening with the page.
        const int left =
            page->findChild<QLabel *>(QStringLiteral("LblHierarquia_") + QLatin1String(pages[i].page))->x();
        // One row under what it follows: the hierarchy's rows stand 28 pixels apart.
        const int top = pages[i].above->y() + 28;
        const int width = pages[i].description->geometry().right() + 1 - left;
        auto *layout = GrowingLayout::of(page);
        if (page->findChild<DataGrid *>()) {
            // Designed without height: the line takes the room its text needs from the list below.
            line->setGeometry(left, top, width, 0);
            layout->adopt(line);
            layout->setWrapping(line);
        } else {
            // The subclass page has no list: its line may wrap down to the notes' rule.
            const QString rule = QStringLiteral("ImgLine3_") + QLatin1String(pages[i].page);
            line->setGeometry(left, top, width, page->findChild<QLabel *>(rule)->y() - 6 - top);
            layout->adopt(line);
            layout->widen(line);
        }
        connect(detail, &Query::reloaded, this, [this, line, detail, level, layout] {
            showOtherEditions(line, *detail, level);
            layout->apply();
        });
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
