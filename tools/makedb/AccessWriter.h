#pragma once

#include "JetCatalogue.h"
#include "JetLongValues.h"
#include "JetPages.h"
#include "SampleRows.h"

#include <optional>
#include <string>

namespace makedb
{

// Writes tables to an Access (Jet 4) file: each table's rows fill data pages of their own,
// numbered as they are begun; memos too long for a row go to long-value pages shared by all
// tables; a table's indexes on code columns get their pages when it ends. finish() writes the
// catalogue and the header; until then the file is incomplete.
class AccessWriter : public TableSink
{
public:
    explicit AccessWriter(const std::string &path);

    void beginTable(const Table &table) override;
    void addRow(const Row &row) override;
    void endTable() override;

    // creationDate ("yyyy-MM-dd HH:mm:ss") goes into the header.
    void finish(const std::string &creationDate);

private:
    void flushPage();

    jet::PageFile m_file;
    jet::Catalogue m_catalogue;
    jet::LongValues m_longValues;
    std::optional<jet::Catalogue::TableEntry> m_table;
    std::optional<jet::DataPage> m_page;
    std::uint32_t m_pageNumber = 0;
};

// Writes the sample as an Access file at path; returns the activities.
long long writeAccessSample(const std::string &path, int scale);

} // namespace makedb
