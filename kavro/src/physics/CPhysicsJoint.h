#pragma once

#include "physics/CPhysicsRigidBody.h"

#include <kavro/IPhysicsJoint.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <btBulletDynamicsCommon.h>

#include <memory>

namespace Kavro
{

class CPhysicsWorld;

// A constraint of a CPhysicsWorld: a ball joint (Bullet's point-to-point constraint) or a six-degrees-of-
// freedom spring joint (btGeneric6DofSpring2Constraint, Euler order XYZ). It holds its world and, while
// connected, both bodies, so none goes while the constraint refers to it. A missing body B is Bullet's
// fixed body, which stands still at the world's origin: frames and pivots given for B are in world space.
class CPhysicsJoint : public RefCounted<IPhysicsJoint>
{
public:
    explicit CPhysicsJoint(CPhysicsWorld& world);
    ~CPhysicsJoint() override;

    int connectBall(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Vector3D& pivot, const uint32_t& flag) override;
    int connectBallFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                          const Matrix4x4& frameB, const uint32_t& flag) override;
    int connect6DOF(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frame, const uint32_t& flag) override;
    int connect6DOFFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                          const Matrix4x4& frameB, const uint32_t& flag) override;
    int detach() override;

    int setAngularUpperLimit(const float& x, const float& y, const float& z) override;
    int setAngularLowerLimit(const float& x, const float& y, const float& z) override;
    int setLinearUpperLimit(const float& x, const float& y, const float& z) override;
    int setLinearLowerLimit(const float& x, const float& y, const float& z) override;
    int setAngularEnableSpring(const int& x, const int& y, const int& z) override;
    int setLinearEnableSpring(const int& x, const int& y, const int& z) override;
    int setAngularSpringStiffness(const float& x, const float& y, const float& z) override;
    int setAngularSpringDamping(const float& x, const float& y, const float& z) override;
    int setLinearSpringStiffness(const float& x, const float& y, const float& z) override;
    int setLinearSpringDamping(const float& x, const float& y, const float& z) override;
    int setERP(const float& value) override;
    float getERP() override { return erp_; }
    int setCFM(const float& value) override;
    float getCFM() override { return cfm_; }
    int setBreakingImpulseThreshold(const float& value) override;
    float getBreakingImpulseThreshold() override { return threshold_; }

    IPhysicsRigidBody* getBodyA() override;
    IPhysicsRigidBody* getBodyB() override;
    Matrix4x4 getFrameA() override;
    Matrix4x4 getFrameB() override;

    int attachToScene(ISceneManager* scene, const float& lineWidth) override;
    ISceneNode* getSceneObject() override { return &node_; }

    // Bullet's defaults, which the getters answer until a value is set.
    static constexpr float DefaultERP = 0.2f;
    static constexpr float DefaultCFM = 0.0f;

private:
    // Checks both bodies belong to this world (b may be null); false leaves the joint as it was.
    bool takeBodies(IPhysicsRigidBody* a, IPhysicsRigidBody* b);
    btRigidBody& rigidB();
    // Puts constraint into the world in place of the one held, with the kept solver values.
    int install(std::unique_ptr<btTypedConstraint> constraint, btGeneric6DofSpring2Constraint* sixDof,
                uint32_t flag);
    void applySolverValues();
    // Calls set(axis, x/y/z) for the three axes from first (0 linear, 3 angular) of a connected 6DOF joint.
    template <class T, class Set> int perAxis(int first, T x, T y, T z, Set set);

    Ref<CPhysicsWorld> world_;
    Ref<CPhysicsRigidBody> a_;
    Ref<CPhysicsRigidBody> b_;
    std::unique_ptr<btTypedConstraint> constraint_;
    btGeneric6DofSpring2Constraint* sixDof_ = nullptr;
    float erp_ = DefaultERP;
    float cfm_ = DefaultCFM;
    float threshold_ = SIMD_INFINITY;
    // Set values go to the constraint; unset ones leave Bullet's (a ball joint then follows the world's).
    bool erpSet_ = false;
    bool cfmSet_ = false;
    Ref<ISceneManager> scene_;
    float lineWidth_ = 0.0f;
    PhysicsSceneNode node_;
};

} // namespace Kavro
