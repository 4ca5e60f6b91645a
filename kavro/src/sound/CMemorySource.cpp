#include "sound/CMemorySource.h"

#include <algorithm>
#include <cstring>

namespace Kavro
{

int64_t CMemorySource::read(float* out, int64_t count)
{
    const int64_t n = std::clamp<int64_t>(data_->frames - position_, 0, std::max<int64_t>(count, 0));
    const size_t width = size_t(data_->channels);
    std::memcpy(out, data_->samples.data() + size_t(position_) * width, size_t(n) * width * sizeof(float));
    position_ += n;
    return n;
}

bool CMemorySource::seek(int64_t frame)
{
    if (frame < 0 || frame > data_->frames) return false;
    position_ = frame;
    return true;
}

} // namespace Kavro
