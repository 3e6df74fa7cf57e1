#include "data/DatabaseEngine.h"

#include "data/AccessSql.h"
#include "data/DataError.h"
#include "data/KeywordIndex.h"
#include "data/MdbProtocol.h"
#include "data/MdbReader.h"
#include "data/RowView.h"
#include "data/ReadCache.h"
#include "data/TableReadTurn.h"
#include "data/SqliteFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

#include <cctype>
#include <cstring>
#include <utility>

#include <sqlite3.h>

namespace
{

constexpr char kSqliteMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                   'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
constexpr int kSqliteHeaderSize = 100;
constexpr int kSqliteWriteVersionOffset = 18; // 1 rollback journal, 2 WAL
constexpr int kJetSignatureOffset = 4;
constexpr int kJetVersionOffset = 0x14;

DataError openError(const QString &path, const QString &reason)
{
    return DataError(QStringLiteral("Cannot open database \"%1\": %2").arg(path, reason));
}

quint32 bigEndian(const QByteArray &bytes, int at, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

bool isSqlite(const QByteArray &header)
{
    return header.size() >= int(sizeof kSqliteMagic) &&
           std::memcmp(header.constData(), kSqliteMagic, sizeof kSqliteMagic) == 0;
}

bool isAccess(const QByteArray &header)
{
    const QByteArray signature = header.mid(kJetSignatureOffset, 15);
    return header.size() > kJetVersionOffset &&
           (signature == "Standard Jet DB" || signature == "Standard ACE DB");
}

// A damaged or cut SQLite file shows in its header; SQLite itself would only notice when a
// statement reaches a missing page.
QString sqliteHeaderProblem(const QByteArray &header, qint64 size)
{
    if (header.size() < kSqliteHeaderSize)
        return QStringLiteral("the file is truncated (incomplete header)");
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("the header is damaged (page size %1)").arg(pageSize);
    if (size % pageSize != 0)
        return QStringLiteral("the file is truncated (%1 bytes is not a whole number of %2-byte pages)")
            .arg(size)
            .arg(pageSize);
    const quint32 pages = bigEndian(header, 28, 4);
    const bool pageCountValid = bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    if (pageCountValid && pages > 0 && qint64(pages) * pageSize > size)
        return QStringLiteral("the file is truncated (%1 of %2 pages present)")
            .arg(size / pageSize)
            .arg(pages);
    return {};
}

QString accessHeaderProblem(const QByteArray &header, qint64 size)
{
    const qint64 pageSize = header.at(kJetVersionOffset) == 0 ? 2048 : 4096; // Jet 3 : Jet 4 and ACE
    if (size % pageSize != 0)
        return QStringLiteral("the file is truncated (%1 bytes is not a whole number of %2-byte pages)")
            .arg(size)
            .arg(pageSize);
    if (size < 3 * pageSize) // the header, its usage map and the catalogue's definition at least
        return QStringLiteral("the file is truncated (only %1 pages)").arg(size / pageSize);
    return {};
}

QByteArray quotedName(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return (QLatin1Char('"') + escaped + QLatin1Char('"')).toUtf8();
}

const char *sqlType(std::uint8_t kind)
{
    switch (kind) {
    case mdbprotocol::IntegerColumn:
        return "INTEGER";
    case mdbprotocol::RealColumn:
        return "REAL";
    case mdbprotocol::MemoColumn:
        return "LONGTEXT"; // a long-text type with text affinity
    case mdbprotocol::DateTimeColumn:
        return "DATETIME";
    case mdbprotocol::BinaryColumn:
        return "BLOB";
    default:
        return "TEXT";
    }
}

// Memo columns read NULL as the empty text; SQLite files mark them by declared type.
bool isLongTextType(const char *declared)
{
    if (!declared)
        return false;
    QByteArray type = QByteArray(declared).trimmed().toUpper();
    for (qsizetype i = 0; i < type.size(); ++i) {
        if (type.at(i) == ' ' || type.at(i) == '(') {
            type.truncate(i);
            break;
        }
    }
    return type == "MEMO" || type == "LONGTEXT" || type == "LONGCHAR" || type == "NOTE" || type == "CLOB";
}

// What may follow the one statement: blanks, semicolons and comments.
bool onlyBlanks(const char *p, const char *end)
{
    while (p < end) {
        if (*p == ';' || std::isspace(static_cast<unsigned char>(*p))) {
            ++p;
        } else if (end - p >= 2 && p[0] == '-' && p[1] == '-') {
            while (p < end && *p != '\n')
                ++p;
        } else if (end - p >= 2 && p[0] == '/' && p[1] == '*') {
            const char *close = std::strstr(p + 2, "*/");
            p = close && close < end ? close + 2 : end;
        } else {
            return false;
        }
    }
    return true;
}

QVariant columnValue(const RowView &row, int column)
{
    const RowView::Cell cell = row.cell(column);
    switch (cell.type) {
    case RowView::Integer:
        return QVariant(qlonglong(cell.integer));
    case RowView::Real:
        return QVariant(cell.real);
    case RowView::Text:
        return QVariant(QString::fromUtf8(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size())));
    case RowView::Blob:
        return QVariant(QByteArray(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size())));
    default:
        return {};
    }
}

// SQLite counts every allocation under one lock for the whole process: the window's engine and
// the search vocabulary's, on its own thread, took turns at it for every row they sorted or read,
// thousands of waits in the first search. Nothing here reads those counts. It can be turned off
// only before SQLite starts; when something else started it first, it stays on.
void stopCountingAllocations()
{
    static const int once = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    Q_UNUSED(once);
}

} // namespace

std::unique_ptr<DatabaseEngine> DatabaseEngine::open(const QString &path)
{
    stopCountingAllocations();
    if (path.isEmpty())
        throw DataError(QStringLiteral("Cannot open database: the connection string names no Data Source"));
    const QFileInfo info(path);
    if (!info.exists())
        throw openError(path, QStringLiteral("file not found"));
    if (info.isDir())
        throw openError(path, QStringLiteral("it is a directory"));
    if (!info.isFile())
        throw openError(path, QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw openError(path, file.errorString());
    const qint64 size = file.size();
    const QByteArray header = file.read(kSqliteHeaderSize);
    file.close();
    if (size == 0)
        throw openError(path, QStringLiteral("the file is empty"));

    std::unique_ptr<DatabaseEngine> engine(new DatabaseEngine(path));
    if (isSqlite(header)) {
        if (const QString problem = sqliteHeaderProblem(header, size); !problem.isEmpty())
            throw openError(path, problem);
        engine->openSqlite(header);
    } else if (isAccess(header)) {
        if (const QString problem = accessHeaderProblem(header, size); !problem.isEmpty())
            throw openError(path, problem);
        engine->openAccess();
    } else {
        throw openError(path, QStringLiteral("not an SQLite or Access database"));
    }
    return engine;
}

DatabaseEngine::DatabaseEngine(const QString &path) : m_path(path) {}

DatabaseEngine::~DatabaseEngine()
{
    sqlite3_close_v2(m_db);
}

void DatabaseEngine::openSqlite(const QByteArray &header)
{
    // Read-only through the URI as well as the flag: SQLite then never creates a journal
    // beside the file and takes only shared locks, so other readers are never kept out.
    const QString absolute = QDir::cleanPath(QFileInfo(m_path).absoluteFilePath());
    QByteArray uri = "file:" + QUrl::toPercentEncoding(absolute, "/") + "?mode=ro";
    // A file in WAL mode would still get its -wal and -shm companions created; with no -wal
    // file every page is in the file itself, which can then be read as unchanging.
    const bool walMode =
        header.at(kSqliteWriteVersionOffset) == 2 || header.at(kSqliteWriteVersionOffset + 1) == 2;
    if (walMode && !QFileInfo::exists(absolute + QStringLiteral("-wal")))
        uri += "&immutable=1";
    const int rc = sqlite3_open_v2(uri.constData(), &m_db,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        throw openError(m_path, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                     : QString::fromUtf8(sqlite3_errstr(rc)));
    configure();
    try {
        run("SELECT count(*) FROM sqlite_master");
    } catch (const DataError &) {
        throw openError(m_path, QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
}

void DatabaseEngine::openAccess()
{
    m_access = std::make_unique<MdbReader>(m_path);
    m_readCache = std::make_unique<ReadCache>(m_path);
    QStringList tables;
    if (const std::optional<QStringList> cached = m_readCache->tables()) {
        tables = *cached;
    } else {
        tables = m_access->tables();
        m_readCache->rememberTables(tables);
    }
    // URIs let the cache of read tables be attached read-only.
    const int rc = sqlite3_open_v2(
        ":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI,
        nullptr);
    if (rc != SQLITE_OK)
        throw openError(m_path, QString::fromUtf8(sqlite3_errstr(rc)));
    run("PRAGMA page_size = 65536");
    configure();
    for (const QString &table : tables)
        m_accessTables.insert(table.toCaseFolded(), table);
}

void DatabaseEngine::configure()
{
    sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_busy_timeout(m_db, 5000); // a writer elsewhere holds its lock only briefly
    // Sorting a large result (every activity in description order) stays in memory instead of
    // spilling to temporary files.
    run("PRAGMA temp_store = MEMORY; PRAGMA cache_size = -32768");
    if (!registerAccessFunctions(m_db) || !KeywordIndex::registerFunctions(m_db))
        throw openError(m_path, QString::fromUtf8(sqlite3_errmsg(m_db)));
    m_keywordIndex = std::make_unique<KeywordIndex>(m_db);
    // A large table's index grows a slice at a time whenever the program is idle.
    m_indexSlices.setInterval(0);
    m_indexSlices.callOnTimeout([this] {
        // Not while a statement is being read (a dialog's own event loop inside a row handler):
        // the slice waits for the next idle moment.
        if (m_readOnly)
            return;
        if (m_keywordIndex->building())
            m_keywordIndex->buildStep();
        else
            keepBuiltIndexes();
        if (!keywordIndexBuilding())
            m_indexSlices.stop();
    });
    sqlite3_set_authorizer(m_db, &DatabaseEngine::authorize, this);
}

int DatabaseEngine::authorize(void *engine, int action, const char *, const char *, const char *database,
                              const char *)
{
    if (!static_cast<DatabaseEngine *>(engine)->m_readOnly)
        return SQLITE_OK;
    // The keyword index lives in the temporary schema and may flush what it holds while a search
    // reads it; a statement of the user's that would write is refused as not read-only anyway.
    if (database && std::strcmp(database, "temp") == 0)
        return SQLITE_OK;
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

void DatabaseEngine::run(const char *sql)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DataError(errorText(rc));
}

QString DatabaseEngine::errorText(int code) const
{
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    switch (code & 0xFF) {
    case SQLITE_AUTH:
        return QStringLiteral("Only reading statements (SELECT) are allowed: %1").arg(message);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        return QStringLiteral("%1 (database \"%2\")").arg(message, m_path);
    default:
        return message;
    }
}

void DatabaseEngine::importTables(const QStringList &names)
{
    for (const QString &name : names) {
        const QString folded = name.toCaseFolded();
        const auto table = m_accessTables.constFind(folded);
        if (table == m_accessTables.constEnd())
            continue;
        if (!m_importedTables.contains(folded)) {
            const auto loadCached = [this, &table] {
                QString indexSchema;
                if (!m_readCache->load(m_db, table.value(), m_notes, &indexSchema))
                    return false;
                if (!indexSchema.isEmpty())
                    m_keywordIndex->adopt(table.value(), indexSchema, ReadCache::keywordIndexName());
                return true;
            };
            if (!loadCached()) {
                // Another engine of this program reading it now keeps it in the cache: wait for that
                // rather than read it a second time.
                std::optional<TableReadTurn> turn;
                if (m_readCache->usable())
                    turn.emplace(m_path, table.value());
                if (!(turn && turn->waited() && loadCached())) {
                    const qsizetype notesBefore = m_notes.size();
                    importTable(table.value());
                    m_readCache->store(m_db, table.value(), m_notes.mid(notesBefore));
                }
            }
            m_importedTables.insert(folded);
        }
        addSpelling(name, table.value());
    }
}

// SQLite matches names ignoring the case of A to Z only; Access ignores the case of every
// letter. A spelling that differs beyond A to Z ([UMSÄTZE] for "Umsätze") becomes a view.
void DatabaseEngine::addSpelling(const QString &spelling, const QString &table)
{
    const auto asciiLower = [](QString text) {
        for (QChar &c : text)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + ('a' - 'A'));
        return text;
    };
    const QString key = asciiLower(spelling);
    if (key == asciiLower(table) || m_spellings.contains(key))
        return;
    // Temporary: a view of the main schema could not name a table attached from the cache.
    run("CREATE TEMP VIEW " + quotedName(spelling) + " AS SELECT * FROM " + quotedName(table));
    m_spellings.insert(key);
}

void DatabaseEngine::setKeywordIndexEnabled(bool enabled)
{
    m_keywordIndexEnabled = enabled;
}

bool DatabaseEngine::keywordIndexBuilding() const
{
    return m_keywordIndex && (m_keywordIndex->building() || m_keywordIndex->hasBuilt());
}

// An index built whole over a table of the Access file is kept with the table in the cache: the
// next run uses it at once.
void DatabaseEngine::keepBuiltIndexes()
{
    for (const KeywordIndex::Built &built : m_keywordIndex->takeBuilt()) {
        const QString folded = built.table.toCaseFolded();
        const auto table = m_accessTables.constFind(folded);
        if (m_readCache && table != m_accessTables.constEnd() && m_importedTables.contains(folded))
            m_readCache->storeKeywordIndex(m_db, table.value(), built.name);
    }
}

QStringList DatabaseEngine::takeNotes()
{
    return std::exchange(m_notes, {});
}

void DatabaseEngine::importTable(const QString &table)
{
    sqlite3_stmt *insert = nullptr;
    const auto finalize = qScopeGuard([&insert] { sqlite3_finalize(insert); });
    const QByteArray name = quotedName(table);
    run("BEGIN");
    try {
        m_notes += m_access->readTable(
            table,
            [&](const std::vector<AccessColumn> &columns) {
                QByteArray create = "CREATE TABLE " + name + " (";
                QByteArray placeholders;
                for (size_t c = 0; c < columns.size(); ++c) {
                    create += (c ? ", " : "") + quotedName(columns[c].name) + ' ' + sqlType(columns[c].kind);
                    placeholders += c ? ",?" : "?";
                }
                run(create + ')');
                const QByteArray sql = "INSERT INTO " + name + " VALUES (" + placeholders + ')';
                if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &insert, nullptr) != SQLITE_OK)
                    throw DataError(errorText(sqlite3_errcode(m_db)));
            },
            [&](const std::vector<AccessValue> &row) {
                for (size_t c = 0; c < row.size(); ++c) {
                    const AccessValue &value = row[c];
                    const int index = static_cast<int>(c) + 1;
                    switch (value.tag) {
                    case mdbprotocol::IntegerValue:
                        sqlite3_bind_int64(insert, index, value.integer);
                        break;
                    case mdbprotocol::RealValue:
                        sqlite3_bind_double(insert, index, value.real);
                        break;
                    case mdbprotocol::TextValue:
                        sqlite3_bind_text(insert, index, value.bytes.empty() ? "" : value.bytes.data(),
                                          int(value.bytes.size()), SQLITE_STATIC);
                        break;
                    case mdbprotocol::BlobValue:
                        sqlite3_bind_blob(insert, index, value.bytes.empty() ? "" : value.bytes.data(),
                                          int(value.bytes.size()), SQLITE_STATIC);
                        break;
                    default:
                        sqlite3_bind_null(insert, index);
                    }
                }
                const int rc = sqlite3_step(insert);
                sqlite3_reset(insert);
                if (rc != SQLITE_DONE)
                    throw DataError(errorText(rc));
            });
        run("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

ResultSet DatabaseEngine::execute(const QString &statement)
{
    ResultSet result;
    execute(
        statement, [&result](const QVector<ResultColumn> &columns) { result.columns = columns; },
        [&result](QVector<QVariant> &row) { result.rows.append(std::move(row)); });
    return result;
}

void DatabaseEngine::execute(const QString &statement, const ColumnsHandler &onColumns,
                             const RowHandler &onRow)
{
    QVector<QVariant> row;
    executeInPlace(statement, onColumns, [&](const RowView &view) {
        if (row.size() != view.size()) // the handler took the last one
            row.resize(view.size());
        for (int c = 0; c < view.size(); ++c)
            row[c] = columnValue(view, c);
        onRow(row);
    });
}

void DatabaseEngine::executeLazy(const QString &statement, LazyResult &result)
{
    result.columns.clear();
    result.rows.clear(0);
    executeInPlace(
        statement,
        [&](const QVector<ResultColumn> &columns) {
            result.columns = columns;
            result.rows.clear(int(columns.size()));
        },
        [&](const RowView &row) {
            for (int c = 0; c < row.size(); ++c) {
                const RowView::Cell cell = row.cell(c);
                switch (cell.type) {
                case RowView::Integer:
                    result.rows.addInteger(cell.integer);
                    break;
                case RowView::Real:
                    result.rows.addReal(cell.real);
                    break;
                case RowView::Text:
                    result.rows.addText(cell.bytes.data(), int(cell.bytes.size()));
                    break;
                case RowView::Blob:
                    result.rows.addBlob(cell.bytes.data(), int(cell.bytes.size()));
                    break;
                default:
                    result.rows.addNull();
                }
            }
        });
}

void DatabaseEngine::executeInPlace(const QString &statement, const ColumnsHandler &onColumns,
                                    const RowViewHandler &onRow)
{

    // Importing a table and building its index write the engine's own copy, also for a statement
    // run from within another's rows: the outer one only reads on.
    const bool outerReadOnly = m_readOnly;
    const auto restoreOuter = qScopeGuard([&] { m_readOnly = outerReadOnly; });
    m_readOnly = false;

    const TranslatedSql translated = translateAccessSql(statement);
    if (m_access)
        importTables(translated.names);

    QByteArray sql = translated.sql.toUtf8();
    // SQLite stops reading at a NUL: a statement would lose its end inside a text literal and
    // fail with a puzzling syntax error, so it is refused by name instead.
    if (sql.contains('\0'))
        throw DataError(QStringLiteral("The statement contains a NUL character, which cannot be run"));
    if (m_keywordIndexEnabled) {
        sql = QByteArray::fromStdString(m_keywordIndex->rewrite(sql.toStdString()));
        if (keywordIndexBuilding() && !m_indexSlices.isActive())
            m_indexSlices.start();
    }
    sqlite3_stmt *prepared = nullptr;
    const char *tail = nullptr;
    m_readOnly = true;
    const auto cleanup = qScopeGuard([&] { sqlite3_finalize(prepared); });
    const int rc = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &prepared, &tail);
    if (rc != SQLITE_OK)
        throw DataError(errorText(rc));
    if (!prepared)
        throw DataError(QStringLiteral("The statement is empty"));
    if (!onlyBlanks(tail, sql.constData() + sql.size()))
        throw DataError(QStringLiteral("Only one statement can be run at a time: %1").arg(statement));
    if (!sqlite3_stmt_readonly(prepared))
        throw DataError(QStringLiteral("Only reading statements (SELECT) are allowed"));

    const int columns = sqlite3_column_count(prepared);
    QVector<ResultColumn> described;
    described.reserve(columns);
    for (int c = 0; c < columns; ++c)
        described.append({QString::fromUtf8(sqlite3_column_name(prepared, c)),
                          isLongTextType(sqlite3_column_decltype(prepared, c))});
    onColumns(described);
    int step = SQLITE_ROW;
    const RowView row(prepared);
    while ((step = sqlite3_step(prepared)) == SQLITE_ROW)
        onRow(row);
    if (step != SQLITE_DONE)
        throw DataError(errorText(step));
}
