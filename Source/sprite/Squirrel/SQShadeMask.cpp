#include "sprite/Squirrel/SQShadeMask.h"

#include "sprite/Squirrel/SQSpriteMethodTable.h"

namespace Orvane::Squirrel
{

SQShadeMask::SQShadeMask(const char* name) : SQSpriteRenderTarget(name)
{
    erase = 0;
}

int SQShadeMask::create()
{
    mask = nullptr;
    useTarget(standInTarget());
    auto* made = new CSpriteShadeMask;
    if (made->create() < 0)
    {
        made->release();
        return -1;
    }
    useTarget(made);
    mask = made;
    engineObject = made;
    made->leaveTaskLists();
    made->setTimeScale(timeScale);
    return 0;
}

int SQShadeMask::update()
{
    return mask ? mask->update() : 0;
}

int SQShadeMask::draw()
{
    markFlag();
    if (!mask) return 0;
    renderTargetOnce(mask);
    if (!erase) mask->draw();
    return 0;
}

int SQShadeMask::render()
{
    return mask ? mask->render() : 0;
}

void SQShadeMask::setTimeScale(float scale)
{
    if (mask) mask->setTimeScale(scale);
    timeScale = scale;
}

void SQShadeMask::setShadingParameter(int level, float density)
{
    if (mask) mask->setShadingParameter(level, density);
}

void SQShadeMask::setShadingPower(float power, int duration, int easing)
{
    if (mask) mask->setShadingPower(power, float(uint32_t(duration)), easing);
}

float SQShadeMask::getShadingPower()
{
    return mask ? mask->getShadingPower() : 0.0f;
}

int SQShadeMask::getShadingLevel()
{
    return mask ? mask->getShadingLevel() : 0;
}

float SQShadeMask::getShadingDensity()
{
    return mask ? mask->getShadingDensity() : 0.0f;
}

float SQShadeMask::getShadingPowerTimer()
{
    return mask ? mask->getShadingPowerTimer() : 0.0f;
}

void SQShadeMask::setShadingPowerTimer(float t)
{
    if (mask) mask->setShadingPowerTimer(t);
}

const std::vector<const char*>& SQShadeMask::methodNames()
{
    static const std::vector<const char*> names = {
        "create",          "setShadingParameter", "setShadingPower",      "getShadingPower",      "getShadingLevel",
        "getShadingDensity", "getShadingPowerTimer", "setShadingPowerTimer", "setTimeScale"};
    return names;
}

void SQShadeMask::registerClass()
{
    using T = SQShadeMask;
    SquirrelObject c = SqPlus::RegisterClassType<T>("SQShadeMask");
    SqPlus::RegisterConstructor<T, const char*>(c);
    RegisterRenderingMethods<T>(c);
    addAs<T>(c, &T::create, "create");
    addAs<T>(c, &T::setShadingParameter, "setShadingParameter");
    addAs<T>(c, &T::setShadingPower, "setShadingPower");
    addAs<T>(c, &T::getShadingPower, "getShadingPower");
    addAs<T>(c, &T::getShadingLevel, "getShadingLevel");
    addAs<T>(c, &T::getShadingDensity, "getShadingDensity");
    addAs<T>(c, &T::getShadingPowerTimer, "getShadingPowerTimer");
    addAs<T>(c, &T::setShadingPowerTimer, "setShadingPowerTimer");
    addAs<T>(c, static_cast<void (T::*)(float)>(&T::setTimeScale), "setTimeScale");
}

} // namespace Orvane::Squirrel
