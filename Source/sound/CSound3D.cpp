#include "sound/CSound3D.h"

#include <kavro/ISoundDevice.h>

namespace Orvane
{

CSound3D::CSound3D() = default;

CSound3D::CSound3D(const std::string& name) : CSound(name) {}

CSound3D::~CSound3D() = default;

int CSound3D::openOnDevice(Kavro::ISoundDevice* dev, const std::string& name, int mode, uint32_t count)
{
    return dev->open3D(name.c_str(), mode, handle, int(count), 1);
}

void CSound3D::sendOpeningVolume()
{
    if (Kavro::ISoundDevice* dev = device())
        dev->setVolume(handle, volume.value, -1);
}

bool CSound3D::settlesVolumeOnPlay() const
{
    return true;
}

float CSound3D::getPulse()
{
    return 0.0f;
}

void CSound3D::move3D(float x, float y, float z, uint32_t time, int32_t easing)
{
    position.set(position.value, Kavro::Vector3D(x, y, z), time, checkedEasing(easing));
    if (time == 0)
        if (Kavro::ISoundDevice* dev = device())
            dev->setPosition3D(handle, position.value);
}

Kavro::Vector3D CSound3D::getMove3D()
{
    return position.value;
}

int CSound3D::isMoving()
{
    return position.active ? 1 : 0;
}

int CSound3D::update()
{
    Kavro::ISoundDevice* dev = device();
    if (!dev)
        return 0;
    if (volume.update())
    {
        dev->setVolume(handle, volume.value, -1);
        if (!volume.active && volume.value == 0.0f)
            dev->stop(handle, -1);
    }
    pan.update();
    if (frequency.update())
        dev->setFrequency(handle, frequency.value, -1);
    if (position.update())
        dev->setPosition3D(handle, position.value);
    return 0;
}

CNullSound3D::CNullSound3D()
{
    placeholder = true;
}

int CNullSound3D::update()
{
    return 0;
}

int CNullSound3D::create(uint32_t, float, const std::string&)
{
    return -1;
}

int CNullSound3D::load(uint32_t, float, const std::string&, uint32_t)
{
    return -1;
}

void CNullSound3D::setType(int32_t) {}

float CNullSound3D::getVolume()
{
    return 0.0f;
}

float CNullSound3D::getPan()
{
    return 0.0f;
}

float CNullSound3D::getFrequency()
{
    return 0.0f;
}

void CNullSound3D::move3D(float, float, float, uint32_t, int32_t) {}

int CNullSound3D::isMoving()
{
    return 0;
}

} // namespace Orvane
