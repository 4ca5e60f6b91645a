#pragma once

namespace Orvane
{

// What the script host needs of the application object.
class IScriptHostApplication
{
public:
    virtual ~IScriptHostApplication() = default;
    // Every registered task lets go of its script-owned objects, under the application lock.
    virtual void releaseScriptObjects() = 0;
};

} // namespace Orvane
