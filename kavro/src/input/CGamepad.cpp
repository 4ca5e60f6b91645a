#include "input/CGamepad.h"

#include <algorithm>
#include <bit>

namespace Kavro
{

namespace
{

float stickValue(int raw)
{
    return std::clamp(float(raw) / 32767.0f, -1.0f, 1.0f);
}

// The state of a mask of several buttons: the most eventful of its buttons.
int combine(int a, int b)
{
    constexpr int rank[] = {0, 3, 2, 1}; // went down, held, went up, up
    return rank[a] >= rank[b] ? a : b;
}

} // namespace

CGamepad::CGamepad() = default;

CGamepad::~CGamepad()
{
    closeAll();
}

void CGamepad::closeAll()
{
    for (Pad& p : pads_)
        detach(p.instance);
}

int CGamepad::MaskOf(int controllerButton)
{
    switch (controllerButton)
    {
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
        return 0x0001;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
        return 0x0002;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
        return 0x0004;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
        return 0x0008;
    case SDL_CONTROLLER_BUTTON_START:
        return 0x0010;
    case SDL_CONTROLLER_BUTTON_BACK:
        return 0x0020;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK:
        return 0x0040;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK:
        return 0x0080;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        return 0x0100;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return 0x0200;
    case SDL_CONTROLLER_BUTTON_GUIDE:
        return 0x0400;
    case SDL_CONTROLLER_BUTTON_A:
        return 0x1000;
    case SDL_CONTROLLER_BUTTON_B:
        return 0x2000;
    case SDL_CONTROLLER_BUTTON_X:
        return 0x4000;
    case SDL_CONTROLLER_BUTTON_Y:
        return 0x8000;
    default:
        return 0;
    }
}

CGamepad::Pad* CGamepad::pad(int index)
{
    return index >= 0 && index < kPads ? &pads_[size_t(index)] : nullptr;
}

CGamepad::Pad* CGamepad::find(SDL_JoystickID instance)
{
    const int index = padOf(instance);
    return index >= 0 ? &pads_[size_t(index)] : nullptr;
}

int CGamepad::padOf(SDL_JoystickID instance) const
{
    for (int i = 0; i < kPads; ++i)
        if (pads_[size_t(i)].instance == instance && instance >= 0) return i;
    return -1;
}

int CGamepad::getButtonState(int padIndex, int mask)
{
    Pad* p = pad(padIndex);
    if (!p) return 0;
    int state = CButtonTracker::Up;
    for (uint32_t bits = uint32_t(mask) & 0xffff; bits; bits &= bits - 1)
        state = combine(state, p->buttons.state(size_t(std::countr_zero(bits))));
    return state;
}

float CGamepad::getTriggerValue(int padIndex, int trigger)
{
    Pad* p = pad(padIndex);
    if (!p || trigger < 0 || trigger > 1) return 0.0f;
    const int raw =
        p->axes[trigger == 0 ? SDL_CONTROLLER_AXIS_TRIGGERLEFT : SDL_CONTROLLER_AXIS_TRIGGERRIGHT];
    return std::clamp(float(raw) / 32767.0f, 0.0f, 1.0f);
}

Vector2D& CGamepad::getThumbValue(Vector2D& out, int padIndex, int stick)
{
    Pad* p = pad(padIndex);
    if (!p || stick < 0 || stick > 1)
    {
        out = {};
        return out;
    }
    const int xAxis = stick == 0 ? SDL_CONTROLLER_AXIS_LEFTX : SDL_CONTROLLER_AXIS_RIGHTX;
    const int yAxis = stick == 0 ? SDL_CONTROLLER_AXIS_LEFTY : SDL_CONTROLLER_AXIS_RIGHTY;
    // The controller's y grows downwards; ours grows upwards.
    out = {stickValue(p->axes[size_t(xAxis)]), -stickValue(p->axes[size_t(yAxis)])};
    return out;
}

void CGamepad::setVibration(int padIndex, float value, float seconds)
{
    Pad* p = pad(padIndex);
    if (!p || !p->controller) return;
    const auto strength = uint16_t(std::clamp(value, 0.0f, 1.0f) * 65535.0f);
    // No duration: until the next call.
    const uint32_t ms = seconds > 0.0f ? uint32_t(std::min(seconds * 1000.0f, 4.0e9f)) : 0xffffffffu;
    SDL_GameControllerRumble(p->controller, strength, strength, ms);
}

void CGamepad::attach(int deviceIndex)
{
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (instance < 0 || find(instance)) return;
    for (Pad& p : pads_)
    {
        if (p.instance >= 0) continue;
        p.controller = SDL_GameControllerOpen(deviceIndex);
        if (!p.controller) return;
        p.instance = instance;
        p.buttons.clear();
        p.axes.fill(0);
        return;
    }
}

void CGamepad::detach(SDL_JoystickID instance)
{
    Pad* p = find(instance);
    if (!p) return;
    if (p->controller) SDL_GameControllerClose(p->controller);
    p->controller = nullptr;
    p->instance = -1;
    p->buttons.releaseAll();
    p->axes.fill(0);
}

void CGamepad::button(SDL_JoystickID instance, int controllerButton, bool down, uint32_t now)
{
    Pad* p = find(instance);
    const int mask = MaskOf(controllerButton);
    if (!p || !mask) return;
    const auto bit = size_t(std::countr_zero(uint32_t(mask)));
    if (down)
        p->buttons.press(bit, now);
    else
        p->buttons.release(bit);
}

void CGamepad::axis(SDL_JoystickID instance, int controllerAxis, int value)
{
    Pad* p = find(instance);
    if (p && controllerAxis >= 0 && controllerAxis < SDL_CONTROLLER_AXIS_MAX)
        p->axes[size_t(controllerAxis)] = value;
}

void CGamepad::releaseAll()
{
    for (Pad& p : pads_)
        p.buttons.releaseAll();
}

void CGamepad::nextFrame()
{
    for (Pad& p : pads_)
        p.buttons.nextFrame();
}

int CGamepad::connectedCount() const
{
    return int(std::count_if(pads_.begin(), pads_.end(), [](const Pad& p) { return p.instance >= 0; }));
}

} // namespace Kavro
