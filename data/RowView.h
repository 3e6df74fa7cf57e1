#pragma once

#include <cstdint>
#include <string_view>

struct sqlite3_stmt;

// One row of a running statement, read in place: its values live until the next row. For a caller
// that passes the rows on as they come (zelt-sql prints them), to whom making every value a
// QVariant would be the larger part of the work.
class RowView
{
public:
    enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 }; // SQLite's own codes

    explicit RowView(sqlite3_stmt *statement);

    int size() const { return m_columns; }

    // A value, the column looked up once.
    struct Cell {
        Type type = Null;
        std::string_view bytes; // a text (UTF-8) or a blob
        std::int64_t integer = 0;
        double real = 0;
    };
    Cell cell(int column) const;

private:
    sqlite3_stmt *m_statement;
    int m_columns;
};
