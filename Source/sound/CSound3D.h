#pragma once

#include "sound/CSound.h"

#include <kavro/Vector3D.h>

namespace Orvane
{

// A sound with an eased position in space, opened through the device's positional open. Its own
// frame step sends its volume alone: type, group and fade volumes reach it only through the
// operations it shares with CSound.
class CSound3D : public CSound
{
public:
    CSound3D();
    explicit CSound3D(const std::string& name);
    ~CSound3D() override;

    int update() override;
    float getPulse() override;

    virtual void move3D(float x, float y, float z, uint32_t time, int32_t easing);
    virtual Kavro::Vector3D getMove3D();
    virtual int isMoving();

protected:
    int openOnDevice(Kavro::ISoundDevice* dev, const std::string& name, int mode, uint32_t count) override;
    void sendOpeningVolume() override;
    // Its frame step never sends the control's volume, so play must send the settled one.
    bool settlesVolumeOnPlay() const override;

    CInterpolator<Kavro::Vector3D> position;
};

// Stands in for a positional sound that could not be made; like CNullSound it never reaches the
// device, and it does not move.
class CNullSound3D : public CSound3D
{
public:
    CNullSound3D();

    int update() override;
    int create(uint32_t newHandle, float newVolume, const std::string& name) override;
    int load(uint32_t newHandle, float newVolume, const std::string& name, uint32_t count) override;
    void setType(int32_t id) override;
    float getVolume() override;
    float getPan() override;
    float getFrequency() override;
    void move3D(float x, float y, float z, uint32_t time, int32_t easing) override;
    int isMoving() override;
};

} // namespace Orvane
