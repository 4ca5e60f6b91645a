#pragma once

#include <kavro/IGamepad.h>

namespace Orvane
{

// The gamepads of a task that is not on top: nothing pressed, sticks centred.
class INullGamepad : public Kavro::IGamepad
{
public:
    int release() override;
    int addRef() override;
    int getRefCount() override;
    int getButtonState(int pad, int mask) override;
    float getTriggerValue(int pad, int trigger) override;
    Kavro::Vector2D& getThumbValue(Kavro::Vector2D& out, int pad, int stick) override;
    void setVibration(int pad, float value, float seconds) override;
};

} // namespace Orvane
