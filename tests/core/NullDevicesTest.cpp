#include "core/INullGamepad.h"
#include "core/INullKeyboard.h"
#include "core/INullMouse.h"
#include "core/INullTexture.h"
#include "core/INullTouch.h"

#include <gtest/gtest.h>

using namespace Orvane;

TEST(NullDevices, KeyboardReadsNothingHeld)
{
    INullKeyboard keyboard;
    EXPECT_EQ(keyboard.release(), 0);
    EXPECT_EQ(keyboard.addRef(), 0);
    EXPECT_EQ(keyboard.getRefCount(), 0);
    for (int key : {0x3C, 28, 156, 1})
    {
        EXPECT_EQ(keyboard.getKeyState(key, 0), 0);
        EXPECT_EQ(keyboard.getKeyState(key, 1), 0);
        EXPECT_EQ(keyboard.isKeyUp(key), 0);
        EXPECT_EQ(keyboard.isKeyDown(key), 0);
    }
    EXPECT_EQ(keyboard.getHeldCount(), 0);
}

TEST(NullDevices, MouseAnswerTable)
{
    INullMouse mouse;
    mouse.setCursorPosition({10, 20});
    const struct
    {
        const char* op;
        int got, expected;
    } table[] = {
        {"getCursorX", mouse.getCursorX(), -1},        {"getCursorY", mouse.getCursorY(), -1},
        {"getMoveX", mouse.getMoveX(), 0},             {"getMoveY", mouse.getMoveY(), 0},
        {"left", mouse.getLeftButtonState(), 0},       {"right", mouse.getRightButtonState(), 0},
        {"getClickX", mouse.getClickX(), -1},          {"getClickY", mouse.getClickY(), -1},
        {"middle", mouse.getMiddleButtonState(), 0},   {"button", mouse.getButtonState(2), 0},
        {"leftTime", mouse.getLeftButtonTime(), 0},    {"rightTime", mouse.getRightButtonTime(), 0},
        {"middleTime", mouse.getMiddleButtonTime(), 0}, {"double", mouse.isDoubleClick(), 0},
        {"wheelDelta", mouse.getWheelDelta(), 0},      {"wheelTotal", mouse.getWheelTotal(), 0},
        {"inside", mouse.isInsideWindow(), 0},         {"moving", mouse.isMoving(), 0},
        {"clear", mouse.clearInput(), 0},              {"captured", mouse.setCaptured(1), 0},
        {"wheel", mouse.getWheelState(), 4},           {"previousWheel", mouse.getPreviousWheelState(), 4},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.got, row.expected) << row.op;
}

TEST(NullDevices, GamepadAndTouchAreIdle)
{
    INullGamepad pad;
    EXPECT_EQ(pad.getButtonState(0, 0x1000), 0);
    EXPECT_EQ(pad.getTriggerValue(1, 0), 0.0f);
    Kavro::Vector2D thumb{5, 5};
    EXPECT_EQ(&pad.getThumbValue(thumb, 0, 1), &thumb);
    EXPECT_EQ(thumb, Kavro::Vector2D(0, 0));

    INullTouch touch;
    EXPECT_EQ(touch.getContactCount(), 0);
    EXPECT_EQ(touch.getContactState(0), 0);
    EXPECT_EQ(touch.isContactMoving(0), 0);
    EXPECT_EQ(touch.getContactTime(0), 0);
    Kavro::IntPair pair{3, 4};
    EXPECT_EQ(&touch.getContactMove(pair, 0), &pair);
    EXPECT_EQ(pair.x, 0);
    EXPECT_EQ(pair.y, 0);
    pair = {3, 4};
    touch.getContactPosition(pair, 0);
    EXPECT_EQ(pair.x + pair.y, 0);
    Kavro::Vector2D velocity{1, 1};
    touch.getContactVelocity(velocity, 0);
    EXPECT_EQ(velocity, Kavro::Vector2D(0, 0));
}

TEST(NullDevices, TextureIsNeverThere)
{
    INullTexture texture;
    const int32_t* size = texture.getSize();
    EXPECT_EQ(size[0], 0);
    EXPECT_EQ(size[1], 0);
    EXPECT_EQ(texture.getSize(), size); // its own storage
    Kavro::IntPair image{7, 7};
    texture.getImageSize(image);
    EXPECT_EQ(image.x + image.y, 0);
    EXPECT_EQ(texture.getKind(), 3);
    EXPECT_EQ(texture.lock(0, nullptr), -1);
    EXPECT_EQ(texture.unlock(), -1);
    EXPECT_EQ(texture.getData(), nullptr);
    EXPECT_EQ(texture.getPitch(), 0);
    EXPECT_EQ(texture.getFileName(), nullptr);
    EXPECT_EQ(texture.saveToFile("/tmp/x.png"), 0); // 0: nothing saved
}

TEST(NullDevices, CountingNeverDeletesAndTheOwnerDeletesThroughTheInterface)
{
    // A null keyboard that tells when it goes.
    struct Watched : INullKeyboard
    {
        explicit Watched(bool& gone) : gone(gone) {}
        ~Watched() override { gone = true; }
        bool& gone;
    };
    bool gone = false;
    Kavro::IKeyboard* keyboard = new Watched(gone);
    // Never counted: however often it is released, it stays.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(keyboard->release(), 0);
    EXPECT_FALSE(gone);
    EXPECT_EQ(keyboard->getHeldCount(), 0);
    delete keyboard;
    EXPECT_TRUE(gone);
}
