#include "scene/CShadowSprite.h"

#include "render/CRenderDevice.h"
#include "render/CTexture.h"

#include <algorithm>
#include <cmath>

namespace Kavro
{

namespace
{

// Cleared levels are white with no alpha, as the shadow texture is, so linear sampling at a stamp's edge
// blends towards white instead of darkening it.
constexpr uint32_t ClearWhite = 0x00FFFFFFu;

void clipOf(const Vector4D& corner, const Matrix4x4& m, float& x, float& y)
{
    float out[4];
    for (int j = 0; j < 4; ++j)
        out[j] = corner.x * m.m[0][j] + corner.y * m.m[1][j] + corner.z * m.m[2][j] + corner.w * m.m[3][j];
    const float w = out[3] != 0.0f ? out[3] : 1.0f;
    x = out[0] / w;
    y = out[1] / w;
}

// Four corners of an axis-aligned quad: clip rectangle (y up), uv rectangle, one colour per corner.
std::vector<QuadVertex> rectQuad(float x0, float y0, float x1, float y1, const float uv[4], const uint32_t colours[4])
{
    std::vector<QuadVertex> corners(4);
    const float xs[4] = {x0, x1, x0, x1};
    const float ys[4] = {y0, y0, y1, y1};
    const float us[4] = {uv[0], uv[2], uv[0], uv[2]};
    const float vs[4] = {uv[1], uv[1], uv[3], uv[3]};
    for (int i = 0; i < 4; ++i)
        corners[i] = {{xs[i], ys[i], 0.0f, 1.0f}, colours[i], {us[i], vs[i]}};
    return corners;
}

} // namespace

CShadowSprite::CShadowSprite(CRenderDevice* device, CTexture* texture) : device_(device), texture_(texture)
{
    const Vector4D corners[4] = {{-1, 1, 0, 1}, {1, 1, 0, 1}, {-1, -1, 0, 1}, {1, -1, 0, 1}};
    const Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    std::copy(corners, corners + 4, corners_);
    std::copy(uv, uv + 4, uv_);
}

CShadowSprite::~CShadowSprite()
{
    for (CTexture* level : levels_)
        if (level)
            level->release();
}

int CShadowSprite::setQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                           const Vector2D uv[4])
{
    if (!corners || !colours || !uv)
        return -1;
    matrix_ = matrix;
    std::copy(corners, corners + 4, corners_);
    std::copy(colours, colours + 4, colours_);
    std::copy(uv, uv + 4, uv_);
    return 0;
}

int CShadowSprite::setShading(int a, float b, float c)
{
    softness_ = a;
    gain_ = b;
    level_ = c;
    return 0;
}

int CShadowSprite::setRect(float x, float y, float width, float height)
{
    hasRect_ = true;
    rect_[0] = x;
    rect_[1] = y;
    rect_[2] = width;
    rect_[3] = height;
    return 0;
}

int CShadowSprite::setBlendMode(int mode)
{
    blendMode_ = mode;
    return 0;
}

int CShadowSprite::setDither(ITexture* texture, float width, float height)
{
    dither_ = Ref<ITexture>(texture);
    ditherSize_ = {width, height};
    return 0;
}

ITexture* CShadowSprite::getTexture()
{
    return texture_.get();
}

int CShadowSprite::halvings(int softness)
{
    int count = 0;
    while (count < 5 && softness >= (2 << count))
        ++count;
    return count;
}

CTexture* CShadowSprite::halve(int level, CTexture* source, Region& region)
{
    const int width = std::max(1, int(std::ceil((region.right - region.left) * 0.5f)));
    const int height = std::max(1, int(std::ceil((region.bottom - region.top) * 0.5f)));
    if (levels_.size() <= size_t(level))
        levels_.resize(size_t(level) + 1, nullptr);
    CTexture*& into = levels_[size_t(level)];
    if (into && (into->getSize()[0] < width || into->getSize()[1] < height))
    {
        into->release();
        into = nullptr;
    }
    if (!into)
        into = device_->own(device_->createRenderTexture(width, height, 4, 0, 0, 0));
    if (!into || device_->clearTexture(into, ClearWhite) < 0 || device_->setRenderTarget(0, into, 0) < 0)
        return nullptr;
    const float sw = float(source->getSize()[0]);
    const float sh = float(source->getSize()[1]);
    const float uv[4] = {region.left / sw, region.top / sh, region.right / sw, region.bottom / sh};
    const float iw = float(into->getSize()[0]);
    const float ih = float(into->getSize()[1]);
    const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    QuadDrawState state;
    state.filter = 3;
    state.blendMode = 0;
    const float x1 = float(width) / iw * 2.0f - 1.0f;
    const float y1 = 1.0f - float(height) / ih * 2.0f;
    if (device_->drawQuads(rectQuad(-1.0f, 1.0f, x1, y1, uv, white), source, state) < 0)
        return nullptr;
    region = {0.0f, 0.0f, float(width), float(height)};
    return into;
}

int CShadowSprite::draw(const Vector2D& offset, const Vector4D* colour, float factor)
{
    ITexture* target = device_->getRenderTarget(0);
    const int32_t* targetSize = target ? target->getSize() : device_->getScreenSize();
    const float tw = float(targetSize[0]);
    const float th = float(targetSize[1]);
    float left = 0.0f, top = 0.0f, right = tw, bottom = th;
    if (hasRect_)
    {
        left = std::max(0.0f, std::floor(rect_[0]));
        top = std::max(0.0f, std::floor(rect_[1]));
        right = std::min(tw, std::ceil(rect_[0] + rect_[2]));
        bottom = std::min(th, std::ceil(rect_[1] + rect_[3]));
    }
    if (!(right > left && bottom > top))
        return 0;

    // Where the rectangle falls inside the quad, as texture coordinates.
    float qx0, qy0, qx1, qy1;
    clipOf(corners_[0], matrix_, qx0, qy0);
    clipOf(corners_[3], matrix_, qx1, qy1);
    if (qx1 == qx0 || qy1 == qy0)
        return 0;
    auto u = [&](float px) { return uv_[0].x + ((px / tw * 2.0f - 1.0f) - qx0) / (qx1 - qx0) * (uv_[3].x - uv_[0].x); };
    auto v = [&](float py) { return uv_[0].y + ((1.0f - py / th * 2.0f) - qy0) / (qy1 - qy0) * (uv_[3].y - uv_[0].y); };
    const float sw = float(texture_->getSize()[0]);
    const float sh = float(texture_->getSize()[1]);
    Region region{u(left) * sw, v(top) * sh, u(right) * sw, v(bottom) * sh};

    CTexture* source = texture_.get();
    const int count = halvings(softness_);
    if (count > 0)
    {
        ITexture* previous = device_->getRenderTarget(0);
        for (int level = 0; level < count && source; ++level)
            source = halve(level, source, region);
        device_->setRenderTarget(0, previous, 0);
        if (!source)
            return -1;
    }

    uint32_t colours[4];
    for (int i = 0; i < 4; ++i)
    {
        colours[i] = colours_[i];
        if (gain_ > 0.0f)
        {
            const float alpha = std::min(255.0f, float(colours[i] >> 24) * gain_);
            colours[i] = (colours[i] & 0x00FFFFFFu) | (uint32_t(alpha) << 24);
        }
    }
    const float uw = float(source->getSize()[0]);
    const float uh = float(source->getSize()[1]);
    const float uv[4] = {region.left / uw, region.top / uh, region.right / uw, region.bottom / uh};
    QuadDrawState state;
    state.filter = count > 0 ? 3 : 0;
    state.blendMode = blendMode_;
    state.offset = offset;
    if (colour)
        state.colour = *colour;
    state.colour.w *= factor;
    return device_->drawQuads(rectQuad(left / tw * 2.0f - 1.0f, 1.0f - top / th * 2.0f, right / tw * 2.0f - 1.0f,
                                       1.0f - bottom / th * 2.0f, uv, colours),
                              source, state);
}

} // namespace Kavro
