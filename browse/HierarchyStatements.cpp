#include "browse/HierarchyStatements.h"

#include "data/DataError.h"

namespace
{

// A fixed piece of a statement with the checked prefix in place of every {prefix}.
QString piece(const char *text, const QString &prefix)
{
    return QString::fromLatin1(text).replace(QLatin1String("{prefix}"), prefix);
}

bool isNameCharacter(QChar c)
{
    return c == QLatin1Char('_') || c.isLetterOrNumber();
}

} // namespace

QString quoted(const QString &value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString checkedTablePrefix(const QString &prefix)
{
    for (const QChar c : prefix) {
        if (!isNameCharacter(c))
            throw DataError(QStringLiteral("Prefixo de tabela inválido: %1").arg(prefix));
    }
    return prefix;
}

QString allSections(const QString &prefix)
{
    return piece("SELECT * FROM {prefix}_SECAO ORDER BY Codigo_Sec", checkedTablePrefix(prefix));
}

QString sectionByCode(const QString &prefix, const QString &codSecao)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT * FROM {prefix}_SECAO WHERE Codigo_Sec = ", p) + quoted(codSecao) +
           QLatin1String(" ORDER BY Codigo_Sec");
}

QString divisionsOfSection(const QString &prefix, const QString &codSecao)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT * FROM {prefix}_Divisao WHERE Codigo_Sec = ", p) + quoted(codSecao) +
           QLatin1String(" ORDER BY Codigo_Div");
}

QString divisionDetail(const QString &prefix, const QString &codDivisao)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT {prefix}_SECAO.CODIGO_SEC, {prefix}_SECAO.DESCRICAO_SEC, "
                 "{prefix}_DIVISAO.CODIGO_DIV, {prefix}_DIVISAO.DESCRICAO_DIV, "
                 "{prefix}_DIVISAO.CCOMPRE_DIV, {prefix}_DIVISAO.TCOMPRE_DIV, "
                 "{prefix}_DIVISAO.NCOMPRE_DIV, {prefix}_DIVISAO.NOTAS_DIV FROM {prefix}_SECAO INNER JOIN "
                 "{prefix}_DIVISAO ON {prefix}_SECAO.CODIGO_SEC = {prefix}_DIVISAO.CODIGO_SEC WHERE "
                 "Codigo_Div = ",
                 p) +
           quoted(codDivisao);
}

QString groupsOfDivision(const QString &prefix, const QString &codDivisao)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT * FROM {prefix}_Grupo WHERE Codigo_Div = ", p) + quoted(codDivisao) +
           QLatin1String(" ORDER BY Codigo_Grp");
}

QString groupDetail(const QString &prefix, const QString &codGrupo)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT {prefix}_SECAO.CODIGO_SEC, {prefix}_SECAO.DESCRICAO_SEC, "
                 "{prefix}_DIVISAO.codigo_div, {prefix}_DIVISAO.descricao_div, {prefix}_GRUPO.CODIGO_GRP, "
                 "{prefix}_GRUPO.DESCRICAO_GRP, {prefix}_GRUPO.CCOMPRE_GRP, {prefix}_GRUPO.TCOMPRE_GRP, "
                 "{prefix}_GRUPO.NCOMPRE_GRP, {prefix}_GRUPO.NOTAS_GRP FROM {prefix}_SECAO, "
                 "{prefix}_DIVISAO, {prefix}_GRUPO  WHERE {prefix}_SECAO.CODIGO_SEC = "
                 "{prefix}_DIVISAO.codigo_sec AND {prefix}_DIVISAO.codigo_div = {prefix}_GRUPO.CODIGO_DIV "
                 " AND Codigo_Grp = ",
                 p) +
           quoted(codGrupo);
}

QString classesOfGroup(const QString &prefix, const QString &codGrupo)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, DESCRICAO_CLA, CCOMPRE_CLA, "
                 "TCOMPRE_CLA, NCOMPRE_CLA, NOTAS_CLA,  (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1)) "
                 " As CodigoClasse  FROM {prefix}_Classe WHERE Codigo_Grp = ",
                 p) +
           quoted(codGrupo) + QLatin1String(" ORDER BY Codigo_Cla");
}

QString classDetail(const QString &prefix, const QString &codClasse)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT {prefix}_SECAO.CODIGO_SEC, {prefix}_SECAO.DESCRICAO_SEC, "
                 "{prefix}_DIVISAO.codigo_div, {prefix}_DIVISAO.descricao_div, {prefix}_GRUPO.CODIGO_GRP, "
                 " {prefix}_GRUPO.DESCRICAO_GRP, {prefix}_CLASSE.Codigo_Cla, "
                 "{prefix}_CLASSE.Descricao_Cla,  {prefix}_Classe.CCOMPRE_Cla, "
                 "{prefix}_Classe.TCOMPRE_Cla,  {prefix}_Classe.NCOMPRE_Cla, {prefix}_Classe.NOTAS_Cla,  "
                 "(Left({prefix}_Classe.Codigo_Cla,4) + '-' + Right({prefix}_Classe.Codigo_Cla, 1))  As "
                 "CodigoClasse  FROM {prefix}_SECAO, {prefix}_DIVISAO, {prefix}_GRUPO, {prefix}_CLASSE  "
                 "WHERE {prefix}_SECAO.CODIGO_SEC = {prefix}_DIVISAO.codigo_sec AND  "
                 "{prefix}_DIVISAO.codigo_div = {prefix}_GRUPO.CODIGO_DIV AND  {prefix}_Classe.Codigo_Grp "
                 "= {prefix}_GRUPO.CODIGO_Grp  AND Codigo_Cla = ",
                 p) +
           quoted(codClasse);
}

QString subclassesOfClass(const QString &prefix, const QString &codClasse)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, CODIGO_SUB, DV_SUB, "
                 "DESCRICAO_SUB, CCOMPRE_SUB, TCOMPRE_SUB, NCOMPRE_SUB, NOTAS_SUB,  (Left(Codigo_Cla,4) + "
                 "'-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub)  As CodigoSubClasse FROM "
                 "{prefix}_SubClasse WHERE Codigo_Cla = ",
                 p) +
           quoted(codClasse) + QLatin1String(" ORDER BY Codigo_Sub");
}

QString subclassDetail(const QString &prefix, const QString &codClasse, const QString &codSubClasse)
{
    const QString p = checkedTablePrefix(prefix);
    return piece("SELECT {prefix}_SECAO.CODIGO_SEC, {prefix}_SECAO.DESCRICAO_SEC, "
                 "{prefix}_DIVISAO.codigo_div, {prefix}_DIVISAO.descricao_div, {prefix}_GRUPO.CODIGO_GRP, "
                 "{prefix}_GRUPO.DESCRICAO_GRP, {prefix}_CLASSE.Codigo_Cla, "
                 "{prefix}_CLASSE.Descricao_Cla, {prefix}_SUBClasse.CODIGO_SUB, "
                 "{prefix}_SUBClasse.Descricao_SUB, {prefix}_SUBClasse.CCOMPRE_SUB, "
                 "{prefix}_SUBClasse.TCOMPRE_SUB, {prefix}_SUBClasse.NCOMPRE_SUB, "
                 "{prefix}_SUBClasse.NOTAS_SUB, (Left({prefix}_SUBClasse.Codigo_Cla,4) + '-' + "
                 "Right({prefix}_SUBClasse.Codigo_Cla, 1)) As CodigoClasse, "
                 "(Left({prefix}_SUBClasse.Codigo_Cla,4) + '-' + Right({prefix}_SUBClasse.Codigo_Cla, 1) "
                 "+ '/' + {prefix}_SUBClasse.Codigo_Sub)  As CodigoSubClasse FROM {prefix}_SECAO, "
                 "{prefix}_DIVISAO, {prefix}_GRUPO, {prefix}_CLASSE, {prefix}_SUBCLASSE WHERE "
                 "{prefix}_SECAO.CODIGO_SEC = {prefix}_DIVISAO.codigo_sec AND {prefix}_DIVISAO.codigo_div "
                 "= {prefix}_GRUPO.CODIGO_DIV AND {prefix}_Classe.Codigo_Grp = {prefix}_GRUPO.CODIGO_Grp "
                 "AND {prefix}_Classe.Codigo_Cla = {prefix}_SUBCLASSE.CODIGO_CLA AND Codigo_Sub = ",
                 p) +
           quoted(codSubClasse) + piece(" AND {prefix}_SUBCLASSE.Codigo_Cla = ", p) + quoted(codClasse);
}
