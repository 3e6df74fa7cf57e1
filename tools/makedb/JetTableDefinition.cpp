#include "JetTableDefinition.h"

#include "JetText.h"

#include <cstring>
#include <stdexcept>

namespace makedb::jet
{

namespace
{

constexpr std::uint8_t UserTable = 0x4E;
constexpr std::uint8_t SystemTable = 0x53;
constexpr std::size_t ColumnsStart = 0x3F;
constexpr std::size_t ColumnEntrySize = 25;
constexpr std::size_t EndMarkSize = 2;
constexpr std::size_t IndexCountSize = 12;
constexpr std::uint32_t IndexMagic = 1923;
constexpr std::uint32_t TableMagic = 1625;
constexpr std::size_t MaxIndexColumns = 10;
constexpr std::uint8_t AscendingColumn = 0x01;
constexpr std::uint8_t UniqueIndex = 0x01;
constexpr std::uint8_t RequiredIndex = 0x08;
constexpr std::uint8_t PrimaryKeyIndex = 0x01;

// The indexes' definitions: first each one's columns, usage map and root page, then each one's
// number and kind; their names follow.
Bytes indexDefinitions(const std::vector<IndexPlace> &indexes)
{
    Bytes bytes;
    for (const auto &index : indexes) {
        const IndexDeclaration &declared = *index.declaration;
        if (declared.columns.empty() || declared.columns.size() > MaxIndexColumns)
            throw std::logic_error("an index takes 1 to 10 columns");
        append32(bytes, IndexMagic);
        for (std::size_t c = 0; c < MaxIndexColumns; ++c) {
            const bool used = c < declared.columns.size();
            append16(bytes, used ? static_cast<std::uint32_t>(declared.columns[c]) : 0xFFFF);
            bytes.push_back(used ? AscendingColumn : 0);
        }
        append32(bytes, index.usageMap);
        append32(bytes, index.root);
        append32(bytes, 0);
        bytes.push_back(declared.primaryKey ? UniqueIndex | RequiredIndex
                        : declared.unique   ? UniqueIndex
                                            : 0);
        bytes.resize(bytes.size() + 5);
    }
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        append32(bytes, TableMagic);
        append32(bytes, static_cast<std::uint32_t>(i)); // the index's number
        append32(bytes, static_cast<std::uint32_t>(i)); // the definition above that it uses
        bytes.push_back(0);                             // no related table
        append32(bytes, 0xFFFFFFFF);
        append32(bytes, 0);
        bytes.push_back(0); // no cascading updates
        bytes.push_back(0); // nor deletes
        bytes.push_back(indexes[i].declaration->primaryKey ? PrimaryKeyIndex : 0);
        append32(bytes, 0);
    }
    return bytes;
}
constexpr std::uint16_t GeneralSortOrder = 0x0409;

constexpr std::uint8_t FixedFlag = 0x01;
constexpr std::uint8_t NullableFlag = 0x02;
constexpr std::uint8_t CompressedUnicodeFlag = 0x01;

// Bytes of a fixed-size column in a row; a yes/no value lives in the null mask alone.
std::uint16_t fixedSize(std::uint8_t type)
{
    switch (type) {
    case ByteType:
        return 1;
    case IntegerType:
        return 2;
    case LongType:
        return 4;
    case DateTimeType:
        return 8;
    default:
        return 0;
    }
}

bool isVariable(std::uint8_t type)
{
    return type == TextType || type == MemoType || type == BinaryType || type == OleType;
}

bool isText(std::uint8_t type)
{
    return type == TextType || type == MemoType;
}

std::size_t characters(const std::string &utf8)
{
    std::size_t count = 0;
    for (unsigned char c : utf8)
        count += (c & 0xC0) != 0x80;
    return count;
}

} // namespace

TableDefinition::TableDefinition(const std::vector<ColumnDeclaration> &columns) : m_declared(columns)
{
    for (const auto &declared : columns) {
        Layout layout{declared, !isVariable(declared.type), fixedSize(declared.type), 0, 0};
        if (layout.fixed) {
            layout.fixedOffset = m_fixedSize;
            m_fixedSize = static_cast<std::uint16_t>(m_fixedSize + layout.size);
            if (declared.type == BooleanType)
                layout.size = 1; // declared as one byte all the same
        } else {
            layout.varIndex = m_varCount++;
            layout.size = declared.type == TextType     ? static_cast<std::uint16_t>(2 * declared.characters)
                          : declared.type == BinaryType ? static_cast<std::uint16_t>(declared.characters)
                                                        : 0;
        }
        m_columns.push_back(layout);
    }
}

Bytes TableDefinition::encodeValue(const Layout &column, const Value &value, LongValues &longValues) const
{
    const std::string &name = column.declared.name;
    const bool number = value.kind == Value::Kind::Number;
    Bytes bytes;
    switch (column.declared.type) {
    case ByteType:
        if (!number || value.number < 0 || value.number > 255)
            throw std::runtime_error("column " + name + " takes an 8-bit number");
        bytes.push_back(static_cast<std::uint8_t>(value.number));
        break;
    case IntegerType:
        if (!number || value.number < -32768 || value.number > 32767)
            throw std::runtime_error("column " + name + " takes a 16-bit number");
        append16(bytes, static_cast<std::uint32_t>(value.number));
        break;
    case LongType:
        if (!number || value.number < INT32_MIN || value.number > INT32_MAX)
            throw std::runtime_error("column " + name + " takes a 32-bit number");
        append32(bytes, static_cast<std::uint32_t>(value.number));
        break;
    case DateTimeType: {
        if (value.kind != Value::Kind::Text)
            throw std::runtime_error("column " + name + " takes a date and time");
        const double days = encodeDateTime(value.text);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &days, sizeof bits);
        append32(bytes, static_cast<std::uint32_t>(bits));
        append32(bytes, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    case TextType:
        if (characters(value.text) > static_cast<std::size_t>(column.declared.characters))
            throw std::runtime_error("text longer than the " + std::to_string(column.declared.characters) +
                                     " characters of column " + name + ": " + value.text);
        bytes = encodeText(value.text);
        break;
    case MemoType:
        bytes = longValues.memo(encodeText(value.text));
        break;
    case BinaryType:
        if (value.text.size() > column.size)
            throw std::runtime_error("binary value longer than column " + name);
        bytes.assign(value.text.begin(), value.text.end());
        break;
    case OleType:
        bytes = longValues.memo(Bytes(value.text.begin(), value.text.end()));
        break;
    default:
        throw std::runtime_error("column " + name + " takes no values");
    }
    return bytes;
}

Bytes TableDefinition::encodeRow(const Row &row, LongValues &longValues) const
{
    if (row.size() != m_columns.size())
        throw std::logic_error("row and table differ in columns");
    const std::size_t count = m_columns.size();
    Bytes bytes;
    append16(bytes, static_cast<std::uint32_t>(count));
    bytes.resize(2 + m_fixedSize);
    std::vector<std::uint16_t> varOffsets(m_varCount);
    Bytes present((count + 7) / 8);
    for (std::size_t i = 0; i < count; ++i) {
        const Layout &column = m_columns[i];
        const Value &value = row[i];
        // A yes/no column's value is its bit: set for yes.
        const bool set = column.declared.type == BooleanType
                             ? value.kind == Value::Kind::Number && value.number != 0
                             : value.kind != Value::Kind::Null;
        if (set)
            present[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
        if (column.declared.type == BooleanType)
            continue;
        if (!column.fixed)
            varOffsets[column.varIndex] = static_cast<std::uint16_t>(bytes.size());
        if (value.kind == Value::Kind::Null)
            continue; // a fixed column keeps its zeroed place, a variable one takes no bytes
        const Bytes data = encodeValue(column, value, longValues);
        if (column.fixed)
            std::copy(data.begin(), data.end(), bytes.begin() + 2 + column.fixedOffset);
        else
            bytes.insert(bytes.end(), data.begin(), data.end());
    }
    append16(bytes, static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t i = m_varCount; i-- > 0;)
        append16(bytes, varOffsets[i]);
    append16(bytes, m_varCount);
    bytes.insert(bytes.end(), present.begin(), present.end());
    if (bytes.size() > DataPage::MaxRow)
        throw std::runtime_error("a row is longer than a page");
    return bytes;
}

Page TableDefinition::page(std::uint32_t rowCount, std::uint32_t usageMap, std::uint32_t freeSpaceMap,
                           bool system, const std::vector<IndexPlace> &indexes) const
{
    const auto appendName = [](Bytes &bytes, const std::string &ascii) {
        append16(bytes, static_cast<std::uint32_t>(2 * ascii.size())); // names are plain ASCII
        for (unsigned char c : ascii)
            append16(bytes, c);
    };
    Bytes names;
    for (const auto &column : m_columns)
        appendName(names, column.declared.name);
    Bytes indexBytes = indexDefinitions(indexes);
    for (const auto &index : indexes)
        appendName(indexBytes, index.declaration->name);
    const std::size_t columnsStart = ColumnsStart + indexes.size() * IndexCountSize;
    const std::size_t length =
        columnsStart + m_columns.size() * ColumnEntrySize + names.size() + indexBytes.size() + EndMarkSize;
    if (length > PageSize)
        throw std::runtime_error("a table definition is longer than a page");

    Page page{};
    page[0] = TableDefinitionPageType;
    page[1] = 0x01;
    put16(&page[2], static_cast<std::uint32_t>(PageSize - length));
    put32(&page[8], static_cast<std::uint32_t>(length - 8));
    put32(&page[0x10], rowCount);
    page[0x28] = system ? SystemTable : UserTable;
    put16(&page[0x29], static_cast<std::uint32_t>(m_columns.size())); // columns ever added
    put16(&page[0x2B], m_varCount);
    put16(&page[0x2D], static_cast<std::uint32_t>(m_columns.size()));
    put32(&page[0x2F], static_cast<std::uint32_t>(indexes.size())); // as indexes
    put32(&page[0x33], static_cast<std::uint32_t>(indexes.size())); // with pages of their own
    for (std::size_t i = 0; i < indexes.size(); ++i)
        put32(&page[ColumnsStart + i * IndexCountSize + 4], indexes[i].distinctKeys);
    put32(&page[0x37], usageMap);
    put32(&page[0x3B], freeSpaceMap);
    std::uint8_t *entry = &page[columnsStart];
    for (std::size_t i = 0; i < m_columns.size(); ++i, entry += ColumnEntrySize) {
        const Layout &column = m_columns[i];
        entry[0] = column.declared.type;
        put16(entry + 5, static_cast<std::uint32_t>(i));
        put16(entry + 7, column.fixed ? 0 : column.varIndex);
        put16(entry + 9, static_cast<std::uint32_t>(i));
        if (isText(column.declared.type)) {
            put16(entry + 11, GeneralSortOrder);
            entry[16] = CompressedUnicodeFlag;
        }
        entry[15] = static_cast<std::uint8_t>((column.fixed ? FixedFlag : 0) | NullableFlag);
        put16(entry + 21, column.fixed ? column.fixedOffset : 0);
        put16(entry + 23, column.size);
    }
    std::uint8_t *end = std::copy(names.begin(), names.end(), entry);
    end = std::copy(indexBytes.begin(), indexBytes.end(), end);
    put16(end, 0xFFFF); // no column usage maps follow
    return page;
}

} // namespace makedb::jet
