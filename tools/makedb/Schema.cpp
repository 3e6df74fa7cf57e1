#include "Schema.h"

namespace makedb
{

namespace
{

Column text(const std::string &name, int length)
{
    return {name, ColumnType::Text, length};
}

Column memo(const std::string &name)
{
    return {name, ColumnType::Memo};
}

std::vector<Column> with(std::vector<Column> columns, const std::string &suffix)
{
    for (const char *kind : {"CCOMPRE_", "TCOMPRE_", "NCOMPRE_", "NOTAS_"})
        columns.push_back(memo(kind + suffix));
    return columns;
}

} // namespace

// Types follow the Access originals: codes and short texts Text, notes and activity descriptions
// Memo. No code column appears in a table above its own level, so that unqualified code columns in
// joins stay unambiguous.
std::vector<Table> editionTables(const std::string &prefix)
{
    return {
        {prefix + "_Secao",
         with({text("CODIGO_SEC", 1), text("DESCRICAO_SEC", 255), text("CODIGO_DIV1", 2),
               text("CODIGO_DIV2", 2), memo("NTEXP_SEC")},
              "SEC"),
         {{true, "CODIGO_SEC"}}},
        {prefix + "_Divisao",
         with({text("CODIGO_SEC", 1), text("CODIGO_DIV", 2), text("DESCRICAO_DIV", 255)}, "DIV"),
         {{true, "CODIGO_DIV"}, {false, "CODIGO_SEC"}}},
        {prefix + "_Grupo",
         with({text("CODIGO_SEC", 1), text("CODIGO_DIV", 2), text("CODIGO_GRP", 3),
               text("DESCRICAO_GRP", 255)},
              "GRP"),
         {{true, "CODIGO_GRP"}, {false, "CODIGO_DIV"}}},
        {prefix + "_Classe",
         with({text("CODIGO_SEC", 1), text("CODIGO_DIV", 2), text("CODIGO_GRP", 3), text("CODIGO_CLA", 5),
               text("DESCRICAO_CLA", 255)},
              "CLA"),
         {{true, "CODIGO_CLA"}, {false, "CODIGO_GRP"}}},
        {prefix + "_SubClasse",
         with({text("CODIGO_SEC", 1), text("CODIGO_DIV", 2), text("CODIGO_GRP", 3), text("CODIGO_CLA", 5),
               text("CODIGO_SUB", 2), text("DV_SUB", 1), text("DESCRICAO_SUB", 255)},
              "SUB"),
         {{true, "CODIGO_CLA, CODIGO_SUB"}}},
        // The keyword column comes before the long description so that a search reading every
        // keyword list does not walk the description's overflow pages.
        {prefix + "_Atividade",
         {text("Codigo_Sec", 1),
          text("Codigo_Div", 2),
          text("Codigo_Grp", 3),
          text("Codigo_Cla", 5),
          text("Codigo_Sub", 2),
          {"Codigo_Cla_Seq", ColumnType::Long},
          text("Palavra_Chave", 255),
          memo("Descricao_Cla")},
         {{false, "Codigo_Cla, Codigo_Sub"}}},
    };
}

std::vector<Table> sharedTables()
{
    return {
        {"ZELT_Classificacao",
         {{"Cod_Classificacao", ColumnType::Long},
          text("Descricao", 100),
          text("Tabela", 50),
          {"Status", ColumnType::Integer},
          text("Descricao_Pagina", 150),
          {"Data_Atualizacao", ColumnType::DateTime}},
         {{true, "Cod_Classificacao"}}},
        {"ZELT_Sinonimo", {text("PALAVRA_SIN", 50), text("SINONIMO_SIN", 50)}, {{false, "PALAVRA_SIN"}}},
        {"ZELT_PALAVRA_NAO", {text("Palavra_Pan", 50)}, {{true, "Palavra_Pan"}}},
    };
}

} // namespace makedb
