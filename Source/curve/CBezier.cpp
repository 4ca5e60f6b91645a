#include "curve/CBezier.h"

#include <algorithm>
#include <cmath>

namespace Orvane
{

template <class T> int CBezier<T>::begin(const float& duration, const int32_t& easing)
{
    if (points.empty())
        return -1;
    if (points.size() % 4 != 0)
    {
        current = points.back();
        return -1;
    }
    progress.set(0.0f, 1.0f, toWholeMilliseconds(duration), easing);
    current = points.front();
    return 0;
}

template <class T> int CBezier<T>::update()
{
    const int result = progress.update();
    if (result)
        evaluate();
    return result;
}

template <class T> int CBezier<T>::evaluate()
{
    const size_t n = points.size();
    if (n == 0 || n % 4 != 0)
        return 0;
    if (!progress.active)
    {
        current = points.back();
        return 1;
    }
    const float segments = float(n / 4);
    const float step = 1.0f / segments;
    const float p = progress.scaledValue;
    const float position = p / step;
    if (!(position < segments)) // past the last segment (an overshooting ease), or NaN
    {
        current = points.back();
        return 0;
    }
    // A parameter below -step (an ease dipping under 0) would name a segment before the first one:
    // it stays on the first, where u clamps to 0.
    const size_t seg = position < 1.0f ? 0 : size_t(position);
    const float u = std::clamp(std::fmod(p, step) * segments, 0.0f, 1.0f);
    const float w = 1.0f - u;
    const T& p0 = points[seg * 4];
    const T& p1 = points[seg * 4 + 1];
    const T& p2 = points[seg * 4 + 2];
    const T& p3 = points[seg * 4 + 3];
    current = p0 * (w * w * w) + p1 * (3.0f * w * w * u) + p2 * (3.0f * w * u * u) + p3 * (u * u * u);
    return 1;
}

template class CBezier<Kavro::Vector3D>;

} // namespace Orvane
