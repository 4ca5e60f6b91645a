#include "sound/CSound.h"

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"

#include <kavro/ISoundDevice.h>

#include <algorithm>

namespace Orvane
{

namespace
{
// Volumes at or below this are sent as silence.
constexpr float audibleThreshold = 0.001f;
constexpr uint32_t easingCount = 61;

CSoundManager* appSoundManager()
{
    const CApp* app = CApp::get();
    return app ? app->soundManager : nullptr;
}
} // namespace

CSound::CSound()
{
    initialize();
}

CSound::CSound(const std::string& name) : CTaskObject(name)
{
    initialize();
}

void CSound::initialize()
{
    volume.set(1.0f, 1.0f, 0, 0);
    pan.set(0.0f, 0.0f, 0, 0);
    frequency.set(1.0f, 1.0f, 0, 0);
    volumeControl = new CVolumeControl;
    if (CSoundManager* manager = appSoundManager())
    {
        manager->addVolumeControl(volumeControl);
        controlRegistered = true;
    }
}

CSound::~CSound()
{
    if (Kavro::ISoundDevice* dev = device())
        dev->releaseHandle(handle);
    // A manager that went first has freed the controls it held.
    if (CSoundManager* manager = appSoundManager())
        manager->removeVolumeControl(volumeControl);
    else if (!controlRegistered)
        delete volumeControl;
}

Kavro::ISoundDevice* CSound::device() const
{
    const CApp* app = CApp::get();
    return app && !placeholder ? app->soundDevice : nullptr;
}

int32_t CSound::checkedEasing(int32_t easing)
{
    return uint32_t(easing) >= easingCount ? 0 : easing;
}

float CSound::typeVolumeValue() const
{
    return volumeControl->typeVolume ? volumeControl->typeVolume->volume.scaledValue : 1.0f;
}

// ---------------------------------------------------------------------------------------------
// Opening

int CSound::openOnDevice(Kavro::ISoundDevice* dev, const std::string& name, int mode, uint32_t count)
{
    return dev->open(name.c_str(), mode, handle, int(count), 1);
}

bool CSound::settlesVolumeOnPlay() const
{
    return createMode == 0;
}

void CSound::sendOpeningVolume()
{
    applyVolume();
}

int CSound::open(uint32_t newHandle, float newVolume, const std::string& name, int mode, uint32_t count)
{
    volume.set(newVolume, newVolume, 0, 0);
    handle = newHandle;
    instanceIndex = 0;
    instanceCount = count;
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return -1;
    dev->releaseHandle(handle);
    if (openOnDevice(dev, name, mode, count) < 0)
        return -1;
    sendOpeningVolume();
    fileName = name;
    createMode = mode;
    return 0;
}

int CSound::create(uint32_t newHandle, float newVolume, const std::string& name)
{
    return open(newHandle, newVolume, name, 1, 1);
}

int CSound::load(uint32_t newHandle, float newVolume, const std::string& name, uint32_t count)
{
    return open(newHandle, newVolume, name, 0, count);
}

int CSound::reopen(const std::string& name)
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return -1;
    dev->releaseHandle(handle);
    const int opened = createMode == 0 ? openOnDevice(dev, name, 0, instanceCount) : openOnDevice(dev, name, 1, 1);
    if (opened < 0)
        return -1;
    dev->setPan(handle, pan.value, -1);
    dev->setFrequency(handle, frequency.value, -1);
    applyVolume();
    fileName = name;
    return 0;
}

const std::string& CSound::getFileName() const
{
    return fileName;
}

int CSound::getCreateMode() const
{
    return createMode;
}

// ---------------------------------------------------------------------------------------------
// Playing

void CSound::markRestarted(int32_t audible)
{
    volumeControl->audible = audible;
    volumeControl->changed = 1;
    volumeControl->jumpRequest = 1;
}

void CSound::play()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    dev->play(handle, loopMode, loopStart, loopEnd, int(instanceIndex));
    instanceIndex = instanceIndex + 1 < instanceCount ? instanceIndex + 1 : 0;
    markRestarted(1);
    // A sound effect must be heard at its volume in this very frame.
    if (settlesVolumeOnPlay())
        volumeControl->update();
    applyVolume();
}

void CSound::playLoop(int32_t mode, int32_t start, int32_t end)
{
    setLoop(mode, start, end);
    play();
}

void CSound::stop()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    dev->stop(handle, -1);
    markRestarted(0);
    applyVolume();
}

void CSound::pause()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    dev->pause(handle, -1);
    markRestarted(0);
    applyVolume();
}

void CSound::onResume()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    dev->resume(handle, -1);
    markRestarted(1);
    applyVolume();
}

void CSound::seek(int32_t position)
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    const bool wasPlaying = isPlaying() != 0;
    if (wasPlaying)
        stop();
    dev->seek(handle, position);
    if (wasPlaying)
        play();
}

void CSound::setLoop(int32_t mode, int32_t start, int32_t end)
{
    if (start < 0 || end < 0 || start > end)
        return;
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return;
    dev->setLoop(handle, mode, start, end, -1);
    loopMode = mode;
    loopStart = start;
    loopEnd = end;
}

// ---------------------------------------------------------------------------------------------
// Volume, pan, frequency

void CSound::applyVolume()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev || !volumeControl)
        return;
    const float own = volume.value <= audibleThreshold ? 0.0f : volume.value;
    const float sent = (volumeControl->groupLevel * typeVolumeValue()) * (volumeControl->getVolume() * own);
    dev->setVolume(handle, sent, -1);
}

void CSound::setVolume(float value, uint32_t time, int32_t easing)
{
    volume.set(volume.value, value, time, checkedEasing(easing));
    if (time != 0)
        return;
    applyVolume();
    if (volume.value == 0.0f)
        if (Kavro::ISoundDevice* dev = device())
            dev->stop(handle, -1);
}

void CSound::setPan(float value, uint32_t time, int32_t easing)
{
    pan.set(pan.value, value, time, checkedEasing(easing));
    if (time == 0)
        if (Kavro::ISoundDevice* dev = device())
            dev->setPan(handle, pan.value, -1);
}

void CSound::setFrequency(float value, uint32_t time, int32_t easing)
{
    frequency.set(frequency.value, value, time, checkedEasing(easing));
    if (time == 0)
        if (Kavro::ISoundDevice* dev = device())
            dev->setFrequency(handle, frequency.value, -1);
}

void CSound::setType(int32_t id)
{
    soundType = id;
    if (CSoundManager* manager = appSoundManager())
        volumeControl->typeVolume = manager->getTypeVolume(uint32_t(id));
}

void CSound::setTimeScale(float scale)
{
    timeScale = scale;
    volume.timeScale = scale;
    pan.timeScale = scale;
    frequency.timeScale = scale;
}

// ---------------------------------------------------------------------------------------------
// The frame step

int CSound::update()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return 0;
    const int32_t audible = volume.value > audibleThreshold && isPlaying() && !isPaused() &&
                            volumeControl->groupLevel * typeVolumeValue() > 0.0f;
    if (volumeControl->audible != audible)
        volumeControl->changed = 1;
    volumeControl->audible = audible;

    if (volume.update() || volumeControl->hasPendingChange())
    {
        applyVolume();
        // A fade up from silence is still at 0.0 in a frame that took no time (the first one after
        // start-up): stopping there would leave the sound stopped while its volume climbs.
        const bool fadingUp = volume.active && volume.to > volume.value;
        if (volume.value == 0.0f && !fadingUp)
            dev->stop(handle, -1);
    }
    if (pan.update())
        dev->setPan(handle, pan.value, -1);
    if (frequency.update())
        dev->setFrequency(handle, frequency.value, -1);
    volumeControl->changed = 0;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Queries

int CSound::isPlaying()
{
    Kavro::ISoundDevice* dev = device();
    return dev ? dev->isPlaying(handle, -1) : 0;
}

int CSound::isPaused()
{
    Kavro::ISoundDevice* dev = device();
    return dev ? dev->isPaused(handle, -1) : 0;
}

float CSound::getVolume()
{
    return volume.value;
}

float CSound::getPan()
{
    return pan.value;
}

float CSound::getFrequency()
{
    return frequency.value;
}

int32_t CSound::getDurationTime()
{
    Kavro::ISoundDevice* dev = device();
    return dev ? dev->getDuration(handle) : 0;
}

int32_t CSound::getPosition()
{
    Kavro::ISoundDevice* dev = device();
    return dev ? dev->getPosition(handle) : 0;
}

float CSound::getPulse()
{
    Kavro::ISoundDevice* dev = device();
    return dev && dev->isPlaying(handle, -1) ? dev->getPulse(handle, 0) : 0.0f;
}

float CSound::getAmplitude()
{
    Kavro::ISoundDevice* dev = device();
    return dev && dev->isPlaying(handle, -1) ? dev->getAmplitude(handle, 0) : 0.0f;
}

// ---------------------------------------------------------------------------------------------
// Effects

void CSound::setEffect1(float a, float b, float c, float d, int32_t e, float f)
{
    stop();
    if (Kavro::ISoundDevice* dev = device())
        dev->setEffect1(handle, a, b, c, d, e, f);
}

void CSound::setEcho(float wetDry, float feedback, float leftDelay, float rightDelay, int32_t panSwap)
{
    stop();
    if (Kavro::ISoundDevice* dev = device())
        dev->setEcho(handle, wetDry, feedback, leftDelay, rightDelay, panSwap);
}

void CSound::setEffect2(float a, float b, float c, float d)
{
    stop();
    if (Kavro::ISoundDevice* dev = device())
        dev->setEffect2(handle, a, b, c, d);
}

void CSound::setPresetReverb(int32_t preset)
{
    stop();
    if (Kavro::ISoundDevice* dev = device())
        dev->setPresetReverb(handle, preset);
}

void CSound::setEffect3()
{
    stop();
    if (Kavro::ISoundDevice* dev = device())
        dev->setEffect3(handle);
}

// ---------------------------------------------------------------------------------------------
// Groups and the volume control

int CSound::addSoundGroup(const std::string& groupName, int32_t level, float factor)
{
    CSoundManager* manager = appSoundManager();
    CSoundGroup* group = manager ? manager->findSoundGroup(groupName) : nullptr;
    if (!group)
        return -1;
    volumeControl->addSoundGroup(group, level, std::clamp(factor, 0.0f, 1.0f));
    return 0;
}

void CSound::setVolumeControlFadeTime(float inTime, int32_t inEasing, float outTime, int32_t outEasing)
{
    volumeControl->fadeInTime = inTime;
    volumeControl->fadeInCurve = inEasing;
    volumeControl->fadeOutTime = outTime;
    volumeControl->fadeOutCurve = outEasing;
}

// ---------------------------------------------------------------------------------------------
// Timers

void CSound::setVolumeTimer(float time)
{
    volume.setTime(time);
}

void CSound::setPanTimer(float time)
{
    pan.setTime(time);
}

void CSound::setFrequencyTimer(float time)
{
    frequency.setTime(time);
}

float CSound::getVolumeTimer()
{
    return volume.elapsed;
}

float CSound::getPanTimer()
{
    return pan.elapsed;
}

float CSound::getFrequencyTimer()
{
    return frequency.elapsed;
}

// ---------------------------------------------------------------------------------------------
// The placeholder

CNullSound::CNullSound()
{
    placeholder = true;
}

int CNullSound::update()
{
    return 0;
}

int CNullSound::create(uint32_t, float, const std::string&)
{
    return -1;
}

int CNullSound::load(uint32_t, float, const std::string&, uint32_t)
{
    return -1;
}

void CNullSound::setType(int32_t) {}

float CNullSound::getVolume()
{
    return 0.0f;
}

float CNullSound::getPan()
{
    return 0.0f;
}

float CNullSound::getFrequency()
{
    return 0.0f;
}

} // namespace Orvane
