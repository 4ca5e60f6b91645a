#include "core/CTaskMain.h"

#include "core/CApp.h"
#include "core/IRenderTarget.h"
#include "core/IScriptHost.h"
#include "core/ITaskCallback.h"

#include <kavro/ICore.h>
#include <kavro/MessageBox.h>

namespace Orvane
{

namespace
{
const char* const scriptFolder = "media/script/";
const char* const errorCaption = "アプリケーションエラー";
const char* const errorText = "エラーが発生しました";
} // namespace

CTaskMain::CTaskMain() : CTask("MAIN") {}

int CTaskMain::initialize()
{
    CTask::initialize();
    stopped = 0;
    if (CApp* app = CApp::get(); app && app->scriptHost)
        app->scriptHost->setMainScriptPath(scriptFolder + scriptName);
    return 0;
}

void CTaskMain::showErrorAndQuit()
{
    CApp* app = CApp::get();
    if (!app)
        return;
    app->leaveFullScreen();
    app->showMessageBox(errorCaption, errorText, Kavro::MB_ICONERROR);
    if (app->getCore())
        app->getCore()->postQuitMessage(0);
}

int CTaskMain::update()
{
    Kavro::CAutoLock guard(lock);
    if (stopped)
    {
        showErrorAndQuit();
        return 0;
    }
    CApp* app = CApp::get();
    // Without a script host there is no script to run: that ends the program as a failed script does.
    const int state = app && app->scriptHost ? app->scriptHost->update() : -1;
    if (state < 1)
        stopped = 1;
    return 0;
}

int CTaskMain::render()
{
    Kavro::CAutoLock guard(lock);
    std::vector<IRenderTarget*> delayed;
    for (size_t i = getRenderTargets().size(); i-- > 0;)
    {
        if (i >= getRenderTargets().size())
            continue;
        IRenderTarget* target = getRenderTargets()[i];
        if (target->isDelayRendering())
        {
            delayed.push_back(target);
            continue;
        }
        if (target->isSuspended() || !enterTarget(target))
            continue;
        drawPass(target, i < getRenderLists().size() ? &getRenderLists()[i] : nullptr, noPriority, &delayed);
        leaveTarget(target);
    }
    return 0;
}

intptr_t CTaskMain::windowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message != Kavro::WM_CLOSE)
        return CTask::windowProc(window, message, wParam, lParam);
    if (!stopped && closeHandler)
    {
        closeHandler->call();
        return 0;
    }
    CApp* app = CApp::get();
    if (app && app->getCore())
        app->getCore()->postQuitMessage(0);
    return 0;
}

} // namespace Orvane
