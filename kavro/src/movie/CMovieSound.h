#pragma once

#include "movie/OggPackets.h"
#include "sound/ISampleSource.h"

#include <vorbis/codec.h>

#include <cstdint>

namespace Kavro
{

// The Vorbis stream of a movie as a sound of the sound device. It lasts as long as the movie: silence
// follows the stream's last sample, and a stream that turns out damaged falls silent where it breaks.
class CMovieSound : public ISampleSource
{
public:
    CMovieSound(MovieBytes bytes, int serial);
    ~CMovieSound() override;
    CMovieSound(const CMovieSound&) = delete;
    CMovieSound& operator=(const CMovieSound&) = delete;

    // Reads the three headers. False when the stream is not Vorbis, is damaged, or has a channel count
    // the device does not play (1 or 2 only).
    bool open();
    // The stream's own length in frames (from its last granule position) and the length to play.
    void setLengths(int64_t streamFrames, int64_t totalFrames);

    int channels() const override { return info_.channels; }
    int rate() const override { return int(info_.rate); }
    int64_t frames() const override { return total_; }
    int64_t read(float* out, int64_t count) override;
    bool seek(int64_t frame) override;

private:
    bool startSynthesis();
    void stopSynthesis();
    // Decodes the next packet into the synthesis state. False at the end or on damage.
    bool decodePacket();

    COggPacketReader reader_;
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    bool synthesis_ = false;
    bool streamDone_ = false;
    int64_t streamFrames_ = 0;
    int64_t total_ = 0;
    int64_t position_ = 0;
};

} // namespace Kavro
