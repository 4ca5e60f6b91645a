#include "script/TableReaders.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace Orvane
{

namespace
{

// The value under key, or false when the holder is not a table or has no such key (a key that holds
// null is there).
bool lookUp(const SquirrelObject& table, const char* key, SquirrelObject& value)
{
    if (table.GetType() != OT_TABLE)
        return false;
    value = table.GetValue(key);
    return !value.IsNull() || table.Exists(key);
}

int32_t truncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

} // namespace

int32_t scriptValueToInt(const SquirrelObject& value)
{
    const HSQOBJECT& handle = value.GetObjectHandle();
    switch (value.GetType())
    {
    case OT_BOOL:
        return handle._unVal.nInteger != 0 ? 1 : 0;
    case OT_INTEGER:
        return int32_t(handle._unVal.nInteger);
    case OT_FLOAT:
        return truncateToInt(handle._unVal.fFloat);
    default:
        return 0;
    }
}

int getTableInt(const SquirrelObject& table, const char* key, int32_t& out)
{
    SquirrelObject value;
    if (!lookUp(table, key, value))
        return 0;
    out = scriptValueToInt(value);
    return 1;
}

int getTableFloat(const SquirrelObject& table, const char* key, float& out)
{
    SquirrelObject value;
    if (!lookUp(table, key, value))
        return 0;
    out = float(value.ToFloat());
    return 1;
}

int getTableString(const SquirrelObject& table, const char* key, char* out, size_t size)
{
    SquirrelObject value;
    if (!lookUp(table, key, value))
        return 0;
    std::memset(out, 0, size);
    if (value.GetType() != OT_STRING)
        return size > 0 ? 1 : 0;
    if (size_t(value.Len()) >= size)
        return 0;
    std::memcpy(out, value.ToString(), size_t(value.Len()));
    return 1;
}

void getTableColor(const SquirrelObject& table, float& red, float& green, float& blue)
{
    getTableFloat(table, "r", red);
    getTableFloat(table, "g", green);
    getTableFloat(table, "b", blue);
}

} // namespace Orvane
