#pragma once

#include "kavro/Wpk2DigestIndex.h"
#include "kavro/Wpk2File.h"
#include "kavro/Wpk2Format.h"

#include <atomic>
#include <cstdint>
#include <string_view>
#include <vector>

namespace Kavro
{

// The index of a WPK2 archive and the decoding of its entries. Every length in the file is checked
// before it is used: against the file's size, against the index's bytes, and against the limits of the
// format, so a damaged or hostile archive fails with a code instead of reading outside a buffer.
// Reading is const and thread-safe: the file reads at absolute offsets.
class Wpk2Archive
{
public:
    // Reads, decrypts and checks header and index. Codes: 8 short file or read error, 3 wrong magic or
    // version, a name over 260 bytes, two names with one digest, or an index that breaks the format.
    int load(const Wpk2File& file, const Wpk2Key& key);

    const Wpk2Header& header() const { return header_; }
    const Wpk2Key& key() const { return key_; }
    const std::vector<Wpk2Entry>& entries() const { return entries_; }
    // The entry whose stored name has the digest of this name (no case folding here), or null.
    const Wpk2Entry* find(std::string_view storedName) const;

    // One block into output (room for its decoded length, at most 64 KiB); its decoded length goes to
    // *decodedLength. 7 block outside the entry or over the block limits, 8 read failed, 10 bad DEFLATE.
    int readBlock(const Wpk2File& file, const Wpk2Entry& entry, int64_t blockIndex, uint8_t* output,
                  uint32_t* decodedLength) const;
    // The whole entry, of either kind, into destination. 13 when capacity is below the entry's size.
    int readWhole(const Wpk2File& file, const Wpk2Entry& entry, uint8_t* destination, uint64_t capacity) const;

    // Blocks decrypted and decoded so far, for checking that readers decode each block once.
    uint64_t blocksDecoded() const { return blocksDecoded_.load(std::memory_order_relaxed); }

private:
    int readHeader(const Wpk2File& file);
    int readIndex(const Wpk2File& file);
    // The entries in the first length bytes of the decrypted index (header_.indexLength in all).
    int parseIndex(const uint8_t* index, size_t length, uint64_t fileSize);
    int decodeRecord(const Wpk2File& file, const Wpk2BlockRecord& record, uint8_t* scratch,
                     uint8_t* output) const;

    Wpk2Header header_;
    Wpk2Key key_{};
    std::vector<Wpk2Entry> entries_;
    Wpk2DigestIndex index_;
    mutable std::atomic<uint64_t> blocksDecoded_{0};
};

} // namespace Kavro
