// Feeds movie files to the container reader and both decoders, as the player uses them: the page walk that
// decides whether a file opens, then every stream as picture and as sound, decoded to the end, rewound
// and decoded again in part.
#include "movie/CMovieSound.h"
#include "movie/CTheoraStream.h"
#include "movie/OggPackets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace Kavro;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    std::vector<OggStreamSummary> streams;
    ScanOggPages(bytes->data(), bytes->size(), streams);
    for (const OggStreamSummary& stream : streams)
    {
        CTheoraStream video(bytes, stream.serial);
        if (video.open())
        {
            YuvFrame frame;
            int64_t index = 0;
            for (int i = 0; i < 256 && video.next(index) > 0; ++i)
                video.picture(frame);
            video.frameOfGranule(stream.lastGranule);
            if (video.rewind())
                video.next(index);
        }
        CMovieSound sound(bytes, stream.serial);
        if (sound.open())
        {
            sound.setLengths(stream.lastGranule, 48000);
            std::vector<float> out(size_t(4096) * size_t(sound.channels()));
            for (int i = 0; i < 8 && sound.read(out.data(), 4096) > 0; ++i)
            {
            }
            sound.seek(100);
            sound.read(out.data(), 1024);
        }
    }
    return 0;
}
