#pragma once

#include "render/CQuadRenderer.h"
#include "render/QuadVertex.h"

#include <kavro/ISpriteQuad.h>
#include <kavro/RefCounted.h>

#include <vector>

namespace Kavro
{

class CRenderDevice;
class CTexture;

// A quad list over one texture (the default white texture for colour quads). Corners are transformed to
// clip space when added; draw queues the list for the device's current render target, which draws it
// together with the quads before and after it while nothing changes between them.
class CSpriteQuad : public RefCounted<ISpriteQuad>
{
public:
    CSpriteQuad(CRenderDevice* device, CTexture* texture, int quadCount);
    ~CSpriteQuad() override;

    int begin() override;
    int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4]) override;
    int addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                const Vector2D uv[4]) override;
    int end() override;
    int getQuadCount() override { return int(corners_.size() / 4); }
    int draw(const Vector2D& offset, const Vector4D* colour, float factor) override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode_; }
    int setQuadCount(int count) override;
    int setCamera(ICamera* camera) override;
    ICamera* getCamera() override { return camera_; }
    ITexture* getTexture() override;
    int setTexture(ITexture* texture) override;
    int setFilter(int linear) override;
    int getFilter() override { return filter_; }
    int setUVOffset(const Vector2D& offset) override;
    int setMask(ISpriteQuad* mask) override;
    int setMaskSize(int, int) override { return -1; }
    int setDiffuseOnly(int) override { return -1; }
    int apply() override { return 0; }

protected:
    // The state of a draw with these arguments (the device fills in the target's part).
    QuadDrawState drawState(const Vector2D& offset, const Vector4D* colour, float factor) const;

    CRenderDevice* device_;
    CTexture* texture_;
    std::vector<QuadVertex> corners_;
    class CMaskQuad* mask_ = nullptr;
    int blendMode_ = 1;
    int filter_ = 0;
    Vector2D uvOffset_;
    ICamera* camera_ = nullptr;
};

} // namespace Kavro
