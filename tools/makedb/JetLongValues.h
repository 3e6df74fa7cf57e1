#pragma once

#include "JetPages.h"

#include <optional>

namespace makedb::jet
{

// Where memo texts go. A short one stays in its row; a longer one goes to a row of a long-value
// page, and one longer than a page to a chain of rows, each pointing to the next. The row holds a
// 12-byte reference: the length with the kind in its top bits, the first long-value row, zero.
class LongValues
{
public:
    explicit LongValues(PageFile &file) : m_file(file) {}
    LongValues(const LongValues &) = delete;
    LongValues &operator=(const LongValues &) = delete;

    // The column bytes of a memo whose encoded text is given.
    Bytes memo(const Bytes &text);

    // Writes the page still being filled.
    void finish();

private:
    std::uint32_t place(const Bytes &row); // the row pointer of a row on the page being filled

    PageFile &m_file;
    std::optional<DataPage> m_page;
    std::uint32_t m_pageNumber = 0;
};

} // namespace makedb::jet
