#pragma once

namespace Orvane
{

// The SQMATH_ functions: operands from the host's scratch values SQMATH_V3_1_X .. SQMATH_Q_2_W,
// results into SQMATH_RET_1 and following.
void RegisterScriptMathFunctions();

} // namespace Orvane
