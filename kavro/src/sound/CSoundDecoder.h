#pragma once

#include "kavro/IFileSystem.h"

#include <sndfile.h>

#include <cstdint>
#include <string>

namespace Kavro
{

// Decodes one sound file (WAV, Ogg Vorbis, FLAC, Opus: whatever libsndfile reads) from a file-system stream
// into interleaved float frames. Owns the stream; one decoder reads one stream, so a decoder may live on
// another thread than the one that opened it.
class CSoundDecoder
{
public:
    static constexpr int MaxChannels = 2;

    CSoundDecoder() = default;
    ~CSoundDecoder();
    CSoundDecoder(const CSoundDecoder&) = delete;
    CSoundDecoder& operator=(const CSoundDecoder&) = delete;

    // Takes over the stream's reference. False, and the stream released, when it is not a sound the device
    // plays: unreadable, more than two channels, an implausible rate or no frames.
    bool open(IFileStream* stream);
    // Why the last open failed, in words.
    const std::string& openError() const { return openError_; }
    int channels() const { return info_.channels; }
    int rate() const { return info_.samplerate; }
    // As the file's header states it; the data may hold fewer.
    int64_t frames() const { return info_.frames; }
    // Frames decoded into out (room for count frames); fewer at the end or on damaged data.
    int64_t read(float* out, int64_t count);
    bool seek(int64_t frame);

private:
    static sf_count_t length(void* self);
    static sf_count_t seekTo(sf_count_t offset, int whence, void* self);
    static sf_count_t readInto(void* buffer, sf_count_t count, void* self);
    static sf_count_t writeFrom(const void* buffer, sf_count_t count, void* self);
    static sf_count_t tell(void* self);
    void close();

    IFileStream* stream_ = nullptr;
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::string openError_;
};

} // namespace Kavro
