#include "data/ReadCache.h"

#include "data/KeywordIndex.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>
#include <sys/stat.h>
#include <xxhash.h>

namespace
{

// Changes whenever what the cache holds changes shape: older records are then read again.
constexpr int kFormat = 2;
// A table's file from this size on is attached as it is rather than copied into memory, as is one
// that holds its keyword index; a connection attaches at most this many.
constexpr qint64 kAttachFrom = qint64(1) << 20;
constexpr int kMaxAttached = 8;
constexpr int kMaxCataloguePages = 4096;
qint64 g_sizeLimit = qint64(1) << 30;
// Engines of one process (the vocabulary's thread has its own) change the records one at a time.
QMutex g_records;
std::atomic<int> g_written{0};

quint32 little(const QByteArray &bytes, qsizetype at, int size)
{
    if (at < 0 || at + size > bytes.size())
        return 0;
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// A hash of the pages that say what the file holds: the header, the catalogue's definition and
// the catalogue's data pages found through its usage map. Bytes that make no sense (a damaged
// map) only end the walk: what was read is hashed all the same.
QByteArray contentHash(QFile &file)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QByteArray header = file.read(4096);
    if (header.size() < 0x20)
        return {};
    const bool jet3 = header.at(0x14) == 0;
    const qint64 pageSize = jet3 ? 2048 : 4096;
    const qint64 pages = file.size() / pageSize;
    int hashed = 0;
    const auto page = [&](qint64 number) -> QByteArray {
        if (number < 0 || number >= pages || hashed >= kMaxCataloguePages || !file.seek(number * pageSize))
            return {};
        QByteArray bytes = file.read(pageSize);
        if (bytes.size() != pageSize)
            return {};
        ++hashed;
        hash.addData(QByteArray::number(number));
        hash.addData(bytes);
        return bytes;
    };
    page(0);
    // The catalogue's definition, continued over linked pages.
    QByteArray definition = page(2);
    if (definition.isEmpty())
        return hash.result().toHex();
    const quint32 usage = little(definition, jet3 ? 0x23 : 0x37, 4);
    for (qint64 next = little(definition, 4, 4), hops = 0; next != 0 && hops < 64; ++hops) {
        const QByteArray more = page(next);
        if (more.isEmpty())
            break;
        next = little(more, 4, 4);
    }
    // The usage map: a row of a data page, as a bitmap of pages or as pointers to bitmap pages.
    const QByteArray mapPage = page(usage >> 8);
    const int rowsAt = jet3 ? 0x08 : 0x0C;
    const int row = int(usage & 0xFF);
    if (mapPage.isEmpty() || row >= int(little(mapPage, rowsAt, 2)) || rowsAt + 2 + 2 * (row + 1) > pageSize)
        return hash.result().toHex();
    const qint64 start = little(mapPage, rowsAt + 2 + 2 * row, 2) & 0x1FFF;
    const qint64 end = row == 0 ? pageSize : little(mapPage, rowsAt + 2 * row, 2) & 0x1FFF;
    if (start + 5 > end || end > pageSize)
        return hash.result().toHex();
    if (mapPage.at(start) == 0) {
        const qint64 first = little(mapPage, start + 1, 4);
        for (qint64 at = start + 5; at < end; ++at)
            for (int bit = 0; bit < 8; ++bit)
                if (mapPage.at(at) & (1 << bit))
                    page(first + (at - start - 5) * 8 + bit);
    } else if (mapPage.at(start) == 1) {
        const qint64 perMapPage = (pageSize - 4) * 8;
        for (qint64 at = start + 1, stretch = 0; at + 4 <= end; at += 4, ++stretch) {
            const QByteArray bitmap = page(little(mapPage, at, 4));
            for (qint64 byte = 4; byte < bitmap.size(); ++byte)
                for (int bit = 0; bit < 8; ++bit)
                    if (bitmap.at(byte) & (1 << bit))
                        page(stretch * perMapPage + (byte - 4) * 8 + bit);
        }
    }
    return hash.result().toHex();
}

// A fast hash of the whole file: any byte changed since it was written shows.
QString checksum(QFile &file)
{
    XXH3_state_t *state = XXH3_createState();
    if (!state || XXH3_64bits_reset(state) != XXH_OK || !file.seek(0)) {
        XXH3_freeState(state);
        return {};
    }
    QByteArray buffer(1 << 18, Qt::Uninitialized); // read into a buffer the processor cache holds
    bool ok = true;
    for (;;) {
        const qint64 read = file.read(buffer.data(), buffer.size());
        if (read <= 0) {
            ok = read == 0;
            break;
        }
        XXH3_64bits_update(state, buffer.constData(), size_t(read));
    }
    const XXH64_hash_t hash = XXH3_64bits_digest(state);
    XXH3_freeState(state);
    return ok ? QString::number(quint64(hash), 16) : QString();
}

QString checksum(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? checksum(file) : QString();
}

// Schemas other than main and temp.
int attachedCount(sqlite3 *db)
{
    int count = 0;
    while (sqlite3_db_name(db, count + 2))
        ++count;
    return count;
}

QByteArray quoted(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return (QLatin1Char('"') + escaped + QLatin1Char('"')).toUtf8();
}

bool exec(sqlite3 *db, const QByteArray &sql)
{
    return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// "CREATE TABLE schema.table (...)" with the columns and declared types the table has in from:
// the same declarations keep the memo columns' type and let SQLite copy the rows as they are.
QByteArray createStatement(sqlite3 *db, const char *from, const char *schema, const QString &table)
{
    const QByteArray pragma = QByteArray("PRAGMA ") + from + ".table_info(" + quoted(table) + ')';
    sqlite3_stmt *columns = nullptr;
    if (sqlite3_prepare_v2(db, pragma.constData(), -1, &columns, nullptr) != SQLITE_OK)
        return {};
    QByteArray create = QByteArray("CREATE TABLE ") + schema + '.' + quoted(table) + " (";
    int count = 0;
    while (sqlite3_step(columns) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(columns, 1));
        const auto *type = reinterpret_cast<const char *>(sqlite3_column_text(columns, 2));
        create +=
            (count++ ? ", " : "") + quoted(QString::fromUtf8(name)) + ' ' + QByteArray(type ? type : "");
    }
    sqlite3_finalize(columns);
    return count > 0 ? create + ')' : QByteArray();
}

// The table's columns, quoted and separated by commas.
QByteArray columnList(sqlite3 *db, const char *schema, const QString &table)
{
    const QByteArray pragma = QByteArray("PRAGMA ") + schema + ".table_info(" + quoted(table) + ')';
    sqlite3_stmt *columns = nullptr;
    QByteArray list;
    if (sqlite3_prepare_v2(db, pragma.constData(), -1, &columns, nullptr) == SQLITE_OK)
        while (sqlite3_step(columns) == SQLITE_ROW)
            list +=
                (list.isEmpty() ? "" : ", ") +
                quoted(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(columns, 1))));
    sqlite3_finalize(columns);
    return list;
}

QByteArray fileUri(const QString &path, const char *mode)
{
    return "file:" + QUrl::toPercentEncoding(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), "/") +
           "?mode=" + mode;
}

// Attaches path as schema for one copy, the engine otherwise attaching nothing but cached tables.
class Attached
{
public:
    Attached(sqlite3 *db, const QByteArray &uri, const char *schema) : m_db(db), m_schema(schema)
    {
        m_limit = sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, attachedCount(db) + 1);
        sqlite3_stmt *attach = nullptr;
        if (sqlite3_prepare_v2(db, "ATTACH ? AS ?", -1, &attach, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(attach, 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(attach, 2, schema, -1, SQLITE_STATIC);
            m_attached = sqlite3_step(attach) == SQLITE_DONE;
        }
        sqlite3_finalize(attach);
    }
    ~Attached()
    {
        if (m_attached)
            exec(m_db, QByteArray("DETACH ") + m_schema);
        sqlite3_limit(m_db, SQLITE_LIMIT_ATTACHED, m_limit);
    }
    Attached(const Attached &) = delete;
    Attached &operator=(const Attached &) = delete;
    bool ok() const { return m_attached; }
    // Stays attached.
    void keep() { m_attached = false; }

private:
    sqlite3 *m_db;
    const char *m_schema;
    int m_limit = 0;
    bool m_attached = false;
};

// Whether path is a folder (what it holds serves even when it may not be written), or one could be
// made there: the nearest part of it that exists is a folder one may write in.
bool canBeFolder(const QString &path)
{
    QFileInfo info(path);
    if (info.exists())
        return info.isDir();
    while (!info.exists()) // the root folder always does
        info.setFile(info.absolutePath());
    return info.isDir() && info.isWritable();
}

} // namespace

QString ReadCache::folder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString kept = base.isEmpty() ? QString() : base + QStringLiteral("/tabelas-lidas");
    if (!kept.isEmpty() && canBeFolder(kept))
        return kept;
    // No folder can be made for later runs: the engines of this run still share a table one of
    // them read, instead of each holding a copy, in a folder that goes when the program ends.
    static const QTemporaryDir standIn(QDir::tempPath() + QStringLiteral("/zelt-tabelas-XXXXXX"));
    return standIn.isValid() ? standIn.path() : QString();
}

qint64 ReadCache::sizeLimit()
{
    return g_sizeLimit;
}

void ReadCache::setSizeLimit(qint64 bytes)
{
    g_sizeLimit = bytes;
}

ReadCache::ReadCache(const QString &accessPath)
{
    const QFileInfo info(accessPath);
    // The file itself, whatever link names it.
    const QString canonical = info.canonicalFilePath();
    const QString absolute = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    QFile file(absolute);
    if (folder().isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray hash = contentHash(file);
    if (hash.isEmpty())
        return;
    m_key = QStringLiteral("%1|%2|%3|%4|%5")
                .arg(kFormat)
                .arg(absolute)
                .arg(info.size())
                .arg(info.lastModified().toMSecsSinceEpoch())
                .arg(QString::fromLatin1(hash));
    m_dir = folder() + QLatin1Char('/') +
            QString::fromLatin1(
                QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(20));
    const QMutexLocker lock(&g_records);
    m_catalogue = readCatalogue();
    if (m_catalogue.value(QStringLiteral("key")).toString() != m_key) {
        // Another state of the file: what was kept of it is read again.
        const QJsonObject cached = m_catalogue.value(QStringLiteral("cached")).toObject();
        for (auto entry = cached.begin(); entry != cached.end(); ++entry)
            QFile::remove(m_dir + QLatin1Char('/') +
                          entry.value().toObject().value(QStringLiteral("file")).toString());
        m_catalogue = QJsonObject{{QStringLiteral("key"), m_key}};
    }
}

QJsonObject ReadCache::readCatalogue() const
{
    QFile catalogue(m_dir + QStringLiteral("/catalogo.json"));
    return catalogue.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(catalogue.readAll()).object()
                                               : QJsonObject();
}

// The record as on disk (another engine may have added to it), changed and written back.
void ReadCache::update(const std::function<void(QJsonObject &)> &change)
{
    const QMutexLocker lock(&g_records);
    QJsonObject current = readCatalogue();
    if (current.value(QStringLiteral("key")).toString() != m_key)
        current = m_catalogue;
    change(current);
    m_catalogue = current;
    if (!QDir().mkpath(m_dir))
        return;
    QSaveFile file(m_dir + QStringLiteral("/catalogo.json"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(m_catalogue).toJson(QJsonDocument::Compact));
        file.commit();
    }
}

std::optional<QStringList> ReadCache::tables() const
{
    if (m_dir.isEmpty() || !m_catalogue.contains(QStringLiteral("tables")))
        return std::nullopt;
    QStringList names;
    for (const QJsonValue &name : m_catalogue.value(QStringLiteral("tables")).toArray())
        names.append(name.toString());
    return names;
}

void ReadCache::rememberTables(const QStringList &tables)
{
    if (m_dir.isEmpty())
        return;
    update([&tables](QJsonObject &catalogue) {
        catalogue.insert(QStringLiteral("tables"), QJsonArray::fromStringList(tables));
    });
}

QString ReadCache::tableFile(const QString &table) const
{
    return QString::fromLatin1(
               QCryptographicHash::hash(table.toUtf8(), QCryptographicHash::Sha1).toHex().left(20)) +
           QStringLiteral(".sqlite");
}

QString ReadCache::keywordIndexName()
{
    return QStringLiteral("zelt_keyword_index");
}

bool ReadCache::load(sqlite3 *db, const QString &table, QStringList &notes, QString *keywordIndex)
{
    if (m_dir.isEmpty())
        return false;
    {
        const QMutexLocker lock(&g_records);
        const QJsonObject current = readCatalogue();
        if (current.value(QStringLiteral("key")).toString() == m_key)
            m_catalogue = current;
    }
    const QJsonObject entry = m_catalogue.value(QStringLiteral("cached")).toObject().value(table).toObject();
    if (entry.isEmpty())
        return false;
    const QString path = m_dir + QLatin1Char('/') + entry.value(QStringLiteral("file")).toString();
    QFile file(path);
    struct stat hashed {
    };
    if (!file.open(QIODevice::ReadOnly) || ::fstat(file.handle(), &hashed) != 0 ||
        file.size() != entry.value(QStringLiteral("size")).toInteger(-1) ||
        checksum(file) != entry.value(QStringLiteral("hash")).toString()) {
        forget(table);
        return false;
    }
    file.close();
    const bool indexed = entry.value(QStringLiteral("index")).toBool();
    bool loaded = false;
    QString indexSchema;
    if ((indexed || hashed.st_size >= kAttachFrom) && attachedCount(db) < kMaxAttached) {
        // Used where it is: the file is never changed once written (a new one replaces it), so it
        // can be read without locks, and the copy that would cost as much as reading it is saved.
        const QByteArray schema = "zelt_table_" + QByteArray::number(attachedCount(db) + 1);
        Attached cache(db, fileUri(path, "ro") + "&immutable=1", schema.constData());
        struct stat attached {
        };
        // The file attached is the one hashed, not one written over it since.
        loaded = cache.ok() && ::stat(QFile::encodeName(path).constData(), &attached) == 0 &&
                 attached.st_ino == hashed.st_ino && attached.st_dev == hashed.st_dev &&
                 !createStatement(db, schema.constData(), "main", table).isEmpty();
        if (loaded) {
            cache.keep();
            m_schemas.insert(table, QString::fromLatin1(schema));
            const QByteArray probe = "SELECT rowid FROM " + schema + '.' + quoted(keywordIndexName()) +
                                     " WHERE " + quoted(keywordIndexName()) + " MATCH 'abc' LIMIT 1";
            if (indexed && exec(db, probe)) {
                indexSchema = QString::fromLatin1(schema);
            } else if (indexed) {
                // Not there after all: the index built this run is kept instead.
                update([&table](QJsonObject &catalogue) {
                    QJsonObject cached = catalogue.value(QStringLiteral("cached")).toObject();
                    QJsonObject entry = cached.value(table).toObject();
                    if (entry.isEmpty())
                        return; // forgotten meanwhile
                    entry.insert(QStringLiteral("index"), false);
                    cached.insert(table, entry);
                    catalogue.insert(QStringLiteral("cached"), cached);
                });
            }
        }
    } else {
        Attached cache(db, fileUri(path, "ro"), "zelt_cache");
        const QByteArray create =
            cache.ok() ? createStatement(db, "zelt_cache", "main", table) : QByteArray();
        loaded =
            !create.isEmpty() && exec(db, "BEGIN") && exec(db, create) &&
            exec(db, "INSERT INTO main." + quoted(table) + " SELECT * FROM zelt_cache." + quoted(table)) &&
            exec(db, "COMMIT");
        if (!loaded)
            exec(db, "ROLLBACK");
    }
    if (!loaded) {
        forget(table);
        return false;
    }
    for (const QJsonValue &note : entry.value(QStringLiteral("notes")).toArray())
        notes.append(note.toString());
    if (keywordIndex)
        *keywordIndex = indexSchema;
    // Used now: the last to leave when the folder is over its bound (only an open file's time can
    // be set).
    QFile used(path);
    if (used.open(QIODevice::ReadOnly))
        used.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return true;
}

void ReadCache::store(sqlite3 *db, const QString &table, const QStringList &notes)
{
    write(db, table, "main", QString(), notes);
}

void ReadCache::storeKeywordIndex(sqlite3 *db, const QString &table, const QString &index)
{
    if (m_dir.isEmpty())
        return;
    QJsonObject entry;
    {
        const QMutexLocker lock(&g_records);
        const QJsonObject current = readCatalogue();
        entry = (current.value(QStringLiteral("key")).toString() == m_key ? current : m_catalogue)
                    .value(QStringLiteral("cached"))
                    .toObject()
                    .value(table)
                    .toObject();
    }
    // Only beside a table kept, and once.
    if (entry.isEmpty() || entry.value(QStringLiteral("index")).toBool())
        return;
    QStringList notes;
    for (const QJsonValue &note : entry.value(QStringLiteral("notes")).toArray())
        notes.append(note.toString());
    // The table is written again with it, from the copy the index was built over, rowids and all.
    write(db, table, m_schemas.value(table, QStringLiteral("main")).toLatin1().constData(), index, notes);
}

bool ReadCache::write(sqlite3 *db, const QString &table, const char *from, const QString &index,
                      const QStringList &notes)
{
    if (m_dir.isEmpty() || !QDir().mkpath(m_dir))
        return false;
    const QString name = tableFile(table);
    const QString path = m_dir + QLatin1Char('/') + name;
    // Written whole under another name first: another run never sees half a table.
    const QString written = path + QStringLiteral(".%1-%2.tmp").arg(qint64(::getpid())).arg(++g_written);
    QFile::remove(written);
    bool ok = false;
    {
        Attached out(db, fileUri(written, "rwc"), "zelt_cache_out");
        const QByteArray create =
            out.ok() ? createStatement(db, from, "zelt_cache_out", table) : QByteArray();
        const QByteArray columns = columnList(db, from, table);
        // A table alone is copied by SQLite as its rows are stored, not value by value (half the
        // time, and a first search may be waiting for it); the rows keep their order, numbered
        // afresh. An index names rows by rowid: with one, each row keeps its own.
        const QByteArray into = "INSERT INTO zelt_cache_out." + quoted(table);
        const QByteArray source = " FROM " + QByteArray(from) + '.' + quoted(table);
        const QByteArray copy = index.isEmpty()
                                    ? into + " SELECT *" + source
                                    : into + " (rowid, " + columns + ") SELECT rowid, " + columns + source;
        ok = !create.isEmpty() && !columns.isEmpty() &&
             exec(db, "PRAGMA zelt_cache_out.journal_mode = MEMORY") &&
             exec(db, "PRAGMA zelt_cache_out.synchronous = OFF") && exec(db, "BEGIN") && exec(db, create) &&
             exec(db, copy) &&
             (index.isEmpty() ||
              KeywordIndex::copyIndex(db, index, QStringLiteral("zelt_cache_out"), keywordIndexName())) &&
             exec(db, "COMMIT");
        if (!ok)
            exec(db, "ROLLBACK");
    }
    const QString hash = ok ? checksum(written) : QString();
    const qint64 size = QFileInfo(written).size();
    if (hash.isEmpty() || size > g_sizeLimit ||
        std::rename(QFile::encodeName(written).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(written);
        return false;
    }
    update([&](QJsonObject &catalogue) {
        QJsonObject cached = catalogue.value(QStringLiteral("cached")).toObject();
        cached.insert(table, QJsonObject{{QStringLiteral("file"), name},
                                         {QStringLiteral("size"), size},
                                         {QStringLiteral("hash"), hash},
                                         {QStringLiteral("index"), !index.isEmpty()},
                                         {QStringLiteral("notes"), QJsonArray::fromStringList(notes)}});
        catalogue.insert(QStringLiteral("cached"), cached);
    });
    evict(path);
    return true;
}

void ReadCache::forget(const QString &table)
{
    update([this, &table](QJsonObject &catalogue) {
        QJsonObject cached = catalogue.value(QStringLiteral("cached")).toObject();
        const QString file = cached.value(table).toObject().value(QStringLiteral("file")).toString();
        if (!file.isEmpty())
            QFile::remove(m_dir + QLatin1Char('/') + file);
        cached.remove(table);
        catalogue.insert(QStringLiteral("cached"), cached);
    });
}

// The tables of every Access file together stay under the bound: those used least recently go.
void ReadCache::evict(const QString &keep) const
{
    std::vector<QFileInfo> files;
    qint64 total = 0;
    QDirIterator found(folder(), {QStringLiteral("*.sqlite")}, QDir::Files, QDirIterator::Subdirectories);
    while (found.hasNext()) {
        found.next();
        files.push_back(found.fileInfo());
        total += files.back().size();
    }
    std::sort(files.begin(), files.end(),
              [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() < b.lastModified(); });
    for (const QFileInfo &file : files) {
        if (total <= g_sizeLimit)
            break;
        if (file.absoluteFilePath() == QFileInfo(keep).absoluteFilePath())
            continue;
        if (QFile::remove(file.absoluteFilePath()))
            total -= file.size();
    }
}
