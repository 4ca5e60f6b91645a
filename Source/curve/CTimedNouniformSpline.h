#pragma once

#include "curve/CHermiteSpline.h"

namespace Orvane
{

// A Hermite path whose tangents come from the keys' positions and their unequal time spans, so that
// the speed changes smoothly across keys of different durations. A path whose first and last
// positions are equal is closed: its end tangents see the wrapped neighbours.
template <class T> class CTimedNouniformSpline : public CHermiteSpline<T>
{
public:
    using Key = typename CHermiteSpline<T>::Key;

    // Merges points of equal consecutive times (the earlier one is dropped for good), builds the keys
    // and their tangents, and starts the progress. Returns 0.
    int begin(const float& duration, const int32_t& easing) override;

private:
    void buildKeys();
    bool addPhantomKeys();
    float spanSeconds(size_t i) const;
    T velocityFromNext(size_t i) const;
    T velocityFromPrev(size_t i) const;
    void relax();
    float span = 0.0f;
};

extern template class CTimedNouniformSpline<Kavro::Vector3D>;
extern template class CTimedNouniformSpline<float>;

} // namespace Orvane
