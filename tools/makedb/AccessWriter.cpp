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
        jet::Catalogue::TableEntry{table.name, jet::TableDefinition(columns), m_file.allocate(), 0, {}});
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
    m_page->add(bytes);
    ++m_table->rowCount;
}

void AccessWriter::endTable()
{
    if (m_page)
        flushPage();
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
