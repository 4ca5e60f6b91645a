#include "script/Squirrel/ScriptResults.h"

#include "script/CSquirrel.h"

namespace Orvane::Squirrel
{

namespace
{

// SQMATH_RET_1 among the host's scratch values.
constexpr int FirstResultValue = 14;
constexpr int ResultCount = 4;

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

} // namespace Orvane::Squirrel
