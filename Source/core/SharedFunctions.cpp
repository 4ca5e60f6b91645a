#include "core/SharedFunctions.h"

#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

constexpr float DegreesPerRadian = 57.29578f;
constexpr float Pi = 3.1415927f;

// Rounding can carry a sine just outside [-1, 1], where asin answers NaN.
float clampedAsin(float value)
{
    return std::asin(std::clamp(value, -1.0f, 1.0f));
}

} // namespace

void getFileNameFromPath(const std::string& path, std::string& result, bool stripExtension)
{
    const size_t separator = path.find_last_of("/\\");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    if (stripExtension)
        name = name.substr(0, name.find('.'));
    result = std::move(name);
}

void matrixToEulerDegrees(const Kavro::Matrix4x4& m, Kavro::Vector3D& angles)
{
    const float a = clampedAsin(m.m[2][1]);
    const float c = std::cos(a);
    float angle1, angle2;
    if (std::fabs(c) < 0.001f)
    {
        angle1 = std::atan2(-m.m[0][2], m.m[0][0]);
        angle2 = 0.0f;
    }
    else
    {
        angle1 = std::atan2(m.m[2][0], m.m[2][2]);
        angle2 = clampedAsin(m.m[0][1] / c);
        if (m.m[1][1] < 0.0f)
            angle2 = Pi - angle2;
    }
    angles = Kavro::Vector3D(-a * DegreesPerRadian, angle1 * DegreesPerRadian, angle2 * DegreesPerRadian);
}

void getParentWorldMatrix(const Kavro::Matrix4x4* parentWorld, Kavro::Matrix4x4& out)
{
    if (parentWorld)
        out = *parentWorld;
    else
        out.Identity();
}

} // namespace Orvane
