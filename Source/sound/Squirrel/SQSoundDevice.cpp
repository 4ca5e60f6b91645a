#include "sound/Squirrel/SQSoundDevice.h"

#include "core/CApp.h"
#include "sound/Squirrel/SQSound.h"
#include "sound/Squirrel/SQSound3D.h"
#include "sound/Squirrel/SQSoundRegistration.h"

#include <kavro/ISoundDevice.h>

namespace Orvane::Squirrel
{

namespace
{
Kavro::ISoundDevice* appSoundDevice()
{
    const CApp* app = CApp::get();
    return app ? app->soundDevice : nullptr;
}

int32_t checkedEasing(int32_t easing)
{
    return uint32_t(easing) >= 61 ? 0 : easing;
}
} // namespace

SQSoundDevice::SQSoundDevice(const std::string& name) : CTaskObject(name) {}

SQSoundDevice::SQSoundDevice(const char* name) : CTaskObject(name ? name : "") {}

void SQSoundDevice::moveListener(float x, float y, float z, uint32_t time, int32_t easing)
{
    listenerPosition.set(listenerPosition.value, Kavro::Vector3D(x, y, z), time, checkedEasing(easing));
    if (time == 0)
        if (Kavro::ISoundDevice* dev = appSoundDevice())
            dev->setListenerPosition(listenerPosition.value);
}

void SQSoundDevice::rotateListener(float x, float y, float z, uint32_t time, int32_t easing)
{
    listenerRotation.set(listenerRotation.value, Kavro::Vector3D(x, y, z), time, checkedEasing(easing));
    if (time == 0)
        if (Kavro::ISoundDevice* dev = appSoundDevice())
            dev->setListenerRotation(listenerRotation.value);
}

int SQSoundDevice::update()
{
    const int moved = listenerPosition.update();
    const int turned = listenerRotation.update();
    if (moved || turned)
        if (Kavro::ISoundDevice* dev = appSoundDevice())
        {
            dev->setListenerRotation(listenerRotation.value);
            dev->setListenerPosition(listenerPosition.value);
        }
    return 0;
}

void SQSoundDevice::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQSoundDevice>("SQSoundDevice");
    SqPlus::RegisterConstructor<SQSoundDevice, const char*>(c);
    registerMethod<SQSoundDevice>(c, &SQSoundDevice::moveListenerScript, "moveListener");
    registerMethod<SQSoundDevice>(c, &SQSoundDevice::rotateListenerScript, "rotateListener");
}

void SQSoundDevice::moveListenerScript(float x, float y, float z, int time, int easing)
{
    moveListener(x, y, z, time > 0 ? uint32_t(time) : 0, easing);
}

void SQSoundDevice::rotateListenerScript(float x, float y, float z, int time, int easing)
{
    rotateListener(x, y, z, time > 0 ? uint32_t(time) : 0, easing);
}

void RegisterSoundClasses()
{
    SQSound::registerClass();
    SQSound3D::registerClass();
    SQSoundDevice::registerClass();
}

} // namespace Orvane::Squirrel
