#pragma once

#include <kavro/Vector3D.h>

#include <cstdint>
#include <initializer_list>

namespace Orvane::Squirrel
{

// A vector, colour or rectangle result of a script method: its components go to SQMATH_RET_1 and on, and
// those of the four not given become 0.0.
void SetScriptResults(std::initializer_list<float> values);
// The vector a script left in SQMATH_V3_<n>_X .. _Z (n 1 or 2); zeros without a host.
Kavro::Vector3D ScriptInputVector(int n);

// A script's duration in milliseconds: a negative one means at once, not a wait of billions of milliseconds.
inline uint32_t ScriptTime(int32_t time)
{
    return time > 0 ? uint32_t(time) : 0u;
}

} // namespace Orvane::Squirrel
