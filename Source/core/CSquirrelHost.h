#pragma once

#include "core/IScriptHost.h"
#include "script/IScriptHostApplication.h"

namespace Orvane
{

class CSquirrel;

// The Squirrel host as the application and the main task drive it; a soft reset of the host lets
// the application's tasks release their script objects first.
class CSquirrelHost : public IScriptHost, private IScriptHostApplication
{
public:
    CSquirrelHost();
    ~CSquirrelHost() override;
    CSquirrelHost(const CSquirrelHost&) = delete;
    CSquirrelHost& operator=(const CSquirrelHost&) = delete;

    int update() override;
    void setMainScriptPath(const std::string& path) override;
    int getRunState() const override;
    void reset() override;
    std::string getErrorReport() const override;
    const std::string& getMainScriptPath() const override;

    CSquirrel* getSquirrel() const { return squirrel; }

private:
    void releaseScriptObjects() override;

    CSquirrel* squirrel;
};

} // namespace Orvane
