#include <kavro/Matrix4x4.h>
#include <kavro/Vector4D.h>

#include <gtest/gtest.h>

using Kavro::Matrix4x4;
using Kavro::Vector3D;

namespace
{

void expectNear(const Matrix4x4& a, const Matrix4x4& b, float eps = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "at row " << r << " column " << c;
}

void expectNear(const Vector3D& a, const Vector3D& b, float eps = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

} // namespace

TEST(Matrix4x4, DefaultIsIdentityAndRowVectorsComposeLeftToRight)
{
    EXPECT_EQ(Matrix4x4(), Matrix4x4().Identity());
    // Scale by 2, then move by (1, 0, 0): the point (1, 1, 1) goes to (3, 2, 2).
    const Matrix4x4 m = Matrix4x4::GetScaling(2, 2, 2) * Matrix4x4::GetTranslation(1, 0, 0);
    expectNear(Vector3D(1, 1, 1).TransformCoord(m), Vector3D(3, 2, 2));
}

TEST(Matrix4x4, SingleRotationsAreLeftHandedDegrees)
{
    struct Case
    {
        Matrix4x4 m;
        Vector3D in, out;
    } cases[] = {
        {Matrix4x4::GetRotationX(90), {0, 1, 0}, {0, 0, 1}},
        {Matrix4x4::GetRotationY(90), {0, 0, 1}, {1, 0, 0}},
        {Matrix4x4::GetRotationZ(90), {1, 0, 0}, {0, 1, 0}},
        {Matrix4x4::GetRotationAxis(90, {0, 0, 2}), {1, 0, 0}, {0, 1, 0}},
    };
    for (const auto& c : cases)
        expectNear(c.in.TransformCoord(c.m), c.out);
}

TEST(Matrix4x4, RotationZXYIsProductOfSingleRotations)
{
    const float angles[][3] = {{30, 45, 60}, {-10, 170, 95}, {90, 0, 0}, {0, -90, 33}};
    for (const auto& a : angles)
    {
        const Matrix4x4 expected =
            Matrix4x4::GetRotationZ(a[2]) * Matrix4x4::GetRotationX(a[0]) * Matrix4x4::GetRotationY(a[1]);
        expectNear(Matrix4x4::GetRotationZXY(a[0], a[1], a[2]), expected);
    }
}

TEST(Matrix4x4, InverseOfHandComputedMatrix)
{
    // Scaling(2, 4, 8) then Translation(1, 2, 3): the inverse undoes the move, then the scale.
    const Matrix4x4 m = Matrix4x4::GetScaling(2, 4, 8) * Matrix4x4::GetTranslation(1, 2, 3);
    const Matrix4x4 expected(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1);
    bool ok = false;
    expectNear(m.Inverse(&ok), expected);
    EXPECT_TRUE(ok);

    const Matrix4x4 general = Matrix4x4::GetRotationZXY(20, 30, 40) * Matrix4x4::GetTranslation(5, -6, 7) *
                              Matrix4x4().Perspective(60, 1.5f, 0.1f, 100);
    expectNear(general * general.Inverse(), Matrix4x4(), 1e-4f);
}

TEST(Matrix4x4, SingularInverseReportsFailure)
{
    bool ok = true;
    const Matrix4x4 inv = Matrix4x4::GetScaling(1, 0, 1).Inverse(&ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(inv, Matrix4x4());
}

TEST(Matrix4x4, LookAtHandComputed)
{
    // Eye at (0, 0, -5) looking at the origin: view space is world space moved 5 along z.
    Matrix4x4 view;
    view.LookAt({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
    expectNear(view, Matrix4x4::GetTranslation(0, 0, 5));

    // Eye at (3, 0, 0) looking at the origin: the view's z axis is world -x, its x axis world +z.
    view.LookAt({3, 0, 0}, {0, 0, 0}, {0, 1, 0});
    const Matrix4x4 expected(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 3, 1);
    expectNear(view, expected);
    expectNear(Vector3D(0, 0, 0).TransformCoord(view), Vector3D(0, 0, 3));
}

TEST(Matrix4x4, ProjectionsMapDepthToZeroOne)
{
    Matrix4x4 p;
    p.Perspective(90, 1, 1, 10);
    expectNear(Vector3D(0, 0, 1).TransformCoord(p), Vector3D(0, 0, 0));
    expectNear(Vector3D(0, 0, 10).TransformCoord(p), Vector3D(0, 0, 1));
    expectNear(Vector3D(1, 1, 1).TransformCoord(p), Vector3D(1, 1, 0));

    Matrix4x4 o;
    o.Ortho(200, 100, 0, 10);
    expectNear(Vector3D(100, 50, 10).TransformCoord(o), Vector3D(1, 1, 1));
}

TEST(Matrix4x4, TransposedAndNormals)
{
    const Matrix4x4 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m.Transposed().m[0][3], 13);
    EXPECT_EQ(m.Transposed().Transposed(), m);
    // Directions ignore translation.
    expectNear(Vector3D(1, 0, 0).TransformNormal(Matrix4x4::GetTranslation(5, 5, 5)), Vector3D(1, 0, 0));
    const Kavro::Vector4D v = Kavro::Vector4D(1, 2, 3, 1).Transform(Matrix4x4::GetTranslation(1, 1, 1));
    EXPECT_EQ(v, Kavro::Vector4D(2, 3, 4, 1));
}

TEST(Matrix4x4, Homographic2DCarriesEachCornerToCornerPlusOffset)
{
    const Kavro::Vector2D q[4] = {{0, 0}, {100, 0}, {0, 50}, {100, 50}};
    const Kavro::Vector2D cases[][4] = {
        {{0, 0}, {0, 0}, {0, 0}, {0, 0}},          // none: the identity
        {{10, 0}, {0, 5}, {-3, 4}, {7, -2}},       // a true projective map
        {{5, 5}, {5, 5}, {5, 5}, {5, 5}},          // all the same: a translation
        {{0, 0}, {40, 0}, {0, 0}, {40, 0}},        // a stretch to the right
    };
    for (const auto& d : cases)
    {
        const Matrix4x4 h = Matrix4x4().Homographic2D(q, d);
        for (int i = 0; i < 4; ++i)
        {
            const Vector3D p = Vector3D(q[i].x, q[i].y, 0).TransformCoord(h);
            EXPECT_NEAR(p.x, q[i].x + d[i].x, 1e-3f) << i;
            EXPECT_NEAR(p.y, q[i].y + d[i].y, 1e-3f) << i;
        }
    }
    // Straight lines stay straight: the middle of the top edge stays on the moved top edge.
    const Kavro::Vector2D d[4] = {{10, 0}, {0, 5}, {-3, 4}, {7, -2}};
    const Matrix4x4 h = Matrix4x4().Homographic2D(q, d);
    const Vector3D mid = Vector3D(50, 0, 0).TransformCoord(h);
    // The top edge runs from (10, 0) to (100, 5).
    const float crossProduct = 90.0f * mid.y - 5.0f * (mid.x - 10.0f);
    EXPECT_NEAR(crossProduct / 90.0f, 0.0f, 1e-3f);
    EXPECT_GT(mid.x, 10.0f);
    EXPECT_LT(mid.x, 100.0f);
    // Three corners on one line have no such map: the identity.
    const Kavro::Vector2D line[4] = {{0, 0}, {1, 0}, {2, 0}, {3, 1}};
    EXPECT_EQ(Matrix4x4().Homographic2D(line, cases[0]), Matrix4x4());
}

TEST(Matrix4x4, DissolutionGivesBackScaleRotationAndTranslation)
{
    struct Case
    {
        Vector3D scale, angles, translation;
    };
    const Case cases[] = {
        {{1, 1, 1}, {0, 0, 0}, {0, 0, 0}},
        {{2, 3, 4}, {30, 45, 60}, {1, -2, 3}},
        {{0.5f, 1, 7}, {-80, 170, -10}, {100, 0, -50}},
        {{0.01f, 2, 0.3f}, {89, -89, 0}, {0, 5, 0}},
        {{5, 5, 0.2f}, {0, 179, -179}, {-3, -3, -3}},
        {{1.5f, 0.25f, 1}, {12.5f, -33, 271}, {0.5f, 0.25f, 8}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale.x << " " << c.scale.y << " " << c.scale.z
                                        << ", angles " << c.angles.x << " " << c.angles.y << " " << c.angles.z);
        const Matrix4x4 rotation = Matrix4x4::GetRotationZXY(c.angles.x, c.angles.y, c.angles.z);
        const Matrix4x4 m = Matrix4x4::GetScaling(c.scale.x, c.scale.y, c.scale.z) * rotation *
                            Matrix4x4::GetTranslation(c.translation.x, c.translation.y, c.translation.z);
        Vector3D scale, translation;
        Matrix4x4 split;
        m.Dissolution(&scale, &split, &translation);
        expectNear(scale, c.scale);
        expectNear(split, rotation);
        expectNear(translation, c.translation);
    }
}

TEST(Matrix4x4, DissolutionOfMirrorAndFlatMatricesStillRecomposes)
{
    // A mirror cannot come back as it was made, but the parts must still multiply to the matrix with a
    // proper rotation; a flattened axis gives a zero scale and a rotation all the same.
    const Matrix4x4 matrices[] = {
        Matrix4x4::GetScaling(-2, 1, 1) * Matrix4x4::GetRotationZXY(10, 20, 30) * Matrix4x4::GetTranslation(1, 2, 3),
        Matrix4x4::GetScaling(1, 1, -3) * Matrix4x4::GetRotationZXY(-40, 5, 90),
        Matrix4x4::GetScaling(2, 0, 1) * Matrix4x4::GetRotationZXY(0, 90, 0),
    };
    for (const Matrix4x4& m : matrices)
    {
        Vector3D scale, translation;
        Matrix4x4 rotation;
        m.Dissolution(&scale, &rotation, &translation);
        EXPECT_NEAR(rotation.Determinant(), 1.0f, 1e-5f);
        expectNear(Matrix4x4::GetScaling(scale.x, scale.y, scale.z) * rotation *
                       Matrix4x4::GetTranslation(translation.x, translation.y, translation.z),
                   m);
    }
    Vector3D scale;
    Matrix4x4::GetScaling(2, 3, 4).Dissolution(&scale, nullptr, nullptr);
    expectNear(scale, {2, 3, 4});
}
