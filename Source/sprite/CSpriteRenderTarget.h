#pragma once

#include "core/IRenderTarget.h"
#include "sprite/CSprite.h"

#include <cstdint>
#include <string>

namespace Kavro
{
class ISceneManager;
}

namespace Orvane
{

// A post-process step a render target applies to its surface when a pass ends. No kind exists: a
// target never makes one, and the script methods that set its parameters find none.
class CCustomEffect : public CObject
{
public:
    virtual void setParameter(const std::string& name, const std::string& value) = 0;
    virtual void setParameter(const std::string& name, float value) = 0;
    virtual void setParameter(const std::string& name, int32_t value) = 0;
    virtual void apply(Kavro::ITexture* texture) = 0;
};

// A sprite whose texture is a drawing surface: once a frame the task's pass makes it the device's
// target, draws into it the objects bound to it, and puts the previous target back. The target is
// itself an ordinary sprite, drawn into its own surface, so targets nest.
class CSpriteRenderTarget : public CSprite, public IRenderTarget
{
public:
    // texture: the surface (may be null); the target registers with its task and watches the
    // surface's name, so that sprites waiting on that name hear when it goes away.
    CSpriteRenderTarget(Kavro::ITexture* texture, const Kavro::Vector2D& position);
    ~CSpriteRenderTarget() override;

    int update() override;
    // The prepare pass: the scene sprite takes up what was drawn unless the target is frozen, and
    // the frame's pass count and capture mark start again.
    int render() override;

    // IRenderTarget. The surface is the sprite's texture, except for targets whose surface belongs to a
    // library object of their own.
    CRenderingTaskObject* getTargetObject() override { return this; }
    Kavro::ITexture* getTexture() override { return texture; }
    // -1 when suspended, already drawing, or without a surface; else the device's answer (the pass
    // must then still end with endRender).
    int beginRender() override;
    // Restores the target that was current at beginRender; nothing unless drawing.
    int endRender() override;
    int capture() override;
    bool isDelayRendering() override { return delayRendering != 0; }
    bool isSuspended() override { return suspended != 0; }
    bool isCaptured() override { return captured != 0; }
    bool isResized() override { return resized != 0; }

    // A private scene of the surface's size, starting from the application scene's state, which
    // capture then draws instead of the application's.
    virtual void createCaptureScene();
    virtual int deleteCustomEffect();
    // Always -1: no kind of custom effect exists.
    virtual int createCustomEffect(const std::string& name);
    virtual void setDelayRendering(uint32_t flag) { delayRendering = flag; }
    virtual CCustomEffect* getCustomEffect() { return customEffect; }
    virtual void setResized(const int32_t& flag) { resized = uint32_t(flag); }
    virtual void setClearDisabled(const int32_t& flag) { clearDisabled = uint32_t(flag); }
    virtual void setSuspended(const int32_t& flag) { suspended = uint32_t(flag); }
    // Clears the surface to clearColour now.
    void clear();

    Kavro::ITexture* savedTarget = nullptr;
    uint32_t rendering = 0;
    // 0xAARRGGBB.
    uint32_t clearColour = 0;
    uint32_t captured = 0;
    uint32_t delayRendering = 0;
    uint32_t resized = 0;
    uint32_t suspended = 0;
    uint32_t clearDisabled = 0;
    // Passes into the surface since the last prepare pass: 0 means not drawn yet this frame.
    uint32_t passCount = 0;
    Kavro::ISceneManager* captureScene = nullptr;
    CCustomEffect* customEffect = nullptr;

protected:
    // The surface's name (at most 511 characters), empty without one.
    std::string surfaceName() const;
};

} // namespace Orvane
