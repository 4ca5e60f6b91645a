#include "core/CTaskMain.h"

#include "core/CApp.h"
#include "core/IRenderTarget.h"
#include "core/IScriptHost.h"
#include "core/ITaskCallback.h"
#include "core/StartupState.h"

#include <kavro/ICore.h>
#include <kavro/MessageBox.h>
#include <kavro/SafeFileWriter.h>

#include <cstdio>
#include <filesystem>

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
    reported = 0;
    if (CApp* app = CApp::get(); app && app->scriptHost)
        app->scriptHost->setMainScriptPath(scriptFolder + scriptName);
    return 0;
}

namespace
{

// A line break of the reports' own starts the text; one ends it.
std::string trimmedReport(std::string report)
{
    report.erase(0, report.find_first_not_of('\n'));
    if (!report.empty() && report.back() != '\n')
        report += '\n';
    return report;
}

// The box says only that something went wrong: the report goes where an author looks, the terminal,
// and where a player can find it to send along, "error.log" in the save folder.
void reportScriptEnd(const IScriptHost& host)
{
    const std::string report = trimmedReport(host.getErrorReport());
    if (report.empty())
    {
        std::fprintf(stderr, "orvane: no script error to report: the main script %s has ended or could not be loaded\n",
                     host.getMainScriptPath().c_str());
        return;
    }
    std::error_code ignored;
    const std::filesystem::path logPath = std::filesystem::absolute(getSavePathRoot() + "error.log", ignored);
    std::filesystem::create_directories(logPath.parent_path(), ignored);
    std::string failure;
    if (Kavro::WriteFileReplacing(logPath.string(), report.data(), report.size(), &failure) == 0)
        std::fprintf(stderr, "orvane: script error (also written to %s):\n%s", logPath.c_str(), report.c_str());
    else
        std::fprintf(stderr, "orvane: script error (%s could not be written: %s):\n%s", logPath.c_str(),
                     failure.c_str(), report.c_str());
    std::fflush(stderr);
}

} // namespace

void CTaskMain::showErrorAndQuit()
{
    CApp* app = CApp::get();
    if (!app)
        return;
    if (!reported && app->scriptHost)
        reportScriptEnd(*app->scriptHost);
    reported = 1;
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
