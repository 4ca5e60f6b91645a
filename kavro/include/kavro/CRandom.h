#pragma once

#include <cstdint>

namespace Kavro
{

// MT19937 with a draw counter. The state can be read out and set back byte for byte, so a
// restored generator continues with the same draws.
class CRandom
{
public:
    static constexpr int StateWords = 624;

    explicit CRandom(uint32_t seed = 5489u) { Seed(seed); }

    void Seed(uint32_t seed);
    // Next raw 32-bit draw.
    uint32_t Next();
    // Uniform in [min, max], both included. min > max are swapped.
    int32_t GetInt(int32_t min, int32_t max);
    // Uniform in [min, max].
    float GetFloat(float min, float max);

    // Number of raw draws since the last seed.
    uint32_t GetMersenneTwisterCount() const { return count_; }
    void SetMersenneTwisterCount(uint32_t count) { count_ = count; }
    // Size in bytes of the state that Get/SetMersenneTwister move.
    static constexpr uint32_t GetMersenneTwisterSize() { return (StateWords + 1) * 4; }
    // Writes GetMersenneTwisterSize() bytes (little-endian words, then the position); returns 1.
    int GetMersenneTwister(void* out) const;
    // Reads the same layout back; returns 0 and changes nothing when the position is out of range.
    int SetMersenneTwister(const void* data);

private:
    void twist();

    uint32_t mt_[StateWords];
    uint32_t index_ = StateWords;
    uint32_t count_ = 0;
};

} // namespace Kavro
