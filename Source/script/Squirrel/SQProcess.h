#pragma once

#include "script/Squirrel/SQObject.h"

#include <string>

namespace Orvane::Squirrel
{

// A named task object that scripts create, name a second time, lock and mark; it runs nothing.
class SQProcess : public SQObject
{
public:
    explicit SQProcess(const char* name) : SQObject(name) {}

    // Always 0.
    int create(const char* name);
    void serialize(const char*) {}
    void deserialize(const char*) {}

    const std::string& getProcessName() const { return processName; }

    static void registerClass();

private:
    std::string processName;
};

} // namespace Orvane::Squirrel
