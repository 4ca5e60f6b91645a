#include "curve/CLinearTimeline.h"

#include "PathTestSupport.h"

using namespace Orvane;
using Kavro::Vector3D;

namespace
{

class Timeline : public ::testing::Test
{
protected:
    OrvaneTest::CurveTestApp app;
    CLinearTimeline<Vector3D> timeline;
};

} // namespace

TEST_F(Timeline, KeysAtZeroQuarterAndOneOverTwoSeconds)
{
    timeline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    timeline.addPoint({30, 60, 90}, 250.0f, 1.0f);
    timeline.addPoint({60, 0, -90}, 1000.0f, 1.0f);
    ASSERT_EQ(timeline.begin(2000.0f, 0), 0);
    EXPECT_EQ(timeline.current, Vector3D(0, 0, 0));
    OrvaneTest::exactStep(app, 500.0f);
    EXPECT_EQ(timeline.update(), 1); // p = 0.25
    EXPECT_EQ(timeline.current, Vector3D(30, 60, 90));
    OrvaneTest::exactStep(app, 500.0f);
    EXPECT_EQ(timeline.update(), 1); // p = 0.5
    OrvaneTest::expectNear(timeline.current, Vector3D(40, 40, 30), 1e-4f);
    OrvaneTest::exactStep(app, 1000.0f);
    EXPECT_EQ(timeline.update(), 1); // reaches the end in this frame
    EXPECT_EQ(timeline.current, Vector3D(60, 0, -90));
    EXPECT_EQ(timeline.segment, -1);
    app.frame(16);
    EXPECT_EQ(timeline.update(), 0);
}

TEST_F(Timeline, SeekingPlacesOnTheStraightLines)
{
    timeline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    timeline.addPoint({30, 60, 90}, 250.0f, 1.0f);
    timeline.addPoint({60, 0, -90}, 1000.0f, 1.0f);
    ASSERT_EQ(timeline.begin(2000.0f, 0), 0);
    timeline.setTimer(1000.0f); // p = 0.5: a third of the way along the second span
    OrvaneTest::expectNear(timeline.current, Vector3D(40, 40, 30), 1e-4f);
    timeline.setTimer(250.0f); // back into the first span: the search starts again
    OrvaneTest::expectNear(timeline.current, Vector3D(15, 30, 45), 1e-4f);
    EXPECT_EQ(timeline.segment, 1);
    OrvaneTest::exactStep(app, 250.0f);
    EXPECT_EQ(timeline.update(), 1);
    EXPECT_EQ(timeline.current, Vector3D(30, 60, 90));
}

TEST_F(Timeline, TwoKeysMoveStraightAndSnapToTheEnd)
{
    timeline.addPoint({0, 0, 0}, 100.0f, 1.0f);
    timeline.addPoint({10, 20, 30}, 300.0f, 1.0f);
    ASSERT_EQ(timeline.begin(400.0f, 0), 0);
    OrvaneTest::exactStep(app, 100.0f);
    EXPECT_EQ(timeline.update(), 1);
    EXPECT_EQ(timeline.current, Vector3D(2.5f, 5, 7.5f));
    OrvaneTest::exactStep(app, 300.0f);
    EXPECT_EQ(timeline.update(), 1);
    EXPECT_EQ(timeline.current, Vector3D(10, 20, 30));
    EXPECT_EQ(timeline.update(), 0);
}

TEST_F(Timeline, EaseBelowZeroEndsAtOnce)
{
    for (int i = 0; i < 3; ++i)
        timeline.addPoint({float(i), 0, 0}, float(i) * 100.0f, 1.0f);
    ASSERT_EQ(timeline.begin(1000.0f, 13), 0); // Back 1 In starts below 0
    app.frame(16);
    EXPECT_EQ(timeline.update(), 1);
    EXPECT_EQ(timeline.segment, -1);
    EXPECT_EQ(timeline.current, Vector3D(2, 0, 0));
}

TEST_F(Timeline, EqualTimesStayAndAreSteppedOver)
{
    timeline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    timeline.addPoint({5, 0, 0}, 500.0f, 1.0f);
    timeline.addPoint({50, 0, 0}, 500.0f, 1.0f);
    timeline.addPoint({100, 0, 0}, 1000.0f, 1.0f);
    ASSERT_EQ(timeline.begin(1000.0f, 0), 0);
    EXPECT_EQ(timeline.keys.size(), 4u);
    OrvaneTest::exactStep(app, 750.0f);
    timeline.update();
    EXPECT_EQ(timeline.segment, 3);
    EXPECT_EQ(timeline.current, Vector3D(75, 0, 0));
}

TEST_F(Timeline, NoPointsLeavesThePositionUnchanged)
{
    timeline.current = Vector3D(3, 4, 5);
    ASSERT_EQ(timeline.begin(100.0f, 0), 0);
    EXPECT_EQ(timeline.current, Vector3D(3, 4, 5));
    int frames = 0;
    while (timeline.update())
    {
        app.frame(16);
        ASSERT_LT(++frames, 20);
    }
    EXPECT_EQ(timeline.current, Vector3D(3, 4, 5));
}

TEST_F(Timeline, FloatTrack)
{
    CLinearTimeline<float> track;
    track.addPoint(1.0f, 0.0f, 1.0f);
    track.addPoint(3.0f, 100.0f, 1.0f);
    track.addPoint(-1.0f, 200.0f, 1.0f);
    ASSERT_EQ(track.begin(200.0f, 0), 0);
    OrvaneTest::exactStep(app, 150.0f);
    EXPECT_EQ(track.update(), 1);
    EXPECT_EQ(track.current, 1.0f);
}
