#include "core/CMessageTranslator.h"

#include "input/KeyTable.h"

namespace Kavro
{

namespace
{

constexpr int kVirtualKeyF10 = 0x79;
constexpr int kVirtualKeyMenu = 0x12;

intptr_t keyParam(int directInputKey, bool down, bool repeat)
{
    uint32_t param = 1;                             // repeat count
    param |= uint32_t(directInputKey & 0x7f) << 16; // scan code
    if (directInputKey & 0x80) param |= 1u << 24;   // extended key
    if (!down || repeat) param |= 1u << 30;         // was down before
    if (!down) param |= 1u << 31;                   // going up
    return intptr_t(param);
}

struct ButtonMessages
{
    uint32_t down, up, doubleClick, mask;
};

bool buttonMessages(uint8_t sdlButton, ButtonMessages& out)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        out = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, MK_LBUTTON};
        return true;
    case SDL_BUTTON_RIGHT:
        out = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, MK_RBUTTON};
        return true;
    case SDL_BUTTON_MIDDLE:
        out = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, MK_MBUTTON};
        return true;
    default:
        return false;
    }
}

} // namespace

uintptr_t CMessageTranslator::mouseKeys() const
{
    uintptr_t keys = buttons_;
    if (modifiers_ & KMOD_SHIFT) keys |= MK_SHIFT;
    if (modifiers_ & KMOD_CTRL) keys |= MK_CONTROL;
    return keys;
}

void CMessageTranslator::translate(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        key(event.key, event.type == SDL_KEYDOWN, out);
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.which != SDL_TOUCH_MOUSEID)
            out.push_back({WM_MOUSEMOVE, mouseKeys(), MakePointParam(event.motion.x, event.motion.y)});
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        button(event.button, event.type == SDL_MOUSEBUTTONDOWN, out);
        break;
    case SDL_MOUSEWHEEL:
    {
        const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        if (notches == 0) break;
        const auto delta = uint16_t(int16_t(notches * WHEEL_DELTA));
        out.push_back({WM_MOUSEWHEEL, (uintptr_t(delta) << 16) | mouseKeys(),
                       MakePointParam(event.wheel.mouseX, event.wheel.mouseY)});
        break;
    }
    case SDL_WINDOWEVENT:
        window(event.window, out);
        break;
    default:
        break;
    }
}

void CMessageTranslator::key(const SDL_KeyboardEvent& key, bool down, std::vector<WindowMessage>& out)
{
    modifiers_ = key.keysym.mod;
    const int directInputKey = DirectInputKeyOf(key.keysym.scancode);
    const int virtualKey = VirtualKeyOf(directInputKey);
    if (!directInputKey) return;
    // Keys pressed with Alt, Alt itself and F10 are system keys.
    const bool system =
        (key.keysym.mod & KMOD_ALT) || virtualKey == kVirtualKeyMenu || virtualKey == kVirtualKeyF10;
    const uint32_t message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out.push_back({message, uintptr_t(virtualKey), keyParam(directInputKey, down, key.repeat != 0)});
}

void CMessageTranslator::button(const SDL_MouseButtonEvent& button, bool down,
                                std::vector<WindowMessage>& out)
{
    if (button.which == SDL_TOUCH_MOUSEID) return;
    ButtonMessages messages;
    if (!buttonMessages(button.button, messages)) return;
    if (down)
        buttons_ |= messages.mask;
    else
        buttons_ &= ~messages.mask;
    // The second press of a double click arrives as the double-click message, as on a window
    // class that asks for double clicks.
    const uint32_t message = !down ? messages.up : button.clicks == 2 ? messages.doubleClick : messages.down;
    out.push_back({message, mouseKeys(), MakePointParam(button.x, button.y)});
}

void CMessageTranslator::window(const SDL_WindowEvent& window, std::vector<WindowMessage>& out)
{
    switch (window.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({WM_CLOSE, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({WM_SETFOCUS, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        buttons_ = 0;
        out.push_back({WM_KILLFOCUS, 0, 0});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out.push_back({WM_SIZE, 0, MakePointParam(window.data1, window.data2)});
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back({WM_MOVE, 0, MakePointParam(window.data1, window.data2)});
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back({WM_PAINT, 0, 0});
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_HIDDEN:
        out.push_back({WM_SHOWWINDOW, window.event == SDL_WINDOWEVENT_SHOWN ? 1u : 0u, 0});
        break;
    default:
        break;
    }
}

} // namespace Kavro
