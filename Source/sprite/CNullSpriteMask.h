#pragma once

#include "sprite/CSpriteMask.h"

namespace Orvane
{

// The mask a script sprite holds after a creation that failed: it makes no quad, draws nothing and
// ignores the motions, but keeps the mask's answers where a failed mask has them (its colour, its
// surface, the vector forms of scale and rotate).
class CNullSpriteMask : public CSpriteMask
{
public:
    CNullSpriteMask();

    int update() override { return 0; }
    void setSurface(IRenderTarget*) override {}
    int drawInstance(const Kavro::Vector3D*, float, const Kavro::Vector2D*, const Kavro::Vector3D*) override
    {
        return -1;
    }
    int draw() override { return 0; }
    int create() override { return -1; }
    void updateGeometry() override {}
    int hasSceneObject() override { return 0; }
    void setVisible(uint32_t) override {}
    void setFadeScale(float) override {}
    void setMask(CSpriteMask*) override {}
    void fade(float, uint32_t, uint32_t) override {}
    void move(const Kavro::Vector2D&, uint32_t, uint32_t) override {}
    void move(float, float, uint32_t, uint32_t) override {}
    void move3D(float, float, float, uint32_t, uint32_t) override {}
    void scale(float, float, uint32_t, uint32_t) override {}
    void rotate(float, float, float, uint32_t, uint32_t) override {}
    uint32_t isFading() override { return 0; }
    uint32_t isMoving() override { return 0; }
    uint32_t isScaling() override { return 0; }
    uint32_t isRotating() override { return 0; }
    void setRect(const int32_t[4]) override {}
    void resetBezier() override {}
    void setCamera(Kavro::ICamera*, const float&, const float&) override {}
    void loadTransitionMask(const std::string&, int32_t) override {}
    void transition(float, float, float, uint32_t, uint32_t) override {}
    void setShadingParameter(int32_t, float) override {}
    void setDisplacementMap(CSpriteDisplacementMap*) override {}
    void setShadeMask(CSpriteShadeMask*) override {}
    void setColorLevel(const float&, const float&, const float&, const float&, const int32_t&) override {}
    Kavro::Vector4D getVertex(const int32_t&) override { return {0.0f, 0.0f, 0.0f, 1.0f}; }
};

} // namespace Orvane
