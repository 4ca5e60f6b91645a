#include "text/CText.h"

#include "core/CApp.h"
#include "core/CFontPool.h"
#include "core/TextEncoding.h"
#include "sprite/CEffectShake.h"
#include "sprite/CSpriteList.h"
#include "text/CFont.h"
#include "text/TextColor.h"

#include <kavro/IRenderDevice.h>
#include <kavro/IShadowSprite.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace Orvane
{

namespace
{

Kavro::IRenderDevice* renderDevice()
{
    const CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

template <class T> void restAt(CInterpolator<T>& interpolator, const T& value)
{
    interpolator.set(value, value, 0, 0);
    interpolator.value = value;
    interpolator.scaledValue = value;
}

} // namespace

CText::Glyph& CText::makeGlyph(const FontGlyph& g, float x, float y, float typeAlpha, char16_t code, int italic,
                              int isRuby)
{
    Glyph& record = glyphStore.emplace_back();
    record.texture = g.texture;
    record.texX = g.x;
    record.texY = g.y;
    record.width = g.width;
    record.height = g.height;
    record.position = {x, y};
    record.typeAlpha = record.typeStart = typeAlpha;
    record.code = code;
    record.italic = italic;
    record.isRuby = isRuby;
    restAt(record.alphaInterpolator, 1.0f);
    restAt(record.moveInterpolator, Kavro::Vector2D{0.0f, 0.0f});
    restAt(record.scaleInterpolator, Kavro::Vector2D{1.0f, 1.0f});
    restAt(record.rotateInterpolator, Kavro::Vector3D{0.0f, 0.0f, 0.0f});
    for (auto& colour : record.colorInterpolators)
        restAt(colour, Kavro::Vector3D{1.0f, 1.0f, 1.0f});
    return record;
}

CText::CText(const std::string& name, const int32_t referenceSize[2])
    : CRenderingTaskObject(name), fieldWidth(referenceSize[0]), fieldHeight(referenceSize[1])
{
    restAt(fadeInterpolator, 1.0f);
    restAt(moveInterpolator, Kavro::Vector2D{0.0f, 0.0f});
    restAt(scaleInterpolator, Kavro::Vector2D{1.0f, 1.0f});
    restAt(rotateInterpolator, Kavro::Vector3D{0.0f, 0.0f, 0.0f});
    for (auto& colour : fontColorInterpolators)
        restAt(colour, Kavro::Vector3D{1.0f, 1.0f, 1.0f});
    setSurface(nullptr);
}

CText::~CText()
{
    clear();
    if (shakeEffect)
        shakeEffect->release();
    setMask(nullptr);
    setDisplacementMap(nullptr);
    forgetTransitionCallback();
    releaseShadow();
}

void CText::releaseShadow()
{
    if (shadowObject)
        shadowObject->release();
    shadowObject = nullptr;
    if (shadowTexture)
        shadowTexture->release();
    shadowTexture = nullptr;
}

Kavro::Vector2D CText::getViewSize()
{
    return {float(fieldWidth), float(fieldHeight)};
}

void CText::setSurface(IRenderTarget* target)
{
    CRenderingTaskObject::setSurface(target);
    const Kavro::Vector2D size = CRenderingTaskObject::getViewSize();
    releaseShadow();
    // Texts of one surface size share one shadow texture: the shadow batch draws them into it together.
    if (Kavro::IRenderDevice* device = renderDevice(); device && size.x >= 1.0f && size.y >= 1.0f)
    {
        shadowTexture = device->getSharedRenderTexture(int(size.x), int(size.y), 4);
        if (shadowTexture)
            shadowObject = device->createShadowSprite(shadowTexture);
        if (shadowObject)
            shadowObject->setBlendMode(blendMode);
    }
    shadowParametersDirty = 1;
}

int CText::update()
{
    if (moveInterpolator.update())
    {
        positionX = int32_t(moveInterpolator.value.x);
        positionY = int32_t(moveInterpolator.value.y);
        transformDirty = 1;
    }
    else if (int32_t(moveInterpolator.value.x) != positionX || int32_t(moveInterpolator.value.y) != positionY)
    {
        positionX = int32_t(moveInterpolator.value.x);
        positionY = int32_t(moveInterpolator.value.y);
        transformDirty = 1;
    }
    if (fadeInterpolator.update())
        transformDirty = 1;
    if (scaleInterpolator.update())
        transformDirty = 1;
    if (rotateInterpolator.update())
        transformDirty = 1;
    auto followPath = [this](const Kavro::Vector3D& point) {
        moveInterpolator.value = {point.x, point.y};
        moveInterpolator.scaledValue = moveInterpolator.value * moveInterpolator.valueScale;
        transformDirty = 1;
    };
    if (bezier.update())
        followPath(bezier.current);
    if (spline.update())
        followPath(spline.current);
    if (typingBegun)
        typingInterpolator.update();
    if (shakeEffect && shakeEffect->isShaking())
    {
        shakeEffect->update();
        transformDirty = 1;
    }

    auto updateGlyph = [](Glyph* g) {
        g->dirty = 0;
        if (g->moving && g->moveInterpolator.update())
            g->dirty = 1;
        if (g->fading && g->alphaInterpolator.update())
            g->dirty = 1;
        if (g->scaling && g->scaleInterpolator.update())
            g->dirty = 1;
        if (g->rotating && g->rotateInterpolator.update())
            g->dirty = 1;
        if (g->shakeEffect && !g->shakeEffect->isShaking())
        {
            g->shakeEffect->release();
            g->shakeEffect = nullptr;
            g->dirty = 1;
        }
        else if (g->shakeEffect)
        {
            g->shakeEffect->update();
            g->dirty = 1;
        }
        if (g->coloring)
            for (size_t k = 0; k < 4; ++k)
                if (g->colorInterpolators[k].update())
                {
                    writeColor(g->colors[k], g->colorInterpolators[k].value);
                    g->dirty = 1;
                }
    };
    for (Glyph* g : glyphList)
        updateGlyph(g);
    for (Glyph* g : rubyGlyphList)
        updateGlyph(g);

    for (size_t k = 0; k < 4; ++k)
    {
        if (fontColorInterpolators[k].update())
            fontColorDirty = 1;
        if (shadowColorInterpolators[k].update())
            shadowColorDirty = 1;
    }
    return 0;
}

std::string CText::getBatchKey()
{
    std::ostringstream key;
    key << "CText:" << shadingParameterC << '_' << shadingParameterA << '_' << shadingParameterB << '_' << blendMode
        << '_';
    char colour[9];
    std::snprintf(colour, sizeof colour, "%08X", shadowColors[0]);
    key << colour;
    return key.str();
}

int CText::create(const std::string& text)
{
    clear();
    sourceText = text;
    if (text.empty())
        return -1;
    return layoutText(sourceText) < 0 ? -1 : 0;
}

int32_t CText::printSeamGap(const std::string& text) const
{
    if (atLineStart)
        return 0;
    std::u16string units;
    utf8ToUtf16(text, units);
    for (char16_t c : units)
    {
        if (c == u'#' || c == u'}' || c == u'{' || c == u'\n' || c == u'\r')
            continue;
        // Layout adds its own pitch before this glyph as well: the seam gets both gaps.
        return (c >= 0x100 && previousWide) ? pitchWide : pitchNarrow;
    }
    return 0;
}

int CText::print(const std::string& text)
{
    if (text.empty())
        return -1;
    if (sourceText.empty())
        return create(text);
    penX += printSeamGap(text);
    if (layoutText(text) < 0)
        return -1;
    sourceText += text;
    return 0;
}

void CText::releaseAtlas()
{
    if (atlasTexture)
        atlasTexture->release();
    atlasTexture = nullptr;
    atlasSize = {0, 0};
    for (CSpriteList* sprite : glyphSprites)
        sprite->release();
    glyphSprites.clear();
}

void CText::clear()
{
    sourceText.clear();
    releaseAtlas();
    atlasDirty = 0;
    for (Glyph& g : glyphStore)
        if (g.shakeEffect)
        {
            g.shakeEffect->release();
            g.shakeEffect = nullptr;
        }
    glyphList.clear();
    rubyGlyphList.clear();
    glyphStore.clear();
    typingDone = typingBegun = atLineStart = previousWide = 0;
    penX = penY = columnWidth = lineHeight = extentX = extentY = 0;
    lineCount = 1;
    const float valueScale = typingInterpolator.valueScale;
    const float typingTimeScale = typingInterpolator.timeScale;
    typingInterpolator = {};
    typingInterpolator.valueScale = valueScale;
    typingInterpolator.timeScale = typingTimeScale;
}

int CText::resetType()
{
    const std::string text = sourceText;
    return create(text);
}

void CText::markDirty()
{
    glyphsDirty = 1;
    transformDirty = 1;
}

void CText::pushAll()
{
    typingDone = 1;
    for (Glyph& g : glyphStore)
        g.typeAlpha = 255.0f;
    markDirty();
    typingInterpolator.setTime(typingInterpolator.duration);
}

void CText::relayout()
{
    if (!sourceText.empty())
        layoutText({});
}

void CText::setField(int32_t width, int32_t height)
{
    fieldWidth = width;
    fieldHeight = height;
    relayout();
}

void CText::setPitchSpace(int32_t wide, int32_t narrow)
{
    pitchWide = wide;
    pitchNarrow = narrow;
    relayout();
}

void CText::setRowSpace(int32_t space)
{
    rowSpace = space;
    relayout();
}

void CText::setRubyOffset(int32_t offset)
{
    rubyOffset = offset;
    relayout();
}

std::array<float, 4> CText::glyphRect(const std::vector<Glyph*>& list, int32_t index) const
{
    if (index < 0 || size_t(index) >= list.size())
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const Glyph& g = *list[size_t(index)];
    const Kavro::Vector2D& move = moveInterpolator.value;
    const Kavro::Vector2D& scale = scaleInterpolator.value;
    return {move.x + g.position.x + g.moveInterpolator.value.x, move.y + g.position.y + g.moveInterpolator.value.y,
            scale.x * g.scaleInterpolator.value.x * float(g.width),
            scale.y * g.scaleInterpolator.value.y * float(g.height)};
}

std::array<float, 4> CText::getCharacterRect(int32_t index) const
{
    return glyphRect(glyphList, index);
}

std::array<float, 4> CText::getRubyRect(int32_t index) const
{
    return glyphRect(rubyGlyphList, index);
}

void CText::setTimeScale(float scale)
{
    timeScale = scale;
    fadeInterpolator.timeScale = moveInterpolator.timeScale = scaleInterpolator.timeScale = scale;
    rotateInterpolator.timeScale = transitionInterpolator.timeScale = typingInterpolator.timeScale = scale;
    bezier.progress.timeScale = scale;
    if (shakeEffect)
        shakeEffect->setTimeScale(scale);
    // The spline and the shadow colours keep their own time scale.
    for (auto& colour : fontColorInterpolators)
        colour.timeScale = scale;
    for (Glyph& g : glyphStore)
    {
        g.alphaInterpolator.timeScale = g.moveInterpolator.timeScale = g.scaleInterpolator.timeScale = scale;
        g.rotateInterpolator.timeScale = scale;
        if (g.shakeEffect)
            g.shakeEffect->setTimeScale(scale);
        for (auto& colour : g.colorInterpolators)
            colour.timeScale = scale;
    }
    for (CSpriteList* sprite : glyphSprites)
        sprite->setTimeScale(scale);
}

bool CText::mapScreenToText(const Kavro::Vector2D& point, Kavro::Vector2D& out) const
{
    const Kavro::Matrix4x4 inverse = compositeMatrix.Inverse();
    const Kavro::Vector3D near = Kavro::Vector3D{point.x, point.y, -1.0f}.TransformCoord(inverse);
    const Kavro::Vector3D far = Kavro::Vector3D{point.x, point.y, 1.0f}.TransformCoord(inverse);
    // The plane z = 0 through the origin.
    const float dz = far.z - near.z;
    if (dz == 0.0f || !std::isfinite(dz))
        return false;
    const float t = -near.z / dz;
    const float qx = near.x + (far.x - near.x) * t;
    const float qy = near.y + (far.y - near.y) * t;
    if (!(std::fabs(qx) <= 1.0f && std::fabs(qy) <= 1.0f))
        return false;
    out = {0.5f * (qx + 1.0f), -0.5f * (qy - 1.0f)};
    return true;
}

} // namespace Orvane
