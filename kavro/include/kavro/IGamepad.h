#pragma once

#include "IInterface.h"
#include "Vector2D.h"

namespace Kavro
{

// Up to four pads; buttons by XInput masks. Button states: 0 up, 1 went down, 2 held, 3 went up.
class IGamepad : public IInterface
{
public:
    virtual int getButtonState(int pad, int mask) = 0;
    // Trigger 0 left, 1 right: 0.0 to 1.0.
    virtual float getTriggerValue(int pad, int trigger) = 0;
    // Stick 0 left, 1 right: -1.0 to 1.0 each axis, y up.
    virtual Vector2D& getThumbValue(Vector2D& out, int pad, int stick) = 0;
    virtual void setVibration(int pad, float value, float seconds) = 0;
};

} // namespace Kavro
