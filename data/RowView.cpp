#include "data/RowView.h"

#include <sqlite3.h>

RowView::RowView(sqlite3_stmt *statement) : m_statement(statement), m_columns(sqlite3_column_count(statement))
{
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
