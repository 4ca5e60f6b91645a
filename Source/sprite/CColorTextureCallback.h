#pragma once

#include "core/CTextureWacher.h"

namespace Orvane
{

class CSprite;

// Registered under the name of a sprite's texture: when that texture goes away the sprite is told
// through its textureDeleted mark (the script side then makes it again).
class CColorTextureCallback : public CTextureWacher::ICallback
{
public:
    explicit CColorTextureCallback(CSprite* owner) : owner(owner) {}

    void onTextureNotify() override;

    CSprite* const owner;
};

} // namespace Orvane
