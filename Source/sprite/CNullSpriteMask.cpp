#include "sprite/CNullSpriteMask.h"

namespace Orvane
{

namespace
{
const int32_t NoRect[4] = {0, 0, 0, 0};
}

CNullSpriteMask::CNullSpriteMask() : CSpriteMask(nullptr, Kavro::Vector2D(), NoRect)
{
}

} // namespace Orvane
