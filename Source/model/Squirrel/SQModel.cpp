#include "model/Squirrel/SQModel.h"

#include "core/CFile.h"
#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "script/SquirrelVM.h"
#include "script/Squirrel/SQFile.h"
#include "script/Squirrel/ScriptResults.h"
#include "sprite/CEffectShake.h"

#include <kavro/CLine3D.h>
#include <kavro/IModelResource.h>

#include <algorithm>
#include <cstring>

namespace Orvane::Squirrel
{

using Kavro::Vector3D;

namespace
{

const char* nullWhenEmpty(const char* text)
{
    return text && *text ? text : nullptr;
}

std::string text(const char* value)
{
    return value ? value : "";
}

} // namespace

SQModel::SQModel(const char* name) : SQModel(name, nullptr)
{
}

SQModel::SQModel(const char* name, CModel* model) : SQRenderer<CModel>(name ? name : "")
{
    engine = model ? model : new CModel(getName());
    engineObject = engine;
    // The binding drives the model from its own passes; the model stays in the frame tree under the task.
    engine->leaveTaskLists();
    if (CTask* task = getTask())
        engine->setParent(task);
    setParent(nullptr);
}

SQModel::~SQModel()
{
    sceneHolder.hold(nullptr);
    engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

int SQModel::update()
{
    return engine->update();
}

int SQModel::render()
{
    sceneHolder.visible = erase == 0 ? 1 : 0;
    if (erase == 0)
        engine->render();
    return 0;
}

int SQModel::draw()
{
    return 0;
}

void SQModel::setTimeScale(float scale)
{
    engine->setTimeScale(scale);
    SQRenderingObject::setTimeScale(scale);
}

int32_t SQModel::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), text(fileObjectName));
    if (!file)
        return 0;
    const int64_t start = file->getFilePosition();
    if (start < 0)
        return 0;
    bool written = file->writeDword(0) == 1;
    written = written && file->writeDword(uint32_t(file->getFilePosition())) == 1;
    const bool saved = written && engine->save(file) != 0;
    const int64_t end = file->getFilePosition();
    file->seekStart(start);
    written = file->writeDword(uint32_t(end)) == 1 && written;
    file->seekStart(end);
    return saved && written ? 1 : 0;
}

int32_t SQModel::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), text(fileObjectName));
    if (!file)
        return 0;
    uint32_t end = 0;
    if (file->readDword(end) != 1)
        return 0;
    const int64_t markAt = file->getFilePosition();
    uint32_t mark = 0;
    const bool markRead = file->readDword(mark) == 1;
    // An end inside the record's own words or beyond the file is damage: never seek there.
    const bool endUsable = int64_t(end) >= markAt + 4 && end <= file->getFileSize();
    const bool good = markRead && endUsable && int64_t(mark) == markAt && engine->load(file) != 0;
    if (good && file->getFilePosition() == int64_t(end))
        return 1;
    if (endUsable)
        file->seekStart(end);
    return good ? 1 : 0;
}

void SQModel::link(const char* name)
{
    LinkToNamedObject(getTask(), *engine, name);
}

// ---- Loading, meshes and the holder

void SQModel::refreshHolder()
{
    sceneHolder.hold(engine->getSceneModel());
}

Kavro::ISceneModel* SQModel::loadedScene() const
{
    return engine->getModelResource() ? engine->getSceneModel() : nullptr;
}

int SQModel::loadModel(const char* path)
{
    if (engine->loadModel(text(path)) < 0)
        return -1;
    engine->remake();
    refreshHolder();
    engine->setParent(getTask());
    return 0;
}

int SQModel::loadEmotion(const char* path)
{
    return engine->loadModel(text(path)) < 0 ? -1 : 0;
}

void SQModel::remake()
{
    engine->remake();
    refreshHolder();
}

int SQModel::loadMesh(const char* path)
{
    engine->loadMesh(text(path));
    engine->setMeshVisible(text(path), "", 1);
    return 0;
}

void SQModel::eraseMesh(const char* meshFile)
{
    engine->eraseMesh(text(meshFile));
}

void SQModel::setMeshVisible(const char* meshFile, const char* meshName, int visible)
{
    engine->setMeshVisible(text(meshFile), text(meshName), visible);
}

void SQModel::setMeshDrawToEnd(const char* meshFile, const char* meshName)
{
    engine->setMeshDrawToEnd(text(meshFile), text(meshName));
}

int SQModel::getMeshVisible(const char* meshFile, const char* meshName)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource || !nullWhenEmpty(meshFile) || !nullWhenEmpty(meshName))
        return 0;
    return resource->getMeshVisible(meshFile, meshName);
}

const char* SQModel::getModelName(const char* meshFile)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource || !nullWhenEmpty(meshFile))
        return nullptr;
    std::memset(textBuffer, 0, sizeof textBuffer);
    resource->getModelName(meshFile, textBuffer, sizeof textBuffer);
    textBuffer[sizeof textBuffer - 1] = '\0';
    return textBuffer;
}

int SQModel::getMeshNum(const char* meshFile)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource)
        return 0;
    return nullWhenEmpty(meshFile) ? resource->getFileMeshCount(meshFile) : resource->getMeshCount();
}

const char* SQModel::getMeshName(const char* meshFile, int index)
{
    Kavro::IModelResource* resource = engine->getModelResource();
    if (!resource)
        return nullptr;
    std::memset(textBuffer, 0, sizeof textBuffer);
    if (nullWhenEmpty(meshFile))
        resource->getFileMeshName(meshFile, index, textBuffer, sizeof textBuffer);
    else
        resource->getMeshName(index, textBuffer, sizeof textBuffer);
    textBuffer[sizeof textBuffer - 1] = '\0';
    return textBuffer;
}

// ---- Morphs

int SQModel::loadMorph(const char* name, const char* file)
{
    return engine->loadMorph(text(name), text(file));
}

int SQModel::loadMorphList(const char* path)
{
    return engine->loadMorphList(text(path));
}

int SQModel::eraseMorph(const char* first, const char* second)
{
    return engine->eraseMorph(text(first), text(second));
}

int SQModel::clearMorph(const char* name)
{
    return engine->clearMorph(text(name));
}

int SQModel::setMorph(const char* channel, const char* fromMorph, const char* toMorph)
{
    return engine->setMorph(text(channel), text(fromMorph), text(toMorph));
}

void SQModel::setMorphWeight(const char* channel, float weight, int durationMs, int ease)
{
    engine->setMorphWeight(text(channel), weight, ScriptTime(durationMs), ease);
}

float SQModel::getMorphWeight(const char* channel)
{
    CModel::MorphChannel* record = engine->getMorph(text(channel));
    return record ? record->weight.scaledValue : 0.0f;
}

SquirrelObject SQModel::getActiveMorphName(const char* channel)
{
    CModel::MorphChannel* record = engine->getMorph(text(channel));
    SquirrelObject names = SquirrelVM::CreateTable();
    names.SetValue("start", record ? record->fromMorph.c_str() : "");
    names.SetValue("end", record ? record->toMorph.c_str() : "");
    return names;
}

float SQModel::getMorphTimer(const char* channel)
{
    return engine->getMorphTimer(channel);
}

void SQModel::setMorphTimer(const char* channel, float ms)
{
    engine->setMorphTimer(channel, ms);
}

int SQModel::getMorphNum(const char* name)
{
    Kavro::ISceneModel* scene = loadedScene();
    return scene ? scene->getMorphNum(name) : 0;
}

const char* SQModel::getMorphName(const char* name, int index)
{
    Kavro::ISceneModel* scene = loadedScene();
    if (!scene)
        return nullptr;
    std::memset(textBuffer, 0, sizeof textBuffer);
    scene->getMorphName(name, index, textBuffer, sizeof textBuffer);
    textBuffer[sizeof textBuffer - 1] = '\0';
    return textBuffer;
}

// ---- Motions

int SQModel::loadMotion(const char* path)
{
    engine->loadMotion(text(path));
    return 0;
}

void SQModel::eraseMotion(const char* path)
{
    engine->eraseMotion(text(path));
}

void SQModel::setMotion(const char* name)
{
    engine->setLayerMotion(0, text(name));
}

void SQModel::addMotion(const char* name, int durationMs)
{
    engine->addLayerMotion(0, text(name), durationMs);
}

void SQModel::setLayerMotion(int layer, const char* name)
{
    engine->setLayerMotion(layer, text(name));
}

void SQModel::addLayerMotion(int layer, const char* name, int durationMs)
{
    engine->addLayerMotion(layer, text(name), durationMs);
}

int SQModel::changeLayerActiveMotionFrameTime(int layer, float timeMs, int keepBlend)
{
    return engine->changeLayerActiveMotionFrameTime(layer, timeMs, keepBlend);
}

void SQModel::setLayerActiveMotionIndex(int layer, int index)
{
    engine->setLayerActiveMotionIndex(layer, index);
}

int SQModel::getLayerActiveMotionIndex(int layer)
{
    return engine->getLayerActiveMotionIndex(layer);
}

void SQModel::setLayerActiveMotionTimer(int layer, float ms)
{
    engine->setLayerActiveMotionTimer(layer, ms);
}

float SQModel::getLayerActiveMotionTimer(int layer)
{
    return engine->getLayerActiveMotionTimer(layer);
}

float SQModel::getLayerActiveMotionFrameTime(int layer)
{
    return engine->getLayerActiveMotionFrameTime(layer);
}

void SQModel::setStopAllMotion(int stop)
{
    engine->setStopAllMotion(stop);
}

void SQModel::switchMotion()
{
    engine->switchMotion(0);
}

void SQModel::resetPose()
{
    engine->resetPose();
}

int SQModel::isMotionOver(int layer)
{
    return engine->isMotionOver(layer);
}

int SQModel::isRemainMotion(int layer)
{
    return engine->isRemainMotion(layer);
}

void SQModel::setMotionSpeed(const char* name, int speed)
{
    engine->setMotionSpeed(text(name), uint32_t(speed));
}

void SQModel::setMotionLoop(const char* name, int loop)
{
    engine->setMotionLoop(text(name), loop);
}

float SQModel::getMotionMaxFrameTimeByName(const char* name)
{
    return engine->getMotionMaxFrameTimeByName(text(name));
}

float SQModel::getOriginalMotionSpeedByName(const char* name)
{
    return engine->getOriginalMotionSpeedByName(text(name));
}

void SQModel::waitMotion()
{
}

// ---- Transform, spline and shake

void SQModel::move(float x, float y, float z, int durationMs, int ease)
{
    engine->move(x, y, z, ScriptTime(durationMs), ease);
    if (ScriptTime(durationMs) == 0)
        engine->updateTransform();
}

void SQModel::easeTransform(CInterpolator<Vector3D>& value, const Vector3D& to, int durationMs, int ease)
{
    engine->transformDirty = 1;
    value.set(value.value, to, ScriptTime(durationMs), ease);
    if (ScriptTime(durationMs) != 0)
        return;
    engine->updateTransform();
    engine->switchMotion(0);
}

void SQModel::scale(float x, float y, float z, int durationMs, int ease)
{
    easeTransform(engine->scale, Vector3D(x, y, z), durationMs, ease);
}

void SQModel::rotate(float x, float y, float z, int durationMs, int ease)
{
    easeTransform(engine->rotation, Vector3D(x, y, z), durationMs, ease);
}

void SQModel::getMove()
{
    const Vector3D& v = engine->position.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQModel::getScale()
{
    const Vector3D& v = engine->scale.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQModel::getRotate()
{
    const Vector3D& v = engine->rotation.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

int SQModel::isMoving()
{
    return int(engine->position.active);
}

int SQModel::isScaling()
{
    return int(engine->scale.active);
}

int SQModel::isRotating()
{
    return int(engine->rotation.active);
}

void SQModel::shake(int period, int mode, int duration, int amplitudeEasing, int swingEasing)
{
    engine->shake(ScriptInputVector(1), ScriptInputVector(2), uint32_t(period), uint32_t(mode), uint32_t(duration),
                  amplitudeEasing, swingEasing);
}

void SQModel::randomShake(int period, int mode, int duration, int amplitudeEasing, int swingEasing)
{
    engine->randomShake(ScriptInputVector(1), ScriptInputVector(2), uint32_t(period), uint32_t(mode),
                        uint32_t(duration), amplitudeEasing, swingEasing);
}

void SQModel::resetSpline()
{
    engine->resetSpline();
}

void SQModel::setSpline(float x, float y, float z, int timeMs, float weight)
{
    engine->spline.addPoint(Vector3D(x, y, z), float(uint32_t(timeMs)), weight);
    engine->transformDirty = 1;
}

void SQModel::beginSpline(int durationMs, int ease)
{
    engine->beginSpline(ScriptTime(durationMs), ease);
}

float SQModel::transformTimer(const CInterpolator<Vector3D>& value) const
{
    return engine->getModelResource() ? value.elapsed : 0.0f;
}

float SQModel::getMoveTimer()
{
    return transformTimer(engine->position);
}

float SQModel::getScaleTimer()
{
    return transformTimer(engine->scale);
}

float SQModel::getRotateTimer()
{
    return transformTimer(engine->rotation);
}

float SQModel::getSplineTimer()
{
    return engine->getModelResource() ? engine->spline.progress.elapsed : 0.0f;
}

float SQModel::getShakeTimer()
{
    CEffectShake* effect = engine->getShake();
    return engine->getModelResource() && effect ? effect->getTimer() : 0.0f;
}

void SQModel::setTransformTimer(CInterpolator<Vector3D>& value, float ms)
{
    if (!engine->getModelResource())
        return;
    value.setTime(ms < 0.0f ? 0.0f : std::min(value.duration, ms));
    value.evaluate();
    engine->transformDirty = 1;
}

void SQModel::setMoveTimer(float ms)
{
    setTransformTimer(engine->position, ms);
}

void SQModel::setScaleTimer(float ms)
{
    setTransformTimer(engine->scale, ms);
}

void SQModel::setRotateTimer(float ms)
{
    setTransformTimer(engine->rotation, ms);
}

void SQModel::setSplineTimer(float ms)
{
    engine->setSplineTimer(ms);
}

void SQModel::setShakeTimer(float ms)
{
    engine->setShakeTimer(ms);
}

// ---- Appearance and hit tests

void SQModel::setAnimationColorUV(const char* firstName, const char* secondName, float u, float v)
{
    engine->setAnimationColorUV(text(firstName), text(secondName), Kavro::Vector2D(u, v));
}

void SQModel::setAnimationBumpUV(const char* firstName, const char* secondName, float u, float v)
{
    engine->setAnimationBumpUV(text(firstName), text(secondName), Kavro::Vector2D(u, v));
}

void SQModel::setDiffuseColor(float r, float g, float b, int flag)
{
    engine->setDiffuseColor(r, g, b, flag);
}

int SQModel::checkHitCollisionLine(const char* name, float x1, float y1, float z1, float x2, float y2, float z2)
{
    Kavro::ISceneModel* scene = loadedScene();
    if (!scene)
        return 0;
    return scene->checkHitCollisionLine(name, Kavro::CLine3D(Vector3D(x1, y1, z1), Vector3D(x2, y2, z2)));
}

const char* SQModel::checkSortHitCollisionLine(Vector3D& hit, Vector3D& from, Vector3D& to)
{
    std::memset(hitName, 0, sizeof hitName);
    Kavro::ISceneModel* scene = loadedScene();
    if (!scene || !scene->checkSortHitCollisionLine(&hit, Kavro::CLine3D(from, to), hitName, sizeof hitName))
        return nullptr;
    hitName[sizeof hitName - 1] = '\0';
    return hitName;
}

int SQModel::checkHitCollisionPoint(const char*, float, float, float)
{
    return 0;
}

// ---- Physics

int SQModel::exportPhysicsSetting(const char* rootFrameName, const char* path)
{
    return engine->exportPhysicsSetting(rootFrameName, path);
}

int SQModel::importPhysicsSetting(const char* path, const char* group, int worldId)
{
    return engine->importPhysicsSetting(path, nullWhenEmpty(group), worldId);
}

void SQModel::erasePhysicsObject(const char* group)
{
    engine->erasePhysicsObject(nullWhenEmpty(group));
}

void SQModel::enablePhysics(int on)
{
    if (Kavro::ISceneModel* scene = loadedScene())
        scene->enablePhysics(on);
}

void SQModel::physicsKinematic(int on)
{
    if (Kavro::ISceneModel* scene = loadedScene())
        scene->setPhysicsKinematic(on);
}

void SQModel::resetPhysics()
{
    engine->resetPhysics(0);
}

} // namespace Orvane::Squirrel
