#include "scene/Squirrel/SQNull3D.h"

#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <vector>

namespace Orvane::Squirrel
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

SQNull3D::SQNull3D(const char* name) : SQObject(name ? name : "") {}

SQNull3D::~SQNull3D()
{
    CTask* root = getTask();
    const std::vector<CFrame*> children = getChildren();
    for (CFrame* child : children)
    {
        child->setParent(root);
        child->updateWorldMatrix();
    }
}

Vector3D SQNull3D::getWorldScale()
{
    return getParent() ? getParent()->getWorldScale() : Vector3D(1.0f, 1.0f, 1.0f);
}

int SQNull3D::updateWorldMatrix()
{
    const Vector3D& angles = rotation.scaledValue;
    const Vector3D scale = getWorldScale();
    const Vector3D p = position.scaledValue.TransformCoord(Matrix4x4::GetScaling(scale.x, scale.y, scale.z));
    local = Matrix4x4::GetRotationZXY(angles.x, angles.y, angles.z) * Matrix4x4::GetTranslation(p.x, p.y, p.z);
    return SQObject::updateWorldMatrix();
}

void SQNull3D::takePosition(const Vector3D& point)
{
    position.value = point;
    position.scaledValue = point * position.valueScale;
}

int SQNull3D::update()
{
    position.update();
    rotation.update();
    if (bezier.update())
        takePosition(bezier.current);
    if (spline.update())
        takePosition(spline.current);
    return 0;
}

int SQNull3D::create()
{
    setParent(getTask());
    return 0;
}

void SQNull3D::link(const char* name)
{
    LinkToNamedObject(getTask(), *this, name);
}

void SQNull3D::move(float x, float y, float z, int32_t time, int32_t easing)
{
    position.set(position.value, Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQNull3D::rotate(float x, float y, float z, int32_t time, int32_t easing)
{
    rotation.set(rotation.value, Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQNull3D::getMove()
{
    SetScriptResults({position.scaledValue.x, position.scaledValue.y, position.scaledValue.z});
}

void SQNull3D::getRotate()
{
    SetScriptResults({rotation.scaledValue.x, rotation.scaledValue.y, rotation.scaledValue.z});
}

int SQNull3D::isMoving()
{
    return position.active || bezier.progress.active || spline.progress.active ? 1 : 0;
}

int SQNull3D::isRotating()
{
    return rotation.active ? 1 : 0;
}

void SQNull3D::setTimeScale(float scale)
{
    timeScale = scale;
    position.timeScale = scale;
    rotation.timeScale = scale;
    spline.progress.timeScale = scale;
    bezier.progress.timeScale = scale;
}

void SQNull3D::resetSpline()
{
    spline.reset();
}

void SQNull3D::setSpline(float x, float y, float z, int32_t time, float weight)
{
    spline.addPoint(Vector3D(x, y, z), float(ScriptTime(time)), weight);
}

void SQNull3D::beginSpline(int32_t duration, int32_t easing)
{
    spline.begin(float(ScriptTime(duration)), easing);
    resetBezier();
}

void SQNull3D::resetBezier()
{
    bezier.reset();
    bezier.progress.complete();
}

void SQNull3D::setBezier3D(float x, float y, float z)
{
    bezier.addPoint(Vector3D(x, y, z));
}

void SQNull3D::beginBezier(int32_t duration, int32_t easing)
{
    if (bezier.begin(float(ScriptTime(duration)), easing) < 0)
        return;
    bezier.progress.timeScale = timeScale;
    resetSpline();
}

void SQNull3D::setMoveTimer(float t)
{
    position.setTime(t);
}

void SQNull3D::setRotateTimer(float t)
{
    rotation.setTime(t);
}

void SQNull3D::setSplineTimer(float t)
{
    spline.setTimer(std::clamp(t, 0.0f, spline.progress.duration));
    takePosition(spline.current);
}

void SQNull3D::setBezierTimer(float t)
{
    if (bezier.points.empty())
        return;
    bezier.progress.setTime(t);
    bezier.evaluate();
    takePosition(bezier.current);
}

void SQNull3D::registerClass()
{
    using N = SQNull3D;
    SquirrelObject c = SqPlus::RegisterClassType<N>("SQNull3D");
    SqPlus::RegisterConstructor<N, const char*>(c);
    RegisterLockMethods<N>(c);
    SqPlus::RegisterInstance(c, &N::create, "create");
    SqPlus::RegisterInstance(c, &N::link, "link");
    SqPlus::RegisterInstance(c, &N::move, "move");
    SqPlus::RegisterInstance(c, &N::rotate, "rotate");
    SqPlus::RegisterInstance(c, &N::getMove, "getMove");
    SqPlus::RegisterInstance(c, &N::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &N::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &N::isRotating, "isRotating");
    SqPlus::RegisterInstance(c, &N::setTimeScale, "setTimeScale");
    SqPlus::RegisterInstance(c, &N::resetSpline, "resetSpline");
    SqPlus::RegisterInstance(c, &N::setSpline, "setSpline");
    SqPlus::RegisterInstance(c, &N::beginSpline, "beginSpline");
    SqPlus::RegisterInstance(c, &N::resetBezier, "resetBezier");
    SqPlus::RegisterInstance(c, &N::setBezier3D, "setBezier3D");
    SqPlus::RegisterInstance(c, &N::beginBezier, "beginBezier");
    SqPlus::RegisterInstance(c, &N::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &N::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &N::getSplineTimer, "getSplineTimer");
    SqPlus::RegisterInstance(c, &N::getBezierTimer, "getBezierTimer");
    SqPlus::RegisterInstance(c, &N::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &N::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &N::setSplineTimer, "setSplineTimer");
    SqPlus::RegisterInstance(c, &N::setBezierTimer, "setBezierTimer");
}

} // namespace Orvane::Squirrel
