#pragma once

#include "kavro/Wpk2Archive.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Kavro
{

class Wpk2PieceDecoder;

// Sequential and random reads of one entry. A blocked entry keeps its two most recently decoded blocks,
// so reading in small pieces decrypts and inflates each block once; a one-piece entry is decoded from its
// start as far as the reads go, and what is decoded is kept. The archive, entry and file must outlive the
// reader.
class Wpk2EntryReader
{
public:
    enum Origin
    {
        FromStart = 0,
        FromCurrent = 1,
        BackFromEnd = 2, // the new position is size - offset
    };

    Wpk2EntryReader(const Wpk2Archive& archive, const Wpk2Entry& entry, const Wpk2File& file);
    ~Wpk2EntryReader();

    const Wpk2Entry& entry() const { return entry_; }
    uint64_t position() const { return position_; }

    // 6 for another origin, 7 for a target outside 0..size (the position stays).
    int seek(int64_t offset, int origin);
    // Up to size bytes from the position; the count copied goes to *copied. A read of 0 bytes or at the
    // end copies nothing and succeeds. Codes of Wpk2Archive::readBlock / readWhole otherwise.
    int read(void* destination, uint64_t size, uint64_t* copied);
    // A one-piece entry's whole bytes, decoded as far as they go and handed over (the reader decodes again if
    // read later): the buffer grows with the data, never to a size only the index claims.
    int takeOnePiece(std::vector<uint8_t>& out);

private:
    struct Slot
    {
        int64_t block = -1;
        uint32_t length = 0;
        std::vector<uint8_t> bytes;
    };

    int readBlocked(uint8_t* destination, uint64_t size, uint64_t* copied);
    int readOnePiece(uint8_t* destination, uint64_t size, uint64_t* copied);
    // The slot holding the block, decoding it into the slot used less recently when needed.
    int slotFor(int64_t block, Slot** slot);

    const Wpk2Archive& archive_;
    const Wpk2Entry& entry_;
    const Wpk2File& file_;
    uint64_t position_ = 0;
    Slot slots_[2];
    int lastSlot_ = -1;
    std::unique_ptr<Wpk2PieceDecoder> piece_;
};

} // namespace Kavro
