#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Structural checks on the pages of an Access file, apart from libmdb: Jet keeps no checksums, but
// a page or a definition that contradicts itself is damage, and reading it anyway shows changed
// rows as real. Each check returns the reason in words, or an empty text when all is well.
namespace pagechecks
{

struct Format {
    std::size_t pageSize;
    bool jet3;
};

// A page of the file, or nullptr when the file ends before it.
using ReadPage = std::function<const unsigned char *(std::uint32_t page)>;

// A data page (of a table or of long values): the table of row offsets must fit the page, and
// each row that is not deleted must lie between that table and the row before it.
std::string dataPageDamage(const unsigned char *page, std::uint32_t number, const Format &format);

// The same for a long-value page, and the row a long value points to must be one of its rows.
std::string longValueRowDamage(const unsigned char *page, std::uint32_t number, int row,
                               const Format &format);

// A Jet 4 text or memo value: UCS-2 has no odd byte, in plain text or in a run of two-byte
// characters of compressed text; a Text column holds at most `maxBytes` / 2 characters
// (0: no limit, as for a memo). Jet 3 stores one byte per character.
std::string textDamage(const unsigned char *bytes, std::size_t size, std::size_t maxBytes,
                       const Format &format);

// What a table definition says about its columns and indexes, read from its own pages.
struct Definition {
    struct Column {
        int type;
        int number;   // the column's place in the null mask of a row
        int varIndex; // among the variable-length columns
        bool fixed;
        std::string name;
    };
    int maxColumns = 0; // columns ever added: deleted ones keep their numbers
    std::vector<Column> columns;
    std::vector<std::uint32_t> indexRoots; // the first page of each index that keeps pages
};

// Reads the definition that starts on page `first`; false with a reason when its pages do not
// hold one.
bool readDefinition(const ReadPage &read, std::uint32_t first, std::uint32_t pages, const Format &format,
                    Definition &definition, std::string &reason);

// Type codes no Jet version defines, numbers that are not distinct or beyond the columns ever
// added, variable columns sharing a slot.
std::string columnsDamage(const Definition &definition);

// An empty table's indexes vouch for its definition: each index root is an index page owned by
// the definition at `owner`.
bool indexesBelong(const ReadPage &read, const Definition &definition, std::uint32_t owner);

} // namespace pagechecks
