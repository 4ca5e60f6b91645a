#include "core/CTaskInputState.h"
#include "core/INullGamepad.h"
#include "core/INullKeyboard.h"
#include "core/INullMouse.h"
#include "core/INullTouch.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

constexpr int keyZ = 0x2C;
constexpr int buttonA = 4096;

// The top task over the fake core's devices, stepped frame by frame.
class TaskInputTest : public ::testing::Test
{
protected:
    TaskInputTest() : task(t.push(new TestTask(log, "T"))) {}

    FakeKeyboard& keyboard() { return t.core->input.keyboard; }
    FakeGamepad& gamepad() { return t.core->input.gamepad; }
    // One frame at the given clock: input refreshed, then the caller's queries.
    void frameAt(uint32_t ms)
    {
        t.core->milliTime = ms;
        task->updateInput();
    }

    TaskTestApp t;
    CallLog log;
    TestTask* task;
};

} // namespace

TEST_F(TaskInputTest, HeldKeyRepeatsEveryIntervalAndIsReportedAtOnceAfterRelease)
{
    keyboard().held[keyZ] = 1;
    std::vector<uint32_t> reportedAt;
    for (uint32_t ms = 1000; ms <= 2200; ms += 100)
    {
        frameAt(ms);
        if (task->isKeyDown(keyZ, 0, 500))
            reportedAt.push_back(ms);
    }
    // Reported in the first frame; the repeat counts from the frame after each report.
    EXPECT_EQ(reportedAt, (std::vector<uint32_t>{1000, 1600, 2200}));

    // Gone up: the entry is marked, and the next press is reported at once.
    keyboard().held.erase(keyZ);
    keyboard().wentUp[keyZ] = 1;
    frameAt(2300);
    EXPECT_EQ(task->getInputState().findKey(keyZ)->time, 2147483647u);
    EXPECT_EQ(task->isKeyDown(keyZ, 0, 500), 0);
    keyboard().wentUp.erase(keyZ);
    keyboard().held[keyZ] = 1;
    frameAt(2400);
    EXPECT_EQ(task->isKeyDown(keyZ, 0, 500), 1);
    frameAt(2500);
    EXPECT_EQ(task->isKeyDown(keyZ, 0, 500), 0);
}

TEST_F(TaskInputTest, IntervalZeroAndNonzeroModeReportEveryFrame)
{
    keyboard().held[keyZ] = 1;
    for (uint32_t ms : {1000u, 1016u, 1033u})
    {
        frameAt(ms);
        EXPECT_EQ(task->isKeyDown(keyZ, 0, 0), 1);
        EXPECT_EQ(task->isKeyDown(keyZ, 1, 100000), 1);
    }
}

TEST_F(TaskInputTest, FirstPressPassesOnceTheClockHasPassedTheInterval)
{
    keyboard().held[keyZ] = 1;
    frameAt(400);
    EXPECT_EQ(task->isKeyDown(keyZ, 0, 500), 0);
    frameAt(500);
    EXPECT_EQ(task->isKeyDown(keyZ, 0, 500), 1);
}

TEST_F(TaskInputTest, KeyCodesWithoutAnEntryAreNeverReported)
{
    for (int key : {220, 221, 255, 100000, -1, -2147483647 - 1})
    {
        keyboard().held[key] = 1;
        keyboard().wentUp[key] = 1;
        EXPECT_EQ(task->isKeyDown(key, 0, 0), 0) << key;
        EXPECT_EQ(task->isKeyDown(key, 1, 0), 0) << key;
        EXPECT_EQ(task->getInputState().findKey(key), nullptr) << key;
        // The key-up query goes to the keyboard, which knows every code.
        EXPECT_EQ(task->isKeyUp(key), 1) << key;
    }
    keyboard().held[219] = 1;
    EXPECT_EQ(task->isKeyDown(219, 0, 0), 1);
    frameAt(1100);
}

TEST_F(TaskInputTest, ButtonRepeatsAndAReleaseOnAnyPadResetsTheSharedEntry)
{
    gamepad().buttons[{2, buttonA}] = 2;
    frameAt(1000);
    EXPECT_EQ(task->isButtonDown(2, buttonA, 0, 300), 1);
    frameAt(1100);
    EXPECT_EQ(task->isButtonDown(2, buttonA, 0, 300), 0);
    // Pad 0 holding the same button shares the entry's repeat time.
    gamepad().buttons[{0, buttonA}] = 2;
    EXPECT_EQ(task->isButtonDown(0, buttonA, 0, 300), 0);

    uint32_t now = 1100;
    for (int pad : {0, 1, 2, 3})
    {
        gamepad().buttons.clear();
        gamepad().buttons[{2, buttonA}] = 2;
        frameAt(now += 100);
        EXPECT_EQ(task->isButtonDown(2, buttonA, 0, 300), 0) << pad;
        gamepad().buttons[{pad, buttonA}] = 3;
        frameAt(now += 100);
        EXPECT_EQ(task->getInputState().findButton(buttonA)->time, 2147483647u) << pad;
        gamepad().buttons[{pad, buttonA}] = pad == 2 ? 1 : 2;
        gamepad().buttons[{2, buttonA}] = 1;
        EXPECT_EQ(task->isButtonDown(2, buttonA, 0, 300), 1) << pad;
        frameAt(now += 100);
    }
}

TEST_F(TaskInputTest, ButtonStatesAndMasksWithoutAnEntry)
{
    struct Case
    {
        int state, mode, expected;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {2, 0, 1}, {3, 0, 0}, {1, 1, 1}, {2, 1, 0}, {3, 1, 0}};
    for (const Case& c : cases)
    {
        gamepad().buttons[{1, 1}] = c.state;
        EXPECT_EQ(task->isButtonDown(1, 1, c.mode, 0), c.expected) << c.state << " " << c.mode;
        EXPECT_EQ(task->isButtonUp(1, 1), c.state == 3 ? 1 : 0);
    }
    for (int mask : {64, 128, 1024, 2048, 0, -1, 3, 65536})
    {
        gamepad().buttons[{0, mask}] = 1;
        EXPECT_EQ(task->isButtonDown(0, mask, 0, 0), 0) << mask;
        EXPECT_EQ(task->getInputState().findButton(mask), nullptr) << mask;
    }
    frameAt(1100);
}

TEST_F(TaskInputTest, OnlyTheTopTaskGetsTheRealDevices)
{
    EXPECT_EQ(task->getKeyboard(0), &keyboard());
    EXPECT_EQ(task->getGamepad(0), &gamepad());
    EXPECT_EQ(task->getMouse(0), &t.core->input.mouse);
    EXPECT_EQ(task->getTouch(0), &t.core->input.touch);

    auto* cover = t.push(new TestTask(log, "cover"));
    (void)cover;
    EXPECT_EQ(task->getKeyboard(0), t.app->nullKeyboard);
    EXPECT_EQ(task->getGamepad(0), t.app->nullGamepad);
    EXPECT_EQ(task->getMouse(0), t.app->nullMouse);
    EXPECT_EQ(task->getTouch(0), t.app->nullTouch);
    EXPECT_EQ(task->getKeyboard(1), &keyboard());
    EXPECT_EQ(task->getMouse(1), &t.core->input.mouse);

    keyboard().held[0x3C] = 1;
    keyboard().wentUp[0x3C] = 1;
    gamepad().buttons[{0, 1}] = 1;
    EXPECT_EQ(task->isKeyDown(0x3C, 1, 0), 0);
    EXPECT_EQ(task->isKeyUp(0x3C), 0);
    EXPECT_EQ(task->isButtonDown(0, 1, 1, 0), 0);
    EXPECT_EQ(task->isButtonUp(0, 1), 0);
}

TEST_F(TaskInputTest, UpdateInputStepsTheBackSurface)
{
    task->initialize();
    log.clear();
    task->updateInput();
    EXPECT_EQ(log.named("update"), (std::vector<std::string>{"update(back)"}));
}
