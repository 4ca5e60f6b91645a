#pragma once

#include "curve/CHermiteSpline.h"

namespace Orvane
{

// Timed keys joined by straight lines: a keyframe track. Keys of equal times all stay and the track
// never closes; the key search only moves forward.
template <class T> class CLinearTimeline : public CHermiteSpline<T>
{
public:
    // Builds the keys (positions and normalised times only) and starts the progress. Returns 0.
    int begin(const float& duration, const int32_t& easing) override;
    // 0 when not running, otherwise 1 (also in the frame that reaches the last key).
    int update() override;

protected:
    // Straight-line placement with the forward key search; a seek (setTimer) places linearly too.
    int evaluate() override;

private:
    int end();
};

extern template class CLinearTimeline<Kavro::Vector3D>;
extern template class CLinearTimeline<float>;

} // namespace Orvane
