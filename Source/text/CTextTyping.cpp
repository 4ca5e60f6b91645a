#include "text/CText.h"

#include "core/CApp.h"

#include "sprite/CEffectRandomShake.h"
#include "sprite/CEffectShake.h"
#include "sprite/CSpriteList.h"
#include "text/TextColor.h"

#include <cmath>

namespace Orvane
{

namespace
{

// Typing rates are alpha units per frame of 1/60 s.
constexpr float FrameSeconds = 0.016666668f;

float rateOfSeconds(float seconds)
{
    return FrameSeconds / seconds * 255.0f;
}

float secondsOfRate(float rate)
{
    return float(double(FrameSeconds) / double(rate) * 255.0);
}

// Corner -1 (any negative) selects all four, 0..3 one, 4 or more none.
template <class F> void forCorners(int32_t corner, F&& each)
{
    if (corner < 0)
        for (size_t k = 0; k < 4; ++k)
            each(k);
    else if (corner < 4)
        each(size_t(corner));
}

size_t timerCorner(int32_t corner)
{
    return corner < 0 ? 0 : size_t(corner);
}

Kavro::Vector2D planar(const Kavro::Vector3D& v)
{
    return {v.x, v.y};
}

} // namespace

float CText::typingRate() const
{
    if (!(typingSpeed > 0.0f))
        return 0.0f;
    const float rest = 1.0f - typingSpeed;
    return slowTypingRate + (fastTypingRate - slowTypingRate) * rest * rest * rest * rest;
}

void CText::setTypingSpeed(float speed)
{
    typingSpeed = speed;
    const float rate = typingRate();
    CInterpolator<float>& typing = typingInterpolator;
    const float fraction = typing.duration > 0.0f ? typing.elapsed / typing.duration : 1.0f;
    const float span = rate != 0.0f ? 16.0f / rate * typing.to : 0.0f;
    // Half a millisecond more keeps even finished typing running for one last step.
    typing.duration = span + 0.5f;
    typing.evaluate();
    typing.setTime(span * fraction);
}

void CText::setMinTypingTime(float seconds)
{
    fastTypingRate = rateOfSeconds(seconds);
}

float CText::getMinTypingTime() const
{
    return secondsOfRate(fastTypingRate);
}

void CText::setMaxTypingTime(float seconds)
{
    slowTypingRate = rateOfSeconds(seconds);
}

float CText::getMaxTypingTime() const
{
    return secondsOfRate(slowTypingRate);
}

int32_t CText::beginType(int32_t begun)
{
    typingBegun = begun;
    return begun;
}

void CText::fade(float alpha, uint32_t duration, int32_t curve)
{
    fadeInterpolator.set(fadeInterpolator.value, alpha, duration, curve);
    glyphsDirty = 1;
}

void CText::move(float x, float y, uint32_t duration, int32_t curve)
{
    moveInterpolator.set(moveInterpolator.value, {x, y}, duration, curve);
    glyphsDirty = 1;
}

void CText::scale(float x, float y, uint32_t duration, int32_t curve)
{
    scaleInterpolator.set(scaleInterpolator.value, {x, y}, duration, curve);
    glyphsDirty = 1;
}

void CText::rotate(float x, float y, float z, uint32_t duration, int32_t curve)
{
    rotateInterpolator.set(rotateInterpolator.value, {x, y, z}, duration, curve);
    glyphsDirty = 1;
}

void CText::startShake(CEffectShake* effect, const Kavro::Vector3D& startAmplitude,
                       const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode, uint32_t duration,
                       int32_t easing, int32_t swingEasing)
{
    effect->begin(startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
    effect->setTimeScale(timeScale);
}

void CText::shake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
                  uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (shakeEffect)
        shakeEffect->release();
    shakeEffect = new CEffectShake;
    startShake(shakeEffect, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
}

void CText::randomShake(const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude, uint32_t period,
                        uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (shakeEffect)
        shakeEffect->release();
    shakeEffect = new CEffectRandomShake;
    startShake(shakeEffect, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
}

int32_t CText::isShaking() const
{
    return shakeEffect ? int32_t(shakeEffect->isShaking()) : 0;
}

void CText::forgetTransitionCallback()
{
    if (!transitionCallback)
        return;
    if (CApp* app = CApp::get(); app && app->textureWatcher)
        app->textureWatcher->removeCallback(transitionCallback);
    transitionCallback->release();
    transitionCallback = nullptr;
}

void CText::loadTransitionMask(const std::string& name, int32_t reload)
{
    forgetTransitionCallback();
    for (CSpriteList* sprite : glyphSprites)
        sprite->loadTransitionMask(name, 0);
    if (!glyphSprites.empty())
        transitionFilename = glyphSprites.front()->getTransitionFilename();
    if (!reload || transitionFilename.empty())
        return;
    transitionCallback = new CTransitionCallback(this);
    CApp* app = CApp::get();
    if (!app || !app->textureWatcher || !app->textureWatcher->addCallback(transitionFilename, transitionCallback))
    {
        transitionCallback->release();
        transitionCallback = nullptr;
    }
}

void CText::transition(float from, float to, float vague, uint32_t duration, int32_t curve)
{
    for (CSpriteList* sprite : glyphSprites)
        sprite->transition(from, to, vague, duration, uint32_t(curve));
    transitionInterpolator.set(from, to, duration, curve);
    transitionVague = vague;
}

void CText::resetBezier()
{
    bezier.reset();
    if (bezier.progress.active)
        bezier.progress.complete();
}

void CText::setBezier(const Kavro::Vector3D& point)
{
    bezier.addPoint(point);
}

int CText::beginBezier(float duration, int32_t curve)
{
    const int result = bezier.begin(duration, curve);
    if (result >= 0)
        bezier.progress.timeScale = timeScale;
    return result;
}

void CText::resetSpline()
{
    spline.reset();
}

void CText::setSpline(const Kavro::Vector3D& point, float time, float weight)
{
    spline.addPoint(point, time, weight);
}

void CText::beginSpline(uint32_t duration, int32_t curve)
{
    spline.begin(float(duration), curve);
    moveInterpolator.value = planar(spline.current);
    moveInterpolator.scaledValue = moveInterpolator.value * moveInterpolator.valueScale;
    glyphsDirty = 1;
}

CText::Glyph* CText::glyphAt(const std::vector<Glyph*>& list, int32_t index)
{
    return index >= 0 && size_t(index) < list.size() ? list[size_t(index)] : nullptr;
}

void CText::fadeGlyph(Glyph* g, float alpha, uint32_t duration, int32_t curve)
{
    if (!g)
        return;
    g->alphaInterpolator.set(g->alphaInterpolator.value, alpha, duration, curve);
    g->alphaInterpolator.timeScale = timeScale;
    g->dirty = g->fading = glyphsDirty = 1;
}

void CText::moveGlyph(Glyph* g, float x, float y, uint32_t duration, int32_t curve)
{
    if (!g)
        return;
    g->moveInterpolator.set(g->moveInterpolator.value, {x, y}, duration, curve);
    g->moveInterpolator.timeScale = timeScale;
    g->dirty = g->moving = glyphsDirty = 1;
}

void CText::scaleGlyph(Glyph* g, float x, float y, uint32_t duration, int32_t curve)
{
    if (!g)
        return;
    g->scaleInterpolator.set(g->scaleInterpolator.value, {x, y}, duration, curve);
    g->scaleInterpolator.timeScale = timeScale;
    g->dirty = g->scaling = glyphsDirty = 1;
}

void CText::rotateGlyph(Glyph* g, float x, float y, float z, uint32_t duration, int32_t curve)
{
    if (!g)
        return;
    g->rotateInterpolator.set(g->rotateInterpolator.value, {x, y, z}, duration, curve);
    g->rotateInterpolator.timeScale = timeScale;
    g->dirty = g->rotating = glyphsDirty = 1;
}

void CText::shakeGlyph(Glyph* g, CEffectShake* effect, const Kavro::Vector3D& startAmplitude,
                       const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode, uint32_t duration,
                       int32_t easing, int32_t swingEasing)
{
    if (g->shakeEffect)
        g->shakeEffect->release();
    g->shakeEffect = effect;
    startShake(effect, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
}

void CText::fadeCharacter(int32_t index, float alpha, uint32_t duration, int32_t curve)
{
    fadeGlyph(glyphAt(glyphList, index), alpha, duration, curve);
}

void CText::moveCharacter(int32_t index, int32_t x, int32_t y, uint32_t duration, int32_t curve)
{
    moveGlyph(glyphAt(glyphList, index), float(x), float(y), duration, curve);
}

void CText::scaleCharacter(int32_t index, float x, float y, uint32_t duration, int32_t curve)
{
    scaleGlyph(glyphAt(glyphList, index), x, y, duration, curve);
}

void CText::rotateCharacter(int32_t index, float x, float y, float z, uint32_t duration, int32_t curve)
{
    rotateGlyph(glyphAt(glyphList, index), x, y, z, duration, curve);
}

void CText::shakeCharacter(int32_t index, const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                           uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (Glyph* g = glyphAt(glyphList, index))
        shakeGlyph(g, new CEffectShake, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
}

void CText::randomShakeCharacter(int32_t index, const Kavro::Vector3D& startAmplitude,
                                 const Kavro::Vector3D& endAmplitude, uint32_t period, uint32_t mode,
                                 uint32_t duration, int32_t easing, int32_t swingEasing, uint32_t seed)
{
    if (Glyph* g = glyphAt(glyphList, index))
    {
        auto* effect = new CEffectRandomShake;
        effect->random = Kavro::CRandom(seed);
        shakeGlyph(g, effect, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
    }
}

void CText::fadeRuby(int32_t index, float alpha, uint32_t duration, int32_t curve)
{
    fadeGlyph(glyphAt(rubyGlyphList, index), alpha, duration, curve);
}

void CText::moveRuby(int32_t index, int32_t x, int32_t y, uint32_t duration, int32_t curve)
{
    moveGlyph(glyphAt(rubyGlyphList, index), float(x), float(y), duration, curve);
}

void CText::scaleRuby(int32_t index, float x, float y, uint32_t duration, int32_t curve)
{
    scaleGlyph(glyphAt(rubyGlyphList, index), x, y, duration, curve);
}

void CText::rotateRuby(int32_t index, float x, float y, float z, uint32_t duration, int32_t curve)
{
    rotateGlyph(glyphAt(rubyGlyphList, index), x, y, z, duration, curve);
}

void CText::shakeRuby(int32_t index, const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                      uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing)
{
    if (Glyph* g = glyphAt(rubyGlyphList, index))
        shakeGlyph(g, new CEffectShake, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
}

void CText::randomShakeRuby(int32_t index, const Kavro::Vector3D& startAmplitude, const Kavro::Vector3D& endAmplitude,
                            uint32_t period, uint32_t mode, uint32_t duration, int32_t easing, int32_t swingEasing,
                            uint32_t seed)
{
    if (Glyph* g = glyphAt(rubyGlyphList, index))
    {
        auto* effect = new CEffectRandomShake;
        effect->random = Kavro::CRandom(seed);
        shakeGlyph(g, effect, startAmplitude, endAmplitude, period, mode, duration, easing, swingEasing);
    }
}

void CText::setFontColor(int32_t corner, float r, float g, float b, float duration, int32_t curve)
{
    if (corner >= 4)
        return;
    forCorners(corner, [&](size_t k) {
        fontColorInterpolators[k].set(fontColorInterpolators[k].value, {r, g, b}, toWholeMilliseconds(duration),
                                      curve);
    });
    fontColorDirty = glyphsDirty = 1;
}

Kavro::Vector4D CText::getFontColor(int32_t corner) const
{
    const Kavro::Vector3D& c = fontColorInterpolators[corner >= 0 && corner < 4 ? size_t(corner) : 0].scaledValue;
    return {c.x, c.y, c.z, fadeInterpolator.scaledValue};
}

void CText::setShadowColor(int32_t corner, float r, float g, float b, float duration, int32_t curve)
{
    if (corner >= 4)
        return;
    forCorners(corner, [&](size_t k) {
        shadowColorInterpolators[k].set(shadowColorInterpolators[k].value, {r, g, b}, toWholeMilliseconds(duration),
                                        curve);
    });
    // A running change reaches the packed colours through update.
    if (duration <= 0.0f)
        shadowColorDirty = 1;
}

Kavro::Vector4D CText::getShadowColor(int32_t corner) const
{
    const Kavro::Vector3D& c = shadowColorInterpolators[corner >= 0 && corner < 4 ? size_t(corner) : 0].scaledValue;
    return {c.x, c.y, c.z, shadowAlpha};
}

void CText::colorGlyph(Glyph* glyph, int32_t corner, float r, float g, float b, float duration, int32_t curve)
{
    if (!glyph)
        return;
    forCorners(corner, [&](size_t k) {
        CInterpolator<Kavro::Vector3D>& colour = glyph->colorInterpolators[k];
        colour.set(colour.value, {r, g, b}, toWholeMilliseconds(duration), curve);
        colour.timeScale = timeScale;
        if (!colour.active)
            writeColor(glyph->colors[k], colour.value);
    });
    glyph->dirty = glyph->coloring = glyphsDirty = 1;
}

void CText::setCharacterColor(int32_t index, int32_t corner, float r, float g, float b, float duration,
                              int32_t curve)
{
    colorGlyph(glyphAt(glyphList, index), corner, r, g, b, duration, curve);
}

void CText::setRubyColor(int32_t index, int32_t corner, float r, float g, float b, float duration, int32_t curve)
{
    colorGlyph(glyphAt(rubyGlyphList, index), corner, r, g, b, duration, curve);
}

float CText::getShakeTimer() const
{
    return shakeEffect ? shakeEffect->getTimer() : 0.0f;
}

float CText::getColorTimer(int32_t corner) const
{
    return corner >= 4 ? 0.0f : fontColorInterpolators[timerCorner(corner)].elapsed;
}

float CText::getShadowColorTimer(int32_t corner) const
{
    return corner >= 4 ? 0.0f : shadowColorInterpolators[timerCorner(corner)].elapsed;
}

void CText::setFadeTimer(float t)
{
    fadeInterpolator.setTime(t);
    glyphsDirty = 1;
}

void CText::setMoveTimer(float t)
{
    moveInterpolator.setTime(t);
    glyphsDirty = 1;
}

void CText::setScaleTimer(float t)
{
    scaleInterpolator.setTime(t);
    glyphsDirty = 1;
}

void CText::setRotateTimer(float t)
{
    rotateInterpolator.setTime(t);
    glyphsDirty = 1;
}

void CText::setTransitionTimer(float t)
{
    transitionInterpolator.setTime(t);
    for (CSpriteList* sprite : glyphSprites)
        sprite->setTransitionTimer(t);
}

void CText::setTypingTimer(float t)
{
    typingInterpolator.setTime(t);
    glyphsDirty = transformDirty = 1;
}

void CText::setSplineTimer(float t)
{
    spline.setTimer(t);
    moveInterpolator.value = planar(spline.current);
    moveInterpolator.scaledValue = moveInterpolator.value * moveInterpolator.valueScale;
    glyphsDirty = 1;
}

void CText::setBezierTimer(float t)
{
    bezier.progress.setTime(t);
    bezier.evaluate();
    moveInterpolator.value = planar(bezier.current);
    moveInterpolator.scaledValue = moveInterpolator.value * moveInterpolator.valueScale;
    glyphsDirty = 1;
}

void CText::setShakeTimer(float t)
{
    if (!shakeEffect)
        return;
    const float seek = std::clamp(t, 0.0f, shakeEffect->getDuration());
    shakeEffect->setTimer(seek);
}

void CText::setColorTimer(int32_t corner, float t)
{
    forCorners(corner, [&](size_t k) { fontColorInterpolators[k].setTime(t); });
    fontColorDirty = 1;
}

void CText::setShadowColorTimer(int32_t corner, float t)
{
    forCorners(corner, [&](size_t k) { shadowColorInterpolators[k].setTime(t); });
    shadowColorDirty = 1;
}

} // namespace Orvane
