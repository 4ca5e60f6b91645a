#pragma once

#include "render/CSceneRenderer.h"
#include "scene/SceneDrawable.h"

#include <kavro/IPointLight.h>
#include <kavro/IScenePointLight.h>
#include <kavro/ISceneSprite.h>
#include <kavro/ISprite3D.h>
#include <kavro/Ref.h>
#include <kavro/RefCounted.h>

#include <vector>

namespace Kavro
{

class CRenderDevice;
class CSceneManager;
class CTexture;

// A 3D sprite's quad list (IRenderDevice::createSprite3D). A quad of size (w, h) has its top-left corner at
// its transform's origin and spans +x by w and -y by h, one unit per texel, so the picture stands upright
// in the scene's y-up space.
class CSprite3D : public RefCounted<ISprite3D>
{
public:
    CSprite3D(CTexture* texture, int capacity);

    int begin(const int& mode, const int& reserved) override;
    int drawQuad(const Matrix4x4& transform, const Vector2D& size, const uint8_t (&colour)[4],
                 const Vector4D& source) override;
    int end() override { return 0; }
    ITexture* getTexture() override;

    CTexture* texture() const { return texture_.get(); }
    // The corners in the sprite's own space (four per quad).
    const std::vector<CSceneRenderer::SpriteCorner>& corners() const { return corners_; }

private:
    Ref<CTexture> texture_;
    int capacity_;
    std::vector<CSceneRenderer::SpriteCorner> corners_;
};

// A 3D sprite standing in the scene: its quads placed by the world matrix.
class CSceneSprite : public RefCounted<ISceneSprite>, public SceneDrawable
{
public:
    CSceneSprite(CSceneManager* scene, CSprite3D* sprite);
    ~CSceneSprite() override;

    ISceneNode* getSceneNode() override { return static_cast<SceneDrawable*>(this); }
    int setWorldMatrix(const Matrix4x4& world) override;
    int setBlendMode(int mode) override;
    int setOption(int option) override;
    int setFlagPair(const int& depthTest, const int& depthWrite) override;
    int setFlag(const int& flag) override;
    void submit(CSceneRenderer& renderer) override;

private:
    Ref<CSceneManager> scene_;
    Ref<CSprite3D> sprite_;
    Matrix4x4 world_;
    int blendMode_ = 1;
    int option_ = 0;
    bool depthTest_ = true, depthWrite_ = true, lit_ = false;
};

class CPointLightResource : public RefCounted<IPointLight>
{
};

// A point light of the scene; it shines in the captures it is handed to. Size, rotation and look-at are kept
// for the queries: a point light shines the same way in every direction.
class CScenePointLight : public RefCounted<IScenePointLight>, public SceneDrawable
{
public:
    explicit CScenePointLight(CSceneManager* scene);
    ~CScenePointLight() override;

    int initialize(const Vector3D& position, const float& power, const Vector4D& colour, const float& size,
                   const float& nearAttenuation, const float& farAttenuation) override;
    ISceneNode* getSceneNode() override { return static_cast<SceneDrawable*>(this); }
    int setPosition(const Vector3D& position) override;
    int setColor(const Vector4D& colour) override;
    int setPower(float power) override;
    int setRotate(const Vector3D& degrees) override;
    int setSize(float size) override;
    int setRange(float range) override;
    int setLookAt(const Vector3D& target) override;
    Vector3D getLookAt() override { return lookAt_; }
    int setEnable(int enable) override;
    int getEnable() override { return enabled_ ? 1 : 0; }
    int setNearAttenuation(float value) override;
    int setFarAttenuation(float value) override;
    float getNearAttenuation() override { return near_; }
    float getFarAttenuation() override { return far_; }
    void submit(CSceneRenderer& renderer) override;

private:
    Ref<CSceneManager> scene_;
    Vector3D position_;
    Vector4D colour_{1.0f, 1.0f, 1.0f, 1.0f};
    float power_ = 1.0f;
    float size_ = 0.0f;
    float range_ = 0.0f;
    float near_ = 0.0f, far_ = 1.0f;
    Vector3D rotation_;
    Vector3D lookAt_;
    bool enabled_ = true;
};

} // namespace Kavro
