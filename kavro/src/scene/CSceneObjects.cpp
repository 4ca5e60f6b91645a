#include "scene/CSceneObjects.h"

#include "render/CTexture.h"
#include "scene/CSceneManager.h"

#include <kavro/IMovie.h>

#include <cmath>

namespace Kavro
{

namespace
{

bool finite(float v)
{
    return std::isfinite(v);
}

bool finite(const Vector3D& v)
{
    return finite(v.x) && finite(v.y) && finite(v.z);
}

} // namespace

CSprite3D::CSprite3D(CTexture* texture, int capacity) : texture_(texture), capacity_(capacity) {}

int CSprite3D::begin(const int&, const int&)
{
    corners_.clear();
    return 0;
}

int CSprite3D::drawQuad(const Matrix4x4& transform, const Vector2D& size, const uint8_t (&colour)[4],
                        const Vector4D& source)
{
    if (int(corners_.size() / 4) >= capacity_)
        return -1;
    const float w = float(texture_->getSize()[0]), h = float(texture_->getSize()[1]);
    const Vector3D at[4] = {{0.0f, 0.0f, 0.0f}, {size.x, 0.0f, 0.0f}, {0.0f, -size.y, 0.0f}, {size.x, -size.y, 0.0f}};
    const float u[4] = {source.x / w, source.z / w, source.x / w, source.z / w};
    const float v[4] = {source.y / h, source.y / h, source.w / h, source.w / h};
    for (int i = 0; i < 4; ++i)
    {
        CSceneRenderer::SpriteCorner c{at[i].TransformCoord(transform), {colour[0], colour[1], colour[2], colour[3]},
                                       u[i], v[i]};
        corners_.push_back(c);
    }
    return 0;
}

ITexture* CSprite3D::getTexture()
{
    return texture_.get();
}

CSceneSprite::CSceneSprite(CSceneManager* scene, CSprite3D* sprite) : scene_(scene), sprite_(sprite)
{
    scene_->registerDrawable(this);
}

CSceneSprite::~CSceneSprite()
{
    scene_->unregisterDrawable(this);
}

int CSceneSprite::setWorldMatrix(const Matrix4x4& world)
{
    world_ = world;
    return 0;
}

int CSceneSprite::setBlendMode(int mode)
{
    blendMode_ = mode;
    return 0;
}

int CSceneSprite::setOption(int option)
{
    option_ = option;
    return 0;
}

int CSceneSprite::setFlagPair(const int& depthTest, const int& depthWrite)
{
    depthTest_ = depthTest != 0;
    depthWrite_ = depthWrite != 0;
    return 0;
}

int CSceneSprite::setFlag(const int& flag)
{
    lit_ = flag == 1;
    return 0;
}

void CSceneSprite::submit(CSceneRenderer& renderer)
{
    // A movie texture shows the frame due now.
    if (IMovie* movie = sprite_->texture()->frameSource())
        movie->updateFrame(nullptr);
    CSceneRenderer::SpriteQuads quads;
    quads.texture = sprite_->texture();
    quads.corners = sprite_->corners();
    for (CSceneRenderer::SpriteCorner& c : quads.corners)
        c.position = c.position.TransformCoord(world_);
    quads.blendMode = blendMode_;
    quads.depthTest = depthTest_;
    quads.depthWrite = depthWrite_;
    quads.lit = lit_;
    renderer.addSprite(std::move(quads));
}

CScenePointLight::CScenePointLight(CSceneManager* scene) : scene_(scene)
{
    scene_->registerDrawable(this);
}

CScenePointLight::~CScenePointLight()
{
    scene_->unregisterDrawable(this);
}

int CScenePointLight::initialize(const Vector3D& position, const float& power, const Vector4D& colour,
                                 const float& size, const float& nearAttenuation, const float& farAttenuation)
{
    setPosition(position);
    setPower(power);
    setColor(colour);
    setSize(size);
    setNearAttenuation(nearAttenuation);
    setFarAttenuation(farAttenuation);
    return 0;
}

int CScenePointLight::setPosition(const Vector3D& position)
{
    if (!finite(position))
        return -1;
    position_ = position;
    return 0;
}

int CScenePointLight::setColor(const Vector4D& colour)
{
    if (!finite(colour.x) || !finite(colour.y) || !finite(colour.z) || !finite(colour.w))
        return -1;
    colour_ = colour;
    return 0;
}

int CScenePointLight::setPower(float power)
{
    if (!finite(power))
        return -1;
    power_ = power;
    return 0;
}

int CScenePointLight::setRotate(const Vector3D& degrees)
{
    rotation_ = degrees;
    return 0;
}

int CScenePointLight::setSize(float size)
{
    size_ = size;
    return 0;
}

int CScenePointLight::setRange(float range)
{
    if (!finite(range))
        return -1;
    range_ = range;
    return 0;
}

int CScenePointLight::setLookAt(const Vector3D& target)
{
    lookAt_ = target;
    return 0;
}

int CScenePointLight::setEnable(int enable)
{
    enabled_ = enable != 0;
    return 0;
}

int CScenePointLight::setNearAttenuation(float value)
{
    if (!finite(value))
        return -1;
    near_ = value;
    return 0;
}

int CScenePointLight::setFarAttenuation(float value)
{
    if (!finite(value))
        return -1;
    far_ = value;
    return 0;
}

void CScenePointLight::submit(CSceneRenderer& renderer)
{
    if (!enabled_ || !(range_ > 0.0f))
        return;
    CSceneRenderer::PointLight light;
    light.position = position_;
    light.colour = Vector3D(colour_.x, colour_.y, colour_.z) * power_;
    light.range = range_;
    light.nearAttenuation = near_;
    light.farAttenuation = far_;
    renderer.addPointLight(light);
}

} // namespace Kavro
