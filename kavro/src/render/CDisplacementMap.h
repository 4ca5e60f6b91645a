#pragma once

#include "render/CTexture.h"

#include <kavro/IDisplacementMap.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

namespace Kavro
{

// A displacement map over a render texture of the device; the texture keeps the device alive.
class CDisplacementMap : public RefCounted<IDisplacementMap>
{
public:
    // The grey that moves nothing.
    static constexpr uint32_t Neutral = 0xFF808080u;

    CDisplacementMap(CTexture* texture, const Vector2D& scale);

    ITexture* getTexture() override { return texture_.get(); }
    Vector2D getScale() override { return scale_; }
    int resize(int width, int height) override;

    CTexture* texture() const { return texture_.get(); }

private:
    Ref<CTexture> texture_;
    Vector2D scale_;
};

} // namespace Kavro
