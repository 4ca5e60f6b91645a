#include "script/Squirrel/SQAction1D.h"

#include "script/SqPlus.h"

#include <algorithm>

namespace Orvane::Squirrel
{

namespace
{

// Scripts pass times and tempos as signed integers; the action reads them as unsigned, so a
// negative tempo is out of range as well.
int32_t scriptTempo(int tempo)
{
    return uint32_t(tempo) < uint32_t(EasingCount) ? tempo : 0;
}

float scriptTime(int time)
{
    return float(uint32_t(time));
}

} // namespace

int SQAction1D::update()
{
    wasActive = action.active;
    action.update();
    return 0;
}

void SQAction1D::evaluateIfActive()
{
    if (!action.active)
        return;
    action.value = easingCurve<float>(action.easing)(action.from, action.to, action.duration, action.elapsed);
    action.scaledValue = action.value * action.valueScale;
}

void SQAction1D::setAction(float source, float destination, int time, int tempo)
{
    action.set(source, destination, uint32_t(time), scriptTempo(tempo));
}

int SQAction1D::finish()
{
    return action.complete();
}

void SQAction1D::resetNow()
{
    evaluateIfActive();
}

void SQAction1D::resetTimer()
{
    action.elapsed = std::min(action.duration, 0.0f);
    if (action.duration > 0.0f)
        action.active = 1;
    evaluateIfActive();
}

void SQAction1D::setTimer(int time)
{
    const float t = scriptTime(time);
    action.elapsed = t > action.duration ? action.duration : t;
    if (action.elapsed < 0.0f)
        action.elapsed = 0.0f;
    if (action.duration > 0.0f)
        action.active = 1;
    evaluateIfActive();
}

void SQAction1D::setActionTime(int time)
{
    action.duration = scriptTime(time);
    evaluateIfActive();
}

void SQAction1D::setSrc(float value)
{
    action.from = value;
    evaluateIfActive();
}

void SQAction1D::setDst(float value)
{
    action.to = value;
    evaluateIfActive();
}

void SQAction1D::setNow(float value)
{
    action.value = value;
    action.scaledValue = value * action.valueScale;
}

void SQAction1D::setPower(float power)
{
    action.valueScale = power;
    if (action.active)
    {
        evaluateIfActive();
        return;
    }
    action.value = action.to;
    action.scaledValue = action.to * power;
}

void SQAction1D::setTempo(int tempo)
{
    action.easing = scriptTempo(tempo);
    evaluateIfActive();
}

void SQAction1D::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQAction1D>("SQAction1D");
    SqPlus::RegisterConstructor<SQAction1D, const char*>(c);
    SqPlus::RegisterInstance(c, &SQAction1D::setAction, "setAction");
    SqPlus::RegisterInstance(c, &SQAction1D::finish, "finish");
    SqPlus::RegisterInstance(c, &SQAction1D::resetNow, "resetNow");
    SqPlus::RegisterInstance(c, &SQAction1D::resetTimer, "resetTimer");
    SqPlus::RegisterInstance(c, &SQAction1D::setTimer, "setTimer");
    SqPlus::RegisterInstance(c, &SQAction1D::getTimer, "getTimer");
    SqPlus::RegisterInstance(c, &SQAction1D::setActionTime, "setActionTime");
    SqPlus::RegisterInstance(c, &SQAction1D::getActionTime, "getActionTime");
    SqPlus::RegisterInstance(c, &SQAction1D::setSrc, "setSrc");
    SqPlus::RegisterInstance(c, &SQAction1D::setDst, "setDst");
    SqPlus::RegisterInstance(c, &SQAction1D::setNow, "setNow");
    SqPlus::RegisterInstance(c, &SQAction1D::getSrc, "getSrc");
    SqPlus::RegisterInstance(c, &SQAction1D::getDst, "getDst");
    SqPlus::RegisterInstance(c, &SQAction1D::getNow, "getNow");
    SqPlus::RegisterInstance(c, &SQAction1D::getNowNoPower, "getNowNoPower");
    SqPlus::RegisterInstance(c, &SQAction1D::getRate, "getRate");
    SqPlus::RegisterInstance(c, &SQAction1D::isActive, "isActive");
    SqPlus::RegisterInstance(c, &SQAction1D::setActive, "setActive");
    SqPlus::RegisterInstance(c, &SQAction1D::setPower, "setPower");
    SqPlus::RegisterInstance(c, &SQAction1D::getPower, "getPower");
    SqPlus::RegisterInstance(c, &SQAction1D::setTempo, "setTempo");
    SqPlus::RegisterInstance(c, &SQAction1D::getTimeScale, "getTimeScale");
    SqPlus::RegisterInstance(c, &SQAction1D::setTimeScale, "setTimeScale");
    SqPlus::RegisterInstance(c, &SQAction1D::getTempo, "getTempo");
}

} // namespace Orvane::Squirrel
