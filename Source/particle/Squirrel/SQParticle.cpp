#include "particle/Squirrel/SQParticle.h"

#include "core/CFile.h"
#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "particle/CParticleEmitter.h"
#include "particle/ParticleCaches.h"
#include "particle/Squirrel/ParticleTable.h"
#include "script/Squirrel/SQFile.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/ISceneParticle.h>
#include <kavro/Matrix4x4.h>

namespace Orvane::Squirrel
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

// ---- Scene holder

SQParticle::CSceneParticleObject::~CSceneParticleObject()
{
    hold(nullptr, nullptr);
}

void SQParticle::CSceneParticleObject::hold(Kavro::IParticleSceneObject* object, CParticle* owner)
{
    if (object)
        object->addRef();
    if (sceneObject)
        sceneObject->release();
    sceneObject = object;
    particle = owner;
}

int SQParticle::CSceneParticleObject::addToScene()
{
    if (hidden || !particle)
        return 0;
    particle->updateProjection();
    particle->drawScene();
    return 0;
}

// ---- Binding

SQParticle::SQParticle(const char* name) : SQRenderer<CParticle>(name ? name : "")
{
    fadeValue.value = fadeValue.scaledValue = fadeValue.from = fadeValue.to = 1.0f;
    const Vector3D one(1.0f, 1.0f, 1.0f);
    scaleValue.value = scaleValue.scaledValue = scaleValue.from = scaleValue.to = one;
}

SQParticle::~SQParticle()
{
    releaseParticle();
}

void SQParticle::releaseParticle()
{
    sceneHolder.hold(nullptr, nullptr);
    if (engine)
        engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

ISceneObject* SQParticle::getSceneObject()
{
    return worldSpace ? static_cast<ISceneObject*>(&sceneHolder) : CRenderingTaskObject::getSceneObject();
}

int SQParticle::adopt(const Particle::CParticleParameter& definition, int mode)
{
    CTask* task = getTask();
    CParticle* system = task ? task->createParticle(getName(), definition) : nullptr;
    if (!system)
        return -1;
    engine = system;
    engineObject = system;
    worldSpace = uint32_t(mode);
    engine->setWorldSpace(mode);
    engine->setTimeScale(timeScale);
    engine->leaveTaskLists();
    sceneHolder.hold(engine->sceneObjects.empty() ? nullptr : engine->sceneObjects[0], engine);
    engine->setParent(task);
    // The binding is drawn through its task's lists but is no frame of the tree: the system is.
    if (getParent())
        setParent(nullptr);
    return 0;
}

int SQParticle::create(const char* name, int mode)
{
    releaseParticle();
    return adopt(Particle::loadParticleParameter(name ? name : ""), mode);
}

int SQParticle::createFromTable(SquirrelObject table, int mode)
{
    releaseParticle();
    Particle::CParticleParameter definition;
    if (Particle::readParticleParameter(definition, table) < 0)
        return -1;
    return adopt(definition, mode);
}

void SQParticle::applyTransform()
{
    if (!engine)
        return;
    engine->setAlpha(fadeValue.value);
    const Vector3D& r = rotateValue.value;
    const Vector3D& s = scaleValue.value;
    const Vector3D& m = moveValue.value;
    Matrix4x4 transform = Matrix4x4::GetRotationZXY(r.x, r.y, r.z);
    transform *= Matrix4x4::GetScaling(s.x, s.y, s.z);
    transform *= Matrix4x4::GetTranslation(m.x, m.y, m.z);
    engine->transform = transform;
}

int SQParticle::update()
{
    fadeValue.update();
    moveValue.update();
    if (spline.update())
    {
        moveValue.value = spline.current;
        moveValue.scaledValue = spline.current * moveValue.valueScale;
    }
    scaleValue.update();
    rotateValue.update();
    return engine ? engine->update() : 0;
}

int SQParticle::render()
{
    applyTransform();
    sceneHolder.hidden = uint32_t(erase != 0);
    sceneHolder.visible = uint32_t(erase == 0);
    if (engine && !erase)
        engine->render();
    return 0;
}

int SQParticle::draw()
{
    markFlag();
    // A world-space system is drawn when the scene is captured, through the holder.
    if (!engine || erase || worldSpace)
        return 0;
    return engine->draw();
}

void SQParticle::setTimeScale(float scale)
{
    timeScale = scale;
    if (engine)
        engine->setTimeScale(scale);
    fadeValue.timeScale = scale;
    moveValue.timeScale = scale;
    scaleValue.timeScale = scale;
    rotateValue.timeScale = scale;
    spline.progress.timeScale = scale;
    SQRenderingObject::setTimeScale(scale);
}

void SQParticle::link(const char* name)
{
    if (!engine)
        return;
    LinkToNamedObject(getTask(), *engine, name);
}

void SQParticle::linkEmitter(const char* name)
{
    if (!engine || !engine->emitter)
        return;
    CFrame* found = FindLinkFrame(getTask(), name);
    if (!found || LinkFrame(*engine->emitter, found) != 0)
        LinkFrame(*engine->emitter, engine);
}

void SQParticle::begin()
{
    if (!engine)
        return;
    applyTransform();
    engine->reset();
    engine->startEmission();
}

void SQParticle::end()
{
    if (engine)
        engine->stop();
}

void SQParticle::reset()
{
    if (!engine)
        return;
    applyTransform();
    engine->reset();
}

void SQParticle::fade(float opacity, int time, int easing)
{
    fadeValue.set(fadeValue.value, opacity, ScriptTime(time), easing);
}

void SQParticle::move(float x, float y, float z, int time, int easing)
{
    moveValue.set(moveValue.value, Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQParticle::scale(float x, float y, float z, int time, int easing)
{
    scaleValue.set(scaleValue.value, Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQParticle::rotate(float x, float y, float z, int time, int easing)
{
    rotateValue.set(rotateValue.value, Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQParticle::resetSpline()
{
    spline.reset();
}

void SQParticle::setSpline(float x, float y, float z, int time, float weight)
{
    spline.addPoint(Vector3D(x, y, z), float(uint32_t(time)), weight);
}

void SQParticle::beginSpline(int time, int easing)
{
    spline.begin(float(uint32_t(time)), easing);
    moveValue.value = spline.current;
    moveValue.scaledValue = spline.current * moveValue.valueScale;
}

void SQParticle::setSurface(const char* name)
{
    if (!engine || worldSpace)
        return;
    engine->setSurface(nullptr);
    if (IRenderTarget* target = FindRenderTarget(getTask(), name))
        engine->setSurface(target);
}

void SQParticle::setCamera(const char* name, float distance, float fieldOfView)
{
    if (!engine || worldSpace)
        return;
    engine->setCamera(nullptr, -1.0f, 40.0f);
    if (Kavro::ICamera* camera = FindCamera(getTask(), name))
        engine->setCamera(camera, distance, fieldOfView);
}

void SQParticle::setDither(int enable, int width, int height, const char* textureName)
{
    if (engine)
        engine->setSceneTexture(enable, width, height, textureName ? textureName : "");
}

int SQParticle::isFading()
{
    return int(fadeValue.active);
}

int SQParticle::isMoving()
{
    return int(moveValue.active);
}

int SQParticle::isScaling()
{
    return int(scaleValue.active);
}

int SQParticle::isRotating()
{
    return int(rotateValue.active);
}

float SQParticle::getFade()
{
    return fadeValue.value;
}

void SQParticle::getMove()
{
    SetScriptResults({moveValue.value.x, moveValue.value.y, moveValue.value.z});
}

void SQParticle::getScale()
{
    SetScriptResults({scaleValue.value.x, scaleValue.value.y, scaleValue.value.z});
}

void SQParticle::getRotate()
{
    SetScriptResults({rotateValue.value.x, rotateValue.value.y, rotateValue.value.z});
}

int SQParticle::isActivle()
{
    return engine && engine->isAlive() ? 1 : 0;
}

float SQParticle::getFadeTimer()
{
    return fadeValue.elapsed;
}

float SQParticle::getMoveTimer()
{
    return moveValue.elapsed;
}

float SQParticle::getScaleTimer()
{
    return scaleValue.elapsed;
}

float SQParticle::getRotateTimer()
{
    return rotateValue.elapsed;
}

float SQParticle::getSplineTimer()
{
    return spline.progress.elapsed;
}

void SQParticle::setFadeTimer(float elapsed)
{
    fadeValue.setTime(elapsed);
}

void SQParticle::setMoveTimer(float elapsed)
{
    moveValue.setTime(elapsed);
}

void SQParticle::setScaleTimer(float elapsed)
{
    scaleValue.setTime(elapsed);
}

void SQParticle::setRotateTimer(float elapsed)
{
    rotateValue.setTime(elapsed);
}

void SQParticle::setSplineTimer(float elapsed)
{
    spline.setTimer(elapsed);
    moveValue.value = spline.current;
    moveValue.scaledValue = spline.current * moveValue.valueScale;
}

SquirrelObject SQParticle::getParameterTable()
{
    return engine ? Particle::makeParticleParameterTable(engine->parameter) : SquirrelObject();
}

int SQParticle::setParameterTable(SquirrelObject table)
{
    if (table.GetType() != OT_TABLE)
        return -1;
    createFromTable(table, int(worldSpace));
    return 0;
}

int32_t SQParticle::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file)
        return 0;
    CChunkWriter writer(*file);
    const bool saved = engine && writer.marker() && engine->saveState(*file) == 1;
    return writer.close() && saved ? 1 : 0;
}

int32_t SQParticle::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file)
        return 0;
    CChunkReader reader(*file);
    reader.check(reader.marker() && engine && engine->loadState(*file) == 1);
    return reader.finish();
}

// ---- Registration

void SQParticle::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQParticle>("SQParticle");
    SqPlus::RegisterConstructor<SQParticle, const char*>(c);
    RegisterRenderingMethods<SQParticle>(c);
    SqPlus::RegisterInstance(c, &SQParticle::create, "create");
    SqPlus::RegisterInstance(c, &SQParticle::createFromTable, "createFromTable");
    SqPlus::RegisterInstance(c, &SQParticle::link, "link");
    SqPlus::RegisterInstance(c, &SQParticle::linkEmitter, "linkEmitter");
    SqPlus::RegisterInstance(c, &SQParticle::begin, "begin");
    SqPlus::RegisterInstance(c, &SQParticle::end, "end");
    SqPlus::RegisterInstance(c, &SQParticle::reset, "reset");
    SqPlus::RegisterInstance(c, &SQParticle::fade, "fade");
    SqPlus::RegisterInstance(c, &SQParticle::move, "move");
    SqPlus::RegisterInstance(c, &SQParticle::scale, "scale");
    SqPlus::RegisterInstance(c, &SQParticle::rotate, "rotate");
    SqPlus::RegisterInstance(c, &SQParticle::resetSpline, "resetSpline");
    SqPlus::RegisterInstance(c, &SQParticle::setSpline, "setSpline");
    SqPlus::RegisterInstance(c, &SQParticle::beginSpline, "beginSpline");
    SqPlus::RegisterInstance(c, &SQParticle::setTimeScale, "setTimeScale");
    SqPlus::RegisterInstance(c, &SQParticle::setSurface, "setSurface");
    SqPlus::RegisterInstance(c, &SQParticle::setCamera, "setCamera");
    SqPlus::RegisterInstance(c, &SQParticle::setDither, "setDither");
    SqPlus::RegisterInstance(c, &SQParticle::isFading, "isFading");
    SqPlus::RegisterInstance(c, &SQParticle::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &SQParticle::isScaling, "isScaling");
    SqPlus::RegisterInstance(c, &SQParticle::isRotating, "isRotating");
    SqPlus::RegisterInstance(c, &SQParticle::getFade, "getFade");
    SqPlus::RegisterInstance(c, &SQParticle::getMove, "getMove");
    SqPlus::RegisterInstance(c, &SQParticle::getScale, "getScale");
    SqPlus::RegisterInstance(c, &SQParticle::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &SQParticle::isActivle, "isActivle");
    SqPlus::RegisterInstance(c, &SQParticle::getFadeTimer, "getFadeTimer");
    SqPlus::RegisterInstance(c, &SQParticle::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &SQParticle::getScaleTimer, "getScaleTimer");
    SqPlus::RegisterInstance(c, &SQParticle::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &SQParticle::getSplineTimer, "getSplineTimer");
    SqPlus::RegisterInstance(c, &SQParticle::setFadeTimer, "setFadeTimer");
    SqPlus::RegisterInstance(c, &SQParticle::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &SQParticle::setScaleTimer, "setScaleTimer");
    SqPlus::RegisterInstance(c, &SQParticle::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &SQParticle::setSplineTimer, "setSplineTimer");
    SqPlus::RegisterInstance(c, &SQParticle::getParameterTable, "getParameterTable");
    SqPlus::RegisterInstance(c, &SQParticle::setParameterTable, "setParameterTable");
    SqPlus::RegisterInstance(c, static_cast<int32_t (SQParticle::*)(const char*)>(&SQParticle::serialize),
                             "serialize");
    SqPlus::RegisterInstance(c, static_cast<int32_t (SQParticle::*)(const char*)>(&SQParticle::deserialize),
                             "deserialize");
}

} // namespace Orvane::Squirrel
