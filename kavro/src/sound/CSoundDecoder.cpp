#include "sound/CSoundDecoder.h"

namespace Kavro
{

namespace
{

constexpr int MinRate = 1000;
constexpr int MaxRate = 384000;

IFileStream& StreamOf(void* self)
{
    return *static_cast<IFileStream*>(self);
}

} // namespace

CSoundDecoder::~CSoundDecoder()
{
    close();
}

void CSoundDecoder::close()
{
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (stream_) stream_->release();
    stream_ = nullptr;
}

bool CSoundDecoder::open(IFileStream* stream)
{
    close();
    if (!stream) return false;
    stream_ = stream;
    SF_VIRTUAL_IO io{&length, &seekTo, &readInto, &writeFrom, &tell};
    info_ = SF_INFO{};
    file_ = sf_open_virtual(&io, SFM_READ, &info_, stream_);
    const bool playable = file_ && info_.channels >= 1 && info_.channels <= MaxChannels &&
                          info_.samplerate >= MinRate && info_.samplerate <= MaxRate && info_.frames > 0;
    if (!file_)
        openError_ = std::string("not a sound that can be decoded (") + sf_strerror(nullptr) + ")";
    else if (!playable)
        openError_ = "not a playable sound (" + std::to_string(info_.channels) + " channels at " +
                     std::to_string(info_.samplerate) + " Hz, " + std::to_string(info_.frames) + " frames)";
    if (!playable) close();
    return playable;
}

int64_t CSoundDecoder::read(float* out, int64_t count)
{
    if (!file_ || count <= 0) return 0;
    const sf_count_t got = sf_readf_float(file_, out, count);
    return got > 0 ? got : 0;
}

bool CSoundDecoder::seek(int64_t frame)
{
    return file_ && sf_seek(file_, frame, SEEK_SET) == frame;
}

sf_count_t CSoundDecoder::length(void* self)
{
    return StreamOf(self).getFileSize();
}

sf_count_t CSoundDecoder::seekTo(sf_count_t offset, int whence, void* self)
{
    IFileStream& stream = StreamOf(self);
    const int result = whence == SEEK_SET   ? stream.seekStart(offset)
                       : whence == SEEK_END ? stream.seekEnd(offset)
                                            : stream.seek(offset);
    return result < 0 ? -1 : stream.getFilePosition();
}

sf_count_t CSoundDecoder::readInto(void* buffer, sf_count_t count, void* self)
{
    if (count <= 0) return 0;
    const uint32_t piece = count > 0x7FFFFFFF ? 0x7FFFFFFFu : uint32_t(count);
    return StreamOf(self).read(buffer, piece);
}

sf_count_t CSoundDecoder::writeFrom(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t CSoundDecoder::tell(void* self)
{
    return StreamOf(self).getFilePosition();
}

} // namespace Kavro
