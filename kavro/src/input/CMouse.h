#pragma once

#include "core/CScreenLayout.h"
#include "input/CButtonTracker.h"
#include "kavro/IMouse.h"
#include "kavro/RefCounted.h"

#include <functional>

namespace Kavro
{

// The mouse in logical screen pixels, fed with the window's mouse events. Buttons 0 left,
// 1 right, 2 middle. Wheel states per frame: 4 none, 0 turned up (away from the user), 1 down.
class CMouse : public RefCounted<IMouse>
{
public:
    // Moves the system cursor to a window point.
    using Warp = std::function<void(int windowX, int windowY)>;

    CMouse();

    void setCursorPosition(const IntPair& position) override;
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

    void setWarp(Warp warp) { warp_ = std::move(warp); }
    void setLayout(const CScreenLayout& layout) { layout_ = layout; }
    void move(int windowX, int windowY, int relativeX, int relativeY);
    void button(int button, bool down, int clicks, int windowX, int windowY, uint32_t now);
    void wheel(int notches);
    void leave();
    void releaseAll();
    void nextFrame(uint32_t now);

private:
    int heldTime(int button) const;

    CScreenLayout layout_;
    CButtonTracker buttons_;
    Warp warp_;
    int x_ = -1, y_ = -1;
    float pendingMoveX_ = 0, pendingMoveY_ = 0;
    int moveX_ = 0, moveY_ = 0;
    int clickX_ = -1, clickY_ = -1;
    bool pendingDoubleClick_ = false, doubleClick_ = false;
    int pendingWheel_ = 0, wheelDelta_ = 0, wheelTotal_ = 0;
    int wheelState_ = 4, previousWheelState_ = 4;
    uint32_t now_ = 0;
};

} // namespace Kavro
