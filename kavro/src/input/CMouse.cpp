#include "input/CMouse.h"

#include <SDL2/SDL_mouse.h>

#include <cmath>

namespace Kavro
{

namespace
{
constexpr int kButtons = 3;
constexpr int kWheelNone = 4, kWheelUp = 0, kWheelDown = 1;
constexpr int kWheelDelta = 120;
} // namespace

CMouse::CMouse() : buttons_(kButtons) {}

void CMouse::setCursorPosition(const IntPair& position)
{
    int windowX = 0, windowY = 0;
    layout_.toWindow(position.x, position.y, windowX, windowY);
    x_ = position.x;
    y_ = position.y;
    if (warp_) warp_(windowX, windowY);
}

int CMouse::getCursorX()
{
    return x_;
}

int CMouse::getCursorY()
{
    return y_;
}

int CMouse::getMoveX()
{
    return moveX_;
}

int CMouse::getMoveY()
{
    return moveY_;
}

int CMouse::getLeftButtonState()
{
    return buttons_.state(0);
}

int CMouse::getRightButtonState()
{
    return buttons_.state(1);
}

int CMouse::getClickX()
{
    return clickX_;
}

int CMouse::getClickY()
{
    return clickY_;
}

int CMouse::getMiddleButtonState()
{
    return buttons_.state(2);
}

int CMouse::getButtonState(int button)
{
    return button >= 0 ? buttons_.state(size_t(button)) : 0;
}

int CMouse::heldTime(int button) const
{
    return buttons_.isDown(size_t(button)) ? int(now_ - buttons_.pressTime(size_t(button))) : 0;
}

int CMouse::getLeftButtonTime()
{
    return heldTime(0);
}

int CMouse::getRightButtonTime()
{
    return heldTime(1);
}

int CMouse::getMiddleButtonTime()
{
    return heldTime(2);
}

int CMouse::isDoubleClick()
{
    return doubleClick_;
}

int CMouse::getWheelDelta()
{
    return wheelDelta_;
}

int CMouse::getWheelTotal()
{
    return wheelTotal_;
}

int CMouse::isInsideWindow()
{
    return x_ >= 0 && y_ >= 0;
}

int CMouse::isMoving()
{
    return moveX_ != 0 || moveY_ != 0;
}

int CMouse::clearInput()
{
    buttons_.clear();
    pendingMoveX_ = pendingMoveY_ = 0;
    moveX_ = moveY_ = 0;
    pendingDoubleClick_ = doubleClick_ = false;
    pendingWheel_ = wheelDelta_ = 0;
    wheelState_ = previousWheelState_ = kWheelNone;
    return 0;
}

int CMouse::setCaptured(int captured)
{
    return SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE) == 0 ? 0 : -1;
}

int CMouse::getWheelState()
{
    return wheelState_;
}

int CMouse::getPreviousWheelState()
{
    return previousWheelState_;
}

void CMouse::move(int windowX, int windowY, int relativeX, int relativeY)
{
    layout_.toScreen(windowX, windowY, x_, y_);
    pendingMoveX_ += float(relativeX) * layout_.scaleX();
    pendingMoveY_ += float(relativeY) * layout_.scaleY();
}

void CMouse::button(int button, bool down, int clicks, int windowX, int windowY, uint32_t now)
{
    layout_.toScreen(windowX, windowY, x_, y_);
    if (!down)
    {
        buttons_.release(size_t(button));
        return;
    }
    buttons_.press(size_t(button), now);
    if (button == 0)
    {
        clickX_ = x_;
        clickY_ = y_;
        pendingDoubleClick_ = pendingDoubleClick_ || clicks >= 2;
    }
}

void CMouse::wheel(int notches)
{
    pendingWheel_ += notches;
}

void CMouse::leave()
{
    x_ = y_ = -1;
}

void CMouse::releaseAll()
{
    buttons_.releaseAll();
}

void CMouse::nextFrame(uint32_t now)
{
    now_ = now;
    buttons_.nextFrame();
    // Whole pixels move now; the fractions stay for the next frame.
    moveX_ = int(std::trunc(pendingMoveX_));
    moveY_ = int(std::trunc(pendingMoveY_));
    pendingMoveX_ -= float(moveX_);
    pendingMoveY_ -= float(moveY_);
    doubleClick_ = pendingDoubleClick_;
    pendingDoubleClick_ = false;
    previousWheelState_ = wheelState_;
    wheelState_ = pendingWheel_ > 0 ? kWheelUp : pendingWheel_ < 0 ? kWheelDown : kWheelNone;
    wheelDelta_ = pendingWheel_ * kWheelDelta;
    wheelTotal_ += wheelDelta_;
    pendingWheel_ = 0;
}

} // namespace Kavro
