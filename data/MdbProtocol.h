#pragma once

#include <cstdint>

// The stream that zelt-mdb-reader writes on stdout for the engine (both sides include this).
// All integers little-endian. A text is a uint32 byte count followed by UTF-8 bytes.
//   stream  := magic record* end
//   stream  := magic record* (end | failure)
//   record  := 'T' text                      one user table (table list)
//            | 'C' uint8 kind text            one column: kind, name (table dump, before rows)
//            | 'W' text                       a note for the user: a column read as NULL
//            | 'R' value{column count}        one row
//   value   := uint8 tag payload              tag 0 NULL (no payload), 1 int64, 2 double,
//                                             3 text, 4 blob (uint32 size + bytes)
//   end     := 'E' uint32 count               how many 'T' or 'R' records came before
//   failure := 'X' text                       why the file could not be read whole
// A failure record, a missing end or a non-zero exit status means the file could not be read
// whole; stderr carries libmdb's own complaints, which are detail, not a verdict.
namespace mdbprotocol
{

inline constexpr char kMagic[8] = {'Z', 'E', 'L', 'T', 'M', 'D', 'B', '1'};

enum Record : std::uint8_t {
    TableRecord = 'T',
    ColumnRecord = 'C',
    NoteRecord = 'W',
    RowRecord = 'R',
    EndRecord = 'E',
    FailureRecord = 'X'
};

enum ColumnKind : std::uint8_t {
    IntegerColumn = 1,
    RealColumn = 2,
    TextColumn = 3,
    MemoColumn = 4,
    DateTimeColumn = 5,
    BinaryColumn = 6,
    DecimalColumn = 7 // Numeric and Currency: exact decimals, as text
};

enum ValueTag : std::uint8_t { NullValue = 0, IntegerValue = 1, RealValue = 2, TextValue = 3, BlobValue = 4 };

inline constexpr char kListTablesOption[] = "--tables";
inline constexpr char kTableOption[] = "--table";

} // namespace mdbprotocol
