// The main window's keyword search: the search box, the search run and the results grid.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/Dialogs.h"
#include "data/UDtmMain.h"
#include "app/DisplayText.h"
#include "search/RecentSearches.h"
#include "search/SearchExpression.h"
#include "ui_uFrmMain.h"

void TFrmMain::BtnPesquisaClick()
{
    nav.OrigemPesquisa = 1;
    // Only the empty box is refused: a text of blanks is searched (as the marker of no word).
    if (ui->EdtPesquisa->text().isEmpty()) {
        dialogs::showWarning(this, QStringLiteral("Por Favor informe a palavra chave ou o código"));
        return;
    }
    requireEdition();
    // A text over the limit is refused here, before the page changes: the box keeps it for
    // shortening and the page on show stays.
    const QString prepared = doubleApostrophes(trimSearchText(RemoveAcentos(ui->EdtPesquisa->text())));
    if (prepared.size() > MaxSearchTextLength) {
        dialogs::showWarning(this,
                             QStringLiteral("O texto da pesquisa é longo demais (mais de %1 caracteres). "
                                            "Encurte-o e pesquise de novo.")
                                 .arg(MaxSearchTextLength));
        ui->EdtPesquisa->setFocus();
        return;
    }
    AbrePaginaPesquisa();
}

void TFrmMain::EdtPesquisaKeyPress(int key)
{
    if (key == 13)
        BtnPesquisaClick();
}

void TFrmMain::ExecutaPesquisa()
{
    const QString typed = nav.TextoPesquisa;
    nav.TextoPesquisa = trimSearchText(RemoveAcentos(nav.TextoPesquisa));
    const QString textoMostrado = nav.TextoPesquisa;

    const SearchResultKind kind =
        searchResultKind(nav.OrigemPesquisa, nav.DescricaoClassificacao, nav.TextoPesquisa);

    nav.TextoPesquisa = doubleApostrophes(nav.TextoPesquisa);
    const QString palavras = RetiraPalavrasLigacao(nav.TextoPesquisa);
    const QString statement = searchStatement(nav.PrefixoTabela, MontaCondicaoPesquisa(palavras),
                                              nav.FiltroSubClasse, nav.OrdemPesquisa);

    // Set only once the lookups have passed, so that rows left on show by a failed run keep the
    // column and the click that fit them; still before the reload, so that new rows never show
    // through the previous column.
    nav.ResultadoSubClasse = kind.ResultadoSubClasse;
    ui->DbgPesquisa->setColumnField(0, kind.codeColumn);
    m_searchWords = palavras;
    DtmMain.QryPesquisa.reload(statement);

    ui->LblItemPesquisado->setText(upperAsciiOnly(textoMostrado));
    ui->LblNumeroRegistros->setText(QString::number(DtmMain.QryPesquisa.recordCount()));
    if (nav.OrigemPesquisa == 1)
        m_recentSearches->remember(typed);
}

QString TFrmMain::RetiraPalavrasLigacao(const QString &texto)
{
    Query &lookup = DtmMain.QryPesquisaAux;
    return ::RetiraPalavrasLigacao(texto, [&lookup](const QString &statement) {
        lookup.reload(statement);
        return !lookup.isEmpty();
    });
}

void TFrmMain::DbgPesquisaCellClick()
{
    // The grid has already made the clicked row current; the level page reads its codes there.
    if (DtmMain.QryPesquisa.isEmpty())
        return;
    if (nav.ResultadoSubClasse)
        AbrePaginaSubClasse();
    else
        AbrePaginaClasse();
}
