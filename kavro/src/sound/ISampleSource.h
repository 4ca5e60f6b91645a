#pragma once

#include <cstdint>

namespace Kavro
{

// Interleaved float frames of one sound, read from a position that seek moves.
class ISampleSource
{
public:
    virtual ~ISampleSource() = default;
    virtual int channels() const = 0;
    virtual int rate() const = 0;
    // Length in frames.
    virtual int64_t frames() const = 0;
    // Frames copied into out (room for count frames); fewer only at the end of the data.
    virtual int64_t read(float* out, int64_t count) = 0;
    virtual bool seek(int64_t frame) = 0;
};

} // namespace Kavro
