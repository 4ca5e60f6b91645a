#pragma once

#include "core/CTaskObject.h"
#include "script/CW1ScriptReader.h"
#include "script/SquirrelObject.h"

namespace Orvane::Squirrel
{

// Scripts' W1 reader: a named task object whose lines come back as arrays of
// { name, value, attr } tables.
class SQW1ScriptReader : public CTaskObject
{
public:
    explicit SQW1ScriptReader(const char* name) : CTaskObject(name) {}

    int read(const char* path);
    // The records of line index, or null when there is no such line.
    SquirrelObject getLine(int index);
    int getLineNum();

    static void registerClass();

private:
    CW1ScriptReader reader;
};

} // namespace Orvane::Squirrel
