#pragma once

#include <kavro/IMouse.h>

namespace Orvane
{

// The mouse of a task that is not on top: outside the screen, no buttons, no wheel.
class INullMouse : public Kavro::IMouse
{
public:
    int release() override;
    int addRef() override;
    int getRefCount() override;
    void setCursorPosition(const Kavro::IntPair& position) override;
    int getCursorX() override;
    int getCursorY() override;
    int getMoveX() override;
    int getMoveY() override;
    int getLeftButtonState() override;
    int getRightButtonState() override;
    int getClickX() override;
    int getClickY() override;
    int getMiddleButtonState() override;
    int getButtonState(int button) override;
    int getLeftButtonTime() override;
    int getRightButtonTime() override;
    int getMiddleButtonTime() override;
    int isDoubleClick() override;
    int getWheelDelta() override;
    int getWheelTotal() override;
    int isInsideWindow() override;
    int isMoving() override;
    int clearInput() override;
    int setCaptured(int captured) override;
    int getWheelState() override;
    int getPreviousWheelState() override;
};

} // namespace Orvane
