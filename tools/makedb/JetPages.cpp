#include "JetPages.h"

#include <stdexcept>

namespace makedb::jet
{

namespace
{

// 255 rows at most: a row pointer keeps the row index in one byte.
constexpr std::size_t MaxRowsPerPage = 255;
constexpr std::size_t DataHeaderSize = 14;

} // namespace

void put16(std::uint8_t *at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::uint8_t *at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void append16(Bytes &bytes, std::uint32_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void append32(Bytes &bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

PageFile::PageFile(const std::string &path) : m_path(path), m_out(path, std::ios::binary | std::ios::trunc)
{
    if (!m_out)
        throw std::runtime_error("cannot create " + path);
}

std::uint32_t PageFile::allocate()
{
    // Row pointers keep the page number in three bytes.
    if (m_allocated == 0xFFFFFF)
        throw std::runtime_error("too many pages for one file: " + m_path);
    m_written.push_back(false);
    return m_allocated++;
}

void PageFile::write(std::uint32_t page, const Page &bytes)
{
    if (page >= m_allocated || m_written[page])
        throw std::logic_error("page written twice or never allocated");
    m_out.seekp(static_cast<std::streamoff>(page) * static_cast<std::streamoff>(PageSize));
    m_out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!m_out)
        throw std::runtime_error("cannot write " + m_path);
    m_written[page] = true;
}

void PageFile::finish()
{
    for (bool written : m_written)
        if (!written)
            throw std::logic_error("a page was allocated but never written");
    m_out.close();
    if (!m_out)
        throw std::runtime_error("cannot write " + m_path);
}

bool DataPage::fits(std::size_t rowLength) const
{
    return m_rows.size() < MaxRowsPerPage && DataHeaderSize + m_used + rowLength + 2 <= PageSize;
}

int DataPage::add(const Bytes &row)
{
    if (!fits(row.size()))
        throw std::logic_error("row does not fit its page");
    m_rows.push_back(row);
    m_used += row.size() + 2;
    return static_cast<int>(m_rows.size()) - 1;
}

Page DataPage::bytes() const
{
    Page page{};
    page[0] = DataPageType;
    page[1] = 0x01;
    put16(&page[2], static_cast<std::uint32_t>(PageSize - DataHeaderSize - m_used));
    put32(&page[4], m_owner);
    put16(&page[12], static_cast<std::uint32_t>(m_rows.size()));
    std::size_t end = PageSize;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Bytes &row = m_rows[i];
        end -= row.size();
        std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(end));
        put16(&page[DataHeaderSize + 2 * i], static_cast<std::uint32_t>(end));
    }
    return page;
}

} // namespace makedb::jet
