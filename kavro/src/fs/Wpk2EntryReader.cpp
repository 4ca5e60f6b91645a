#include "kavro/Wpk2EntryReader.h"

#include "Wpk2PieceDecoder.h"

#include <algorithm>
#include <cstring>

namespace Kavro
{

Wpk2EntryReader::Wpk2EntryReader(const Wpk2Archive& archive, const Wpk2Entry& entry, const Wpk2File& file)
    : archive_(archive), entry_(entry), file_(file)
{
}

Wpk2EntryReader::~Wpk2EntryReader() = default;

int Wpk2EntryReader::seek(int64_t offset, int origin)
{
    const int64_t size = entry_.size;
    const int64_t here = int64_t(position_);
    int64_t target = 0;
    switch (origin)
    {
    case FromStart:
        target = offset;
        break;
    case FromCurrent:
        // Compared before adding so that no sum can overflow.
        if (offset > size - here || offset < -here)
            return Wpk2::OutOfRange;
        target = here + offset;
        break;
    case BackFromEnd:
        if (offset < 0 || offset > size)
            return Wpk2::OutOfRange;
        target = size - offset;
        break;
    default:
        return Wpk2::BadArgument;
    }
    if (target < 0 || target > size)
        return Wpk2::OutOfRange;
    position_ = uint64_t(target);
    return Wpk2::Ok;
}

int Wpk2EntryReader::read(void* destination, uint64_t size, uint64_t* copied)
{
    *copied = 0;
    if (size == 0 || position_ >= entry_.size)
        return Wpk2::Ok;
    auto* out = static_cast<uint8_t*>(destination);
    return entry_.onePiece ? readOnePiece(out, size, copied) : readBlocked(out, size, copied);
}

int Wpk2EntryReader::readOnePiece(uint8_t* destination, uint64_t size, uint64_t* copied)
{
    if (!piece_)
        piece_ = std::make_unique<Wpk2PieceDecoder>(archive_, entry_, file_);
    const uint64_t n = std::min<uint64_t>(size, entry_.size - position_);
    if (const int code = piece_->decodeTo(position_ + n))
        return code;
    std::memcpy(destination, piece_->bytes().data() + position_, n);
    position_ += n;
    *copied = n;
    return Wpk2::Ok;
}

int Wpk2EntryReader::takeOnePiece(std::vector<uint8_t>& out)
{
    if (!entry_.onePiece)
        return Wpk2::BadArgument;
    if (!piece_)
        piece_ = std::make_unique<Wpk2PieceDecoder>(archive_, entry_, file_);
    if (const int code = piece_->decodeTo(entry_.size))
        return code;
    out = piece_->take();
    return Wpk2::Ok;
}

int Wpk2EntryReader::readBlocked(uint8_t* destination, uint64_t size, uint64_t* copied)
{
    int64_t block = int64_t(position_ / Wpk2::BlockSize);
    uint64_t offset = position_ % Wpk2::BlockSize;
    uint64_t remaining = size;
    while (remaining > 0 && uint64_t(block) < entry_.blocks.size())
    {
        Slot* slot = nullptr;
        if (const int code = slotFor(block, &slot))
            return code;
        const uint64_t available = slot->length > offset ? slot->length - offset : 0;
        const uint64_t n = std::min(available, remaining);
        std::memcpy(destination, slot->bytes.data() + offset, n);
        destination += n;
        position_ += n;
        remaining -= n;
        *copied += n;
        ++block;
        offset = 0;
    }
    return Wpk2::Ok;
}

int Wpk2EntryReader::slotFor(int64_t block, Slot** slot)
{
    for (int i : {lastSlot_, 1 - lastSlot_})
    {
        if (i >= 0 && i <= 1 && slots_[i].block == block)
        {
            lastSlot_ = i;
            *slot = &slots_[i];
            return Wpk2::Ok;
        }
    }
    const int next = lastSlot_ == 0 ? 1 : 0;
    Slot& target = slots_[next];
    target.bytes.resize(Wpk2::BlockSize);
    target.block = -1;
    const int code = archive_.readBlock(file_, entry_, block, target.bytes.data(), &target.length);
    if (code != Wpk2::Ok)
        return code;
    target.block = block;
    lastSlot_ = next;
    *slot = &target;
    return Wpk2::Ok;
}

} // namespace Kavro
