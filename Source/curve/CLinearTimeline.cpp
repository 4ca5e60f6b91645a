#include "curve/CLinearTimeline.h"

#include "curve/SplineValue.h"

namespace Orvane
{

template <class T> int CLinearTimeline<T>::begin(const float& duration, const int32_t& easing)
{
    auto& points = this->points;
    this->segment = 1;
    this->startProgress(duration, easing);
    if (points.empty())
    {
        this->keys.clear();
        return 0; // no first point: the position stays where it is
    }
    this->current = points.front().position;
    this->positionOnlyKeys();
    if (points.size() < 2)
        return 0;
    this->firstTime = points.front().time;
    this->lastTime = points.back().time;
    const float span = this->lastTime - this->firstTime;
    // With no span between the first and last time every key stands at 0, and the search runs
    // straight to the last key.
    for (size_t i = 0; i < points.size(); ++i)
        this->keys[i].time = span == 0.0f ? 0.0f : (points[i].time - this->firstTime) / span;
    return 0;
}

template <class T> int CLinearTimeline<T>::end()
{
    this->current = this->keys.back().position;
    this->segment = -1;
    return 1;
}

template <class T> int CLinearTimeline<T>::update()
{
    if (this->segment < 0)
        return 0;
    this->progress.update();
    return evaluate();
}

template <class T> int CLinearTimeline<T>::evaluate()
{
    const auto& keys = this->keys;
    if (this->segment < 0)
    {
        if (!keys.empty())
            this->current = keys.back().position;
        return 0;
    }
    const int32_t count = int32_t(keys.size());
    const float p = this->parameter();
    int32_t& segment = this->segment;
    if (count < 2)
    {
        if (!this->progress.active)
            segment = -1;
        return 1;
    }
    if (count == 2)
    {
        if (!this->progress.active)
            return end();
        const float spanLength = keys[1].time - keys[0].time;
        const float s = spanLength == 0.0f ? 1.0f : (p - keys[0].time) / spanLength;
        this->current = lerpValue(keys[0].position, keys[1].position, s);
        return 1;
    }
    while (segment < count && !(keys[segment - 1].time <= p && p < keys[segment].time))
        ++segment;
    if (segment >= count)
        return end();
    const auto& from = keys[size_t(segment) - 1];
    const auto& to = keys[size_t(segment)];
    this->current = lerpValue(from.position, to.position, (p - from.time) / (to.time - from.time));
    return 1;
}

template class CLinearTimeline<Kavro::Vector3D>;
template class CLinearTimeline<float>;

} // namespace Orvane
