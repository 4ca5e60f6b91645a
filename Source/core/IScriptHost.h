#pragma once

#include <string>

namespace Orvane
{

// What the application and the main task need of the script host.
class IScriptHost
{
public:
    virtual ~IScriptHost() = default;
    // One frame of the main script: -1 failed, 0 finished, 1 a call in progress, 2 suspended.
    virtual int update() = 0;
    virtual void setMainScriptPath(const std::string& path) = 0;
    // The state the last update left: -1 not started or failed, 0 finished, 1 running, 2 suspended.
    virtual int getRunState() const = 0;
    // Soft reset: the application releases its script objects, then a new machine replaces the old.
    virtual void reset() = 0;
    // The compile and runtime error reports collected since the main script or a file was last loaded
    // (file, function, line, locals); empty when there was no error.
    virtual std::string getErrorReport() const = 0;
    virtual const std::string& getMainScriptPath() const = 0;
};

} // namespace Orvane
