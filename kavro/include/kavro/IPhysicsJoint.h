#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"

namespace Kavro
{

class IPhysicsRigidBody;
class ISceneManager;
class ISceneNode;

// A constraint between two rigid bodies (IPhysicsWorld::createJoint), unconnected until a connect call.
// Body B may be null (the constraint holds body A to the world). Frames are matrices relative to their
// body; limits are degrees (angular) and scene units (linear); flag 1 stops the two bodies colliding.
class IPhysicsJoint : public IInterface
{
public:
    virtual int connectBall(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Vector3D& pivot,
                            const uint32_t& flag) = 0;
    // A ball joint pivoting at frame A's translation in A and frame B's in B.
    virtual int connectBallFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                                  const Matrix4x4& frameB, const uint32_t& flag) = 0;
    // A six-degrees-of-freedom joint whose frame is given in world space.
    virtual int connect6DOF(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frame,
                            const uint32_t& flag) = 0;
    virtual int connect6DOFFrames(IPhysicsRigidBody* a, IPhysicsRigidBody* b, const Matrix4x4& frameA,
                                  const Matrix4x4& frameB, const uint32_t& flag) = 0;
    // Takes the constraint out of its world; the bodies are let go.
    virtual int detach() = 0;

    virtual int setAngularUpperLimit(const float& x, const float& y, const float& z) = 0;
    virtual int setAngularLowerLimit(const float& x, const float& y, const float& z) = 0;
    virtual int setLinearUpperLimit(const float& x, const float& y, const float& z) = 0;
    virtual int setLinearLowerLimit(const float& x, const float& y, const float& z) = 0;
    virtual int setAngularEnableSpring(const int& x, const int& y, const int& z) = 0;
    virtual int setLinearEnableSpring(const int& x, const int& y, const int& z) = 0;
    virtual int setAngularSpringStiffness(const float& x, const float& y, const float& z) = 0;
    virtual int setAngularSpringDamping(const float& x, const float& y, const float& z) = 0;
    virtual int setLinearSpringStiffness(const float& x, const float& y, const float& z) = 0;
    virtual int setLinearSpringDamping(const float& x, const float& y, const float& z) = 0;
    virtual int setERP(const float& value) = 0;
    virtual float getERP() = 0;
    virtual int setCFM(const float& value) = 0;
    virtual float getCFM() = 0;
    // The impulse that breaks the constraint.
    virtual int setBreakingImpulseThreshold(const float& value) = 0;
    virtual float getBreakingImpulseThreshold() = 0;

    // The connected bodies with a reference added, or null.
    virtual IPhysicsRigidBody* getBodyA() = 0;
    virtual IPhysicsRigidBody* getBodyB() = 0;
    virtual Matrix4x4 getFrameA() = 0;
    virtual Matrix4x4 getFrameB() = 0;

    // As IPhysicsRigidBody::attachToScene: kept, not drawn.
    virtual int attachToScene(ISceneManager* scene, const float& lineWidth) = 0;
    virtual ISceneNode* getSceneObject() = 0;
};

} // namespace Kavro
