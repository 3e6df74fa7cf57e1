#include "JetLongValues.h"

#include <stdexcept>

namespace makedb::jet
{

namespace
{

// Long-value pages are data pages owned by "LVAL" instead of a table definition.
constexpr std::uint32_t LongValueOwner = 'L' | 'V' << 8 | 'A' << 16 | static_cast<std::uint32_t>('L') << 24;

// Texts up to this many bytes stay in the row, so that a row of several notes still fits a page.
constexpr std::size_t InlineLimit = 256;

constexpr std::uint32_t InlineKind = 0x80000000u;
constexpr std::uint32_t SingleRowKind = 0x40000000u;
constexpr std::size_t ChunkSize = DataPage::MaxRow - 4; // a chain row starts with the next row's pointer

Bytes reference(std::uint32_t lengthAndKind, std::uint32_t pointer)
{
    Bytes bytes;
    append32(bytes, lengthAndKind);
    append32(bytes, pointer);
    append32(bytes, 0);
    return bytes;
}

} // namespace

Bytes LongValues::memo(const Bytes &text)
{
    if (text.size() >= 0x1000000)
        throw std::runtime_error("a memo text is too long");
    const auto length = static_cast<std::uint32_t>(text.size());
    if (text.size() <= InlineLimit) {
        Bytes bytes = reference(length | InlineKind, 0);
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    }
    if (text.size() <= DataPage::MaxRow)
        return reference(length | SingleRowKind, place(text));

    // Every chunk but the last fills a page of its own; the last shares the page being filled.
    const std::size_t fullChunks = (text.size() - 1) / ChunkSize;
    std::vector<std::uint32_t> pages;
    for (std::size_t i = 0; i < fullChunks; ++i)
        pages.push_back(m_file.allocate());
    Bytes last;
    append32(last, 0);
    last.insert(last.end(), text.begin() + static_cast<std::ptrdiff_t>(fullChunks * ChunkSize), text.end());
    std::uint32_t next = place(last);
    for (std::size_t i = fullChunks; i-- > 0;) {
        Bytes row;
        append32(row, next);
        const auto from = text.begin() + static_cast<std::ptrdiff_t>(i * ChunkSize);
        row.insert(row.end(), from, from + static_cast<std::ptrdiff_t>(ChunkSize));
        DataPage page(LongValueOwner);
        page.add(row);
        m_file.write(pages[i], page.bytes());
        next = rowPointer(pages[i], 0);
    }
    return reference(length, next);
}

std::uint32_t LongValues::place(const Bytes &row)
{
    if (m_page && !m_page->fits(row.size())) {
        m_file.write(m_pageNumber, m_page->bytes());
        m_page.reset();
    }
    if (!m_page) {
        m_page.emplace(LongValueOwner);
        m_pageNumber = m_file.allocate();
    }
    return rowPointer(m_pageNumber, m_page->add(row));
}

void LongValues::finish()
{
    if (m_page)
        m_file.write(m_pageNumber, m_page->bytes());
    m_page.reset();
}

} // namespace makedb::jet
