#pragma once

#include "IInterface.h"
#include "ITexture.h"
#include "Matrix4x4.h"
#include "Vector2D.h"
#include "Vector3D.h"
#include "Vector4D.h"

#include <cstdint>

namespace Kavro
{

// One ribbon vertex: a position in the particle system's space and a colour as packed bytes red, green,
// blue, alpha in memory order.
struct ParticleVertex
{
    Vector3D position;
    uint32_t colour = 0;
};

// The particles of one texture for one frame: billboards (quads about a local matrix) and ribbon
// triangles, all in the particle system's space. A batch runs from begin to end; what it holds is drawn
// through the scene object made over it (ISceneManager::createParticleObject), with the view-projection
// matrix set here and the world matrix set there.
class ISceneParticle : public IInterface
{
public:
    // Starts a batch: nonzero billboards drops the billboards of the previous batch, nonzero ribbons its
    // ribbon vertices, texture coordinates and indices.
    virtual int begin(int billboards, int ribbons) = 0;
    virtual int end() = 0;
    // A quad of size (width, height) centred on the origin of matrix (its x to the right, y up), showing
    // the texture's rectangle (x, y, width, height in pixels) tinted by the packed colour. -1 when the
    // batch holds as many billboards as the object was made for.
    virtual int addBillboard(const Matrix4x4& matrix, const Vector2D& size, uint32_t colour,
                             const Vector4D& sourceRect) = 0;
    // Ribbon texture coordinates (0..1 over the whole texture), one per vertex, in vertex order.
    virtual int addTexCoords(const Vector2D* uv, int count) = 0;
    virtual int addVertices(const ParticleVertex* vertices, int count) = 0;
    // Triangles, three indices each, into the batch's vertices. -1 (nothing added) for an index past them.
    virtual int addIndices(const uint16_t* indices, int count) = 0;
    // Ribbon vertices in the batch so far.
    virtual int getVertexCount() = 0;
    // The blend modes of IQuad::setBlendMode.
    virtual int setBlendMode(int mode) = 0;
    // Which triangles are dropped: 2 none; 0 those facing away (a billboard seen from behind); 1 those
    // facing the viewer. Any other value acts as 2.
    virtual int setCulling(int mode) = 0;
    // A texture drawn in place of the particle texture (null: none), stretched over size pixels.
    virtual int setSceneTexture(ITexture* texture, const Vector2D& size) = 0;
    virtual int setViewProjection(const Matrix4x4& matrix) = 0;
    // How the texture meets the colour: 4 multiply, 2 the texture's colour with the product of the alphas,
    // 3 the texture's colour plus the colour; other values act as 4.
    virtual int setColorOperation(int operation) = 0;
    // The particle texture (no reference added).
    virtual ITexture* getTexture() = 0;
    virtual int getBillboardCount() = 0;
};

// The scene object that draws an ISceneParticle.
class IParticleSceneObject : public IInterface
{
public:
    virtual int setWorldMatrix(const Matrix4x4& matrix) = 0;
    // Draws the particle object's last batch into the device's current render target, in call order with
    // every other draw.
    virtual int draw() = 0;
    virtual int setBlendMode(int mode) = 0;
    virtual int setColorOperation(int operation) = 0;
    virtual int setDepthTest(int enable) = 0;
    virtual int setDepthWrite(int enable) = 0;
    virtual int setCulling(int mode) = 0;
    // The particle object drawn (no reference added).
    virtual ISceneParticle* getParticle() = 0;
};

} // namespace Kavro
