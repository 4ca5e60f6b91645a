#pragma once

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneNode.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <btBulletDynamicsCommon.h>

#include <memory>

namespace Kavro
{

class CPhysicsWorld;

// What a body or joint answers for getSceneObject: the library keeps no wire-frame drawing, so the node
// is one the scene manager does not draw.
class PhysicsSceneNode final : public ISceneNode
{
};

// One rigid body of a CPhysicsWorld, in its world from creation until its last reference goes.
//
// Three switches decide what the simulation does with it: dynamics (on when made with a mass), the
// controller (kinematic: moved only by its owner) and collision. The body is kinematic while the
// controller is on, else dynamic while dynamics is on and it has a mass, else static.
class CPhysicsRigidBody : public RefCounted<IPhysicsRigidBody>
{
public:
    // Collision groups (16 bits): the group a body is in follows its kind; ray and sweep masks select
    // groups.
    enum Group : int
    {
        DynamicGroup = 1,
        StaticGroup = 2,
        KinematicGroup = 4,
        AllGroups = 0xFFFF,
    };

    // start is where reset puts the body back.
    CPhysicsRigidBody(CPhysicsWorld& world, std::unique_ptr<btCollisionShape> shape, float mass,
                      const btTransform& start);
    ~CPhysicsRigidBody() override;

    void setUserPointer(void* pointer) override { userPointer_ = pointer; }
    void* getUserPointer() override { return userPointer_; }
    int setPosition(const Vector3D& position) override;
    Vector3D getPosition() override;
    int setRotation(const Matrix4x4& rotation) override;
    Matrix4x4 getRotation() override;
    int setTransform(const Matrix4x4& transform) override;
    Vector3D getLinearVelocity() override;
    Vector3D getAngularVelocity() override;
    int setLinearVelocity(const Vector3D& velocity) override;
    int setAngularVelocity(const Vector3D& velocity) override;
    int setLinearFactor(const Vector3D& factor) override;
    int setAngularFactor(const Vector3D& factor) override;
    float getMass() override { return mass_; }
    int setFrictionalCoefficient(float value) override;
    float getFrictionalCoefficient() override { return body_->getFriction(); }
    int setRestitutionCoefficient(float value) override;
    float getRestitutionCoefficient() override { return body_->getRestitution(); }
    int setLinearDamping(float value) override;
    float getLinearDamping() override { return body_->getLinearDamping(); }
    int setAngularDamping(float value) override;
    float getAngularDamping() override { return body_->getAngularDamping(); }
    int setEnableDynamics(int enable) override;
    int setEnableCollision(int enable) override;
    int setEnableGravity(int enable) override;
    uint32_t getEnableGravity() override { return gravity_ ? 1 : 0; }
    int setEnableControler(int enable) override;
    uint32_t getStateWord() override { return uint32_t(body_->getActivationState()); }
    int reset() override;
    int attachToScene(ISceneManager* scene, const float& lineWidth) override;
    ISceneNode* getSceneObject() override { return &node_; }

    btRigidBody& rigid() { return *body_; }
    CPhysicsWorld& world() { return *world_.get(); }
    // Null for a plane, which cannot be swept.
    const btConvexShape* convexShape() const;
    int collisionGroup() const;
    int collisionMask() const;
    // The world's gravity has changed: a body that follows it takes it (and wakes).
    void takeWorldGravity(const btVector3& gravity);

private:
    enum class Kind
    {
        Static,
        Dynamic,
        Kinematic,
    };
    Kind kind() const;
    // Puts mass, flags and activation in line with the switches and re-adds the body to the world, so
    // that the broadphase files it under its new group.
    void applySwitches();
    // Moves the body to t at once (a kinematic body gets there by its next step, with the velocity that
    // takes).
    void place(const btTransform& t);
    void wake();

    // The world outlives the body's Bullet objects: declared first, released last.
    Ref<CPhysicsWorld> world_;
    std::unique_ptr<btCollisionShape> shape_;
    std::unique_ptr<btRigidBody> body_;
    btTransform start_;
    float mass_;
    btVector3 inertia_{0, 0, 0};
    void* userPointer_ = nullptr;
    bool dynamics_;
    bool controller_ = false;
    bool collision_ = true;
    bool gravity_ = true;
    Ref<ISceneManager> scene_;
    float lineWidth_ = 0.0f;
    PhysicsSceneNode node_;
};

} // namespace Kavro
