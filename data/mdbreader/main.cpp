// zelt-mdb-reader: reads an Access (Jet 3, Jet 4, ACE) file for the engine, in a process of its
// own, because libmdb can crash or loop forever on a damaged file. Writes the stream described in
// data/MdbProtocol.h on stdout.
//   zelt-mdb-reader FILE --tables          the user tables
//   zelt-mdb-reader FILE --table NAME      one table's columns and rows

#include "data/MdbProtocol.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The stream for the engine. libmdb prints some of its complaints on stdout, so the stream
// takes over the original stdout and stdout itself is sent to stderr, where complaints belong.
FILE *s_output = nullptr;

[[noreturn]] void fail(const std::string &message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", message.c_str());
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

class Writer
{
public:
    void byte(std::uint8_t value) { put(&value, 1); }
    void u32(std::uint32_t value)
    {
        unsigned char bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
        put(bytes, 4);
    }
    void i64(std::int64_t value)
    {
        unsigned char bytes[8];
        const auto u = static_cast<std::uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<unsigned char>(u >> (8 * i));
        put(bytes, 8);
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
            fail("value too long");
        u32(static_cast<std::uint32_t>(size));
        put(data, size);
    }
    void text(const std::string &value) { bytes(value.data(), value.size()); }

private:
    static void put(const void *data, size_t size)
    {
        if (size > 0 && std::fwrite(data, 1, size, s_output) != size)
            fail("cannot write the output");
    }
};

std::uint32_t u32At(const void *buffer, int offset)
{
    const auto *b = static_cast<const unsigned char *>(buffer) + offset;
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
           std::uint32_t(b[3]) << 24;
}

std::string textOf(MdbHandle *mdb, const char *source, size_t size)
{
    // UCS-2 (possibly compressed) or a single-byte code page becomes UTF-8: at most 3 bytes
    // per source byte.
    std::string out(size * 3 + 4, '\0');
    const int length = mdb_unicode2ascii(mdb, source, size, out.data(), out.size());
    out.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return out;
}

// The bytes of a memo or OLE value, inline or on long-value pages. libmdb's own reader
// returns an empty text for a broken page chain and can loop on one; here either is an error.
std::string longValue(MdbHandle *mdb, const MdbField &field, const char *table, const char *column)
{
    const auto where = [&] { return std::string("table ") + table + ", column " + column + ": "; };
    if (field.siz < MDB_MEMO_OVERHEAD)
        fail(where() + "damaged long value");
    const std::uint32_t header = u32At(mdb->pg_buf, field.start);
    const std::uint32_t length = header & kLengthMask;
    if (header & kInlineValue) {
        if (length > static_cast<std::uint32_t>(field.siz - MDB_MEMO_OVERHEAD))
            fail(where() + "damaged inline value");
        return std::string(reinterpret_cast<const char *>(mdb->pg_buf) + field.start + MDB_MEMO_OVERHEAD,
                           field.siz - MDB_MEMO_OVERHEAD);
    }
    if ((header & 0xC0000000u) == 0xC0000000u)
        fail(where() + "damaged long value header");
    std::string value;
    int pageRow = static_cast<int>(u32At(mdb->pg_buf, field.start + 4));
    const bool singlePage = (header & kSinglePageValue) != 0;
    while (true) {
        void *buffer = nullptr;
        int start = 0;
        size_t size = 0;
        if (pageRow == 0 || mdb_find_pg_row(mdb, pageRow, &buffer, &start, &size) != 0)
            fail(where() + "long value points to a missing page");
        if (singlePage) {
            if (size < length)
                fail(where() + "long value shorter than its length");
            value.assign(static_cast<const char *>(buffer) + start, length);
            return value;
        }
        if (size <= 4)
            fail(where() + "damaged long value chain");
        if (value.size() + (size - 4) > length)
            fail(where() + "long value longer than its length");
        value.append(static_cast<const char *>(buffer) + start + 4, size - 4);
        pageRow = static_cast<int>(u32At(buffer, start));
        if (value.size() == length)
            return value;
    }
}

// Access stores a moment as days since 1899-12-30; the fraction is the time of day, counted
// forward even for days before that date.
std::string isoDateTime(double stored, const char *table, const char *column)
{
    if (!std::isfinite(stored) || std::fabs(stored) > 3.0e6)
        fail(std::string("table ") + table + ", column " + column + ": invalid date");
    double wholeDays = std::trunc(stored);
    long long seconds = std::llround(std::fabs(stored - wholeDays) * 86400.0);
    long long days = static_cast<long long>(wholeDays);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    // Proleptic Gregorian date from the day count, shifted to start at 0000-03-01 so that leap
    // days fall at the end of the year.
    const long long z = days + 693899;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[96];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", year, month, day,
                  seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
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
    case MDB_MONEY:
    case MDB_NUMERIC:
        return RealColumn;
    case MDB_DATETIME:
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

void writeValue(Writer &out, MdbHandle *mdb, MdbColumn *col, const MdbField &field, const char *table)
{
    using namespace mdbprotocol;
    if (col->col_type == MDB_BOOL) {
        // A yes/no value lives in the null mask: set means yes. Access counts yes as -1.
        out.byte(IntegerValue);
        out.i64(field.is_null ? 0 : -1);
        return;
    }
    if (field.is_null) {
        out.byte(NullValue);
        return;
    }
    const int start = field.start;
    if (start < 0 || field.siz < 0 || start + field.siz > mdb->fmt->pg_size)
        fail(std::string("table ") + table + ", column " + col->name + ": damaged row");
    void *page = mdb->pg_buf;
    switch (col->col_type) {
    case MDB_BYTE:
        out.byte(IntegerValue);
        out.i64(mdb_get_byte(page, start));
        return;
    case MDB_INT:
        out.byte(IntegerValue);
        out.i64(static_cast<std::int16_t>(mdb_get_int16(page, start)));
        return;
    case MDB_LONGINT:
    case MDB_COMPLEX:
        out.byte(IntegerValue);
        out.i64(static_cast<std::int32_t>(u32At(page, start)));
        return;
    case MDB_FLOAT:
        out.byte(RealValue);
        out.real(mdb_get_single(page, start));
        return;
    case MDB_DOUBLE:
        out.byte(RealValue);
        out.real(mdb_get_double(page, start));
        return;
    case MDB_MONEY: {
        // A currency value is a 64-bit count of ten-thousandths.
        const std::int64_t units = static_cast<std::int64_t>(u32At(page, start)) |
                                   static_cast<std::int64_t>(u32At(page, start + 4)) << 32;
        out.byte(RealValue);
        out.real(static_cast<double>(units) / 10000.0);
        return;
    }
    case MDB_NUMERIC: {
        char *text = mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec);
        out.byte(RealValue);
        out.real(std::strtod(text, nullptr));
        g_free(text);
        return;
    }
    case MDB_DATETIME:
        out.byte(TextValue);
        out.text(isoDateTime(mdb_get_double(page, start), table, col->name));
        return;
    case MDB_MEMO: {
        const std::string raw = longValue(mdb, field, table, col->name);
        out.byte(TextValue);
        out.text(textOf(mdb, raw.data(), raw.size()));
        return;
    }
    case MDB_OLE: {
        const std::string raw = longValue(mdb, field, table, col->name);
        out.byte(BlobValue);
        out.bytes(raw.data(), raw.size());
        return;
    }
    case MDB_BINARY:
        out.byte(BlobValue);
        out.bytes(static_cast<const char *>(page) + start, field.siz);
        return;
    case MDB_TEXT:
        out.byte(TextValue);
        out.text(textOf(mdb, static_cast<const char *>(page) + start, field.siz));
        return;
    default: {
        char *text = mdb_col_to_string(mdb, page, start, col->col_type, field.siz);
        out.byte(TextValue);
        out.text(text ? text : "");
        g_free(text);
        return;
    }
    }
}

MdbCatalogEntry *userTable(MdbHandle *mdb, unsigned int i)
{
    auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
    return entry && entry->object_type == MDB_TABLE && mdb_is_user_table(entry) ? entry : nullptr;
}

// libmdb reads past a missing page without a word when the page is not needed yet, so the file
// is checked before any table is listed: the catalogue (MSysObjects) must hold all the rows its
// definition counts, and every table's definition and data pages must lie inside the file.
void checkFile(MdbHandle *mdb, std::uint32_t pages)
{
    MdbCatalogEntry *catalogue = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !catalogue; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry && std::strcmp(entry->object_name, "MSysObjects") == 0)
            catalogue = entry;
    }
    if (!catalogue)
        fail("the table catalogue is damaged (MSysObjects is missing)");
    MdbTableDef *table = mdb_read_table(catalogue);
    if (!table || !mdb_read_columns(table))
        fail("cannot read the definition of the table catalogue");
    std::uint32_t rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table) && rows <= table->num_rows)
        ++rows;
    if (rows != table->num_rows)
        fail("the table catalogue is damaged (read " + std::to_string(rows) + " of " +
             std::to_string(table->num_rows) + " entries)");
    mdb_free_tabledef(table);

    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (!entry || entry->object_type != MDB_TABLE)
            continue;
        const std::string where = std::string("table ") + entry->object_name;
        if (entry->table_pg >= pages)
            fail("the file is truncated (" + where + " starts on page " + std::to_string(entry->table_pg) +
                 " of " + std::to_string(pages) + ")");
        MdbTableDef *definition = mdb_read_table(entry);
        if (!definition)
            fail("cannot read the definition of " + where);
        guint32 page = 0;
        for (std::uint32_t steps = 0;; ++steps) {
            const gint32 next = mdb_map_find_next(mdb, definition->usage_map, definition->map_sz, page);
            if (next <= 0)
                break; // no more pages, or a map kind libmdb cannot walk without reading
            if (static_cast<guint32>(next) >= pages)
                fail("the file is truncated (" + where + " has data on page " + std::to_string(next) +
                     " of " + std::to_string(pages) + ")");
            if (static_cast<guint32>(next) <= page || steps > pages)
                fail("the page map of " + where + " is damaged");
            page = static_cast<guint32>(next);
        }
        mdb_free_tabledef(definition);
    }
}

void listTables(Writer &out, MdbHandle *mdb, std::uint32_t pages)
{
    checkFile(mdb, pages);
    std::uint32_t count = 0;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        if (MdbCatalogEntry *entry = userTable(mdb, i)) {
            out.byte(mdbprotocol::TableRecord);
            out.text(entry->object_name);
            ++count;
        }
    }
    out.byte(mdbprotocol::EndRecord);
    out.u32(count);
}

void dumpTable(Writer &out, MdbHandle *mdb, const char *name)
{
    MdbCatalogEntry *entry = nullptr;
    for (unsigned int i = 0; i < mdb->num_catalog && !entry; ++i) {
        MdbCatalogEntry *candidate = userTable(mdb, i);
        if (candidate && std::strcmp(candidate->object_name, name) == 0)
            entry = candidate;
    }
    if (!entry)
        fail(std::string("no table named ") + name);
    MdbTableDef *table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table))
        fail(std::string("cannot read the definition of table ") + name);
    if (table->num_cols == 0 || table->num_cols > MDB_MAX_COLS || table->columns->len != table->num_cols)
        fail(std::string("damaged definition of table ") + name);

    for (unsigned int c = 0; c < table->num_cols; ++c) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
        out.byte(mdbprotocol::ColumnRecord);
        out.byte(kindOf(col->col_type));
        out.text(col->name);
    }

    std::vector<MdbField> fields(table->num_cols);
    std::uint32_t rows = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // The definition's row count bounds the scan: a damaged page map cannot make it endless.
        if (++rows > table->num_rows)
            fail(std::string("table ") + name + " holds more rows than its definition says");
        // mdb_fetch_row has just read row cur_row - 1 of the page in pg_buf; crack it again to
        // tell NULL from empty text, which its bound strings cannot.
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0)
            fail(std::string("table ") + name + ": damaged row");
        start &= kOffsetMask;
        if (mdb_crack_row(table, start, size, fields.data()) < 0)
            fail(std::string("table ") + name + ": damaged row");
        out.byte(mdbprotocol::RowRecord);
        for (unsigned int c = 0; c < table->num_cols; ++c) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
            writeValue(out, mdb, col, fields[c], name);
        }
    }
    if (rows != table->num_rows)
        fail(std::string("table ") + name + ": read " + std::to_string(rows) + " rows, its definition says " +
             std::to_string(table->num_rows));
    out.byte(mdbprotocol::EndRecord);
    out.u32(rows);
    mdb_free_tabledef(table);
}

} // namespace

int main(int argc, char **argv)
{
    limitResources();
    const bool list = argc == 3 && std::strcmp(argv[2], mdbprotocol::kListTablesOption) == 0;
    const bool dump = argc == 4 && std::strcmp(argv[2], mdbprotocol::kTableOption) == 0;
    if (!list && !dump) {
        std::fprintf(stderr, "usage: %s FILE --tables | FILE --table NAME\n", argv[0]);
        return 64;
    }
    s_output = fdopen(dup(STDOUT_FILENO), "wb");
    if (!s_output || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        fail("cannot set up the output");
    static char buffer[1 << 16];
    std::setvbuf(s_output, buffer, _IOFBF, sizeof buffer);

    struct stat file;
    if (stat(argv[1], &file) != 0)
        fail("cannot read the file");
    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        fail("not a readable Access database");
    const auto pages = static_cast<std::uint32_t>(file.st_size / mdb->fmt->pg_size);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        fail("cannot read the table catalogue");

    Writer out;
    std::fwrite(mdbprotocol::kMagic, 1, sizeof mdbprotocol::kMagic, s_output);
    if (list)
        listTables(out, mdb, pages);
    else
        dumpTable(out, mdb, argv[3]);
    if (std::fflush(s_output) != 0)
        fail("cannot write the output");
    mdb_close(mdb);
    return 0;
}
