#include <kavro/Matrix4x4.h>
#include <kavro/Quaternion.h>

#include <gtest/gtest.h>

using Kavro::Matrix4x4;
using Kavro::Quaternion;

namespace
{

void expectNear(const Matrix4x4& a, const Matrix4x4& b, float eps = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at row " << r << " column " << c;
}

} // namespace

TEST(Quaternion, AxisAngleMatchesMatrixRotations)
{
    expectNear(Quaternion::GetRotationAxis({1, 0, 0}, 35).ToMatrix(), Matrix4x4::GetRotationX(35));
    expectNear(Quaternion::GetRotationAxis({0, 1, 0}, -80).ToMatrix(), Matrix4x4::GetRotationY(-80));
    expectNear(Quaternion::GetRotationAxis({0, 0, 1}, 120).ToMatrix(), Matrix4x4::GetRotationZ(120));
}

TEST(Quaternion, MulComposesInMatrixOrder)
{
    const Quaternion a = Quaternion::GetRotationAxis({1, 0, 0}, 30);
    const Quaternion b = Quaternion::GetRotationAxis({0, 1, 0}, 50);
    expectNear(Quaternion::Mul(a, b).ToMatrix(), a.ToMatrix() * b.ToMatrix());
    expectNear(Quaternion().RotationXYZ(10, 20, 30).ToMatrix(),
               Matrix4x4::GetRotationX(10) * Matrix4x4::GetRotationY(20) * Matrix4x4::GetRotationZ(30));
}

TEST(Quaternion, FromMatrixRoundTrips)
{
    const float angles[][3] = {{10, 20, 30}, {170, -40, 5}, {0, 180, 0}, {-90, 0, 179}};
    for (const auto& a : angles)
    {
        const Matrix4x4 m = Matrix4x4::GetRotationZXY(a[0], a[1], a[2]);
        expectNear(Quaternion().FromMatrix(m).ToMatrix(), m);
    }
}

TEST(Quaternion, SlerpEndsAndMidpoint)
{
    const Quaternion a = Quaternion::GetRotationAxis({0, 0, 1}, 0);
    const Quaternion b = Quaternion::GetRotationAxis({0, 0, 1}, 90);
    expectNear(Quaternion::Slerp(a, b, 0).ToMatrix(), a.ToMatrix());
    expectNear(Quaternion::Slerp(a, b, 1).ToMatrix(), b.ToMatrix());
    expectNear(Quaternion::Slerp(a, b, 0.5f).ToMatrix(), Matrix4x4::GetRotationZ(45));
}
