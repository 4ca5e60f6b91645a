#pragma once

#include "core/CTextureWacher.h"

namespace Orvane
{

class CSprite;

// Registered under the name of a sprite's transition mask: when that texture (a render surface) goes
// away, the sprite drops the mask and its name. The sprite releases this callback while it runs.
class CTransitionCallback : public CTextureWacher::ICallback
{
public:
    explicit CTransitionCallback(CSprite* owner) : owner(owner) {}

    void onTextureNotify() override;

    CSprite* const owner;
};

} // namespace Orvane
