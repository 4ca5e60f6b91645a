#pragma once

#include "script/SquirrelObject.h"

#include <squirrel.h>

#include <string>

namespace Orvane::SqPlus
{

// Result and argument pushing, one overload per value type the engine hands to scripts.
inline void Push(HSQUIRRELVM vm, int value) { sq_pushinteger(vm, value); }
inline void Push(HSQUIRRELVM vm, float value) { sq_pushfloat(vm, value); }
// A null text pushes null; a text is copied by the machine.
inline void Push(HSQUIRRELVM vm, const char* value) { sq_pushstring(vm, value, -1); }
inline void Push(HSQUIRRELVM vm, const std::string& value) { sq_pushstring(vm, value.c_str(), SQInteger(value.size())); }
inline void Push(HSQUIRRELVM vm, const SquirrelObject& value) { sq_pushobject(vm, value.GetObjectHandle()); }

} // namespace Orvane::SqPlus
