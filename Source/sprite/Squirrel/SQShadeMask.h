#pragma once

#include "sprite/CSpriteShadeMask.h"
#include "sprite/Squirrel/SQSpriteRenderTarget.h"

#include <vector>

namespace Orvane::Squirrel
{

// The script class "SQShadeMask": makes a shade mask, fills its map each frame from the objects bound
// to it, and where it is drawn shades what lies below. In the script it has no base class and a short
// method table of its own; until create it does nothing.
class SQShadeMask : public SQSpriteRenderTarget
{
public:
    explicit SQShadeMask(const char* name);

    // Null until create succeeds; the inherited steps act on the task's back surface until then.
    CSpriteShadeMask* getMask() const { return mask; }

    int update() override;
    int draw() override;
    int render() override;
    void setTimeScale(float scale) override;

    // 0, or -1 (and no mask) when the library makes no map.
    int create();
    void setShadingParameter(int level, float density);
    // The power is clamped to 0..1 by the mask.
    void setShadingPower(float power, int duration, int easing);
    // The mask's own sprite state, which setShadingPower leaves alone.
    float getShadingPower();
    int getShadingLevel();
    float getShadingDensity();
    float getShadingPowerTimer();
    void setShadingPowerTimer(float t);

    // The script method table after the ten base methods, in registration order.
    static const std::vector<const char*>& methodNames();
    static void registerClass();

private:
    // The engine object once it is a shade mask (the binding holds it as its target).
    CSpriteShadeMask* mask = nullptr;
};

} // namespace Orvane::Squirrel
