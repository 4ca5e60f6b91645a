#pragma once

#include "sprite/CSpriteRenderTarget.h"

namespace Orvane
{

class CTask;

// The task's default render target: the frame the application draws (the screen, or the texture it
// captures the frame into). It has no texture of its own and draws nothing; the objects that name no
// surface are drawn into it. It answers as a null sprite does and ignores the target switches.
class CBackSurfaceTarget : public CSpriteRenderTarget
{
public:
    // Joins owner's render targets (first, as the task builds it before any other) and no other list.
    explicit CBackSurfaceTarget(CTask& owner);

    // The application selected the frame's target and cleared it when the frame began: the pass
    // only marks itself.
    int beginRender() override;
    int endRender() override;
    // Draws the library scene into the frame.
    int capture() override;

    int update() override { return 0; }
    void setSurface(IRenderTarget*) override {}
    IRenderTarget* getSurface() override { return nullptr; }
    int drawInstance(const Kavro::Vector3D*, float, const Kavro::Vector2D*, const Kavro::Vector3D*) override
    {
        return 0;
    }
    int draw() override { return 0; }
    int render() override;
    int create() override { return 0; }
    void updateGeometry() override {}
    void buildHitMask() override {}
    int isNull() override { return 1; }
    int hasSceneObject() override { return 0; }
    int isOver(int32_t) override { return 0; }
    int isDown(int32_t) override { return 0; }
    void setPixelHitTest(uint32_t) override {}
    void setVisible(uint32_t) override {}
    void setMask(CSpriteMask*) override {}
    void setRect(const int32_t[4]) override {}
    void setCamera(Kavro::ICamera*, const float&, const float&) override {}
    // (0, 0, screen width, screen height).
    std::vector<int32_t> getSize() override;
    int saveImage(const std::string&, int32_t, int32_t, int32_t) override { return -1; }
    void createCaptureScene() override {}
    void setDelayRendering(uint32_t) override {}
    void setResized(const int32_t&) override {}
    void setClearDisabled(const int32_t&) override {}
    void setSuspended(const int32_t&) override {}
};

} // namespace Orvane
