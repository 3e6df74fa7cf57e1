#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

struct AccessColumn {
    QString name;
    std::uint8_t kind; // mdbprotocol::ColumnKind
};

// One value of a row as it arrives; bytes point into the reader's buffer and live only during
// the row callback.
struct AccessValue {
    std::uint8_t tag; // mdbprotocol::ValueTag
    qint64 integer = 0;
    double real = 0;
    std::string_view bytes;
};

// Reads an Access file through the zelt-mdb-reader helper, which runs as a child process
// beside the executable: a damaged file can crash or hang libmdb, and here that becomes a
// DataError naming the file. The child is killed when it shows no progress for the timeout.
class MdbReader
{
public:
    explicit MdbReader(const QString &databasePath) : m_path(databasePath) {}

    QStringList tables() const; // the user tables, as the file spells them

    using ColumnsHandler = std::function<void(const std::vector<AccessColumn> &)>;
    using RowHandler = std::function<void(const std::vector<AccessValue> &)>;
    // Calls onColumns once, then onRow for every row, as they arrive, and returns the notes about
    // columns that could not be understood (read as NULL). Throws DataError; a handler may throw
    // too, which stops the child.
    QStringList readTable(const QString &table, const ColumnsHandler &onColumns,
                          const RowHandler &onRow) const;

    static QString helperPath();
    static void setHelperPath(const QString &path); // tests run stand-ins; empty: the real one
    static int noProgressTimeout();
    static void setNoProgressTimeout(int milliseconds);

private:
    QString m_path;
};
