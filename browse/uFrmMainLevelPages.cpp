// The five level pages: their fillers, the drill-down clicks, the ancestor links and the
// "Listar Atividades..." links.
#include "app/uFrmMain.h"

#include "app/DataGrid.h"
#include "browse/HierarchyStatements.h"
#include "data/UDtmMain.h"
#include "ui_uFrmMain.h"

#include <QLabel>
#include <QLineEdit>

#include <initializer_list>
#include <utility>
#include <vector>

namespace
{

struct Shown {
    QLabel *label;
    const char *column;
};

// The item's own note columns; explicativa is null on every level but the section.
struct NoteColumns {
    const char *explicativa;
    const char *compreende;
    const char *tambemCompreende;
    const char *naoCompreende;
    const char *notas;
};

QString text(const Query &detail, const char *column)
{
    return detail.fieldByName(QLatin1String(column)).asString();
}

// Puts the detail row on the page and its notes into the navigation state. Everything is read
// before anything is shown, so a row that cannot be read (no row for the code, a NULL code or
// description) leaves every label as it was rather than half of them on another item.
void showDetail(const Query &detail, std::initializer_list<Shown> shown, const NoteColumns &notes,
                NavigationState &nav)
{
    std::vector<std::pair<QLabel *, QString>> texts;
    texts.reserve(shown.size());
    for (const Shown &s : shown)
        texts.emplace_back(s.label, text(detail, s.column));
    const QString explicativa = notes.explicativa ? text(detail, notes.explicativa) : QString();
    const QString compreende = text(detail, notes.compreende);
    const QString tambemCompreende = text(detail, notes.tambemCompreende);
    const QString naoCompreende = text(detail, notes.naoCompreende);
    const QString notas = text(detail, notes.notas);

    for (const auto &[label, value] : texts)
        label->setText(value);
    if (notes.explicativa)
        nav.NotaExplicativa = explicativa;
    nav.Compreende = compreende;
    nav.TambemCompreende = tambemCompreende;
    nav.NaoCompreende = naoCompreende;
    nav.Notas = notas;
}

// The code column has no title; the description column carries the page's sentence.
void titleChildren(DataGrid *grid, const QString &title)
{
    grid->setColumnTitle(0, QString());
    grid->setColumnTitle(1, title);
}

} // namespace

void TFrmMain::PreencheTbsSecao()
{
    DtmMain.QrySecao.reload(sectionByCode(nav.PrefixoTabela, nav.CodSecao));
    showDetail(DtmMain.QrySecao,
               {{ui->LblCodSecao_TbsSecao, "Codigo_Sec"}, {ui->LblDescricaoSecao_TbsSecao, "Descricao_Sec"}},
               {"NTEXP_SEC", "CCOMPRE_SEC", "TCOMPRE_SEC", "NCOMPRE_SEC", "NOTAS_SEC"}, nav);
    CarregaDivisoesSecao();
    titleChildren(ui->DbgSecao, QStringLiteral("Esta seção contém as seguintes divisões:"));
}

void TFrmMain::PreencheTbsDivisao()
{
    DtmMain.QryDivisao.reload(divisionDetail(nav.PrefixoTabela, nav.CodDivisao));
    showDetail(DtmMain.QryDivisao,
               {{ui->LblCodSecao_TbsDivisao, "Codigo_Sec"},
                {ui->LblDescricaoSecao_TbsDivisao, "Descricao_Sec"},
                {ui->LblCodDivisao_TbsDivisao, "Codigo_Div"},
                {ui->LblDescricaoDivisao_TbsDivisao, "Descricao_Div"}},
               {nullptr, "CCOMPRE_DIV", "TCOMPRE_DIV", "NCOMPRE_DIV", "NOTAS_DIV"}, nav);
    CarregaGruposDivisao();
    titleChildren(ui->DbgDivisao, QStringLiteral("Esta divisão contém os seguintes grupos:"));
}

void TFrmMain::PreencheTbsGrupo()
{
    DtmMain.QryGrupo.reload(groupDetail(nav.PrefixoTabela, nav.CodGrupo));
    showDetail(DtmMain.QryGrupo,
               {{ui->LblCodSecao_TbsGrupo, "Codigo_Sec"},
                {ui->LblDescricaoSecao_TbsGrupo, "Descricao_Sec"},
                {ui->LblCodDivisao_TbsGrupo, "Codigo_Div"},
                {ui->LblDescricaoDivisao_TbsGrupo, "Descricao_Div"},
                {ui->LblCodGrupo_TbsGrupo, "Codigo_Grp"},
                {ui->LblDescricaoGrupo_TbsGrupo, "Descricao_Grp"}},
               {nullptr, "CCOMPRE_Grp", "TCOMPRE_Grp", "NCOMPRE_Grp", "NOTAS_Grp"}, nav);
    DtmMain.QryGrupoAux.reload(classesOfGroup(nav.PrefixoTabela, nav.CodGrupo));
    titleChildren(ui->DbgGrupo, QStringLiteral("Este Grupo contém as seguintes classes:"));
}

void TFrmMain::PreencheTbsClasse()
{
    DtmMain.QryClasse.reload(classDetail(nav.PrefixoTabela, nav.CodClasse));
    showDetail(DtmMain.QryClasse,
               {{ui->LblCodSecao_TbsClasse, "Codigo_Sec"},
                {ui->LblDescricaoSecao_TbsClasse, "Descricao_Sec"},
                {ui->LblCodDivisao_TbsClasse, "Codigo_Div"},
                {ui->LblDescricaoDivisao_TbsClasse, "Descricao_Div"},
                {ui->LblCodGrupo_TbsClasse, "Codigo_Grp"},
                {ui->LblDescricaoGrupo_TbsClasse, "Descricao_Grp"},
                {ui->LblCodClasse_TbsClasse, "CodigoClasse"},
                {ui->LblDescricaoClasse_TbsClasse, "Descricao_Cla"}},
               {nullptr, "CCOMPRE_Cla", "TCOMPRE_Cla", "NCOMPRE_Cla", "NOTAS_Cla"}, nav);
    DtmMain.QryClasseAux.reload(subclassesOfClass(nav.PrefixoTabela, nav.CodClasse));
    titleChildren(ui->DbgClasse, DtmMain.QryClasseAux.eof()
                                     ? QStringLiteral("Não existe subclasse cadastrada para esta classe.")
                                     : QStringLiteral("Esta Classe contém as seguintes subclasses:"));
}

void TFrmMain::PreencheTbsSubClasse()
{
    DtmMain.QrySubClasse.reload(subclassDetail(nav.PrefixoTabela, nav.CodClasse, nav.CodSubClasse));
    showDetail(DtmMain.QrySubClasse,
               {{ui->LblCodSecao_TbsSubClasse, "Codigo_Sec"},
                {ui->LblDescricaoSecao_TbsSubClasse, "Descricao_Sec"},
                {ui->LblCodDivisao_TbsSubClasse, "Codigo_Div"},
                {ui->LblDescricaoDivisao_TbsSubClasse, "Descricao_Div"},
                {ui->LblCodGrupo_TbsSubClasse, "Codigo_Grp"},
                {ui->LblDescricaoGrupo_TbsSubClasse, "Descricao_Grp"},
                {ui->LblCodClasse_TbsSubClasse, "CodigoClasse"},
                {ui->LblDescricaoClasse_TbsSubClasse, "Descricao_Cla"},
                {ui->LblCodSubClasse_TbsSubClasse, "CodigoSubClasse"},
                {ui->LblDescricaoSubClasse_TbsSubClasse, "Descricao_Sub"}},
               {nullptr, "CCOMPRE_Sub", "TCOMPRE_Sub", "NCOMPRE_Sub", "NOTAS_Sub"}, nav);
}

// A drill-down click has already made the clicked row current. A click on an empty list (a
// class without subclasses, or an inconsistent edition) opens nothing.
void TFrmMain::DbgSecaoCellClick()
{
    if (!DtmMain.QrySecaoAux.isEmpty())
        AbrePaginaDivisao();
}

void TFrmMain::DbgDivisaoCellClick()
{
    if (!DtmMain.QryDivisaoAux.isEmpty())
        AbrePaginaGrupo();
}

void TFrmMain::DbgGrupoCellClick()
{
    if (!DtmMain.QryGrupoAux.isEmpty())
        AbrePaginaClasse();
}

void TFrmMain::DbgClasseCellClick()
{
    if (!DtmMain.QryClasseAux.isEmpty())
        AbrePaginaSubClasse();
}

// Ancestor links: the list clicked on the way down still stands on the ancestor shown.
void TFrmMain::LblCodSecao_TbsDivisaoClick()
{
    AbrePaginaSecao();
}

void TFrmMain::LblCodDivisao_TbsGrupoClick()
{
    AbrePaginaDivisao();
}

void TFrmMain::LblCodGrupo_TbsClasseClick()
{
    AbrePaginaGrupo();
}

void TFrmMain::LblCodClasse_TbsSubClasseClick()
{
    AbrePaginaClasse();
}

// The search reads the code typed into the home page's box; a class code lists the class's
// activities, the class code followed by the subclass code those of the subclass.
void TFrmMain::LblListarAtividades_TbsClasseClick()
{
    nav.OrigemPesquisa = 2;
    ui->EdtPesquisa->setText(nav.CodClasse);
    AbrePaginaPesquisa();
}

void TFrmMain::LblListarAtividades_TbsSubClasseClick()
{
    nav.OrigemPesquisa = 3;
    ui->EdtPesquisa->setText(nav.CodClasse + nav.CodSubClasse);
    AbrePaginaPesquisa();
}
