#include "curve/CHermiteSpline.h"

#include "curve/SplineValue.h"

namespace Orvane
{

template <class T> auto CHermiteSpline<T>::addPoint(const T& position, const float& time, const float& weight)
    -> const Point&
{
    Point point;
    point.position = position;
    point.time = time;
    point.weight = weight;
    point.number = uint32_t(points.size());
    points.push_back(point);
    return points.back();
}

template <class T> void CHermiteSpline<T>::reset()
{
    points.clear();
    keys.clear();
    segment = -1;
    progress.complete();
}

template <class T> void CHermiteSpline<T>::startProgress(const float& duration, const int32_t& easing)
{
    progress.from = 0.0f;
    progress.to = 1.0f;
    progress.elapsed = 0.0f;
    progress.frameStamp = 0;
    progress.value = 0.0f;
    progress.scaledValue = 0.0f;
    progress.duration = float(toWholeMilliseconds(duration));
    progress.easing = validEasing(easing);
    if (progress.duration == 0.0f)
    {
        progress.active = 0;
        progress.value = 1.0f;
        progress.scaledValue = progress.valueScale;
        progress.from = 1.0f;
    }
    else
    {
        progress.active = 1;
    }
}

template <class T> void CHermiteSpline<T>::positionOnlyKeys()
{
    keys.clear();
    for (const Point& point : points)
    {
        Key key;
        key.position = point.position;
        keys.push_back(key);
    }
}

template <class T> void CHermiteSpline<T>::findSegment()
{
    if (segment < 0)
        return;
    const int32_t count = int32_t(keys.size());
    if (count < 3 || !progress.active)
    {
        if (!progress.active)
            segment = -1;
        return;
    }
    const float p = parameter();
    segment = 1;
    if (keys[0].time > p)
        return;
    while (segment < count && !(keys[segment - 1].time <= p && p < keys[segment].time))
        ++segment;
    if (segment >= count)
        segment = count - 1;
}

template <class T> int CHermiteSpline<T>::evaluate()
{
    if (segment < 0)
    {
        if (!keys.empty())
            current = keys.back().position;
        return 0;
    }
    const size_t count = keys.size();
    findSegment();
    if (count < 2)
        return 1;
    if (segment < 0)
    {
        current = keys.back().position;
        return 1;
    }
    const Key& start = keys[size_t(segment) - 1];
    const Key& end = keys[size_t(segment)];
    const float s = (parameter() - start.time) / (end.time - start.time);
    if (count == 2)
        current = lerpValue(start.position, end.position, s);
    else
        current = hermiteValue(start.position, end.startTangent, end.position, end.tangent, s);
    return 1;
}

template <class T> int CHermiteSpline<T>::update()
{
    if (segment < 0)
        return 0;
    const int result = progress.update();
    evaluate();
    return result;
}

template <class T> void CHermiteSpline<T>::setTimer(const float& t)
{
    progress.setTime(t);
    segment = 1;
    findSegment();
    evaluate();
}

template class CHermiteSpline<Kavro::Vector3D>;
template class CHermiteSpline<float>;

} // namespace Orvane
