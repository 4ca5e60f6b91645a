#include "sound/Squirrel/SQSoundDevice.h"

#include "core/CApp.h"

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

} // namespace Orvane::Squirrel
