#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The pages of an Access file, read apart from libmdb's page buffers, which seek and read one page
// at a time and look at the file's size before each read.
class PageFile
{
public:
    PageFile(const char *path, std::size_t pageSize, std::uint32_t pages);
    ~PageFile();
    PageFile(const PageFile &) = delete;
    PageFile &operator=(const PageFile &) = delete;

    std::uint32_t pages() const { return m_pages; }
    std::size_t pageSize() const { return m_size; }

    // One page's bytes, valid until the next read(); nullptr when the file ends before it.
    const unsigned char *read(std::uint32_t page);

    // The same for pages visited in rising order (a table's data pages): the pages from `page` on
    // come in with one large read. Valid until the next scan(); independent of read().
    const unsigned char *scan(std::uint32_t page);

private:
    bool readInto(std::vector<unsigned char> &buffer, std::uint32_t first, std::uint32_t count);

    int m_fd;
    std::size_t m_size;
    std::uint32_t m_pages;
    std::vector<unsigned char> m_page;
    std::vector<unsigned char> m_window;
    std::uint32_t m_windowFirst = 0;
    std::uint32_t m_windowCount = 0;
};
