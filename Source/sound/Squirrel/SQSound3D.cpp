#include "sound/Squirrel/SQSound3D.h"

#include "script/CSquirrel.h"
#include "sound/Squirrel/SQSoundRegistration.h"

namespace Orvane::Squirrel
{

namespace
{
// SQMATH_RET_1 among the host's scratch values.
constexpr int firstResultValue = 14;
} // namespace

SQSound3D::SQSound3D(const char* name) : SQSoundBinding(name) {}

int SQSound3D::create(const char* name)
{
    replaceInner(nullptr);
    CTask* task = factoryTask();
    return adopt(task ? task->createSound3D(name ? name : "") : nullptr);
}

int SQSound3D::load(const char* name)
{
    replaceInner(nullptr);
    CTask* task = factoryTask();
    return adopt(task ? task->loadSound3D(name ? name : "") : nullptr);
}

void SQSound3D::move3D(float x, float y, float z, int time, int easing)
{
    inner->move3D(x, y, z, scriptTime(time), easing);
}

void SQSound3D::getMove3D()
{
    CSquirrel* host = CSquirrel::get();
    if (!host)
        return;
    const Kavro::Vector3D position = inner->getMove3D();
    host->mathValue(firstResultValue) = position.x;
    host->mathValue(firstResultValue + 1) = position.y;
    host->mathValue(firstResultValue + 2) = position.z;
    host->mathValue(firstResultValue + 3) = 0.0f;
}

int SQSound3D::isMoving()
{
    return inner->isMoving();
}

void SQSound3D::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQSound3D>("SQSound3D");
    SqPlus::RegisterConstructor<SQSound3D, const char*>(c);
    RegisterLockMethods<SQSound3D>(c);
    registerMethod<SQSound3D>(c, &SQSound3D::create, "create");
    registerMethod<SQSound3D>(c, &SQSound3D::load, "load");
    registerMethod<SQSound3D>(c, &SQSound3D::play, "play");
    registerMethod<SQSound3D>(c, &SQSound3D::stop, "stop");
    registerMethod<SQSound3D>(c, &SQSound3D::pause, "pause");
    registerMethod<SQSound3D>(c, &SQSound3D::onResume, "onResume");
    registerMethod<SQSound3D>(c, &SQSound3D::setVolume, "setVolume");
    registerMethod<SQSound3D>(c, &SQSound3D::setPan, "setPan");
    registerMethod<SQSound3D>(c, &SQSound3D::setFrequency, "setFrequency");
    registerMethod<SQSound3D>(c, &SQSound3D::setLoop, "setLoop");
    registerMethod<SQSound3D>(c, &SQSound3D::setType, "setType");
    registerMethod<SQSound3D>(c, &SQSound3D::getVolume, "getVolume");
    registerMethod<SQSound3D>(c, &SQSound3D::getPan, "getPan");
    registerMethod<SQSound3D>(c, &SQSound3D::getFrequency, "getFrequency");
    registerMethod<SQSound3D>(c, &SQSound3D::getPulse, "getPulse");
    registerMethod<SQSound3D>(c, &SQSound3D::getDurationTime, "getDurationTime");
    registerMethod<SQSound3D>(c, &SQSound3D::getRemainTime, "getRemainTime");
    registerMethod<SQSound3D>(c, &SQSound3D::getDurationTime, "getTotalTime");
    registerMethod<SQSound3D>(c, &SQSound3D::getMove3D, "getMove3D");
    registerMethod<SQSound3D>(c, &SQSound3D::seek, "seek");
    registerMethod<SQSound3D>(c, &SQSound3D::move3D, "move3D");
    registerMethod<SQSound3D>(c, &SQSound3D::isPlaying, "isPlaying");
    registerMethod<SQSound3D>(c, &SQSound3D::isPaused, "isPaused");
    registerMethod<SQSound3D>(c, &SQSound3D::isMoving, "isMoving");
    registerMethod<SQSound3D>(c, &SQSound3D::setEcho, "setEcho");
    registerMethod<SQSound3D>(c, &SQSound3D::setPresetReverb, "setPresetReverb");
}

} // namespace Orvane::Squirrel
