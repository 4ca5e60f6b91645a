#include "core/INullMouse.h"

namespace Orvane
{

int INullMouse::release() { return 0; }
int INullMouse::addRef() { return 0; }
int INullMouse::getRefCount() { return 0; }
void INullMouse::setCursorPosition(const Kavro::IntPair&) {}
int INullMouse::getCursorX() { return -1; }
int INullMouse::getCursorY() { return -1; }
int INullMouse::getMoveX() { return 0; }
int INullMouse::getMoveY() { return 0; }
int INullMouse::getLeftButtonState() { return 0; }
int INullMouse::getRightButtonState() { return 0; }
int INullMouse::getClickX() { return -1; }
int INullMouse::getClickY() { return -1; }
int INullMouse::getMiddleButtonState() { return 0; }
int INullMouse::getButtonState(int) { return 0; }
int INullMouse::getLeftButtonTime() { return 0; }
int INullMouse::getRightButtonTime() { return 0; }
int INullMouse::getMiddleButtonTime() { return 0; }
int INullMouse::isDoubleClick() { return 0; }
int INullMouse::getWheelDelta() { return 0; }
int INullMouse::getWheelTotal() { return 0; }
int INullMouse::isInsideWindow() { return 0; }
int INullMouse::isMoving() { return 0; }
int INullMouse::clearInput() { return 0; }
int INullMouse::setCaptured(int) { return 0; }
int INullMouse::getWheelState() { return 4; }
int INullMouse::getPreviousWheelState() { return 4; }

} // namespace Orvane
