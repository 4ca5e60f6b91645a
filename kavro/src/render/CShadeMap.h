#pragma once

#include "render/CTexture.h"

#include <kavro/IShadeMap.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

namespace Kavro
{

// A shade map over a render texture of the device; the texture keeps the device alive.
class CShadeMap : public RefCounted<IShadeMap>
{
public:
    // Full light: shades nothing.
    static constexpr uint32_t Neutral = 0xFFFF0000u;

    explicit CShadeMap(CTexture* texture) : texture_(texture) {}

    ITexture* getTexture() override { return texture_.get(); }

    CTexture* texture() const { return texture_.get(); }

private:
    Ref<CTexture> texture_;
};

} // namespace Kavro
