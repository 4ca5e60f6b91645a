#include "kavro/Wpk2DigestIndex.h"

#include "kavro/Sha256.h"
#include "kavro/Utf8.h"

#include <algorithm>

namespace Kavro
{

namespace
{

uint64_t Word(const Wpk2Digest& digest, size_t index)
{
    uint64_t value = 0;
    for (size_t b = 0; b < 8; ++b)
        value |= uint64_t(digest[index * 8 + b]) << (8 * b);
    return value;
}

// Bytes a UTF-8 lead byte opens, itself included; 1 for anything else.
size_t SequenceLength(uint8_t lead)
{
    return size_t(std::max(utf8SequenceLength(lead), 1));
}

} // namespace

Wpk2Digest Wpk2DigestIndex::digestOf(std::string_view name)
{
    return sha256(name.data(), name.size());
}

std::string Wpk2DigestIndex::lowerCaseName(std::string_view name)
{
    std::string lower(name);
    size_t i = 0;
    while (i < lower.size())
    {
        const uint8_t byte = uint8_t(lower[i]);
        const size_t length = SequenceLength(byte);
        if (length == 1 && byte >= 'A' && byte <= 'Z')
            lower[i] = char(byte - 'A' + 'a');
        i += length;
    }
    return lower;
}

bool Wpk2DigestIndex::insert(const Wpk2Digest& digest, uint32_t value)
{
    auto& last = levels_[Word(digest, 0)][Word(digest, 1)][Word(digest, 2)];
    return last.emplace(Word(digest, 3), value).second;
}

std::optional<uint32_t> Wpk2DigestIndex::find(const Wpk2Digest& digest) const
{
    const auto l1 = levels_.find(Word(digest, 0));
    if (l1 == levels_.end())
        return std::nullopt;
    const auto l2 = l1->second.find(Word(digest, 1));
    if (l2 == l1->second.end())
        return std::nullopt;
    const auto l3 = l2->second.find(Word(digest, 2));
    if (l3 == l2->second.end())
        return std::nullopt;
    const auto l4 = l3->second.find(Word(digest, 3));
    if (l4 == l3->second.end())
        return std::nullopt;
    return l4->second;
}

} // namespace Kavro
