#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Kavro
{

// Little-endian words at bytes the caller has checked are there.
inline uint16_t loadLE16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t loadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void storeLE32(uint8_t* p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

// A cursor over bytes in memory reading little-endian fields; a take that would pass the end
// fails and leaves the cursor where it was.
class ByteReader
{
public:
    ByteReader(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    size_t position() const { return position_; }
    size_t left() const { return size_ - position_; }

    // Points at the next count bytes and steps over them.
    bool take(const uint8_t*& out, size_t count)
    {
        if (count > left())
            return false;
        out = data_ + position_;
        position_ += count;
        return true;
    }
    bool skip(size_t count)
    {
        const uint8_t* ignored = nullptr;
        return take(ignored, count);
    }
    bool bytes(void* out, size_t count)
    {
        const uint8_t* p = nullptr;
        if (!take(p, count))
            return false;
        if (count)
            std::memcpy(out, p, count);
        return true;
    }
    bool u8(uint8_t& out) { return bytes(&out, 1); }
    bool u16(uint16_t& out) { return word(out, 2, loadLE16); }
    bool u32(uint32_t& out) { return word(out, 4, loadLE32); }
    bool u64(uint64_t& out)
    {
        return word(out, 8, [](const uint8_t* p) { return uint64_t(loadLE32(p + 4)) << 32 | loadLE32(p); });
    }

private:
    template <typename T, typename Load> bool word(T& out, size_t size, Load load)
    {
        const uint8_t* p = nullptr;
        if (!take(p, size))
            return false;
        out = load(p);
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace Kavro
