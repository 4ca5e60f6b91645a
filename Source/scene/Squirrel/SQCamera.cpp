#include "scene/Squirrel/SQCamera.h"

#include "core/CApp.h"
#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "core/SharedFunctions.h"
#include "script/Squirrel/SQFile.h"
#include "script/Squirrel/ScriptResults.h"
#include "script/TableReaders.h"
#include "sprite/CEffectRandomShake.h"
#include "sprite/CEffectShake.h"

#include <kavro/ICamera.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>

namespace Orvane::Squirrel
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

constexpr float RadiansPerDegree = 0.0174532924f;
constexpr float RadiansPerHalfDegree = 0.00872664619f;

// "x", "y" and "z" of a script table; a missing key or a value that is no number is 0.
Vector3D tableVector(const SquirrelObject& table)
{
    Vector3D v;
    getTableFloat(table, "x", v.x);
    getTableFloat(table, "y", v.y);
    getTableFloat(table, "z", v.z);
    return v;
}

// Rotation about Z, then X, then Y, as the camera and the library build it.
Matrix4x4 rotationOf(const Vector3D& angles)
{
    return Matrix4x4::GetRotationZXY(angles.x, angles.y, angles.z);
}

float clampedTime(float t, float duration)
{
    return t < 0.0f ? 0.0f : std::min(t, duration);
}

} // namespace

SQCamera::SQCamera(const char* name) : SQRenderer<void>(name ? name : "")
{
    CApp* app = CApp::get();
    if (app && app->renderDevice)
        camera = app->renderDevice->createCamera();
}

SQCamera::~SQCamera()
{
    replaceShake(nullptr);
    if (camera)
        camera->release();
}

void SQCamera::replaceShake(CEffectShake* effect)
{
    if (shakeEffect)
        shakeEffect->release();
    shakeEffect = effect;
}

void SQCamera::takePosition(const Vector3D& position)
{
    move.value = position;
    move.scaledValue = position * move.valueScale;
}

void SQCamera::takeRotation(const Vector3D& angles)
{
    rotation.value = angles;
    rotation.scaledValue = angles * rotation.valueScale;
}

void SQCamera::clearBezier()
{
    bezier.reset();
    bezier.progress.complete();
}

// ---- The passes

void SQCamera::apply()
{
    if (!camera)
        return;
    if (orthographic)
        camera->setOrtho(orthoWidth, orthoHeight, nearClip, farClip);
    else
        camera->setPerspective(fov * RadiansPerDegree, aspect, nearClip, farClip);

    const Matrix4x4 turn = rotationOf(rotation.scaledValue);
    const bool shaking = shakeEffect && shakeEffect->isShaking();
    const Vector3D offset = shaking ? shakeEffect->getOffset().TransformCoord(turn) : Vector3D();
    const Vector3D eye = move.scaledValue + offset;
    if (fixedLookAt)
    {
        const Vector3D up = Vector3D(0.0f, 1.0f, 0.0f).TransformCoord(turn);
        const Vector3D look = target + offset;
        camera->setLookAt(eye, look, up);
    }
    else
    {
        const Vector3D up = Vector3D(0.0f, 1.0f, 0.0f).TransformCoord(turn);
        const Vector3D forward = Vector3D(0.0f, 0.0f, 1.0f).TransformCoord(turn);
        target = eye + forward;
        camera->setLookAt(eye, target, up);
    }
    camera->update();
}

int SQCamera::render()
{
    SQRenderer<void>::render();
    apply();
    return 0;
}

int SQCamera::update()
{
    move.update();
    rotation.update();
    if (bezier.update())
        takePosition(bezier.current);
    if (positionTimeline.update())
        takePosition(positionTimeline.current);
    if (rotationTimeline.update())
        takeRotation(rotationTimeline.current);
    if (fovTimeline.update())
        fov = fovTimeline.current;
    if (shakeEffect)
    {
        if (shakeEffect->isShaking())
            shakeEffect->update();
        else
            replaceShake(nullptr);
    }
    // The delta moves once per frame, whatever else applied in it.
    if (!fixedLookAt && !(delta == Vector3D()))
    {
        const Matrix4x4 turn = rotationOf(rotation.scaledValue);
        const Vector3D along = Vector3D(delta.x, 0.0f, 0.0f).TransformCoord(turn) +
                               Vector3D(0.0f, delta.y, 0.0f).TransformCoord(turn) +
                               Vector3D(0.0f, 0.0f, delta.z).TransformCoord(turn);
        takePosition(move.scaledValue + along);
    }
    apply();
    return 0;
}

void SQCamera::setTimeScale(float scale)
{
    SQRenderer<void>::setTimeScale(scale);
    move.timeScale = scale;
    rotation.timeScale = scale;
    bezier.progress.timeScale = scale;
    positionTimeline.progress.timeScale = scale;
    rotationTimeline.progress.timeScale = scale;
    fovTimeline.progress.timeScale = scale;
    if (shakeEffect)
        shakeEffect->setTimeScale(scale);
}

// ---- Projection and placement

int SQCamera::create(float fovDegrees, float aspectRatio, float zNear, float zFar)
{
    fov = fovDegrees;
    aspect = aspectRatio;
    nearClip = zNear;
    farClip = zFar;
    orthographic = 0;
    if (camera)
        camera->setPerspective(fov * RadiansPerDegree, aspect, nearClip, farClip);
    return 0;
}

int SQCamera::createOrtho(float width, float height, float zNear, float zFar)
{
    orthoWidth = width;
    orthoHeight = height;
    nearClip = zNear;
    farClip = zFar;
    orthographic = 1;
    if (camera)
        camera->setOrtho(orthoWidth, orthoHeight, nearClip, farClip);
    return 0;
}

void SQCamera::lookAt(float x, float y, float z)
{
    target = Vector3D(x, y, z);
    apply();
}

void SQCamera::moveDelta(float x, float y, float z)
{
    delta = Vector3D(x, y, z);
    apply();
}

void SQCamera::move3D(float x, float y, float z, int32_t time, int32_t easing)
{
    move.set(move.value, Vector3D(x, y, z), ScriptTime(time), easing);
    positionTimeline.reset();
    clearBezier();
    apply();
}

void SQCamera::rotate(float x, float y, float z, int32_t time, int32_t easing)
{
    rotation.set(rotation.value, Vector3D(x, y, z), ScriptTime(time), easing);
    rotationTimeline.reset();
    apply();
}

void SQCamera::getMove()
{
    SetScriptResults({move.scaledValue.x, move.scaledValue.y, move.scaledValue.z});
}

void SQCamera::getRotate()
{
    SetScriptResults({rotation.scaledValue.x, rotation.scaledValue.y, rotation.scaledValue.z});
}

void SQCamera::getLookAt()
{
    SetScriptResults({target.x, target.y, target.z});
}

int SQCamera::isMoving()
{
    return move.active || bezier.progress.active || positionTimeline.progress.active ? 1 : 0;
}

int SQCamera::isRotating()
{
    return rotation.active || rotationTimeline.progress.active ? 1 : 0;
}

void SQCamera::setFixedLookAt(int32_t flag)
{
    if (fixedLookAt && flag == 0 && camera)
    {
        Vector3D angles;
        matrixToEulerDegrees(camera->getMatrix(), angles);
        rotation.set(angles, angles, 0, 0);
    }
    fixedLookAt = uint32_t(flag);
    apply();
}

void SQCamera::setSceneCamera()
{
    // A camera the device never made must not take the scene's camera away.
    CApp* app = CApp::get();
    if (camera && app && app->sceneManager)
        app->sceneManager->setCamera(camera);
}

// ---- Bezier path and timeline

void SQCamera::resetBezier()
{
    clearBezier();
    apply();
}

void SQCamera::setBezier3D(float x, float y, float z)
{
    bezier.addPoint(Vector3D(x, y, z));
}

void SQCamera::beginBezier(int32_t time, int32_t easing)
{
    if (bezier.begin(float(ScriptTime(time)), easing) < 0)
        return;
    bezier.progress.timeScale = timeScale;
    apply();
}

void SQCamera::resetTimeline()
{
    positionTimeline.reset();
    rotationTimeline.reset();
    fovTimeline.reset();
}

void SQCamera::setTimeline(SquirrelObject position, SquirrelObject angles, float fovDegrees, int32_t time,
                           float weight)
{
    const float t = float(ScriptTime(time));
    positionTimeline.addPoint(tableVector(position), t, weight);
    rotationTimeline.addPoint(tableVector(angles), t, weight);
    fovTimeline.addPoint(fovDegrees, t, weight);
}

void SQCamera::beginTimeline(int32_t duration, int32_t easing)
{
    clearBezier();
    apply();
    const float d = float(ScriptTime(duration));
    // A timeline without keys has no value to give: it does not start and the camera keeps its own.
    if (!positionTimeline.points.empty())
    {
        positionTimeline.begin(d, easing);
        takePosition(positionTimeline.current);
    }
    if (!rotationTimeline.points.empty())
    {
        rotationTimeline.begin(d, easing);
        takeRotation(rotationTimeline.current);
    }
    if (!fovTimeline.points.empty())
    {
        fovTimeline.begin(d, easing);
        fov = fovTimeline.current;
    }
    apply();
}

// ---- Shakes

void SQCamera::shake(int32_t period, int32_t mode, int32_t duration, int32_t easing, int32_t swingEasing)
{
    const Vector3D from = ScriptInputVector(1), to = ScriptInputVector(2);
    replaceShake(nullptr);
    auto* effect = new CEffectShake;
    effect->begin(from, to, uint32_t(period), uint32_t(mode), ScriptTime(duration), easing, swingEasing);
    effect->setTimeScale(timeScale);
    replaceShake(effect);
}

void SQCamera::randomShake(int32_t period, int32_t mode, int32_t duration, int32_t easing, int32_t swingEasing)
{
    const Vector3D from = ScriptInputVector(1), to = ScriptInputVector(2);
    replaceShake(nullptr);
    auto* effect = new CEffectRandomShake;
    effect->begin(from, to, uint32_t(period), uint32_t(mode), ScriptTime(duration), easing, swingEasing);
    effect->setTimeScale(timeScale);
    replaceShake(effect);
}

// ---- Timers

float SQCamera::getShakeTimer() const
{
    return shakeEffect ? shakeEffect->getTimer() : 0.0f;
}

void SQCamera::setMoveTimer(float t)
{
    move.setTime(t);
    apply();
}

void SQCamera::setRotateTimer(float t)
{
    rotation.setTime(t);
    apply();
}

void SQCamera::setTimelineTimer(float t)
{
    if (!positionTimeline.points.empty())
    {
        positionTimeline.setTimer(clampedTime(t, positionTimeline.progress.duration));
        if (positionTimeline.progress.active)
            takePosition(positionTimeline.current);
    }
    if (!rotationTimeline.points.empty())
    {
        rotationTimeline.setTimer(clampedTime(t, rotationTimeline.progress.duration));
        if (rotationTimeline.progress.active)
            takeRotation(rotationTimeline.current);
    }
    if (!fovTimeline.points.empty())
    {
        fovTimeline.setTimer(clampedTime(t, fovTimeline.progress.duration));
        if (fovTimeline.progress.active)
            fov = fovTimeline.current;
    }
    apply();
}

void SQCamera::setBezierTimer(float t)
{
    if (bezier.progress.active)
    {
        bezier.progress.setTime(t);
        bezier.evaluate();
        takePosition(bezier.current);
    }
    apply();
}

void SQCamera::setShakeTimer(float t)
{
    if (!shakeEffect)
        return;
    shakeEffect->setTimer(clampedTime(t, shakeEffect->getDuration()));
    apply();
}

void SQCamera::calcScreenSize(float distance)
{
    if (!camera)
    {
        SetScriptResults({0.0f, 0.0f});
        return;
    }
    const float height = 2.0f * distance * std::tan(camera->getFov() * RadiansPerHalfDegree);
    const float* widthOverHeight = camera->getAspect();
    SetScriptResults({height * (widthOverHeight ? *widthOverHeight : 0.0f), height});
}

// ---- The record

int32_t SQCamera::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file)
        return 0;
    CChunkWriter writer(*file);
    const uint32_t kind = shakeEffect ? shakeEffect->type : 0;
    bool written = writer.fieldDword(kind);
    if (written && kind != 0)
        written = writer.marker() && shakeEffect->save(*file) != 0;
    return writer.close() && written ? 1 : 0;
}

int32_t SQCamera::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file)
        return 0;
    // An end beyond the file is damage: the record is bad and the reader is not sent there.
    const int64_t start = file->getFilePosition();
    uint32_t end = 0;
    if (file->readDword(end) == 1 && int64_t(end) > int64_t(file->getFileSize()))
    {
        replaceShake(nullptr);
        return 0;
    }
    file->seekStart(start);
    CChunkReader reader(*file);
    replaceShake(nullptr);
    uint32_t kind = 0;
    if (reader.fieldDword(kind) && (kind == 1 || kind == 2))
    {
        replaceShake(kind == 1 ? new CEffectShake : new CEffectRandomShake);
        if (!reader.check(reader.marker() && shakeEffect->load(*file) != 0))
            replaceShake(nullptr);
    }
    return reader.finish();
}

// ---- Registration

void SQCamera::registerClass()
{
    using C = SQCamera;
    SquirrelObject c = SqPlus::RegisterClassType<C>("SQCamera");
    SqPlus::RegisterConstructor<C, const char*>(c);
    RegisterLockMethods<C>(c);
    SqPlus::RegisterInstance(c, static_cast<void (C::*)(float)>(&C::setTimeScale), "setTimeScale");
    SqPlus::RegisterInstance(c, static_cast<int32_t (C::*)(const char*)>(&C::serialize), "serialize");
    SqPlus::RegisterInstance(c, static_cast<int32_t (C::*)(const char*)>(&C::deserialize), "deserialize");
    SqPlus::RegisterInstance(c, &C::create, "create");
    SqPlus::RegisterInstance(c, &C::createOrtho, "createOrtho");
    SqPlus::RegisterInstance(c, &C::getFov, "getFov");
    SqPlus::RegisterInstance(c, &C::lookAt, "lookAt");
    SqPlus::RegisterInstance(c, &C::moveDelta, "moveDelta");
    SqPlus::RegisterInstance(c, &C::move3D, "move3D");
    SqPlus::RegisterInstance(c, &C::rotate, "rotate");
    SqPlus::RegisterInstance(c, &C::getMove, "getMove");
    SqPlus::RegisterInstance(c, &C::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &C::getLookAt, "getLookAt");
    SqPlus::RegisterInstance(c, &C::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &C::isRotating, "isRotating");
    SqPlus::RegisterInstance(c, &C::setFixedLookAt, "setFixedLookAt");
    SqPlus::RegisterInstance(c, &C::isFixedLookAt, "isFixedLookAt");
    SqPlus::RegisterInstance(c, &C::setSceneCamera, "setSceneCamera");
    SqPlus::RegisterInstance(c, &C::resetBezier, "resetBezier");
    SqPlus::RegisterInstance(c, &C::setBezier3D, "setBezier3D");
    SqPlus::RegisterInstance(c, &C::beginBezier, "beginBezier");
    SqPlus::RegisterInstance(c, &C::resetTimeline, "resetTimeline");
    SqPlus::RegisterInstance(c, &C::setTimeline, "setTimeline");
    SqPlus::RegisterInstance(c, &C::beginTimeline, "beginTimeline");
    SqPlus::RegisterInstance(c, &C::shake, "shake");
    SqPlus::RegisterInstance(c, &C::randomShake, "randomShake");
    SqPlus::RegisterInstance(c, &C::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &C::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &C::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &C::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &C::getTimelineTimer, "getTimelineTimer");
    SqPlus::RegisterInstance(c, &C::setTimelineTimer, "setTimelineTimer");
    SqPlus::RegisterInstance(c, &C::getBezierTimer, "getBezierTimer");
    SqPlus::RegisterInstance(c, &C::setBezierTimer, "setBezierTimer");
    SqPlus::RegisterInstance(c, &C::getShakeTimer, "getShakeTimer");
    SqPlus::RegisterInstance(c, &C::setShakeTimer, "setShakeTimer");
    SqPlus::RegisterInstance(c, &C::calcScreenSize, "calcScreenSize");
}

} // namespace Orvane::Squirrel
