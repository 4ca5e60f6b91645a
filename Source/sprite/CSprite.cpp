#include "sprite/CSprite.h"

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CVolumeControl.h"
#include "core/CTextureWacher.h"
#include "core/IRenderTarget.h"
#include "sprite/CEffectShake.h"
#include "sprite/CSpriteDisplacementMap.h"
#include "sprite/CSpriteMask.h"
#include "sprite/ReleaseHeld.h"

#include <kavro/ICamera.h>
#include <kavro/ICore.h>
#include <kavro/IMovie.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/Quaternion.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;

Kavro::IRenderDevice* renderDevice()
{
    CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

bool validCorner(int32_t index)
{
    return index >= 0 && index < 4;
}

bool sameBits(const Matrix4x4& a, const Matrix4x4& b)
{
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

} // namespace

CSprite::CSprite(Kavro::ITexture* texture_, const Vector2D& at, const int32_t rect_[4]) : texture(texture_)
{
    std::copy(rect_, rect_ + 4, rect);
    if (texture)
        texture->addRef();
    initialise(at);
}

CSprite::CSprite(Kavro::ITexture* texture_) : texture(texture_)
{
    texture->addRef();
    rect[2] = texture->getSize()[0];
    rect[3] = texture->getSize()[1];
    initialise({});
}

CSprite::CSprite(const Vector2D& at, const int32_t rect_[4])
{
    std::copy(rect_, rect_ + 4, rect);
    initialise(at);
}

CSprite::CSprite(Kavro::IMovie* player, const Vector2D& at) : movie(player)
{
    rect[2] = movie->getWidth();
    rect[3] = movie->getHeight();
    initialise(at);
    if (Kavro::IRenderDevice* device = renderDevice())
        texture = device->createTexture(rect[2], rect[3], 1, 0);
    movie->addRef();
    movie->updateFrame(texture);
    volumeControl = new CVolumeControl;
    CApp* app = CApp::get();
    if (CSoundManager* manager = app ? app->soundManager : nullptr)
    {
        manager->addVolumeControl(volumeControl);
        volumeControl->typeVolume = manager->getTypeVolume(4);
    }
}

void CSprite::initialise(const Vector2D& at)
{
    setAt(opacity, 1.0f);
    setAt(position, Vector3D(at.x, at.y, 0.0f));
    setAt(scaling, Vector2D(1.0f, 1.0f));
    setAt(rotation, Vector3D());
    for (auto& colour : vertexColor)
        setAt(colour, Vector3D(1.0f, 1.0f, 1.0f));
    setAt(scrollSpeed, Vector2D());
    setAt(volume, 1.0f);
    setAt(colorBalance, Vector3D(1.0f, 1.0f, 1.0f));
    setAt(colorLevel, Vector3D(0.0f, 1.0f, 1.0f));
    frameCount = currentFrameCount();
    if (CApp* app = CApp::get())
    {
        screenRect[2] = app->screenWidth;
        screenRect[3] = app->screenHeight;
    }
}

CSprite::~CSprite()
{
    stopWatchingTexture();
    dropTransitionMask();
    releaseHeld(colorSprite);
    releaseHeld(sceneSprite);
    releaseHeld(texture);
    releaseHeld(camera);
    releaseHeld(displacementMap);
    releaseHeld(shakeEffect);
    releaseHeld(mask);
    releaseHeld(movie);
    dropVolumeControl();
}

Kavro::IQuad* CSprite::baseQuad() const
{
    if (sceneSprite)
        return sceneSprite;
    return colorSprite;
}

void CSprite::dropQuads()
{
    stopWatchingTexture();
    releaseHeld(sceneSprite);
    releaseHeld(colorSprite);
}

CTextureWacher* CSprite::textureWatcher()
{
    CApp* app = CApp::get();
    return app ? app->textureWatcher : nullptr;
}

void CSprite::stopWatchingTexture()
{
    if (colorTextureCallback)
        if (CTextureWacher* watcher = textureWatcher())
            watcher->removeCallback(colorTextureCallback);
    releaseHeld(colorTextureCallback);
    watchingTexture = 0;
}

void CSprite::watchTexture()
{
    if (!texture || !texture->getFileName() || !*texture->getFileName())
        return;
    // The watcher tracks only the names of textures that can go away (render surfaces) and refuses others.
    CTextureWacher* watcher = textureWatcher();
    colorTextureCallback = makeTextureCallback();
    if (!watcher || !watcher->addCallback(texture->getFileName(), colorTextureCallback))
    {
        releaseHeld(colorTextureCallback);
        return;
    }
    watchingTexture = 1;
}

void CSprite::afterQuadMade()
{
    dirty = 1;
    setCenter(center);
    setPivot(pivot);
    update();
    updateGeometry();
    setBlendMode(blendMode);
}

int CSprite::create()
{
    dropQuads();
    Kavro::IRenderDevice* device = renderDevice();
    sceneSprite = device ? device->createSprite(texture, 1, 1, 1) : nullptr;
    if (!sceneSprite)
        return -1;
    if (clickable && pixelHitTest)
        buildHitMask();
    afterQuadMade();
    watchTexture();
    return 0;
}

int CSprite::createColorTexture(const uint8_t color[4])
{
    dropQuads();
    Kavro::IRenderDevice* device = renderDevice();
    colorSprite = device ? device->createColorQuad(1) : nullptr;
    if (!colorSprite)
        return -1;
    const float toUnit = 0.003921569f;
    const Vector3D rgb(float(color[0]) * toUnit, float(color[1]) * toUnit, float(color[2]) * toUnit);
    for (int i = 0; i < 4; ++i)
    {
        setAt(vertexColor[i], rgb);
        std::memcpy(&vertexColor32[i], color, 4);
    }
    vertexColorDirty = 1;
    afterQuadMade();
    return 0;
}

int CSprite::setParentFrame(CFrame* parent)
{
    for (CFrame* frame = parent; frame; frame = frame->getParent())
        if (frame == this)
        {
            setParent(nullptr);
            return -1;
        }
    setParent(parent);
    return 0;
}

Vector2D CSprite::getViewSize()
{
    return {float(rect[2]), float(rect[3])};
}

Vector3D CSprite::getWorldScale()
{
    return worldScale;
}

Vector2D CSprite::turningOffset() const
{
    const float w = float(rect[2]), h = float(rect[3]);
    return {((center.x - 0.5f) * w + pivot.x) * worldScale.x, ((center.y - 0.5f) * h + pivot.y) * worldScale.y};
}

int CSprite::updateWorldMatrix()
{
    const Matrix4x4 previous = world;
    const float w = float(rect[2]), h = float(rect[3]);
    const Vector2D pv = getParentViewSize();
    const Vector3D& ws = worldScale;
    const Vector2D o = turningOffset();

    Matrix4x4 m = Matrix4x4::GetTranslation(-o.x, o.y, 0.0f) *
                  Matrix4x4::GetScaling(scaling.scaledValue.x, scaling.scaledValue.y, 1.0f);
    const Vector3D r = rotation.scaledValue;
    if (actionCompatibleMode == 1)
    {
        Kavro::Quaternion q = Kavro::Quaternion::GetRotationAxis({1.0f, 0.0f, 0.0f}, -r.x);
        q *= Kavro::Quaternion::GetRotationAxis({0.0f, 1.0f, 0.0f}, -r.y);
        q *= Kavro::Quaternion::GetRotationAxis({0.0f, 0.0f, 1.0f}, -r.z);
        m *= Matrix4x4().RotationQuaternion(q);
    }
    else
    {
        m *= Matrix4x4::GetRotationZXY(-r.x, -r.y, -r.z);
    }
    m *= Matrix4x4::GetTranslation(o.x, -o.y, 0.0f);

    Vector3D p = position.scaledValue + shakeOffset();
    if (camera)
    {
        p.x = p.x * ws.x + (pv.x - pv.x * ws.x) * 0.5f;
        p.y = p.y * ws.y + (pv.y - pv.y * ws.y) * 0.5f;
    }
    m *= Matrix4x4::GetTranslation(p.x, -p.y, p.z);
    if (camera)
        m *= Matrix4x4::GetTranslation(-0.5f * (pv.x - w * ws.x), 0.5f * (pv.y - h * ws.y), 0.0f);
    else
        m *= Matrix4x4::GetTranslation(-0.5f * (pv.x - w), 0.5f * (pv.y - h), 0.0f);

    if (CFrame* parent = getParent())
    {
        world = m * parent->world;
        const Vector3D P = getParentWorldMatrix().GetPosition();
        const Vector3D parentScale = parent->getWorldScale();
        const Vector3D s(ws.x / parentScale.x, ws.y / parentScale.y, ws.z / parentScale.z);
        const Vector3D d = P.TransformCoord(Matrix4x4::GetScaling(s.x, s.y, s.z)) - P;
        world *= Matrix4x4::GetTranslation(d.x, d.y, d.z);
    }
    else
    {
        world = m;
    }
    if (!sameBits(world, previous))
        dirty = 1;
    for (CFrame* child : getChildren())
        child->updateWorldMatrix();
    return 0;
}

uint32_t CSprite::currentFrameCount()
{
    // The core's millisecond clock stands for the frame counter: it moves once per frame.
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    return core ? core->getMilliTime() : 0;
}

namespace
{

// Advances each interpolator; true when any of them ran.
template <class... I> bool advance(I&... interpolators)
{
    return (... | (interpolators.update() != 0));
}

// Ripple and raster phases run at the frame's speed while power, frequency and speed are all non-zero
// (NaN counts as non-zero), and stay within (-1, 1).
void advancePhase(float& phase, float power, float frequency, float speed, float timeScale, uint32_t& dirty)
{
    if (power == 0.0f || frequency == 0.0f || speed == 0.0f)
        return;
    const CApp* app = CApp::get();
    phase += (app ? app->frameSpeed : 1.0f) * speed * timeScale;
    if (std::fabs(phase) >= 1.0f)
        phase -= std::trunc(phase);
    dirty = 1;
}

} // namespace

int CSprite::update()
{
    if (camera)
        dirty = 1;
    updatePointer();
    if (movie)
    {
        if (volume.update())
            applyVolume();
        else if (volumeControl && volumeControl->hasPendingChange())
            applyVolume();
    }
    if (advance(opacity, position, scaling, rotation))
        dirty = 1;
    if (transitionValue.update())
        transitionDirty = 1;
    if (bezier.update())
    {
        position.value = bezier.current;
        position.scaledValue = position.value * position.valueScale;
        dirty = 1;
    }
    if (spline.update())
    {
        position.value = spline.current;
        position.scaledValue = position.value * position.valueScale;
        dirty = 1;
    }
    scrollSpeed.update();
    if (scrollSpeed.scaledValue.x != 0.0f || scrollSpeed.scaledValue.y != 0.0f)
    {
        uvOffset += scrollSpeed.scaledValue * scrollSpeed.timeScale;
        dirty = 1;
    }
    if (updateShake())
        dirty = 1;
    if (colorLevel.update())
        colorLevelDirty = 1;
    if (radialBlur.power.update())
        radialBlur.dirty = 1;
    if (directionalBlur.power.update())
        directionalBlur.dirty = 1;
    for (Wave* wave : {&ripple, &raster})
    {
        if (wave == &raster && raster.rotation.update())
            raster.dirty = 1;
        if (advance(wave->power, wave->frequency))
            wave->dirty = 1;
        wave->speed.update();
        advancePhase(wave->phase, wave->power.scaledValue, wave->frequency.scaledValue, wave->speed.scaledValue,
                     timeScale, wave->dirty);
    }
    if (advance(lens.center, lens.radius, lens.power))
        lens.dirty = 1;
    for (int i = 0; i < ColorEffectCount; ++i)
        if (colorEffect[i].update())
            colorEffectDirty[i] = 1;
    for (auto& colour : vertexColor)
        if (colour.update())
            vertexColorDirty = 1;
    if (colorBalance.update())
        colorBalanceDirty = 1;
    updateSplitActionTime();
    for (auto& corner : vertexMove)
        if (corner.update())
            dirty = 1;
    frameCount = currentFrameCount();
    return 0;
}

void CSprite::packVertexColours()
{
    for (int i = 0; i < 4; ++i)
    {
        const Vector3D c = vertexColor[i].scaledValue;
        const float channels[3] = {c.x, c.y, c.z};
        uint32_t packed = vertexColor32[i] & 0xFF000000u;
        for (int k = 0; k < 3; ++k)
            packed |= uint32_t(std::clamp(channels[k] * 255.0f, 0.0f, 255.0f)) << (8 * k);
        vertexColor32[i] = packed;
    }
}

int CSprite::render()
{
    applySplitAction();
    pushEffects();
    if (vertexColorDirty)
    {
        packVertexColours();
        dirty = 1;
        vertexColorDirty = 0;
    }
    pushColourBalance();
    // Everything drawn into a surface that changed size this frame lays itself out again.
    if (IRenderTarget* surface = getSurface(); surface && surface->isResized())
        dirty = 1;
    if (watchingTexture && sceneSprite)
        sceneSprite->apply();
    const uint32_t dirtyNow = dirty;
    if (dirty || prevDirty || camera)
        updateGeometry();
    prevDirty = dirtyNow;
    return 0;
}

int CSprite::draw()
{
    if (!visible || (vertexColor32[0] >> 24) == 0)
        return 0;
    Kavro::IQuad* quad = baseQuad();
    if (!quad)
        return -1;
    quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
    return 0;
}

int CSprite::drawInstance(const Vector3D* atPosition, float alpha, const Vector2D* atScale, const Vector3D* atRotation)
{
    const auto savedFade = std::make_pair(opacity.value, opacity.scaledValue);
    const auto savedMove = std::make_pair(position.value, position.scaledValue);
    const auto savedScale = std::make_pair(scaling.value, scaling.scaledValue);
    const auto savedRotate = std::make_pair(rotation.value, rotation.scaledValue);
    opacity.value = alpha;
    opacity.scaledValue = alpha * opacity.valueScale;
    position.value = *atPosition;
    position.scaledValue = position.value * position.valueScale;
    scaling.value = *atScale;
    scaling.scaledValue = scaling.value * scaling.valueScale;
    rotation.value = *atRotation;
    rotation.scaledValue = rotation.value * rotation.valueScale;
    updateWorldMatrix();
    updateGeometry();
    draw();
    std::tie(opacity.value, opacity.scaledValue) = savedFade;
    std::tie(position.value, position.scaledValue) = savedMove;
    std::tie(scaling.value, scaling.scaledValue) = savedScale;
    std::tie(rotation.value, rotation.scaledValue) = savedRotate;
    dirty = 1;
    return 0;
}

bool CSprite::isInCamera(Kavro::ICamera* asked)
{
    return asked && asked == camera;
}

float CSprite::getCameraDepth(Kavro::ICamera* asked)
{
    if (!isInCamera(asked))
        return 0.0f;
    float depth = -FLT_MAX;
    for (const auto& vertex : vertices)
        depth = std::max(depth, vertex.z);
    return depth;
}

void CSprite::buildHitMask()
{
    if (!texture || texture->getFormat() != 1 || texture->lock(6, nullptr) < 0)
    {
        pixelHitTest = 0;
        return;
    }
    const int32_t w = std::max(rect[2], 0), h = std::max(rect[3], 0);
    hitMask.assign(size_t(w) * size_t(h), 0);
    const int32_t textureW = texture->getSize()[0], textureH = texture->getSize()[1];
    const auto* bits = static_cast<const uint8_t*>(texture->getData());
    const int pitch = texture->getPitch();
    // Only the part of the rectangle that lies on the texture is read; the rest stays transparent.
    const int32_t firstRow = std::max(0, -rect[1]), lastRow = std::min(h, textureH - rect[1]);
    const int32_t firstColumn = std::max(0, -rect[0]), lastColumn = std::min(w, textureW - rect[0]);
    for (int32_t r = firstRow; bits && r < lastRow; ++r)
    {
        const uint8_t* row = bits + size_t(pitch) * size_t(rect[1] + r);
        for (int32_t c = firstColumn; c < lastColumn; ++c)
            hitMask[size_t(r) * size_t(w) + size_t(c)] = row[4 * size_t(rect[0] + c) + 3];
    }
    texture->unlock();
}

void CSprite::setPixelHitTest(uint32_t flag)
{
    pixelHitTest = flag;
    if (flag && hitMask.empty())
        buildHitMask();
}

void CSprite::setClickable(uint32_t clickableFlag, uint32_t pixelHitTestFlag)
{
    clickable = clickableFlag;
    pixelHitTest = pixelHitTestFlag;
    if (clickable && pixelHitTest)
        buildHitMask();
}

void CSprite::setRect(const int32_t value[4])
{
    std::copy(value, value + 4, rect);
    if (clickable && pixelHitTest)
        buildHitMask();
}

void CSprite::setScreenRect(const int32_t value[4])
{
    std::copy(value, value + 4, screenRect);
}

void CSprite::setColor(int32_t index, float r, float g, float b, float time, uint32_t easing)
{
    const int32_t curve = easing >= uint32_t(EasingCount) ? 0 : int32_t(easing);
    const uint32_t duration = toWholeMilliseconds(time);
    const Vector3D target(r, g, b);
    for (int i = 0; i < 4; ++i)
        if (index < 0 || index == i)
            vertexColor[i].set(vertexColor[i].scaledValue, target, duration, curve);
    vertexColorDirty = 1;
}

Kavro::ColorF CSprite::getColor(int32_t index)
{
    if (!validCorner(index))
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const Vector3D c = vertexColor[index].scaledValue;
    return {c.x, c.y, c.z, opacity.scaledValue};
}

void CSprite::setFadeScale(float s)
{
    opacity.valueScale = s;
    if (opacity.active)
        opacity.evaluate();
    else
        opacity.value = opacity.to;
    opacity.scaledValue = opacity.value * s;
    dirty = 1;
}

void CSprite::setBlendMode(int32_t mode)
{
    blendMode = mode;
    if (Kavro::IQuad* quad = baseQuad())
        quad->setBlendMode(mode);
}

void CSprite::setMask(CSpriteMask* newMask)
{
    Kavro::IQuad* quad = baseQuad();
    // Held before the old one goes: it may be the same mask.
    if (quad && newMask)
        newMask->addRef();
    releaseHeld(mask);
    if (!quad)
        return;
    mask = newMask;
    quad->setMask(newMask ? newMask->maskObject : nullptr);
}

void CSprite::setCenter(const Vector2D& value)
{
    center = value;
    dirty = 1;
}

void CSprite::setPivot(const Vector2D& value)
{
    pivot = value;
    dirty = 1;
}

void CSprite::setUVOffset(const Vector2D& offset)
{
    uvOffset = offset;
    if (sceneSprite)
        sceneSprite->setUVOffset(uvOffset);
}

Kavro::Vector4D CSprite::getVertex(const int32_t& index)
{
    return validCorner(index) ? vertices[index] : Kavro::Vector4D();
}

void CSprite::refreshSceneSprite()
{
    if (sceneSprite)
        sceneSprite->apply();
}

int CSprite::saveImage(const std::string& fileName, int32_t width, int32_t height, int32_t format)
{
    Kavro::IRenderDevice* device = renderDevice();
    if (!texture || !device)
        return -1;
    Kavro::ITexture* saved = texture;
    saved->addRef();
    if (width != texture->getSize()[0] || height != texture->getSize()[1])
    {
        saved->release();
        saved = device->createRenderTexture(width, height, 4, 0, 0, 0);
        if (!saved)
            return -1;
        if (const int copied = device->copyTexture(saved, texture, 2); copied < 0)
        {
            saved->release();
            return copied;
        }
    }
    const int result = device->saveTexture(fileName.c_str(), saved, format);
    saved->release();
    return result;
}

} // namespace Orvane
