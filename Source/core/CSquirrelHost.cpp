#include "core/CSquirrelHost.h"

#include "core/CApp.h"
#include "script/CSquirrel.h"

namespace Orvane
{

CSquirrelHost::CSquirrelHost() : squirrel(new CSquirrel)
{
    squirrel->setApplication(this);
}

CSquirrelHost::~CSquirrelHost()
{
    squirrel->setApplication(nullptr);
    squirrel->release();
}

int CSquirrelHost::update()
{
    return squirrel->update();
}

void CSquirrelHost::setMainScriptPath(const std::string& path)
{
    squirrel->setMainScriptPath(path);
}

int CSquirrelHost::getRunState() const
{
    return squirrel->getRunState();
}

void CSquirrelHost::reset()
{
    squirrel->reset();
}

std::string CSquirrelHost::getErrorReport() const
{
    return CSquirrel::getErrorText();
}

const std::string& CSquirrelHost::getMainScriptPath() const
{
    return squirrel->getMainScriptPath();
}

void CSquirrelHost::releaseScriptObjects()
{
    if (CApp* app = CApp::get())
        app->releaseScriptObjects();
}

} // namespace Orvane
