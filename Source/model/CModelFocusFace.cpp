#include "model/CModelFocusFace.h"

#include "model/CModelFaceActionOwner.h"

#include <kavro/ISceneFrame.h>
#include <kavro/Quaternion.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Orvane
{

using Kavro::ISceneFrame;
using Kavro::Matrix4x4;
using Kavro::Vector3D;

namespace
{

constexpr float SmallestNormal = 1.17549435e-38f;
constexpr float DegreesPerRadian = 57.2957802f;
// The most a frame turns per frame: arccos(0.98), about 11.48 degrees.
constexpr float MostCosine = 0.98f;

struct Aim
{
    Vector3D direction;
    Vector3D forward;
};

// The way to the target from position and the way the frame under parent faces, both in parent's space.
Aim aimFrom(const Vector3D& position, const Matrix4x4& parentRest, const Matrix4x4& parentWorld,
            const Vector3D& target)
{
    Aim aim;
    aim.direction = (target - position).GetNormalize();
    aim.forward = Vector3D(0.0f, 0.0f, -1.0f).TransformNormal(RestToPose(parentRest, parentWorld));
    const Matrix4x4 back = RotationPart(parentWorld.Inverse());
    aim.direction = aim.direction.TransformNormal(back).GetNormalize();
    aim.forward = aim.forward.TransformNormal(back).GetNormalize();
    return aim;
}

} // namespace

void CModelFocusFace::apply()
{
    const float w = weightValue();
    ISceneFrame* head = owner ? owner->getFrame_Head() : nullptr;
    if (w == 0.0f || !head)
        return;
    ISceneFrame* neck = head->getParent();
    ISceneFrame* root = owner->getFrame_SpineRoot();
    if (!root || !neck)
    {
        turnFrame(neck, 1.0f);
        turnFrame(head, 1.0f);
        return;
    }
    // The spine between the root and the neck, from the top down; a chain that never meets the root
    // turns nothing.
    std::vector<ISceneFrame*> spine;
    for (ISceneFrame* frame = neck->getParent(); frame != root; frame = frame->getParent())
    {
        if (!frame)
            return;
        spine.push_back(frame);
    }
    std::reverse(spine.begin(), spine.end());

    // A root without a parent faces the model's own forward direction.
    ISceneFrame* below = root->getParent();
    const Aim aim = aimFrom(root->getWorldMatrix().GetPosition(), below ? below->getRestMatrix() : Matrix4x4(),
                            below ? below->getWorldMatrix() : Matrix4x4(), target);
    const float angle = std::acos(std::clamp(aim.forward.Dot(aim.direction), -1.0f, 1.0f));
    // No spine turn within 30 degrees of the root's forward direction, all of it from 60 on.
    const float share = std::clamp((angle - 0.52359879f) * 1.9098593f, 0.0f, 1.0f);
    for (ISceneFrame* frame : spine)
        turnFrame(frame, share);
    turnFrame(neck, 1.0f);
    turnFrame(head, 1.0f);
}

void CModelFocusFace::turnFrame(ISceneFrame* frame, float share)
{
    const float w = weightValue();
    ISceneFrame* parent = frame ? frame->getParent() : nullptr;
    if (!parent || w == 0.0f)
        return;
    const Matrix4x4 parentWorld = parent->getWorldMatrix();
    const Matrix4x4 parentRest = parent->getRestMatrix();
    const Matrix4x4 world = frame->getWorldMatrix();
    const Aim aim = aimFrom(world.GetPosition(), parentRest, parentWorld, target);

    Vector3D scale, translation;
    Matrix4x4 localRotation;
    (world * parentWorld.Inverse()).Dissolution(&scale, &localRotation, &translation);
    const Matrix4x4 rest = RotationPart(parentRest).Inverse() * RotationPart(frame->getRestMatrix());

    Vector3D axis = aim.forward.Cross(aim.direction);
    const float c = aim.forward.Dot(aim.direction);
    // Straight ahead or straight behind: no way to turn.
    if (axis.LengthSq() <= SmallestNormal)
        return;
    float amount = w;
    if (c < 0.0f)
        amount *= c + 1.0f; // a target behind fades the turn out
    const float t = share * amount;
    const float angle = std::acos(std::clamp(c, MostCosine, 1.0f));
    axis.Normalize();
    const Matrix4x4 goal = rest * Matrix4x4::GetRotationAxis(angle * DegreesPerRadian, axis);

    Kavro::Quaternion from, to;
    from.FromMatrix(localRotation);
    to.FromMatrix(goal);
    Matrix4x4 local = Matrix4x4::GetScaling(scale.x, scale.y, scale.z) *
                      Matrix4x4().RotationQuaternion(Kavro::Quaternion::Slerp(from, to, t));
    local._41 = translation.x;
    local._42 = translation.y;
    local._43 = translation.z;
    const Matrix4x4 turned = local * parentWorld;
    frame->setWorldMatrix(turned, turned, 1);
}

} // namespace Orvane
