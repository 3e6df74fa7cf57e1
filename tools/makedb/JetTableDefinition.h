#pragma once

#include "JetLongValues.h"
#include "JetPages.h"
#include "SampleRows.h"

#include <string>
#include <vector>

namespace makedb::jet
{

// Column type codes of a table definition.
constexpr std::uint8_t BooleanType = 0x01;
constexpr std::uint8_t ByteType = 0x02;
constexpr std::uint8_t IntegerType = 0x03;
constexpr std::uint8_t LongType = 0x04;
constexpr std::uint8_t DateTimeType = 0x08;
constexpr std::uint8_t BinaryType = 0x09;
constexpr std::uint8_t TextType = 0x0A;
constexpr std::uint8_t OleType = 0x0B;
constexpr std::uint8_t MemoType = 0x0C;

struct ColumnDeclaration {
    std::string name;
    std::uint8_t type;
    int characters = 0; // of a Text column; bytes of a Binary one
};

struct IndexDeclaration {
    std::string name;
    std::vector<std::size_t> columns; // positions in the table's columns, each in ascending order
    bool primaryKey = false;
    bool unique = false;
};

// Where an index's pages are, for the table definition.
struct IndexPlace {
    const IndexDeclaration *declaration;
    std::uint32_t root;
    std::uint32_t usageMap; // the row that lists its pages
    std::uint32_t distinctKeys;
};

// A table's columns as rows lay them out: fixed-size numbers and dates at fixed offsets first,
// then the texts, memos and OLE values, found through an offset table at the row's end.
class TableDefinition
{
public:
    explicit TableDefinition(const std::vector<ColumnDeclaration> &columns);

    // The row as a data page holds it: column count, fixed part, variable part, end-of-data
    // offset, the variable offsets last to first, their count and the bitmap of present values.
    // Memos longer than a few hundred bytes go to long values, as do OLE values; Binary and OLE
    // values are given as texts of their bytes. Throws std::runtime_error on a value its column
    // cannot hold (a text over its length, a number out of range).
    Bytes encodeRow(const Row &row, LongValues &longValues) const;

    // The table definition page: row count, column descriptors and names, and the rows that
    // hold the maps of the table's data pages and of its pages with free space, then the mark
    // that ends the definition.
    // Each index is described twice, as Jet keeps it: its columns and pages, then its kind and name.
    Page page(std::uint32_t rowCount, std::uint32_t usageMap, std::uint32_t freeSpaceMap, bool system,
              const std::vector<IndexPlace> &indexes = {}) const;

    const std::vector<ColumnDeclaration> &columns() const { return m_declared; }

private:
    struct Layout {
        ColumnDeclaration declared;
        bool fixed;
        std::uint16_t size;        // bytes of a fixed column, most bytes of a text
        std::uint16_t fixedOffset; // in the fixed part
        std::uint16_t varIndex;    // among the variable columns
    };

    Bytes encodeValue(const Layout &column, const Value &value, LongValues &longValues) const;

    std::vector<ColumnDeclaration> m_declared;
    std::vector<Layout> m_columns;
    std::uint16_t m_fixedSize = 0;
    std::uint16_t m_varCount = 0;
};

} // namespace makedb::jet
