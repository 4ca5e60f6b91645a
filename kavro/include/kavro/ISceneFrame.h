#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"

namespace Kavro
{

class IPhysicsRigidBody;

// A frame (bone) of a model resource. The resource owns its frames: a lookup hands out no reference and the
// frame stays valid while the resource lives; a reference taken with addRef keeps the frame object itself
// (it answers as a frame without parent or children once its resource is gone).
class ISceneFrame : public IInterface
{
public:
    // The name, NUL-terminated, cut to size. Returns its length; negative when buffer or size is unusable.
    virtual int getName(char* buffer, int size) = 0;
    // Local transform relative to the parent: rows right, up, front and translation.
    virtual Matrix4x4 getMatrix() = 0;
    virtual Matrix4x4 getWorldMatrix() = 0;
    // The transform of the model's rest pose, in world space of the model.
    virtual Matrix4x4 getRestMatrix() = 0;
    // Poses the frame: world is its new world matrix, combined the matrix its children follow; with
    // propagate nonzero the children move with it.
    virtual int setWorldMatrix(const Matrix4x4& world, const Matrix4x4& combined, int propagate) = 0;
    // No reference added; null for the root.
    virtual ISceneFrame* getParent() = 0;
    virtual int getChildCount() = 0;
    // No reference added; null outside 0..count-1.
    virtual ISceneFrame* getChild(int index) = 0;
    // The child's name; null outside 0..count-1.
    virtual const char* getChildName(int index) = 0;

    // Couples a rigid body to the frame at the body's current offset from it; a null body and zero flags
    // detach the body held. The frame holds a reference to its body.
    virtual int attachRigidBody(IPhysicsRigidBody* body, int flag1, int flag2, int flag3) = 0;
    // The same with the body placed at matrix relative to the frame.
    virtual int attachRigidBodyWithMatrix(IPhysicsRigidBody* body, const Matrix4x4& matrix, int flag1, int flag2,
                                          int flag3) = 0;
    // The attached body with a reference added, or null.
    virtual IPhysicsRigidBody* getRigidBody() = 0;
    // The body's placement relative to the frame, and the three flags given when it was attached.
    virtual Matrix4x4 getRigidBodyMatrix() = 0;
    virtual uint32_t getRigidBodyFlag1() = 0;
    virtual uint32_t getRigidBodyFlag2() = 0;
    virtual uint32_t getRigidBodyFlag3() = 0;
};

} // namespace Kavro
