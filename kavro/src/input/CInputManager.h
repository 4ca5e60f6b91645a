#pragma once

#include "core/CScreenLayout.h"
#include "input/CGamepad.h"
#include "input/CKeyboard.h"
#include "input/CMouse.h"
#include "input/CTouch.h"
#include "kavro/IInputManager.h"
#include "kavro/RefCounted.h"

#include <SDL2/SDL_events.h>

namespace Kavro
{

// Owns the four devices and feeds them the window's events; the core calls nextFrame each time
// it hands out a frame, so that the devices' states are those of the events up to that point.
class CInputManager : public RefCounted<IInputManager>
{
public:
    CInputManager();
    ~CInputManager() override;

    // Each hands out a reference of its own.
    IMouse* getMouse() override;
    IKeyboard* getKeyboard() override;
    IGamepad* getGamepad() override;
    ITouch* getTouch() override;

    void setLayout(const CScreenLayout& layout);
    void setWarp(CMouse::Warp warp);
    void handleEvent(const SDL_Event& event, uint32_t now);
    // Focus lost: every held key and button goes up.
    void releaseAll();
    void nextFrame(uint32_t now);

    CKeyboard& keyboard() { return *keyboard_; }
    CMouse& mouse() { return *mouse_; }
    CGamepad& gamepad() { return *gamepad_; }
    CTouch& touch() { return *touch_; }

private:
    CKeyboard* keyboard_;
    CMouse* mouse_;
    CGamepad* gamepad_;
    CTouch* touch_;
};

} // namespace Kavro
