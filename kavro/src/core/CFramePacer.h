#pragma once

#include <chrono>
#include <cstdint>

namespace Kavro
{

// Decides when the next frame is due at a set frame rate and measures the rate achieved.
// Frames are due at fixed steps of 1/rate. A frame that comes a little late (up to four steps, as
// when the machine is busy) is made up by the next ones coming sooner, so that the rate holds; after
// a longer stall a new cadence starts from the late frame instead of a burst of frames.
class CFramePacer
{
public:
    using Clock = std::chrono::steady_clock;

    // 0 or less: every frame is due at once.
    void setFrameRate(int framesPerSecond);
    int frameRate() const { return frameRate_; }
    bool isDue(Clock::time_point now) const;
    Clock::time_point deadline() const { return deadline_; }
    // A frame was handed out at now.
    void frameStarted(Clock::time_point now);
    // Frames per second over the last full second; 0 before one has passed.
    float measuredFps() const { return measured_; }

private:
    int frameRate_ = 0;
    Clock::duration period_{};
    bool started_ = false;
    Clock::time_point deadline_{};
    Clock::time_point windowStart_{};
    int framesInWindow_ = 0;
    float measured_ = 0.0f;
};

} // namespace Kavro
