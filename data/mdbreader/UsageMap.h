#pragma once

#include "PageFile.h"

#include <cstdint>
#include <map>
#include <vector>

// A table's usage map walked as libmdb's mdb_map_find_next walks it, page for page the same
// answers, but each page of a map that spreads over map pages (type 1) is read once per walk
// instead of once per page it lists.
class UsageMap
{
public:
    // `map` and `size`: the map as the table definition holds it (libmdb's usage_map, map_sz).
    UsageMap(const unsigned char *map, unsigned int size, PageFile &file);

    // The first page after `start` that the map lists; 0 when there is none; -1 when the map's
    // kind is unknown or one of its map pages cannot be read.
    std::int32_t next(std::uint32_t start);

private:
    const unsigned char *mapPage(std::uint32_t page);

    const unsigned char *m_map;
    unsigned int m_size;
    PageFile &m_file;
    std::map<std::uint32_t, std::vector<unsigned char>> m_mapPages; // empty: not readable
};
