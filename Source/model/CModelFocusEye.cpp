#include "model/CModelFocusEye.h"

#include "model/CModelFaceActionOwner.h"

#include <kavro/ISceneFrame.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

using Kavro::ISceneFrame;
using Kavro::Matrix4x4;
using Kavro::Vector3D;

void CModelFocusEye::apply()
{
    const float w = weightValue();
    ISceneFrame* left = owner ? owner->getFrame_EyeL() : nullptr;
    ISceneFrame* right = owner ? owner->getFrame_EyeR() : nullptr;
    if (w == 0.0f || !left || !right)
        return;
    const Vector3D middle = (left->getWorldMatrix().GetPosition() + right->getWorldMatrix().GetPosition()) * 0.5f;
    const Vector3D direction = (target - middle).GetNormalize();
    for (ISceneFrame* eye : {left, right})
    {
        ISceneFrame* parent = eye->getParent();
        if (!parent)
            continue;
        const Matrix4x4 parentWorld = parent->getWorldMatrix();
        const Matrix4x4 pose = RestToPose(parent->getRestMatrix(), parentWorld);
        Vector3D forward = Vector3D(0.0f, 0.0f, -1.0f).TransformNormal(pose);
        Vector3D side = Vector3D(1.0f, 0.0f, 0.0f).TransformNormal(pose);
        Vector3D up = Vector3D(0.0f, 1.0f, 0.0f).TransformNormal(pose);
        Matrix4x4 local = eye->getWorldMatrix() * parentWorld.Inverse();

        const Matrix4x4 back = RotationPart(parentWorld.Inverse());
        Vector3D d = direction.TransformNormal(back).GetNormalize();
        forward = forward.TransformNormal(back);
        side = side.TransformNormal(back);
        up = up.TransformNormal(back);

        // Onto the plane one unit ahead, stretched by at most the square root of 2.
        d /= std::clamp(std::fabs(d.Dot(forward)), 0.70710677f, 1.0f);
        d -= forward * d.Dot(forward);
        const float x = d.Dot(side);
        d -= side * x;
        d += side * std::clamp(x, lowerLimit.x, upperLimit.x);
        const float y = d.Dot(up);
        d -= up * y;
        d += up * std::clamp(y, lowerLimit.y, upperLimit.y);

        local._41 += d.x * w;
        local._42 += d.y * w;
        local._43 += d.z * w;
        const Matrix4x4 moved = local * parentWorld;
        eye->setWorldMatrix(moved, moved, 1);
    }
}

} // namespace Orvane
