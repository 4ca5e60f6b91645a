#pragma once

#include "sprite/CSprite.h"

namespace Orvane
{

// A sprite whose textured quad holds many quads over one texture, each placed by its user (the text
// object puts one per glyph of a page). The user fills the list between beginQuads and endQuads and
// draws it with drawAt, as often as it likes at small offsets. Only the transition of a list animates;
// it takes no pointer input.
class CSpriteList : public CSprite
{
public:
    // The texture may be null: createList then takes the device's default texture.
    explicit CSpriteList(Kavro::ITexture* texture);

    int update() override;
    void updateGeometry() override {}
    void buildHitMask() override {}
    int hasSceneObject() override { return sceneSprite != nullptr; }
    int isOver(int32_t) override { return 0; }
    int isDown(int32_t) override { return 0; }
    int isUp(int32_t) override { return 0; }

    // Forwarded to the textured quad; -1 without one.
    virtual int beginQuads();
    // The quad's transform, then its four corners, four packed colours and four texture coordinates.
    virtual int addQuad(const Kavro::Matrix4x4* matrix, const Kavro::Vector4D* corners, const uint32_t* colours,
                        const Kavro::Vector2D* uv);
    virtual int setQuadFlag(int32_t flag);
    virtual int endQuads();
    // Makes the textured quad with room for count quads; 0, or -1 when the device gives none.
    virtual int createList(uint32_t count);
    // Draws every quad moved by offset pixels, coloured by colour (null: as they are), with the alpha
    // times factor. Invisible: nothing, 0; no quad: -1.
    virtual int drawAt(const Kavro::Vector2D& offset, const Kavro::Vector4D* colour, const float& factor);

    uint32_t quadCount = 0;
};

} // namespace Orvane
