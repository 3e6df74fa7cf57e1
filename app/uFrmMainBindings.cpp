#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "app/DataLookupCombo.h"
#include "app/DataMemo.h"
#include "app/LinkLabel.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QPushButton>

void TFrmMain::bindWidgets()
{
    const QColor blue(0, 0, 255);
    const QColor windowText; // invalid: the grid's own text colour

    ui->CmbClassificacao->bind(DtmMain.DtSClassificacao, QStringLiteral("Cod_Classificacao"),
                               QStringLiteral("Descricao"));
    ui->DBGEstrutura->bind(
        DtmMain.DtsEstrutura,
        {{QStringLiteral("CODIGO_SEC"), QStringLiteral("Seções"), 64, blue},
         {QStringLiteral("CODIGO_DIV1"), QStringLiteral("Divisões"), 44, blue},
         {QStringLiteral("CODIGO_DIV2"), QString(), 34, blue},
         {QStringLiteral("DESCRICAO_SEC"), QStringLiteral("Descrição ZELT"), 589, windowText}});
    ui->DbgSecao->bind(DtmMain.DtsSecaoAux, {{QStringLiteral("codigo_div"), QString(), 24, blue},
                                             {QStringLiteral("descricao_div"), QString(), 696, windowText}});
    ui->MemTbsSecao->bind(DtmMain.DtsSecaoAux, QStringLiteral("DESCRICAO_DIV"));
    ui->DbgDivisao->bind(DtmMain.DtsDivisaoAux,
                         {{QStringLiteral("CODIGO_GRP"), QString(), 34, blue},
                          {QStringLiteral("DESCRICAO_GRP"), QString(), 696, windowText}});
    ui->MemTbsDivisao->bind(DtmMain.DtsDivisaoAux, QStringLiteral("DESCRICAO_GRP"));
    ui->DbgGrupo->bind(DtmMain.DtsGrupoAux, {{QStringLiteral("CodigoClasse"), QString(), 48, blue},
                                             {QStringLiteral("DESCRICAO_CLA"), QString(), 667, windowText}});
    ui->MemTbsGrupo->bind(DtmMain.DtsGrupoAux, QStringLiteral("DESCRICAO_CLA"));
    ui->DbgClasse->bind(DtmMain.DtsClasseAux,
                        {{QStringLiteral("CodigoSubClasse"), QString(), 57, blue},
                         {QStringLiteral("DESCRICAO_SUB"), QString(), 656, windowText}});
    ui->MemTbsSubClasse->bind(DtmMain.DtsClasseAux, QStringLiteral("DESCRICAO_SUB"));
    // The search run rebinds column 0 to CodigoClasse or CodigoSubClasse before each search.
    ui->DbgPesquisa->bind(DtmMain.DtsPesquisa,
                          {{QStringLiteral("CodigoClasse"), QStringLiteral("Código"), 65, blue},
                           {QStringLiteral("Descricao"), QStringLiteral("Descrição"), 682, windowText}});
    ui->MemTbsPesquisa->bind(DtmMain.DtsPesquisa, QStringLiteral("Descricao"));

    // Every handler runs through guard: an error stops it and shows the error dialog.
    const auto run = [this](std::function<void()> handler) { return [this, handler] { guard(handler); }; };

    connect(ui->CmbClassificacao, &DataLookupCombo::picked, this, run([this] { CmbClassificacaoClick(); }));

    connect(ui->BtnPesquisa, &QPushButton::clicked, this, run([this] { BtnPesquisaClick(); }));
    // Enter (character 13) is the only key the search box hands on; the box keeps the others.
    connect(ui->EdtPesquisa, &QLineEdit::returnPressed, this, run([this] { EdtPesquisaKeyPress(13); }));
    connect(ui->DbgPesquisa, &DataGrid::cellClicked, this, run([this] { DbgPesquisaCellClick(); }));

    for (LinkLabel *link : {ui->LblLinkCabecalho1, ui->LblLinkCabecalho2, ui->LblLinkNovaPesquisa}) {
        connect(link, &LinkLabel::mouseMoved, this, run([this, link] { LblLinkCabecalho1MouseMove(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link] { LblLinkCabecalho1MouseLeave(link); }));
    }
    connect(ui->LblLicenca, &LinkLabel::clicked, this, run([this] { LblLicencaClick(); }));
    connect(ui->LblLicenca, &LinkLabel::mouseMoved, this, run([this] { LblLicencaMouseMove(); }));
    connect(ui->LblLicenca, &LinkLabel::mouseLeft, this, run([this] { LblLicencaMouseLeave(); }));

    LinkLabel *const levelLinks[] = {ui->LblNotasExplicativas_TbsSecao,
                                     ui->LblNotasExplicativas_TbsDivisao,
                                     ui->LblNotasExplicativas_TbsGrupo,
                                     ui->LblNotasExplicativas_TbsClasse,
                                     ui->LblNotasExplicativas_TbsSubClasse,
                                     ui->LblCodSecao_TbsDivisao,
                                     ui->LblCodSecao_TbsGrupo,
                                     ui->LblCodSecao_TbsClasse,
                                     ui->LblCodSecao_TbsSubClasse,
                                     ui->LblCodDivisao_TbsGrupo,
                                     ui->LblCodDivisao_TbsClasse,
                                     ui->LblCodDivisao_TbsSubClasse,
                                     ui->LblCodGrupo_TbsClasse,
                                     ui->LblCodGrupo_TbsSubClasse,
                                     ui->LblCodClasse_TbsSubClasse,
                                     ui->LblListarAtividades_TbsClasse,
                                     ui->LblListarAtividades_TbsSubClasse};
    for (LinkLabel *link : levelLinks) {
        connect(link, &LinkLabel::mouseMoved, this, run([this, link] { Mouse_Over(link); }));
        connect(link, &LinkLabel::mouseLeft, this, run([this, link] { Mouse_Out(link); }));
    }

    // Navigation and the hierarchy browser.
    connect(ui->BtnEstrutura, &QPushButton::clicked, this, run([this] { BtnEstruturaClick(); }));
    for (LinkLabel *link : {ui->LblLinkCabecalho1, ui->LblLinkCabecalho2, ui->LblLinkNovaPesquisa})
        connect(link, &LinkLabel::clicked, this, run([this, link] { LblLinkCabecalho1Click(link); }));
    connect(ui->DBGEstrutura, &DataGrid::cellClicked, this, run([this] { DBGEstruturaCellClick(); }));
    connect(ui->DbgSecao, &DataGrid::cellClicked, this, run([this] { DbgSecaoCellClick(); }));
    connect(ui->DbgDivisao, &DataGrid::cellClicked, this, run([this] { DbgDivisaoCellClick(); }));
    connect(ui->DbgGrupo, &DataGrid::cellClicked, this, run([this] { DbgGrupoCellClick(); }));
    connect(ui->DbgClasse, &DataGrid::cellClicked, this, run([this] { DbgClasseCellClick(); }));
    for (LinkLabel *link : {ui->LblCodSecao_TbsDivisao, ui->LblCodSecao_TbsGrupo, ui->LblCodSecao_TbsClasse,
                            ui->LblCodSecao_TbsSubClasse})
        connect(link, &LinkLabel::clicked, this, run([this] { LblCodSecao_TbsDivisaoClick(); }));
    for (LinkLabel *link :
         {ui->LblCodDivisao_TbsGrupo, ui->LblCodDivisao_TbsClasse, ui->LblCodDivisao_TbsSubClasse})
        connect(link, &LinkLabel::clicked, this, run([this] { LblCodDivisao_TbsGrupoClick(); }));
    for (LinkLabel *link : {ui->LblCodGrupo_TbsClasse, ui->LblCodGrupo_TbsSubClasse})
        connect(link, &LinkLabel::clicked, this, run([this] { LblCodGrupo_TbsClasseClick(); }));
    connect(ui->LblCodClasse_TbsSubClasse, &LinkLabel::clicked, this,
            run([this] { LblCodClasse_TbsSubClasseClick(); }));
    connect(ui->LblListarAtividades_TbsClasse, &LinkLabel::clicked, this,
            run([this] { LblListarAtividades_TbsClasseClick(); }));
    connect(ui->LblListarAtividades_TbsSubClasse, &LinkLabel::clicked, this,
            run([this] { LblListarAtividades_TbsSubClasseClick(); }));

    // Notes and help windows.
    for (LinkLabel *link : {ui->LblNotasExplicativas_TbsSecao, ui->LblNotasExplicativas_TbsDivisao,
                            ui->LblNotasExplicativas_TbsGrupo, ui->LblNotasExplicativas_TbsClasse,
                            ui->LblNotasExplicativas_TbsSubClasse})
        connect(link, &LinkLabel::clicked, this, run([this, link] { LblNotasExplicativas_TbsSecaoClick(link); }));
}
