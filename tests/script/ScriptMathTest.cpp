// The SQMATH_ functions: operands from the scratch globals, results into SQMATH_RET_*.
#include "ScriptHostFixture.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Quaternion.h>
#include <kavro/Vector3D.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::ScriptHostFixture;

namespace
{

// Position of SQMATH_RET_1 among the scratch values.
constexpr int Ret = 14;

struct MathCase
{
    const char* function;
    std::vector<float> operands; // the first fourteen scratch values
    std::vector<float> expected; // SQMATH_RET_1 onwards
};

std::vector<float> ops(Kavro::Vector3D v1, Kavro::Vector3D v2, Kavro::Quaternion q1 = {0, 0, 0, 0},
                       Kavro::Quaternion q2 = {0, 0, 0, 0})
{
    return {v1.x, v1.y, v1.z, v2.x, v2.y, v2.z, q1.x, q1.y, q1.z, q1.w, q2.x, q2.y, q2.z, q2.w};
}

std::vector<float> values(Kavro::Vector3D v) { return {v.x, v.y, v.z}; }
std::vector<float> values(Kavro::Quaternion q) { return {q.x, q.y, q.z, q.w}; }

class ScriptMath : public ScriptHostFixture
{
};

} // namespace

TEST_F(ScriptMath, EveryFunction)
{
    const Kavro::Vector3D a(1, 2, 3), b(-4, 0.5f, 2), axis(0, 0, 1);
    const Kavro::Quaternion p(0.1f, 0.2f, 0.3f, 0.9f), q(-0.5f, 0.5f, 0.25f, 0.5f);
    const Kavro::Quaternion unit = p.GetNormalize();
    const std::vector<MathCase> cases = {
        {"SQMATH_V3_Add", ops({1, 0, 0}, {2, 0, 0}), {3, 0, 0}},
        {"SQMATH_V3_Sub", ops(a, b), values(a - b)},
        {"SQMATH_V3_Dot", ops(a, b), {a.Dot(b)}},
        {"SQMATH_V3_Cross", ops({1, 0, 0}, {0, 1, 0}), {0, 0, 1}},
        {"SQMATH_V3_MulS", ops(a, {2, 7, 9}), {2, 4, 6}}, // only the second vector's x counts
        {"SQMATH_V3_DivS", ops(a, {2, 7, 9}), {0.5f, 1, 1.5f}},
        {"SQMATH_V3_Norm", ops({3, 4, 0}, {}), {0.6f, 0.8f, 0}},
        {"SQMATH_V3_LenSq", ops({3, 4, 0}, {}), {25}},
        {"SQMATH_V3_Len", ops({3, 4, 0}, {}), {5}},
        {"SQMATH_V3_RotZXY", ops(a, {10, 20, 30}), values(a.TransformCoord(Kavro::Matrix4x4::GetRotationZXY(10, 20, 30)))},
        {"SQMATH_V3_RotAxis", ops({1, 0, 0}, axis, {90, 0, 0, 0}), values(Kavro::Vector3D(1, 0, 0).RotationAxis(90, axis))},
        {"SQMATH_V3_RotQ", ops(a, {}, unit), values(a.TransformCoord(unit.ToMatrix()))},
        {"SQMATH_Q_Add", ops({}, {}, p, q), values(Kavro::Quaternion::Add(p, q))},
        {"SQMATH_Q_Sub", ops({}, {}, p, q), values(Kavro::Quaternion::Sub(p, q))},
        {"SQMATH_Q_Mul", ops({}, {}, p, q), values(Kavro::Quaternion::Mul(p, q))},
        {"SQMATH_Q_Dot", ops({}, {}, p, q), {p.Dot(q)}},
        {"SQMATH_Q_Norm", ops({}, {}, p), values(unit)},
        {"SQMATH_Q_LenSq", ops({}, {}, p), {p.LengthSq()}},
        {"SQMATH_Q_Len", ops({}, {}, p), {p.Length()}},
        {"SQMATH_Q_Conj", ops({}, {}, p), {-0.1f, -0.2f, -0.3f, 0.9f}},
        {"SQMATH_Q_RotXYZ", ops({10, 20, 30}, {}), values(Kavro::Quaternion().RotationXYZ(10, 20, 30))},
        {"SQMATH_Q_RotAxis", ops(axis, {45, 0, 0}), values(Kavro::Quaternion().RotationAxis(axis, 45))},
    };
    CSquirrel& squirrel = startHost();
    for (const MathCase& entry : cases)
    {
        for (int i = 0; i < CSquirrel::MathValueCount; ++i)
            squirrel.mathValue(i) = i < 14 ? entry.operands[size_t(i)] : 99.0f;
        ASSERT_EQ(runSnippet(std::string(entry.function) + "()"), "") << entry.function;
        for (size_t i = 0; i < entry.expected.size(); ++i)
            EXPECT_NEAR(squirrel.mathValue(Ret + int(i)), entry.expected[i], 1e-5f) << entry.function << " " << i;
        // Results only overwrite what they name; the operands are never changed.
        EXPECT_EQ(squirrel.mathValue(Ret + int(entry.expected.size())), 99.0f) << entry.function;
        for (int i = 0; i < 14; ++i)
            EXPECT_EQ(squirrel.mathValue(i), entry.operands[size_t(i)]) << entry.function;
    }
}

TEST_F(ScriptMath, ScriptsWriteOperandsAndReadResults)
{
    startHost();
    EXPECT_EQ(eval("(function() { SQMATH_V3_1_X = 1; SQMATH_V3_2_X = 2; SQMATH_RET_4 = 7;"
                   " SQMATH_V3_Add(); return SQMATH_RET_1 + \" \" + SQMATH_RET_2 + \" \" + SQMATH_RET_3"
                   " + \" \" + SQMATH_RET_4 })()"),
              "3 0 0 7");
}
