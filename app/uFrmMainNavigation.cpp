// Navigation between the pages: the page dispatcher, the header links and the go-to operations.
//
// Every move sets PgcPrincipal's index and then calls PgcPrincipalChange once: the stacked widget
// raises nothing when its index is set by code, so the dispatcher is always called by hand.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/LinkLabel.h"
#include "browse/HierarchyStatements.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"
#include "search/SearchExpression.h"
#include "ui_uFrmMain.h"

namespace
{

enum Page {
    PagePrincipal = 0,
    PageEstrutura = 1,
    PageSecao = 2,
    PageDivisao = 3,
    PageGrupo = 4,
    PageClasse = 5,
    PageSubClasse = 6,
    PagePesquisa = 7
};

// The level codes, in the order every list and the search results deliver them.
const char *const kCodeColumns[] = {"Codigo_Sec", "Codigo_Div", "Codigo_Grp", "Codigo_Cla", "Codigo_Sub"};

// Reads the first `count` level codes of the query's current row into the navigation state.
// A NULL code, or no current row, throws: a level page never opens on a guessed item.
void readCodes(const Query &list, int count, NavigationState &nav)
{
    QString *const codes[] = {&nav.CodSecao, &nav.CodDivisao, &nav.CodGrupo, &nav.CodClasse,
                              &nav.CodSubClasse};
    for (int i = 0; i < count; ++i)
        *codes[i] = list.fieldByName(QLatin1String(kCodeColumns[i])).asString();
}

// Makes the row holding `code` current. A list without it would leave the ancestor link on
// another item than the one shown, so the jump stops with an error instead.
void standOn(Query &list, const char *column, const QString &code)
{
    if (!list.locate(QLatin1String(column), code)) {
        throw DataError(
            QStringLiteral("Dados inconsistentes: o código %1 (%2) do resultado não existe em %3.")
                .arg(code, QLatin1String(column), list.name()));
    }
}

} // namespace

void TFrmMain::PgcPrincipalChange(QObject *)
{
    noteLeaving();
    PageVisit left;
    left.page = -1;
    if (const PageVisit *previous = m_history.current())
        left = *previous;

    nav.NotaExplicativa.clear();
    nav.Compreende.clear();
    nav.TambemCompreende.clear();
    nav.NaoCompreende.clear();
    nav.Notas.clear();

    const int page = ui->PgcPrincipal->currentIndex();
    switch (page) {
    case PagePrincipal:
        nav.VeioDaPesquisa = 0;
        LimpaCodigos();
        MudaCaptionLink(1);
        // The last search stays in the box, all selected: typing replaces it, Enter runs it again.
        ui->EdtPesquisa->setFocus();
        ui->EdtPesquisa->selectAll();
        break;
    case PageEstrutura:
        nav.VeioDaPesquisa = 0;
        LimpaCodigos();
        MudaCaptionLink(3);
        ui->LblLinkNovaPesquisa->setTag(4);
        ui->LblDescricaoZelt_TbsEstrutura->setText(nav.DescricaoPagina);
        CarregaEstrutura();
        ui->DBGEstrutura->setColumnTitle(2, QString());
        break;
    case PageSecao:
    case PageDivisao:
    case PageGrupo:
    case PageClasse:
    case PageSubClasse: {
        LimpaCodigos();
        // The list through which each level page is reached; its current row names the item.
        Query *const lists[] = {&DtmMain.QryEstrutura, &DtmMain.QrySecaoAux, &DtmMain.QryDivisaoAux,
                                &DtmMain.QryGrupoAux, &DtmMain.QryClasseAux};
        const int level = page - PageSecao;
        if (nav.VeioDaPesquisa == 1) {
            // A subclass takes its codes from the results row and keeps VeioDaPesquisa at 1, so
            // its first ancestor link still goes through CopiaCodigosPesquisa.
            if (page == PageSubClasse)
                readCodes(DtmMain.QryPesquisa, 5, nav);
            else
                jumpFromResults();
        } else {
            readCodes(*lists[level], level + 1, nav);
        }
        MudaCaptionLink(2);
        QLabel *const headings[] = {ui->LblDescricaoZelt_TbsSecao, ui->LblDescricaoZelt_TbsDivisao,
                                    ui->LblDescricaoZelt_TbsGrupo, ui->LblDescricaoZelt_TbsClasse,
                                    ui->LblDescricaoZelt_TbsSubClasse};
        headings[level]->setText(nav.DescricaoPagina);
        switch (page) {
        case PageSecao:
            PreencheTbsSecao();
            break;
        case PageDivisao:
            PreencheTbsDivisao();
            break;
        case PageGrupo:
            PreencheTbsGrupo();
            break;
        case PageClasse:
            PreencheTbsClasse();
            break;
        default:
            PreencheTbsSubClasse();
            break;
        }
        break;
    }
    case PagePesquisa: {
        LimpaCodigos();
        nav.VeioDaPesquisa = 1;
        nav.TextoPesquisa = ui->EdtPesquisa->text();
        const SearchOrder order = searchOrder(ui->RdbCodigo->isChecked(), nav.DescricaoClassificacao);
        nav.OrdemPesquisa = order.OrdemPesquisa;
        nav.FiltroSubClasse = order.FiltroSubClasse;
        MudaCaptionLink(2);
        ui->LblDescricaoZelt_TbsPesquisa->setText(nav.DescricaoPagina);
        ExecutaPesquisa();
        break;
    }
    default:
        break;
    }
    noteArrival(left);
}

void TFrmMain::LimpaCodigos()
{
    nav.CodSecao.clear();
    nav.CodDivisao.clear();
    nav.CodGrupo.clear();
    nav.CodClasse.clear();
    nav.CodSubClasse.clear();
}

// After a jump from the search results, reloads every list an ancestor link reads so that each
// stands on the result's own ancestor, as browsing down to it would have left them.
void TFrmMain::CopiaCodigosPesquisa()
{
    readCodes(DtmMain.QryPesquisa, 5, nav);
    CarregaSecaoEstrutura();
    CarregaDivisoesSecao();
    standOn(DtmMain.QrySecaoAux, "Codigo_Div", nav.CodDivisao);
    CarregaGruposDivisao();
    standOn(DtmMain.QryDivisaoAux, "Codigo_Grp", nav.CodGrupo);
    DtmMain.QryGrupoAux.reload(classesOfGroup(nav.PrefixoTabela, nav.CodGrupo));
    standOn(DtmMain.QryGrupoAux, "Codigo_Cla", nav.CodClasse);
    nav.VeioDaPesquisa = 0;
}

// A result whose ancestor is missing from its list (inconsistent data) cannot be shown with
// ancestor links that hold: the jump is refused and the results, whose row is still the one
// clicked, come back on show, so that every visible label and list belongs together.
void TFrmMain::jumpFromResults()
{
    try {
        CopiaCodigosPesquisa();
    } catch (const DataError &) {
        LimpaCodigos();
        nav.VeioDaPesquisa = 1;
        ui->PgcPrincipal->setCurrentIndex(PagePesquisa);
        throw;
    }
}

void TFrmMain::LblLinkCabecalho1Click(QObject *Sender)
{
    const auto *link = qobject_cast<const LinkLabel *>(Sender);
    if (!link)
        return;
    switch (link->Tag()) {
    case 1:
        AbreJanelaAjuda(2);
        break;
    case 2:
        AbreJanelaAjuda(3);
        break;
    case 3:
        ui->PgcPrincipal->setCurrentIndex(PageEstrutura);
        PgcPrincipalChange(ui->TbsEstrutura);
        break;
    case 4:
        ui->PgcPrincipal->setCurrentIndex(PagePrincipal);
        PgcPrincipalChange(ui->TbSPrincipal);
        break;
    default:
        break;
    }
}

// After a start-up that loaded no edition there are no tables to read: say so, and stay home.
void TFrmMain::requireEdition() const
{
    if (nav.PrefixoTabela.isEmpty())
        throw DataError(QStringLiteral("Nenhuma classificação está carregada: não há estrutura a mostrar nem "
                                       "atividades a pesquisar."));
}

void TFrmMain::BtnEstruturaClick()
{
    requireEdition();
    ui->PgcPrincipal->setCurrentIndex(PageEstrutura);
    PgcPrincipalChange(ui->TbsEstrutura);
}

void TFrmMain::AbrePaginaSecao()
{
    ui->PgcPrincipal->setCurrentIndex(PageSecao);
    PgcPrincipalChange(ui->TbsSecao);
}

void TFrmMain::AbrePaginaDivisao()
{
    ui->PgcPrincipal->setCurrentIndex(PageDivisao);
    PgcPrincipalChange(ui->TbsDivisao);
}

void TFrmMain::AbrePaginaGrupo()
{
    ui->PgcPrincipal->setCurrentIndex(PageGrupo);
    PgcPrincipalChange(ui->TbsGrupo);
}

void TFrmMain::AbrePaginaClasse()
{
    ui->PgcPrincipal->setCurrentIndex(PageClasse);
    PgcPrincipalChange(ui->TbsClasse);
}

void TFrmMain::AbrePaginaSubClasse()
{
    ui->PgcPrincipal->setCurrentIndex(PageSubClasse);
    PgcPrincipalChange(ui->TbsSubClasse);
}

void TFrmMain::AbrePaginaPesquisa()
{
    ui->PgcPrincipal->setCurrentIndex(PagePesquisa);
    PgcPrincipalChange(ui->TbsPesquisa);
}
