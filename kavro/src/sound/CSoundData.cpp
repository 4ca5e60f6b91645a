#include "sound/CSoundData.h"

#include "sound/CSoundDecoder.h"

namespace Kavro
{

std::shared_ptr<const CSoundData> CSoundData::Decode(CSoundDecoder& decoder, bool& tooLong)
{
    constexpr int64_t Piece = 16384;
    const int64_t maxFrames = MaxSamples / decoder.channels();
    tooLong = decoder.frames() > maxFrames;
    if (tooLong)
        return nullptr;
    auto data = std::make_shared<CSoundData>();
    data->channels = decoder.channels();
    data->rate = decoder.rate();
    const size_t width = size_t(data->channels);
    for (;;)
    {
        const size_t used = size_t(data->frames) * width;
        data->samples.resize(used + size_t(Piece) * width);
        const int64_t got = decoder.read(data->samples.data() + used, Piece);
        data->frames += got;
        if (data->frames > maxFrames)
        {
            tooLong = true; // the header understated the length
            return nullptr;
        }
        if (got < Piece) break;
    }
    data->samples.resize(size_t(data->frames) * width);
    data->samples.shrink_to_fit();
    if (data->frames == 0) return nullptr;
    return data;
}

} // namespace Kavro
