#include "core/CCore.h"

namespace Kavro
{

namespace
{
CCore* g_core = nullptr;
}

// One core per process: the window system allows one such window and one event queue.
ICore* CreateKavro()
{
    if (g_core)
        g_core->addRef();
    else
        g_core = new CCore;
    return g_core;
}

void ReleaseKavro()
{
    if (g_core && g_core->release() == 0) g_core = nullptr;
}

} // namespace Kavro
