#include "scene/CSceneFrame.h"

#include "scene/CMaterialSettings.h"

namespace Kavro
{

CSceneFrame::CSceneFrame(std::string name, const Matrix4x4& local, const Matrix4x4& rest)
    : name_(std::move(name)), local_(local), world_(rest), rest_(rest)
{
}

CSceneFrame::~CSceneFrame() = default;

int CSceneFrame::getName(char* buffer, int size)
{
    return WriteName(name_, buffer, size);
}

int CSceneFrame::setWorldMatrix(const Matrix4x4& world, const Matrix4x4& combined, int propagate)
{
    world_ = world;
    if (propagate)
        for (CSceneFrame* child : children_)
            child->carry(combined);
    return 0;
}

void CSceneFrame::carry(const Matrix4x4& parentWorld)
{
    world_ = local_ * parentWorld;
    for (CSceneFrame* child : children_)
        child->carry(world_);
}

ISceneFrame* CSceneFrame::getChild(int index)
{
    return index >= 0 && size_t(index) < children_.size() ? children_[size_t(index)] : nullptr;
}

const char* CSceneFrame::getChildName(int index)
{
    return index >= 0 && size_t(index) < children_.size() ? children_[size_t(index)]->name_.c_str() : nullptr;
}

int CSceneFrame::attachRigidBody(IPhysicsRigidBody* body, int flag1, int flag2, int flag3)
{
    if (!body)
        return attachRigidBodyWithMatrix(nullptr, Matrix4x4(), flag1, flag2, flag3);
    // The body's current placement relative to the frame's world matrix.
    Matrix4x4 placed = body->getRotation();
    const Vector3D at = body->getPosition();
    placed._41 = at.x, placed._42 = at.y, placed._43 = at.z;
    return attachRigidBodyWithMatrix(body, placed * world_.Inverse(), flag1, flag2, flag3);
}

int CSceneFrame::attachRigidBodyWithMatrix(IPhysicsRigidBody* body, const Matrix4x4& matrix, int flag1, int flag2,
                                           int flag3)
{
    body_ = Ref<IPhysicsRigidBody>(body);
    bodyMatrix_ = body ? matrix : Matrix4x4();
    flags_[0] = uint32_t(flag1), flags_[1] = uint32_t(flag2), flags_[2] = uint32_t(flag3);
    return 0;
}

IPhysicsRigidBody* CSceneFrame::getRigidBody()
{
    if (body_)
        body_->addRef();
    return body_.get();
}

void CSceneFrame::link(CSceneFrame* parent)
{
    parent_ = parent;
    if (parent)
        parent->children_.push_back(this);
}

void CSceneFrame::orphan()
{
    parent_ = nullptr;
    children_.clear();
    body_.reset();
}

} // namespace Kavro
