#pragma once

#include "core/CTaskObject.h"
#include "curve/CInterpolator.h"

#include <kavro/Vector3D.h>

namespace Orvane::Squirrel
{

// Moves and turns the listener of the application's sound device, eased over time.
class SQSoundDevice : public CTaskObject
{
public:
    explicit SQSoundDevice(const std::string& name = {});
    explicit SQSoundDevice(const char* name);

    void moveListener(float x, float y, float z, uint32_t time, int32_t easing);
    void rotateListener(float x, float y, float z, uint32_t time, int32_t easing);
    // While either eases, the device gets the rotation and then the position.
    int update() override;

    const CInterpolator<Kavro::Vector3D>& getListenerPosition() const { return listenerPosition; }
    const CInterpolator<Kavro::Vector3D>& getListenerRotation() const { return listenerRotation; }

    static void registerClass();

private:
    // The script's forms, with integer times.
    void moveListenerScript(float x, float y, float z, int time, int easing);
    void rotateListenerScript(float x, float y, float z, int time, int easing);

    CInterpolator<Kavro::Vector3D> listenerPosition;
    CInterpolator<Kavro::Vector3D> listenerRotation;
};

} // namespace Orvane::Squirrel
