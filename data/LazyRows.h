#pragma once

#include "data/ResultSet.h"

#include <QByteArrayView>
#include <QVariant>

#include <memory>
#include <vector>

// The rows of a result kept as the engine read them, the values' bytes in blocks; a value becomes
// a QVariant only when asked for. A grid shows a few dozen rows of tens of thousands, and turning
// every value into a QVariant up front cost a third of a large search.
class LazyRows
{
public:
    explicit LazyRows(int columns = 0) : m_columns(columns) {}

    // Empties the rows for a result of that many columns; the memory is kept (within a bound) for
    // the next result, which then costs no fresh pages.
    void clear(int columns);

    int columnCount() const { return m_columns; }
    int rowCount() const { return m_columns == 0 ? 0 : int(m_cells.size() / size_t(m_columns)); }

    // A row is added value by value, in column order.
    void addNull();
    void addInteger(qint64 value);
    void addReal(double value);
    void addText(const char *utf8, int size);
    void addBlob(const char *data, int size);

    // NULL (an invalid QVariant), qlonglong, double, QString or QByteArray; invalid outside.
    QVariant value(int row, int column) const;
    // The value as stored: equal for equal values and cheap, for comparing without converting.
    QByteArrayView storedValue(int row, int column) const;

private:
    struct Cell {
        const char *data; // the value's kind, then its bytes
        qsizetype size;
    };
    void add(char kind, const char *data, size_t size);

    int m_columns;
    // Blocks never move once filled: growing costs no copy of what is held, and a block of the
    // size most results need is reused by the allocator from one search to the next.
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size;
    };
    std::vector<Block> m_blocks;
    size_t m_block = 0;        // the block being filled
    size_t m_blockUsed = 0;    // bytes of it used
    std::vector<Cell> m_cells; // row after row
};

// A result whose rows are converted when read.
struct LazyResult {
    QVector<ResultColumn> columns;
    LazyRows rows;
};
