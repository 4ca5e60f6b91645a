#pragma once

namespace Kavro::detail
{

constexpr float Pi = 3.14159265358979323846f;
constexpr float toRadians(float degrees) { return degrees * (Pi / 180.0f); }

} // namespace Kavro::detail
