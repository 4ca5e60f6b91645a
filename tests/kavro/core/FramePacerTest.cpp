#include "core/CFramePacer.h"

#include <gtest/gtest.h>

using Kavro::CFramePacer;
using namespace std::chrono;

namespace
{
const CFramePacer::Clock::time_point t0 = CFramePacer::Clock::now();
CFramePacer::Clock::time_point at(double ms)
{
    return t0 + duration_cast<CFramePacer::Clock::duration>(duration<double, std::milli>(ms));
}
} // namespace

TEST(FramePacer, FramesFallDueAtFixedStepsOfTheRate)
{
    CFramePacer pacer;
    pacer.setFrameRate(60);
    EXPECT_TRUE(pacer.isDue(at(0))); // the first frame at once
    pacer.frameStarted(at(0));
    EXPECT_FALSE(pacer.isDue(at(16)));
    EXPECT_TRUE(pacer.isDue(at(16.7)));
    // A frame handed out a little late keeps the cadence: the next one is due at 33.3 ms.
    pacer.frameStarted(at(20));
    EXPECT_FALSE(pacer.isDue(at(33.2)));
    EXPECT_TRUE(pacer.isDue(at(33.4)));
    // One late by a step and more is made up: the next is due at once, then at 66.7 ms.
    pacer.frameStarted(at(52));
    EXPECT_TRUE(pacer.isDue(at(52)));
    pacer.frameStarted(at(53));
    EXPECT_FALSE(pacer.isDue(at(66.6)));
    EXPECT_TRUE(pacer.isDue(at(66.7)));
    // After a stall of more than four steps a new cadence starts from the late frame.
    pacer.frameStarted(at(200));
    EXPECT_FALSE(pacer.isDue(at(216)));
    EXPECT_TRUE(pacer.isDue(at(216.7)));
}

TEST(FramePacer, NoRateMeansEveryFrameIsDue)
{
    CFramePacer pacer;
    for (int rate : {0, -5})
    {
        pacer.setFrameRate(rate);
        pacer.frameStarted(at(0));
        EXPECT_TRUE(pacer.isDue(at(0)));
        EXPECT_EQ(pacer.frameRate(), 0);
    }
}

TEST(FramePacer, MeasuresTheRateOverEachSecond)
{
    CFramePacer pacer;
    pacer.setFrameRate(0);
    EXPECT_EQ(pacer.measuredFps(), 0.0f);
    for (int frame = 0; frame <= 30; ++frame)
        pacer.frameStarted(at(frame * 1000.0 / 30.0));
    EXPECT_NEAR(pacer.measuredFps(), 30.0f, 0.01f);
    for (int frame = 1; frame <= 50; ++frame)
        pacer.frameStarted(at(1000.0 + frame * 20.0));
    EXPECT_NEAR(pacer.measuredFps(), 50.0f, 0.01f);
}
