#pragma once

#include "JetIndexes.h"
#include "JetLongValues.h"
#include "JetPages.h"
#include "JetTableDefinition.h"

#include <string>
#include <vector>

namespace makedb::jet
{

// What makes a set of table pages a database: the file header (page 0), the system catalogue
// MSysObjects (its definition is page 2, where every reader looks for it) listing the containers,
// the database object with its properties, the system tables and each table by name and
// definition page, the other system tables Access keeps (empty here), and each table's usage
// map, the bitmap of its data pages that readers walk to find its rows.
class Catalogue
{
public:
    // Reserves pages 0 to 2; pages of the tables come after them.
    explicit Catalogue(PageFile &file);
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    struct TableEntry {
        std::string name;
        TableDefinition definition;
        std::uint32_t definitionPage;
        std::uint32_t rowCount;
        std::vector<std::uint32_t> dataPages; // ascending
        std::vector<IndexBuilder> indexes;    // written, their pages allocated
    };

    void addTable(TableEntry table);

    // Writes the catalogue, the usage maps, every table definition and the header. creationDate
    // is written into the header as it is, so that the same sample gives the same bytes.
    void finish(LongValues &longValues, const std::string &creationDate);

private:
    Bytes usageMap(const std::vector<std::uint32_t> &pages);
    void writeTables(std::vector<TableEntry> tables, std::size_t systemTables); // those come first

    PageFile &m_file;
    std::uint32_t m_mapPage;
    std::uint32_t m_catalogueDefinitionPage;
    std::vector<TableEntry> m_tables;
};

// Page 0: the engine's name, the Jet 4 version, and the header block that every file stores
// RC4-scrambled with a fixed key (code page, no encryption key, creation date).
Page headerPage(double creationDate);

} // namespace makedb::jet
