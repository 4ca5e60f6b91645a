#include "core/SharedFunctions.h"

#include <kavro/Matrix4x4.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace Orvane;

TEST(SharedFunctions, FileNameFromPath)
{
    struct Case
    {
        std::string path;
        bool strip;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"model.pmx", false, "model.pmx"},
        {"data/model/chara.pmx", false, "chara.pmx"},
        {"data\\model\\chara.pmx", true, "chara"},
        {"data/mixed\\dir/a.b.c", true, "a"},
        {"data/mixed\\dir/a.b.c", false, "a.b.c"},
        {"data/model/", false, ""},
        {"", true, ""},
        {"noext", true, "noext"},
        {std::string(5000, 'd') + "/" + std::string(3000, 'n') + ".txt", true, std::string(3000, 'n')},
    };
    for (const auto& c : cases)
    {
        std::string result = "stale";
        getFileNameFromPath(c.path, result, c.strip);
        EXPECT_EQ(result, c.expected) << c.path.substr(0, 40);
    }
}

TEST(SharedFunctions, EulerAnglesOfKnownRotations)
{
    const std::vector<Kavro::Vector3D> rotations = {
        {0, 0, 0}, {30, 0, 0}, {0, 45, 0}, {0, 0, 60}, {30, 45, 60}, {-20, 170, -100}, {10, -30, 135}, {-80, 5, 95},
    };
    for (const auto& r : rotations)
    {
        Kavro::Vector3D angles(99, 99, 99);
        matrixToEulerDegrees(Kavro::Matrix4x4::GetRotationZXY(r.x, r.y, r.z), angles);
        // The third angle comes out in [-90, 270]: compare angles as turns.
        EXPECT_NEAR(angles.x, r.x, 1e-3) << r.x << " " << r.y << " " << r.z;
        EXPECT_NEAR(std::remainder(angles.y - r.y, 360.0f), 0.0f, 1e-3) << r.x << " " << r.y << " " << r.z;
        EXPECT_NEAR(std::remainder(angles.z - r.z, 360.0f), 0.0f, 1e-3) << r.x << " " << r.y << " " << r.z;
    }
    Kavro::Vector3D identity(1, 1, 1);
    matrixToEulerDegrees(Kavro::Matrix4x4(), identity);
    EXPECT_EQ(identity, Kavro::Vector3D(0, 0, 0));
}

TEST(SharedFunctions, EulerAnglesStayFiniteWhenRoundingLeavesTheSineRange)
{
    for (const float sine : {1.0000001f, -1.0000001f, 1.0f})
    {
        Kavro::Matrix4x4 m;
        m.m[2][1] = sine; // a pole whose sine rounded past 1
        m.m[1][1] = 0.0f;
        m.m[2][2] = 0.0f;
        Kavro::Vector3D angles;
        matrixToEulerDegrees(m, angles);
        EXPECT_FALSE(std::isnan(angles.x) || std::isnan(angles.y) || std::isnan(angles.z)) << sine;
        EXPECT_NEAR(std::fabs(angles.x), 90.0f, 1e-3);
        EXPECT_EQ(angles.z, 0.0f);
    }
    // Away from the pole, m[0][1] / cos can round past 1 too.
    Kavro::Matrix4x4 m;
    m.m[2][1] = 0.5f;
    m.m[0][1] = 0.8660255f * 1.0000002f;
    Kavro::Vector3D angles;
    matrixToEulerDegrees(m, angles);
    EXPECT_FALSE(std::isnan(angles.z));
    EXPECT_NEAR(angles.z, 90.0f, 1e-3);
}

TEST(SharedFunctions, PolesGiveAnEquivalentRotation)
{
    Kavro::Vector3D angles;
    const auto m = Kavro::Matrix4x4::GetRotationZXY(90, 30, 20);
    matrixToEulerDegrees(m, angles);
    const auto back = Kavro::Matrix4x4::GetRotationZXY(angles.x, angles.y, angles.z);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(back.m[r][c], m.m[r][c], 1e-3) << r << "," << c;
}

TEST(SharedFunctions, ParentWorldMatrix)
{
    Kavro::Matrix4x4 out = Kavro::Matrix4x4::GetTranslation(1, 2, 3);
    getParentWorldMatrix(nullptr, out);
    EXPECT_EQ(out, Kavro::Matrix4x4());
    const auto parent = Kavro::Matrix4x4::GetRotationZ(30) * Kavro::Matrix4x4::GetTranslation(5, 6, 7);
    getParentWorldMatrix(&parent, out);
    EXPECT_EQ(out, parent);
}
