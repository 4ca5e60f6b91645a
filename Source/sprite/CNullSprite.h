#pragma once

#include "sprite/CSprite.h"

namespace Orvane
{

// The sprite a script object holds before its first creation: it has no texture and no quad, draws
// nothing, animates nothing, and answers queries with fixed values.
class CNullSprite : public CSprite
{
public:
    CNullSprite();

    int update() override { return 0; }
    void setSurface(IRenderTarget*) override {}
    IRenderTarget* getSurface() override { return nullptr; }
    int drawInstance(const Kavro::Vector3D*, float, const Kavro::Vector2D*, const Kavro::Vector3D*) override
    {
        return 0;
    }
    int draw() override { return 0; }
    bool isInCamera(Kavro::ICamera*) override { return false; }
    float getCameraDepth(Kavro::ICamera*) override { return -1.0f; }
    int create() override { return 0; }
    void updateGeometry() override {}
    int isNull() override { return 1; }
    int hasSceneObject() override { return 0; }
    void setPixelHitTest(uint32_t) override {}
    void setVisible(uint32_t) override {}
    Kavro::ColorF getColor(int32_t) override { return {1.0f, 1.0f, 1.0f, 1.0f}; }
    void setMask(CSpriteMask*) override {}
    void setRect(const int32_t[4]) override {}
    void setCamera(Kavro::ICamera*, const float&, const float&) override {}
    void loadTransitionMask(const std::string&, int32_t) override {}
    void transition(float, float, float, uint32_t, uint32_t) override {}
    void setShadingParameter(int32_t, float) override {}
    void setDisplacementMap(CSpriteDisplacementMap*) override {}
    void setShadeMask(CSpriteShadeMask*) override {}
    void setColorLevel(const float&, const float&, const float&, const float&, const int32_t&) override {}
    Kavro::Vector4D getVertex(const int32_t&) override { return {0.0f, 0.0f, 0.0f, 1.0f}; }
    int isOver(int32_t) override { return 0; }
    int isDown(int32_t) override { return 0; }
    void fade(float, uint32_t, uint32_t) override {}
    void move(const Kavro::Vector2D&, uint32_t, uint32_t) override {}
    void move(float, float, uint32_t, uint32_t) override {}
    void move3D(float, float, float, uint32_t, uint32_t) override {}
    void scale(const Kavro::Vector2D&, uint32_t, uint32_t) override {}
    void scale(float, float, uint32_t, uint32_t) override {}
    void rotate(const Kavro::Vector3D&, uint32_t, uint32_t) override {}
    void rotate(float, float, float, uint32_t, uint32_t) override {}
    uint32_t isFading() override { return 0; }
    uint32_t isMoving() override { return 0; }
    uint32_t isScaling() override { return 0; }
    uint32_t isRotating() override { return 0; }
    void resetBezier() override {}
};

} // namespace Orvane
