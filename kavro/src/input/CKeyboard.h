#pragma once

#include "input/CButtonTracker.h"
#include "kavro/IKeyboard.h"
#include "kavro/RefCounted.h"

namespace Kavro
{

// The keyboard by DirectInput key numbers (0..255), fed with the window's key events.
class CKeyboard : public RefCounted<IKeyboard>
{
public:
    CKeyboard();

    int getKeyState(int key, int mode = 0) override;
    int isKeyUp(int key) override;
    void clearState() override;
    int isKeyDown(int key) override;
    int getHeldCount() override;

    void keyDown(int key, uint32_t now);
    void keyUp(int key);
    void releaseAll();
    void nextFrame();

private:
    CButtonTracker keys_;
};

} // namespace Kavro
