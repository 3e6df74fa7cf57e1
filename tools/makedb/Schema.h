#pragma once

#include <string>
#include <vector>

namespace makedb
{

// The column types the sample needs, named as Access names them.
enum class ColumnType {
    Text,     // Text(length): at most 255 characters
    Memo,     // long text, NULL where a note is absent
    Integer,  // 16-bit
    Long,     // 32-bit
    DateTime, // written as "yyyy-MM-dd HH:mm:ss"
};

struct Column {
    std::string name;
    ColumnType type;
    int length = 0; // characters of a Text column
};

struct Index {
    bool unique;
    std::string columns;
};

struct Table {
    std::string name;
    std::vector<Column> columns; // every column but a memo is NOT NULL
    std::vector<Index> indexes;
};

// The six tables of one edition, named with the edition's table prefix.
std::vector<Table> editionTables(const std::string &prefix);

// The edition catalogue, the synonym table and the stop-word table.
std::vector<Table> sharedTables();

} // namespace makedb
