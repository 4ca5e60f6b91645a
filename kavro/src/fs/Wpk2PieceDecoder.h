#pragma once

#include "kavro/Wpk2Archive.h"

#include <cstdint>
#include <memory>
#include <vector>

struct z_stream_s;

namespace Kavro
{

// Decodes a one-piece entry from its start as far as reads need it: the stored bytes are read, decrypted
// (the chain carried from piece to piece) and inflated in pieces, so memory follows the bytes that really
// decode, never the size the index declares. Decoded bytes are kept for going back.
class Wpk2PieceDecoder
{
public:
    // Stored bytes read per step.
    static constexpr uint32_t Piece = 65536;

    Wpk2PieceDecoder(const Wpk2Archive& archive, const Wpk2Entry& entry, const Wpk2File& file);
    ~Wpk2PieceDecoder();
    Wpk2PieceDecoder(const Wpk2PieceDecoder&) = delete;
    Wpk2PieceDecoder& operator=(const Wpk2PieceDecoder&) = delete;

    // Decodes until at least end bytes (at most the entry's size) are held; to the entry's size, until the
    // data has ended there. 8 read failed, 10 the data does not decode to the entry's size. A failure stays,
    // but bytes decoded before it can still be had.
    int decodeTo(uint64_t end);
    const std::vector<uint8_t>& bytes() const { return decoded_; }
    // Hands over the bytes decoded so far; decoding starts again from the beginning when needed.
    std::vector<uint8_t> take();

private:
    int step();
    int inflatePiece(const uint8_t* input, uint32_t length);
    void restart();

    const Wpk2Archive& archive_;
    const Wpk2Entry& entry_;
    const Wpk2File& file_;
    std::vector<uint8_t> decoded_;
    std::vector<uint8_t> piece_;
    uint64_t storedDone_ = 0;
    Wpk2Iv chain_{};
    std::unique_ptr<z_stream_s> stream_;
    bool streamOpen_ = false;
    bool finished_ = false; // every byte decoded and, when deflated, the stream ended there
    int failure_ = Wpk2::Ok;
};

} // namespace Kavro
