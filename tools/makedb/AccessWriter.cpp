#include "AccessWriter.h"

#include "Classification.h"

#include <algorithm>

namespace makedb
{

namespace
{

jet::ColumnDeclaration columnDeclaration(const Column &column)
{
    switch (column.type) {
    case ColumnType::Text:
        return {column.name, jet::TextType, column.length};
    case ColumnType::Memo:
        return {column.name, jet::MemoType};
    case ColumnType::Integer:
        return {column.name, jet::IntegerType};
    case ColumnType::Long:
        return {column.name, jet::LongType};
    case ColumnType::DateTime:
        return {column.name, jet::DateTimeType};
    }
    return {};
}

// The indexes the users' file has: a primary key on the first unique index, and the others, on
// the columns of codes (texts of digits and letters, or numbers), as they are declared.
std::vector<jet::IndexDeclaration> indexDeclarations(const Table &table)
{
    std::vector<jet::IndexDeclaration> indexes;
    for (const auto &index : table.indexes) {
        jet::IndexDeclaration declared;
        std::string names = index.columns + ",";
        bool codes = true;
        for (std::size_t at; (at = names.find(',')) != std::string::npos; names.erase(0, at + 1)) {
            std::string name = names.substr(0, at);
            name.erase(0, name.find_first_not_of(' '));
            const auto column = std::find_if(table.columns.begin(), table.columns.end(),
                                             [&](const Column &c) { return c.name == name; });
            if (column == table.columns.end())
                throw std::logic_error("index on a column the table lacks: " + name);
            codes = codes && (column->name.rfind("Cod", 0) == 0 || column->name.rfind("COD", 0) == 0);
            declared.columns.push_back(static_cast<std::size_t>(column - table.columns.begin()));
            declared.name += (declared.name.empty() ? "" : "_") + name;
        }
        if (!codes)
            continue;
        declared.unique = index.unique;
        declared.primaryKey = index.unique && std::none_of(indexes.begin(), indexes.end(),
                                                           [](const auto &i) { return i.primaryKey; });
        if (declared.primaryKey)
            declared.name = "PrimaryKey";
        indexes.push_back(declared);
    }
    return indexes;
}

} // namespace

AccessWriter::AccessWriter(const std::string &path) : m_file(path), m_catalogue(m_file), m_longValues(m_file)
{
}

void AccessWriter::beginTable(const Table &table)
{
    std::vector<jet::ColumnDeclaration> columns;
    for (const auto &column : table.columns)
        columns.push_back(columnDeclaration(column));
    m_table.emplace(
        jet::Catalogue::TableEntry{table.name, jet::TableDefinition(columns), m_file.allocate(), 0, {}, {}});
    for (auto &index : indexDeclarations(table))
        m_table->indexes.emplace_back(std::move(index), columns);
    m_page.reset();
}

void AccessWriter::addRow(const Row &row)
{
    const jet::Bytes bytes = m_table->definition.encodeRow(row, m_longValues);
    if (m_page && !m_page->fits(bytes.size()))
        flushPage();
    if (!m_page) {
        m_page.emplace(m_table->definitionPage);
        m_pageNumber = m_file.allocate();
    }
    const std::uint32_t at = jet::rowPointer(m_pageNumber, m_page->add(bytes));
    for (auto &index : m_table->indexes)
        index.add(row, at);
    ++m_table->rowCount;
}

void AccessWriter::endTable()
{
    if (m_page)
        flushPage();
    for (auto &index : m_table->indexes)
        index.write(m_file, m_table->definitionPage);
    m_catalogue.addTable(std::move(*m_table));
    m_table.reset();
}

void AccessWriter::finish(const std::string &creationDate)
{
    m_longValues.finish();
    m_catalogue.finish(m_longValues, creationDate);
    m_file.finish();
}

void AccessWriter::flushPage()
{
    m_file.write(m_pageNumber, m_page->bytes());
    m_table->dataPages.push_back(m_pageNumber);
    m_page.reset();
}

long long writeAccessSample(const std::string &path, int scale)
{
    AccessWriter writer(path);
    const long long activities = writeSampleRows(writer, scale);
    // The sample's latest update dates the file, so that the same arguments give the same bytes.
    std::string latest;
    for (const auto &info : editionCatalogue())
        latest = std::max(latest, info.updated);
    writer.finish(latest);
    return activities;
}

} // namespace makedb
