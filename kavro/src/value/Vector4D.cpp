#include "kavro/Vector4D.h"

#include "kavro/Matrix4x4.h"

namespace Kavro
{

Vector4D Vector4D::Transform(const Matrix4x4& m) const
{
    return {x * m._11 + y * m._21 + z * m._31 + w * m._41, x * m._12 + y * m._22 + z * m._32 + w * m._42,
            x * m._13 + y * m._23 + z * m._33 + w * m._43, x * m._14 + y * m._24 + z * m._34 + w * m._44};
}

Vector4D Vector4D::TransformCoord(const Matrix4x4& m) const
{
    const Vector4D p = Transform(m);
    return p.w != 0.0f ? p / p.w : p;
}

} // namespace Kavro
