#pragma once

#include "curve/Easing.h"

#include <cstdint>

namespace Orvane
{

class CFile;

// A duration in milliseconds given as a float, truncated to whole unsigned milliseconds: negative or
// NaN gives 0, values beyond the 32-bit range the largest count.
inline uint32_t toWholeMilliseconds(float ms)
{
    if (!(ms > 0.0f))
        return 0;
    if (ms >= 4294967296.0f)
        return UINT32_MAX;
    return uint32_t(ms);
}

// Eases a value from `from` to `to` over `duration` milliseconds along one of the 61 curves,
// advanced once per frame by its owner with the application's frame time. T is float,
// Kavro::Vector2D or Kavro::Vector3D. Owners read and write the fields directly.
template <class T> class CInterpolator
{
public:
    // Starts an ease. A zero duration lands on the end at once; equal ends leave `active` as it was.
    void set(const T& start, const T& end, const uint32_t& durationMs, const int32_t& easingIndex);
    // Advances once per distinct millisecond reading of the core's clock by frame speed x 16.666666
    // x timeScale, capped by the frame-time cap; re-evaluates on every call. 1 when it was active on
    // entry, else 0.
    int update();
    // Recomputes value and scaledValue at the current elapsed time; nothing when inactive.
    void evaluate();
    // Jumps to the end value; 1 when it was active, else 0. elapsed is kept.
    int complete();
    // Seeks: elapsed := t clamped to [0, duration]; a positive duration revives the ease.
    void setTime(float t);

    // The record: a chunk of ten fields (84 bytes for float, 116 for Vector3D). 1 on success, 0 on
    // failure; a reader always ends at the chunk's end offset. frameStamp is not stored.
    int write(CFile& file) const;
    int read(CFile& file);

    float duration = 0.0f;
    float elapsed = 0.0f;
    uint32_t frameStamp = 0;
    T from{};
    T to{};
    T scaledValue{};
    T value{};
    int32_t easing = 0;
    uint32_t active = 0;
    float valueScale = 1.0f;
    float timeScale = 1.0f;

private:
    T curveValue() const;
    void finish();
};

extern template class CInterpolator<float>;
extern template class CInterpolator<Kavro::Vector2D>;
extern template class CInterpolator<Kavro::Vector3D>;

} // namespace Orvane
