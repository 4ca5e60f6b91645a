#pragma once

#include <kavro/IKeyboard.h>

namespace Orvane
{

// The keyboard of a task that is not on top: no key is ever held.
class INullKeyboard : public Kavro::IKeyboard
{
public:
    int release() override;
    int addRef() override;
    int getRefCount() override;
    int getKeyState(int key, int mode) override;
    int isKeyUp(int key) override;
    void clearState() override;
    int isKeyDown(int key) override;
    int getHeldCount() override;
};

} // namespace Orvane
