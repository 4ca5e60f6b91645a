#include <sqstdsystem.h>

#include "sqstdstream.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const SQChar *stringArg(HSQUIRRELVM v, SQInteger idx)
{
    const SQChar *s = nullptr;
    sq_getstring(v, idx, &s);
    return s;
}

SQInteger sys_getenv(HSQUIRRELVM v)
{
    const SQChar *value = std::getenv(stringArg(v, 2));
    if (!value)
        return 0;
    sq_pushstring(v, value, -1);
    return 1;
}

SQInteger sys_system(HSQUIRRELVM v)
{
    const SQChar *cmd = nullptr;
    if (SQ_FAILED(sq_getstring(v, 2, &cmd)))
        return sq_throwerror(v, "wrong param");
    sq_pushinteger(v, std::system(cmd));
    return 1;
}

SQInteger sys_clock(HSQUIRRELVM v)
{
    sq_pushfloat(v, static_cast<SQFloat>(std::clock()) / static_cast<SQFloat>(CLOCKS_PER_SEC));
    return 1;
}

SQInteger sys_time(HSQUIRRELVM v)
{
    sq_pushinteger(v, static_cast<SQInteger>(std::time(nullptr)));
    return 1;
}

SQInteger sys_remove(HSQUIRRELVM v)
{
    if (std::remove(stringArg(v, 2)) != 0)
        return sq_throwerror(v, "remove() failed");
    return 0;
}

SQInteger sys_rename(HSQUIRRELVM v)
{
    if (std::rename(stringArg(v, 2), stringArg(v, 3)) != 0)
        return sq_throwerror(v, "rename() failed");
    return 0;
}

void setIntegerSlot(HSQUIRRELVM v, const SQChar *name, SQInteger value)
{
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, value);
    sq_newslot(v, -3, SQFalse);
}

SQInteger sys_date(HSQUIRRELVM v)
{
    std::time_t t = std::time(nullptr);
    SQInteger format = 'l';
    SQInteger top = sq_gettop(v);
    if (top > 1) {
        SQInteger it = 0;
        sq_getinteger(v, 2, &it);
        t = static_cast<std::time_t>(it);
        if (top > 2)
            sq_getinteger(v, 3, &format);
    }
    std::tm date{};
    bool ok = format == 'u' ? gmtime_r(&t, &date) != nullptr : localtime_r(&t, &date) != nullptr;
    if (!ok)
        return sq_throwerror(v, "crt api failure");
    sq_newtable(v);
    setIntegerSlot(v, "sec", date.tm_sec);
    setIntegerSlot(v, "min", date.tm_min);
    setIntegerSlot(v, "hour", date.tm_hour);
    setIntegerSlot(v, "day", date.tm_mday);
    setIntegerSlot(v, "month", date.tm_mon);
    setIntegerSlot(v, "year", date.tm_year + 1900);
    setIntegerSlot(v, "wday", date.tm_wday);
    setIntegerSlot(v, "yday", date.tm_yday);
    return 1;
}

const SQRegFunction kSystemFunctions[] = {
    {"getenv", sys_getenv, 2, ".s"},
    {"system", sys_system, 2, ".s"},
    {"date", sys_date, -1, ".nn"},
    {"clock", sys_clock, 1, nullptr},
    {"time", sys_time, 1, nullptr},
    {"remove", sys_remove, 2, ".s"},
    {"rename", sys_rename, 3, ".ss"},
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

extern "C" SQInteger sqstd_register_systemlib(HSQUIRRELVM v)
{
    for (const SQRegFunction *f = kSystemFunctions; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, true);
    return 1;
}
