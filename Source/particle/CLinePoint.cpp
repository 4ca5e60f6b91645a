#include "particle/CLinePoint.h"

#include "particle/CLine.h"

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;

template <class T> void startAt(CInterpolator<T>& interpolator, const T& value)
{
    interpolator.set(value, value, 0, 0);
}

// How much the parent's scale differs from the line's; a parent without scale on an axis leaves it as it is.
float scaleRatio(float lineScale, float parentScale)
{
    return parentScale != 0.0f ? lineScale / parentScale : 1.0f;
}

} // namespace

CLinePoint::CLinePoint(CLine& owner) : CFrame({}, &owner), line(owner)
{
    startAt(fade, 1.0f);
    startAt(move, Vector3D());
    startAt(color, Vector3D(1.0f, 1.0f, 1.0f));
}

int CLinePoint::updateWorldMatrix()
{
    const Matrix4x4 before = world;
    const Vector2D view = getParentViewSize();
    const Vector3D& s = line.pixelScale;
    const Vector3D& p = move.value;
    // Scaled about the view's centre, so that the view's middle stays where it is whatever the scale.
    const float x = p.x * s.x + (view.x - s.x * view.x) / 2.0f;
    const float y = p.y * s.y + (view.y - s.y * view.y) / 2.0f;
    local = Matrix4x4::GetTranslation(x, -y, p.z) * Matrix4x4::GetTranslation(-view.x / 2.0f, view.y / 2.0f, 0.0f);
    if (CFrame* parent = getParent())
    {
        world = local * parent->world;
        // The parent's own offset is carried over at the line's scale, not the parent's.
        const Vector3D pp = parent->world.GetPosition();
        const Vector3D ps = parent->getWorldScale();
        const Vector3D k(scaleRatio(s.x, ps.x), scaleRatio(s.y, ps.y), scaleRatio(s.z, ps.z));
        world *= Matrix4x4::GetTranslation(pp.x * k.x - pp.x, pp.y * k.y - pp.y, pp.z * k.z - pp.z);
    }
    else
    {
        world = local;
    }
    if (!(world == before))
        line.setDirty();
    for (CFrame* child : getChildren())
        child->updateWorldMatrix();
    return 0;
}

Vector2D CLinePoint::getViewSize()
{
    return {};
}

Vector3D CLinePoint::getWorldScale()
{
    return getParent() ? getParent()->getWorldScale() : Vector3D(1.0f, 1.0f, 1.0f);
}

} // namespace Orvane
