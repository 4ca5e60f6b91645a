#include "model/CModelBase.h"

#include "core/SharedFunctions.h"
#include "sprite/CEffectRandomShake.h"
#include "sprite/CEffectShake.h"

#include <kavro/IModelResource.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ISceneModel.h>

#include <algorithm>

namespace Orvane
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

namespace
{

// Null stands for "all" where the library takes a name.
const char* nameOrNull(const std::string& name)
{
    return name.empty() ? nullptr : name.c_str();
}

std::string fileNameOf(const std::string& path)
{
    std::string name;
    getFileNameFromPath(path, name, false);
    return name;
}

} // namespace

CModelBase::CModelBase(const std::string& name) : CRenderingTaskObject(name)
{
    const Vector3D one(1.0f, 1.0f, 1.0f);
    scale.set(one, one, 0, 0);
    rotation.set(Vector3D(), Vector3D(), 0, 0);
    position.set(Vector3D(), Vector3D(), 0, 0);
}

CModelBase::~CModelBase()
{
    while (!physicsObjects.empty())
        removePhysicsObject(physicsObjects.begin());
    if (shakeEffect)
        shakeEffect->release();
    if (sceneModel)
        sceneModel->release();
    if (modelResource)
        modelResource->release();
}

int CModelBase::updateWorldMatrix()
{
    updateTransform();
    return CRenderingTaskObject::updateWorldMatrix();
}

int CModelBase::update()
{
    advanceTime(nullptr);
    return 0;
}

int CModelBase::render()
{
    updateTransform();
    if (sceneModel && sceneModel->hasPendingUpdate())
        sceneModel->flushPendingUpdate(0);
    return 0;
}

void CModelBase::addMesh(Kavro::IModelResource* other)
{
    if (!modelResource || !other)
        return;
    other->setMeshVisible(nullptr, 0);
    modelResource->addMesh(other);
}

void CModelBase::setMeshVisible(const std::string& meshFile, const std::string& meshName, int visible)
{
    if (!modelResource)
        return;
    if (meshFile.empty())
    {
        modelResource->setMeshVisible(nameOrNull(meshName), visible);
        return;
    }
    const std::string file = fileNameOf(meshFile);
    if (modelResource->setFileMeshVisible(file.c_str(), nameOrNull(meshName), visible) >= 0 && sceneModel)
        sceneModel->setFileMeshVisible(file.c_str(), nameOrNull(meshName), visible);
}

void CModelBase::eraseMesh(const std::string& meshFile)
{
    if (modelResource)
        modelResource->eraseMesh(fileNameOf(meshFile).c_str(), nullptr);
}

void CModelBase::setMeshDrawToEnd(const std::string& meshFile, const std::string& meshName)
{
    if (!modelResource)
        return;
    const std::string file = fileNameOf(meshFile);
    if (modelResource->setMeshDrawToEnd(file.c_str(), nameOrNull(meshName)) >= 0 && sceneModel)
        sceneModel->setMeshDrawToEnd(file.c_str(), nameOrNull(meshName));
}

int CModelBase::advanceTime(const Matrix4x4* matrix)
{
    if (matrix)
    {
        local = *matrix;
        return 0;
    }
    int ran = scale.update();
    ran |= rotation.update();
    ran |= position.update();
    if (spline.update())
    {
        followSpline();
        ran = 1;
    }
    if (shakeEffect && shakeEffect->isShaking())
    {
        shakeEffect->update();
        ran = 1;
    }
    if (ran)
        transformDirty = 1;
    return 0;
}

void CModelBase::updateTransform()
{
    if (!transformDirty)
        return;
    Vector3D t = position.scaledValue;
    if (shakeEffect && shakeEffect->isShaking())
        t = t + shakeEffect->getOffset();
    const Vector3D& s = scale.scaledValue;
    const Vector3D& r = rotation.scaledValue;
    local = Matrix4x4::GetScaling(s.x, s.y, s.z) * Matrix4x4::GetRotationZ(r.z) * Matrix4x4::GetRotationX(r.x) *
            Matrix4x4::GetRotationY(r.y) * Matrix4x4::GetTranslation(t.x, t.y, t.z);
    transformDirty = 0;
}

void CModelBase::setTimeScale(float newScale)
{
    timeScale = newScale;
    position.timeScale = newScale;
    scale.timeScale = newScale;
    rotation.timeScale = newScale;
    spline.progress.timeScale = newScale;
    if (sceneModel)
        sceneModel->setTimeScale(newScale);
    if (shakeEffect)
        shakeEffect->setTimeScale(newScale);
}

int CModelBase::save(CFile*)
{
    return 1;
}

int CModelBase::load(CFile*)
{
    return 1;
}

void CModelBase::move(float x, float y, float z, uint32_t durationMs, int32_t ease)
{
    transformDirty = 1;
    resetSpline();
    position.set(position.value, Vector3D(x, y, z), durationMs, ease);
}

void CModelBase::replaceShake(CEffectShake* effect, const Vector3D& start, const Vector3D& end, uint32_t period,
                              uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (shakeEffect)
        shakeEffect->release();
    shakeEffect = effect;
    shakeEffect->begin(start, end, period, mode, duration, easing, swingEasing);
    shakeEffect->setTimeScale(timeScale);
    transformDirty = 1;
}

void CModelBase::shake(const Vector3D& start, const Vector3D& end, uint32_t period, uint32_t mode, uint32_t duration,
                       int32_t easing, int32_t swingEasing)
{
    replaceShake(new CEffectShake, start, end, period, mode, duration, easing, swingEasing);
}

void CModelBase::randomShake(const Vector3D& start, const Vector3D& end, uint32_t period, uint32_t mode,
                             uint32_t duration, int32_t easing, int32_t swingEasing)
{
    replaceShake(new CEffectRandomShake, start, end, period, mode, duration, easing, swingEasing);
}

void CModelBase::resetSpline()
{
    spline.reset();
}

void CModelBase::followSpline()
{
    position.value = spline.current;
    position.scaledValue = position.value * position.valueScale;
}

void CModelBase::beginSpline(uint32_t durationMs, int32_t ease)
{
    spline.begin(float(durationMs), ease);
    position.complete();
    followSpline();
    transformDirty = 1;
}

void CModelBase::setSplineTimer(float ms)
{
    if (!modelResource || spline.keys.empty())
        return;
    spline.setTimer(std::clamp(ms, 0.0f, spline.progress.duration));
    followSpline();
    transformDirty = 1;
}

void CModelBase::setShakeTimer(float ms)
{
    if (!modelResource || !shakeEffect)
        return;
    shakeEffect->setTimer(ms < 0.0f ? 0.0f : std::min(ms, shakeEffect->getDuration()));
}

void CModelBase::removePhysicsObject(std::map<std::string, PhysicsObject>::iterator entry)
{
    if (entry->second.frame)
        entry->second.frame->attachRigidBody(nullptr, 0, 0, 0);
    if (entry->second.body)
        entry->second.body->release();
    physicsObjects.erase(entry);
}

void CModelBase::erasePhysicsObject(const char* groupName)
{
    for (auto it = physicsObjects.begin(); it != physicsObjects.end();)
    {
        const std::string& group = it->second.group;
        const auto next = std::next(it);
        if (!groupName || (!group.empty() && group == groupName))
            removePhysicsObject(it);
        it = next;
    }
}

} // namespace Orvane
