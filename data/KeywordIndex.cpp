#include "data/KeywordIndex.h"

#include "data/TextFold.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace
{

constexpr std::string_view kKeywordColumn = "palavra_chave";
constexpr char kIndexText[] = "zelt_index_text";
// Every index, built here or copied: trigrams of the folded text, no positions, no stored text.
constexpr char kIndexModule[] = "fts5(k, tokenize = 'trigram case_sensitive 1', detail = none, content = '')";
// An index query of more runs narrows little more and costs a lookup each.
constexpr size_t kMaxTrigrams = 64;
// Rows indexed per slice in the background: a few tens of milliseconds.
constexpr int kSliceRows = 5000;

enum class Kind { Word, Name, String, Number, Open, Close, Other };

struct Token {
    Kind kind;
    size_t begin;
    size_t end;
};

bool isWordByte(unsigned char c)
{
    return c == '_' || c == '$' || c >= 0x80 || (c >= '0' && c <= '9') ||
           ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
}

bool equalsAscii(std::string_view a, std::string_view lower)
{
    if (a.size() != lower.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto c = static_cast<unsigned char>(a[i]);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c + 32);
        if (c != static_cast<unsigned char>(lower[i]))
            return false;
    }
    return true;
}

std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return lower;
}

// Splits SQLite text into tokens; false for anything a search statement never holds (comments,
// semicolons, unterminated quotes), which then runs without the index.
bool tokenize(std::string_view sql, std::vector<Token> &tokens)
{
    size_t i = 0;
    while (i < sql.size()) {
        const auto c = static_cast<unsigned char>(sql[i]);
        const size_t start = i;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : static_cast<char>(c);
            ++i;
            for (;;) {
                if (i >= sql.size())
                    return false;
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({c == '\'' ? Kind::String : Kind::Name, start, i});
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            return false;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            return false;
        } else if (c == ';') {
            return false;
        } else if (c == '(' || c == ')') {
            tokens.push_back({c == '(' ? Kind::Open : Kind::Close, start, ++i});
        } else if (c >= '0' && c <= '9') {
            while (i < sql.size() && (isWordByte(static_cast<unsigned char>(sql[i])) || sql[i] == '.'))
                ++i;
            tokens.push_back({Kind::Number, start, i});
        } else if (isWordByte(c)) {
            while (i < sql.size() && isWordByte(static_cast<unsigned char>(sql[i])))
                ++i;
            tokens.push_back({Kind::Word, start, i});
        } else {
            tokens.push_back({Kind::Other, start, ++i});
        }
    }
    return true;
}

// The text of a quoted name or literal without its quotes, doubled quotes single again.
std::string unquoted(std::string_view quoted)
{
    const char close = quoted.front() == '[' ? ']' : quoted.front();
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        text += quoted[i];
        if (quoted[i] == close && close != ']')
            ++i;
    }
    return text;
}

// The three-character runs that every text a LIKE pattern (no escape) matches holds, folded as
// the comparison folds: those of each literal part between '%' and '_' of three characters or
// more. Parts with bytes that are not characters give none (a byte may match inside a character).
std::set<std::string> trigramsOf(std::string_view pattern)
{
    std::set<std::string> trigrams;
    size_t start = 0;
    for (size_t i = 0; i <= pattern.size(); ++i) {
        if (i < pattern.size() && pattern[i] != '%' && pattern[i] != '_')
            continue;
        bool clean = false;
        const std::string part = textfold::foldedCharacters(pattern.substr(start, i - start), &clean);
        start = i + 1;
        if (!clean)
            continue;
        std::vector<size_t> starts;
        for (size_t k = 0; k < part.size(); ++k)
            if ((static_cast<unsigned char>(part[k]) & 0xC0) != 0x80)
                starts.push_back(k);
        starts.push_back(part.size());
        for (size_t k = 0; k + 3 < starts.size(); ++k)
            trigrams.insert(part.substr(starts[k], starts[k + 3] - starts[k]));
    }
    return trigrams;
}

std::string matchQuery(const std::set<std::string> &trigrams)
{
    // Evenly spread when there are too many: fewer runs only widen the candidates.
    const size_t step = (trigrams.size() + kMaxTrigrams - 1) / kMaxTrigrams;
    std::string query;
    size_t k = 0;
    for (const std::string &trigram : trigrams) {
        if (k++ % step != 0)
            continue;
        if (!query.empty())
            query += " AND ";
        query += '"';
        for (char c : trigram)
            query += c == '"' ? std::string("\"\"") : std::string(1, c);
        query += '"';
    }
    return query;
}

std::string sqlLiteral(const std::string &text)
{
    std::string literal = "'";
    for (char c : text)
        literal += c == '\'' ? std::string("''") : std::string(1, c);
    return literal + '\'';
}

void indexTextFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    if (!text)
        return;
    const std::string folded =
        textfold::foldedCharacters(std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(argv[0]))));
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

bool exec(sqlite3 *db, const std::string &sql)
{
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

KeywordIndex::KeywordIndex(sqlite3 *db, int rowsAtOnce) : m_db(db), m_rowsAtOnce(rowsAtOnce) {}

bool KeywordIndex::registerFunctions(sqlite3 *db)
{
    return sqlite3_create_function(db, kIndexText, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   indexTextFunction, nullptr, nullptr) == SQLITE_OK;
}

std::string KeywordIndex::rewrite(const std::string &sql)
{
    std::vector<Token> tokens;
    if (!tokenize(sql, tokens) || tokens.empty())
        return sql;
    const auto text = [&](size_t t) {
        return std::string_view(sql).substr(tokens[t].begin, tokens[t].end - tokens[t].begin);
    };
    const auto isWord = [&](size_t t, std::string_view lower) {
        return t < tokens.size() && tokens[t].kind == Kind::Word && equalsAscii(text(t), lower);
    };
    if (!isWord(0, "select"))
        return sql;

    // The first FROM outside parentheses, one plain table name, then WHERE.
    int depth = 0;
    size_t from = tokens.size();
    for (size_t t = 1; t < tokens.size() && from == tokens.size(); ++t) {
        depth += tokens[t].kind == Kind::Open ? 1 : tokens[t].kind == Kind::Close ? -1 : 0;
        if (depth == 0 && isWord(t, "from"))
            from = t;
    }
    const size_t table = from + 1;
    if (table >= tokens.size() || (tokens[table].kind != Kind::Word && tokens[table].kind != Kind::Name) ||
        !isWord(table + 1, "where"))
        return sql;

    // The conditions joined by AND outside parentheses, up to ORDER BY, LIMIT or the end. Any
    // operator that binds looser than AND or hides an AND (OR, BETWEEN, CASE), or a second part
    // of the statement, leaves the statement as it is.
    const size_t whereStart = table + 2;
    size_t whereEnd = tokens.size();
    std::vector<std::pair<size_t, size_t>> conditions;
    size_t conditionStart = whereStart;
    depth = 0;
    for (size_t t = whereStart; t < tokens.size(); ++t) {
        if (tokens[t].kind == Kind::Open) {
            ++depth;
        } else if (tokens[t].kind == Kind::Close) {
            if (--depth < 0)
                return sql;
        } else if (depth == 0 && tokens[t].kind == Kind::Word) {
            if (isWord(t, "order") || isWord(t, "limit")) {
                whereEnd = t;
                break;
            }
            for (std::string_view word :
                 {"or", "between", "case", "union", "intersect", "except", "group", "having", "window"})
                if (isWord(t, word))
                    return sql;
            if (isWord(t, "and")) {
                conditions.emplace_back(conditionStart, t);
                conditionStart = t + 1;
            }
        }
    }
    conditions.emplace_back(conditionStart, whereEnd);

    std::set<std::string> trigrams;
    for (auto [first, last] : conditions) {
        // Parentheses around the whole condition.
        while (last - first >= 2 && tokens[first].kind == Kind::Open &&
               tokens[last - 1].kind == Kind::Close) {
            int level = 0;
            bool wraps = true;
            for (size_t t = first; t < last && wraps; ++t) {
                level += tokens[t].kind == Kind::Open ? 1 : tokens[t].kind == Kind::Close ? -1 : 0;
                wraps = level > 0 || t + 1 == last;
            }
            if (!wraps)
                break;
            ++first;
            --last;
        }
        if (last - first != 3 || !isWord(first + 1, "like") || tokens[first + 2].kind != Kind::String)
            continue;
        const bool column =
            (tokens[first].kind == Kind::Word && equalsAscii(text(first), kKeywordColumn)) ||
            (tokens[first].kind == Kind::Name && equalsAscii(unquoted(text(first)), kKeywordColumn));
        if (!column)
            continue;
        const std::set<std::string> some = trigramsOf(unquoted(text(first + 2)));
        trigrams.insert(some.begin(), some.end());
    }
    if (trigrams.empty() || !scansInRowidOrder(sql))
        return sql;
    const Index *index = indexFor(std::string(text(table)));
    if (!index)
        return sql;

    const size_t clauseBegin = tokens[whereStart].begin;
    const size_t clauseEnd = whereEnd < tokens.size() ? tokens[whereEnd].begin : sql.size();
    const std::string indexName = "\"" + index->name.toStdString() + "\"";
    return sql.substr(0, clauseBegin) + std::string(text(table)) + ".rowid IN (SELECT rowid FROM \"" +
           index->schema.toStdString() + "\"." + indexName + " WHERE " + indexName + " MATCH " +
           sqlLiteral(matchQuery(trigrams)) + ") AND (" + sql.substr(clauseBegin, clauseEnd - clauseBegin) +
           ") " + sql.substr(clauseEnd);
}

// The plain statement reads the table row by row in rowid order, as the candidates are read:
// rows that tie in the ORDER BY keep the same order. A plan through an index keeps its own.
bool KeywordIndex::scansInRowidOrder(const std::string &sql)
{
    const std::string explain = "EXPLAIN QUERY PLAN " + sql;
    sqlite3_stmt *plan = nullptr;
    if (sqlite3_prepare_v2(m_db, explain.c_str(), static_cast<int>(explain.size()), &plan, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(plan);
        return false;
    }
    bool plain = true;
    int step = SQLITE_ROW;
    while (plain && (step = sqlite3_step(plan)) == SQLITE_ROW) {
        const auto *detail = reinterpret_cast<const char *>(sqlite3_column_text(plan, 3));
        const std::string_view line = detail ? detail : "";
        const bool scan = line.substr(0, 5) == "SCAN " && line.find(' ', 5) == std::string_view::npos;
        plain = scan || line.substr(0, 15) == "USE TEMP B-TREE";
    }
    sqlite3_finalize(plan);
    return plain && (step == SQLITE_ROW || step == SQLITE_DONE);
}

const KeywordIndex::Index *KeywordIndex::indexFor(const std::string &fromName)
{
    const QString key = QString::fromStdString(asciiLower(fromName));
    auto known = m_indexes.find(key);
    if (known != m_indexes.end() && !known->name.isEmpty() && dataVersion() != known->dataVersion) {
        // Another connection changed the file: the index may miss rows now.
        if (known->schema == QLatin1String("temp"))
            exec(m_db, "DROP TABLE IF EXISTS temp.\"" + known->name.toStdString() + '"');
        m_indexes.erase(known);
        known = m_indexes.end();
    }
    if (known != m_indexes.end())
        return known->complete ? &*known : nullptr;

    Index &index = m_indexes[key];
    index.from = fromName;
    // Only a table of the database itself has the rowids the candidates are matched by: a view
    // or a virtual table would give none or its own. The name must be that one table's alone, in
    // whichever schema (the database or a file attached to it) holds it.
    bool table = false;
    sqlite3_stmt *lookup = nullptr;
    const std::string plainName =
        fromName.front() == '"' || fromName.front() == '[' || fromName.front() == '`' ? unquoted(fromName)
                                                                                      : fromName;
    index.table = QString::fromStdString(plainName);
    if (sqlite3_prepare_v2(m_db,
                           "SELECT count(*), sum(schema <> 'temp' AND type = 'table')"
                           " FROM pragma_table_list WHERE name = ?1 COLLATE NOCASE",
                           -1, &lookup, nullptr) == SQLITE_OK &&
        sqlite3_bind_text(lookup, 1, plainName.data(), static_cast<int>(plainName.size()),
                          SQLITE_TRANSIENT) == SQLITE_OK &&
        sqlite3_step(lookup) == SQLITE_ROW)
        table = sqlite3_column_int(lookup, 0) == 1 && sqlite3_column_int(lookup, 1) == 1;
    sqlite3_finalize(lookup);
    if (!table)
        return nullptr;

    index.dataVersion = dataVersion();
    const auto adopted = m_adopted.constFind(QString::fromStdString(asciiLower(plainName)));
    if (adopted != m_adopted.constEnd()) {
        index.schema = adopted->first;
        index.name = adopted->second;
        index.complete = true;
        return &index;
    }
    const QString name = QStringLiteral("zelt_keyword_index_%1").arg(++m_made);
    if (!exec(m_db, "CREATE VIRTUAL TABLE temp.\"" + name.toStdString() + "\" USING " + kIndexModule))
        return nullptr;
    index.name = name;
    // A small table is indexed at once; a large one a slice at a time while the program is idle
    // (buildStep), its searches scanning until the index is whole.
    addRows(index, m_rowsAtOnce);
    return index.complete ? &index : nullptr;
}

void KeywordIndex::adopt(const QString &table, const QString &schema, const QString &name)
{
    m_adopted.insert(QString::fromStdString(asciiLower(table.toStdString())), {schema, name});
}

QVector<KeywordIndex::Built> KeywordIndex::takeBuilt()
{
    return std::exchange(m_built, {});
}

bool KeywordIndex::copyIndex(sqlite3 *db, const QString &from, const QString &schema, const QString &name)
{
    const std::string target = "\"" + schema.toStdString() + "\".\"" + name.toStdString() + '"';
    if (!exec(db, "CREATE VIRTUAL TABLE " + target + " USING " + kIndexModule))
        return false;
    // The index is its shadow tables (name_data, name_idx, ...): the same set on both sides,
    // copied row for row. Their content is FTS5's own; writing it needs the connection's guard
    // against writing shadow tables lifted for the copy.
    const auto shadows = [db](const std::string &schemaName, const std::string &index) {
        std::vector<std::string> suffixes;
        const std::string length = std::to_string(index.size() + 1);
        const std::string sql = "SELECT substr(name, " + length + " + 1) FROM \"" + schemaName +
                                "\".sqlite_schema WHERE type = 'table' AND substr(name, 1, " + length +
                                ") = " + sqlLiteral(index + '_') + " ORDER BY name";
        sqlite3_stmt *list = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &list, nullptr) == SQLITE_OK)
            while (sqlite3_step(list) == SQLITE_ROW)
                if (const auto *suffix = reinterpret_cast<const char *>(sqlite3_column_text(list, 0)))
                    suffixes.emplace_back(suffix);
        sqlite3_finalize(list);
        return suffixes;
    };
    const std::vector<std::string> suffixes = shadows("temp", from.toStdString());
    if (suffixes.empty() || suffixes != shadows(schema.toStdString(), name.toStdString()))
        return false;
    int defensive = 1;
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, -1, &defensive);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 0, nullptr);
    bool ok = true;
    for (const std::string &suffix : suffixes) {
        const std::string to =
            "\"" + schema.toStdString() + "\".\"" + name.toStdString() + '_' + suffix + '"';
        ok = ok && exec(db, "DELETE FROM " + to) &&
             exec(db,
                  "INSERT INTO " + to + " SELECT * FROM temp.\"" + from.toStdString() + '_' + suffix + '"');
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, defensive, nullptr);
    return ok;
}

bool KeywordIndex::building() const
{
    for (const Index &index : m_indexes)
        if (!index.name.isEmpty() && !index.complete)
            return true;
    return false;
}

void KeywordIndex::buildStep()
{
    for (Index &index : m_indexes) {
        if (!index.name.isEmpty() && !index.complete) {
            if (dataVersion() != index.dataVersion)
                fail(index);
            else
                addRows(index, kSliceRows);
            return;
        }
    }
}

// Indexes the next rows in rowid order; the index is whole when fewer than asked remain.
void KeywordIndex::addRows(Index &index, int rows)
{
    const std::string range = "SELECT max(rowid), count(*) FROM (SELECT rowid FROM " + index.from +
                              " WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2)";
    const std::string insert = "INSERT INTO temp.\"" + index.name.toStdString() +
                               "\" (rowid, k) SELECT rowid, " + kIndexText + "(Palavra_Chave) FROM " +
                               index.from +
                               " WHERE rowid >= ?1 AND rowid <= ?2 AND Palavra_Chave IS NOT NULL";
    sqlite3_stmt *next = nullptr;
    sqlite3_stmt *add = nullptr;
    bool ok = sqlite3_prepare_v2(m_db, range.c_str(), -1, &next, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(m_db, insert.c_str(), -1, &add, nullptr) == SQLITE_OK &&
              sqlite3_bind_int64(next, 1, index.next) == SQLITE_OK &&
              sqlite3_bind_int(next, 2, rows) == SQLITE_OK && sqlite3_step(next) == SQLITE_ROW;
    if (ok) {
        const sqlite3_int64 last = sqlite3_column_int64(next, 0);
        const int taken = sqlite3_column_int(next, 1);
        if (taken > 0)
            ok = sqlite3_bind_int64(add, 1, index.next) == SQLITE_OK &&
                 sqlite3_bind_int64(add, 2, last) == SQLITE_OK && sqlite3_step(add) == SQLITE_DONE;
        index.complete = ok && (taken < rows || last == std::numeric_limits<sqlite3_int64>::max());
        index.next = last + (index.complete ? 0 : 1);
        if (index.complete)
            m_built.append({index.table, index.name});
    }
    sqlite3_finalize(next);
    sqlite3_finalize(add);
    if (!ok)
        fail(index); // a table without rowid, or no keyword column
}

void KeywordIndex::fail(Index &index)
{
    if (index.schema == QLatin1String("temp"))
        exec(m_db, "DROP TABLE IF EXISTS temp.\"" + index.name.toStdString() + '"');
    index.name.clear();
    index.complete = false;
}

int KeywordIndex::dataVersion() const
{
    sqlite3_stmt *pragma = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(m_db, "PRAGMA main.data_version", -1, &pragma, nullptr) == SQLITE_OK &&
        sqlite3_step(pragma) == SQLITE_ROW)
        version = sqlite3_column_int(pragma, 0);
    sqlite3_finalize(pragma);
    return version;
}
