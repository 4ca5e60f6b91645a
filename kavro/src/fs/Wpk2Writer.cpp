#include "kavro/Wpk2Writer.h"

#include "kavro/SafeFileWriter.h"
#include "kavro/Wpk2Cipher.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <zlib.h>


namespace Kavro
{

namespace
{

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        out.push_back(uint8_t(value >> (8 * b)));
}

void PutU64(std::vector<uint8_t>& out, uint64_t value)
{
    PutU32(out, uint32_t(value));
    PutU32(out, uint32_t(value >> 32));
}

size_t RoundToCipherBlock(size_t length)
{
    return (length + Wpk2::CipherBlock - 1) / Wpk2::CipherBlock * Wpk2::CipherBlock;
}

// Raw DEFLATE of the bytes; empty when it would not be shorter.
std::vector<uint8_t> Deflate(const uint8_t* data, size_t length)
{
    if (length == 0)
        return {};
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::vector<uint8_t> packed(deflateBound(&stream, uLong(length)));
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(length);
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    if (!done || packed.size() >= length)
        return {};
    return packed;
}

struct PlannedBlock
{
    Wpk2BlockRecord record;
    std::vector<uint8_t> stored;
};

PlannedBlock EncodeBlock(const uint8_t* data, size_t length, bool compress, const Wpk2Cipher& cipher)
{
    PlannedBlock block;
    std::vector<uint8_t> packed = compress ? Deflate(data, length) : std::vector<uint8_t>{};
    if (packed.empty())
        packed.assign(data, data + length);
    block.record.decodedLength = uint32_t(length);
    block.record.packedLength = uint32_t(packed.size());
    block.stored = std::move(packed);
    block.stored.resize(RoundToCipherBlock(block.stored.size()), 0);
    block.record.storedLength = uint32_t(block.stored.size());
    cipher.encrypt(block.stored.data(), block.stored.size());
    return block;
}

} // namespace

Wpk2Writer::Wpk2Writer(const Wpk2Key& key) : key_(key)
{
    if (RAND_bytes(iv_.data(), int(iv_.size())) != 1)
        iv_.fill(0x5a);
}

void Wpk2Writer::add(std::string name, std::vector<uint8_t> data, Layout layout)
{
    const bool onePiece = layout == OnePiece || (layout == Auto && data.size() <= Wpk2::BlockSize && !data.empty());
    items_.push_back({std::move(name), std::move(data), onePiece});
}

std::vector<uint8_t> Wpk2Writer::build() const
{
    const Wpk2Cipher cipher(key_, iv_);
    std::vector<std::vector<PlannedBlock>> planned;
    size_t indexLength = 0;
    for (const Item& item : items_)
    {
        std::vector<PlannedBlock> blocks;
        if (item.onePiece)
            blocks.push_back(EncodeBlock(item.data.data(), item.data.size(), compress_, cipher));
        for (size_t at = 0; !item.onePiece && at < item.data.size(); at += Wpk2::BlockSize)
        {
            const size_t length = std::min<size_t>(Wpk2::BlockSize, item.data.size() - at);
            blocks.push_back(EncodeBlock(item.data.data() + at, length, compress_, cipher));
        }
        indexLength += Wpk2::MinEntrySize + item.name.size() + blocks.size() * Wpk2::BlockRecordSize;
        planned.push_back(std::move(blocks));
    }
    indexLength = RoundToCipherBlock(indexLength);

    std::vector<uint8_t> index;
    uint64_t offset = Wpk2::IndexOffset + indexLength;
    for (size_t i = 0; i < items_.size(); ++i)
    {
        const Item& item = items_[i];
        index.push_back(item.onePiece ? 1 : 0);
        PutU16(index, uint16_t(item.name.size()));
        index.insert(index.end(), item.name.begin(), item.name.end());
        PutU32(index, uint32_t(item.data.size()));
        uint8_t digest[32] = {};
        EVP_Digest(item.data.data(), item.data.size(), digest, nullptr, EVP_sha256(), nullptr);
        index.insert(index.end(), digest, digest + 32);
        PutU32(index, uint32_t(planned[i].size()));
        for (PlannedBlock& block : planned[i])
        {
            block.record.offset = offset;
            offset += block.stored.size();
            PutU64(index, block.record.offset);
            PutU32(index, block.record.storedLength);
            PutU32(index, block.record.packedLength);
            PutU32(index, block.record.decodedLength);
        }
    }
    index.resize(indexLength, 0);
    cipher.encrypt(index.data(), index.size());

    std::vector<uint8_t> out(Wpk2::Magic, Wpk2::Magic + 4);
    PutU32(out, Wpk2::Version);
    out.insert(out.end(), iv_.begin(), iv_.end());
    PutU32(out, uint32_t(items_.size()));
    PutU32(out, uint32_t(index.size()));
    out.insert(out.end(), index.begin(), index.end());
    out.reserve(offset);
    for (const auto& blocks : planned)
        for (const PlannedBlock& block : blocks)
            out.insert(out.end(), block.stored.begin(), block.stored.end());
    return out;
}

bool Wpk2Writer::writeFile(const std::string& path, std::string* error) const
{
    const std::vector<uint8_t> bytes = build();
    return WriteFileReplacing(path, bytes.data(), bytes.size(), error) == 0;
}

} // namespace Kavro
