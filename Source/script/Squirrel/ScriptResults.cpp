#include "script/Squirrel/ScriptResults.h"

#include "script/CSquirrel.h"

namespace Orvane::Squirrel
{

namespace
{

// SQMATH_RET_1 among the host's scratch values.
constexpr int FirstResultValue = 14;
constexpr int ResultCount = 4;
// SQMATH_V3_1_X and SQMATH_V3_2_X among the host's scratch values.
constexpr int FirstInputVector = 0;
constexpr int SecondInputVector = 3;

} // namespace

void SetScriptResults(std::initializer_list<float> values)
{
    CSquirrel* host = CSquirrel::get();
    if (!host)
        return;
    int at = 0;
    for (float value : values)
        if (at < ResultCount)
            host->mathValue(FirstResultValue + at++) = value;
    while (at < ResultCount)
        host->mathValue(FirstResultValue + at++) = 0.0f;
}

Kavro::Vector3D ScriptInputVector(int n)
{
    CSquirrel* host = CSquirrel::get();
    if (!host || (n != 1 && n != 2))
        return {};
    const int at = n == 1 ? FirstInputVector : SecondInputVector;
    return {host->mathValue(at), host->mathValue(at + 1), host->mathValue(at + 2)};
}

} // namespace Orvane::Squirrel
