#pragma once

#include "curve/CInterpolator.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <vector>

namespace Orvane
{

// A path through timed points: a progress interpolator runs from 0 to 1 over the duration and the
// path passes through each key at its normalised time, following a cubic Hermite curve between keys.
// T is Kavro::Vector3D or float. The derived classes build the keys in begin().
template <class T> class CHermiteSpline
{
public:
    struct Point
    {
        T position{};
        float time = 0.0f; // milliseconds
        uint32_t reserved = 0;
        float weight = 1.0f; // factor on the point's velocity estimates
        uint32_t number = 0; // order of adding
    };
    struct Key
    {
        T position{};
        T startTangent{}; // tangent at the start of the span that ends at this key
        T tangent{};      // tangent at this key
        float time = 0.0f; // normalised 0..1
        uint32_t reserved = 0;
        float weight = 0.0f;
        uint32_t spare = 0;
    };

    virtual ~CHermiteSpline() = default;

    const Point& addPoint(const T& position, const float& time, const float& weight);
    // Empties the path; a running progress jumps to its end. update() then returns 0.
    void reset();
    // Builds the keys and starts the progress; returns 0.
    virtual int begin(const float& duration, const int32_t& easing) = 0;
    // 0 when not running; otherwise advances, evaluates and returns the progress update's result.
    virtual int update();
    // Seeks to t milliseconds (clamped), revives a finished path and evaluates from the first span.
    void setTimer(const float& t);

    std::vector<Point> points;
    std::vector<Key> keys;
    int32_t segment = -1; // the key that ends the current span; -1 = not running
    CInterpolator<float> progress;
    T current{};
    float firstTime = 0.0f;
    float lastTime = 0.0f;

protected:
    // Progress from 0.0 to 1.0 over the duration in whole milliseconds; a zero duration stands at 1.0.
    void startProgress(const float& duration, const int32_t& easing);
    // One key per point holding only its position.
    void positionOnlyKeys();
    void findSegment();
    // Places current from the progress parameter; a derived path may place it its own way.
    virtual int evaluate();
    float parameter() const { return progress.scaledValue; }
};

extern template class CHermiteSpline<Kavro::Vector3D>;
extern template class CHermiteSpline<float>;

} // namespace Orvane
