#include "scene/Squirrel/SQPointLight.h"

#include "core/CTask.h"
#include "script/SqPlus.h"
#include "script/Squirrel/ScriptResults.h"

namespace Orvane::Squirrel
{

using Kavro::Vector3D;

SQPointLight::SQPointLight(const char* name) : SQRenderer<CPointLight>(name ? name : "")
{
    engine = new CPointLight(getName());
    engineObject = engine;
    engine->leaveTaskLists();
    if (CTask* task = getTask())
        engine->setParent(task);
    setParent(nullptr);
}

SQPointLight::~SQPointLight()
{
    sceneHolder.hold(nullptr);
    engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

int SQPointLight::update()
{
    return engine->update();
}

int SQPointLight::render()
{
    sceneHolder.visible = erase == 0 ? 1 : 0;
    return erase == 0 ? engine->render() : 0;
}

int SQPointLight::draw()
{
    return 0;
}

void SQPointLight::setTimeScale(float scale)
{
    engine->setTimeScale(scale);
    SQRenderingObject::setTimeScale(scale);
}

int SQPointLight::create(float x, float y, float z, float lx, float ly, float lz)
{
    const int result = engine->create(Vector3D(x, y, z), 1.0f, Kavro::Vector4D(1.0f, 1.0f, 1.0f, 1.0f), 1.0f, 0.5f,
                                      0.75f, 180.0f, Vector3D(0.0f, -2000.0f, 0.0f));
    if (sceneLight())
        sceneLight()->setLookAt(Vector3D(lx, ly, lz));
    sceneHolder.hold(sceneLight());
    return result;
}

void SQPointLight::move(float x, float y, float z, int time, int easing)
{
    engine->move(Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQPointLight::rotate(float x, float y, float z, int time, int easing)
{
    engine->rotate(Vector3D(x, y, z), ScriptTime(time), easing);
}

void SQPointLight::setColor(float r, float g, float b, int time, int easing)
{
    engine->setColor(Vector3D(r, g, b), ScriptTime(time), easing);
}

void SQPointLight::setPower(float value, int time, int easing)
{
    engine->setPower(value, ScriptTime(time), easing);
}

void SQPointLight::setSize(float value, int time, int easing)
{
    engine->setSize(value, ScriptTime(time), easing);
}

void SQPointLight::setRange(float value, int time, int easing)
{
    engine->setRange(value, ScriptTime(time), easing);
}

// ---- The scene light itself

void SQPointLight::setEnable(int enable)
{
    if (sceneLight())
        sceneLight()->setEnable(enable);
}

int SQPointLight::getEnable()
{
    return sceneLight() ? sceneLight()->getEnable() : 0;
}

void SQPointLight::setNearAttenuation(float value)
{
    if (sceneLight())
        sceneLight()->setNearAttenuation(value);
}

void SQPointLight::setFarAttenuation(float value)
{
    if (sceneLight())
        sceneLight()->setFarAttenuation(value);
}

float SQPointLight::getNearAttenuation()
{
    return sceneLight() ? sceneLight()->getNearAttenuation() : 0.0f;
}

float SQPointLight::getFarAttenuation()
{
    return sceneLight() ? sceneLight()->getFarAttenuation() : 0.0f;
}

void SQPointLight::setLookAt(float x, float y, float z)
{
    if (sceneLight())
        sceneLight()->setLookAt(Vector3D(x, y, z));
}

void SQPointLight::getLookAt()
{
    const Vector3D at = sceneLight() ? sceneLight()->getLookAt() : Vector3D();
    SetScriptResults({at.x, at.y, at.z});
}

// ---- Values

void SQPointLight::getMove()
{
    const Vector3D& v = engine->position.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQPointLight::getRotate()
{
    const Vector3D& v = engine->rotation.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQPointLight::getColor()
{
    const Vector3D& v = engine->colour.scaledValue;
    SetScriptResults({v.x, v.y, v.z, 1.0f});
}

float SQPointLight::getPower()
{
    return engine->power.scaledValue;
}

float SQPointLight::getSize()
{
    return engine->size.scaledValue;
}

float SQPointLight::getRange()
{
    return engine->range.scaledValue;
}

int SQPointLight::isMoving()
{
    return engine->position.active ? 1 : 0;
}

int SQPointLight::isRotating()
{
    return engine->rotation.active ? 1 : 0;
}

// ---- Timers

float SQPointLight::getMoveTimer()
{
    return engine->position.elapsed;
}

float SQPointLight::getRotateTimer()
{
    return engine->rotation.elapsed;
}

float SQPointLight::getColorTimer()
{
    return engine->colour.elapsed;
}

float SQPointLight::getPowerTimer()
{
    return engine->power.elapsed;
}

float SQPointLight::getSizeTimer()
{
    return engine->size.elapsed;
}

float SQPointLight::getRangeTimer()
{
    return engine->range.elapsed;
}

float SQPointLight::getSplineTimer()
{
    return engine->getSplineTimer();
}

void SQPointLight::setMoveTimer(float ms)
{
    engine->setMoveTimer(ms);
}

void SQPointLight::setRotateTimer(float ms)
{
    engine->setRotateTimer(ms);
}

void SQPointLight::setColorTimer(float ms)
{
    engine->setColorTimer(ms);
}

void SQPointLight::setPowerTimer(float ms)
{
    engine->setPowerTimer(ms);
}

void SQPointLight::setSizeTimer(float ms)
{
    engine->setSizeTimer(ms);
}

void SQPointLight::setRangeTimer(float ms)
{
    engine->setRangeTimer(ms);
}

void SQPointLight::setSplineTimer(float ms)
{
    engine->setSplineTimer(ms);
}

// ---- Spline

void SQPointLight::resetSpline()
{
    engine->resetSpline();
}

void SQPointLight::setSpline(float x, float y, float z, int time, float weight)
{
    engine->addSplinePoint(Vector3D(x, y, z), float(uint32_t(time)), weight);
}

void SQPointLight::beginSpline(int duration, int easing)
{
    engine->beginSpline(ScriptTime(duration), easing);
}

// ---- The script class

void SQPointLight::registerClass()
{
    using M = SQPointLight;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQPointLight");
    SqPlus::RegisterConstructor<M, const char*>(c);

    RegisterRenderingMethods<M>(c);
    SqPlus::RegisterInstance(c, static_cast<void (M::*)(float)>(&M::setTimeScale), "setTimeScale");

    SqPlus::RegisterInstance(c, &M::create, "create");
    SqPlus::RegisterInstance(c, &M::move, "move");
    SqPlus::RegisterInstance(c, &M::rotate, "rotate");
    SqPlus::RegisterInstance(c, &M::setColor, "setColor");
    SqPlus::RegisterInstance(c, &M::setPower, "setPower");
    SqPlus::RegisterInstance(c, &M::setSize, "setSize");
    SqPlus::RegisterInstance(c, &M::setRange, "setRange");
    SqPlus::RegisterInstance(c, &M::setEnable, "setEnable");
    SqPlus::RegisterInstance(c, &M::getEnable, "getEnable");
    SqPlus::RegisterInstance(c, &M::setNearAttenuation, "setNearAttenuation");
    SqPlus::RegisterInstance(c, &M::setFarAttenuation, "setFarAttenuation");
    SqPlus::RegisterInstance(c, &M::getNearAttenuation, "getNearAttenuation");
    SqPlus::RegisterInstance(c, &M::getFarAttenuation, "getFarAttenuation");
    SqPlus::RegisterInstance(c, &M::setLookAt, "setLookAt");
    SqPlus::RegisterInstance(c, &M::getLookAt, "getLookAt");
    SqPlus::RegisterInstance(c, &M::getMove, "getMove");
    SqPlus::RegisterInstance(c, &M::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &M::getColor, "getColor");
    SqPlus::RegisterInstance(c, &M::getPower, "getPower");
    SqPlus::RegisterInstance(c, &M::getSize, "getSize");
    SqPlus::RegisterInstance(c, &M::getRange, "getRange");
    SqPlus::RegisterInstance(c, &M::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &M::isRotating, "isRotating");
    SqPlus::RegisterInstance(c, &M::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &M::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &M::getColorTimer, "getColorTimer");
    SqPlus::RegisterInstance(c, &M::getPowerTimer, "getPowerTimer");
    SqPlus::RegisterInstance(c, &M::getSizeTimer, "getSizeTimer");
    SqPlus::RegisterInstance(c, &M::getRangeTimer, "getRangeTimer");
    SqPlus::RegisterInstance(c, &M::getSplineTimer, "getSplineTimer");
    SqPlus::RegisterInstance(c, &M::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &M::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &M::setColorTimer, "setColorTimer");
    SqPlus::RegisterInstance(c, &M::setPowerTimer, "setPowerTimer");
    SqPlus::RegisterInstance(c, &M::setSizeTimer, "setSizeTimer");
    SqPlus::RegisterInstance(c, &M::setRangeTimer, "setRangeTimer");
    SqPlus::RegisterInstance(c, &M::setSplineTimer, "setSplineTimer");
    SqPlus::RegisterInstance(c, &M::resetSpline, "resetSpline");
    SqPlus::RegisterInstance(c, &M::setSpline, "setSpline");
    SqPlus::RegisterInstance(c, &M::beginSpline, "beginSpline");
}

} // namespace Orvane::Squirrel
