#pragma once

#include <kavro/CRandom.h>

#include <string>

namespace Orvane
{

// The process's one generator behind RandomI and RandomF; seeded from the clock at every registration.
Kavro::CRandom& globalRandom();
void seedGlobalRandom();
// The temporary-path root: empty, as nothing sets it.
const std::string& getTempPathRoot();

// The script-global functions after Suspend: random numbers, the screen size, SystemCall, text
// counting, the path roots, file operations, CompareSqObject and the NG-code sets.
void RegisterGlobalFunctions();
// Every script class of the engine that exists, in the order of registration.
void RegisterScriptClasses();

} // namespace Orvane
