#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace Kavro
{

class CSoundDecoder;

// A sound decoded whole into memory: interleaved float frames, shared by every instance that plays it.
struct CSoundData
{
    int channels = 0;
    int rate = 0;
    int64_t frames = 0;
    std::vector<float> samples;

    // Largest sound decoded whole (32 MiB of samples, about 95 s of stereo at 44.1 kHz); longer ones are
    // streamed. A file of a few hundred kilobytes can hold hours of silence.
    static constexpr int64_t MaxSamples = int64_t(32) << 18;

    // Decodes what the decoder holds. Reads in pieces, so a header that claims more than the data holds
    // costs nothing; a damaged tail is cut off. Null when not one frame decodes, or, with tooLong set, when
    // the header or the data passes MaxSamples.
    static std::shared_ptr<const CSoundData> Decode(CSoundDecoder& decoder, bool& tooLong);
};

} // namespace Kavro
