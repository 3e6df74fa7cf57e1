#pragma once

#include "data/Connection.h"
#include "data/DataSource.h"
#include "data/Query.h"

#include <QObject>

// The data module: the one connection and the fixed catalogue of queries and data sources.
// No logic: the windows compose the statements and reload these queries.
class TDtmMain : public QObject
{
    Q_OBJECT
public:
    explicit TDtmMain(QObject *parent = nullptr);
    TDtmMain(const TDtmMain &) = delete;
    TDtmMain &operator=(const TDtmMain &) = delete;

    Connection ADCMain;

    Query QryClassificacao;
    Query QryDataBanco;
    Query QryEstrutura;
    Query QryAuxiliar;
    Query QrySecao;
    Query QrySecaoAux;
    Query QryDivisao;
    Query QryDivisaoAux;
    Query QryGrupo;
    Query QryGrupoAux;
    Query QryClasse;
    Query QryClasseAux;
    Query QrySubClasse;
    Query QrySinonimo;
    Query QryPesquisa;
    Query QryPesquisaAux;

    DataSource DtSClassificacao;
    DataSource DtsEstrutura;
    DataSource DtsSecao;
    DataSource DtsSecaoAux;
    DataSource DtsDivisao;
    DataSource DtsDivisaoAux;
    DataSource DtsGrupo;
    DataSource DtsGrupoAux;
    DataSource DtsClasse;
    DataSource DtsClasseAux;
    DataSource DtsSubClasse;
    DataSource DtsSinonimo;
    DataSource DtsPesquisa;
};
