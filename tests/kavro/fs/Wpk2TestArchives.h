#pragma once

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Cipher.h>
#include <kavro/Wpk2Format.h>
#include <kavro/Wpk2Writer.h>

#include <cstdint>
#include <string>
#include <vector>

namespace OrvaneTest
{

inline Kavro::Wpk2Iv FixedIv()
{
    Kavro::Wpk2Iv iv{};
    for (size_t i = 0; i < iv.size(); ++i)
        iv[i] = uint8_t(0xA0 + i);
    return iv;
}

// A writer with the built-in key and a fixed vector, so every run builds the same bytes.
inline Kavro::Wpk2Writer FixedWriter()
{
    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    writer.setIv(FixedIv());
    return writer;
}

// An index written field by field, for archives the writer would never make.
struct RawEntry
{
    uint8_t flag = 0;
    std::string name;
    uint32_t size = 0;
    std::vector<Kavro::Wpk2BlockRecord> blocks;
    uint32_t blockCount = UINT32_MAX; // UINT32_MAX: blocks.size()
    uint16_t nameLength = UINT16_MAX; // UINT16_MAX: name.size()
};

struct RawArchive
{
    std::vector<RawEntry> entries;
    const char* magic = "WPK2";
    uint32_t version = 2;
    uint32_t entryCount = UINT32_MAX;  // UINT32_MAX: entries.size()
    uint32_t indexLength = UINT32_MAX; // UINT32_MAX: the index's padded length
    size_t tail = 0;                   // zero bytes after the index, for block records to point into

    std::vector<uint8_t> build() const
    {
        std::vector<uint8_t> index;
        auto put = [&index](uint64_t value, int width) {
            for (int b = 0; b < width; ++b)
                index.push_back(uint8_t(value >> (8 * b)));
        };
        for (const RawEntry& e : entries)
        {
            put(e.flag, 1);
            put(e.nameLength == UINT16_MAX ? e.name.size() : e.nameLength, 2);
            index.insert(index.end(), e.name.begin(), e.name.end());
            put(e.size, 4);
            index.insert(index.end(), 32, 0);
            put(e.blockCount == UINT32_MAX ? e.blocks.size() : e.blockCount, 4);
            for (const auto& r : e.blocks)
            {
                put(r.offset, 8);
                put(r.storedLength, 4);
                put(r.packedLength, 4);
                put(r.decodedLength, 4);
            }
        }
        index.resize((index.size() + 15) / 16 * 16, 0);
        Kavro::Wpk2Cipher(Kavro::BuildArchiveKey(), FixedIv()).encrypt(index.data(), index.size());

        std::vector<uint8_t> out(magic, magic + 4);
        auto put32 = [&out](uint32_t value) {
            for (int b = 0; b < 4; ++b)
                out.push_back(uint8_t(value >> (8 * b)));
        };
        put32(version);
        const auto iv = FixedIv();
        out.insert(out.end(), iv.begin(), iv.end());
        put32(entryCount == UINT32_MAX ? uint32_t(entries.size()) : entryCount);
        put32(indexLength == UINT32_MAX ? uint32_t(index.size()) : indexLength);
        out.insert(out.end(), index.begin(), index.end());
        out.insert(out.end(), tail, 0);
        return out;
    }
};

} // namespace OrvaneTest
