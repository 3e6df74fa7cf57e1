// zelt-mdb-reader: reads an Access (Jet 3, Jet 4, ACE) file for the engine, in a process of its
// own, because libmdb can crash or loop forever on a damaged file. Writes the stream described in
// data/MdbProtocol.h on stdout.
//   zelt-mdb-reader FILE --tables          the user tables
//   zelt-mdb-reader FILE --table NAME      one table's columns and rows
//   ... --general                          the same, read page by page through libmdb (to compare)
// libmdb finds tables, columns and fields; the values themselves are decoded here (Values.h), because
// libmdb's own conversion loses characters, digits and calculated columns.

#include "PageChecks.h"
#include "PageFile.h"
#include "UsageMap.h"
#include "Values.h"
#include "data/MdbProtocol.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

// mdbtools.h includes glib.h inside extern "C", which C++ refuses; glib.h first avoids that.
#include <glib.h>
#include <mdbtools.h>

namespace
{

constexpr int kOffsetMask = 0x1FFF;
constexpr std::uint32_t kInlineValue = 0x80000000u;
constexpr std::uint32_t kSinglePageValue = 0x40000000u;
constexpr std::uint32_t kLengthMask = 0x3FFFFFFFu;
constexpr unsigned char kDataPage = 0x01;
constexpr unsigned char kTableDefinitionPage = 0x02;
constexpr int kPageOwnerOffset = 4;
constexpr int kDateTimeExtended = 20;
// A calculated column stores its result behind a 20-byte header whose last 4 bytes give the
// result's length; 3 more bytes follow it.
constexpr int kCalculatedHeader = 20;
constexpr int kCalculatedLengthOffset = 16;
constexpr unsigned char kCalculatedFlags = 0xC0; // in the column's extra flags (Jet 4 and later)
constexpr int kColumnExtraFlagsOffset = 16;

// Pages and usage maps are read straight from the file, a table's rows found on its pages as
// libmdb finds them (same functions, same order). libmdb's own walk, which seeks and reads page
// by page and reads a map page again for every page it lists, is the general way: taken for
// encrypted files, maps it alone can walk, and on request (--general), to compare the two.
bool s_direct = true;
constexpr char kGeneralOption[] = "--general";
constexpr int kPipeBytes = 1 << 20; // what Linux grants without privileges

// The stream for the engine. libmdb prints some of its complaints on stdout, so the stream
// takes over the original stdout and stdout itself is sent to stderr, where complaints belong.
FILE *s_output = nullptr;
// The record being written: it goes out whole, so that a failure never lands inside a row.
std::string s_record;

void putBytes(const void *data, size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, s_output) != size)
        std::exit(3); // the engine is gone; nobody is left to tell
}

void putU32(std::uint32_t value)
{
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    putBytes(bytes, 4);
}

void putText(const std::string &value)
{
    putU32(static_cast<std::uint32_t>(value.size()));
    putBytes(value.data(), value.size());
}

// The reason goes into the stream, ahead of whatever libmdb has said on stderr.
[[noreturn]] void fail(const std::string &reason)
{
    std::fflush(stdout);
    if (s_output) {
        s_record.clear();
        const std::uint8_t tag = mdbprotocol::FailureRecord;
        putBytes(&tag, 1);
        putText(reason);
        std::fflush(s_output);
    } else {
        std::fprintf(stderr, "%s\n", reason.c_str());
    }
    std::exit(2);
}

// A crash must not leave a core file behind, and a damaged length must not let the reader
// swallow the machine's memory.
void limitResources()
{
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit memory{rlim_t(2) << 30, rlim_t(2) << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
}

// Builds one record and sends it when it is complete.
class Writer
{
public:
    void byte(std::uint8_t value) { s_record += static_cast<char>(value); }
    void u32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            s_record += static_cast<char>(value >> (8 * i));
    }
    void i64(std::int64_t value)
    {
        unsigned char bytes[8];
        const auto u = static_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<unsigned char>(u >> (8 * i));
        s_record.append(reinterpret_cast<const char *>(bytes), 8);
    }
    void real(double value)
    {
        std::int64_t bits;
        std::memcpy(&bits, &value, 8);
        i64(bits);
    }
    void bytes(const void *data, size_t size)
    {
        if (size > 0xFFFFFFFFu)
            fail("valor longo demais");
        u32(static_cast<std::uint32_t>(size));
        s_record.append(static_cast<const char *>(data), size);
    }
    void text(const std::string &value) { bytes(value.data(), value.size()); }
    // Jet 4 text, decoded straight into the record.
    void jet4Text(const unsigned char *data, size_t size)
    {
        const size_t at = s_record.size();
        u32(0);
        values::appendJet4Text(s_record, data, size);
        const size_t length = s_record.size() - at - 4;
        if (length > 0xFFFFFFFFu)
            fail("valor longo demais");
        for (int i = 0; i < 4; ++i)
            s_record[at + i] = static_cast<char>(length >> (8 * i));
    }
    void send()
    {
        putBytes(s_record.data(), s_record.size());
        s_record.clear();
    }
};

struct Column {
    MdbColumn *column;
    int type; // for a calculated column the type of its result, which its entry may not say
    bool calculated;
};

// Where a value goes wrong, for the reason text; put into words only when something fails.
struct Place {
    const char *table;
    const char *column;
};

std::string operator+(const Place &where, const std::string &what)
{
    return std::string("tabela ") + where.table + ", coluna " + where.column + ": " + what;
}

pagechecks::Format formatOf(MdbHandle *mdb)
{
    return {static_cast<std::size_t>(mdb->fmt->pg_size), IS_JET3(mdb) != 0};
}

std::string textOf(MdbHandle *mdb, const unsigned char *source, size_t size)
{
    if (!IS_JET3(mdb))
        return values::jet4Text(source, size);
    // A single-byte code page: at most 3 UTF-8 bytes per source byte.
    std::string out(size * 3 + 4, '\0');
    const int length =
        mdb_unicode2ascii(mdb, reinterpret_cast<const char *>(source), size, out.data(), out.size());
    out.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return out;
}

// Where row `row` of a page lies, by the same rule as libmdb's mdb_find_row: false when the
// page's row offsets put it nowhere. `start` keeps the offset's flags.
bool findRow(MdbHandle *mdb, const unsigned char *page, int row, int &start, size_t &size)
{
    const int at = mdb->fmt->row_count_offset;
    const int pageSize = mdb->fmt->pg_size;
    if (row > 1000)
        return false;
    start = page[at + 2 + row * 2] | page[at + 3 + row * 2] << 8;
    const int end = row == 0 ? pageSize : (page[at + row * 2] | page[at + 1 + row * 2] << 8) & kOffsetMask;
    size = static_cast<size_t>(end - (start & kOffsetMask));
    return (start & kOffsetMask) < pageSize && (start & kOffsetMask) <= end && end <= pageSize;
}

// The page holding a long value's piece and where the piece lies on it, as libmdb's
// mdb_find_pg_row finds them; false when there is no such page or row.
bool findPageRow(MdbHandle *mdb, PageFile &file, int pageRow, const unsigned char *&page, int &start,
                 size_t &size)
{
    // A page libmdb can read and this file cannot is one cut short at the end of the file.
    if (s_direct && (page = file.read(static_cast<std::uint32_t>(pageRow) >> 8))) {
        const bool found = findRow(mdb, page, pageRow & 0xFF, start, size);
        start &= kOffsetMask;
        return found;
    }
    void *buffer = nullptr;
    const bool found = mdb_find_pg_row(mdb, pageRow, &buffer, &start, &size) == 0;
    page = static_cast<const unsigned char *>(buffer);
    return found;
}

// The bytes of a memo or OLE value, inline or on long-value pages. libmdb's own reader
// returns an empty text for a broken page chain and can loop on one, and follows a pointer to
// any page at all; here each is an error.
// On return `data` and `size` give the value: in the row, on its long-value page (until the next
// page is read) or, for a value in pieces, in `pieces`.
void longValue(MdbHandle *mdb, PageFile &file, const unsigned char *&data, size_t &size, std::string &pieces,
               const Place &where)
{
    const unsigned char *const field = data;
    if (size < MDB_MEMO_OVERHEAD)
        fail(where + "valor longo danificado");
    const std::uint32_t header = values::u32At(field);
    const std::uint32_t length = header & kLengthMask;
    if (header & kInlineValue) {
        if (length > size - MDB_MEMO_OVERHEAD)
            fail(where + "valor longo danificado");
        data += MDB_MEMO_OVERHEAD;
        size -= MDB_MEMO_OVERHEAD;
        return;
    }
    if ((header & 0xC0000000u) == 0xC0000000u)
        fail(where + "valor longo danificado");
    std::string &value = pieces;
    value.clear();
    int pageRow = static_cast<int>(values::u32At(field + 4));
    const bool singlePage = (header & kSinglePageValue) != 0;
    while (true) {
        const unsigned char *page = nullptr;
        int start = 0;
        size_t rowSize = 0;
        if (pageRow == 0 || !findPageRow(mdb, file, pageRow, page, start, rowSize))
            fail(where + "o valor longo aponta para uma página que não existe");
        if (page[0] != kDataPage || std::memcmp(page + kPageOwnerOffset, "LVAL", 4) != 0)
            fail(where + "a página " + std::to_string(pageRow >> 8) + " não é uma página de valores longos");
        if (const std::string damage = pagechecks::longValueRowDamage(
                page, static_cast<std::uint32_t>(pageRow) >> 8, pageRow & 0xFF, formatOf(mdb));
            !damage.empty())
            fail(where + damage);
        if (start < 0 || start + rowSize > static_cast<size_t>(mdb->fmt->pg_size))
            fail(where + "valor longo danificado");
        if (singlePage) {
            // The row holds the value and nothing else: other sizes mean damaged row offsets.
            if (rowSize != length)
                fail(where + "o valor longo não tem o seu tamanho");
            data = page + start;
            size = length;
            return;
        }
        if (rowSize <= 4 || value.size() + (rowSize - 4) > length)
            fail(where + "a cadeia do valor longo está danificada");
        value.append(reinterpret_cast<const char *>(page) + start + 4, rowSize - 4);
        pageRow = static_cast<int>(values::u32At(page + start));
        if (value.size() == length) {
            if (pageRow != 0) // the last piece points nowhere
                fail(where + "a cadeia do valor longo está danificada");
            data = reinterpret_cast<const unsigned char *>(value.data());
            size = value.size();
            return;
        }
    }
}

std::uint8_t kindOf(int type)
{
    using namespace mdbprotocol;
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return IntegerColumn;
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return RealColumn;
    case MDB_MONEY:
    case MDB_NUMERIC:
        return DecimalColumn;
    case MDB_DATETIME:
    case kDateTimeExtended:
        return DateTimeColumn;
    case MDB_MEMO:
        return MemoColumn;
    case MDB_BINARY:
    case MDB_OLE:
        return BinaryColumn;
    default:
        return TextColumn;
    }
}

bool understood(int type)
{
    switch (type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_NUMERIC:
    case MDB_DATETIME:
    case kDateTimeExtended:
    case MDB_MEMO:
    case MDB_BINARY:
    case MDB_OLE:
    case MDB_TEXT:
    case MDB_REPID:
        return true;
    default:
        return false;
    }
}

size_t fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_COMPLEX:
    case MDB_FLOAT:
        return 4;
    case MDB_DOUBLE:
    case MDB_MONEY:
    case MDB_DATETIME:
        return 8;
    case MDB_REPID:
        return 16;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

std::int64_t i64At(const unsigned char *b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(values::u32At(b)) |
                                     static_cast<std::uint64_t>(values::u32At(b + 4)) << 32);
}

double doubleAt(const unsigned char *b)
{
    const std::int64_t bits = i64At(b);
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

void writeValue(Writer &out, MdbHandle *mdb, PageFile &file, const Column &column, const MdbField &field,
                const char *table)
{
    using namespace mdbprotocol;
    const MdbColumn *col = column.column;
    const int type = column.type;
    if (type == MDB_BOOL && !column.calculated) {
        // A yes/no value lives in the null mask: set means yes. Access counts yes as -1.
        out.byte(IntegerValue);
        out.i64(field.is_null ? 0 : -1);
        return;
    }
    if (field.is_null || !understood(type)) {
        out.byte(NullValue);
        return;
    }
    const Place where{table, col->name};
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > static_cast<int>(mdb->fmt->pg_size))
        fail(where + "linha danificada");
    const unsigned char *data = mdb->pg_buf + field.start;
    size_t size = static_cast<size_t>(field.siz);
    if (type == MDB_MEMO || type == MDB_OLE) {
        static std::string pieces; // kept from value to value, as its memory
        longValue(mdb, file, data, size, pieces, where);
    }
    if (column.calculated) {
        const std::uint32_t length =
            size >= kCalculatedHeader ? values::u32At(data + kCalculatedLengthOffset) : 0;
        if (size < kCalculatedHeader || length > size - kCalculatedHeader)
            fail(where + "valor calculado danificado");
        data += kCalculatedHeader;
        size = length;
        // A result Access has not computed (yet) is stored empty.
        if (size == 0 && type != MDB_TEXT && type != MDB_MEMO) {
            out.byte(NullValue);
            return;
        }
    }
    // A calculated Numeric keeps only the bytes its magnitude needs.
    const bool shortened = column.calculated && type == MDB_NUMERIC;
    if ((!shortened && size < fixedSize(type)) || (column.calculated && type == MDB_BOOL && size < 1))
        fail(where + "linha danificada");

    switch (type) {
    case MDB_BOOL:
        out.byte(IntegerValue);
        out.i64(data[0] ? -1 : 0);
        return;
    case MDB_BYTE:
        out.byte(IntegerValue);
        out.i64(data[0]);
        return;
    case MDB_INT:
        out.byte(IntegerValue);
        out.i64(static_cast<std::int16_t>(data[0] | data[1] << 8));
        return;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        out.byte(IntegerValue);
        out.i64(static_cast<std::int32_t>(values::u32At(data)));
        return;
    case MDB_FLOAT: {
        const std::uint32_t bits = values::u32At(data);
        float value;
        std::memcpy(&value, &bits, 4);
        out.byte(RealValue);
        out.real(values::shortestSingle(value));
        return;
    }
    case MDB_DOUBLE:
        out.byte(RealValue);
        out.real(doubleAt(data));
        return;
    case MDB_MONEY:
        out.byte(TextValue);
        out.text(values::currencyText(i64At(data)));
        return;
    case MDB_NUMERIC: {
        const std::string text = column.calculated ? values::calculatedNumericText(data, size)
                                                   : values::numericText(data, col->col_prec);
        if (text.empty())
            fail(where + "valor numérico danificado");
        out.byte(TextValue);
        out.text(text);
        return;
    }
    case MDB_DATETIME: {
        std::string text;
        if (!values::dateTimeText(doubleAt(data), text))
            fail(where + "data inválida");
        out.byte(TextValue);
        out.text(text);
        return;
    }
    case kDateTimeExtended: {
        std::string text;
        if (!values::extendedDateTimeText(data, size, text))
            fail(where + "data inválida");
        out.byte(TextValue);
        out.text(text);
        return;
    }
    case MDB_REPID:
        out.byte(TextValue);
        out.text(values::guidText(data));
        return;
    case MDB_OLE:
    case MDB_BINARY:
        out.byte(BlobValue);
        out.bytes(data, size);
        return;
    default: // text and memo
        if (const std::string damage = pagechecks::textDamage(
                data, size, type == MDB_TEXT && !column.calculated ? col->col_size : 0, formatOf(mdb));
            !damage.empty())
            fail(where + damage);
        out.byte(TextValue);
        if (s_direct && !IS_JET3(mdb))
            out.jet4Text(data, size);
        else
            out.text(textOf(mdb, data, size));
        return;
    }
}

// The col_num of every calculated column. Jet 3 has none; later versions flag them in a byte of
// the column's entry that libmdb does not keep, so the definition pages are read again here.
std::set<int> calculatedColumns(MdbHandle *mdb, PageFile &file, const MdbCatalogEntry *entry,
                                const MdbTableDef *table, const std::string &name)
{
    std::set<int> calculated;
    if (IS_JET3(mdb))
        return calculated;
    const size_t entries = mdb->fmt->tab_cols_start_offset +
                           table->num_real_idxs * mdb->fmt->tab_ridx_entry_size +
                           table->num_cols * mdb->fmt->tab_col_entry_size;
    // The definition continues on further pages, each after its 8-byte header.
    std::vector<unsigned char> definition;
    std::uint32_t page = static_cast<std::uint32_t>(entry->table_pg);
    for (std::uint32_t steps = 0; definition.size() < entries; ++steps) {
        const unsigned char *bytes = file.read(page);
        if (!bytes || bytes[0] != kTableDefinitionPage || steps > file.pages())
            fail("a definição da tabela " + name + " está danificada");
        definition.insert(definition.end(), bytes + (steps == 0 ? 0 : 8), bytes + file.pageSize());
        page = values::u32At(bytes + 4);
        if (page == 0 && definition.size() < entries)
            fail("a definição da tabela " + name + " está danificada");
    }
    const size_t first =
        mdb->fmt->tab_cols_start_offset + table->num_real_idxs * mdb->fmt->tab_ridx_entry_size;
    for (unsigned int c = 0; c < table->num_cols; ++c) {
        const unsigned char *columnEntry = definition.data() + first + c * mdb->fmt->tab_col_entry_size;
        if (columnEntry[kColumnExtraFlagsOffset] & kCalculatedFlags)
            calculated.insert(columnEntry[mdb->fmt->col_num_offset]);
    }
    return calculated;
}

// Walks a table's usage map: `next` gives the page after `start`, as mdb_map_find_next does.
class MapWalk
{
public:
    MapWalk(MdbHandle *mdb, PageFile &file, MdbTableDef *table)
        : m_mdb(mdb), m_table(table), m_map(table->usage_map, table->map_sz, file)
    {
    }
    gint32 next(guint32 start)
    {
        return s_direct ? m_map.next(start)
                        : mdb_map_find_next(m_mdb, m_table->usage_map, m_table->map_sz, start);
    }

private:
    MdbHandle *m_mdb;
    MdbTableDef *m_table;
    UsageMap m_map;
};

// What the usage map of a table says: how many pages it lists and which of them are data pages
// of this table. Pages beyond the end of the file or a map that runs backwards are damage.
struct PageCensus {
    bool walked = false; // false: a map kind that cannot be walked
    bool broken = false; // the walk ended on a map page that cannot be read
    std::uint32_t listed = 0;
    std::vector<std::uint32_t> owned;
};

PageCensus censusOf(MdbHandle *mdb, PageFile &file, MdbTableDef *table, const std::string &name)
{
    PageCensus census;
    if (table->map_sz < 1 || (table->usage_map[0] != 0 && table->usage_map[0] != 1))
        return census;
    census.walked = true;
    MapWalk map(mdb, file, table);
    guint32 page = 0;
    for (;;) {
        const gint32 next = map.next(page);
        census.broken = next < 0;
        if (next <= 0)
            break;
        if (static_cast<guint32>(next) >= file.pages())
            fail("o arquivo está truncado (a tabela " + name + " tem dados na página " +
                 std::to_string(next) + " de " + std::to_string(file.pages()) + ")");
        if (static_cast<guint32>(next) <= page || census.listed > file.pages())
            fail("o mapa de páginas da tabela " + name + " está danificado");
        page = static_cast<guint32>(next);
        ++census.listed;
        const unsigned char *bytes = file.scan(page);
        if (bytes && bytes[0] == kDataPage &&
            values::u32At(bytes + kPageOwnerOffset) == table->entry->table_pg) {
            census.owned.push_back(page);
            if (const std::string damage = pagechecks::dataPageDamage(bytes, page, formatOf(mdb));
                !damage.empty())
                fail("tabela " + name + ": " + damage);
        }
    }
    return census;
}

pagechecks::ReadPage pageReader(PageFile &file)
{
    return [&file](std::uint32_t page) { return file.read(page); };
}

// With no data pages to vouch for a definition, its indexes do: each index that has pages of its
// own starts on an index page of this table. Read from the definition's pages, not through
// libmdb, whose mdb_read_indices() reports failure even when it succeeds.
bool indexesBelong(MdbHandle *mdb, PageFile &file, MdbTableDef *table)
{
    pagechecks::Definition definition;
    std::string reason;
    const auto owner = static_cast<std::uint32_t>(table->entry->table_pg);
    return pagechecks::readDefinition(pageReader(file), owner, file.pages(), formatOf(mdb), definition,
                                      reason) &&
           pagechecks::indexesBelong(pageReader(file), definition, owner);
}

// Reads the rows of a table as libmdb's mdb_fetch_row finds them, calling onRow with the page in
// mdb->pg_buf and the row cracked into fields. The definition's row count may be stale: more rows
// are taken when every page the map lists is one of the table's data pages; fewer rows, or a map
// whose pages all belong to another table (a definition page that is not this table's), are
// damage.
template <typename OnRow>
std::uint32_t readRows(MdbHandle *mdb, PageFile &file, MdbTableDef *table, const std::string &name,
                       const std::string &damaged, OnRow onRow)
{
    const PageCensus census = censusOf(mdb, file, table, name);
    const auto owned = static_cast<std::uint32_t>(census.owned.size());
    if (census.walked && census.listed > 0 && owned == 0)
        fail("a definição da tabela " + name + " não corresponde às suas páginas de dados");
    if (census.walked && census.listed == 0 && !indexesBelong(mdb, file, table))
        fail("a definição da tabela " + name + " não corresponde às suas páginas de índice");
    const bool consistent = census.walked && owned == census.listed;
    const std::uint64_t bound =
        consistent ? std::uint64_t(census.listed) * (file.pageSize() / 2) : table->num_rows;
    std::uint32_t rows = 0;
    std::vector<MdbField> fields(table->num_cols);
    if (s_direct && census.walked && !census.broken) {
        // The pages libmdb would visit are the census's own: the listed pages that are this
        // table's data pages. On each, as mdb_read_row: rows it cannot place or that are empty
        // are passed over, and so are those flagged 0x4000 and those it cannot crack.
        for (const std::uint32_t page : census.owned) {
            const unsigned char *bytes = file.scan(page);
            if (!bytes)
                fail("não foi possível ler o arquivo");
            std::memcpy(mdb->pg_buf, bytes, file.pageSize());
            mdb->cur_pg = page;
            const int count = bytes[mdb->fmt->row_count_offset] | bytes[mdb->fmt->row_count_offset + 1] << 8;
            for (int row = 0; row < count; ++row) {
                int start = 0;
                size_t size = 0;
                if (!findRow(mdb, bytes, row, start, size) || size == 0 || (start & 0x4000) ||
                    mdb_crack_row(table, start & kOffsetMask, size, fields.data()) < 0)
                    continue;
                if (++rows > bound)
                    fail(damaged + "mais linhas do que a definição da tabela permite");
                onRow(fields.data());
            }
        }
    } else {
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            if (++rows > bound)
                fail(damaged + "mais linhas do que a definição da tabela permite");
            // mdb_fetch_row has just read row cur_row - 1 of the page in pg_buf.
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0 ||
                mdb_crack_row(table, start & kOffsetMask, size, fields.data()) < 0)
                fail(damaged + "linha danificada");
            onRow(fields.data());
        }
    }
    if (rows < table->num_rows)
        fail(damaged + "lidas " + std::to_string(rows) + " de " + std::to_string(table->num_rows) +
             " linhas");
    return rows;
}

MdbCatalogEntry *userTable(MdbHandle *mdb, unsigned int i)
{
    auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
    return entry && entry->object_type == MDB_TABLE && mdb_is_user_table(entry) ? entry : nullptr;
}

// libmdb reads past a missing page without a word, so the catalogue (MSysObjects) must hold all
// the rows its definition counts. Other system tables are never read and may be damaged.
void checkCatalogue(MdbHandle *mdb, PageFile &file)
{
    MdbCatalogEntry *catalogue = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !catalogue; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry && std::strcmp(entry->object_name, "MSysObjects") == 0)
            catalogue = entry;
    }
    if (!catalogue)
        fail("a tabela do catálogo está danificada (falta MSysObjects)");
    if (catalogue->table_pg >= file.pages())
        fail("o arquivo está truncado (o catálogo começa na página " + std::to_string(catalogue->table_pg) +
             " de " + std::to_string(file.pages()) + ")");
    MdbTableDef *table = mdb_read_table(catalogue);
    if (!table || !mdb_read_columns(table))
        fail("não foi possível ler a definição da tabela do catálogo");
    const PageCensus census = censusOf(mdb, file, table, "MSysObjects");
    std::uint32_t rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table) && rows <= table->num_rows)
        ++rows;
    const bool staleCount = rows > table->num_rows && census.walked && census.owned.size() == census.listed;
    if (rows < table->num_rows || (rows > table->num_rows && !staleCount))
        fail("a tabela do catálogo está danificada (lidas " + std::to_string(rows) + " de " +
             std::to_string(table->num_rows) + " entradas)");
    mdb_free_tabledef(table);
}

// A cut file shows in the page maps of its tables, even of tables never read. Only the maps are
// looked at: a system table with a damaged definition does not keep the user's tables from
// being read.
void checkNotTruncated(MdbHandle *mdb, PageFile &file)
{
    const auto truncated = [&](const char *name, const char *what, guint32 page) {
        fail("o arquivo está truncado (a tabela " + std::string(name) + " " + what + " " +
             std::to_string(page) + " de " + std::to_string(file.pages()) + ")");
    };
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (!entry || entry->object_type != MDB_TABLE)
            continue;
        if (entry->table_pg >= file.pages())
            truncated(entry->object_name, "começa na página", static_cast<guint32>(entry->table_pg));
        MdbTableDef *table = mdb_read_table(entry);
        if (!table)
            continue;
        guint32 page = 0;
        if (table->map_sz >= 1 && (table->usage_map[0] == 0 || table->usage_map[0] == 1)) {
            MapWalk map(mdb, file, table);
            for (gint32 next; (next = map.next(page)) > 0;) {
                if (static_cast<guint32>(next) >= file.pages())
                    truncated(entry->object_name, "tem dados na página", static_cast<guint32>(next));
                if (static_cast<guint32>(next) <= page)
                    break;
                page = static_cast<guint32>(next);
            }
        }
        mdb_free_tabledef(table);
    }
}

void listTables(Writer &out, MdbHandle *mdb, PageFile &file)
{
    checkCatalogue(mdb, file);
    checkNotTruncated(mdb, file);
    std::uint32_t count = 0;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        if (MdbCatalogEntry *entry = userTable(mdb, i)) {
            out.byte(mdbprotocol::TableRecord);
            out.text(entry->object_name);
            out.send();
            ++count;
        }
    }
    out.byte(mdbprotocol::EndRecord);
    out.u32(count);
    out.send();
}

void dumpTable(Writer &out, MdbHandle *mdb, PageFile &file, const char *name)
{
    MdbCatalogEntry *entry = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !entry; ++i) {
        MdbCatalogEntry *candidate = userTable(mdb, i);
        if (candidate && std::strcmp(candidate->object_name, name) == 0)
            entry = candidate;
    }
    if (!entry)
        fail(std::string("não existe a tabela ") + name);
    if (entry->table_pg >= file.pages())
        fail("o arquivo está truncado (a tabela " + std::string(name) + " começa na página " +
             std::to_string(entry->table_pg) + " de " + std::to_string(file.pages()) + ")");
    MdbTableDef *table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table))
        fail(std::string("não foi possível ler a definição da tabela ") + name);
    if (table->num_cols == 0 || table->num_cols > MDB_MAX_COLS || table->columns->len != table->num_cols)
        fail(std::string("a definição da tabela ") + name + " está danificada");

    pagechecks::Definition definition;
    std::string damage;
    if (!pagechecks::readDefinition(pageReader(file), static_cast<std::uint32_t>(entry->table_pg),
                                    file.pages(), formatOf(mdb), definition, damage) ||
        !(damage = pagechecks::columnsDamage(definition)).empty())
        fail(std::string("a definição da tabela ") + name + " está danificada: " + damage);
    const std::set<int> calculated = calculatedColumns(mdb, file, entry, table, name);
    std::vector<Column> columns;
    for (unsigned int c = 0; c < table->num_cols; ++c) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
        Column column{col, col->col_type, calculated.count(col->col_num) > 0};
        if (column.calculated) {
            const char *result = mdb_col_get_prop(col, "ResultType");
            if (result && std::atoi(result) > 0)
                column.type = std::atoi(result);
        }
        columns.push_back(column);
        out.byte(mdbprotocol::ColumnRecord);
        out.byte(kindOf(column.type));
        out.text(col->name);
        if (!understood(column.type)) {
            out.byte(mdbprotocol::NoteRecord);
            out.text(std::string("tabela ") + name + ", coluna " + col->name + ": tipo de dado " +
                     std::to_string(column.type) + " não reconhecido, lido como NULL");
        }
        out.send();
    }

    const std::string damaged = std::string("tabela ") + name + ": ";
    // The cracked fields tell NULL from empty text, which libmdb's bound strings cannot.
    const std::uint32_t rows = readRows(mdb, file, table, name, damaged, [&](const MdbField *fields) {
        out.byte(mdbprotocol::RowRecord);
        for (unsigned int c = 0; c < table->num_cols; ++c)
            writeValue(out, mdb, file, columns[c], fields[c], name);
        out.send();
    });
    out.byte(mdbprotocol::EndRecord);
    out.u32(rows);
    out.send();
    mdb_free_tabledef(table);
}

} // namespace

int main(int argc, char **argv)
{
    limitResources();
    const bool general = argc > 3 && std::strcmp(argv[argc - 1], kGeneralOption) == 0;
    const int arguments = general ? argc - 1 : argc;
    const bool list = arguments == 3 && std::strcmp(argv[2], mdbprotocol::kListTablesOption) == 0;
    const bool dump = arguments == 4 && std::strcmp(argv[2], mdbprotocol::kTableOption) == 0;
    if (!list && !dump) {
        std::fprintf(stderr, "usage: %s FILE --tables | FILE --table NAME [%s]\n", argv[0], kGeneralOption);
        return 64;
    }
    s_output = fdopen(dup(STDOUT_FILENO), "wb");
    if (!s_output || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        s_output = nullptr;
        fail("não foi possível preparar a saída");
    }
    s_record.reserve(1 << 16);
    // A pipe that holds more lets the engine take the rows in fewer, larger reads.
    fcntl(fileno(s_output), F_SETPIPE_SZ, kPipeBytes);
    static char buffer[kPipeBytes / 4];
    std::setvbuf(s_output, buffer, _IOFBF, sizeof buffer);
    putBytes(mdbprotocol::kMagic, sizeof mdbprotocol::kMagic);

    struct stat status;
    if (stat(argv[1], &status) != 0)
        fail("não foi possível ler o arquivo");
    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        fail("não é um banco de dados Access legível");
    PageFile file(argv[1], static_cast<std::size_t>(mdb->fmt->pg_size),
                  static_cast<std::uint32_t>(status.st_size / mdb->fmt->pg_size));
    // An encrypted file's pages are only readable through libmdb, which deciphers them.
    s_direct = !general && mdb->f->db_key == 0;
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        fail("não foi possível ler o catálogo de tabelas");

    Writer out;
    if (list)
        listTables(out, mdb, file);
    else
        dumpTable(out, mdb, file, argv[3]);
    if (std::fflush(s_output) != 0)
        return 3;
    mdb_close(mdb);
    return 0;
}
