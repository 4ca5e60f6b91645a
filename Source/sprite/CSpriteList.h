#pragma once

#include "sprite/CSprite.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector4D.h>

#include <cstdint>
#include <vector>

namespace Orvane
{

// A sprite whose textured quad holds a list of quads, each placed by its user (a text's glyphs): the
// user begins a list, adds quads or keeps the previous list's quad at that place, ends the list, and draws
// it once per offset it wants.
class CSpriteList : public CSprite
{
public:
    // texture may be null: createList then takes the device's default texture.
    explicit CSpriteList(Kavro::ITexture* texture);

    // Advances only the transition; the user places every quad itself. -1 without a textured quad.
    int update() override;
    void updateGeometry() override {}
    void buildHitMask() override {}
    int hasSceneObject() override { return sceneSprite != nullptr; }
    int isOver(int32_t) override { return 0; }
    int isDown(int32_t) override { return 0; }
    int isUp(int32_t) override { return 0; }

    virtual int beginQuads();
    virtual int addQuad(const Kavro::Matrix4x4& matrix, const Kavro::Vector4D corners[4], const uint32_t colours[4],
                        const Kavro::Vector2D uv[4]);
    // Keeps that many quads of the previous list as they were, at the current place in the list.
    virtual int setQuadFlag(int32_t keep);
    virtual int endQuads();
    // Makes the textured quad for count quads; 0, or -1 when the device gives none.
    virtual int createList(uint32_t count);
    // Draws the list at an offset in pixels with a colour (null: none) and a factor on the alpha; an
    // invisible list draws nothing.
    virtual int drawAt(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, const float& factor);

    uint32_t quadCount = 0;

private:
    struct Quad
    {
        Kavro::Matrix4x4 matrix;
        Kavro::Vector4D corners[4];
        uint32_t colours[4];
        Kavro::Vector2D uv[4];
    };
    // The list as the textured quad last got it: kept quads are handed over again unchanged.
    std::vector<Quad> quads;
    size_t cursor = 0;
};

} // namespace Orvane
