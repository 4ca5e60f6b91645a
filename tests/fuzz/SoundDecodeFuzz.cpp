// Sound files as the sound device opens them: decoded whole within the decoding limit (or refused as too
// long), and streamed with seeks. Whatever the file, reads stay within the frames asked for.
#include "sound/CSoundData.h"
#include "sound/CSoundDecoder.h"
#include "sound/CStreamSource.h"

#include <kavro/RefCounted.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

// The file's bytes as the file system's stream gives them.
class MemoryStream : public Kavro::RefCounted<Kavro::IFileStream>
{
public:
    MemoryStream(const uint8_t* data, size_t size) : bytes_(data, data + size) {}

    int close() override { return 0; }
    int isOpened() override { return 1; }
    uint32_t write(const void*, uint32_t) override { return 0; }
    uint32_t read(void* buffer, uint32_t size) override
    {
        const uint64_t n = std::min<uint64_t>(size, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return uint32_t(n);
    }
    int load() override { return 0; }
    uint32_t getFileSize() override { return uint32_t(bytes_.size()); }
    int seekStart(int64_t offset) override { return moveTo(offset); }
    int seekEnd(int64_t offset) override { return moveTo(int64_t(bytes_.size()) + offset); }
    int seek(int64_t offset) override { return moveTo(int64_t(position_) + offset); }
    int64_t getFilePosition() override { return int64_t(position_); }
    const uint8_t* getLoadData() override { return bytes_.data(); }
    int flush() override { return 0; }

private:
    int moveTo(int64_t target)
    {
        if (target < 0 || uint64_t(target) > bytes_.size())
            return -1;
        position_ = uint64_t(target);
        return 0;
    }

    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
};

std::unique_ptr<Kavro::CSoundDecoder> Open(const uint8_t* data, size_t size)
{
    auto decoder = std::make_unique<Kavro::CSoundDecoder>();
    if (!decoder->open(new MemoryStream(data, size)))
        return nullptr;
    return decoder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto whole = Open(data, size);
    if (!whole)
        return 0;
    bool tooLong = false;
    const auto decoded = Kavro::CSoundData::Decode(*whole, tooLong);
    if (decoded && (decoded->frames <= 0 || decoded->samples.size() != size_t(decoded->frames) * size_t(decoded->channels) ||
                    int64_t(decoded->samples.size()) > Kavro::CSoundData::MaxSamples))
        __builtin_trap();

    auto streamed = Open(data, size);
    if (!streamed)
        __builtin_trap(); // the same bytes opened once already
    const int channels = streamed->channels();
    Kavro::CStreamSource source(std::move(streamed));
    constexpr int64_t Piece = 4096;
    std::vector<float> out(size_t(Piece) * size_t(channels) + 1);
    out.back() = 12345.0f;
    int64_t total = 0;
    for (int i = 0; i < 64; ++i)
    {
        const int64_t got = source.read(out.data(), Piece);
        if (got < 0 || got > Piece || out.back() != 12345.0f)
            __builtin_trap();
        total += got;
        if (got < Piece)
            break;
    }
    for (int64_t frame : {int64_t(0), source.frames() / 2, source.frames() - 1, total + 7})
        if (source.seek(frame))
            source.read(out.data(), Piece);
    if (out.back() != 12345.0f)
        __builtin_trap();
    return 0;
}
