#pragma once

#include "kavro/Wpk2Format.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Kavro
{

// Entries found by the SHA-256 digest of their name: the digest is cut into four little-endian 64-bit
// words, one sorted map level per word.
class Wpk2DigestIndex
{
public:
    static Wpk2Digest digestOf(std::string_view name);
    // The lookup form of a name: ASCII letters lower-cased, the bytes of a multi-byte UTF-8 sequence
    // skipped as a whole (by the length its lead byte announces).
    static std::string lowerCaseName(std::string_view name);

    // False when the digest is present already.
    bool insert(const Wpk2Digest& digest, uint32_t value);
    std::optional<uint32_t> find(const Wpk2Digest& digest) const;
    void clear() { levels_.clear(); }

private:
    using Level4 = std::map<uint64_t, uint32_t>;
    using Level3 = std::map<uint64_t, Level4>;
    using Level2 = std::map<uint64_t, Level3>;
    std::map<uint64_t, Level2> levels_;
};

} // namespace Kavro
