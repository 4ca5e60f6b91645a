#include "Wpk2PieceDecoder.h"

#include "kavro/Wpk2Cipher.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace Kavro
{

Wpk2PieceDecoder::Wpk2PieceDecoder(const Wpk2Archive& archive, const Wpk2Entry& entry, const Wpk2File& file)
    : archive_(archive), entry_(entry), file_(file), stream_(std::make_unique<z_stream_s>())
{
    restart();
}

Wpk2PieceDecoder::~Wpk2PieceDecoder()
{
    if (streamOpen_)
        inflateEnd(stream_.get());
}

void Wpk2PieceDecoder::restart()
{
    if (streamOpen_)
        inflateEnd(stream_.get());
    streamOpen_ = false;
    decoded_.clear();
    storedDone_ = 0;
    finished_ = false;
    chain_ = archive_.header().iv;
}

std::vector<uint8_t> Wpk2PieceDecoder::take()
{
    std::vector<uint8_t> out = std::move(decoded_);
    restart();
    return out;
}

int Wpk2PieceDecoder::decodeTo(uint64_t end)
{
    end = std::min<uint64_t>(end, entry_.size);
    // The last byte counts only once the data has ended there, as a decode in one go requires.
    const bool toTheEnd = end == entry_.size;
    while ((decoded_.size() < end || (toTheEnd && !finished_)) && failure_ == Wpk2::Ok)
        failure_ = step();
    return decoded_.size() >= end && (!toTheEnd || finished_) ? Wpk2::Ok : failure_;
}

// One piece of stored bytes: read, decrypted with the chain so far, then copied or inflated.
int Wpk2PieceDecoder::step()
{
    if (entry_.blocks.empty())
    {
        finished_ = entry_.size == 0;
        return finished_ ? Wpk2::Ok : Wpk2::InflateFailed;
    }
    const Wpk2BlockRecord& record = entry_.blocks.front();
    if (storedDone_ >= record.storedLength)
        return Wpk2::InflateFailed; // the stored bytes ran out before the entry's size
    // Whole cipher blocks, so that the chain carries on; only the last piece may end in a partial block.
    const uint32_t length = uint32_t(std::min<uint64_t>(Piece, record.storedLength - storedDone_));
    piece_.resize(length);
    if (!file_.readAt(record.offset + storedDone_, piece_.data(), length))
        return Wpk2::ReadFailed;
    Wpk2Iv next = chain_;
    if (length >= Wpk2::CipherBlock)
        std::memcpy(next.data(), piece_.data() + (length - length % Wpk2::CipherBlock) - Wpk2::CipherBlock,
                    next.size());
    if (!Wpk2Cipher(archive_.key(), chain_).decrypt(piece_.data(), length))
        return Wpk2::ReadFailed;
    chain_ = next;
    const uint64_t start = storedDone_;
    storedDone_ += length;
    if (!record.isCompressed())
    {
        const uint64_t wanted = record.decodedLength > start ? record.decodedLength - start : 0;
        const uint32_t n = uint32_t(std::min<uint64_t>(wanted, length));
        decoded_.insert(decoded_.end(), piece_.begin(), piece_.begin() + n);
        finished_ = decoded_.size() == entry_.size;
        return Wpk2::Ok;
    }
    const uint64_t packedLeft = record.packedLength > start ? record.packedLength - start : 0;
    if (packedLeft == 0)
        return Wpk2::InflateFailed; // the DEFLATE data ended before its stream did
    return inflatePiece(piece_.data(), uint32_t(std::min<uint64_t>(packedLeft, length)));
}

int Wpk2PieceDecoder::inflatePiece(const uint8_t* input, uint32_t length)
{
    z_stream& stream = *stream_;
    if (!streamOpen_)
    {
        std::memset(&stream, 0, sizeof stream);
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return Wpk2::InflateFailed;
        streamOpen_ = true;
    }
    stream.next_in = const_cast<Bytef*>(input);
    stream.avail_in = length;
    uint8_t out[Piece];
    do
    {
        stream.next_out = out;
        stream.avail_out = sizeof out;
        const int result = inflate(&stream, Z_NO_FLUSH);
        const size_t produced = sizeof out - stream.avail_out;
        if (decoded_.size() + produced > entry_.size)
            return Wpk2::InflateFailed;
        decoded_.insert(decoded_.end(), out, out + produced);
        if (result == Z_STREAM_END)
        {
            finished_ = decoded_.size() == entry_.size;
            return finished_ ? Wpk2::Ok : Wpk2::InflateFailed;
        }
        if (result != Z_OK && !(result == Z_BUF_ERROR && produced == 0 && stream.avail_in == 0))
            return Wpk2::InflateFailed;
        if (produced == 0 && stream.avail_in == 0)
            break;
    } while (stream.avail_in > 0 || stream.avail_out == 0);
    return Wpk2::Ok;
}

} // namespace Kavro
