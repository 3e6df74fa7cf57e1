#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// The page level of the Jet 4 (Access 2000-2003) writer: 4 KiB pages, little-endian numbers, and
// data pages that hold rows packed from the page's end towards its header.
namespace makedb::jet
{

constexpr std::size_t PageSize = 4096;
using Page = std::array<std::uint8_t, PageSize>;
using Bytes = std::vector<std::uint8_t>;

// Page types, the first byte of every page but the file header.
constexpr std::uint8_t DataPageType = 0x01;
constexpr std::uint8_t TableDefinitionPageType = 0x02;
constexpr std::uint8_t UsageMapPageType = 0x05;

void put16(std::uint8_t *at, std::uint32_t value);
void put32(std::uint8_t *at, std::uint32_t value);
void append16(Bytes &bytes, std::uint32_t value);
void append32(Bytes &bytes, std::uint32_t value);

// A row's address as readers follow it: the page number in the upper three bytes, the row's
// index on that page in the lowest.
constexpr std::uint32_t rowPointer(std::uint32_t page, int row)
{
    return page << 8 | static_cast<std::uint32_t>(row);
}

// The output file, addressed by page. Pages are numbered when allocated and may be written in
// any order; every allocated page must be written before finish().
class PageFile
{
public:
    explicit PageFile(const std::string &path);
    PageFile(const PageFile &) = delete;
    PageFile &operator=(const PageFile &) = delete;

    std::uint32_t allocate();
    void write(std::uint32_t page, const Page &bytes);
    void finish();

private:
    std::string m_path;
    std::ofstream m_out;
    std::uint32_t m_allocated = 0;
    std::vector<bool> m_written;
};

// A data page being filled. owner is the page of the table definition the rows belong to (or the
// long-value mark); rows are added until the next one no longer fits.
class DataPage
{
public:
    // Room for one row on an empty page: all of it but the header and the row's offset slot.
    static constexpr std::size_t MaxRow = PageSize - 14 - 2;

    explicit DataPage(std::uint32_t owner) : m_owner(owner) {}

    bool fits(std::size_t rowLength) const;
    int add(const Bytes &row); // the row's index on the page
    bool empty() const { return m_rows.empty(); }
    Page bytes() const;

private:
    std::uint32_t m_owner;
    std::vector<Bytes> m_rows;
    std::size_t m_used = 0; // row bytes and offset slots
};

} // namespace makedb::jet
