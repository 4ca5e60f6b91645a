#include "sprite/CTransitionCallback.h"

#include "sprite/CSprite.h"

namespace Orvane
{

void CTransitionCallback::onTextureNotify()
{
    // The owner releases this callback in here; nothing of it may be touched afterwards.
    owner->loadTransitionMask(std::string(), 1);
}

} // namespace Orvane
