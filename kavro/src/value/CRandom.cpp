#include "kavro/CRandom.h"

#include "kavro/Bytes.h"

#include <cstring>
#include <utility>

namespace Kavro
{

namespace
{

void putWord(uint8_t* out, uint32_t v)
{
    storeLE32(out, v);
}

uint32_t getWord(const uint8_t* in)
{
    return loadLE32(in);
}

} // namespace

void CRandom::Seed(uint32_t seed)
{
    mt_[0] = seed;
    for (uint32_t i = 1; i < StateWords; ++i)
        mt_[i] = 1812433253u * (mt_[i - 1] ^ (mt_[i - 1] >> 30)) + i;
    index_ = StateWords;
    count_ = 0;
}

void CRandom::twist()
{
    for (int i = 0; i < StateWords; ++i)
    {
        const uint32_t y = (mt_[i] & 0x80000000u) | (mt_[(i + 1) % StateWords] & 0x7fffffffu);
        mt_[i] = mt_[(i + 397) % StateWords] ^ (y >> 1) ^ ((y & 1u) ? 0x9908b0dfu : 0u);
    }
    index_ = 0;
}

uint32_t CRandom::Next()
{
    if (index_ >= StateWords)
        twist();
    uint32_t y = mt_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    ++count_;
    return y;
}

int32_t CRandom::GetInt(int32_t min, int32_t max)
{
    if (min > max)
        std::swap(min, max);
    const uint64_t range = uint64_t(int64_t(max) - int64_t(min)) + 1;
    return int32_t(int64_t(min) + int64_t(Next() % range));
}

float CRandom::GetFloat(float min, float max)
{
    // 24 random bits give every float step in [0, 1].
    const float unit = float(Next() >> 8) * (1.0f / 16777215.0f);
    return min + (max - min) * unit;
}

int CRandom::GetMersenneTwister(void* out) const
{
    auto* bytes = static_cast<uint8_t*>(out);
    for (int i = 0; i < StateWords; ++i)
        putWord(bytes + i * 4, mt_[i]);
    putWord(bytes + StateWords * 4, index_);
    return 1;
}

int CRandom::SetMersenneTwister(const void* data)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    const uint32_t index = getWord(bytes + StateWords * 4);
    if (index > StateWords)
        return 0;
    for (int i = 0; i < StateWords; ++i)
        mt_[i] = getWord(bytes + i * 4);
    index_ = index;
    return 1;
}

} // namespace Kavro
