#include "input/CGamepad.h"
#include "input/CMouse.h"
#include "input/CTouch.h"

#include <gtest/gtest.h>

using namespace Kavro;

namespace
{
CScreenLayout letterboxed()
{
    CScreenLayout layout;
    layout.set(1600, 720, 640, 360, true); // screen at x 160..1440, two window pixels per pixel
    return layout;
}
} // namespace

TEST(Mouse, ButtonsTimesClicksAndWheel)
{
    CMouse mouse;
    mouse.setLayout(letterboxed());
    mouse.button(0, true, 1, 200, 100, 1000);
    mouse.nextFrame(1000);
    EXPECT_EQ(mouse.getLeftButtonState(), 1);
    EXPECT_EQ(mouse.getClickX(), 20);
    EXPECT_EQ(mouse.getClickY(), 50);
    EXPECT_EQ(mouse.isDoubleClick(), 0);
    mouse.nextFrame(1250);
    EXPECT_EQ(mouse.getLeftButtonTime(), 250);
    mouse.button(0, false, 1, 200, 100, 1300);
    mouse.button(0, true, 2, 200, 100, 1310);
    mouse.nextFrame(1320);
    EXPECT_EQ(mouse.isDoubleClick(), 1);
    EXPECT_EQ(mouse.getButtonState(0), 1);
    EXPECT_EQ(mouse.getButtonState(7), 0);
    EXPECT_EQ(mouse.getButtonState(-1), 0);

    mouse.wheel(-2);
    mouse.nextFrame(1400);
    EXPECT_EQ(mouse.getWheelState(), 1);
    EXPECT_EQ(mouse.getWheelDelta(), -240);
    mouse.wheel(1);
    mouse.nextFrame(1500);
    EXPECT_EQ(mouse.getWheelState(), 0);
    EXPECT_EQ(mouse.getPreviousWheelState(), 1);
    EXPECT_EQ(mouse.getWheelTotal(), -120);
}

TEST(Mouse, MovesAddUpInLogicalPixelsKeepingFractions)
{
    CMouse mouse;
    mouse.setLayout(letterboxed());
    mouse.move(161, 1, 1, 1); // half a pixel each way
    mouse.nextFrame(0);
    EXPECT_EQ(mouse.getMoveX(), 0);
    EXPECT_EQ(mouse.isMoving(), 0);
    mouse.move(162, 2, 1, 1);
    mouse.nextFrame(0);
    EXPECT_EQ(mouse.getMoveX(), 1);
    EXPECT_EQ(mouse.getMoveY(), 1);
    EXPECT_EQ(mouse.getCursorX(), 1);
    mouse.leave();
    EXPECT_EQ(mouse.getCursorX(), -1);
    EXPECT_EQ(mouse.isInsideWindow(), 0);
}

TEST(Mouse, SetCursorPositionWarpsToTheWindowPoint)
{
    CMouse mouse;
    mouse.setLayout(letterboxed());
    int warpedX = -1, warpedY = -1;
    mouse.setWarp([&](int x, int y) { warpedX = x, warpedY = y; });
    mouse.setCursorPosition({320, 180});
    EXPECT_EQ(warpedX, 160 + 641);
    EXPECT_EQ(warpedY, 361);
    EXPECT_EQ(mouse.getCursorX(), 320);
    EXPECT_EQ(mouse.getCursorY(), 180);
}

TEST(Touch, ContactsLiveFromDownToTheFrameAfterUp)
{
    CTouch touch;
    touch.setLayout(letterboxed());
    touch.down(7, 0.5f, 0.5f, 1000); // window 800, 360 -> screen 320, 180
    touch.down(9, 0.2f, 0.0f, 1000);
    touch.nextFrame(1000);
    ASSERT_EQ(touch.getContactCount(), 2);
    IntPair p;
    EXPECT_EQ(touch.getContactPosition(p, 0).x, 320);
    EXPECT_EQ(p.y, 180);
    EXPECT_EQ(touch.getContactState(0), 1);

    touch.motion(7, 0.5f + 20.0f / 1600.0f, 0.5f);
    touch.up(9, 0.2f, 0.0f);
    touch.nextFrame(1100);
    EXPECT_EQ(touch.getContactState(0), 2);
    EXPECT_EQ(touch.isContactMoving(0), 1);
    EXPECT_EQ(touch.getContactMove(p, 0).x, 10);
    Vector2D v;
    EXPECT_FLOAT_EQ(touch.getContactVelocity(v, 0).x, 100.0f); // 10 pixels in 0.1 s
    EXPECT_EQ(touch.getContactTime(0), 100);
    EXPECT_EQ(touch.getContactState(1), 3);

    touch.nextFrame(1200);
    EXPECT_EQ(touch.getContactCount(), 1);
    EXPECT_EQ(touch.isContactMoving(0), 0);
    EXPECT_EQ(touch.getContactState(5), 0);
    EXPECT_EQ(touch.getContactPosition(p, -1).x, 0);
    touch.clearInput();
    EXPECT_EQ(touch.getContactCount(), 0);
}

TEST(Gamepad, ControllerButtonsMapToXInputMasks)
{
    const struct
    {
        SDL_GameControllerButton button;
        int mask;
    } table[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, 1},        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 2},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 4},      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 8},
        {SDL_CONTROLLER_BUTTON_START, 16},         {SDL_CONTROLLER_BUTTON_BACK, 32},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, 64},     {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 128},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 256}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 512},
        {SDL_CONTROLLER_BUTTON_A, 4096},           {SDL_CONTROLLER_BUTTON_B, 8192},
        {SDL_CONTROLLER_BUTTON_X, 16384},          {SDL_CONTROLLER_BUTTON_Y, 32768},
        {SDL_CONTROLLER_BUTTON_PADDLE1, 0},
    };
    for (const auto& row : table)
        EXPECT_EQ(CGamepad::MaskOf(row.button), row.mask) << row.button;
}

TEST(Gamepad, PadsWithoutControllerAnswerNothing)
{
    CGamepad gamepad;
    Vector2D v{5, 5};
    for (int pad : {-1, 0, 3, 4})
    {
        EXPECT_EQ(gamepad.getButtonState(pad, 0x1000), 0);
        EXPECT_EQ(gamepad.getTriggerValue(pad, 0), 0.0f);
        EXPECT_EQ(gamepad.getThumbValue(v, pad, 1), Vector2D());
        gamepad.setVibration(pad, 1.0f, 1.0f);
    }
    EXPECT_EQ(gamepad.connectedCount(), 0);
}
