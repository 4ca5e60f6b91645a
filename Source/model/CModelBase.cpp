#include "model/CModelBase.h"

#include "core/CFile.h"
#include "core/SharedFunctions.h"
#include "scene/CJoint.h"
#include "scene/CRigidBody.h"
#include "scene/PhysicsRecords.h"
#include "sprite/CEffectRandomShake.h"
#include "sprite/CEffectShake.h"

#include <kavro/IModelResource.h>
#include <kavro/IPhysicsRigidBody.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ISceneModel.h>

#include <algorithm>
#include <bit>
#include <cstring>

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
    Kavro::ISceneFrame* frame = entry->second.frame;
    CRigidBody* body = entry->second.body;
    // A frame that has since taken another body keeps it.
    Kavro::IPhysicsRigidBody* attached = frame->getRigidBody();
    if (attached == body->getBody())
        frame->attachRigidBody(nullptr, 0, 0, 0);
    if (attached)
        attached->release();
    body->release();
    frame->release();
    physicsObjects.erase(entry);
}

void CModelBase::erasePhysicsObject(const char* groupName)
{
    for (auto it = physicsObjects.begin(); it != physicsObjects.end();)
    {
        const std::string& group = it->second.body->getGroupName();
        const auto next = std::next(it);
        if (!groupName || (!group.empty() && group == groupName))
            removePhysicsObject(it);
        it = next;
    }
}

// ---------------------------------------------------------------------------------------------
// The physics-setting file

namespace
{

// The records are written and read as they lie in memory.
static_assert(std::endian::native == std::endian::little);

constexpr char PhysicsMagic[4] = {'P', 'H', 'Y', 'S'};
constexpr size_t PhysicsVersionSize = 32;

template <class Record> void zeroFill(Record& record)
{
    std::memset(static_cast<void*>(&record), 0, sizeof record);
}

template <class T> void append(std::vector<uint8_t>& bytes, const T& value)
{
    const auto* first = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), first, first + sizeof value);
}

template <class T> bool readWhole(CFile& file, T& value)
{
    return file.read(&value, uint32_t(sizeof value)) == sizeof value;
}

} // namespace

int CModelBase::collectPhysicsObjects(Kavro::ISceneFrame* frame, PhysicsCollection& collection)
{
    // Depth first without recursion: a frame chain from a file can be deep.
    std::vector<Kavro::ISceneFrame*> pending;
    if (frame)
        pending.push_back(frame);
    while (!pending.empty())
    {
        Kavro::ISceneFrame* current = pending.back();
        pending.pop_back();
        if (Kavro::IPhysicsRigidBody* physics = current->getRigidBody())
        {
            // Every user pointer the engine sets on a library body is the CRigidBody that made it.
            if (auto* body = static_cast<CRigidBody*>(physics->getUserPointer()))
            {
                collection.bodies.emplace_back(current, body);
                const std::vector<CJoint*> joints = body->getJointList();
                collection.joints.insert(collection.joints.end(), joints.begin(), joints.end());
            }
            physics->release();
        }
        for (int child = current->getChildCount() - 1; child >= 0; --child)
            if (Kavro::ISceneFrame* next = current->getChild(child))
                pending.push_back(next);
    }
    return 0;
}

int CModelBase::exportPhysicsSetting(const char* rootFrameName, const char* path)
{
    if (!rootFrameName || !path || !modelResource)
        return -1;
    Kavro::ISceneFrame* root = modelResource->findFrame(rootFrameName);
    const Vector3D s = scale.value;
    // Sizes and positions are stored divided by the scale.
    if (!root || s.x == 0.0f || s.y == 0.0f || s.z == 0.0f)
        return -1;
    PhysicsCollection collection;
    collectPhysicsObjects(root, collection);

    std::vector<uint8_t> bytes(PhysicsMagic, PhysicsMagic + 4);
    const char version[PhysicsVersionSize] = "1.00";
    append(bytes, version);
    append(bytes, uint32_t(collection.bodies.size()));
    for (const auto& [frame, body] : collection.bodies)
    {
        RigidBodyRecord record;
        zeroFill(record);
        body->exportSetting(frame, s, record);
        append(bytes, record);
    }
    append(bytes, uint32_t(collection.joints.size()));
    for (CJoint* joint : collection.joints)
    {
        JointRecord record;
        zeroFill(record);
        joint->exportSetting(s, record);
        append(bytes, record);
    }

    CFile file;
    if (file.open(path, 0, 1, 0) < 0)
        return -3;
    // A failed write makes the close refuse to replace the old file.
    const bool written = file.write(bytes.data(), uint32_t(bytes.size())) == bytes.size();
    return file.close() < 0 || !written ? -3 : 0;
}

void CModelBase::importBody(const RigidBodyRecord& record, const char* groupName, int32_t worldId)
{
    Kavro::ISceneFrame* frame = modelResource->findFrame(getRecordName(record.frameName).c_str());
    if (!frame)
        return;
    const Vector3D s = scale.value;
    Matrix4x4 matrix = Matrix4x4::GetScaling(s.x, s.y, s.z) * record.matrix;
    matrix._41 *= s.x;
    matrix._42 *= s.y;
    matrix._43 *= s.z;

    const std::string name = getRecordName(record.name);
    auto* body = new CRigidBody(name);
    // Without a library body there is nothing to attach (attaching null would detach what the frame holds).
    if (body->importSetting(s, record, worldId) < 0 || !body->getBody())
    {
        body->release();
        return;
    }
    body->setGroupName(groupName ? groupName : "");
    Kavro::IPhysicsRigidBody* physics = body->getBody();
    physics->setFrictionalCoefficient(record.friction);
    physics->setRestitutionCoefficient(record.restitution);
    physics->setEnableGravity(int(record.gravity));
    physics->setLinearDamping(record.linearDamping);
    physics->setAngularDamping(record.angularDamping);

    if (const auto old = physicsObjects.find(name); old != physicsObjects.end())
        removePhysicsObject(old);
    frame->attachRigidBodyWithMatrix(physics, matrix, int(record.attachFlag1), int(record.attachFlag2),
                                     int(record.attachFlag3));
    frame->addRef();
    physicsObjects[name] = {frame, body};
}

void CModelBase::importJoint(const JointRecord& record)
{
    const auto a = physicsObjects.find(getRecordName(record.bodyAName));
    const auto b = physicsObjects.find(getRecordName(record.bodyBName));
    if (a == physicsObjects.end() || b == physicsObjects.end())
        return;
    a->second.body->importJointSetting(b->second.body, scale.value, record);
}

int CModelBase::importPhysicsSetting(const char* path, const char* groupName, const int32_t& worldId)
{
    if (!modelResource)
        return -1;
    CFile file;
    if (!path || file.open(path, 0, 0, 0) < 0)
        return -3;
    char magic[4] = {};
    if (!readWhole(file, magic) || std::memcmp(magic, PhysicsMagic, 4) != 0)
    {
        file.close();
        return -2;
    }
    // The counts come from the file: records are read one at a time until either count or the file ends,
    // each built as it is read, so a cut file keeps everything whole before the cut.
    char version[PhysicsVersionSize];
    uint32_t count = 0;
    bool whole = readWhole(file, version) && readWhole(file, count);
    for (uint32_t i = 0; whole && i < count; ++i)
    {
        RigidBodyRecord record;
        if ((whole = readWhole(file, record)))
            importBody(record, groupName, worldId);
    }
    whole = whole && readWhole(file, count);
    for (uint32_t i = 0; whole && i < count; ++i)
    {
        JointRecord record;
        if ((whole = readWhole(file, record)))
            importJoint(record);
    }
    file.close();

    if (sceneModel)
        sceneModel->applyTransform(1);
    for (auto& [name, object] : physicsObjects)
        if (Kavro::IPhysicsRigidBody* physics = object.body->getBody())
            physics->setEnableCollision(1);
    return 0;
}

} // namespace Orvane
