#include "kavro/MessageBox.h"

#include "core/MessageBoxOwner.h"
#include "core/MessageBoxWindow.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Kavro
{

namespace
{

std::atomic<IMessageBoxSink*> g_sink{nullptr};
std::atomic<SDL_Window*> g_owner{nullptr};

} // namespace

bool HaveDisplay()
{
    const char* driver =
        SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void SetMessageBoxSink(IMessageBoxSink* sink)
{
    g_sink = sink;
}

void SetMessageBoxOwner(SDL_Window* window)
{
    g_owner = window;
}

int DefaultMessageBoxAnswer(uint32_t flags)
{
    const std::vector<MessageBoxButtonKind> buttons = MessageBoxButtonKinds(flags);
    return buttons[DefaultButtonIndex(flags, buttons.size())].id;
}

int ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    caption = caption ? caption : "";
    text = text ? text : "";
    if (IMessageBoxSink* sink = g_sink.load()) return sink->show(caption, text, flags);
    if (HaveDisplay())
    {
        // Drawn by the library itself: the window system's own boxes draw with its core fonts, which
        // turn Japanese into mojibake when the server has no font of that script.
        const int chosen = RunMessageBoxWindow(caption, text, flags, g_owner.load());
        if (chosen >= 0) return chosen;
    }
    // Nobody to ask: say it on stderr and take the default button.
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return DefaultMessageBoxAnswer(flags);
}

} // namespace Kavro
