// Built with -ffp-contract=off and never with fast-math: every curve must give the same bits on every
// build, so each single-precision operation stays a separate, rounded step in the written order.
#include "curve/Easing.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace Orvane
{

namespace
{

using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

constexpr float Back1Factor = 1.8633249f;
constexpr float Back1Offset = 0.86332494f;
constexpr float Back2Factor = 2.7015402f;
constexpr float Back2Offset = 1.7015402f;
constexpr float Back3Factor = 3.5544622f;
constexpr float Back3Offset = 2.5544622f;
constexpr float ElasticPhase = 0.075f;
constexpr float ElasticAngular = 20.94395f;
constexpr float BounceCurvature = 7.5625f;
constexpr float BounceLimit1 = 0.36363637f;
constexpr float BounceLimit2 = 0.72727275f;
constexpr float BounceLimit3 = 0.90909094f;
constexpr float BounceCentre2 = 0.54545456f;
constexpr float BounceCentre3 = 0.8181818f;
constexpr float BounceCentre4 = 0.95454544f;
constexpr float HalfPi = 1.5707964f;

static_assert(std::bit_cast<uint32_t>(Back1Factor) == 0x3FEE816E);
static_assert(std::bit_cast<uint32_t>(Back1Offset) == 0x3F5D02DD);
static_assert(std::bit_cast<uint32_t>(Back2Factor) == 0x402CE609);
static_assert(std::bit_cast<uint32_t>(Back2Offset) == 0x3FD9CC12);
static_assert(std::bit_cast<uint32_t>(Back3Factor) == 0x40637C4F);
static_assert(std::bit_cast<uint32_t>(Back3Offset) == 0x40237C4F);
static_assert(std::bit_cast<uint32_t>(ElasticPhase) == 0x3D99999A);
static_assert(std::bit_cast<uint32_t>(ElasticAngular) == 0x41A78D36);
static_assert(std::bit_cast<uint32_t>(BounceCurvature) == 0x40F20000);
static_assert(std::bit_cast<uint32_t>(BounceLimit1) == 0x3EBA2E8C);
static_assert(std::bit_cast<uint32_t>(BounceLimit2) == 0x3F3A2E8C);
static_assert(std::bit_cast<uint32_t>(BounceLimit3) == 0x3F68BA2F);
static_assert(std::bit_cast<uint32_t>(BounceCentre2) == 0x3F0BA2E9);
static_assert(std::bit_cast<uint32_t>(BounceCentre3) == 0x3F51745D);
static_assert(std::bit_cast<uint32_t>(BounceCentre4) == 0x3F745D17);
static_assert(std::bit_cast<uint32_t>(HalfPi) == 0x3FC90FDB);

// Powers by repeated squaring.
float pow2(float w)
{
    return w * w;
}
float pow4(float w)
{
    const float s = w * w;
    return s * s;
}
float pow8(float w)
{
    const float s = w * w;
    const float q = s * s;
    return q * q;
}

float back1(float w)
{
    return ((w * Back1Factor) - Back1Offset) * w;
}
float back2(float w)
{
    return (w * w) * ((w * Back2Factor) - Back2Offset);
}
float back3(float w)
{
    return ((w * w) * w) * ((w * Back3Factor) - Back3Offset);
}

float elastic(float s)
{
    const float x = s - 1.0f;
    const float p = ::powf(2.0f, x * 10.0f);
    const float q = ::sinf((x - ElasticPhase) * ElasticAngular);
    return -(p * q);
}
float elastic1(float w)
{
    return elastic(pow2(w));
}
float elastic2(float w)
{
    return elastic(pow4(w));
}
float elastic3(float w)
{
    return elastic(pow8(w));
}

float bounceArc(float w, float centre, float height)
{
    const float x = w - centre;
    return ((x * BounceCurvature) * x) + height;
}
float bounce(float w)
{
    if (w < BounceLimit1)
        return (w * BounceCurvature) * w;
    if (w < BounceLimit2)
        return bounceArc(w, BounceCentre2, 0.75f);
    if (w < BounceLimit3)
        return bounceArc(w, BounceCentre3, 0.9375f);
    return bounceArc(w, BounceCentre4, 0.984375f);
}
float bounce1(float w)
{
    return bounce(w);
}
float bounce2(float w)
{
    return bounce(pow2(w));
}
float bounce3(float w)
{
    return bounce(pow4(w));
}

float sineIn1(float angle)
{
    return 1.0f - ::cosf(angle);
}
float sineOut1(float angle)
{
    return ::sinf(angle);
}
float sineIn2(float angle)
{
    return pow4(::sinf(angle));
}
float sineOut2(float angle)
{
    return 1.0f - pow4(::cosf(angle));
}
float sineIn3(float angle)
{
    return pow8(::sinf(angle));
}
float sineOut3(float angle)
{
    return 1.0f - pow8(::cosf(angle));
}

// Per component the float curve's (g x (b - a)) + a and (g x (a - b)) + b.
template <class T> T forwardForm(const T& a, const T& b, float g)
{
    return a + (b - a) * g;
}
template <class T> T mirroredForm(const T& a, const T& b, float g)
{
    return b + (a - b) * g;
}

using Shape = float (*)(float);

// g from u = t / d.
template <class T, Shape G> T forwardCurve(const T& a, const T& b, const float& d, const float& t)
{
    return forwardForm(a, b, G(t / d));
}
// g from v = (d - t) / d.
template <class T, Shape G> T mirroredCurve(const T& a, const T& b, const float& d, const float& t)
{
    return mirroredForm(a, b, G((d - t) / d));
}
// g from the angle (t x pi/2) / d.
template <class T, Shape G> T angleCurve(const T& a, const T& b, const float& d, const float& t)
{
    return forwardForm(a, b, G((t * HalfPi) / d));
}
// The first member up to half the duration (strictly before it), the second from there on.
template <class T, EasingCurve<T> First, EasingCurve<T> Second>
T compositeCurve(const T& a, const T& b, const float& d, const float& t)
{
    const T m = (b + a) * 0.5f;
    const float h = d * 0.5f;
    if (h > t)
        return First(a, m, h, t);
    const float secondDuration = d - h;
    const float secondTime = t - h;
    return Second(m, b, secondDuration, secondTime);
}

} // namespace

#define ORVANE_CURVE(name, form, shape)                                                                              \
    template <class T> T name(const T& a, const T& b, const float& d, const float& t)                              \
    {                                                                                                                \
        return form<T, shape>(a, b, d, t);                                                                           \
    }
#define ORVANE_COMPOSITE(name, first, second)                                                                        \
    template <class T> T name(const T& a, const T& b, const float& d, const float& t)                              \
    {                                                                                                                \
        return compositeCurve<T, first<T>, second<T>>(a, b, d, t);                                                  \
    }

template <class T> T easeLinear(const T& a, const T& b, const float& d, const float& t)
{
    return forwardForm(a, b, t / d);
}

ORVANE_CURVE(easePow2In, forwardCurve, pow2)
ORVANE_CURVE(easePow2Out, mirroredCurve, pow2)
ORVANE_CURVE(easePow4In, forwardCurve, pow4)
ORVANE_CURVE(easePow4Out, mirroredCurve, pow4)
ORVANE_CURVE(easePow8In, forwardCurve, pow8)
ORVANE_CURVE(easePow8Out, mirroredCurve, pow8)
ORVANE_COMPOSITE(easePow2InOut, easePow2In, easePow2Out)
ORVANE_COMPOSITE(easePow2OutIn, easePow2Out, easePow2In)
ORVANE_COMPOSITE(easePow4InOut, easePow4In, easePow4Out)
ORVANE_COMPOSITE(easePow4OutIn, easePow4Out, easePow4In)
ORVANE_COMPOSITE(easePow8InOut, easePow8In, easePow8Out)
ORVANE_COMPOSITE(easePow8OutIn, easePow8Out, easePow8In)

ORVANE_CURVE(easeBack1In, forwardCurve, back1)
ORVANE_CURVE(easeBack1Out, mirroredCurve, back1)
ORVANE_CURVE(easeBack2In, forwardCurve, back2)
ORVANE_CURVE(easeBack2Out, mirroredCurve, back2)
ORVANE_CURVE(easeBack3In, forwardCurve, back3)
ORVANE_CURVE(easeBack3Out, mirroredCurve, back3)
ORVANE_COMPOSITE(easeBack1InOut, easeBack1In, easeBack1Out)
ORVANE_COMPOSITE(easeBack1OutIn, easeBack1Out, easeBack1In)
ORVANE_COMPOSITE(easeBack2InOut, easeBack2In, easeBack2Out)
ORVANE_COMPOSITE(easeBack2OutIn, easeBack2Out, easeBack2In)
ORVANE_COMPOSITE(easeBack3InOut, easeBack3In, easeBack3Out)
ORVANE_COMPOSITE(easeBack3OutIn, easeBack3Out, easeBack3In)

ORVANE_CURVE(easeElastic1In, forwardCurve, elastic1)
ORVANE_CURVE(easeElastic1Out, mirroredCurve, elastic1)
ORVANE_CURVE(easeElastic2In, forwardCurve, elastic2)
ORVANE_CURVE(easeElastic2Out, mirroredCurve, elastic2)
ORVANE_CURVE(easeElastic3In, forwardCurve, elastic3)
ORVANE_CURVE(easeElastic3Out, mirroredCurve, elastic3)
ORVANE_COMPOSITE(easeElastic1InOut, easeElastic1In, easeElastic1Out)
ORVANE_COMPOSITE(easeElastic1OutIn, easeElastic1Out, easeElastic1In)
ORVANE_COMPOSITE(easeElastic2InOut, easeElastic2In, easeElastic2Out)
ORVANE_COMPOSITE(easeElastic2OutIn, easeElastic2Out, easeElastic2In)
ORVANE_COMPOSITE(easeElastic3InOut, easeElastic3In, easeElastic3Out)
ORVANE_COMPOSITE(easeElastic3OutIn, easeElastic3Out, easeElastic3In)

// Bounce In bounces away from the start (mirrored form), Bounce Out into the end (forward form).
ORVANE_CURVE(easeBounce1In, mirroredCurve, bounce1)
ORVANE_CURVE(easeBounce1Out, forwardCurve, bounce1)
ORVANE_CURVE(easeBounce2In, mirroredCurve, bounce2)
ORVANE_CURVE(easeBounce2Out, forwardCurve, bounce2)
ORVANE_CURVE(easeBounce3In, mirroredCurve, bounce3)
ORVANE_CURVE(easeBounce3Out, forwardCurve, bounce3)
ORVANE_COMPOSITE(easeBounce1InOut, easeBounce1In, easeBounce1Out)
ORVANE_COMPOSITE(easeBounce1OutIn, easeBounce1Out, easeBounce1In)
ORVANE_COMPOSITE(easeBounce2InOut, easeBounce2In, easeBounce2Out)
ORVANE_COMPOSITE(easeBounce2OutIn, easeBounce2Out, easeBounce2In)
ORVANE_COMPOSITE(easeBounce3InOut, easeBounce3In, easeBounce3Out)
ORVANE_COMPOSITE(easeBounce3OutIn, easeBounce3Out, easeBounce3In)

ORVANE_CURVE(easeSine1In, angleCurve, sineIn1)
ORVANE_CURVE(easeSine1Out, angleCurve, sineOut1)
ORVANE_CURVE(easeSine2In, angleCurve, sineIn2)
ORVANE_CURVE(easeSine2Out, angleCurve, sineOut2)
ORVANE_CURVE(easeSine3In, angleCurve, sineIn3)
ORVANE_CURVE(easeSine3Out, angleCurve, sineOut3)
ORVANE_COMPOSITE(easeSine1InOut, easeSine1In, easeSine1Out)
ORVANE_COMPOSITE(easeSine1OutIn, easeSine1Out, easeSine1In)
ORVANE_COMPOSITE(easeSine2InOut, easeSine2In, easeSine2Out)
ORVANE_COMPOSITE(easeSine2OutIn, easeSine2Out, easeSine2In)
ORVANE_COMPOSITE(easeSine3InOut, easeSine3In, easeSine3Out)
ORVANE_COMPOSITE(easeSine3OutIn, easeSine3Out, easeSine3In)

#undef ORVANE_CURVE
#undef ORVANE_COMPOSITE

#define ORVANE_INSTANTIATE_EASING(name)                                                                              \
    template float name<float>(const float&, const float&, const float&, const float&);                             \
    template Vector2D name<Vector2D>(const Vector2D&, const Vector2D&, const float&, const float&);                 \
    template Vector3D name<Vector3D>(const Vector3D&, const Vector3D&, const float&, const float&);                 \
    template Vector4D name<Vector4D>(const Vector4D&, const Vector4D&, const float&, const float&);
ORVANE_EASING_CURVES(ORVANE_INSTANTIATE_EASING)
#undef ORVANE_INSTANTIATE_EASING

#define ORVANE_TABLE_ROW_FLOAT(name) &name<float>,
#define ORVANE_TABLE_ROW_2D(name) &name<Vector2D>,
#define ORVANE_TABLE_ROW_3D(name) &name<Vector3D>,
#define ORVANE_TABLE_ROW_4D(name) &name<Vector4D>,
const EasingCurve<float> easingTable[EasingCount] = {ORVANE_EASING_CURVES(ORVANE_TABLE_ROW_FLOAT)};
const EasingCurve<Vector2D> easingTableVector2D[EasingCount] = {ORVANE_EASING_CURVES(ORVANE_TABLE_ROW_2D)};
const EasingCurve<Vector3D> easingTableVector3D[EasingCount] = {ORVANE_EASING_CURVES(ORVANE_TABLE_ROW_3D)};
const EasingCurve<Vector4D> easingTableVector4D[EasingCount] = {ORVANE_EASING_CURVES(ORVANE_TABLE_ROW_4D)};
#undef ORVANE_TABLE_ROW_FLOAT
#undef ORVANE_TABLE_ROW_2D
#undef ORVANE_TABLE_ROW_3D
#undef ORVANE_TABLE_ROW_4D

template <> EasingCurve<float> easingCurve<float>(int index)
{
    return easingTable[validEasing(index)];
}
template <> EasingCurve<Vector2D> easingCurve<Vector2D>(int index)
{
    return easingTableVector2D[validEasing(index)];
}
template <> EasingCurve<Vector3D> easingCurve<Vector3D>(int index)
{
    return easingTableVector3D[validEasing(index)];
}
template <> EasingCurve<Vector4D> easingCurve<Vector4D>(int index)
{
    return easingTableVector4D[validEasing(index)];
}

} // namespace Orvane
