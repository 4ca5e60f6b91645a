#pragma once

#include "curve/CInterpolator.h"

#include <kavro/Vector3D.h>

#include <deque>

namespace Orvane
{

// A point moving along a chain of independent cubic Bezier segments (four control points each)
// over a duration, the progress eased by one of the 61 curves.
template <class T> class CBezier
{
public:
    virtual ~CBezier() = default;

    void addPoint(const T& point) { points.push_back(point); }
    // Removes the control points; progress and current stay.
    void reset() { points.clear(); }
    // 0 when started; -1 when there are no points (nothing changes) or their count is not a multiple
    // of 4 (current becomes the last point).
    virtual int begin(const float& duration, const int32_t& easing);
    // The progress update's result; re-evaluates while it runs.
    virtual int update();
    // 1 when current was set from the curve or to the last point after the end; 0 otherwise.
    int evaluate();

    std::deque<T> points;
    CInterpolator<float> progress;
    T current{};
};

extern template class CBezier<Kavro::Vector3D>;

} // namespace Orvane
