#pragma once

#include "render/CQuadRenderer.h"
#include "render/QuadVertex.h"

#include <kavro/ISceneParticle.h>
#include <kavro/RefCounted.h>

#include <cstdint>
#include <vector>

namespace Kavro
{

class CRenderDevice;
class CTexture;

// The particles of one texture: billboards and ribbon triangles kept in the particle system's space and
// turned into quads for the device at each draw (a ribbon triangle as a quad whose last two corners meet),
// so that a whole system goes out in one batch of the quad renderer.
class CSceneParticle : public RefCounted<ISceneParticle>
{
public:
    CSceneParticle(CRenderDevice* device, CTexture* texture, int count);
    ~CSceneParticle() override;

    int begin(int billboards, int ribbons) override;
    int end() override { return 0; }
    int addBillboard(const Matrix4x4& matrix, const Vector2D& size, uint32_t colour,
                     const Vector4D& sourceRect) override;
    int addTexCoords(const Vector2D* uv, int count) override;
    int addVertices(const ParticleVertex* vertices, int count) override;
    int addIndices(const uint16_t* indices, int count) override;
    int getVertexCount() override { return int(vertices_.size()); }
    int setBlendMode(int mode) override;
    int setCulling(int mode) override;
    int setSceneTexture(ITexture* texture, const Vector2D& size) override;
    int setViewProjection(const Matrix4x4& matrix) override;
    int setColorOperation(int operation) override;
    ITexture* getTexture() override;
    int getBillboardCount() override { return int(billboards_.size()); }

    // Queues the batch for the device's current render target.
    int draw();

private:
    struct Billboard
    {
        Matrix4x4 matrix;
        Vector2D size;
        uint32_t colour;
        Vector4D rect;
    };

    uint32_t shownColour(uint32_t colour) const;
    bool culled(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c) const;
    void addBillboardCorners(const Billboard& b, float texelWidth, float texelHeight);
    void addRibbonCorners();

    CRenderDevice* device_;
    CTexture* texture_;
    CTexture* sceneTexture_ = nullptr;
    Vector2D sceneSize_;
    size_t capacity_;
    std::vector<Billboard> billboards_;
    std::vector<ParticleVertex> vertices_;
    std::vector<Vector2D> uvs_;
    std::vector<uint16_t> indices_;
    std::vector<QuadVertex> corners_;
    Matrix4x4 transform_;
    int blendMode_ = 1;
    int culling_ = 0;
    int colourOperation_ = 4;
};

// The scene object over a CSceneParticle: its world matrix and depth settings are kept for the scene (the
// particle object's matrix already carries the world), its draw draws the particle object.
class CParticleSceneObject : public RefCounted<IParticleSceneObject>
{
public:
    explicit CParticleSceneObject(CSceneParticle* particle);
    ~CParticleSceneObject() override;

    int setWorldMatrix(const Matrix4x4& matrix) override;
    int draw() override { return particle_->draw(); }
    int setBlendMode(int mode) override { return particle_->setBlendMode(mode); }
    int setColorOperation(int operation) override { return particle_->setColorOperation(operation); }
    int setDepthTest(int enable) override;
    int setDepthWrite(int enable) override;
    int setCulling(int mode) override { return particle_->setCulling(mode); }
    ISceneParticle* getParticle() override { return particle_; }

private:
    CSceneParticle* particle_;
    Matrix4x4 world_;
    int depthTest_ = 0;
    int depthWrite_ = 0;
};

} // namespace Kavro
