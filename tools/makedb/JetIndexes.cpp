#include "JetIndexes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace makedb::jet
{

namespace
{

constexpr std::uint8_t StartFlag = 0x7F; // ascending, not NULL
constexpr std::uint8_t NullFlag = 0x00;
constexpr std::uint8_t EndText = 0x01;
constexpr std::uint8_t EndExtraText = 0x00;

// Index pages: a header, a bitmap marking where each entry ends, then the entries.
constexpr std::size_t PrevPageOffset = 12;
constexpr std::size_t NextPageOffset = 16;
constexpr std::size_t EntryMaskOffset = 27;
constexpr std::size_t EntryMaskSize = 453;
constexpr std::size_t EntriesOffset = EntryMaskOffset + EntryMaskSize;
constexpr std::size_t MaxEntryBytes = PageSize - EntriesOffset;
constexpr std::size_t RowAddressSize = 4;
constexpr std::size_t ChildPageSize = 4;

// The General sort order's code of a digit or a letter (either case sorts alike).
std::uint8_t textCode(char c)
{
    static const std::uint8_t letters[26] = {0x4A, 0x4C, 0x4D, 0x4F, 0x51, 0x53, 0x55, 0x57, 0x59,
                                             0x5B, 0x5C, 0x5E, 0x60, 0x62, 0x64, 0x66, 0x68, 0x69,
                                             0x6B, 0x6D, 0x6F, 0x71, 0x73, 0x75, 0x76, 0x78};
    if (c >= '0' && c <= '9')
        return static_cast<std::uint8_t>(0x36 + 2 * (c - '0'));
    if (c >= 'A' && c <= 'Z')
        return letters[c - 'A'];
    if (c >= 'a' && c <= 'z')
        return letters[c - 'a'];
    throw std::runtime_error(std::string("an index key holds a character other than digits and letters: ") +
                             c);
}

void appendBigEndian(Bytes &bytes, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct Span {
    const std::uint8_t *data;
    std::size_t size;
};

Page indexPage(bool leaf, std::uint32_t owner, std::uint32_t previous, std::uint32_t next,
               const Span *entries, std::size_t count)
{
    Page page{};
    page[0] = leaf ? IndexLeafPageType : IndexNodePageType;
    page[1] = 0x01;
    put32(&page[4], owner);
    put32(&page[PrevPageOffset], previous);
    put32(&page[NextPageOffset], next);
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(&page[EntriesOffset + total], entries[i].data, entries[i].size);
        total += entries[i].size;
        page[EntryMaskOffset + total / 8] |= static_cast<std::uint8_t>(1u << (total % 8));
    }
    put16(&page[2], static_cast<std::uint32_t>(MaxEntryBytes - total));
    return page;
}

} // namespace

Bytes indexKey(const std::vector<ColumnDeclaration> &columns, const IndexDeclaration &index, const Row &row)
{
    Bytes key;
    for (std::size_t position : index.columns) {
        const Value &value = row.at(position);
        if (value.kind == Value::Kind::Null) {
            key.push_back(NullFlag);
            continue;
        }
        key.push_back(StartFlag);
        switch (columns.at(position).type) {
        case TextType:
            for (char c : value.text)
                key.push_back(textCode(c));
            key.push_back(EndText);
            key.push_back(EndExtraText);
            break;
        case LongType: // the sign bit flipped, so that negative numbers sort first
            appendBigEndian(key, static_cast<std::uint32_t>(value.number) ^ 0x80000000u, 4);
            break;
        case IntegerType:
            appendBigEndian(key, (static_cast<std::uint32_t>(value.number) & 0xFFFF) ^ 0x8000u, 2);
            break;
        default:
            throw std::logic_error("the writer indexes texts and whole numbers only");
        }
    }
    return key;
}

IndexBuilder::IndexBuilder(IndexDeclaration declaration, std::vector<ColumnDeclaration> columns)
    : m_declaration(std::move(declaration)), m_columns(std::move(columns))
{
}

void IndexBuilder::add(const Row &row, std::uint32_t rowPointer)
{
    // The row's address follows the key, page big-endian in three bytes, then the row.
    const Bytes key = indexKey(m_columns, m_declaration, row);
    if (key.size() + RowAddressSize + ChildPageSize > MaxEntryBytes)
        throw std::runtime_error("an index key longer than an index page holds in " + m_declaration.name);
    const auto offset = static_cast<std::uint32_t>(m_pool.size());
    m_pool.insert(m_pool.end(), key.begin(), key.end());
    appendBigEndian(m_pool, rowPointer, 4);
    m_entries.emplace_back(offset, static_cast<std::uint16_t>(key.size() + RowAddressSize));
}

void IndexBuilder::write(PageFile &file, std::uint32_t owner)
{
    // Keys end in marks no code byte equals, so comparing whole entries orders them by key, then
    // by the row's address, as readers expect.
    const auto less = [this](const auto &a, const auto &b) {
        return std::lexicographical_compare(m_pool.begin() + a.first, m_pool.begin() + a.first + a.second,
                                            m_pool.begin() + b.first, m_pool.begin() + b.first + b.second);
    };
    std::sort(m_entries.begin(), m_entries.end(), less);
    std::vector<Span> level;
    level.reserve(m_entries.size());
    m_distinctKeys = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Span entry{m_pool.data() + m_entries[i].first, m_entries[i].second};
        const bool sameKey = i > 0 && level.back().size == entry.size &&
                             std::memcmp(level.back().data, entry.data, entry.size - RowAddressSize) == 0;
        if (sameKey && m_declaration.unique)
            throw std::runtime_error("two rows share a key of unique index " + m_declaration.name);
        m_distinctKeys += sameKey ? 0 : 1;
        level.push_back(entry);
    }

    // Leaf pages hold every entry; each node page holds, for each page below it, that page's last
    // entry and its number; the single page of the top level is the root.
    std::vector<Bytes> nodeEntries;
    bool leaf = true;
    while (true) {
        std::vector<std::pair<std::size_t, std::size_t>> groups; // [first, last) of each page
        std::size_t first = 0;
        std::size_t used = 0;
        for (std::size_t i = 0; i < level.size(); ++i) {
            if (i > first && used + level[i].size > MaxEntryBytes) {
                groups.emplace_back(first, i);
                first = i;
                used = 0;
            }
            used += level[i].size;
        }
        groups.emplace_back(first, level.size());
        std::vector<std::uint32_t> numbers;
        for (std::size_t g = 0; g < groups.size(); ++g)
            numbers.push_back(file.allocate());
        for (std::size_t g = 0; g < groups.size(); ++g)
            file.write(numbers[g],
                       indexPage(leaf, owner, g > 0 ? numbers[g - 1] : 0,
                                 g + 1 < groups.size() ? numbers[g + 1] : 0, level.data() + groups[g].first,
                                 groups[g].second - groups[g].first));
        m_pages.insert(m_pages.end(), numbers.begin(), numbers.end());
        if (groups.size() == 1) {
            m_root = numbers.front();
            break;
        }
        std::vector<Bytes> above;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const Span &last = level[groups[g].second - 1];
            Bytes entry(last.data, last.data + last.size - (leaf ? 0 : ChildPageSize));
            appendBigEndian(entry, numbers[g], 4);
            above.push_back(std::move(entry));
        }
        nodeEntries = std::move(above);
        level.clear();
        for (const Bytes &entry : nodeEntries)
            level.push_back({entry.data(), entry.size()});
        leaf = false;
    }
    std::sort(m_pages.begin(), m_pages.end());
    m_pool = Bytes();
    m_entries = {};
}

} // namespace makedb::jet
