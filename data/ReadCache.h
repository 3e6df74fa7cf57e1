#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct sqlite3;

// The tables read from an Access file, kept as SQLite files in the user's cache folder so that a
// later run finds them without starting the reader. An Access file's record is used only while
// the file's key matches: its absolute path, size, modification time and a hash of its header and
// catalogue pages; a changed file changes its key, and its tables are read again. Each table's
// file is checked against the size and checksum recorded when it was written before it is used.
// Whatever fails (no cache folder, a damaged or missing file, a full disk) only means reading the
// Access file as without a cache. The folder stays under a bound, the tables used least recently
// leaving first. The Access file is only ever read.
class ReadCache
{
public:
    explicit ReadCache(const QString &accessPath);

    // Whether there is a cache folder for the file at all (writing to it may still fail).
    bool usable() const { return !m_dir.isEmpty(); }

    // The file's tables as recorded for its key; none when there is no matching record.
    std::optional<QStringList> tables() const;
    void rememberTables(const QStringList &tables);

    // Makes the cached table one of db's (its file attached read-only, or a small one copied
    // into the main schema) and adds the notes its reading gave; false when it is not cached or
    // its file is damaged (then forgotten and db left without it). keywordIndex, when given,
    // receives the schema holding the table's whole keyword index (KeywordIndex), kept with it,
    // or nothing.
    bool load(sqlite3 *db, const QString &table, QStringList &notes, QString *keywordIndex = nullptr);
    // Keeps the table db's main schema holds, as read from the Access file, with its notes.
    void store(sqlite3 *db, const QString &table, const QStringList &notes);
    // Keeps the whole keyword index temp.index (built over the table as db holds it, from the
    // cache or the Access file) with the cached table, once.
    void storeKeywordIndex(sqlite3 *db, const QString &table, const QString &index);
    // The name a kept keyword index has in the schema load() gives.
    static QString keywordIndexName();

    // Where the tables of every Access file are kept: the user's cache folder, or when none can
    // be made, a temporary folder for this run only.
    static QString folder();
    static qint64 sizeLimit();
    static void setSizeLimit(qint64 bytes);

private:
    QString tableFile(const QString &table) const;
    QJsonObject readCatalogue() const;
    void update(const std::function<void(QJsonObject &)> &change);
    void forget(const QString &table);
    void evict(const QString &keep) const;
    bool write(sqlite3 *db, const QString &table, const char *from, const QString &index,
               const QStringList &notes);

    QString m_dir; // this Access file's folder; empty when the cache cannot be used
    QString m_key;
    QJsonObject m_catalogue; // "key", "tables", and "cached": table -> file, size, hash, notes, index
    QHash<QString, QString> m_schemas; // the attached file of each table loaded so
};
