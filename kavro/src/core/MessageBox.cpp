#include "kavro/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace Kavro
{

namespace
{
std::atomic<IMessageBoxSink*> g_sink{nullptr};
}

void SetMessageBoxSink(IMessageBoxSink* sink)
{
    g_sink = sink;
}

int DefaultMessageBoxAnswer(uint32_t flags)
{
    const int defaultIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    switch (flags & 0xf)
    {
    case MB_OKCANCEL:
        return defaultIndex == 0 ? IDOK : IDCANCEL;
    case MB_YESNO:
        return defaultIndex == 0 ? IDYES : IDNO;
    case MB_YESNOCANCEL:
        return defaultIndex == 0 ? IDYES : defaultIndex == 1 ? IDNO : IDCANCEL;
    default:
        return IDOK;
    }
}

int ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    if (IMessageBoxSink* sink = g_sink.load())
        return sink->show(caption ? caption : "", text ? text : "", flags);
    // Nobody to ask: say it on stderr and take the default button.
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    return DefaultMessageBoxAnswer(flags);
}

} // namespace Kavro
