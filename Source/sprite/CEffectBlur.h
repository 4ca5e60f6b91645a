#pragma once

#include "core/CObject.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <vector>

namespace Orvane
{

class CFile;
class CSprite;

// The motion trail of a rendering object: copies of it at the transforms it had a little earlier.
class CEffectBlur : public CObject
{
public:
    // One recorded transform; 40 bytes, also in the saved record.
    struct BlurSample
    {
        uint32_t visible = 0;
        Kavro::Vector3D position;
        Kavro::Vector3D scale;
        Kavro::Vector3D rotation;
    };

    // Bounds of set and of a loaded record: trail slots, and milliseconds between two slots.
    static constexpr uint32_t maxCount = 64;
    static constexpr uint32_t maxInterval = 10000;

    CEffectBlur() = default;

    // 1 to 64 slots, 16 ms to 10 s between slots; 0.
    virtual int set(uint32_t count, float alpha, uint32_t interval, uint32_t drawOrder);
    // Records the object's transform of this frame and picks the ghosts from the history.
    virtual int update(const Kavro::Vector3D& position, const Kavro::Vector3D& scale,
                       const Kavro::Vector3D& rotation);
    // Draws the visible ghosts at alpha x opacity and the object at its newest transform, in the draw order.
    virtual int draw(CSprite* sprite, float opacity);
    // The walk of draw for any object: drawSample(sample, opacity) for each copy, in the draw order.
    // False, and nothing drawn, before the first update.
    template <class DrawSample> bool drawSamples(float opacity, DrawSample drawSample) const
    {
        if (history.empty() || trail.size() < size_t(count) + 1) return false;
        if (!drawOrder) drawSample(history.back(), opacity);
        for (uint32_t n = 0; n < count; ++n)
        {
            const uint32_t i = drawOrder ? n : count - 1 - n;
            if (trail[i].visible) drawSample(trail[i], alpha * opacity);
        }
        if (drawOrder) drawSample(history.back(), opacity);
        return true;
    }
    virtual int isActive() { return 1; }
    // The record (settings, history and trail) as one chunk: 1 on success, else 0.
    virtual int save(CFile& file);
    // Reads a record into this object, whichever kind it is: 1 on success, else 0 with the settings
    // kept, the history empty and the trail emptied.
    virtual int load(CFile& file);

    uint32_t getType() const { return type; }
    uint32_t getCount() const { return count; }
    uint32_t getInterval() const { return interval; }
    // The ghosts' opacity factor in thousandths, truncated.
    int32_t getAlpha() const;
    uint32_t getDrawOrder() const { return drawOrder; }

protected:
    uint32_t type = 1; // 0: no blur in effect
    uint32_t count = 1;
    uint32_t interval = 0;
    float alpha = 1.0f;
    uint32_t drawOrder = 1;
    std::vector<BlurSample> history;
    std::vector<BlurSample> trail;

private:
    static bool readRecord(CFile& file, uint32_t& newCount, uint32_t& newInterval, float& newAlpha,
                           uint32_t& newDrawOrder, std::vector<BlurSample>& newHistory,
                           std::vector<BlurSample>& newTrail);
};

} // namespace Orvane
