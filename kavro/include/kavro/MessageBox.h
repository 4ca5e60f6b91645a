#pragma once

#include <cstdint>

namespace Kavro
{

// Window-style message box flags and results.
enum : uint32_t
{
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
};

enum : int
{
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// Receives every message box instead of the screen (tests).
class IMessageBoxSink
{
public:
    virtual ~IMessageBoxSink() = default;
    virtual int show(const char* caption, const char* text, uint32_t flags) = 0;
};

// Shows a modal message box over the core's window; caption and text are UTF-8. Returns the
// button chosen. With no display (no DISPLAY/WAYLAND_DISPLAY, or the offscreen or dummy video
// driver) the caption and text go to stderr and the default button answers.
int ShowMessageBox(const char* text, const char* caption, uint32_t flags);
// The answer a box with these flags gives when nobody can click: its default button.
int DefaultMessageBoxAnswer(uint32_t flags);
// Routes boxes to a sink; null restores the screen.
void SetMessageBoxSink(IMessageBoxSink* sink);

} // namespace Kavro
