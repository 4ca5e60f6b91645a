#include "MainWindowProc.h"

#include "core/CApp.h"
#include "core/CTask.h"

#include <kavro/ICore.h>
#include <kavro/WindowMessage.h>

namespace Orvane
{

namespace
{

bool isSwallowed(uint32_t message)
{
    switch (message)
    {
    case Kavro::WM_SYSKEYDOWN:
    case Kavro::WM_MOUSEMOVE:
    case Kavro::WM_LBUTTONDOWN:
    case Kavro::WM_LBUTTONUP:
    case Kavro::WM_RBUTTONDOWN:
    case Kavro::WM_RBUTTONUP:
        return true;
    default:
        return false;
    }
}

void setCursorKind(Kavro::ICore& core, uintptr_t kind)
{
    if (kind == 1) core.setCursor(Kavro::IDC_ARROW);
    else if (kind == 7) core.setCursor(Kavro::IDC_HAND);
}

intptr_t forward(CApp& app, void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (CTask* top = app.getTopTask()) return top->windowProc(window, message, wParam, lParam);
    return app.getCore()->defWindowProc(window, message, wParam, lParam);
}

} // namespace

intptr_t mainWindowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    CApp* app = CApp::get();
    if (!app || !app->getCore()) return 0;
    switch (message)
    {
    case Kavro::WM_DESTROY:
        app->getCore()->postQuitMessage(0);
        return forward(*app, window, message, wParam, lParam);
    case Kavro::WM_KILLFOCUS:
        app->hasFocus = 0;
        return 0;
    case Kavro::WM_SETCURSOR:
        setCursorKind(*app->getCore(), wParam);
        return 0;
    default:
        if (isSwallowed(message)) return 0;
        return forward(*app, window, message, wParam, lParam);
    }
}

int frameHook()
{
    if (CApp* app = CApp::get()) app->resetOnKeyRelease();
    return 0;
}

} // namespace Orvane
