#pragma once

#include "input/CButtonTracker.h"
#include "kavro/IGamepad.h"
#include "kavro/RefCounted.h"

#include <SDL2/SDL_gamecontroller.h>

#include <array>

namespace Kavro
{

// Up to four game controllers, numbered 0..3 in the order they were attached; buttons by
// their XInput masks.
class CGamepad : public RefCounted<IGamepad>
{
public:
    static constexpr int kPads = 4;

    CGamepad();
    ~CGamepad() override;

    int getButtonState(int pad, int mask) override;
    float getTriggerValue(int pad, int trigger) override;
    Vector2D& getThumbValue(Vector2D& out, int pad, int stick) override;
    void setVibration(int pad, float value, float seconds) override;

    // The XInput mask of a controller button; 0 for buttons XInput does not have.
    static int MaskOf(int controllerButton);

    // Opens the controller of a joystick device index; the first free pad takes it.
    void attach(int deviceIndex);
    // The pad of a controller instance; -1 when none has it.
    int padOf(SDL_JoystickID instance) const;
    void detach(SDL_JoystickID instance);
    // Closes every controller (before the controller subsystem ends).
    void closeAll();
    void button(SDL_JoystickID instance, int controllerButton, bool down, uint32_t now);
    void axis(SDL_JoystickID instance, int controllerAxis, int value);
    void releaseAll();
    void nextFrame();
    int connectedCount() const;

private:
    struct Pad
    {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID instance = -1;
        CButtonTracker buttons{16};
        std::array<int, SDL_CONTROLLER_AXIS_MAX> axes{};
    };
    Pad* find(SDL_JoystickID instance);
    Pad* pad(int index);

    std::array<Pad, kPads> pads_;
};

} // namespace Kavro
