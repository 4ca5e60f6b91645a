#pragma once

#include <cstdint>

namespace Kavro
{

// Window messages the core's pump hands to the window procedure, with their Windows numbers.
enum : uint32_t
{
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_SHOWWINDOW = 0x0018,
    WM_SETCURSOR = 0x0020,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_USER = 0x0400,
};

// Button and modifier bits in wParam of mouse messages.
enum : uint32_t
{
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// One wheel notch in the high word of WM_MOUSEWHEEL's wParam.
constexpr int WHEEL_DELTA = 120;

// Cursor shapes for ICore::setCursor, numbered as the system cursors IDC_ARROW and IDC_HAND.
enum : int
{
    IDC_ARROW = 32512,
    IDC_HAND = 32649,
};

// Packs two signed 16-bit coordinates as mouse messages carry them in lParam.
constexpr intptr_t MakePointParam(int x, int y)
{
    return intptr_t(uint32_t(uint16_t(int16_t(x))) | (uint32_t(uint16_t(int16_t(y))) << 16));
}
constexpr int PointParamX(intptr_t lParam)
{
    return int16_t(uint16_t(uint32_t(lParam) & 0xffff));
}
constexpr int PointParamY(intptr_t lParam)
{
    return int16_t(uint16_t(uint32_t(lParam) >> 16));
}

} // namespace Kavro
