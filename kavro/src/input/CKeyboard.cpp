#include "input/CKeyboard.h"

namespace Kavro
{

namespace
{
constexpr int kKeyCount = 256;

// Key numbers outside the table answer "not pressed"; a negative one must not wrap around.
size_t index(int key)
{
    return key >= 0 && key < kKeyCount ? size_t(key) : size_t(kKeyCount);
}
} // namespace

CKeyboard::CKeyboard() : keys_(kKeyCount) {}

int CKeyboard::getKeyState(int key, int mode)
{
    return mode == 0 ? keys_.isDown(index(key)) : keys_.state(index(key)) == CButtonTracker::WentDown;
}

int CKeyboard::isKeyUp(int key)
{
    return keys_.state(index(key)) == CButtonTracker::WentUp;
}

void CKeyboard::clearState()
{
    keys_.clear();
}

int CKeyboard::isKeyDown(int key)
{
    return keys_.state(index(key)) == CButtonTracker::WentDown;
}

int CKeyboard::getHeldCount()
{
    return keys_.heldCount();
}

void CKeyboard::keyDown(int key, uint32_t now)
{
    keys_.press(index(key), now);
}

void CKeyboard::keyUp(int key)
{
    keys_.release(index(key));
}

void CKeyboard::releaseAll()
{
    keys_.releaseAll();
}

void CKeyboard::nextFrame()
{
    keys_.nextFrame();
}

} // namespace Kavro
