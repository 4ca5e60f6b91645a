#include "core/CApp.h"

#include "core/INullGamepad.h"
#include "core/INullKeyboard.h"
#include "core/INullMouse.h"
#include "core/INullTouch.h"

#include <kavro/ICore.h>
#include <kavro/IInputManager.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISoundDevice.h>
#include <kavro/MessageBox.h>

namespace Orvane
{

namespace
{
CApp* application = nullptr;

template <typename Interface> void releaseDevice(Interface*& device)
{
    if (device)
        device->release();
    device = nullptr;
}
} // namespace

CApp::CApp(const std::string& windowName)
    : CObject(windowName), nullKeyboard(new INullKeyboard), nullMouse(new INullMouse),
      nullGamepad(new INullGamepad), nullTouch(new INullTouch)
{
}

CApp::~CApp()
{
    releaseDevices();
    setCore(nullptr);
    delete nullKeyboard;
    delete nullMouse;
    delete nullGamepad;
    delete nullTouch;
    if (application == this)
        application = nullptr;
}

void CApp::releaseDevices()
{
    for (auto& [name, object] : sharedObjects)
        releaseDevice(object);
    sharedObjects.clear();
    releaseDevice(gamepad);
    releaseDevice(keyboard);
    releaseDevice(mouse);
    releaseDevice(touch);
    releaseDevice(soundDevice);
    releaseDevice(sceneManager);
    releaseDevice(renderDevice);
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

int CApp::showMessageBox(const std::string& caption, const std::string& text, uint32_t flags)
{
    return Kavro::ShowMessageBox(text.c_str(), caption.c_str(), flags);
}

void CApp::leaveFullScreen()
{
    if (!core || !core->isFullScreen())
        return;
    const Kavro::IntPair size = core->getScreenSize();
    core->setDisplayMode(size.x, size.y, 0, 1);
    core->applyDisplayMode();
}

} // namespace Orvane
