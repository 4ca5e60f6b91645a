#include "sprite/CNullSprite.h"

namespace Orvane
{

namespace
{
const int32_t NoRect[4] = {0, 0, 0, 0};
}

CNullSprite::CNullSprite() : CSprite(nullptr, Kavro::Vector2D(), NoRect)
{
}

} // namespace Orvane
