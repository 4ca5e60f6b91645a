#include "kavro/ICore.h"

namespace Kavro
{

// No core can be made yet: callers treat null as "the library is not available".
ICore* CreateKavro()
{
    return nullptr;
}

void ReleaseKavro() {}

} // namespace Kavro
