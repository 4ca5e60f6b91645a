#pragma once

#include "sound/CSoundDecoder.h"
#include "sound/ISampleSource.h"

#include <memory>

namespace Kavro
{

// Decodes a sound file as it is read: the source of a streamed sound.
class CStreamSource : public ISampleSource
{
public:
    explicit CStreamSource(std::unique_ptr<CSoundDecoder> decoder) : decoder_(std::move(decoder)) {}

    int channels() const override { return decoder_->channels(); }
    int rate() const override { return decoder_->rate(); }
    int64_t frames() const override { return decoder_->frames(); }
    int64_t read(float* out, int64_t count) override { return decoder_->read(out, count); }
    bool seek(int64_t frame) override { return decoder_->seek(frame); }

private:
    std::unique_ptr<CSoundDecoder> decoder_;
};

} // namespace Kavro
