// Codes cited in the explanatory notes: whether the open edition has the item; and the jump to an
// item's level page with every list standing on its ancestors, as browsing down to it would leave them.
#include "app/uFrmMain.h"

#include "browse/HierarchyStatements.h"
#include "browse/NoteCodeLinks.h"
#include "browse/OtherEditions.h"
#include "data/DataError.h"
#include "data/UDtmMain.h"

namespace
{

void standOnCited(Query &list, const char *column, const QString &code)
{
    if (!list.locate(QLatin1String(column), code))
        throw DataError(QStringLiteral("Dados inconsistentes: o código %1 (%2) não existe em %3.")
                            .arg(code, QLatin1String(column), list.name()));
}

} // namespace

QStringList TFrmMain::citedItemAncestors(const CitedCode &code)
{
    const QString prefix = checkedTablePrefix(nav.PrefixoTabela);
    QString statement;
    switch (code.level) {
    case 2:
        statement =
            QStringLiteral("SELECT Codigo_Sec, Codigo_Div, Codigo_Div FROM %1_Divisao WHERE Codigo_Div = %2");
        break;
    case 3:
        statement =
            QStringLiteral("SELECT Codigo_Sec, Codigo_Div, Codigo_Grp FROM %1_Grupo WHERE Codigo_Grp = %2");
        break;
    case 4:
        statement =
            QStringLiteral("SELECT Codigo_Sec, Codigo_Div, Codigo_Grp FROM %1_Classe WHERE Codigo_Cla = %2");
        break;
    case 5:
        statement =
            QStringLiteral("SELECT Codigo_Sec, Codigo_Div, Codigo_Grp FROM %1_SubClasse WHERE Codigo_Cla = "
                           "%2 AND Codigo_Sub = %3");
        break;
    default:
        return {};
    }
    statement = statement.arg(prefix, quoted(code.codigo));
    if (code.level == 5)
        statement = statement.arg(quoted(code.codigoSub));
    const ResultSet found = DtmMain.ADCMain.execute(statement);
    if (found.rows.isEmpty())
        return {};
    QStringList codes;
    for (const QVariant &value : found.rows.first())
        codes.append(value.toString());
    return codes;
}

void TFrmMain::openCitedCode(const CitedCode &code)
{
    const QStringList ancestors = citedItemAncestors(code);
    if (ancestors.size() != 3)
        return;
    LevelItem item{code.level, ancestors.mid(0, code.level - 1)};
    if (code.level >= 4)
        item.codes.append(code.codigo);
    if (code.level == 5)
        item.codes.append(code.codigoSub);
    if (code.level <= 3)
        item.codes.append(code.codigo);
    openLevelItem(item);
}

void TFrmMain::openLevelItem(const LevelItem &item)
{
    if (item.level < 1 || item.level > 5 || item.codes.size() < item.level)
        return;
    LimpaCodigos();
    nav.CodSecao = item.codes[0];
    if (item.level == 1) {
        CarregaEstrutura();
        standOnCited(DtmMain.QryEstrutura, "Codigo_Sec", nav.CodSecao);
    } else {
        nav.CodDivisao = item.codes[1];
        CarregaSecaoEstrutura();
        CarregaDivisoesSecao();
        standOnCited(DtmMain.QrySecaoAux, "Codigo_Div", nav.CodDivisao);
    }
    if (item.level >= 3) {
        nav.CodGrupo = item.codes[2];
        CarregaGruposDivisao();
        standOnCited(DtmMain.QryDivisaoAux, "Codigo_Grp", nav.CodGrupo);
    }
    if (item.level >= 4) {
        nav.CodClasse = item.codes[3];
        DtmMain.QryGrupoAux.reload(classesOfGroup(nav.PrefixoTabela, nav.CodGrupo));
        standOnCited(DtmMain.QryGrupoAux, "Codigo_Cla", nav.CodClasse);
    }
    if (item.level == 5) {
        DtmMain.QryClasseAux.reload(subclassesOfClass(nav.PrefixoTabela, nav.CodClasse));
        standOnCited(DtmMain.QryClasseAux, "Codigo_Sub", item.codes[4]);
    }
    nav.VeioDaPesquisa = 0;
    switch (item.level) {
    case 1:
        AbrePaginaSecao();
        break;
    case 2:
        AbrePaginaDivisao();
        break;
    case 3:
        AbrePaginaGrupo();
        break;
    case 4:
        AbrePaginaClasse();
        break;
    default:
        AbrePaginaSubClasse();
        break;
    }
}
