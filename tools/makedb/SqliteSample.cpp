#include "SqliteSample.h"

#include <stdexcept>

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

std::string sqlType(const Column &column)
{
    switch (column.type) {
    case ColumnType::Text:
        return "VARCHAR(" + std::to_string(column.length) + ")";
    case ColumnType::Memo:
        return "MEMO";
    case ColumnType::Integer:
    case ColumnType::Long:
        return "INTEGER";
    case ColumnType::DateTime:
        return "DATETIME";
    }
    return {};
}

class SqliteSink : public TableSink
{
public:
    explicit SqliteSink(const std::string &path) : m_db(path)
    {
        // A fixed page size and no journal: the same arguments give the same bytes, and a failed
        // run is thrown away whole anyway.
        m_db.execute(
            "PRAGMA page_size = 4096; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
            "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -65536; PRAGMA temp_store = MEMORY");
        m_db.execute("BEGIN");
    }
    ~SqliteSink() override { sqlite3_finalize(m_insert); }
    SqliteSink(const SqliteSink &) = delete;
    SqliteSink &operator=(const SqliteSink &) = delete;

    void beginTable(const Table &table) override
    {
        m_table = table;
        std::string sql = "CREATE TABLE " + table.name + " (";
        std::string insert = "INSERT INTO " + table.name + " VALUES (";
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const Column &column = table.columns[i];
            sql += (i == 0 ? "" : ", ") + column.name + " " + sqlType(column) +
                   (column.type == ColumnType::Memo ? "" : " NOT NULL");
            insert += i == 0 ? "?" : ", ?";
        }
        m_db.execute(sql + ")");
        if (sqlite3_prepare_v2(m_db.handle(), (insert + ")").c_str(), -1, &m_insert, nullptr) != SQLITE_OK)
            m_db.fail("cannot prepare an insert into " + table.name + " of");
    }

    void addRow(const Row &row) override
    {
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Value &value = row[i];
            const int column = static_cast<int>(i) + 1;
            int rc = SQLITE_OK;
            if (value.kind == Value::Kind::Text)
                rc = sqlite3_bind_text(m_insert, column, value.text.data(),
                                       static_cast<int>(value.text.size()), SQLITE_TRANSIENT);
            else if (value.kind == Value::Kind::Number)
                rc = sqlite3_bind_int64(m_insert, column, value.number);
            else
                rc = sqlite3_bind_null(m_insert, column);
            if (rc != SQLITE_OK)
                m_db.fail("cannot bind a value for");
        }
        if (sqlite3_step(m_insert) != SQLITE_DONE)
            m_db.fail("cannot write");
        sqlite3_reset(m_insert);
    }

    // Indexes go in after the rows: building them once is faster than keeping them up to date.
    void endTable() override
    {
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
        for (const auto &index : m_table.indexes) {
            const std::string name = m_table.name + "_" + index.columns.substr(0, index.columns.find(','));
            m_db.execute(std::string(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + name +
                         " ON " + m_table.name + " (" + index.columns + ")");
        }
    }

    void commit() { m_db.execute("COMMIT"); }

private:
    Database m_db;
    Table m_table;
    sqlite3_stmt *m_insert = nullptr;
};

} // namespace

long long writeSqliteSample(const std::string &path, int scale)
{
    SqliteSink sink(path);
    const long long activities = writeSampleRows(sink, scale);
    sink.commit();
    return activities;
}

} // namespace makedb
