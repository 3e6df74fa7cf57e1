#include "takeaway/TakeawayStatements.h"

#include "browse/HierarchyStatements.h"

namespace
{

const char *const kActivityColumns =
    "SELECT (Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) "
    "As CodigoSubClasse, Descricao_Cla, Palavra_Chave FROM ";

} // namespace

QString activitiesOfSubclass(const QString &prefix, const QString &codClasse, const QString &codSubClasse)
{
    return QLatin1String(kActivityColumns) + checkedTablePrefix(prefix) +
           QLatin1String("_Atividade WHERE Codigo_Cla = ") + quoted(codClasse) +
           QLatin1String(" AND Codigo_Sub = ") + quoted(codSubClasse) +
           QLatin1String(" ORDER BY Codigo_Cla_Seq");
}

QString editionLevelRows(const QString &prefix, int nivel)
{
    static const char *const tables[] = {"_SECAO", "_DIVISAO", "_GRUPO", "_CLASSE", "_SUBCLASSE"};
    static const char *const orders[] = {" ORDER BY Codigo_Sec", " ORDER BY Codigo_Div",
                                         " ORDER BY Codigo_Grp", " ORDER BY Codigo_Cla",
                                         " ORDER BY Codigo_Cla, Codigo_Sub"};
    const int level = qBound(1, nivel, 5) - 1;
    return QLatin1String("SELECT * FROM ") + checkedTablePrefix(prefix) + QLatin1String(tables[level]) +
           QLatin1String(orders[level]);
}

QString editionActivityCount(const QString &prefix)
{
    return QLatin1String("SELECT COUNT(*) FROM ") + checkedTablePrefix(prefix) + QLatin1String("_Atividade");
}

QString editionActivityDivisions(const QString &prefix)
{
    return QLatin1String("SELECT Codigo_Div, COUNT(*) FROM ") + checkedTablePrefix(prefix) +
           QLatin1String("_Atividade GROUP BY Codigo_Div ORDER BY Codigo_Div");
}

QString editionActivitiesOfDivisions(const QString &prefix, const QString &first, const QString &last,
                                     bool isNull)
{
    return QLatin1String(kActivityColumns) + checkedTablePrefix(prefix) + QLatin1String("_Atividade WHERE ") +
           (isNull ? QStringLiteral("Codigo_Div IS NULL")
                   : QLatin1String("Codigo_Div >= ") + quoted(first) + QLatin1String(" AND Codigo_Div <= ") +
                         quoted(last)) +
           QLatin1String(" ORDER BY Codigo_Div, Codigo_Cla, Codigo_Sub, Codigo_Cla_Seq");
}
