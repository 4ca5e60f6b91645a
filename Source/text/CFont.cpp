#include "text/CFont.h"

#include "core/CApp.h"

#include <kavro/ICore.h>
#include <kavro/IRenderDevice.h>

namespace Orvane
{

InterfaceRef<Kavro::IRenderDevice> CFont::acquireRenderDevice()
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    return InterfaceRef<Kavro::IRenderDevice>::adopt(core ? core->getRenderDevice() : nullptr);
}

} // namespace Orvane
