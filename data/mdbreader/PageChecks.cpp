#include "PageChecks.h"

#include "Values.h"

#include <cstring>
#include <set>

namespace pagechecks
{

namespace
{

constexpr unsigned kOffsetMask = 0x1FFF;
constexpr unsigned kDeletedRow = 0x8000;
constexpr unsigned char kTableDefinitionPage = 0x02;
constexpr unsigned char kIndexNodePage = 0x03;
constexpr unsigned char kIndexLeafPage = 0x04;
constexpr std::size_t kOwnerOffset = 4;
constexpr std::size_t kContinuationHeader = 8;

// Where a table definition keeps what these checks read, in Jet 3 and in later versions.
struct Layout {
    std::size_t maxColumns, columnCount, realIndexCount, columnsStart, realIndexEntry, columnEntry;
    std::size_t columnNumber, varIndex, flags, nameLength, indexDefinition, indexRoot;
};
constexpr Layout kJet3{0x15, 0x19, 0x1F, 43, 8, 18, 1, 3, 13, 1, 39, 34};
constexpr Layout kJet4{0x29, 0x2D, 0x33, 63, 12, 25, 5, 7, 15, 2, 52, 38};
constexpr unsigned char kFixedColumn = 0x01;

unsigned u16At(const unsigned char *b)
{
    return unsigned(b[0]) | unsigned(b[1]) << 8;
}

// Type codes of Jet 3 to ACE 17, those readers treat as unknown (0x0D, 0x11) included.
bool definedType(int type)
{
    return (type >= 0x01 && type <= 0x0D) || (type >= 0x0F && type <= 0x14);
}

std::string pageName(std::uint32_t number)
{
    return "a página " + std::to_string(number);
}

} // namespace

std::string dataPageDamage(const unsigned char *page, std::uint32_t number, const Format &format)
{
    const std::size_t countAt = format.jet3 ? 8 : 12;
    const std::size_t rows = u16At(page + countAt);
    const std::size_t tableEnd = countAt + 2 + 2 * rows;
    if (tableEnd > format.pageSize)
        return pageName(number) + " diz ter " + std::to_string(rows) + " linhas, mais do que cabem nela";
    std::size_t end = format.pageSize;
    for (std::size_t row = 0; row < rows; ++row) {
        const unsigned offset = u16At(page + countAt + 2 + 2 * row);
        const std::size_t start = offset & kOffsetMask;
        // A deleted row's bytes are never read; its offset only ends the row after it.
        if (!(offset & kDeletedRow) && (start < tableEnd || start >= end || end > format.pageSize))
            return "a linha " + std::to_string(row) + " d" + pageName(number) + " está fora do seu lugar";
        end = start;
    }
    return {};
}

std::string longValueRowDamage(const unsigned char *page, std::uint32_t number, int row, const Format &format)
{
    const unsigned rows = u16At(page + (format.jet3 ? 8 : 12));
    if (row < 0 || static_cast<unsigned>(row) >= rows)
        return "o valor longo aponta para a linha " + std::to_string(row) + " d" + pageName(number) +
               ", que tem " + std::to_string(rows);
    return dataPageDamage(page, number, format);
}

std::string textDamage(const unsigned char *bytes, std::size_t size, std::size_t maxBytes,
                       const Format &format)
{
    // Words only for damage: this runs for every text of a table.
    const char *const tooLong = "texto mais longo do que a coluna permite";
    if (format.jet3)
        return maxBytes > 0 && size > maxBytes ? tooLong : std::string();
    const char *const odd = "texto UCS-2 com número ímpar de bytes";
    std::size_t units = 0;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool oneByte = true;
        for (std::size_t i = 2; i < size;) {
            if (bytes[i] == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                // A run of one-byte characters lasts to the next switch.
                const auto *zero = static_cast<const unsigned char *>(std::memchr(bytes + i, 0, size - i));
                const std::size_t end = zero ? static_cast<std::size_t>(zero - bytes) : size;
                units += end - i;
                i = end;
            } else if (i + 1 < size) {
                ++units;
                i += 2;
            } else {
                return odd;
            }
        }
    } else if (size % 2 != 0) {
        return odd;
    } else {
        units = size / 2;
    }
    return maxBytes > 0 && units > maxBytes / 2 ? tooLong : std::string();
}

bool readDefinition(const ReadPage &read, std::uint32_t first, std::uint32_t pages, const Format &format,
                    Definition &definition, std::string &reason)
{
    const Layout &at = format.jet3 ? kJet3 : kJet4;
    // The definition continues on further pages, each after its 8-byte header.
    std::vector<unsigned char> bytes;
    std::set<std::uint32_t> seen;
    for (std::uint32_t page = first; page != 0;) {
        const unsigned char *data = read(page);
        if (!data || data[0] != kTableDefinitionPage || !seen.insert(page).second || seen.size() > pages) {
            reason = "a cadeia de páginas da definição está danificada";
            return false;
        }
        bytes.insert(bytes.end(), data + (page == first ? 0 : kContinuationHeader), data + format.pageSize);
        page = values::u32At(data + 4);
    }
    const auto damaged = [&] {
        reason = "a definição é mais curta do que as suas colunas e índices";
        return false;
    };
    if (bytes.size() < at.columnsStart)
        return damaged();
    definition.maxColumns = static_cast<int>(u16At(&bytes[at.maxColumns]));
    const std::size_t columns = u16At(&bytes[at.columnCount]);
    const std::size_t realIndexes = values::u32At(&bytes[at.realIndexCount]);
    if (realIndexes > 1000)
        return damaged();
    std::size_t pos = at.columnsStart + realIndexes * at.realIndexEntry;
    if (pos + columns * at.columnEntry > bytes.size())
        return damaged();
    definition.columns.clear();
    for (std::size_t c = 0; c < columns; ++c, pos += at.columnEntry) {
        const unsigned char *entry = &bytes[pos];
        definition.columns.push_back({entry[0],
                                      static_cast<int>(u16At(entry + at.columnNumber)),
                                      static_cast<int>(u16At(entry + at.varIndex)),
                                      (entry[at.flags] & kFixedColumn) != 0,
                                      {}});
    }
    for (auto &column : definition.columns) {
        if (pos + at.nameLength > bytes.size())
            return damaged();
        const std::size_t length = at.nameLength == 1 ? bytes[pos] : u16At(&bytes[pos]);
        pos += at.nameLength;
        if (pos + length > bytes.size())
            return damaged();
        column.name = format.jet3 ? std::string(reinterpret_cast<const char *>(&bytes[pos]), length)
                                  : values::jet4Text(&bytes[pos], length);
        pos += length;
    }
    definition.indexRoots.clear();
    for (std::size_t i = 0; i < realIndexes; ++i, pos += at.indexDefinition) {
        if (pos + at.indexDefinition > bytes.size())
            return damaged();
        definition.indexRoots.push_back(values::u32At(&bytes[pos + at.indexRoot]));
    }
    return true;
}

std::string columnsDamage(const Definition &definition)
{
    std::vector<const Definition::Column *> byNumber(static_cast<std::size_t>(definition.maxColumns),
                                                     nullptr);
    std::vector<const Definition::Column *> byVarIndex;
    for (const auto &column : definition.columns) {
        const std::string name = "a coluna " + column.name;
        if (!definedType(column.type))
            return name + " tem o tipo de dado " + std::to_string(column.type) + ", que não existe";
        if (column.number >= definition.maxColumns)
            return name + " tem o número " + std::to_string(column.number) + ", além das " +
                   std::to_string(definition.maxColumns) + " colunas da tabela";
        if (const auto *other = byNumber[static_cast<std::size_t>(column.number)])
            return "as colunas " + other->name + " e " + column.name + " têm o mesmo número";
        byNumber[static_cast<std::size_t>(column.number)] = &column;
        if (column.fixed)
            continue;
        const auto slot = static_cast<std::size_t>(column.varIndex);
        if (slot >= byVarIndex.size())
            byVarIndex.resize(slot + 1, nullptr);
        if (const auto *other = byVarIndex[slot])
            return "as colunas " + other->name + " e " + column.name +
                   " têm o mesmo lugar entre as de tamanho variável";
        byVarIndex[slot] = &column;
    }
    return {};
}

bool indexesBelong(const ReadPage &read, const Definition &definition, std::uint32_t owner)
{
    for (const std::uint32_t root : definition.indexRoots) {
        const unsigned char *page = read(root);
        if (root == 0 || !page || (page[0] != kIndexNodePage && page[0] != kIndexLeafPage) ||
            values::u32At(page + kOwnerOffset) != owner)
            return false;
    }
    return true;
}

} // namespace pagechecks
