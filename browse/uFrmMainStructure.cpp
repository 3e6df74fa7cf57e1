// The lists behind the structure page and the ancestor links: the sections, the divisions of a
// section and the groups of a division, each reloaded from the navigation state.
#include "app/uFrmMain.h"

#include "browse/HierarchyStatements.h"
#include "data/UDtmMain.h"

void TFrmMain::CarregaEstrutura()
{
    DtmMain.QryEstrutura.reload(allSections(nav.PrefixoTabela));
}

void TFrmMain::CarregaSecaoEstrutura()
{
    DtmMain.QryEstrutura.reload(sectionByCode(nav.PrefixoTabela, nav.CodSecao));
}

void TFrmMain::CarregaDivisoesSecao()
{
    DtmMain.QrySecaoAux.reload(divisionsOfSection(nav.PrefixoTabela, nav.CodSecao));
}

void TFrmMain::CarregaGruposDivisao()
{
    DtmMain.QryDivisaoAux.reload(groupsOfDivision(nav.PrefixoTabela, nav.CodDivisao));
}

// The grid has already made the clicked row current; an empty list has nothing to open.
void TFrmMain::DBGEstruturaCellClick()
{
    if (DtmMain.QryEstrutura.isEmpty())
        return;
    AbrePaginaSecao();
}
