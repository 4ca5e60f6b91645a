#pragma once

#include "script/SquirrelObject.h"

#include <squirrel.h>

namespace Orvane
{

// The game's own script registrations: ConvertW1CalcString, CheckFileExists, SQW1ScriptReader and
// SQIniFileReader. Put on the script host's registration list at start-up.
void RegisterGameScriptFunctions(HSQUIRRELVM vm);

// Splits a calculation or condition text at its first operator character ("+-*/%=!<>") into
// [operator or null, left operand, right operand]; operands made only of digits become integers
// (at most 2147483647), TRUE and FALSE in any case 1 and 0, empty ones null.
SquirrelObject ConvertW1CalcString(const char* text);
// Nonzero when the library's file system can open the path for reading.
int CheckFileExists(const char* path);

} // namespace Orvane
