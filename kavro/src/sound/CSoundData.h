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

    // Decodes what the decoder holds. Reads in pieces, so a header that claims more than the data holds
    // costs nothing; a damaged tail is cut off. Null when not one frame decodes.
    static std::shared_ptr<const CSoundData> Decode(CSoundDecoder& decoder);
};

} // namespace Kavro
