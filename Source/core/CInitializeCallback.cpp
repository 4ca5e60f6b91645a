#include "core/CInitializeCallback.h"

namespace Orvane
{

int CInitializeCallback::onInitialize(Kavro::ICore*)
{
    return 1;
}

} // namespace Orvane
