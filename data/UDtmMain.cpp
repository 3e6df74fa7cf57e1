#include "data/UDtmMain.h"

namespace {

const QString kGrupoAuxSql = QStringLiteral(
    "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, DESCRICAO_CLA, CCOMPRE_CLA, TCOMPRE_CLA, "
    "NCOMPRE_CLA, NOTAS_CLA,  (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse FROM "
    "ZELT_110_Classe");

const QString kClasseAuxSql = QStringLiteral(
    "SELECT CODIGO_SEC, CODIGO_DIV, CODIGO_GRP, CODIGO_CLA, CODIGO_SUB, DV_SUB, DESCRICAO_SUB, CCOMPRE_SUB, "
    "TCOMPRE_SUB, NCOMPRE_SUB, NOTAS_SUB,  (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1) + '/' + "
    "Codigo_Sub)  As CodigoSubClasse FROM ZELT_110_SubClasse");

const QStringList kPesquisaSql = {
    QStringLiteral("SELECT Codigo_Sec, Codigo_Div, Codigo_Grp, Codigo_Cla, Codigo_Sub,  Codigo_Cla_Seq, "
                   "Descricao_Cla, (Left(Codigo_Cla,4) + '-' + Right(Codigo_Cla, 1))  As CodigoClasse, "
                   "(Left(Descricao_Cla, 255)) As Descricao,"),
    QStringLiteral("(Left(Codigo_Cla, 4) + '-' + Right(Codigo_Cla, 1) + '/' + Codigo_Sub) As CodigoSubClasse"),
    QStringLiteral("FROM ZELT_110_Atividade"),
};

} // namespace

// The per-edition queries store SQL over the ZELT_110 tables only to document their columns;
// every one of them is given a composed statement before it is opened.
TDtmMain::TDtmMain(QObject *parent)
    : QObject(parent),
      QryClassificacao(ADCMain, QStringLiteral("QryClassificacao"),
                       {QStringLiteral("SELECT Cod_Classificacao, Descricao, Tabela, Status, Descricao_Pagina "
                                       "FROM ZELT_Classificacao WHERE Status = 0 OR Status = 1 ORDER BY "
                                       "Status , Descricao")},
                       this),
      QryDataBanco(ADCMain, QStringLiteral("QryDataBanco"),
                   {QStringLiteral("SELECT MAX(Data_Atualizacao) FROM Zelt_Classificacao")}, this),
      QryEstrutura(ADCMain, QStringLiteral("QryEstrutura"), {QStringLiteral("SELECT * FROM ZELT_110_Secao")},
                   this),
      QryAuxiliar(ADCMain, QStringLiteral("QryAuxiliar"), {}, this),
      QrySecao(ADCMain, QStringLiteral("QrySecao"), {QStringLiteral("SELECT * FROM ZELT_110_Secao")}, this),
      QrySecaoAux(ADCMain, QStringLiteral("QrySecaoAux"), {QStringLiteral("SELECT * FROM ZELT_110_Divisao")},
                  this),
      QryDivisao(ADCMain, QStringLiteral("QryDivisao"), {QStringLiteral("SELECT * FROM ZELT_110_Divisao")},
                 this),
      QryDivisaoAux(ADCMain, QStringLiteral("QryDivisaoAux"), {QStringLiteral("SELECT * FROM ZELT_110_Grupo")},
                    this),
      QryGrupo(ADCMain, QStringLiteral("QryGrupo"), {QStringLiteral("SELECT * FROM ZELT_110_Grupo")}, this),
      QryGrupoAux(ADCMain, QStringLiteral("QryGrupoAux"), {kGrupoAuxSql}, this),
      QryClasse(ADCMain, QStringLiteral("QryClasse"), {QStringLiteral("SELECT * FROM ZELT_110_Classe")}, this),
      QryClasseAux(ADCMain, QStringLiteral("QryClasseAux"), {kClasseAuxSql}, this),
      QrySubClasse(ADCMain, QStringLiteral("QrySubClasse"), {kClasseAuxSql}, this),
      QrySinonimo(ADCMain, QStringLiteral("QrySinonimo"), {QStringLiteral("SELECT * FROM ZELT_Sinonimo")}, this),
      QryPesquisa(ADCMain, QStringLiteral("QryPesquisa"), kPesquisaSql, this),
      QryPesquisaAux(ADCMain, QStringLiteral("QryPesquisaAux"),
                     {QStringLiteral("SELECT *"), QStringLiteral("FROM ZELT_110_Atividade")}, this),
      DtSClassificacao(QryClassificacao, QStringLiteral("DtSClassificacao"), this),
      DtsEstrutura(QryEstrutura, QStringLiteral("DtsEstrutura"), this),
      DtsSecao(QrySecao, QStringLiteral("DtsSecao"), this),
      DtsSecaoAux(QrySecaoAux, QStringLiteral("DtsSecaoAux"), this),
      DtsDivisao(QryDivisao, QStringLiteral("DtsDivisao"), this),
      DtsDivisaoAux(QryDivisaoAux, QStringLiteral("DtsDivisaoAux"), this),
      DtsGrupo(QryGrupo, QStringLiteral("DtsGrupo"), this),
      DtsGrupoAux(QryGrupoAux, QStringLiteral("DtsGrupoAux"), this),
      DtsClasse(QryClasse, QStringLiteral("DtsClasse"), this),
      DtsClasseAux(QryClasseAux, QStringLiteral("DtsClasseAux"), this),
      DtsSubClasse(QrySubClasse, QStringLiteral("DtsSubClasse"), this),
      DtsSinonimo(QrySinonimo, QStringLiteral("DtsSinonimo"), this),
      DtsPesquisa(QryPesquisa, QStringLiteral("DtsPesquisa"), this)
{
    setObjectName(QStringLiteral("DtmMain"));
}
