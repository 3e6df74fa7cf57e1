#include "SampleRows.h"

#include "Classification.h"
#include "Vocabulary.h"

namespace makedb
{

namespace
{

// Builds one row value by value, in column order.
class RowBuilder
{
public:
    RowBuilder &text(const std::string &value)
    {
        m_row.push_back({Value::Kind::Text, 0, value});
        return *this;
    }
    RowBuilder &number(long long value)
    {
        m_row.push_back({Value::Kind::Number, value, {}});
        return *this;
    }
    RowBuilder &note(const Note &value)
    {
        if (value)
            return text(*value);
        m_row.push_back({});
        return *this;
    }
    RowBuilder &notes(const Notes &value)
    {
        return note(value.comprises).note(value.alsoComprises).note(value.excludes).note(value.remarks);
    }
    const Row &row() const { return m_row; }

private:
    Row m_row;
};

template <typename Rows> void writeTable(TableSink &sink, const Table &table, Rows rows)
{
    sink.beginTable(table);
    rows([&](const RowBuilder &builder) { sink.addRow(builder.row()); });
    sink.endTable();
}

long long writeEdition(TableSink &sink, const Edition &edition, int scale)
{
    using Emit = std::function<void(const RowBuilder &)>;
    const std::vector<Table> tables = editionTables(edition.info.table);
    writeTable(sink, tables[0], [&](const Emit &emit) {
        for (const auto &s : edition.sections)
            emit(RowBuilder()
                     .text(s.code)
                     .text(s.description)
                     .text(s.divisions.front().code)
                     .text(s.divisions.back().code)
                     .note(s.explanatoryNote)
                     .notes(s.notes));
    });
    writeTable(sink, tables[1], [&](const Emit &emit) {
        for (const auto &s : edition.sections)
            for (const auto &d : s.divisions)
                emit(RowBuilder().text(s.code).text(d.code).text(d.description).notes(d.notes));
    });
    writeTable(sink, tables[2], [&](const Emit &emit) {
        for (const auto &s : edition.sections)
            for (const auto &d : s.divisions)
                for (const auto &g : d.groups)
                    emit(RowBuilder()
                             .text(s.code)
                             .text(d.code)
                             .text(g.code)
                             .text(g.description)
                             .notes(g.notes));
    });
    writeTable(sink, tables[3], [&](const Emit &emit) {
        for (const auto &s : edition.sections)
            for (const auto &d : s.divisions)
                for (const auto &g : d.groups)
                    for (const auto &c : g.classes)
                        emit(RowBuilder()
                                 .text(s.code)
                                 .text(d.code)
                                 .text(g.code)
                                 .text(c.code)
                                 .text(c.description)
                                 .notes(c.notes));
    });
    writeTable(sink, tables[4], [&](const Emit &emit) {
        for (const auto &s : edition.sections)
            for (const auto &d : s.divisions)
                for (const auto &g : d.groups)
                    for (const auto &c : g.classes)
                        for (const auto &sub : c.subclasses)
                            emit(RowBuilder()
                                     .text(s.code)
                                     .text(d.code)
                                     .text(g.code)
                                     .text(c.code)
                                     .text(sub.code)
                                     .text(sub.checkDigit)
                                     .text(sub.description)
                                     .notes(sub.notes));
    });
    long long count = 0;
    writeTable(sink, tables[5], [&](const Emit &emit) {
        generateActivities(edition, scale, [&](const Activity &a) {
            emit(RowBuilder()
                     .text(a.section->code)
                     .text(a.division->code)
                     .text(a.group->code)
                     .text(a.cls->code)
                     .text(a.subclassCode)
                     .number(a.sequence)
                     .text(a.keywords)
                     .text(a.description));
            ++count;
        });
    });
    return count;
}

} // namespace

long long writeSampleRows(TableSink &sink, int scale)
{
    using Emit = std::function<void(const RowBuilder &)>;
    const std::vector<Table> shared = sharedTables();
    writeTable(sink, shared[0], [&](const Emit &emit) {
        for (const auto &info : editionCatalogue())
            emit(RowBuilder()
                     .number(info.code)
                     .text(info.description)
                     .text(info.table)
                     .number(info.status)
                     .text(info.pageTitle)
                     .text(info.updated));
    });
    writeTable(sink, shared[1], [&](const Emit &emit) {
        for (const auto &pair : synonyms())
            emit(RowBuilder().text(pair.first).text(pair.second));
    });
    writeTable(sink, shared[2], [&](const Emit &emit) {
        for (const auto &word : stopWords())
            emit(RowBuilder().text(word));
    });

    long long activities = 0;
    for (const auto &info : editionCatalogue())
        activities += writeEdition(sink, buildEdition(info), scale);
    return activities;
}

} // namespace makedb
