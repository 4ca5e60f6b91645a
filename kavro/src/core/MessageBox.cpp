#include "kavro/MessageBox.h"

#include "core/MessageBoxOwner.h"

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

struct Button
{
    int id;
    const char* label;
};

// The buttons of the box kind in the low four bits of the flags, left to right.
std::vector<Button> buttonsOf(uint32_t flags)
{
    switch (flags & 0xf)
    {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

size_t defaultIndex(uint32_t flags, size_t buttonCount)
{
    const size_t index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return index < buttonCount ? index : 0;
}

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

namespace
{

uint32_t iconFlag(uint32_t flags)
{
    switch (flags & 0xf0)
    {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// -1 when the box could not be shown.
int showOnScreen(const char* caption, const char* text, uint32_t flags)
{
    const std::vector<Button> buttons = buttonsOf(flags);
    const size_t preset = defaultIndex(flags, buttons.size());
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        uint32_t buttonFlags = 0;
        if (i == preset) buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (buttons[i].id == IDCANCEL || (buttons.size() == 1))
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        data.push_back({buttonFlags, buttons[i].id, buttons[i].label});
    }
    const SDL_MessageBoxData box{iconFlag(flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT,
                                 g_owner.load(),
                                 caption,
                                 text,
                                 int(data.size()),
                                 data.data(),
                                 nullptr};
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) return -1;
    // Closing the box without a button answers like Escape would.
    return chosen >= 0 ? chosen : buttons.size() == 1 ? IDOK : IDCANCEL;
}

} // namespace

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
    const std::vector<Button> buttons = buttonsOf(flags);
    return buttons[defaultIndex(flags, buttons.size())].id;
}

int ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    caption = caption ? caption : "";
    text = text ? text : "";
    if (IMessageBoxSink* sink = g_sink.load()) return sink->show(caption, text, flags);
    if (HaveDisplay())
    {
        const int chosen = showOnScreen(caption, text, flags);
        if (chosen >= 0) return chosen;
    }
    // Nobody to ask: say it on stderr and take the default button.
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return DefaultMessageBoxAnswer(flags);
}

} // namespace Kavro
