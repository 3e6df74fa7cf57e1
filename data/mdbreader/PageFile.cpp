#include "PageFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace
{

// Large enough that reading costs a few system calls per megabyte, small enough to stay far below
// the memory a table's copy takes in the engine.
constexpr std::size_t kWindowBytes = std::size_t(1) << 20;

} // namespace

PageFile::PageFile(const char *path, std::size_t pageSize, std::uint32_t pages)
    : m_fd(::open(path, O_RDONLY | O_CLOEXEC)), m_size(pageSize), m_pages(pages), m_page(pageSize)
{
}

PageFile::~PageFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PageFile::readInto(std::vector<unsigned char> &buffer, std::uint32_t first, std::uint32_t count)
{
    const std::size_t wanted = std::size_t(count) * m_size;
    buffer.resize(std::max(buffer.size(), wanted));
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t got = ::pread(m_fd, buffer.data() + done, wanted - done,
                                    static_cast<off_t>(first) * static_cast<off_t>(m_size) + off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

const unsigned char *PageFile::read(std::uint32_t page)
{
    if (m_fd < 0 || page >= m_pages || !readInto(m_page, page, 1))
        return nullptr;
    return m_page.data();
}

const unsigned char *PageFile::scan(std::uint32_t page)
{
    if (m_fd < 0 || page >= m_pages)
        return nullptr;
    if (page < m_windowFirst || page - m_windowFirst >= m_windowCount) {
        std::uint32_t count =
            std::min<std::uint32_t>(m_pages - page, std::max<std::uint32_t>(1, kWindowBytes / m_size));
        m_windowCount = 0;
        // A file cut while it is read still gives the pages that remain, one by one.
        if (!readInto(m_window, page, count) && (count == 1 || !readInto(m_window, page, count = 1)))
            return nullptr;
        m_windowFirst = page;
        m_windowCount = count;
    }
    return m_window.data() + std::size_t(page - m_windowFirst) * m_size;
}
