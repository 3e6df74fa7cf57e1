#include "data/LazyRows.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr size_t kBlockSize = 64 * 1024;
constexpr size_t kBlocksKept = 256; // 16 MiB
constexpr size_t kCellsKept = 4 * 1024 * 1024;

enum Kind : char { NullKind = 'n', IntegerKind = 'i', RealKind = 'r', TextKind = 't', BlobKind = 'b' };

} // namespace

void LazyRows::clear(int columns)
{
    m_columns = columns;
    // Blocks of one large value are dropped; so is what a huge result needed beyond the bound.
    const auto oversized = std::remove_if(m_blocks.begin(), m_blocks.end(),
                                          [](const Block &block) { return block.size != kBlockSize; });
    m_blocks.erase(oversized, m_blocks.end());
    if (m_blocks.size() > kBlocksKept)
        m_blocks.resize(kBlocksKept);
    m_block = 0;
    m_blockUsed = 0;
    if (m_cells.capacity() > kCellsKept)
        m_cells = {};
    m_cells.clear();
}

void LazyRows::add(char kind, const char *data, size_t size)
{
    if (m_blocks.empty() || m_blockUsed + 1 + size > m_blocks[m_block].size) {
        if (!m_blocks.empty())
            ++m_block;
        const size_t needed = std::max(kBlockSize, 1 + size);
        if (m_block >= m_blocks.size() || m_blocks[m_block].size < needed) {
            if (m_block < m_blocks.size()) // a kept block too small for this value: the value goes first
                m_blocks.insert(m_blocks.begin() + qsizetype(m_block), Block{nullptr, 0});
            else
                m_blocks.push_back(Block{nullptr, 0});
            m_blocks[m_block] = Block{std::unique_ptr<char[]>(new char[needed]), needed};
        }
        m_blockUsed = 0;
    }
    char *cell = m_blocks[m_block].bytes.get() + m_blockUsed;
    cell[0] = kind;
    if (size > 0)
        std::memcpy(cell + 1, data, size);
    m_blockUsed += 1 + size;
    m_cells.push_back({cell, qsizetype(1 + size)});
}

void LazyRows::addNull()
{
    add(NullKind, nullptr, 0);
}

void LazyRows::addInteger(qint64 value)
{
    add(IntegerKind, reinterpret_cast<const char *>(&value), sizeof value);
}

void LazyRows::addReal(double value)
{
    add(RealKind, reinterpret_cast<const char *>(&value), sizeof value);
}

void LazyRows::addText(const char *utf8, int size)
{
    add(TextKind, utf8, size_t(size));
}

void LazyRows::addBlob(const char *data, int size)
{
    add(BlobKind, data, size_t(size));
}

QByteArrayView LazyRows::storedValue(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns)
        return {};
    const Cell &cell = m_cells[size_t(row) * size_t(m_columns) + size_t(column)];
    return QByteArrayView(cell.data, cell.size);
}

QVariant LazyRows::value(int row, int column) const
{
    const QByteArrayView stored = storedValue(row, column);
    if (stored.isEmpty())
        return {};
    const char *data = stored.data() + 1;
    const qsizetype size = stored.size() - 1;
    switch (stored.front()) {
    case IntegerKind: {
        qint64 number = 0;
        std::memcpy(&number, data, sizeof number);
        return QVariant(qlonglong(number));
    }
    case RealKind: {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        return QVariant(number);
    }
    case TextKind:
        return QVariant(QString::fromUtf8(data, size));
    case BlobKind:
        return QVariant(QByteArray(data, size));
    default:
        return {};
    }
}
