#include "UsageMap.h"

#include "Values.h"

namespace
{

// The first set bit from `from` on, least significant bit first; `end` when there is none.
std::uint32_t firstBit(const unsigned char *bitmap, std::uint32_t from, std::uint32_t end)
{
    for (std::uint32_t i = from; i < end; ++i) {
        if (i % 8 == 0 && bitmap[i / 8] == 0)
            i += 7; // a byte with no page listed
        else if (bitmap[i / 8] & (1 << (i % 8)))
            return i;
    }
    return end;
}

} // namespace

UsageMap::UsageMap(const unsigned char *map, unsigned int size, PageFile &file)
    : m_map(map), m_size(size), m_file(file)
{
}

const unsigned char *UsageMap::mapPage(std::uint32_t page)
{
    auto found = m_mapPages.find(page);
    if (found == m_mapPages.end()) {
        std::vector<unsigned char> bytes;
        if (const unsigned char *data = m_file.read(page))
            bytes.assign(data, data + m_file.pageSize());
        found = m_mapPages.emplace(page, std::move(bytes)).first;
    }
    return found->second.empty() ? nullptr : found->second.data();
}

std::int32_t UsageMap::next(std::uint32_t start)
{
    if (m_size < 1)
        return -1;
    if (m_map[0] == 0) {
        // One bitmap in the definition, from its first page on.
        if (m_size < 5)
            return 0;
        const std::uint32_t first = values::u32At(m_map + 1);
        const unsigned char *bitmap = m_map + 5;
        const std::uint32_t bits = (m_size - 5) * 8;
        const std::uint32_t bit = firstBit(bitmap, start >= first ? start - first + 1 : 0, bits);
        return bit < bits ? static_cast<std::int32_t>(first + bit) : 0;
    }
    if (m_map[0] == 1) {
        // A list of map pages, each a bitmap of the pages after its 4-byte header.
        const std::uint32_t bitsPerPage = static_cast<std::uint32_t>(m_file.pageSize() - 4) * 8;
        const std::uint32_t mapPages = (m_size - 1) / 4;
        std::uint32_t offset = (start + 1) % bitsPerPage;
        for (std::uint32_t index = (start + 1) / bitsPerPage; index < mapPages; ++index, offset = 0) {
            const std::uint32_t page = values::u32At(m_map + index * 4 + 1);
            if (page == 0)
                continue;
            const unsigned char *data = mapPage(page);
            if (!data)
                return -1;
            if (const std::uint32_t bit = firstBit(data + 4, offset, bitsPerPage); bit < bitsPerPage)
                return static_cast<std::int32_t>(index * bitsPerPage + bit);
        }
        return 0;
    }
    return -1;
}
