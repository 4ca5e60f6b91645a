#include "sound/CLoopCursor.h"

#include <algorithm>

namespace Kavro
{

void CLoopCursor::setLoop(int64_t length, int mode, int64_t start, int64_t end)
{
    length_ = std::max<int64_t>(length, 0);
    loopStart_ = start >= 0 && start < length_ ? start : 0;
    loopEnd_ = end > loopStart_ && end <= length_ ? end : length_;
    jumpsLeft_ = mode < 0 ? -1 : std::max(mode - 1, 0);
}

void CLoopCursor::begin(ISampleSource& source, int64_t frame)
{
    position_ = std::clamp<int64_t>(frame, 0, length_);
    finished_ = !source.seek(position_) || position_ >= length_;
}

bool CLoopCursor::jumpBack(ISampleSource& source)
{
    // A region of nothing would spin forever without producing a frame.
    if (jumpsLeft_ == 0 || loopEnd_ <= loopStart_ || !source.seek(loopStart_)) return false;
    if (jumpsLeft_ > 0) --jumpsLeft_;
    position_ = loopStart_;
    return true;
}

int64_t CLoopCursor::read(ISampleSource& source, float* out, int64_t count,
                          std::vector<SoundSegment>& segments)
{
    const int width = source.channels();
    int64_t done = 0;
    bool fresh = true;
    while (done < count && !finished_)
    {
        const bool looping = jumpsLeft_ != 0 && position_ <= loopEnd_;
        const int64_t limit = looping ? loopEnd_ : length_;
        if (position_ >= limit)
        {
            finished_ = !(looping && jumpBack(source));
            fresh = true;
            continue;
        }
        const int64_t want = std::min(count - done, limit - position_);
        const int64_t got = source.read(out + done * width, want);
        if (got > 0 && fresh) segments.push_back({done, position_});
        fresh = fresh && got <= 0;
        done += got;
        position_ += got;
        if (got < want) truncate();
    }
    return done;
}

void CLoopCursor::truncate()
{
    // The data ended before the header said: the sound is as long as what was read.
    length_ = position_;
    loopEnd_ = std::min(loopEnd_, length_);
    loopStart_ = std::min(loopStart_, loopEnd_);
}

} // namespace Kavro
