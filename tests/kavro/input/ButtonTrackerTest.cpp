#include "input/CButtonTracker.h"
#include "input/CKeyboard.h"

#include <gtest/gtest.h>

using namespace Kavro;

namespace
{
enum Event
{
    None,
    Press,
    Release,
    Tap, // press and release between two frames
    LoseFocus,
};
} // namespace

TEST(ButtonTracker, EventsBecomePerFrameStates)
{
    const struct
    {
        const char* what;
        std::vector<std::pair<Event, int>> frames; // event before the frame, state in it
    } table[] = {
        {"press, hold, release", {{Press, 1}, {None, 2}, {None, 2}, {Release, 3}, {None, 0}}},
        {"tap between frames", {{Tap, 1}, {None, 3}, {None, 0}}},
        {"release without press", {{Release, 0}, {None, 0}}},
        {"focus lost lets go", {{Press, 1}, {LoseFocus, 3}, {None, 0}}},
        {"press again after release", {{Press, 1}, {Release, 3}, {Press, 1}}},
    };
    for (const auto& row : table)
    {
        CButtonTracker tracker(4);
        int frame = 0;
        for (const auto& [event, expected] : row.frames)
        {
            if (event == Press || event == Tap) tracker.press(2, 100);
            if (event == Release || event == Tap) tracker.release(2);
            if (event == LoseFocus) tracker.releaseAll();
            tracker.nextFrame();
            EXPECT_EQ(int(tracker.state(2)), expected) << row.what << ", frame " << frame;
            EXPECT_EQ(int(tracker.state(1)), 0) << row.what;
            ++frame;
        }
    }
}

TEST(ButtonTracker, OutOfRangeIndexesAreUpAndIgnored)
{
    CButtonTracker tracker(2);
    tracker.press(5, 1);
    tracker.nextFrame();
    EXPECT_EQ(int(tracker.state(5)), 0);
    EXPECT_EQ(tracker.heldCount(), 0);
}

TEST(Keyboard, ModesAndKeyNumbersOutsideTheTable)
{
    CKeyboard keyboard;
    keyboard.keyDown(0x3C, 0);
    keyboard.keyDown(-1, 0);
    keyboard.keyDown(300, 0);
    keyboard.nextFrame();
    EXPECT_EQ(keyboard.getKeyState(0x3C, 0), 1);
    EXPECT_EQ(keyboard.getKeyState(0x3C, 1), 1);
    EXPECT_EQ(keyboard.isKeyDown(0x3C), 1);
    EXPECT_EQ(keyboard.getHeldCount(), 1);
    for (int key : {-1, 256, 300, 100000})
    {
        EXPECT_EQ(keyboard.getKeyState(key, 0), 0);
        EXPECT_EQ(keyboard.isKeyUp(key), 0);
    }
    keyboard.nextFrame();
    EXPECT_EQ(keyboard.getKeyState(0x3C, 1), 0);
    keyboard.clearState();
    EXPECT_EQ(keyboard.getKeyState(0x3C, 0), 0);
    EXPECT_EQ(keyboard.getHeldCount(), 0);
}
