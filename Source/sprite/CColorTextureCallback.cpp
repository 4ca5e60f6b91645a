#include "sprite/CColorTextureCallback.h"

#include "sprite/CSprite.h"

namespace Orvane
{

void CColorTextureCallback::onTextureNotify()
{
    owner->textureDeleted = 1;
}

} // namespace Orvane
