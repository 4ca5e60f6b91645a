#pragma once

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>
#include <kavro/Vector4D.h>

namespace Orvane
{

// The 61 easing curves, in index order. Each answers the value at `time` of a change from `from`
// to `to` over `duration` (any unit, the same for both). The curves check nothing: a zero duration
// gives infinities or NaN, and times outside 0..duration extrapolate.
#define ORVANE_EASING_CURVES(X)                                                                                      \
    X(easeLinear)                                                                                                    \
    X(easePow2In) X(easePow2Out) X(easePow4In) X(easePow4Out) X(easePow8In) X(easePow8Out)                          \
    X(easePow2InOut) X(easePow2OutIn) X(easePow4InOut) X(easePow4OutIn) X(easePow8InOut) X(easePow8OutIn)           \
    X(easeBack1In) X(easeBack1Out) X(easeBack2In) X(easeBack2Out) X(easeBack3In) X(easeBack3Out)                    \
    X(easeBack1InOut) X(easeBack1OutIn) X(easeBack2InOut) X(easeBack2OutIn) X(easeBack3InOut) X(easeBack3OutIn)     \
    X(easeElastic1In) X(easeElastic1Out) X(easeElastic2In) X(easeElastic2Out) X(easeElastic3In) X(easeElastic3Out)  \
    X(easeElastic1InOut) X(easeElastic1OutIn) X(easeElastic2InOut) X(easeElastic2OutIn) X(easeElastic3InOut)        \
    X(easeElastic3OutIn)                                                                                             \
    X(easeBounce1In) X(easeBounce1Out) X(easeBounce2In) X(easeBounce2Out) X(easeBounce3In) X(easeBounce3Out)        \
    X(easeBounce1InOut) X(easeBounce1OutIn) X(easeBounce2InOut) X(easeBounce2OutIn) X(easeBounce3InOut)             \
    X(easeBounce3OutIn)                                                                                              \
    X(easeSine1In) X(easeSine1Out) X(easeSine2In) X(easeSine2Out) X(easeSine3In) X(easeSine3Out)                    \
    X(easeSine1InOut) X(easeSine1OutIn) X(easeSine2InOut) X(easeSine2OutIn) X(easeSine3InOut) X(easeSine3OutIn)

constexpr int EasingCount = 61;

// An easing index outside 0..60 names no curve; it becomes 0 (linear).
constexpr int validEasing(int index)
{
    return index >= 0 && index < EasingCount ? index : 0;
}

template <class T> using EasingCurve = T (*)(const T& from, const T& to, const float& duration, const float& time);

#define ORVANE_DECLARE_EASING(name)                                                                                  \
    template <class T> T name(const T& from, const T& to, const float& duration, const float& time);               \
    extern template float name<float>(const float&, const float&, const float&, const float&);                      \
    extern template Kavro::Vector2D name<Kavro::Vector2D>(const Kavro::Vector2D&, const Kavro::Vector2D&,           \
                                                          const float&, const float&);                              \
    extern template Kavro::Vector3D name<Kavro::Vector3D>(const Kavro::Vector3D&, const Kavro::Vector3D&,           \
                                                          const float&, const float&);                              \
    extern template Kavro::Vector4D name<Kavro::Vector4D>(const Kavro::Vector4D&, const Kavro::Vector4D&,           \
                                                          const float&, const float&);
ORVANE_EASING_CURVES(ORVANE_DECLARE_EASING)
#undef ORVANE_DECLARE_EASING

// Row i of every table is curve i. Callers bring the index into 0..60 first (validEasing).
extern const EasingCurve<float> easingTable[EasingCount];
extern const EasingCurve<Kavro::Vector2D> easingTableVector2D[EasingCount];
extern const EasingCurve<Kavro::Vector3D> easingTableVector3D[EasingCount];
extern const EasingCurve<Kavro::Vector4D> easingTableVector4D[EasingCount];

// The table of a value type; any index is brought into range.
template <class T> EasingCurve<T> easingCurve(int index);
template <> EasingCurve<float> easingCurve<float>(int index);
template <> EasingCurve<Kavro::Vector2D> easingCurve<Kavro::Vector2D>(int index);
template <> EasingCurve<Kavro::Vector3D> easingCurve<Kavro::Vector3D>(int index);
template <> EasingCurve<Kavro::Vector4D> easingCurve<Kavro::Vector4D>(int index);

} // namespace Orvane
