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

// Object types and ids of the catalogue, as Access writes them: the containers hang from a root
// id, the tables from the "Tables" container, the database object from "Databases".
constexpr long long TableObject = 1;
constexpr long long DatabaseObject = 2;
constexpr long long ContainerObject = 3;
constexpr long long PropertyObject = -32757;
constexpr long long SystemFlags = static_cast<std::int32_t>(0x80000000u);
constexpr long long RootId = 0x0F000000;
constexpr long long TablesId = RootId + 1;
constexpr long long DatabasesId = RootId + 2;
constexpr long long RelationshipsId = RootId + 3;
constexpr long long DatabaseId = 0x10000000;
constexpr long long FirstOtherId = static_cast<std::int32_t>(0x80000000u);

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
    return {{"Id", LongType},
            {"ParentId", LongType},
            {"Name", TextType, 255},
            {"Type", IntegerType},
            {"DateCreate", DateTimeType},
            {"DateUpdate", DateTimeType},
            {"Owner", BinaryType, 510},
            {"Flags", LongType},
            {"Database", MemoType},
            {"Connect", MemoType},
            {"ForeignName", TextType, 255},
            {"RmtInfoShort", BinaryType, 510},
            {"RmtInfoLong", OleType},
            {"Lv", OleType},
            {"LvProp", OleType},
            {"LvModule", OleType},
            {"LvExtra", OleType}};
}

// The other system tables every Access file has; here they stay empty.
struct SystemTable {
    const char *name;
    std::vector<ColumnDeclaration> columns;
};

std::vector<SystemTable> emptySystemTables()
{
    return {{"MSysACEs",
             {{"ObjectId", LongType},
              {"SID", BinaryType, 510},
              {"ACM", LongType},
              {"FInheritable", BooleanType}}},
            {"MSysQueries",
             {{"ObjectId", LongType},
              {"Attribute", ByteType},
              {"Order", BinaryType, 510},
              {"Name1", TextType, 255},
              {"Name2", TextType, 255},
              {"Expression", MemoType},
              {"Flag", IntegerType},
              {"LvExtra", LongType}}},
            {"MSysRelationships",
             {{"szRelationship", TextType, 255},
              {"grbit", LongType},
              {"ccolumn", LongType},
              {"icolumn", LongType},
              {"szObject", TextType, 255},
              {"szColumn", TextType, 255},
              {"szReferencedObject", TextType, 255},
              {"szReferencedColumn", TextType, 255}}}};
}

Value number(long long value)
{
    return {Value::Kind::Number, value, {}};
}

Value text(const std::string &value)
{
    return {Value::Kind::Text, 0, value};
}

void appendName(Bytes &bytes, const std::string &ascii)
{
    append16(bytes, static_cast<std::uint32_t>(2 * ascii.size()));
    for (unsigned char c : ascii)
        append16(bytes, c);
}

// The database object's properties as Access keeps them: a "MR2" block of property names, then
// a block of values (each with its type and the index of its name).
std::string databaseProperties()
{
    const std::pair<std::string, std::string> properties[] = {{"AccessVersion", "09.50"}};
    Bytes names;
    Bytes values;
    append32(values, 6); // the block's map name: none
    append16(values, 0);
    std::uint32_t index = 0;
    for (const auto &[name, value] : properties) {
        appendName(names, name);
        Bytes data;
        for (unsigned char c : value)
            append16(data, c);
        append16(values, static_cast<std::uint32_t>(8 + data.size()));
        values.push_back(0); // not a DDL property
        values.push_back(TextType);
        append16(values, index++);
        append16(values, static_cast<std::uint32_t>(data.size()));
        values.insert(values.end(), data.begin(), data.end());
    }
    Bytes blob = {'M', 'R', '2', 0};
    append32(blob, static_cast<std::uint32_t>(6 + names.size()));
    append16(blob, 0x80);
    blob.insert(blob.end(), names.begin(), names.end());
    append32(blob, static_cast<std::uint32_t>(6 + values.size()));
    append16(blob, 0x00);
    blob.insert(blob.end(), values.begin(), values.end());
    return std::string(blob.begin(), blob.end());
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
        "MSysObjects", TableDefinition(catalogueColumns()), m_catalogueDefinitionPage, 0, {}, {}};
    std::vector<TableEntry> systemTables;
    for (const auto &table : emptySystemTables())
        systemTables.push_back({table.name, TableDefinition(table.columns), m_file.allocate(), 0, {}, {}});

    std::vector<Row> rows;
    const auto object = [&](long long id, long long parent, const std::string &name, long long type,
                            long long flags, const Value &properties) {
        Row row(catalogueColumns().size());
        row[0] = number(id);
        row[1] = number(parent);
        row[2] = text(name);
        row[3] = number(type);
        row[4] = row[5] = text(creationDate);
        row[7] = number(flags);
        row[14] = properties;
        rows.push_back(row);
    };
    object(TablesId, RootId, "Tables", ContainerObject, SystemFlags, {});
    object(DatabasesId, RootId, "Databases", ContainerObject, SystemFlags, {});
    object(RelationshipsId, RootId, "Relationships", ContainerObject, SystemFlags, {});
    object(DatabaseId, DatabasesId, "MSysDb", DatabaseObject, SystemFlags, text(databaseProperties()));
    object(m_catalogueDefinitionPage, TablesId, "MSysObjects", TableObject, SystemFlags, {});
    for (const auto &table : systemTables)
        object(table.definitionPage, TablesId, table.name, TableObject, SystemFlags, {});
    long long other = FirstOtherId;
    for (const char *container : {"DataAccessPages", "Forms", "Modules", "Reports", "Scripts", "SysRel"})
        object(other++, RootId, container, ContainerObject, 0, {});
    for (const char *properties : {"SummaryInfo", "UserDefined"})
        object(other++, DatabasesId, properties, PropertyObject, 0, {});
    for (const auto &table : m_tables)
        object(table.definitionPage, TablesId, table.name, TableObject, 0, {});

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

    std::vector<TableEntry> tables;
    tables.push_back(std::move(catalogue));
    for (auto &table : systemTables)
        tables.push_back(std::move(table));
    const std::size_t system = tables.size();
    for (auto &table : m_tables)
        tables.push_back(std::move(table));
    m_tables.clear();
    writeTables(std::move(tables), system);
    m_file.write(HeaderPage, headerPage(encodeDateTime(creationDate)));
}

// The maps live as rows on map pages (data pages owned by themselves), the first of them page 1.
void Catalogue::writeTables(std::vector<TableEntry> tables, std::size_t systemTables)
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
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const TableEntry &table = tables[i];
        const std::uint32_t used = place(usageMap(table.dataPages));
        const std::uint32_t free = place(noFreeSpace);
        std::vector<IndexPlace> indexes;
        for (const auto &index : table.indexes)
            indexes.push_back(
                {&index.declaration(), index.root(), place(usageMap(index.pages())), index.distinctKeys()});
        m_file.write(table.definitionPage,
                     table.definition.page(table.rowCount, used, free, i < systemTables, indexes));
    }
    m_file.write(holderNumber, holder.bytes());
}

} // namespace makedb::jet
