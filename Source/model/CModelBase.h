#pragma once

#include "core/CRenderingTaskObject.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Kavro
{
class IModelResource;
class ISceneFrame;
class ISceneModel;
} // namespace Kavro

namespace Orvane
{

class CEffectShake;
class CFile;
class CJoint;
class CRigidBody;
struct JointRecord;
struct RigidBodyRecord;

// A drawable 3D model's placement and its two library handles (the loaded resource and its scene
// instance, both filled by CModel). Scale, rotation and position are interpolators, the position can
// follow a timed spline, and a shake adds its offset; the local matrix is rebuilt from them when dirty.
class CModelBase : public CRenderingTaskObject
{
public:
    // A body that a physics-setting file hung on one of the model's frames. The entry holds one reference of
    // each: the frame belongs to a resource that a later load may let go.
    struct PhysicsObject
    {
        Kavro::ISceneFrame* frame = nullptr;
        CRigidBody* body = nullptr;
    };
    // What a physics-setting export writes: the bodies under a frame with their frames, and their joints.
    struct PhysicsCollection
    {
        std::vector<std::pair<Kavro::ISceneFrame*, CRigidBody*>> bodies;
        std::vector<CJoint*> joints;
    };

    explicit CModelBase(const std::string& name);
    ~CModelBase() override;

    // The transform first, then the frame tree's own step.
    int updateWorldMatrix() override;
    int update() override;
    int render() override;

    virtual void addMesh(Kavro::IModelResource* other);
    virtual void setMeshVisible(const std::string& meshFile, const std::string& meshName, int visible);
    virtual void eraseMesh(const std::string& meshFile);
    virtual void setMeshDrawToEnd(const std::string& meshFile, const std::string& meshName);
    // A given matrix becomes the local matrix and holds until the next transform change; null steps the
    // interpolators, the spline and the shake by one frame.
    virtual int advanceTime(const Kavro::Matrix4x4* matrix);
    // Rebuilds the local matrix when the transform is dirty.
    virtual void updateTransform();
    virtual void setTimeScale(float scale);
    // The model's own record inside its binding's record: 1 on success. A plain model has none.
    virtual int save(CFile* file);
    virtual int load(CFile* file);

    void move(float x, float y, float z, uint32_t durationMs, int32_t ease);
    void shake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, uint32_t period, uint32_t mode,
               uint32_t duration, int32_t easing, int32_t swingEasing);
    void randomShake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, uint32_t period, uint32_t mode,
                     uint32_t duration, int32_t easing, int32_t swingEasing);
    void resetSpline();
    void beginSpline(uint32_t durationMs, int32_t ease);
    void setSplineTimer(float ms);
    void setShakeTimer(float ms);
    // Removes the bodies of that import group (null: every body).
    void erasePhysicsObject(const char* groupName);
    // The bodies attached to frame and the frames below it, depth first (a frame before its children), whose
    // library body leads to an engine body, each with its joints in table order; nothing is counted. 0.
    int collectPhysicsObjects(Kavro::ISceneFrame* frame, PhysicsCollection& collection);
    // Writes the bodies under the named frame and their joints as a physics-setting file, sizes and positions
    // without the model's scale: 0; -1 for a null argument, no resource, an unknown frame or a zero scale
    // component; -3 when the file cannot be written whole (a file it replaces stays as it was).
    int exportPhysicsSetting(const char* rootFrameName, const char* path);
    // Builds the bodies and joints of a physics-setting file on the model's frames, at the model's scale, in the
    // world of that id, under the import group (null: none): 0, also for a file that ends early; -1 without a
    // resource; -2 for a file that is not a physics-setting file; -3 when it cannot be opened.
    int importPhysicsSetting(const char* path, const char* groupName, const int32_t& worldId);

    Kavro::IModelResource* getResource() const { return modelResource; }
    CEffectShake* getShake() const { return shakeEffect; }

    int32_t transformDirty = 1;
    CInterpolator<Kavro::Vector3D> scale;
    CInterpolator<Kavro::Vector3D> rotation;
    CInterpolator<Kavro::Vector3D> position;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
    std::map<std::string, PhysicsObject> physicsObjects;
    float timeScale = 1.0f;

protected:
    // The spline's point drives the position.
    void followSpline();
    void replaceShake(CEffectShake* effect, const Kavro::Vector3D& start, const Kavro::Vector3D& end,
                      uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing);
    void removePhysicsObject(std::map<std::string, PhysicsObject>::iterator entry);
    // One record of an import, built as it is read.
    void importBody(const RigidBodyRecord& record, const char* groupName, int32_t worldId);
    void importJoint(const JointRecord& record);

    CEffectShake* shakeEffect = nullptr;
    Kavro::IModelResource* modelResource = nullptr;
    Kavro::ISceneModel* sceneModel = nullptr;
};

} // namespace Orvane
