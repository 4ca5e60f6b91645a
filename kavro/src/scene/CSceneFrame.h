#pragma once

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/ISceneFrame.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <string>
#include <vector>

namespace Kavro
{

// A frame of a model resource. It holds the pose the resource's scene model last computed (local and
// world matrix), which the focus controllers may turn before drawing, and the rigid body coupled to it.
class CSceneFrame : public RefCounted<ISceneFrame>
{
public:
    CSceneFrame(std::string name, const Matrix4x4& local, const Matrix4x4& rest);
    ~CSceneFrame() override;

    int getName(char* buffer, int size) override;
    Matrix4x4 getMatrix() override { return local_; }
    Matrix4x4 getWorldMatrix() override { return world_; }
    Matrix4x4 getRestMatrix() override { return rest_; }
    int setWorldMatrix(const Matrix4x4& world, const Matrix4x4& combined, int propagate) override;
    ISceneFrame* getParent() override { return parent_; }
    int getChildCount() override { return int(children_.size()); }
    ISceneFrame* getChild(int index) override;
    const char* getChildName(int index) override;
    int attachRigidBody(IPhysicsRigidBody* body, int flag1, int flag2, int flag3) override;
    int attachRigidBodyWithMatrix(IPhysicsRigidBody* body, const Matrix4x4& matrix, int flag1, int flag2,
                                  int flag3) override;
    IPhysicsRigidBody* getRigidBody() override;
    Matrix4x4 getRigidBodyMatrix() override { return bodyMatrix_; }
    uint32_t getRigidBodyFlag1() override { return flags_[0]; }
    uint32_t getRigidBodyFlag2() override { return flags_[1]; }
    uint32_t getRigidBodyFlag3() override { return flags_[2]; }

    const std::string& name() const { return name_; }
    // Tree links, set by the resource (not counted: the resource owns every frame of its tree).
    void link(CSceneFrame* parent);
    // The resource is going: the frame keeps its name and matrices but leaves the tree and lets its body go.
    void orphan();
    // Posing: the local matrix and the world matrix it gives under parentWorld.
    void pose(const Matrix4x4& local, const Matrix4x4& world)
    {
        local_ = local;
        world_ = world;
    }
    IPhysicsRigidBody* body() const { return body_.get(); }

private:
    void carry(const Matrix4x4& parentWorld);

    std::string name_;
    Matrix4x4 local_, world_, rest_;
    CSceneFrame* parent_ = nullptr;
    std::vector<CSceneFrame*> children_;
    Ref<IPhysicsRigidBody> body_;
    Matrix4x4 bodyMatrix_;
    uint32_t flags_[3] = {};
};

} // namespace Kavro
