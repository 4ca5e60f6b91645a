#pragma once

#include "script/SquirrelObject.h"

#include <cstddef>
#include <cstdint>

namespace Orvane
{

// Typed reads of one key of a script table into an engine field. Each answers 1 when it read the key
// and 0 otherwise; when the holder is not a table or the key is missing, the field is not written.

// bool as 1 or 0, an integer as it is, a float truncated toward zero (saturated at the i32 range, NaN
// as 0), anything else 0.
int getTableInt(const SquirrelObject& table, const char* key, int32_t& out);
// A number converted to float, anything else 0.0.
int getTableFloat(const SquirrelObject& table, const char* key, float& out);
// The field is cleared to size zero bytes; a string shorter than size bytes is copied with its zero
// end; another type counts as the empty string. A string of size bytes or more leaves it empty and
// answers 0.
int getTableString(const SquirrelObject& table, const char* key, char* out, size_t size);
// "r", "g" and "b" as by getTableFloat into red, green and blue; a missing key leaves its component.
void getTableColor(const SquirrelObject& table, float& red, float& green, float& blue);

// The integer a script value stands for in an i32 field, by the rule of getTableInt.
int32_t scriptValueToInt(const SquirrelObject& value);

} // namespace Orvane
