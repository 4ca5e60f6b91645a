#pragma once

#include "core/CObject.h"

namespace Orvane
{

class CSprite;

// Registered under the name of a sprite's texture: when that texture goes away the sprite is told
// through its textureDeleted mark (the script side then makes it again).
class CColorTextureCallback : public CObject
{
public:
    explicit CColorTextureCallback(CSprite* owner) : owner(owner) {}

    virtual void onTextureNotify();

    CSprite* const owner;
};

} // namespace Orvane
