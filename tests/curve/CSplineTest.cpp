#include "curve/CTimedNouniformSpline.h"

#include "PathTestSupport.h"

#include <vector>

using namespace Orvane;
using Kavro::Vector3D;

namespace
{

struct TimedPoint
{
    Vector3D position;
    float time;
    float weight;
};

struct Expected
{
    float timerMs;
    Vector3D position;
};

class Spline : public ::testing::Test
{
protected:
    void add(const std::vector<TimedPoint>& points)
    {
        for (const auto& p : points)
            spline.addPoint(p.position, p.time, p.weight);
    }

    OrvaneTest::CurveTestApp app;
    CTimedNouniformSpline<Vector3D> spline;
};

// Computed independently in double precision from the key-building rules.
const std::vector<TimedPoint> openPoints = {
    {{0, 0, 0}, 0, 1.0f}, {{100, 50, 0}, 400, 1.0f}, {{200, -30, 10}, 1000, 1.0f}, {{260, 40, -20}, 1600, 0.8f}};
const std::vector<Expected> openExpected = {
    {200, {54.43112f, 35.58628f, -0.92052f}},   {400, {100.0f, 50.0f, 0.0f}},
    {700, {154.56624f, 12.27512f, 6.97570f}},   {1300, {235.21248f, -10.32257f, -1.87548f}},
    {1500, {252.48472f, 23.28512f, -14.13490f}},
};
const std::vector<TimedPoint> closedPoints = {{{0, 0, 0}, 0, 1.0f},
                                              {{100, 0, 0}, 300, 1.0f},
                                              {{100, 80, 0}, 900, 1.0f},
                                              {{0, 80, 40}, 1200, 1.0f},
                                              {{0, 0, 0}, 2000, 1.0f}};
const std::vector<Expected> closedExpected = {
    {100, {29.99253f, -3.01431f, 0.10540f}},  {300, {100.0f, 0.0f, 0.0f}},
    {600, {143.75357f, 39.48243f, -9.07491f}}, {1000, {66.70043f, 84.31501f, 13.40279f}},
    {1500, {-43.26941f, 50.95576f, 38.80285f}}, {1900, {-18.06504f, 5.42830f, 4.71094f}},
};

} // namespace

TEST_F(Spline, OpenFourKeyPath)
{
    add(openPoints);
    ASSERT_EQ(spline.begin(1600.0f, 0), 0);
    ASSERT_EQ(spline.keys.size(), 4u);
    OrvaneTest::expectNear(spline.keys[1].startTangent, {116.662102f, 77.687526f, -2.225721f}, 1e-2f);
    OrvaneTest::expectNear(spline.keys[3].tangent, {43.590019f, 93.875519f, -33.094087f}, 1e-2f);
    for (const auto& e : openExpected)
    {
        spline.setTimer(e.timerMs);
        SCOPED_TRACE(e.timerMs);
        OrvaneTest::expectNear(spline.current, e.position, 1e-2f);
    }
}

TEST_F(Spline, ClosedFiveKeyPathDropsItsPhantomKeys)
{
    add(closedPoints);
    ASSERT_EQ(spline.begin(2000.0f, 0), 0);
    ASSERT_EQ(spline.keys.size(), 5u);
    EXPECT_EQ(spline.keys.front().time, 0.0f);
    EXPECT_EQ(spline.keys.back().time, 1.0f);
    OrvaneTest::expectNear(spline.keys[4].startTangent, {-199.203679f, -41.514890f, 65.043403f}, 1e-2f);
    OrvaneTest::expectNear(spline.keys[4].tangent, {160.303596f, -26.732533f, -21.973445f}, 1e-2f);
    for (const auto& e : closedExpected)
    {
        spline.setTimer(e.timerMs);
        SCOPED_TRACE(e.timerMs);
        OrvaneTest::expectNear(spline.current, e.position, 1e-2f);
    }
}

TEST_F(Spline, NormalisedTimesSpreadTheDuration)
{
    add({{{0, 0, 0}, 0, 1}, {{10, 0, 0}, 1000, 1}, {{20, 5, 0}, 3000, 1}});
    ASSERT_EQ(spline.begin(900.0f, 3), 0);
    ASSERT_EQ(spline.keys.size(), 3u);
    EXPECT_EQ(spline.keys[1].time, 1.0f / 3.0f);
    EXPECT_EQ(spline.firstTime, 0.0f);
    EXPECT_EQ(spline.lastTime, 3000.0f);
    EXPECT_EQ(spline.progress.duration, 900.0f);
    EXPECT_EQ(spline.progress.easing, 3);
}

TEST_F(Spline, EqualTimesDropTheEarlierPoint)
{
    add({{{0, 0, 0}, 0, 1}, {{1, 0, 0}, 500, 1}, {{2, 0, 0}, 500, 1}, {{3, 0, 0}, 1000, 1}});
    ASSERT_EQ(spline.begin(1000.0f, 0), 0);
    ASSERT_EQ(spline.points.size(), 3u);
    EXPECT_EQ(spline.points[1].number, 2u);
    EXPECT_EQ(spline.keys[1].position, Vector3D(2, 0, 0));
}

TEST_F(Spline, TwoPointsMoveOnAStraightLine)
{
    add({{{0, 0, 0}, 0, 1}, {{100, -40, 20}, 1000, 1}});
    ASSERT_EQ(spline.begin(1000.0f, 0), 0);
    spline.setTimer(250.0f);
    EXPECT_EQ(spline.current, Vector3D(25, -10, 5));
}

TEST_F(Spline, ZeroWeightOnTheFirstPointGivesNoStartVelocity)
{
    add({{{0, 0, 0}, 0, 0.0f}, {{10, 10, 0}, 500, 1}, {{30, 0, 0}, 1000, 1}, {{40, 20, 0}, 1500, 1}});
    ASSERT_EQ(spline.begin(1000.0f, 0), 0);
    EXPECT_EQ(spline.keys[1].startTangent, Vector3D(0, 0, 0));
}

TEST_F(Spline, EndsOnTheLastKeyEvenWhenTheEaseOvershoots)
{
    for (const int easing : {0, 14, 26, 31})
    {
        SCOPED_TRACE(easing);
        CTimedNouniformSpline<Vector3D> s;
        for (const auto& p : openPoints)
            s.addPoint(p.position, p.time, p.weight);
        ASSERT_EQ(s.begin(500.0f, easing), 0);
        int frames = 0;
        while (s.segment >= 0)
        {
            app.frame(16);
            EXPECT_EQ(s.update(), 1);
            ASSERT_LT(++frames, 100);
        }
        EXPECT_EQ(s.current, openPoints.back().position);
        app.frame(16);
        EXPECT_EQ(s.update(), 0);
    }
}

TEST_F(Spline, ResetWhileRunningStops)
{
    add(openPoints);
    ASSERT_EQ(spline.begin(1000.0f, 0), 0);
    app.frame(16);
    spline.update();
    spline.reset();
    EXPECT_EQ(spline.progress.active, 0u);
    EXPECT_EQ(spline.progress.value, 1.0f);
    EXPECT_EQ(spline.segment, -1);
    app.frame(16);
    EXPECT_EQ(spline.update(), 0);
}

TEST_F(Spline, FewPointsAndDegenerateTimes)
{
    spline.current = Vector3D(5, 5, 5);
    EXPECT_EQ(spline.begin(1000.0f, 0), 0); // no points: current stays
    EXPECT_EQ(spline.current, Vector3D(5, 5, 5));

    CTimedNouniformSpline<Vector3D> single;
    single.addPoint({1, 2, 3}, 0.0f, 1.0f);
    EXPECT_EQ(single.begin(100.0f, 0), 0);
    EXPECT_EQ(single.current, Vector3D(1, 2, 3));
    EXPECT_EQ(single.keys.size(), 1u);

    // Times that come back to the first leave no span: the path holds the last point.
    CTimedNouniformSpline<Vector3D> loop;
    loop.addPoint({0, 0, 0}, 0.0f, 1.0f);
    loop.addPoint({9, 9, 9}, 500.0f, 1.0f);
    loop.addPoint({4, 4, 4}, 0.0f, 1.0f);
    EXPECT_EQ(loop.begin(100.0f, 0), 0);
    int frames = 0;
    while (loop.segment >= 0 && ++frames < 50)
    {
        app.frame(16);
        loop.update();
        EXPECT_FALSE(std::isnan(loop.current.x));
    }
    EXPECT_EQ(loop.current, Vector3D(4, 4, 4));
}

TEST_F(Spline, SetTimerRevivesAFinishedPath)
{
    add(openPoints);
    ASSERT_EQ(spline.begin(100.0f, 0), 0);
    while (spline.segment >= 0)
    {
        app.frame(16);
        spline.update();
    }
    spline.setTimer(25.0f); // a quarter: the second key
    EXPECT_EQ(spline.segment, 2);
    EXPECT_EQ(spline.progress.active, 1u);
    OrvaneTest::expectNear(spline.current, openPoints[1].position, 1e-3f);
}

TEST(FloatSpline, FollowsTheSameRulesAsOneComponent)
{
    OrvaneTest::CurveTestApp app;
    CTimedNouniformSpline<float> scalar;
    CTimedNouniformSpline<Vector3D> vector;
    const float values[] = {0.0f, 40.0f, 10.0f, 70.0f};
    const float times[] = {0.0f, 300.0f, 700.0f, 1200.0f};
    for (int i = 0; i < 4; ++i)
    {
        scalar.addPoint(values[i], times[i], 1.0f);
        vector.addPoint({values[i], 0.0f, 0.0f}, times[i], 1.0f);
    }
    scalar.begin(1000.0f, 0);
    vector.begin(1000.0f, 0);
    for (const float t : {100.0f, 450.0f, 800.0f})
    {
        scalar.setTimer(t);
        vector.setTimer(t);
        EXPECT_NEAR(scalar.current, vector.current.x, 1e-3f) << t;
    }
}
