#include "scene/CSpriteQuad.h"

#include "scene/CMaskQuad.h"

#include "render/CRenderDevice.h"
#include "render/CTexture.h"

#include <algorithm>

namespace Kavro
{

namespace
{

// corner x matrix, row-vector convention.
void transform(const Vector4D& c, const Matrix4x4& m, float out[4])
{
    for (int j = 0; j < 4; ++j)
        out[j] = c.x * m.m[0][j] + c.y * m.m[1][j] + c.z * m.m[2][j] + c.w * m.m[3][j];
}

} // namespace

CSpriteQuad::CSpriteQuad(CRenderDevice* device, CTexture* texture, int quadCount)
    : device_(device), texture_(texture)
{
    setQuadCount(quadCount);
}

// The references go in the order they were taken in reverse: the device last.
CSpriteQuad::~CSpriteQuad() = default;

int CSpriteQuad::begin()
{
    corners_.clear();
    return 0;
}

int CSpriteQuad::addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4])
{
    static const Vector2D noUv[4];
    return addQuad(matrix, corners, colours, noUv);
}

int CSpriteQuad::addQuad(const Matrix4x4& matrix, const Vector4D corners[4], const uint32_t colours[4],
                         const Vector2D uv[4])
{
    if (!corners || !colours || !uv)
        return -1;
    for (int i = 0; i < 4; ++i)
    {
        QuadVertex v;
        transform(corners[i], matrix, v.position);
        v.colour = colours[i];
        v.uv[0] = uv[i].x;
        v.uv[1] = uv[i].y;
        corners_.push_back(v);
    }
    return 0;
}

int CSpriteQuad::end()
{
    return 0;
}

int CSpriteQuad::draw(const Vector2D& offset, const Vector4D* colour, float factor)
{
    return device_->drawQuads(corners_, texture_.get(), drawState(offset, colour, factor));
}

QuadDrawState CSpriteQuad::drawState(const Vector2D& offset, const Vector4D* colour, float factor) const
{
    QuadDrawState state;
    state.filter = filter_ ? 3 : 0;
    state.blendMode = blendMode_;
    state.offset = offset;
    if (colour)
        state.colour = *colour;
    state.colour.w *= factor;
    state.uvOffset = uvOffset_;
    // A moved texture repeats rather than smearing its edge texels (scrolling backgrounds).
    if (uvOffset_.x != 0.0f || uvOffset_.y != 0.0f)
        state.filter |= QuadDrawState::RepeatBit;
    if (mask_)
        state.mask = mask_->maskTexture() ? mask_->maskTexture()->glTexture() : 0;
    state.stages = effects_.stages(transitionMask_.get(), dither_.get(), displacement_.get(), shade_.get());
    if (state.stages)
    {
        state.effects = effects_;
        state.displacementMap = displacement_ ? displacement_->texture()->glTexture() : 0;
        state.shadeMap = shade_ ? shade_->texture()->glTexture() : 0;
        state.transitionMask = transitionMask_ ? transitionMask_->glTexture() : 0;
        state.ditherPattern = dither_ ? dither_->glTexture() : 0;
        if (dither_ && state.effects.ditherSize.x <= 0.0f)
            state.effects.ditherSize.x = float(dither_->getSize()[0]);
        if (dither_ && state.effects.ditherSize.y <= 0.0f)
            state.effects.ditherSize.y = float(dither_->getSize()[1]);
    }
    return state;
}

int CSpriteQuad::setBlendMode(int mode)
{
    blendMode_ = mode;
    return 0;
}

int CSpriteQuad::setQuadCount(int count)
{
    if (count < 0 || count >= 65536)
        return -1;
    corners_.reserve(size_t(count) * 4);
    return 0;
}

int CSpriteQuad::setCamera(ICamera* camera)
{
    camera_ = Ref<ICamera>(camera);
    return 0;
}

ITexture* CSpriteQuad::getTexture()
{
    return texture_.get();
}

int CSpriteQuad::setTexture(ITexture* texture)
{
    CTexture* ours = texture ? device_->own(texture) : device_->own(device_->getDefaultTexture());
    if (!ours)
        return -1;
    texture_ = Ref<CTexture>(ours);
    return 0;
}

int CSpriteQuad::setFilter(int linear)
{
    filter_ = linear ? 1 : 0;
    return 0;
}

int CSpriteQuad::setMask(ISpriteQuad* mask)
{
    auto* ours = dynamic_cast<CMaskQuad*>(mask);
    mask_ = Ref<CMaskQuad>(ours);
    return mask && !ours ? -1 : 0;
}

int CSpriteQuad::setUVOffset(const Vector2D& offset)
{
    uvOffset_ = offset;
    return 0;
}

int CSpriteQuad::hold(Ref<CTexture>& slot, ITexture* texture)
{
    CTexture* ours = nullptr;
    if (texture && !(ours = device_->own(texture)))
        return -1;
    slot = Ref<CTexture>(ours);
    return 0;
}

int CSpriteQuad::setTransitionMask(ITexture* mask)
{
    return hold(transitionMask_, mask);
}

int CSpriteQuad::setTransition(float from, float to, float value, float vague)
{
    const float values[4] = {from, to, value, vague};
    std::copy(values, values + 4, effects_.transition);
    return 0;
}

int CSpriteQuad::setDither(ITexture* pattern, const Vector2D& size)
{
    if (hold(dither_, pattern) < 0)
        return -1;
    effects_.ditherSize = size;
    return 0;
}

int CSpriteQuad::setDisplacementMap(IDisplacementMap* map)
{
    auto* ours = dynamic_cast<CDisplacementMap*>(map);
    if (map && (!ours || ours->texture()->device() != device_.get()))
        ours = nullptr;
    displacement_ = Ref<CDisplacementMap>(ours);
    effects_.displacementScale = ours ? ours->getScale() : Vector2D();
    return map && !ours ? -1 : 0;
}

int CSpriteQuad::setShadeMap(IShadeMap* map)
{
    auto* ours = dynamic_cast<CShadeMap*>(map);
    if (map && (!ours || ours->texture()->device() != device_.get()))
        ours = nullptr;
    shade_ = Ref<CShadeMap>(ours);
    return map && !ours ? -1 : 0;
}

int CSpriteQuad::setColorBalance(float r, float g, float b, float a)
{
    const float values[4] = {r, g, b, a};
    std::copy(values, values + 4, effects_.balance);
    return 0;
}

int CSpriteQuad::setShadingParameter(int level, float density)
{
    effects_.shadingLevel = level;
    effects_.shadingDensity = density;
    return 0;
}

int CSpriteQuad::setColorLevel(const float* min, const float* max, const float* power)
{
    if (!min || !max || !power)
        return -1;
    effects_.levelMin = *min;
    effects_.levelMax = *max;
    effects_.levelPower = *power;
    return 0;
}

int CSpriteQuad::setRasterRotate(const float* degrees)
{
    if (!degrees)
        return -1;
    effects_.rasterRotate = *degrees;
    return 0;
}

int CSpriteQuad::setLensCenter(const Vector2D* center)
{
    if (!center)
        return -1;
    effects_.lensCenter = *center;
    return 0;
}

} // namespace Kavro
