#pragma once

#include "scene/CSpriteQuad.h"

namespace Kavro
{

// A sprite quad whose draw paints its quads into a render texture of its own (the mask) instead of the
// current target. Quads given it by setMask multiply their alpha by the mask's alpha at the same place of
// their target. The mask is cleared to transparent before each draw and keeps its picture between draws,
// so a mask that did not change need not be drawn again.
class CMaskQuad : public CSpriteQuad
{
public:
    // The mask starts at the screen's size, transparent (masked quads are hidden until the first draw).
    CMaskQuad(CRenderDevice* device, CTexture* texture);
    ~CMaskQuad() override;

    int draw(const Vector2D& offset, const Vector4D* colour, float factor) override;
    int setMaskSize(int width, int height) override;
    int setDiffuseOnly(int flag) override;

    // Null when the device could not make a texture of the size.
    CTexture* maskTexture() const { return mask_; }

private:
    CTexture* mask_ = nullptr;
    int diffuseOnly_ = 0;
};

} // namespace Kavro
