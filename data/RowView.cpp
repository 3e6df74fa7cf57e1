#include "data/RowView.h"

#include <sqlite3.h>

RowView::RowView(sqlite3_stmt *statement) : m_statement(statement), m_columns(sqlite3_column_count(statement))
{
}

RowView::Type RowView::type(int column) const
{
    return static_cast<Type>(sqlite3_column_type(m_statement, column));
}

std::int64_t RowView::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double RowView::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

std::string_view RowView::bytes(int column) const
{
    // The pointer first, then the size: the size is that of the form just asked for.
    const void *data = type(column) == Blob ? sqlite3_column_blob(m_statement, column)
                                            : sqlite3_column_text(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? std::string_view(static_cast<const char *>(data), static_cast<size_t>(size))
                : std::string_view();
}

std::string_view RowView::text(int column) const
{
    const unsigned char *data = sqlite3_column_text(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? std::string_view(reinterpret_cast<const char *>(data), static_cast<size_t>(size))
                : std::string_view();
}

RowView::Cell RowView::cell(int column) const
{
    sqlite3_value *value = sqlite3_column_value(m_statement, column);
    Cell cell;
    cell.type = static_cast<Type>(sqlite3_value_type(value));
    switch (cell.type) {
    case Integer:
        cell.integer = sqlite3_value_int64(value);
        break;
    case Real:
        cell.real = sqlite3_value_double(value);
        break;
    case Text:
    case Blob: {
        // The pointer first, then the size: the size is that of the form just asked for.
        const void *data = cell.type == Blob ? sqlite3_value_blob(value) : sqlite3_value_text(value);
        if (data)
            cell.bytes = std::string_view(static_cast<const char *>(data),
                                          static_cast<size_t>(sqlite3_value_bytes(value)));
        break;
    }
    default:
        break;
    }
    return cell;
}
