#pragma once

#include "IInterface.h"

namespace Kavro
{

// Mouse in logical screen pixels. Button states: 0 up, 1 went down, 2 held, 3 went up.
class IMouse : public IInterface
{
public:
    virtual void setCursorPosition(const IntPair& position) = 0;
    // -1 when the cursor is outside the screen.
    virtual int getCursorX() = 0;
    virtual int getCursorY() = 0;
    virtual int getMoveX() = 0;
    virtual int getMoveY() = 0;
    virtual int getLeftButtonState() = 0;
    virtual int getRightButtonState() = 0;
    // Where the last left click happened, -1 before any.
    virtual int getClickX() = 0;
    virtual int getClickY() = 0;
    virtual int getMiddleButtonState() = 0;
    virtual int getButtonState(int button) = 0;
    virtual int getLeftButtonTime() = 0;
    virtual int getRightButtonTime() = 0;
    virtual int getMiddleButtonTime() = 0;
    virtual int isDoubleClick() = 0;
    virtual int getWheelDelta() = 0;
    virtual int getWheelTotal() = 0;
    virtual int isInsideWindow() = 0;
    virtual int isMoving() = 0;
    virtual int clearInput() = 0;
    virtual int setCaptured(int captured) = 0;
    // Wheel: 4 none, 0 turned up, 1 turned down.
    virtual int getWheelState() = 0;
    virtual int getPreviousWheelState() = 0;
};

} // namespace Kavro
