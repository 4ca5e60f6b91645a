#pragma once

namespace Orvane
{

// The script-global functions, the value classes, every script class and the math functions,
// registered into the framework's current machine; run by the host for every new machine.
void RegisterScriptGlobals();

} // namespace Orvane
