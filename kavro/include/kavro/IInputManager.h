#pragma once

#include "IGamepad.h"
#include "IKeyboard.h"
#include "IMouse.h"
#include "ITouch.h"

namespace Kavro
{

// Hands out the input devices; each getter hands out a reference the caller releases.
class IInputManager : public IInterface
{
public:
    virtual IMouse* getMouse() = 0;
    virtual IKeyboard* getKeyboard() = 0;
    virtual IGamepad* getGamepad() = 0;
    virtual ITouch* getTouch() = 0;
};

} // namespace Kavro
