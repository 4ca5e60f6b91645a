#include "scene/Squirrel/SQBone.h"

#include "core/SharedFunctions.h"
#include "core/TaskObjectLinks.h"
#include "model/CModel.h"
#include "model/Squirrel/SQModel.h"
#include "scene/CRigidBody.h"
#include "scene/Squirrel/SQRigidBody.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/ISceneFrame.h>

namespace Orvane::Squirrel
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

namespace
{

Vector3D row(const Matrix4x4& m, int r)
{
    return Vector3D(m.m[r][0], m.m[r][1], m.m[r][2]).GetNormalize();
}

void setVector(const Vector3D& v)
{
    SetScriptResults({v.x, v.y, v.z});
}

} // namespace

SQBone::SQBone(const char* name) : SQObject(name ? name : "") {}

SQBone::~SQBone()
{
    holdFrame(nullptr);
}

void SQBone::holdFrame(Kavro::ISceneFrame* newFrame)
{
    if (newFrame)
        newFrame->addRef();
    if (frame)
        frame->release();
    frame = newFrame;
}

int SQBone::create(const char* model, const char* frameNameArg)
{
    auto* object = dynamic_cast<SQModel*>(FindTaskObject(getTask(), model));
    CModel* engine = object ? object->getEngineObject() : nullptr;
    Kavro::ISceneFrame* found = engine && frameNameArg ? engine->findFrame(frameNameArg) : nullptr;
    holdFrame(found);
    if (!found)
        return -1;
    modelName = model;
    frameName = frameNameArg;
    return 0;
}

void SQBone::getPosition()
{
    if (frame)
        setVector(frame->getWorldMatrix().GetPosition());
}

void SQBone::getRotate()
{
    if (!frame)
        return;
    Matrix4x4 rotation;
    frame->getWorldMatrix().Dissolution(nullptr, &rotation, nullptr);
    Vector3D angles;
    matrixToEulerDegrees(rotation, angles);
    setVector(angles);
}

void SQBone::getUp()
{
    if (frame)
        setVector(row(frame->getWorldMatrix(), 1));
}

void SQBone::getRight()
{
    if (frame)
        setVector(row(frame->getWorldMatrix(), 0));
}

void SQBone::getFront()
{
    if (!frame)
        return;
    const Matrix4x4 world = frame->getWorldMatrix();
    const Vector3D front = row(world, 2);
    const float handedness = row(world, 0).Cross(row(world, 1)).Dot(front);
    setVector(handedness < 0.0f ? -front : front);
}

int SQBone::attachRigidBody(const char* bodyName, int32_t flag1, int32_t flag2, int32_t flag3)
{
    if (!frame)
        return -1;
    auto* object = dynamic_cast<SQRigidBody*>(FindTaskObject(getTask(), bodyName));
    CRigidBody* body = object ? object->getRigidBody() : nullptr;
    if (!body || !body->getBody())
        return -1;
    frame->attachRigidBody(body->getBody(), flag1 ? 1 : 0, flag2 ? 1 : 0, flag3 ? 1 : 0);
    return 0;
}

void SQBone::detachRigidBody()
{
    if (frame)
        frame->attachRigidBody(nullptr, 0, 0, 0);
}

int SQBone::getChildNum()
{
    return frame ? frame->getChildCount() : 0;
}

const char* SQBone::getChildName(int32_t index)
{
    const char* name = frame && index >= 0 && index < frame->getChildCount() ? frame->getChildName(index) : nullptr;
    return name ? name : "";
}

void SQBone::registerClass()
{
    using B = SQBone;
    SquirrelObject c = SqPlus::RegisterClassType<B>("SQBone");
    SqPlus::RegisterConstructor<B, const char*>(c);
    RegisterLockMethods<B>(c);
    SqPlus::RegisterInstance(c, &B::create, "create");
    SqPlus::RegisterInstance(c, &B::getPosition, "getPosition");
    SqPlus::RegisterInstance(c, &B::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &B::getUp, "getUp");
    SqPlus::RegisterInstance(c, &B::getRight, "getRight");
    SqPlus::RegisterInstance(c, &B::getFront, "getFront");
    SqPlus::RegisterInstance(c, &B::attachRigidBody, "attachRigidBody");
    SqPlus::RegisterInstance(c, &B::detachRigidBody, "detachRigidBody");
    SqPlus::RegisterInstance(c, &B::getChildNum, "getChildNum");
    SqPlus::RegisterInstance(c, &B::getChildName, "getChildName");
}

} // namespace Orvane::Squirrel
