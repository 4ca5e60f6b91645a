#pragma once

#include <string>

namespace Orvane
{

// What the main task needs of the script host.
class IScriptHost
{
public:
    virtual ~IScriptHost() = default;
    // One frame of the main script: -1 failed, 0 finished, 1 a call in progress, 2 suspended.
    virtual int update() = 0;
    virtual void setMainScriptPath(const std::string& path) = 0;
};

} // namespace Orvane
