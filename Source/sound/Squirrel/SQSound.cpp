#include "sound/Squirrel/SQSound.h"

#include "sound/Squirrel/SQSoundRegistration.h"

namespace Orvane::Squirrel
{

SQSound::SQSound(const char* name) : SQSoundBinding(name) {}

int SQSound::open(const char* name, int keptMode, CSound* (CTask::*factory)(const std::string&))
{
    const std::string fileName = name ? name : "";
    inner->stop();
    if (inner->getCreateMode() == keptMode)
    {
        if (inner->getFileName() == fileName)
            return 0;
        if (inner->reopen(fileName) >= 0)
            return 0;
        return adopt(nullptr);
    }
    replaceInner(nullptr);
    CTask* task = factoryTask();
    return adopt(task ? (task->*factory)(fileName) : nullptr);
}

int SQSound::create(const char* name)
{
    return open(name, 1, &CTask::createSound);
}

int SQSound::load(const char* name)
{
    return open(name, 0, &CTask::loadSound);
}

float SQSound::getAmplitude()
{
    return inner->getAmplitude();
}

void SQSound::addSoundGroup(const char* groupName, int level, float factor)
{
    inner->addSoundGroup(groupName ? groupName : "", level, factor);
}

void SQSound::setVolumeControlFadeTime(float inTime, int inEasing, float outTime, int outEasing)
{
    inner->setVolumeControlFadeTime(inTime, inEasing, outTime, outEasing);
}

void SQSound::setTimeScale(float scale)
{
    inner->setTimeScale(scale);
}

void SQSound::setVolumeTimer(float time)
{
    inner->setVolumeTimer(time);
}

void SQSound::setPanTimer(float time)
{
    inner->setPanTimer(time);
}

void SQSound::setFrequencyTimer(float time)
{
    inner->setFrequencyTimer(time);
}

float SQSound::getVolumeTimer()
{
    return inner->getVolumeTimer();
}

float SQSound::getPanTimer()
{
    return inner->getPanTimer();
}

float SQSound::getFrequencyTimer()
{
    return inner->getFrequencyTimer();
}

void SQSound::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQSound>("SQSound");
    SqPlus::RegisterConstructor<SQSound, const char*>(c);
    RegisterLockMethods<SQSound>(c);
    registerMethod<SQSound>(c, &SQSound::create, "create");
    registerMethod<SQSound>(c, &SQSound::load, "load");
    registerMethod<SQSound>(c, &SQSound::play, "play");
    registerMethod<SQSound>(c, &SQSound::stop, "stop");
    registerMethod<SQSound>(c, &SQSound::pause, "pause");
    registerMethod<SQSound>(c, &SQSound::onResume, "onResume");
    registerMethod<SQSound>(c, &SQSound::setVolume, "setVolume");
    registerMethod<SQSound>(c, &SQSound::setPan, "setPan");
    registerMethod<SQSound>(c, &SQSound::setFrequency, "setFrequency");
    registerMethod<SQSound>(c, &SQSound::setLoop, "setLoop");
    registerMethod<SQSound>(c, &SQSound::setType, "setType");
    registerMethod<SQSound>(c, &SQSound::getVolume, "getVolume");
    registerMethod<SQSound>(c, &SQSound::getPan, "getPan");
    registerMethod<SQSound>(c, &SQSound::getFrequency, "getFrequency");
    registerMethod<SQSound>(c, &SQSound::getPulse, "getPulse");
    registerMethod<SQSound>(c, &SQSound::getAmplitude, "getAmplitude");
    registerMethod<SQSound>(c, &SQSound::getDurationTime, "getDurationTime");
    registerMethod<SQSound>(c, &SQSound::getRemainTime, "getRemainTime");
    registerMethod<SQSound>(c, &SQSound::getDurationTime, "getTotalTime");
    registerMethod<SQSound>(c, &SQSound::seek, "seek");
    registerMethod<SQSound>(c, &SQSound::isPlaying, "isPlaying");
    registerMethod<SQSound>(c, &SQSound::isPaused, "isPaused");
    registerMethod<SQSound>(c, &SQSound::setEcho, "setEcho");
    registerMethod<SQSound>(c, &SQSound::setPresetReverb, "setPresetReverb");
    registerMethod<SQSound>(c, &SQSound::addSoundGroup, "addSoundGroup");
    registerMethod<SQSound>(c, &SQSound::setVolumeControlFadeTime, "setVolumeControlFadeTime");
    registerMethod<SQSound>(c, &SQSound::setTimeScale, "setTimeScale");
    registerMethod<SQSound>(c, &SQSound::setVolumeTimer, "setVolumeTimer");
    registerMethod<SQSound>(c, &SQSound::setPanTimer, "setPanTimer");
    registerMethod<SQSound>(c, &SQSound::setFrequencyTimer, "setFrequencyTimer");
    registerMethod<SQSound>(c, &SQSound::getVolumeTimer, "getVolumeTimer");
    registerMethod<SQSound>(c, &SQSound::getPanTimer, "getPanTimer");
    registerMethod<SQSound>(c, &SQSound::getFrequencyTimer, "getFrequencyTimer");
}

} // namespace Orvane::Squirrel
