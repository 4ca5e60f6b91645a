#include "curve/CBezier.h"

#include "PathTestSupport.h"

#include <vector>

using namespace Orvane;
using Kavro::Vector3D;

namespace
{

class Bezier : public ::testing::Test
{
protected:
    void addPoints(int count)
    {
        for (int i = 0; i < count; ++i)
            path.addPoint(Vector3D(float(i * 8), float(i * i), float(-i)));
    }
    void seek(float ms)
    {
        path.progress.setTime(ms);
        path.evaluate();
    }

    OrvaneTest::CurveTestApp app;
    CBezier<Vector3D> path;
};

} // namespace

TEST_F(Bezier, MidpointOfOneSegment)
{
    const Vector3D p0(0, 0, 0), p1(8, 16, 0), p2(24, 16, 8), p3(32, 0, -8);
    for (const auto& p : {p0, p1, p2, p3})
        path.addPoint(p);
    float duration = 1000.0f;
    int easing = 0;
    ASSERT_EQ(path.begin(duration, easing), 0);
    EXPECT_EQ(path.current, p0);
    seek(500.0f);
    EXPECT_EQ(path.current, (p0 + p1 * 3.0f + p2 * 3.0f + p3) / 8.0f);
}

TEST_F(Bezier, SegmentsSplitTheDuration)
{
    addPoints(8);
    ASSERT_EQ(path.begin(1000.0f, 0), 0);
    seek(500.0f); // parameter 0.5: second segment, u = 0
    EXPECT_EQ(path.current, path.points[4]);
    seek(250.0f);
    EXPECT_EQ(path.evaluate(), 1);
    OrvaneTest::expectNear(path.current,
                           (path.points[0] + path.points[1] * 3.0f + path.points[2] * 3.0f + path.points[3]) / 8.0f,
                           1e-4f);
}

TEST_F(Bezier, RefusedPointCounts)
{
    path.current = Vector3D(7, 7, 7);
    EXPECT_EQ(path.begin(1000.0f, 0), -1); // no points: nothing changes
    EXPECT_EQ(path.current, Vector3D(7, 7, 7));
    addPoints(6);
    EXPECT_EQ(path.begin(1000.0f, 0), -1);
    EXPECT_EQ(path.current, path.points[5]);
    EXPECT_EQ(path.progress.active, 0u);
    EXPECT_EQ(path.evaluate(), 0);
}

TEST_F(Bezier, ZeroDuration)
{
    addPoints(4);
    EXPECT_EQ(path.begin(0.0f, 0), 0);
    EXPECT_EQ(path.progress.active, 0u);
    EXPECT_EQ(path.progress.scaledValue, 1.0f);
    app.frame(16);
    EXPECT_EQ(path.update(), 0);
    EXPECT_EQ(path.current, path.points[0]);
    EXPECT_EQ(path.evaluate(), 1);
    EXPECT_EQ(path.current, path.points[3]);
}

TEST_F(Bezier, RunsToTheLastPoint)
{
    addPoints(8);
    ASSERT_EQ(path.begin(200.0f, 9), 0);
    int frames = 0;
    while (path.update())
    {
        app.frame(16);
        ASSERT_LT(++frames, 20);
    }
    EXPECT_EQ(path.current, path.points[7]);
}

TEST_F(Bezier, OvershootHoldsTheLastPoint)
{
    addPoints(8);
    ASSERT_EQ(path.begin(1000.0f, 14), 0); // Back 1 Out passes 1.0 near the end
    path.progress.setTime(800.0f);
    ASSERT_GT(path.progress.scaledValue, 1.0f);
    EXPECT_EQ(path.evaluate(), 0);
    EXPECT_EQ(path.current, path.points[7]);
}

TEST_F(Bezier, ParameterFarBelowZeroStaysOnTheFirstSegment)
{
    addPoints(40); // ten segments: a step of 0.1
    ASSERT_EQ(path.begin(1000.0f, 17), 0); // Back 3 In dips to -0.1
    for (const float p : {-0.05f, -0.1f, -0.35f, -1000.0f})
    {
        path.progress.scaledValue = p;
        EXPECT_EQ(path.evaluate(), 1) << p;
        EXPECT_EQ(path.current, path.points[0]) << p;
    }
}

TEST_F(Bezier, ResetKeepsProgressAndCurrent)
{
    addPoints(4);
    ASSERT_EQ(path.begin(1000.0f, 0), 0);
    seek(300.0f);
    const Vector3D at = path.current;
    path.reset();
    EXPECT_TRUE(path.points.empty());
    EXPECT_EQ(path.current, at);
    EXPECT_EQ(path.progress.active, 1u);
    EXPECT_EQ(path.evaluate(), 0);
}
