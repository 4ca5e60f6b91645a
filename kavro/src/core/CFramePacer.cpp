#include "core/CFramePacer.h"

#include <algorithm>

namespace Kavro
{

namespace
{
// How far a frame may come late and still have the following ones catch up with the cadence.
constexpr int kCatchUpSteps = 4;
} // namespace

void CFramePacer::setFrameRate(int framesPerSecond)
{
    frameRate_ = framesPerSecond > 0 ? framesPerSecond : 0;
    period_ =
        frameRate_
            ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / frameRate_))
            : Clock::duration::zero();
    // A frame scheduled under a slower rate comes no later than the new rate wants it.
    if (started_) deadline_ = std::min(deadline_, Clock::now() + period_);
}

bool CFramePacer::isDue(Clock::time_point now) const
{
    return !frameRate_ || !started_ || now >= deadline_;
}

void CFramePacer::frameStarted(Clock::time_point now)
{
    if (!started_)
    {
        started_ = true;
        windowStart_ = now;
        deadline_ = now;
    }
    if (frameRate_)
        deadline_ = now - deadline_ > kCatchUpSteps * period_ ? now + period_ : deadline_ + period_;

    ++framesInWindow_;
    const std::chrono::duration<double> window = now - windowStart_;
    if (window.count() >= 1.0)
    {
        measured_ = float((framesInWindow_ - 1) / window.count());
        windowStart_ = now;
        framesInWindow_ = 1;
    }
}

} // namespace Kavro
