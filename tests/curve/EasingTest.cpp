#include "curve/Easing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

// An independent reading of the curve rules: family and level come from the index layout, the
// constants from their bit patterns.
enum Family
{
    Pow,
    Back,
    Elastic,
    Bounce,
    Sine
};

float fromBits(uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

// w squared `times` times: w^2, w^4, w^8.
float squarings(float w, int times)
{
    for (int i = 0; i < times; ++i)
        w = w * w;
    return w;
}

float backShape(int level, float w)
{
    const uint32_t factors[] = {0x3FEE816E, 0x402CE609, 0x40637C4F};
    const uint32_t offsets[] = {0x3F5D02DD, 0x3FD9CC12, 0x40237C4F};
    const float f = fromBits(factors[level - 1]), o = fromBits(offsets[level - 1]);
    switch (level)
    {
    case 1:
        return ((w * f) - o) * w;
    case 2:
        return (w * w) * ((w * f) - o);
    default:
        return ((w * w) * w) * ((w * f) - o);
    }
}

float elasticShape(int level, float w)
{
    const float x = squarings(w, level) - 1.0f;
    return -(powf(2.0f, x * 10.0f) * sinf((x - fromBits(0x3D99999A)) * fromBits(0x41A78D36)));
}

float bounceShape(int level, float w)
{
    w = squarings(w, level - 1);
    const float k = fromBits(0x40F20000);
    struct Band
    {
        uint32_t limit, centre;
        float height;
    };
    const Band bands[] = {{0x3EBA2E8C, 0, 0.0f}, {0x3F3A2E8C, 0x3F0BA2E9, 0.75f}, {0x3F68BA2F, 0x3F51745D, 0.9375f}};
    if (w < fromBits(bands[0].limit))
        return (w * k) * w;
    for (int i = 1; i < 3; ++i)
        if (w < fromBits(bands[i].limit))
        {
            const float x = w - fromBits(bands[i].centre);
            return ((x * k) * x) + bands[i].height;
        }
    const float x = w - fromBits(0x3F745D17);
    return ((x * k) * x) + 0.984375f;
}

float sineShape(int level, bool in, float angle)
{
    if (level == 1)
        return in ? 1.0f - cosf(angle) : sinf(angle);
    return in ? squarings(sinf(angle), level) : 1.0f - squarings(cosf(angle), level);
}

float reference(int index, float a, float b, float d, float t)
{
    if (index == 0)
        return ((t / d) * (b - a)) + a;
    const Family family = Family((index - 1) / 12);
    const int k = (index - 1) % 12;
    if (k >= 6)
    {
        const int base = 1 + family * 12 + (k - 6) / 2 * 2; // the In curve of that level
        const bool inOut = k % 2 == 0;
        const float m = (b + a) * 0.5f, h = d * 0.5f;
        if (h > t)
            return reference(inOut ? base : base + 1, a, m, h, t);
        return reference(inOut ? base + 1 : base, m, b, d - h, t - h);
    }
    const int level = k / 2 + 1;
    const bool in = k % 2 == 0;
    const float u = t / d, v = (d - t) / d;
    auto forward = [&](float g) { return (g * (b - a)) + a; };
    auto mirrored = [&](float g) { return (g * (a - b)) + b; };
    switch (family)
    {
    case Pow:
        return in ? forward(squarings(u, level)) : mirrored(squarings(v, level));
    case Back:
        return in ? forward(backShape(level, u)) : mirrored(backShape(level, v));
    case Elastic:
        return in ? forward(elasticShape(level, u)) : mirrored(elasticShape(level, v));
    case Bounce:
        return in ? mirrored(bounceShape(level, v)) : forward(bounceShape(level, u));
    default:
        return forward(sineShape(level, in, (t * fromBits(0x3FC90FDB)) / d));
    }
}

bool usesLibraryTrig(int index)
{
    return (index >= 25 && index <= 36) || index >= 49;
}

int64_t ulpDistance(float x, float y)
{
    auto key = [](float f) {
        const int32_t i = std::bit_cast<int32_t>(f);
        return i < 0 ? int64_t(INT32_MIN) - i : int64_t(i);
    };
    return std::llabs(key(x) - key(y));
}

void expectSame(int index, float actual, float expected, const std::string& where)
{
    if (std::isnan(expected))
    {
        EXPECT_TRUE(std::isnan(actual)) << where;
        return;
    }
    const int64_t allowed = usesLibraryTrig(index) ? 2 : 0;
    EXPECT_LE(ulpDistance(actual, expected), allowed) << where << ": " << actual << " vs " << expected;
}

struct Span
{
    float from, to, duration;
};
const Span spans[] = {{0.0f, 1.0f, 1000.0f}, {-3.0f, 7.5f, 640.0f}, {200.0f, -40.0f, 333.0f}};
const float fractions[] = {-0.5f, 0.0f, 0.001f, 0.1f, 0.23f, 0.3333f, 0.4999f, 0.5f, 0.6f, 0.77f, 0.93f, 0.999f, 1.0f,
                           1.5f};

} // namespace

TEST(Easing, EveryCurveMatchesTheIndependentReading)
{
    for (int index = 0; index < EasingCount; ++index)
        for (const Span& s : spans)
            for (const float f : fractions)
            {
                const float t = s.duration * f;
                const std::string where = "curve " + std::to_string(index) + " t " + std::to_string(t);
                expectSame(index, easingTable[index](s.from, s.to, s.duration, t),
                           reference(index, s.from, s.to, s.duration, t), where);
            }
}

TEST(Easing, ValuesGivenForZeroToOneOverOneSecond)
{
    struct Case
    {
        int index;
        float time;
        float expected;
    };
    const std::vector<Case> cases = {
        {13, 1000, 0.99999994f},     {14, 0, 5.9604645e-08f},     {20, 0, 2.9802322e-08f},
        {15, 500, -0.087692529f},    {16, 500, 1.0876925f},        {15, 0, 0.0f},
        {15, 1000, 1.0f},            {17, 0, 0.0f},                {17, 1000, 1.0f},
        {25, 0, -0.00048828148f},    {27, 0, -0.00048828148f},     {29, 0, -0.00048828148f},
        {25, 1000, 1.0f},            {26, 0, 0.0f},                {26, 1000, 1.0004883f},
        {31, 0, -0.00024414074f},    {31, 1000, 1.0002441f},       {32, 500, 0.49975586f},
        {25, 500, -0.0055242716f},   {37, 500, 0.234375f},         {38, 500, 0.765625f},
        {49, 500, 0.29289323f},      {51, 500, 0.24999997f},       {0, 2000, 2.0f},
        {1, -500, 0.25f},            {38, 1500, 3.234375f},
    };
    for (const auto& c : cases)
        expectSame(c.index, easingTable[c.index](0.0f, 1.0f, 1000.0f, c.time), c.expected,
                   "curve " + std::to_string(c.index) + " t " + std::to_string(c.time));
}

TEST(Easing, EndsAndMidpointsAreExact)
{
    auto exactEnds = [](int i) { return i <= 12 || i >= 37; }; // Linear, Pow, Bounce, Sine and composites
    auto composite = [](int i) { return i > 0 && (i - 1) % 12 >= 6; };
    for (int i = 0; i < EasingCount; ++i)
    {
        if (exactEnds(i))
        {
            EXPECT_EQ(easingTable[i](0.0f, 1.0f, 1000.0f, 0.0f), 0.0f) << i;
            EXPECT_EQ(easingTable[i](0.0f, 1.0f, 1000.0f, 1000.0f), 1.0f) << i;
        }
        if (composite(i) && !(i >= 25 && i <= 36))
        {
            EXPECT_EQ(easingTable[i](0.0f, 1.0f, 1000.0f, 500.0f), 0.5f) << i;
        }
    }
}

TEST(Easing, BackAndElasticExtremes)
{
    const struct
    {
        int index;
        float near;
        float low;
    } backs[] = {{13, 0.23f, -0.1f}, {15, 0.42f, -0.1f}, {17, 0.54f, -0.1f}};
    for (const auto& b : backs)
    {
        float lowest = 1.0f;
        for (int t = 0; t <= 1000; ++t)
            lowest = std::min(lowest, easingTable[b.index](0.0f, 1.0f, 1000.0f, float(t)));
        EXPECT_NEAR(lowest, b.low, 1e-4) << b.index;
        EXPECT_NEAR(easingTable[b.index](0.0f, 1.0f, 1000.0f, b.near * 1000.0f), b.low, 2e-3) << b.index;
    }
    float lowest = 1.0f, highest = 0.0f;
    for (int t = 0; t <= 1000; ++t)
    {
        lowest = std::min(lowest, easingTable[25](0.0f, 1.0f, 1000.0f, float(t)));
        highest = std::max(highest, easingTable[26](0.0f, 1.0f, 1000.0f, float(t)));
    }
    EXPECT_NEAR(lowest, -0.373f, 2e-3);
    EXPECT_NEAR(highest, 1.373f, 2e-3);
}

TEST(Easing, CompositeAtHalfTimeTakesTheSecondMember)
{
    const float m = 0.5f;
    EXPECT_EQ(easeBack1InOut<float>(0.0f, 1.0f, 1000.0f, 500.0f), easeBack1Out<float>(m, 1.0f, 500.0f, 0.0f));
    EXPECT_NE(easeBack1InOut<float>(0.0f, 1.0f, 1000.0f, 500.0f), easeBack1In<float>(0.0f, m, 500.0f, 500.0f));
    EXPECT_EQ(easeBack1OutIn<float>(0.0f, 1.0f, 1000.0f, 500.0f), easeBack1In<float>(m, 1.0f, 500.0f, 0.0f));
}

TEST(Easing, ZeroDurationGivesNaN)
{
    for (int i = 0; i < EasingCount; ++i)
        EXPECT_TRUE(std::isnan(easingTable[i](0.0f, 1.0f, 0.0f, 0.0f))) << i;
}

TEST(Easing, TablesKeepTheIndexOrder)
{
    EXPECT_EQ(easingTable[0], &easeLinear<float>);
    EXPECT_EQ(easingTable[12], &easePow8OutIn<float>);
    EXPECT_EQ(easingTable[37], &easeBounce1In<float>);
    EXPECT_EQ(easingTable[60], &easeSine3OutIn<float>);
    EXPECT_EQ(easingTableVector2D[25], &easeElastic1In<Kavro::Vector2D>);
    EXPECT_EQ(easingTableVector3D[44], &easeBounce1OutIn<Kavro::Vector3D>);
    EXPECT_EQ(easingTableVector4D[59], &easeSine3InOut<Kavro::Vector4D>);
    for (const int bad : {61, 1000, -1, -61})
    {
        EXPECT_EQ(validEasing(bad), 0);
        EXPECT_EQ(easingCurve<float>(bad), &easeLinear<float>);
        EXPECT_EQ(easingCurve<Kavro::Vector3D>(bad), &easeLinear<Kavro::Vector3D>);
    }
}

TEST(Easing, VectorCurvesFollowTheFloatCurvePerComponent)
{
    const Kavro::Vector4D a(0, 10, -4, 2.5f), b(1, 30, 4, -7);
    const float d = 1000.0f;
    for (int i = 0; i < EasingCount; ++i)
        for (const float f : fractions)
        {
            const float t = d * f;
            const auto v4 = easingTableVector4D[i](a, b, d, t);
            const auto v3 = easingTableVector3D[i]({a.x, a.y, a.z}, {b.x, b.y, b.z}, d, t);
            const auto v2 = easingTableVector2D[i]({a.x, a.y}, {b.x, b.y}, d, t);
            const float fx = easingTable[i](a.x, b.x, d, t), fy = easingTable[i](a.y, b.y, d, t),
                        fz = easingTable[i](a.z, b.z, d, t), fw = easingTable[i](a.w, b.w, d, t);
            const std::string where = "curve " + std::to_string(i) + " t " + std::to_string(t);
            // Exactly the same bits: the vector form changes no operation's value.
            EXPECT_EQ(std::bit_cast<uint32_t>(v4.x), std::bit_cast<uint32_t>(fx)) << where;
            EXPECT_EQ(std::bit_cast<uint32_t>(v4.y), std::bit_cast<uint32_t>(fy)) << where;
            EXPECT_EQ(std::bit_cast<uint32_t>(v4.z), std::bit_cast<uint32_t>(fz)) << where;
            EXPECT_EQ(std::bit_cast<uint32_t>(v4.w), std::bit_cast<uint32_t>(fw)) << where;
            EXPECT_EQ(v3, Kavro::Vector3D(fx, fy, fz)) << where;
            EXPECT_EQ(v2, Kavro::Vector2D(fx, fy)) << where;
        }
    EXPECT_EQ(easeLinear<Kavro::Vector3D>({0, 0, 0}, {100, 40, -8}, 100.0f, 25.0f), Kavro::Vector3D(25, 10, -2));
    EXPECT_EQ(easePow2InOut<Kavro::Vector2D>({0, 2}, {4, 6}, 10.0f, 5.0f), Kavro::Vector2D(2, 4));
}
