#pragma once

#include <kavro/IShadowSprite.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <vector>

namespace Kavro
{

class CRenderDevice;
class CTexture;

// The shadow quad of the render device. Its softness is a chain of halvings: the rectangle is drawn into
// a texture half its size, that into one half of that, and so on, each sampled linearly (a 2 x 2 average per
// step); the last one is stretched back over the rectangle, again linearly.
class CShadowSprite : public RefCounted<IShadowSprite>
{
public:
    CShadowSprite(CRenderDevice* device, CTexture* texture);
    ~CShadowSprite() override;

    int setQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                const Vector2D uv[4]) override;
    int setShading(int a, float b, float c) override;
    int setRect(float x, float y, float width, float height) override;
    int draw(const Vector2D& offset, const Vector4D* colour, float factor) override;
    int setBlendMode(int mode) override;
    int getBlendMode() override { return blendMode_; }
    int setDither(ITexture* texture, float width, float height) override;
    ITexture* getTexture() override;

    // Halvings for a softness of a pixels: 0 up to 1, then one more for every doubling, at most 5.
    static int halvings(int softness);

private:
    struct Region
    {
        float left, top, right, bottom; // texture pixels
    };
    // Halves region of source into a level texture; answers the level, or null on failure.
    CTexture* halve(int level, CTexture* source, Region& region);

    Ref<CRenderDevice> device_;
    Ref<CTexture> texture_;
    Matrix4x4 matrix_;
    Vector4D corners_[4];
    uint32_t colours_[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    Vector2D uv_[4];
    int softness_ = 0;
    float gain_ = 0.0f;
    float level_ = 0.0f;
    bool hasRect_ = false;
    float rect_[4] = {};
    int blendMode_ = 1;
    Ref<ITexture> dither_;
    Vector2D ditherSize_;
    std::vector<CTexture*> levels_;
};

} // namespace Kavro
