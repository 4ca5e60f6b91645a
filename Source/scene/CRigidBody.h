#pragma once

#include "core/CObject.h"
#include "curve/CInterpolator.h"
#include "scene/PhysicsRecords.h"

#include <kavro/Vector3D.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kavro
{
class IPhysicsRigidBody;
class IPhysicsWorld;
class ISceneFrame;
} // namespace Kavro

namespace Orvane
{

class CJoint;

// The engine's handle on one rigid body of a physics world of the application. It adds a name, a timed
// move and rotation pushed into the body once per frame, and the table of named joints that connect it to
// other bodies. The library body's user pointer leads back here, so that ray and sweep tests and the
// physics-setting export can name what they find. The body never steps its world.
class CRigidBody : public CObject
{
public:
    enum ShapeType : uint32_t
    {
        Sphere = 0,
        Box = 1,
        Cylinder = 2,
        Capsule = 3,
        Plane = 4,
    };

    explicit CRigidBody(const std::string& name);
    ~CRigidBody() override;

    // Pushes a running (or just started) move or rotation into the body. 0.
    virtual int update();

    // Each releases the world held and takes the application's world under worldId, then makes a new body
    // there in place of the old one: 0, or -1 when there is no such world (the old body stays) or the world
    // made no body.
    int createPlane(const Kavro::Vector3D& position, const Kavro::Vector3D& normal, int32_t worldId);
    int createSphere(float mass, const Kavro::Vector3D& position, float radius, int32_t worldId);
    int createBox(float mass, const Kavro::Vector3D& position, const Kavro::Vector3D& size, int32_t worldId);
    int createCylinder(float mass, const Kavro::Vector3D& position, float radius, float height, int32_t worldId);
    int createCapsule(float mass, const Kavro::Vector3D& position, float radius, float height, int32_t worldId);
    // Takes over the body attached to a frame: 0, or -1 without a frame or a body on it.
    int createFromFrame(Kavro::ISceneFrame* frame);
    // Builds the body of a physics-setting record for a model of the given scale, at the origin: 0 (also
    // for an unknown shape type, which makes no body), or -1 without the world or when it made no body.
    int importSetting(const Kavro::Vector3D& scale, const RigidBodyRecord& record, int32_t worldId);
    // Fills a physics-setting record for the body attached to frame, unscaled: 0, or -1 when the frame's
    // name cannot be read.
    int exportSetting(Kavro::ISceneFrame* frame, const Kavro::Vector3D& scale, RigidBodyRecord& record);

    // Durations in milliseconds; curves of 61 or more are curve 0. A zero duration places the body at once.
    void move(const Kavro::Vector3D& target, uint32_t duration, int32_t curve);
    // Euler angles in degrees, applied Z, then X, then Y.
    void rotate(const Kavro::Vector3D& angles, uint32_t duration, int32_t curve);
    // While a move runs (or without a body) the move's value, else where the simulation has the body.
    Kavro::Vector3D getMove();
    Kavro::Vector3D getPosition() { return getMove(); }
    // While a rotation runs (or without a body) its value, else the simulated orientation in degrees.
    Kavro::Vector3D getRotate();
    int isMoving() const { return moveInterpolator.active ? 1 : 0; }
    int isRotating() const { return rotateInterpolator.active ? 1 : 0; }
    // (0, 0, 0) without a body.
    Kavro::Vector3D getLinearVelocity();
    Kavro::Vector3D getAngularVelocity();

    // The joint table; this body is body A of each. A joint of the same name is replaced; nothing is added
    // when this body has no world or the world makes no constraint. other may be null or bodiless.
    void createBallJoint(const std::string& name, CRigidBody* other, const Kavro::Vector3D& pivot, uint32_t flag);
    void create6DOFJoint(const std::string& name, CRigidBody* other, const Kavro::Vector3D& position,
                         const Kavro::Vector3D& rotation, uint32_t flag);
    void importJointSetting(CRigidBody* other, const Kavro::Vector3D& scale, const JointRecord& record);
    // With a reference added for the caller; null when the table has no joint of that name.
    CJoint* findJoint(const std::string& name);
    // In name order, not counted.
    std::vector<CJoint*> getJointList() const;
    void releaseJoint(const std::string& name);

    // Not counted; null before a creation succeeded.
    Kavro::IPhysicsRigidBody* getBody() const { return body; }
    Kavro::IPhysicsWorld* getWorld() const { return world; }
    uint32_t getShapeType() const { return shapeType; }
    const float* getShapeParameters() const { return shape; }
    const std::string& getGroupName() const { return groupName; }
    void setGroupName(const std::string& name) { groupName = name; }

private:
    // Takes the world under worldId in place of the one held: false when there is none.
    bool takeWorld(int32_t worldId);
    // Takes a new body from a world create operation: 0, or -1 when there is none.
    int takeBody(Kavro::IPhysicsRigidBody* newBody);
    void releaseBody();
    void setShape(ShapeType type, float a, float b, float c);
    // Makes a joint through the world of this body and puts it in the table once connect has run.
    template <class Connect> void addJoint(const std::string& name, Connect connect);

    CInterpolator<Kavro::Vector3D> rotateInterpolator;
    CInterpolator<Kavro::Vector3D> moveInterpolator;
    uint32_t pending = 0;
    std::string groupName;
    std::map<std::string, CJoint*> joints;
    uint32_t shapeType = Sphere;
    float shape[3] = {};
    Kavro::IPhysicsWorld* world = nullptr;
    Kavro::IPhysicsRigidBody* body = nullptr;
};

} // namespace Orvane
