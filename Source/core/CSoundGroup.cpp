#include "core/CSoundGroup.h"

namespace Orvane
{

CSoundGroup::CSoundGroup()
{
    volume.set(1.0f, 1.0f, 0, 0);
}

} // namespace Orvane
