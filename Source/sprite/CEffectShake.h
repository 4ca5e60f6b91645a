#pragma once

#include "core/CObject.h"
#include "curve/CInterpolator.h"

#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane
{

class CFile;

// Moves its owner back and forth about its rest position: swings of one period between plus and minus
// an amplitude that eases from a start to an end value, a shorter first swing from rest, and a return to
// rest over the last part of the duration.
class CEffectShake : public CObject
{
public:
    CEffectShake();

    virtual int begin(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
                      uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    virtual void update();
    virtual uint32_t isShaking() const { return timeline.active; }
    // Mode non-zero: where the swing stands; mode 0: where it is heading.
    virtual const Kavro::Vector3D& getOffset() const;
    CInterpolator<float> getTimeline() const { return timeline; }
    CInterpolator<Kavro::Vector3D> getAmplitude() const { return amplitude; }
    CInterpolator<Kavro::Vector3D> getSwing() const { return swing; }
    uint32_t getMode() const { return mode; }
    float getDuration() const { return timeline.duration; }
    float getTimer() const { return timeline.elapsed; }
    // Seeks the shake to t milliseconds; nothing without a period or a duration.
    virtual void setTimer(const float& t);
    void setTimeScale(float scaling);
    // The record: 1 on success, 0 on failure (a reader then stands at the record's end).
    virtual int save(CFile& file) const;
    virtual int load(CFile& file);

    uint32_t type = 1;
    CInterpolator<float> timeline;
    CInterpolator<Kavro::Vector3D> amplitude;
    CInterpolator<Kavro::Vector3D> swing;
    uint32_t mode = 0;
    int32_t swingEasing = 0;
    float sign = 1.0f;
    uint32_t done = 0;
    uint32_t period = 0;
    uint32_t firstSwing = 0;

protected:
    float remaining() const { return timeline.duration - timeline.elapsed; }
    void setSwing(const Kavro::Vector3D& start, const Kavro::Vector3D& end, uint32_t duration);
    // The end of the first (and of the last full) swing: -A x sign x 2 x firstSwing / period.
    Kavro::Vector3D shortSwingEnd() const;
    // Starts the return to rest once the remaining time is no more than the first swing; true then.
    bool startReturnIfDue();
    // Index of the swing that t falls in and the time inside it.
    void placeInPattern(float t, uint32_t& index, float& local, bool reciprocal) const;
};

} // namespace Orvane
