#include "JetCatalogue.h"

#include "JetText.h"

#include <cmath>
#include <cstring>

namespace makedb::jet
{

namespace
{

constexpr std::uint32_t HeaderPage = 0;
constexpr std::uint32_t CataloguePage = 2; // where readers look for MSysObjects' definition

// Inline usage maps cover this many bytes of bitmap; a table whose data pages spread further gets
// a map of pointers to whole bitmap pages.
constexpr std::size_t InlineMapBytes = 64;
constexpr std::size_t PagesPerMapPage = (PageSize - 4) * 8;

constexpr long long TableObject = 1;
constexpr long long SystemObjectFlags = static_cast<std::int32_t>(0x80000002u);

void rc4(const std::uint8_t *key, std::size_t keyLength, std::uint8_t *data, std::size_t length)
{
    std::uint8_t state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<std::uint8_t>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[static_cast<std::size_t>(i) % keyLength]) & 0xFF;
        std::swap(state[i], state[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + state[i]) & 0xFF;
        std::swap(state[i], state[j]);
        data[n] ^= state[(state[i] + state[j]) & 0xFF];
    }
}

std::vector<ColumnDeclaration> catalogueColumns()
{
    return {{"Id", LongType},      {"ParentId", LongType}, {"Name", TextType, 128},
            {"Type", IntegerType}, {"Flags", LongType},    {"LvProp", OleType}};
}

Value number(long long value)
{
    return {Value::Kind::Number, value, {}};
}

} // namespace

Page headerPage(double creationDate)
{
    Page page{};
    page[1] = 0x01;
    const char engine[] = "Standard Jet DB";
    std::memcpy(&page[4], engine, sizeof engine);
    put32(&page[0x14], 1); // Jet 4
    put16(&page[0x3C], 1252);
    // The password slot holds its mask, which is what an empty password looks like.
    const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::floor(creationDate)));
    for (std::size_t i = 0; i < 40; i += 4)
        put32(&page[0x42 + i], mask);
    put16(&page[0x6E], 0x0409);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &creationDate, sizeof bits);
    put32(&page[0x72], static_cast<std::uint32_t>(bits));
    put32(&page[0x76], static_cast<std::uint32_t>(bits >> 32));
    const std::uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(key, sizeof key, &page[0x18], 128);
    return page;
}

Catalogue::Catalogue(PageFile &file) : m_file(file)
{
    m_file.allocate(); // the header, written last
    m_mapPage = m_file.allocate();
    m_catalogueDefinitionPage = m_file.allocate();
}

void Catalogue::addTable(TableEntry table)
{
    m_tables.push_back(std::move(table));
}

Bytes Catalogue::usageMap(const std::vector<std::uint32_t> &pages)
{
    Bytes map;
    const std::uint32_t first = pages.empty() ? 0 : pages.front();
    const std::uint32_t last = pages.empty() ? 0 : pages.back();
    if (pages.empty() || (last - first) / 8 < InlineMapBytes) {
        map.push_back(0x00);
        append32(map, first);
        map.resize(5 + InlineMapBytes);
        for (std::uint32_t page : pages)
            map[5 + (page - first) / 8] |= static_cast<std::uint8_t>(1u << ((page - first) % 8));
        return map;
    }
    // One bitmap page for each stretch of pages up to the last one, empty stretches included:
    // a reader that meets a missing bitmap page may skip the first page of the next stretch.
    map.push_back(0x01);
    std::size_t next = 0;
    for (std::uint32_t stretch = 0; stretch <= last / PagesPerMapPage; ++stretch) {
        Page bitmap{};
        bitmap[0] = UsageMapPageType;
        bitmap[1] = 0x01;
        for (; next < pages.size() && pages[next] / PagesPerMapPage == stretch; ++next) {
            const std::uint32_t bit = pages[next] % PagesPerMapPage;
            bitmap[4 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
        }
        const std::uint32_t at = m_file.allocate();
        m_file.write(at, bitmap);
        append32(map, at);
    }
    return map;
}

void Catalogue::finish(LongValues &longValues, const std::string &creationDate)
{
    TableEntry catalogue{
        "MSysObjects", TableDefinition(catalogueColumns()), m_catalogueDefinitionPage, 0, {}};
    std::vector<Row> rows;
    rows.push_back({number(m_catalogueDefinitionPage),
                    number(0),
                    {Value::Kind::Text, 0, "MSysObjects"},
                    number(TableObject),
                    number(SystemObjectFlags),
                    {}});
    for (const auto &table : m_tables)
        rows.push_back({number(table.definitionPage),
                        number(0),
                        {Value::Kind::Text, 0, table.name},
                        number(TableObject),
                        number(0),
                        {}});
    DataPage page(m_catalogueDefinitionPage);
    std::uint32_t pageNumber = m_file.allocate();
    for (const Row &row : rows) {
        const Bytes bytes = catalogue.definition.encodeRow(row, longValues);
        if (!page.fits(bytes.size())) {
            m_file.write(pageNumber, page.bytes());
            catalogue.dataPages.push_back(pageNumber);
            page = DataPage(m_catalogueDefinitionPage);
            pageNumber = m_file.allocate();
        }
        page.add(bytes);
    }
    m_file.write(pageNumber, page.bytes());
    catalogue.dataPages.push_back(pageNumber);
    catalogue.rowCount = static_cast<std::uint32_t>(rows.size());

    std::vector<TableEntry> tables = std::move(m_tables);
    tables.insert(tables.begin(), std::move(catalogue));
    writeTables(std::move(tables));
    m_file.write(HeaderPage, headerPage(encodeDateTime(creationDate)));
}

// The maps live as rows on map pages (data pages owned by themselves), the first of them page 1.
void Catalogue::writeTables(std::vector<TableEntry> tables)
{
    std::uint32_t holderNumber = m_mapPage;
    DataPage holder(holderNumber);
    auto place = [&](const Bytes &map) {
        if (!holder.fits(map.size())) {
            m_file.write(holderNumber, holder.bytes());
            holderNumber = m_file.allocate();
            holder = DataPage(holderNumber);
        }
        return rowPointer(holderNumber, holder.add(map));
    };
    const Bytes noFreeSpace = usageMap({});
    for (const auto &table : tables) {
        const std::uint32_t used = place(usageMap(table.dataPages));
        const std::uint32_t free = place(noFreeSpace);
        const bool system = table.definitionPage == m_catalogueDefinitionPage;
        m_file.write(table.definitionPage, table.definition.page(table.rowCount, used, free, system));
    }
    m_file.write(holderNumber, holder.bytes());
}

} // namespace makedb::jet
