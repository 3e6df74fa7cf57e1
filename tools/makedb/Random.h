#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace makedb
{

// A small generator of our own (SplitMix64): the same seed gives the same sequence on every
// platform and library, which std::uniform_int_distribution does not promise.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next();
    // A number in [0, bound); bound must be positive.
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
    bool chance(unsigned percent) { return below(100) < percent; }
    const std::string &pick(const std::vector<std::string> &items) { return items[below(items.size())]; }

private:
    std::uint64_t m_state;
};

} // namespace makedb
