#include "curve/CTimedNouniformSpline.h"

#include "curve/SplineValue.h"

namespace Orvane
{

namespace
{
constexpr int RelaxationPasses = 3;
constexpr float SpeedEpsilon = 1e-5f;
} // namespace

template <class T> int CTimedNouniformSpline<T>::begin(const float& duration, const int32_t& easing)
{
    auto& points = this->points;
    auto& keys = this->keys;
    this->segment = 1;
    this->startProgress(duration, easing);
    if (!points.empty())
        this->current = points.front().position;
    if (points.size() < 2)
    {
        this->positionOnlyKeys();
        return 0;
    }
    for (size_t i = 1; i < points.size();)
    {
        if (points[i].time == points[i - 1].time)
            points.erase(points.begin() + std::ptrdiff_t(i - 1));
        else
            ++i;
    }
    this->firstTime = points.front().time;
    this->lastTime = points.back().time;
    span = this->lastTime - this->firstTime;
    if (span == 0.0f)
    {
        // Only one point is left, or the times run back to the first one: no span to spread the keys
        // over, so the path holds the last point.
        Key key;
        key.position = points.back().position;
        keys.assign(1, key);
        this->current = key.position;
        return 0;
    }
    buildKeys();
    if (keys.size() <= 2)
        return 0; // two keys are joined by a straight line
    const bool closed = addPhantomKeys();
    relax();
    if (closed)
    {
        keys.erase(keys.begin());
        keys.pop_back();
    }
    this->segment = 1;
    this->startProgress(duration, easing);
    this->current = keys.front().position;
    return 0;
}

template <class T> void CTimedNouniformSpline<T>::buildKeys()
{
    this->keys.clear();
    for (const auto& point : this->points)
    {
        Key key;
        key.position = point.position;
        key.reserved = point.reserved;
        key.weight = point.weight;
        key.time = (point.time - this->firstTime) / span;
        this->keys.push_back(key);
    }
}

// A closed path gets a copy of the key before the last in front and of the second key behind, with
// times continuing the first and the last span. True when they were added.
template <class T> bool CTimedNouniformSpline<T>::addPhantomKeys()
{
    auto& keys = this->keys;
    const size_t count = keys.size();
    if (!(keys.front().position == keys.back().position))
        return false;
    Key front = keys[count - 2];
    front.time = keys[0].time - (keys[count - 1].time - keys[count - 2].time);
    Key back = keys[1];
    back.time = keys[count - 1].time + (keys[1].time - keys[0].time);
    keys.insert(keys.begin(), front);
    keys.push_back(back);
    return true;
}

template <class T> float CTimedNouniformSpline<T>::spanSeconds(size_t i) const
{
    return ((this->keys[i].time - this->keys[i - 1].time) * span) * 0.001f;
}

template <class T> T CTimedNouniformSpline<T>::velocityFromNext(size_t i) const
{
    const auto& keys = this->keys;
    return ((((keys[i + 1].position - keys[i].position) * 3.0f) / spanSeconds(i + 1) - keys[i + 1].tangent) * 0.5f) *
           keys[i].weight;
}

template <class T> T CTimedNouniformSpline<T>::velocityFromPrev(size_t i) const
{
    const auto& keys = this->keys;
    return ((((keys[i].position - keys[i - 1].position) * 3.0f) / spanSeconds(i) - keys[i - 1].tangent) * 0.5f) *
           keys[i].weight;
}

template <class T> void CTimedNouniformSpline<T>::relax()
{
    auto& keys = this->keys;
    const size_t count = keys.size();
    const size_t last = count - 1;
    for (size_t i = 1; i < last; ++i)
    {
        const T& p = keys[i].position;
        keys[i].tangent = unitOf(unitOf(keys[i + 1].position - p) - unitOf(keys[i - 1].position - p));
    }
    keys[0].tangent = velocityFromNext(0);
    keys[last].tangent = velocityFromPrev(last);

    for (int pass = 0; pass < RelaxationPasses; ++pass)
    {
        // Each estimate is stored one step later, so every estimate of a pass reads its neighbours'
        // tangents as they were when the pass began.
        T previous = velocityFromNext(0);
        for (size_t i = 1; i < last; ++i)
        {
            const float dtPrev = spanSeconds(i);
            const float dtNext = spanSeconds(i + 1);
            T v = (velocityFromPrev(i) * dtNext + velocityFromNext(i) * dtPrev) / (dtPrev + dtNext);
            const float speedIn = lengthOf(keys[i - 1].position - keys[i].position) / dtNext;
            const float speedOut = lengthOf(keys[i + 1].position - keys[i].position) / dtPrev;
            if (speedIn > SpeedEpsilon && speedOut > SpeedEpsilon)
            {
                const float sum = speedIn + speedOut;
                v = v * (((4.0f * speedIn) * speedOut) / (sum * sum));
            }
            keys[i - 1].tangent = previous;
            previous = v;
        }
        keys[last].tangent = velocityFromPrev(last);
        keys[last - 1].tangent = previous;
    }

    for (size_t k = 1; k < count; ++k)
        keys[k].startTangent = keys[k - 1].tangent;
    for (size_t k = 1; k < count; ++k)
    {
        const float dt = spanSeconds(k);
        keys[k].startTangent = keys[k].startTangent * dt;
        keys[k].tangent = keys[k].tangent * dt;
    }
}

template class CTimedNouniformSpline<Kavro::Vector3D>;
template class CTimedNouniformSpline<float>;

} // namespace Orvane
