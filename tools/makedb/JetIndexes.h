#pragma once

#include "JetPages.h"
#include "JetTableDefinition.h"
#include "SampleRows.h"

#include <string>
#include <vector>

namespace makedb::jet
{

constexpr std::uint8_t IndexNodePageType = 0x03;
constexpr std::uint8_t IndexLeafPageType = 0x04;

// The key of a row in an index, as Jet 4 compares keys byte by byte: for each column a start
// flag, then a Long or Integer big-endian with its sign bit flipped, or a text in the General sort
// order's codes with its end marks. Codes and numbers are what the sample indexes; a text with
// other characters throws std::runtime_error.
Bytes indexKey(const std::vector<ColumnDeclaration> &columns, const IndexDeclaration &index, const Row &row);

// One index of a table: its entries gathered as the rows are written, then its pages (leaf pages
// in key order, node pages above them up to a single root).
class IndexBuilder
{
public:
    IndexBuilder(IndexDeclaration declaration, std::vector<ColumnDeclaration> columns);

    void add(const Row &row, std::uint32_t rowPointer);
    // Writes the pages, owned by the definition at owner.
    void write(PageFile &file, std::uint32_t owner);

    const IndexDeclaration &declaration() const { return m_declaration; }
    std::uint32_t root() const { return m_root; }
    const std::vector<std::uint32_t> &pages() const { return m_pages; } // ascending
    std::uint32_t distinctKeys() const { return m_distinctKeys; }

private:
    IndexDeclaration m_declaration;
    std::vector<ColumnDeclaration> m_columns;
    Bytes m_pool;                                                   // each entry: key, then the row's address
    std::vector<std::pair<std::uint32_t, std::uint16_t>> m_entries; // offset and length in m_pool
    std::uint32_t m_root = 0;
    std::vector<std::uint32_t> m_pages;
    std::uint32_t m_distinctKeys = 0;
};

} // namespace makedb::jet
