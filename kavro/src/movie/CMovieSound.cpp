#include "movie/CMovieSound.h"

#include <algorithm>
#include <vector>

namespace Kavro
{

CMovieSound::CMovieSound(MovieBytes bytes, int serial) : reader_(std::move(bytes), serial)
{
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
}

CMovieSound::~CMovieSound()
{
    stopSynthesis();
    vorbis_comment_clear(&comment_);
    vorbis_info_clear(&info_);
}

bool CMovieSound::open()
{
    ogg_packet packet;
    for (int header = 0; header < 3; ++header)
    {
        if (reader_.next(packet) != 1 || vorbis_synthesis_headerin(&info_, &comment_, &packet) != 0)
            return false;
    }
    if (info_.channels < 1 || info_.channels > 2 || info_.rate <= 0)
        return false;
    return startSynthesis();
}

void CMovieSound::setLengths(int64_t streamFrames, int64_t totalFrames)
{
    streamFrames_ = std::max<int64_t>(streamFrames, 0);
    total_ = std::max(totalFrames, streamFrames_);
}

bool CMovieSound::startSynthesis()
{
    stopSynthesis();
    if (vorbis_synthesis_init(&dsp_, &info_) != 0)
        return false;
    if (vorbis_block_init(&dsp_, &block_) != 0)
    {
        vorbis_dsp_clear(&dsp_);
        return false;
    }
    synthesis_ = true;
    streamDone_ = false;
    position_ = 0;
    return true;
}

void CMovieSound::stopSynthesis()
{
    if (!synthesis_)
        return;
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
    synthesis_ = false;
}

bool CMovieSound::decodePacket()
{
    ogg_packet packet;
    if (!synthesis_ || reader_.next(packet) != 1)
        return false;
    if (vorbis_synthesis(&block_, &packet) != 0 || vorbis_synthesis_blockin(&dsp_, &block_) != 0)
        return false;
    return true;
}

int64_t CMovieSound::read(float* out, int64_t count)
{
    const int channelCount = info_.channels;
    int64_t done = 0;
    while (done < count && position_ < total_)
    {
        float** pcm = nullptr;
        const int ready = !streamDone_ && synthesis_ ? vorbis_synthesis_pcmout(&dsp_, &pcm) : 0;
        if (ready > 0)
        {
            // Samples past the stream's stated end are the encoder's padding.
            const int64_t take =
                std::min({int64_t(ready), count - done, std::max<int64_t>(streamFrames_ - position_, 0)});
            for (int64_t i = 0; i < take; ++i)
                for (int c = 0; c < channelCount; ++c)
                    out[(done + i) * channelCount + c] = pcm[c][i];
            vorbis_synthesis_read(&dsp_, int(take > 0 ? take : ready));
            done += take;
            position_ += take;
            if (position_ >= streamFrames_)
                streamDone_ = true;
            continue;
        }
        if (!streamDone_ && decodePacket())
            continue;
        streamDone_ = true;
        // Silence to the movie's end.
        const int64_t quiet = std::min(count - done, total_ - position_);
        std::fill(out + done * channelCount, out + (done + quiet) * channelCount, 0.0f);
        done += quiet;
        position_ += quiet;
    }
    return done;
}

bool CMovieSound::seek(int64_t frame)
{
    frame = std::clamp<int64_t>(frame, 0, total_);
    if (frame < position_)
    {
        reader_.rewind();
        ogg_packet packet;
        for (int header = 0; header < 3; ++header)
            if (reader_.next(packet) != 1)
                return false;
        if (!startSynthesis())
            return false;
    }
    std::vector<float> discard(size_t(4096) * size_t(info_.channels));
    while (position_ < frame)
    {
        const int64_t step = std::min<int64_t>(4096, frame - position_);
        if (read(discard.data(), step) <= 0)
            return false;
    }
    return true;
}

} // namespace Kavro
