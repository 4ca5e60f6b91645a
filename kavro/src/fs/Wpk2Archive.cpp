#include "kavro/Wpk2Archive.h"

#include "kavro/Bytes.h"
#include "kavro/Wpk2Cipher.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace Kavro
{

namespace
{

bool RecordFitsFile(const Wpk2BlockRecord& record, uint64_t fileSize)
{
    if (record.offset > fileSize || record.storedLength > fileSize - record.offset)
        return false;
    if (record.isCompressed())
        return record.packedLength <= record.storedLength &&
               uint64_t(record.decodedLength) <= uint64_t(record.packedLength) * Wpk2::MaxInflateRatio + 64;
    return record.decodedLength <= record.storedLength;
}

// A blocked entry has one block per started 64 KiB, each decoding to its share of the size.
bool BlockedLayoutIsSound(const Wpk2Entry& entry)
{
    const uint64_t expected = (uint64_t(entry.size) + Wpk2::BlockSize - 1) / Wpk2::BlockSize;
    if (entry.blocks.size() != expected)
        return false;
    for (size_t i = 0; i < entry.blocks.size(); ++i)
    {
        const Wpk2BlockRecord& block = entry.blocks[i];
        const uint64_t share = std::min<uint64_t>(Wpk2::BlockSize, entry.size - uint64_t(i) * Wpk2::BlockSize);
        if (block.storedLength > Wpk2::MaxStoredBlock || block.decodedLength != share)
            return false;
    }
    return true;
}

// A one-piece entry decodes its first record to the whole entry; an empty one may have none.
bool OnePieceLayoutIsSound(const Wpk2Entry& entry)
{
    if (entry.blocks.empty())
        return entry.size == 0;
    return entry.blocks.front().decodedLength == entry.size;
}

// Raw DEFLATE that must fill exactly length bytes and end there.
bool Inflate(const uint8_t* input, uint32_t inputLength, uint8_t* output, uint32_t length)
{
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(input);
    stream.avail_in = inputLength;
    stream.next_out = output;
    stream.avail_out = length;
    const int result = inflate(&stream, Z_FINISH);
    const bool complete = result == Z_STREAM_END && stream.total_out == length;
    inflateEnd(&stream);
    return complete;
}

// Decrypted bytes of the index parsed first; each further window is four times larger.
constexpr size_t FirstIndexWindow = 65536;
// parseIndex's answer when the entries so far are sound but run past the bytes decrypted so far.
constexpr int NeedMoreIndex = -1;

// Stored bytes of one block, per thread: a read either fills what it uses or fails, so nothing is zeroed.
uint8_t* BlockScratch()
{
    thread_local std::unique_ptr<uint8_t[]> scratch(new uint8_t[Wpk2::MaxStoredBlock]);
    return scratch.get();
}

} // namespace

int Wpk2Archive::load(const Wpk2File& file, const Wpk2Key& key)
{
    entries_.clear();
    index_.clear();
    key_ = key;
    if (const int code = readHeader(file))
        return code;
    // The index must lie inside the file before a byte of it is allocated.
    if (header_.indexLength > file.size() - Wpk2::IndexOffset)
        return Wpk2::ReadFailed;
    if (uint64_t(header_.entryCount) * Wpk2::MinEntrySize > header_.indexLength)
        return Wpk2::BadFormat;
    const int code = readIndex(file);
    if (code != Wpk2::Ok)
    {
        entries_.clear();
        index_.clear();
    }
    return code;
}

// The index is read, decrypted and parsed in growing windows: a header may claim gigabytes of index in a
// sparse file, and the parse of what is there fails long before. The chain carries on from window to
// window; a good index costs a third more parsing than in one go.
int Wpk2Archive::readIndex(const Wpk2File& file)
{
    std::vector<uint8_t> index;
    Wpk2Iv chain = header_.iv;
    size_t window = std::min<size_t>(header_.indexLength, FirstIndexWindow);
    for (;;)
    {
        const size_t had = index.size();
        index.resize(window);
        uint8_t* fresh = index.data() + had;
        const size_t length = window - had;
        if (!file.readAt(Wpk2::IndexOffset + had, fresh, length))
            return Wpk2::ReadFailed;
        Wpk2Iv next = chain;
        if (length >= Wpk2::CipherBlock)
            std::memcpy(next.data(), fresh + (length - length % Wpk2::CipherBlock) - Wpk2::CipherBlock, next.size());
        if (!Wpk2Cipher(key_, chain).decrypt(fresh, length))
            return Wpk2::ReadFailed;
        chain = next;
        const int code = parseIndex(index.data(), index.size(), file.size());
        if (code != NeedMoreIndex)
            return code;
        window = size_t(std::min<uint64_t>(header_.indexLength, uint64_t(window) * 4));
    }
}

int Wpk2Archive::readHeader(const Wpk2File& file)
{
    uint8_t raw[Wpk2::IndexOffset];
    if (file.size() < Wpk2::IndexOffset || !file.readAt(0, raw, sizeof raw))
        return Wpk2::ReadFailed;
    std::memcpy(header_.bytes, raw, Wpk2::HeaderSize);
    header_.version = loadLE32(raw + 4);
    std::memcpy(header_.iv.data(), raw + 8, header_.iv.size());
    header_.entryCount = loadLE32(raw + 24);
    header_.indexLength = loadLE32(raw + 28);
    if (std::memcmp(raw, Wpk2::Magic, 4) != 0 || header_.version != Wpk2::Version)
        return Wpk2::BadFormat;
    return Wpk2::Ok;
}

int Wpk2Archive::parseIndex(const uint8_t* index, size_t length, uint64_t fileSize)
{
    entries_.clear();
    index_.clear();
    entries_.reserve(std::min<size_t>(header_.entryCount, length / Wpk2::MinEntrySize));
    // A take past the bytes decrypted so far asks for more of the index; past the whole index it is broken.
    const bool whole = length >= header_.indexLength;
    const int shortIndex = whole ? Wpk2::BadFormat : NeedMoreIndex;
    // Every take fails instead of passing the end of the decrypted index.
    ByteReader reader(index, length);
    for (uint32_t n = 0; n < header_.entryCount; ++n)
    {
        Wpk2Entry entry;
        uint8_t flag = 0;
        uint16_t nameLength = 0;
        char name[Wpk2::MaxNameLength + 1] = {};
        if (!reader.u8(flag) || !reader.u16(nameLength))
            return shortIndex;
        if (nameLength > Wpk2::MaxNameLength)
            return Wpk2::BadFormat;
        if (!reader.bytes(name, nameLength))
            return shortIndex;
        entry.onePiece = flag != 0;
        entry.name = name; // up to its first zero byte
        uint32_t blockCount = 0;
        if (!reader.u32(entry.size) || !reader.bytes(entry.digest.data(), entry.digest.size()) ||
            !reader.u32(blockCount))
            return shortIndex;
        const uint64_t records = uint64_t(blockCount) * Wpk2::BlockRecordSize;
        if (records > header_.indexLength - reader.position())
            return Wpk2::BadFormat;
        if (records > reader.left())
            return shortIndex;
        entry.blocks.resize(blockCount);
        for (Wpk2BlockRecord& block : entry.blocks)
        {
            reader.u64(block.offset);
            reader.u32(block.storedLength);
            reader.u32(block.packedLength);
            reader.u32(block.decodedLength);
            if (!RecordFitsFile(block, fileSize))
                return Wpk2::BadFormat;
        }
        if (!(entry.onePiece ? OnePieceLayoutIsSound(entry) : BlockedLayoutIsSound(entry)))
            return Wpk2::BadFormat;
        if (!index_.insert(Wpk2DigestIndex::digestOf(entry.name), n))
            return Wpk2::BadFormat;
        entries_.push_back(std::move(entry));
    }
    return Wpk2::Ok;
}

const Wpk2Entry* Wpk2Archive::find(std::string_view storedName) const
{
    const auto found = index_.find(Wpk2DigestIndex::digestOf(storedName));
    return found ? &entries_[*found] : nullptr;
}

int Wpk2Archive::decodeRecord(const Wpk2File& file, const Wpk2BlockRecord& record, uint8_t* scratch,
                              uint8_t* output) const
{
    if (!file.readAt(record.offset, scratch, record.storedLength))
        return Wpk2::ReadFailed;
    if (!Wpk2Cipher(key_, header_.iv).decrypt(scratch, record.storedLength))
        return Wpk2::ReadFailed;
    blocksDecoded_.fetch_add(1, std::memory_order_relaxed);
    if (!record.isCompressed())
    {
        if (record.decodedLength > 0)
            std::memcpy(output, scratch, record.decodedLength);
        return Wpk2::Ok;
    }
    return Inflate(scratch, record.packedLength, output, record.decodedLength) ? Wpk2::Ok
                                                                               : Wpk2::InflateFailed;
}

int Wpk2Archive::readBlock(const Wpk2File& file, const Wpk2Entry& entry, int64_t blockIndex, uint8_t* output,
                           uint32_t* decodedLength) const
{
    if (blockIndex < 0 || uint64_t(blockIndex) >= entry.blocks.size())
        return Wpk2::OutOfRange;
    const Wpk2BlockRecord& record = entry.blocks[size_t(blockIndex)];
    // A one-piece entry's record has no 64 KiB limit; it does not fit a block buffer.
    if (record.storedLength > Wpk2::MaxStoredBlock || record.decodedLength > Wpk2::BlockSize)
        return Wpk2::OutOfRange;
    *decodedLength = record.decodedLength;
    return decodeRecord(file, record, BlockScratch(), output);
}

int Wpk2Archive::readWhole(const Wpk2File& file, const Wpk2Entry& entry, uint8_t* destination,
                           uint64_t capacity) const
{
    if (entry.size > capacity)
        return Wpk2::DestinationTooSmall;
    if (entry.blocks.empty())
        return Wpk2::Ok;
    if (entry.onePiece)
    {
        std::vector<uint8_t> scratch(entry.blocks.front().storedLength);
        return decodeRecord(file, entry.blocks.front(), scratch.data(), destination);
    }
    uint8_t* scratch = BlockScratch();
    for (size_t i = 0; i < entry.blocks.size(); ++i)
    {
        if (const int code = decodeRecord(file, entry.blocks[i], scratch, destination + i * Wpk2::BlockSize))
            return code;
    }
    return Wpk2::Ok;
}

} // namespace Kavro
