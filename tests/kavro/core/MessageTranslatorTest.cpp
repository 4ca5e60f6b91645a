#include "core/CMessageTranslator.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Kavro;

namespace
{

SDL_Event keyEvent(bool down, SDL_Scancode scancode, uint16_t mod = 0, uint8_t repeat = 0)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = scancode;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event buttonEvent(bool down, uint8_t button, int x, int y, uint8_t clicks = 1)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = button;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event windowEvent(uint8_t which, int data1 = 0, int data2 = 0)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    e.window.data1 = data1;
    e.window.data2 = data2;
    return e;
}

std::vector<WindowMessage> translate(CMessageTranslator& translator, const SDL_Event& event)
{
    std::vector<WindowMessage> out;
    translator.translate(event, out);
    return out;
}

} // namespace

TEST(MessageTranslator, KeyEventsBecomeKeyMessagesWithScanCodeAndTransitionBits)
{
    const struct
    {
        const char* what;
        SDL_Event event;
        WindowMessage expected;
    } table[] = {
        {"F2 down", keyEvent(true, SDL_SCANCODE_F2), {WM_KEYDOWN, 0x71, 0x003C0001}},
        {"F2 up", keyEvent(false, SDL_SCANCODE_F2), {WM_KEYUP, 0x71, intptr_t(0xC03C0001u)}},
        {"Enter repeat", keyEvent(true, SDL_SCANCODE_RETURN, 0, 1), {WM_KEYDOWN, 0x0D, 0x401C0001}},
        {"keypad Enter (extended)", keyEvent(true, SDL_SCANCODE_KP_ENTER), {WM_KEYDOWN, 0x0D, 0x011C0001}},
        {"Left arrow", keyEvent(true, SDL_SCANCODE_LEFT), {WM_KEYDOWN, 0x25, 0x014B0001}},
        {"Alt+X", keyEvent(true, SDL_SCANCODE_X, KMOD_LALT), {WM_SYSKEYDOWN, 'X', 0x002D0001}},
        {"F10", keyEvent(true, SDL_SCANCODE_F10), {WM_SYSKEYDOWN, 0x79, 0x00440001}},
        {"Alt itself up", keyEvent(false, SDL_SCANCODE_LALT), {WM_SYSKEYUP, 0x12, intptr_t(0xC0380001u)}},
    };
    for (const auto& row : table)
    {
        CMessageTranslator translator;
        const auto out = translate(translator, row.event);
        ASSERT_EQ(out.size(), 1u) << row.what;
        EXPECT_EQ(out[0].message, row.expected.message) << row.what;
        EXPECT_EQ(out[0].wParam, row.expected.wParam) << row.what;
        EXPECT_EQ(uint32_t(out[0].lParam), uint32_t(row.expected.lParam)) << row.what;
    }
    CMessageTranslator translator;
    EXPECT_TRUE(translate(translator, keyEvent(true, SDL_SCANCODE_UNKNOWN)).empty());
}

TEST(MessageTranslator, MouseEventsCarryClientPointAndHeldButtons)
{
    CMessageTranslator translator;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 10;
    motion.motion.y = 20;
    const std::vector<std::pair<SDL_Event, WindowMessage>> steps = {
        {motion, {WM_MOUSEMOVE, 0, MakePointParam(10, 20)}},
        {buttonEvent(true, SDL_BUTTON_LEFT, 10, 20), {WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(10, 20)}},
        {buttonEvent(true, SDL_BUTTON_RIGHT, 11, 21),
         {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MakePointParam(11, 21)}},
        {buttonEvent(false, SDL_BUTTON_LEFT, 12, 22), {WM_LBUTTONUP, MK_RBUTTON, MakePointParam(12, 22)}},
        {buttonEvent(false, SDL_BUTTON_RIGHT, 12, 22), {WM_RBUTTONUP, 0, MakePointParam(12, 22)}},
        {buttonEvent(true, SDL_BUTTON_LEFT, 5, 6, 2), {WM_LBUTTONDBLCLK, MK_LBUTTON, MakePointParam(5, 6)}},
        {buttonEvent(false, SDL_BUTTON_LEFT, 5, 6, 2), {WM_LBUTTONUP, 0, MakePointParam(5, 6)}},
        {buttonEvent(true, SDL_BUTTON_MIDDLE, -3, 4), {WM_MBUTTONDOWN, MK_MBUTTON, MakePointParam(-3, 4)}},
    };
    for (const auto& [event, expected] : steps)
    {
        const auto out = translate(translator, event);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], expected) << std::hex << expected.message;
    }
    EXPECT_EQ(PointParamX(MakePointParam(-3, 4)), -3);
    EXPECT_EQ(PointParamY(MakePointParam(-3, 4)), 4);

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -1;
    wheel.wheel.mouseX = 7;
    wheel.wheel.mouseY = 8;
    const auto out = translate(translator, wheel);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(int16_t(out[0].wParam >> 16), -WHEEL_DELTA);
    EXPECT_EQ(out[0].lParam, MakePointParam(7, 8));
}

TEST(MessageTranslator, WindowEventsBecomeWindowMessages)
{
    const struct
    {
        uint8_t event;
        WindowMessage expected;
    } table[] = {
        {SDL_WINDOWEVENT_CLOSE, {WM_CLOSE, 0, 0}},
        {SDL_WINDOWEVENT_FOCUS_LOST, {WM_KILLFOCUS, 0, 0}},
        {SDL_WINDOWEVENT_FOCUS_GAINED, {WM_SETFOCUS, 0, 0}},
        {SDL_WINDOWEVENT_EXPOSED, {WM_PAINT, 0, 0}},
    };
    for (const auto& row : table)
    {
        CMessageTranslator translator;
        const auto out = translate(translator, windowEvent(row.event));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], row.expected);
    }
    CMessageTranslator translator;
    const auto size = translate(translator, windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600));
    ASSERT_EQ(size.size(), 1u);
    EXPECT_EQ(size[0], (WindowMessage{WM_SIZE, 0, MakePointParam(800, 600)}));
}
