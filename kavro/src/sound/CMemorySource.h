#pragma once

#include "sound/CSoundData.h"
#include "sound/ISampleSource.h"

#include <memory>

namespace Kavro
{

// Reads a decoded sound; every instance has its own position over the shared samples.
class CMemorySource : public ISampleSource
{
public:
    explicit CMemorySource(std::shared_ptr<const CSoundData> data) : data_(std::move(data)) {}

    int channels() const override { return data_->channels; }
    int rate() const override { return data_->rate; }
    int64_t frames() const override { return data_->frames; }
    int64_t read(float* out, int64_t count) override;
    bool seek(int64_t frame) override;

private:
    std::shared_ptr<const CSoundData> data_;
    int64_t position_ = 0;
};

} // namespace Kavro
