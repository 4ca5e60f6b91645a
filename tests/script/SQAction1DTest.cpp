// The one-dimensional action: a script's animated number advanced by its task once per frame.

#include "ScriptedAppFixture.h"

#include "core/CTask.h"
#include "curve/Easing.h"
#include "script/Squirrel/SQAction1D.h"

using namespace OrvaneTest;
using Orvane::Squirrel::SQAction1D;

namespace
{

class SQAction1DTest : public ScriptedAppTest
{
protected:
    void startIdle()
    {
        start("::a <- SQAction1D(\"a\");\nwhile (true) Suspend();\n");
        ASSERT_EQ(frame(20), 0);
        action = dynamic_cast<SQAction1D*>(app->getTopTask()->findTaskObject("a"));
        ASSERT_NE(action, nullptr);
    }

    SQAction1D* action = nullptr;
};

TEST_F(SQAction1DTest, SixtyFramesFollowTheEasingTable)
{
    startIdle();
    for (int tempo : {0, 7, 16, 26, 40, 55, 60})
    {
        // Sixty frames of 20 ms: the last one reaches the end of 1190 ms.
        ASSERT_EQ(run("::a.setAction(0.0, 100.0, 1190, " + std::to_string(tempo) + ")"), "");
        EXPECT_EQ(eval("::a.isActive() + \" \" + ::a.getTempo()"), "1 " + std::to_string(tempo));
        for (int i = 1; i <= 60; ++i)
        {
            ASSERT_EQ(frame(20), 0);
            const float expected = Orvane::easingTable[tempo](0.0f, 100.0f, 1190.0f, float(20 * i));
            ASSERT_NEAR(action->getNow(), i < 60 ? expected : 100.0f, 1e-3f) << "tempo " << tempo << " frame " << i;
        }
        // Still reported active in the frame it ended, inactive from the next one.
        EXPECT_EQ(eval("::a.isActive() + \" \" + ::a.getNow()"), "1 100");
        ASSERT_EQ(frame(20), 0);
        EXPECT_EQ(eval("::a.isActive()"), "0");
    }
}

TEST_F(SQAction1DTest, TimeZeroLandsAtOnceAndPowerScales)
{
    startIdle();
    ASSERT_EQ(run("::a.setPower(2.0); ::a.setAction(0.0, 100.0, 0, 0)"), "");
    EXPECT_EQ(eval("::a.isActive() + \" \" + ::a.getNow() + \" \" + ::a.getNowNoPower()"), "0 200 100");
    ASSERT_EQ(run("::a.setPower(3.0)"), "");
    EXPECT_EQ(eval("::a.getNow()"), "300");
    // Equal ends never start an inactive action.
    ASSERT_EQ(run("::a.setAction(5.0, 5.0, 1000, 0)"), "");
    EXPECT_EQ(eval("::a.isActive()"), "0");
    // Tempos out of range (also negative ones) become 0.
    ASSERT_EQ(run("::a.setAction(0.0, 1.0, 100, 61)"), "");
    EXPECT_EQ(eval("::a.getTempo()"), "0");
    ASSERT_EQ(run("::a.setTempo(70)"), "");
    EXPECT_EQ(eval("::a.getTempo()"), "0");
    ASSERT_EQ(run("::a.setTempo(-3)"), "");
    EXPECT_EQ(eval("::a.getTempo()"), "0");
    EXPECT_EQ(eval("::a.setAction(0, 1.0, 100, 0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::a.setTimer.call({}, 1)"), "error: Invalid Instance Type");
}

TEST_F(SQAction1DTest, SetTimerClampsAndReactivates)
{
    startIdle();
    ASSERT_EQ(run("::a.setAction(0.0, 10.0, 1000, 0); ::a.finish()"), "");
    EXPECT_EQ(eval("::a.isActive() + \" \" + ::a.getNow() + \" \" + ::a.finish()"), "0 10 0");
    ASSERT_EQ(frame(20), 0);
    ASSERT_EQ(run("::a.setTimer(5000)"), "");
    EXPECT_EQ(eval("::a.getTimer() + \" \" + ::a.isActive() + \" \" + ::a.getRate()"), "1000 1 1");
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::a.getNow() + \" \" + ::a.isActive()"), "10 1");
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::a.isActive()"), "0");

    // Halfway by timer, then the ends moved while active.
    ASSERT_EQ(run("::a.setTimer(500)"), "");
    EXPECT_EQ(eval("::a.getNow()"), "5");
    ASSERT_EQ(run("::a.setDst(20.0)"), "");
    EXPECT_EQ(eval("::a.getNow()"), "10");
    ASSERT_EQ(run("::a.setSrc(10.0)"), "");
    EXPECT_EQ(eval("::a.getNow()"), "15");
    ASSERT_EQ(run("::a.setActionTime(2000)"), "");
    EXPECT_EQ(eval("::a.getNow() + \" \" + ::a.getActionTime()"), "12.5 2000");
    ASSERT_EQ(run("::a.resetTimer()"), "");
    EXPECT_EQ(eval("::a.getTimer() + \" \" + ::a.getNow()"), "0 10");
    // setNow and setActive change nothing else.
    ASSERT_EQ(run("::a.setNow(7.0); ::a.setActive(0)"), "");
    EXPECT_EQ(eval("::a.getNow() + \" \" + ::a.getSrc() + \" \" + ::a.getDst()"), "7 10 20");
    ASSERT_EQ(frame(20), 0);
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::a.getNow() + \" \" + ::a.isActive()"), "7 0");
}

TEST_F(SQAction1DTest, TimeScaleAndZeroDurationRate)
{
    startIdle();
    ASSERT_EQ(run("::a.setTimeScale(0.5); ::a.setAction(0.0, 100.0, 1000, 0)"), "");
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::a.getTimeScale() + \" \" + ::a.getTimer()"), "0.5 10");
    ASSERT_EQ(run("::a.setAction(0.0, 1.0, 0, 0)"), "");
    // A zero action time divides by zero without failing.
    EXPECT_EQ(eval("typeof ::a.getRate()"), "float");
}

} // namespace
