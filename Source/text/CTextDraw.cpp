#include "text/CText.h"

#include "core/CApp.h"
#include "core/CBatchContext.h"
#include "core/CFontPool.h"
#include "core/CTask.h"
#include "sprite/CEffectShake.h"
#include "sprite/CSpriteDisplacementMap.h"
#include "sprite/CSpriteList.h"
#include "sprite/CSpriteMask.h"
#include "text/CFont.h"
#include "text/TextColor.h"

#include <kavro/IRenderDevice.h>
#include <kavro/IShadowSprite.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <utility>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

// Cleared atlas and shadow texels are white without alpha, so linear sampling at an edge only thins.
constexpr uint32_t ClearWhite = 0x00FFFFFFu;
// The shadow is drawn this far beyond the stamped box, for its soft edge.
constexpr float ShadowMargin = 8.0f;
constexpr int32_t RingShadow = 15;

Kavro::IRenderDevice* renderDevice()
{
    const CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

// The box the texts of one shadow batch stamped into their shared shadow texture.
class ShadowBox : public CObject
{
public:
    ShadowBox() { reset(); }
    void reset()
    {
        left = top = FLT_MAX;
        right = bottom = 0.0f;
    }
    void grow(const std::array<float, 4>& r)
    {
        left = std::min(left, r[0]);
        top = std::min(top, r[1]);
        right = std::max(right, r[0] + r[2]);
        bottom = std::max(bottom, r[1] + r[3]);
    }
    float left, top, right, bottom;
};

ShadowBox* boxOf(CBatchContext& batch, bool make)
{
    auto* box = dynamic_cast<ShadowBox*>(batch.getState());
    if (!box && make)
    {
        box = new ShadowBox;
        batch.setState(box);
    }
    return box;
}

bool fadedOut(float fade)
{
    return int32_t(std::clamp(fade * 255.0f, -1.0f, 256.0f)) < 1;
}

// Device space (-1..1, y up) to surface pixels.
Matrix4x4 deviceToPixels(const Vector2D& surface)
{
    return Matrix4x4::GetScaling(0.5f, -0.5f, 1.0f) * Matrix4x4::GetTranslation(0.5f, 0.5f, 0.0f) *
           Matrix4x4::GetScaling(surface.x, surface.y, 1.0f);
}

// Offsets around a circle of radius r for a font's ring shadow; at least one ring step so that tiny fonts
// still get a shadow.
void ringOffsets(const std::string& fontName, int32_t size, std::vector<Vector2D>& offsets, float& alpha)
{
    const CApp* app = CApp::get();
    CFont* font = app && app->fontPool ? app->fontPool->lookup(fontName) : nullptr;
    if (!font)
        return;
    const float limit = float(font->getMaxGlyphSize().second) * 0.15f;
    float r = float(size);
    if (r < 1.0f)
        r = 1.0f;
    else if (r > limit)
        r = limit;
    const int32_t steps = std::max(1, int32_t(std::floor(r)));
    alpha = 1.0f / float(steps);
    const float turn = 45.0f / float(steps);
    for (int32_t i = 0; i < 8 * steps; ++i)
    {
        const Vector3D p = Vector3D(-r, 0.0f, 0.0f).TransformCoord(Matrix4x4::GetRotationZ(turn * float(i)));
        offsets.push_back({p.x, p.y});
    }
}

} // namespace

Matrix4x4 CText::textMatrix(Vector2D& surfaceSize)
{
    surfaceSize = CRenderingTaskObject::getViewSize();
    return world * Matrix4x4().LookAt({0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}) *
           Matrix4x4().Ortho(surfaceSize.x, surfaceSize.y, 0.0f, 120000.0f);
}

int CText::updateWorldMatrix()
{
    const Matrix4x4 previous = world;
    const Vector2D view = getParentViewSize();
    const Vector2D c{(center[0] - 0.5f) * float(fieldWidth) + pivot.x, (center[1] - 0.5f) * float(fieldHeight) + pivot.y};
    const Vector2D& s = scaleInterpolator.scaledValue;
    const Vector3D& r = rotateInterpolator.scaledValue;
    Vector3D p(moveInterpolator.scaledValue.x, moveInterpolator.scaledValue.y, 0.0f);
    if (shakeEffect)
        p = p + shakeEffect->getOffset();
    local = Matrix4x4::GetTranslation(-c.x, c.y, 0.0f) * Matrix4x4::GetScaling(s.x, s.y, 1.0f) *
            Matrix4x4::GetRotationZXY(-r.x, -r.y, -r.z) * Matrix4x4::GetTranslation(c.x, -c.y, 0.0f) *
            Matrix4x4::GetTranslation(p.x, -p.y, p.z) *
            Matrix4x4::GetTranslation((float(fieldWidth) - view.x) * 0.5f, (view.y - float(fieldHeight)) * 0.5f, 0.0f);
    if (CFrame* parent = getParent())
    {
        world = local * parent->world;
        const Vector3D q = parent->world.GetPosition();
        const Vector3D ps = parent->getWorldScale();
        const Vector3D k(1.0f / ps.x, 1.0f / ps.y, 1.0f / ps.z);
        world *= Matrix4x4::GetTranslation(q.x * k.x - q.x, q.y * k.y - q.y, q.z * k.z - q.z);
    }
    else
    {
        world = local;
    }
    if (std::memcmp(&world, &previous, sizeof world) != 0)
        transformDirty = 1;
    for (CFrame* child : getChildren())
        child->updateWorldMatrix();
    return 0;
}

int CText::draw()
{
    refreshAtlas();
    if (fadedOut(fadeInterpolator.scaledValue))
        return 0;
    for (CSpriteList* sprite : glyphSprites)
        sprite->drawAt({0.0f, 0.0f}, nullptr, 1.0f);
    return 0;
}

int CText::drawInstance(const Vector3D* at, float alpha, const Vector2D* atScale, const Vector3D* atRotation)
{
    const Vector2D move = moveInterpolator.scaledValue, scaling = scaleInterpolator.scaledValue;
    const Vector3D rotation = rotateInterpolator.scaledValue;
    const float fade = fadeInterpolator.scaledValue;
    // The copy where the text stands (a trail's newest sample) draws the quads already built.
    const Vector3D shaken = shakeEffect ? shakeEffect->getOffset() : Vector3D();
    if (at->x == move.x + shaken.x && at->y == move.y + shaken.y && *atScale == scaling && *atRotation == rotation &&
        alpha == fade)
        return draw();
    CEffectShake* shake = std::exchange(shakeEffect, nullptr);
    moveInterpolator.scaledValue = {at->x, at->y};
    scaleInterpolator.scaledValue = *atScale;
    rotateInterpolator.scaledValue = *atRotation;
    fadeInterpolator.scaledValue = alpha;
    rebuildGlyphQuads();
    draw();
    moveInterpolator.scaledValue = move;
    scaleInterpolator.scaledValue = scaling;
    rotateInterpolator.scaledValue = rotation;
    fadeInterpolator.scaledValue = fade;
    shakeEffect = shake;
    rebuildGlyphQuads();
    return 0;
}

void CText::rebuildGlyphQuads()
{
    updateWorldMatrix();
    transformDirty = 1;
    updateGlyphQuads();
}

void CText::refreshAtlas()
{
    if (!atlasTexture)
        return;
    if (!atlasDirty && !atlasTexture->isContentsLost())
        return;
    Kavro::IRenderDevice* device = renderDevice();
    if (!device)
        return;
    device->clearTexture(atlasTexture, ClearWhite);
    for (const auto& [key, entry] : atlasMap)
    {
        // A blank glyph (a code the font lacks) has no image: its cell stays clear.
        const auto& src = entry.source;
        if (!entry.texture || src[2] <= 0 || src[3] <= 0)
            continue;
        const auto& cell = entry.cell;
        device->copyRect(atlasTexture, {cell[0], cell[1], cell[0] + cell[2], cell[1] + cell[3]},
                         entry.texture.get(), {src[0], src[1], src[0] + src[2], src[1] + src[3]});
    }
    atlasTexture->setContentsLost(0);
    atlasDirty = 0;
}

int CText::render()
{
    if (fontColorDirty)
    {
        for (size_t k = 0; k < 4; ++k)
            writeColor(fontColors[k], fontColorInterpolators[k].scaledValue);
        fontColorDirty = 0;
        glyphsDirty = 1;
    }
    if (shadowColorDirty)
    {
        for (size_t k = 0; k < 4; ++k)
            writeColor(shadowColors[k], shadowColorInterpolators[k].scaledValue);
        shadowColorDirty = 0;
        glyphsDirty = 1;
    }
    for (CSpriteList* sprite : glyphSprites)
        sprite->update();
    updateGlyphQuads();
    return 0;
}

void CText::emitGlyphQuad(Glyph& g, float opacity, bool rebuild, const Matrix4x4& text, const Vector2D& surfaceSize,
                          int32_t n)
{
    if (rebuild || glyphsDirty || g.dirty)
    {
        const Vector2D c{float(g.width) * 0.5f + g.position.x - float(fieldWidth) * 0.5f,
                         float(g.height) * 0.5f + g.position.y - float(fieldHeight) * 0.5f};
        Vector3D m(g.moveInterpolator.scaledValue.x, g.moveInterpolator.scaledValue.y, 0.0f);
        if (g.shakeEffect)
            m = m + g.shakeEffect->getOffset();
        const Vector2D& s = g.scaleInterpolator.scaledValue;
        const Vector3D& r = g.rotateInterpolator.scaledValue;
        g.matrix = Matrix4x4::GetTranslation(-c.x, c.y, 0.0f) * Matrix4x4::GetScaling(s.x, s.y, 1.0f) *
                   Matrix4x4::GetRotationZXY(-r.x, -r.y, -r.z) * Matrix4x4::GetTranslation(c.x, -c.y, 0.0f) *
                   Matrix4x4::GetTranslation(m.x, -m.y, m.z);
    }
    const float x = g.position.x - float(fieldWidth) * 0.5f;
    const float y = float(fieldHeight) * 0.5f - g.position.y;
    const float w = float(g.width), h = float(g.height);
    const Vector4D corners[4] = {{x, y, 0.0f, 1.0f}, {x + w, y, 0.0f, 1.0f}, {x, y - h, 0.0f, 1.0f},
                                 {x + w, y - h, 0.0f, 1.0f}};
    const std::array<uint32_t, 4>& base = g.coloring ? g.colors : fontColors;
    const uint32_t alpha = uint32_t(std::clamp(opacity * 255.0f, 0.0f, 255.0f)) << 24;
    uint32_t colours[4];
    for (size_t k = 0; k < 4; ++k)
        colours[k] = (base[k] & 0x00FFFFFFu) | alpha;
    Vector2D uv[4];
    if (atlasTexture)
    {
        const float aw = float(atlasTexture->getSize()[0]), ah = float(atlasTexture->getSize()[1]);
        const auto& a = g.atlasCell;
        const float u0 = float(a[0]) / aw, v0 = float(a[1]) / ah;
        const float u1 = float(a[0] + a[2]) / aw, v1 = float(a[1] + a[3]) / ah;
        uv[0] = {u0, v0};
        uv[1] = {u1, v0};
        uv[2] = {u0, v1};
        uv[3] = {u1, v1};
    }
    const Matrix4x4 quad = g.matrix * text;
    if (!glyphSprites.empty())
        glyphSprites[std::min(size_t(g.isRuby), glyphSprites.size() - 1)]->addQuad(quad, corners, colours, uv);

    const Matrix4x4 toPixels = deviceToPixels(surfaceSize);
    float left = FLT_MAX, top = FLT_MAX, right = -FLT_MAX, bottom = -FLT_MAX;
    for (const Vector4D& corner : corners)
    {
        Vector4D p = corner.Transform(quad);
        if (p.w != 0.0f)
            p = {p.x / p.w, p.y / p.w, p.z / p.w, 1.0f};
        const Vector4D px = p.Transform(toPixels);
        left = std::min(left, px.x);
        right = std::max(right, px.x);
        top = std::min(top, px.y);
        bottom = std::max(bottom, px.y);
    }
    if (quadRects.size() <= size_t(n))
        quadRects.resize(size_t(n) + 1);
    quadRects[size_t(n)] = {left, top, right - left, bottom - top};
    g.quadIndex = n;
}

void CText::updateGlyphQuads()
{
    Vector2D surfaceSize;
    const Matrix4x4 text = textMatrix(surfaceSize);
    for (CSpriteList* sprite : glyphSprites)
        sprite->beginQuads();
    drawnQuadCount = 0;
    const bool rebuild = transformDirty || redrawPending;
    const float typed = typingInterpolator.scaledValue;
    const float fade = fadeInterpolator.scaledValue;
    int32_t n = 0;
    for (Glyph& g : glyphStore)
    {
        const float t = typingDone ? 255.0f : std::min(g.typeStart + typed, 255.0f);
        const bool sameAlpha = (int32_t(g.typeAlpha) & 0xFF) == (int32_t(t) & 0xFF);
        if (g.quadIndex == n && !rebuild && !glyphsDirty && sameAlpha && !g.dirty)
        {
            if (!glyphSprites.empty())
                glyphSprites[std::min(size_t(g.isRuby), glyphSprites.size() - 1)]->setQuadFlag(1);
            ++n;
            ++drawnQuadCount;
            continue;
        }
        g.typeAlpha = t;
        float opacity = std::clamp(t / 255.0f * g.alphaInterpolator.scaledValue * fade, 0.0f, 1.0f);
        bool shown = opacity > 0.0f;
        if (typingThreshold >= 0)
        {
            // Pop-in typing: fully opaque once past the threshold, whatever the fades say.
            shown = t > float(typingThreshold);
            opacity = 1.0f;
        }
        if (!shown)
        {
            g.quadIndex = -1;
            continue;
        }
        emitGlyphQuad(g, opacity, rebuild, text, surfaceSize, n);
        ++n;
        ++drawnQuadCount;
    }
    for (CSpriteList* sprite : glyphSprites)
        sprite->endQuads();

    quadRects.resize(size_t(drawnQuadCount));
    float left = FLT_MAX, top = FLT_MAX, right = -FLT_MAX, bottom = -FLT_MAX;
    for (const auto& r : quadRects)
    {
        left = std::min(left, r[0]);
        top = std::min(top, r[1]);
        right = std::max(right, r[0] + r[2]);
        bottom = std::max(bottom, r[1] + r[3]);
    }
    if (right - left < 0.0f || bottom - top < 0.0f)
        bounds = {0.0f, 0.0f, 0.0f, 0.0f};
    else
        bounds = {left, top, right - left, bottom - top};

    redrawPending = (transformDirty || glyphsDirty) ? 1 : 0;
    if (!typingInterpolator.active)
        typingDone = 1;
    glyphsDirty = transformDirty = 0;

    const Matrix4x4 toPixels = deviceToPixels(surfaceSize);
    compositeMatrix =
        Matrix4x4::GetScaling(float(fieldWidth) * 0.5f, float(fieldHeight) * 0.5f, 1.0f) * text * toPixels;
    const float hw = float(fieldWidth) * 0.5f, hh = float(fieldHeight) * 0.5f;
    const Vector4D field[4] = {{-hw, hh, 0.0f, 1.0f}, {hw, hh, 0.0f, 1.0f}, {-hw, -hh, 0.0f, 1.0f}, {hw, -hh, 0.0f, 1.0f}};
    for (size_t k = 0; k < 4; ++k)
    {
        Vector4D p = field[k].Transform(text);
        if (p.w != 0.0f)
            p = {p.x / p.w, p.y / p.w, p.z / p.w, 1.0f};
        compositeCorners[k] = p.Transform(toPixels);
    }
}

Vector4D CText::getCompositeCorner(int32_t index) const
{
    return compositeCorners[size_t(std::clamp(index, 0, 3))];
}

void CText::setShadow(int32_t type, int32_t size, float density, float stampFactor)
{
    shadowType = type;
    shadowAlpha = rubyShadowAlpha = 1.0f;
    shadowOffsets.clear();
    rubyShadowOffsets.clear();
    shadowDensity = density;
    shadowStampFactor = stampFactor;
    if (type == RingShadow)
    {
        ringOffsets(fontName, size, shadowOffsets, shadowAlpha);
        ringOffsets(rubyFontName, size, rubyShadowOffsets, rubyShadowAlpha);
        return;
    }
    const float s = std::fabs(float(size));
    const float x = (type & 1) ? -s : (type & 2) ? s : 0.0f;
    const float y = (type & 4) ? -s : (type & 8) ? s : 0.0f;
    if (type & 15)
        shadowOffsets.push_back({x, y});
    rubyShadowOffsets = shadowOffsets;
    rubyShadowAlpha = shadowAlpha;
}

void CText::setShadowShadingParameter(int32_t a, const float& b, const float& c)
{
    shadingParameterA = a;
    shadingParameterB = b;
    shadingParameterC = c;
    shadowParametersDirty = 1;
}

int CText::beginBatch(CBatchContext& batch)
{
    if (!shadowType)
        return 0;
    boxOf(batch, true)->reset();
    if (Kavro::IRenderDevice* device = renderDevice(); device && shadowTexture)
        device->clearTexture(shadowTexture, ClearWhite);
    return 0;
}

void CText::stampShadow()
{
    auto stamp = [this](CSpriteList* sprite, const std::vector<Vector2D>& offsets, float alpha) {
        const Vector4D colour(1.0f, 1.0f, 1.0f, alpha);
        for (const Vector2D& offset : offsets)
            sprite->drawAt(offset, &colour, shadowStampFactor);
    };
    if (glyphSprites.size() >= 2)
        stamp(glyphSprites[1], rubyShadowOffsets, rubyShadowAlpha);
    if (!glyphSprites.empty())
        stamp(glyphSprites[0], shadowOffsets, shadowAlpha);
}

int CText::addToBatch(CBatchContext& batch)
{
    refreshAtlas();
    if (fadedOut(fadeInterpolator.scaledValue) || !shadowType)
        return 0;
    Kavro::IRenderDevice* device = renderDevice();
    if (!device || !shadowTexture)
        return 0;
    Kavro::ITexture* previous = device->getRenderTarget(0);
    if (previous)
        previous->addRef();
    device->setRenderTarget(0, shadowTexture, 0);
    stampShadow();
    boxOf(batch, true)->grow(bounds);
    device->setRenderTarget(0, previous, 0);
    if (previous)
        previous->release();
    return 0;
}

int CText::endBatch(CBatchContext& batch)
{
    ShadowBox* box = boxOf(batch, false);
    if (!shadowType || !box || box->right < FLT_MIN || box->bottom < FLT_MIN)
        return 0;
    // Without the library's shadow object there is nothing to draw the stamped shadow with.
    if (!shadowObject)
    {
        box->reset();
        return 0;
    }
    if (shadowParametersDirty)
    {
        const Vector4D corners[4] = {{-1.0f, 1.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 0.0f, 1.0f}, {-1.0f, -1.0f, 0.0f, 1.0f},
                                     {1.0f, -1.0f, 0.0f, 1.0f}};
        const Vector2D uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
        const uint32_t colour = (shadowColors[0] & 0x00FFFFFFu) | (channelByte(shadowDensity) << 24);
        const uint32_t colours[4] = {colour, colour, colour, colour};
        shadowObject->setQuad(Matrix4x4(), corners, colours, uv);
        shadowObject->setShading(shadingParameterA, shadingParameterB, shadingParameterC);
        shadowParametersDirty = 0;
    }
    shadowObject->setRect(box->left - ShadowMargin, box->top - ShadowMargin,
                          box->right - box->left + 2.0f * ShadowMargin, box->bottom - box->top + 2.0f * ShadowMargin);
    shadowObject->setShading(shadingParameterA, shadingParameterB, shadingParameterC);
    shadowObject->draw({0.0f, 0.0f}, nullptr, 1.0f);
    box->reset();
    return 0;
}

void CText::setDither(int32_t enable, int32_t width, int32_t height, const std::string& texture)
{
    ditherTextureName = texture;
    ditherWidth = width;
    ditherHeight = height;
    ditherEnabled = enable;
    for (CSpriteList* sprite : glyphSprites)
        sprite->setDither(enable, width, height, texture);
    Kavro::IRenderDevice* device = renderDevice();
    if (!enable || !device)
        return;
    Kavro::ITexture* loaded = texture.empty() ? nullptr : device->loadTexture(texture.c_str(), 0, 0);
    Kavro::ITexture* pattern = loaded ? loaded : device->getDitherTexture();
    if (shadowObject)
        shadowObject->setDither(pattern, float(width), float(height));
    if (loaded)
        loaded->release();
}

void CText::setBlendMode(int32_t mode)
{
    for (CSpriteList* sprite : glyphSprites)
        sprite->setBlendMode(mode);
    if (shadowObject)
        shadowObject->setBlendMode(mode);
    blendMode = mode;
}

void CText::setMask(CSpriteMask* newMask)
{
    // Held before the old one goes: it may be the same mask.
    if (newMask)
        newMask->addRef();
    if (mask)
        mask->release();
    mask = newMask;
    for (CSpriteList* sprite : glyphSprites)
        sprite->setMask(mask);
}

void CText::setDisplacementMap(CSpriteDisplacementMap* map)
{
    // Held before the old one goes: it may be the same map.
    if (map)
        map->addRef();
    if (displacementMap)
        displacementMap->release();
    displacementMap = map;
    for (CSpriteList* sprite : glyphSprites)
        sprite->setDisplacementMap(displacementMap);
}

void CText::setTextureFiltering(int32_t filtering)
{
    if (filtering != textureFiltering)
        glyphsDirty = 1;
    textureFiltering = filtering;
    for (CSpriteList* sprite : glyphSprites)
        sprite->setTextureFiltering(filtering);
}

} // namespace Orvane
