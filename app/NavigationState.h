#pragma once

#include <QString>

// What carries context from one page of the main window to the next. Lives for the whole run,
// starts empty / 0 / false, and is never saved.
struct NavigationState {
    QString PrefixoTabela;
    QString DescricaoPagina;
    QString CodSecao;
    QString CodDivisao;
    QString CodGrupo;
    QString CodClasse;
    QString CodSubClasse;
    QString CodClassificacao;
    QString NotaExplicativa;
    QString Compreende;
    QString NaoCompreende;
    QString TambemCompreende;
    QString Notas;
    QString TextoPesquisa;
    QString OrdemPesquisa;
    QString DescricaoClassificacao;
    QString FiltroSubClasse;
    int VeioDaPesquisa = 0;
    int OrigemPesquisa = 0;
    bool ResultadoSubClasse = false;
};

// An edition whose description, lower-cased on A-Z only, holds "fiscal" or "subclasses".
bool isSubclassEdition(const QString &descricaoClassificacao);
