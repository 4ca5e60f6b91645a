#include "core/INullKeyboard.h"

namespace Orvane
{

int INullKeyboard::release() { return 0; }
int INullKeyboard::addRef() { return 0; }
int INullKeyboard::getRefCount() { return 0; }
int INullKeyboard::getKeyState(int, int) { return 0; }
int INullKeyboard::isKeyUp(int) { return 0; }
void INullKeyboard::clearState() {}
int INullKeyboard::isKeyDown(int) { return 0; }
int INullKeyboard::getHeldCount() { return 0; }

} // namespace Orvane
