#pragma once

#include "Schema.h"

#include <string>
#include <vector>

namespace makedb
{

// One value of a row: NULL, a number or a text (a date is a text "yyyy-MM-dd HH:mm:ss").
struct Value {
    enum class Kind { Null, Number, Text } kind = Kind::Null;
    long long number = 0;
    std::string text;
};

using Row = std::vector<Value>;

// Where the sample goes, one table after the other: each table is begun, given its rows in order
// and ended before the next one begins.
class TableSink
{
public:
    virtual ~TableSink() = default;
    virtual void beginTable(const Table &table) = 0;
    virtual void addRow(const Row &row) = 0;
    virtual void endTable() = 0;
};

// Hands the whole sample to sink: the shared tables, then each edition's six tables. Returns the
// number of activities.
long long writeSampleRows(TableSink &sink, int scale);

} // namespace makedb
