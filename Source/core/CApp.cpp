#include "core/CApp.h"

#include <kavro/ICore.h>

namespace Orvane
{

namespace
{
CApp* application = nullptr;
}

CApp::CApp(const std::string& windowName) : CObject(windowName) {}

CApp::~CApp()
{
    setCore(nullptr);
    if (application == this)
        application = nullptr;
}

CApp* CApp::get()
{
    return application;
}

void CApp::set(CApp* app)
{
    application = app;
}

void CApp::setCore(Kavro::ICore* newCore)
{
    if (newCore)
        newCore->addRef();
    if (core)
        core->release();
    core = newCore;
}

} // namespace Orvane
