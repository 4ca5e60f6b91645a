#pragma once

#include "IInterface.h"

namespace Kavro
{

// Keyboard polled by DirectInput key numbers (F2 = 0x3C, Enter 28, keypad Enter 156).
class IKeyboard : public IInterface
{
public:
    // Nonzero while the key is held (mode 0), or only on the frame it went down (mode 1).
    virtual int getKeyState(int key, int mode = 0) = 0;
    // Nonzero when the key has gone up since the last frame.
    virtual int isKeyUp(int key) = 0;
    // Forgets every held key.
    virtual void clearState() = 0;
    // Nonzero when the key went down since the last frame.
    virtual int isKeyDown(int key) = 0;
    // Number of keys held.
    virtual int getHeldCount() = 0;
};

} // namespace Kavro
