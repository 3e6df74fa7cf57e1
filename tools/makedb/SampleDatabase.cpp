#include "SampleDatabase.h"

#include "Classification.h"
#include "Vocabulary.h"

#include <filesystem>
#include <stdexcept>
#include <utility>

#include <sqlite3.h>

namespace makedb
{

namespace
{

class Database
{
public:
    explicit Database(const std::string &path) : m_path(path)
    {
        const int rc =
            sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            // The handle exists even when opening fails, and no destructor runs after a throw.
            const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
            sqlite3_close(m_db);
            throw std::runtime_error("cannot create " + m_path + ": " + reason);
        }
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return m_db; }

    void execute(const std::string &sql)
    {
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("cannot write");
    }

    [[noreturn]] void fail(const std::string &what) const
    {
        const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        throw std::runtime_error(what + " " + m_path + ": " + reason);
    }

private:
    std::string m_path;
    sqlite3 *m_db = nullptr;
};

// One prepared INSERT, bound column by column from 1 and run with insert().
class Insert
{
public:
    Insert(Database &db, const std::string &table, std::size_t columns) : m_db(db)
    {
        std::string sql = "INSERT INTO " + table + " VALUES (";
        for (std::size_t i = 0; i < columns; ++i)
            sql += i == 0 ? "?" : ", ?";
        sql += ")";
        if (sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK)
            db.fail("cannot prepare an insert into " + table + " of");
    }
    ~Insert() { sqlite3_finalize(m_statement); }
    Insert(const Insert &) = delete;
    Insert &operator=(const Insert &) = delete;

    Insert &text(const std::string &value)
    {
        check(sqlite3_bind_text(m_statement, ++m_column, value.data(), static_cast<int>(value.size()),
                                SQLITE_TRANSIENT));
        return *this;
    }
    Insert &integer(long long value)
    {
        check(sqlite3_bind_int64(m_statement, ++m_column, value));
        return *this;
    }
    Insert &note(const Note &value)
    {
        if (value)
            return text(*value);
        check(sqlite3_bind_null(m_statement, ++m_column));
        return *this;
    }
    Insert &notes(const Notes &value)
    {
        return note(value.comprises).note(value.alsoComprises).note(value.excludes).note(value.remarks);
    }

    void insert()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            m_db.fail("cannot write");
        sqlite3_reset(m_statement);
        m_column = 0;
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            m_db.fail("cannot bind a value for");
    }

    Database &m_db;
    sqlite3_stmt *m_statement = nullptr;
    int m_column = 0;
};

struct Index {
    bool unique;
    std::string columns;
};

struct Table {
    std::string name;
    std::vector<std::string> columns; // "NAME TYPE"; every column but a memo is NOT NULL
    std::vector<Index> indexes;
};

// The tables of one edition, named as the program's statements name them. Types follow the
// Access originals: codes and short texts VARCHAR, notes and activity descriptions MEMO (which
// the reader treats as long text). No code column appears in a table above its own level, so
// that unqualified code columns in joins stay unambiguous.
std::vector<Table> editionTables(const std::string &prefix)
{
    const std::vector<std::string> secaoNotes = {"CCOMPRE_SEC MEMO", "TCOMPRE_SEC MEMO", "NCOMPRE_SEC MEMO",
                                                 "NOTAS_SEC MEMO"};
    auto notes = [](const std::string &suffix) {
        return std::vector<std::string>{"CCOMPRE_" + suffix + " MEMO", "TCOMPRE_" + suffix + " MEMO",
                                        "NCOMPRE_" + suffix + " MEMO", "NOTAS_" + suffix + " MEMO"};
    };
    auto with = [](std::vector<std::string> columns, const std::vector<std::string> &more) {
        columns.insert(columns.end(), more.begin(), more.end());
        return columns;
    };
    return {
        {prefix + "_Secao",
         with({"CODIGO_SEC VARCHAR(1)", "DESCRICAO_SEC VARCHAR(255)", "CODIGO_DIV1 VARCHAR(2)",
               "CODIGO_DIV2 VARCHAR(2)", "NTEXP_SEC MEMO"},
              notes("SEC")),
         {{true, "CODIGO_SEC"}}},
        {prefix + "_Divisao",
         with({"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "DESCRICAO_DIV VARCHAR(255)"}, notes("DIV")),
         {{true, "CODIGO_DIV"}, {false, "CODIGO_SEC"}}},
        {prefix + "_Grupo",
         with({"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
               "DESCRICAO_GRP VARCHAR(255)"},
              notes("GRP")),
         {{true, "CODIGO_GRP"}, {false, "CODIGO_DIV"}}},
        {prefix + "_Classe",
         with({"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
               "CODIGO_CLA VARCHAR(5)", "DESCRICAO_CLA VARCHAR(255)"},
              notes("CLA")),
         {{true, "CODIGO_CLA"}, {false, "CODIGO_GRP"}}},
        {prefix + "_SubClasse",
         with({"CODIGO_SEC VARCHAR(1)", "CODIGO_DIV VARCHAR(2)", "CODIGO_GRP VARCHAR(3)",
               "CODIGO_CLA VARCHAR(5)", "CODIGO_SUB VARCHAR(2)", "DV_SUB VARCHAR(1)",
               "DESCRICAO_SUB VARCHAR(255)"},
              notes("SUB")),
         {{true, "CODIGO_CLA, CODIGO_SUB"}}},
        // The keyword column comes before the long description so that a search reading every
        // keyword list does not walk the description's overflow pages.
        {prefix + "_Atividade",
         {"Codigo_Sec VARCHAR(1)", "Codigo_Div VARCHAR(2)", "Codigo_Grp VARCHAR(3)", "Codigo_Cla VARCHAR(5)",
          "Codigo_Sub VARCHAR(2)", "Codigo_Cla_Seq INTEGER", "Palavra_Chave VARCHAR(255)",
          "Descricao_Cla MEMO"},
         {{false, "Codigo_Cla, Codigo_Sub"}}},
    };
}

std::vector<Table> sharedTables()
{
    return {
        {"ZELT_Classificacao",
         {"Cod_Classificacao INTEGER", "Descricao VARCHAR(100)", "Tabela VARCHAR(50)", "Status INTEGER",
          "Descricao_Pagina VARCHAR(150)", "Data_Atualizacao DATETIME"},
         {{true, "Cod_Classificacao"}}},
        {"ZELT_Sinonimo", {"PALAVRA_SIN VARCHAR(50)", "SINONIMO_SIN VARCHAR(50)"}, {{false, "PALAVRA_SIN"}}},
        {"ZELT_PALAVRA_NAO", {"Palavra_Pan VARCHAR(50)"}, {{true, "Palavra_Pan"}}},
    };
}

void createTable(Database &db, const Table &table)
{
    std::string sql = "CREATE TABLE " + table.name + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const std::string &column = table.columns[i];
        const bool memo = column.size() > 5 && column.compare(column.size() - 5, 5, " MEMO") == 0;
        sql += (i == 0 ? "" : ", ") + column + (memo ? "" : " NOT NULL");
    }
    db.execute(sql + ")");
}

// Indexes go in after the rows: building them once is faster than keeping them up to date.
void createIndexes(Database &db, const Table &table)
{
    for (const auto &index : table.indexes) {
        std::string name = table.name + "_" + index.columns.substr(0, index.columns.find(','));
        db.execute(std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + name + " ON " +
                   table.name + " (" + index.columns + ")");
    }
}

long long writeEdition(Database &db, const Edition &edition, int scale)
{
    const std::vector<Table> tables = editionTables(edition.info.table);
    for (const auto &table : tables)
        createTable(db, table);

    Insert secao(db, tables[0].name, tables[0].columns.size());
    Insert divisao(db, tables[1].name, tables[1].columns.size());
    Insert grupo(db, tables[2].name, tables[2].columns.size());
    Insert classe(db, tables[3].name, tables[3].columns.size());
    Insert subclasse(db, tables[4].name, tables[4].columns.size());
    for (const auto &s : edition.sections) {
        secao.text(s.code).text(s.description).text(s.divisions.front().code).text(s.divisions.back().code);
        secao.note(s.explanatoryNote).notes(s.notes).insert();
        for (const auto &d : s.divisions) {
            divisao.text(s.code).text(d.code).text(d.description).notes(d.notes).insert();
            for (const auto &g : d.groups) {
                grupo.text(s.code).text(d.code).text(g.code).text(g.description).notes(g.notes).insert();
                for (const auto &c : g.classes) {
                    classe.text(s.code).text(d.code).text(g.code).text(c.code).text(c.description);
                    classe.notes(c.notes).insert();
                    for (const auto &sub : c.subclasses) {
                        subclasse.text(s.code).text(d.code).text(g.code).text(c.code).text(sub.code);
                        subclasse.text(sub.checkDigit).text(sub.description).notes(sub.notes).insert();
                    }
                }
            }
        }
    }

    long long count = 0;
    Insert atividade(db, tables[5].name, tables[5].columns.size());
    generateActivities(edition, scale, [&](const Activity &a) {
        atividade.text(a.section->code).text(a.division->code).text(a.group->code).text(a.cls->code);
        atividade.text(a.subclassCode).integer(a.sequence).text(a.keywords).text(a.description).insert();
        ++count;
    });

    for (const auto &table : tables)
        createIndexes(db, table);
    return count;
}

long long fill(Database &db, int scale)
{
    // A fixed page size and no journal: the same arguments give the same bytes, and a failed run
    // is thrown away whole anyway.
    db.execute("PRAGMA page_size = 4096; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
               "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -65536; PRAGMA temp_store = MEMORY");
    db.execute("BEGIN");

    const std::vector<Table> shared = sharedTables();
    for (const auto &table : shared)
        createTable(db, table);
    Insert catalogue(db, shared[0].name, shared[0].columns.size());
    for (const auto &info : editionCatalogue()) {
        catalogue.integer(info.code).text(info.description).text(info.table).integer(info.status);
        catalogue.text(info.pageTitle).text(info.updated).insert();
    }
    Insert synonym(db, shared[1].name, shared[1].columns.size());
    for (const auto &pair : synonyms())
        synonym.text(pair.first).text(pair.second).insert();
    Insert stopWord(db, shared[2].name, shared[2].columns.size());
    for (const auto &word : stopWords())
        stopWord.text(word).insert();
    for (const auto &table : shared)
        createIndexes(db, table);

    long long activities = 0;
    for (const auto &info : editionCatalogue())
        activities += writeEdition(db, buildEdition(info), scale);

    db.execute("COMMIT");
    return activities;
}

} // namespace

long long writeSampleDatabase(const std::string &path, int scale)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path partial = target;
    partial += ".partial";
    fs::remove(partial); // left by an interrupted run
    try {
        long long activities = 0;
        {
            Database db(partial.string());
            activities = fill(db, scale);
        }
        fs::rename(partial, target);
        return activities;
    } catch (...) {
        std::error_code ignored;
        fs::remove(partial, ignored);
        throw;
    }
}

} // namespace makedb
