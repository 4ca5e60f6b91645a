#pragma once

#include "scene/IBoneFrame.h"
#include "script/Squirrel/SQObject.h"

#include <cstdint>
#include <string>

namespace Kavro
{
class ISceneFrame;
}

namespace Orvane::Squirrel
{

// The script class "SQBone": a handle on one frame (bone) of a model, found through the model object's
// name. It reads the frame's placement as it is on screen (its world matrix), lists its children, and binds
// a rigid body to it. The bone holds a reference on the frame, not on the model.
class SQBone : public SQObject, public IBoneFrame
{
public:
    explicit SQBone(const char* name);
    ~SQBone() override;

    // The frame of the model object of that name: 0, or -1 (no frame held afterwards) for an empty name, a
    // name of no model object, or a frame the model does not have.
    int create(const char* modelName, const char* frameName);
    // These write x, y, z and 0 to SQMATH_RET_1..4; nothing without a frame.
    void getPosition();
    // Euler angles in degrees of the rotation.
    void getRotate();
    void getUp();
    void getRight();
    // The front that right and up imply: the front row, turned round for a mirrored frame.
    void getFront();
    // Binds the named rigid body's library body to the frame, flags as 0 or 1: 0, or -1 without a frame or
    // for a name of no created rigid body with a library body.
    int attachRigidBody(const char* bodyName, int32_t flag1, int32_t flag2, int32_t flag3);
    void detachRigidBody();
    // 0 without a frame.
    int getChildNum();
    // "" outside 0..count-1 and without a frame.
    const char* getChildName(int32_t index);

    Kavro::ISceneFrame* getBoneFrame() override { return frame; }

    static void registerClass();

private:
    void holdFrame(Kavro::ISceneFrame* newFrame);

    Kavro::ISceneFrame* frame = nullptr;
    std::string modelName;
    std::string frameName;
};

} // namespace Orvane::Squirrel
