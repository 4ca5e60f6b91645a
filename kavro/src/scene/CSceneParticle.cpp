#include "scene/CSceneParticle.h"

#include "render/CRenderDevice.h"
#include "render/CTexture.h"

namespace Kavro
{

namespace
{

void toClip(float x, float y, const Matrix4x4& m, float out[4])
{
    for (int j = 0; j < 4; ++j)
        out[j] = x * m.m[0][j] + y * m.m[1][j] + m.m[3][j];
}

void toClip(const Vector3D& p, const Matrix4x4& m, float out[4])
{
    for (int j = 0; j < 4; ++j)
        out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
}

// Twice the signed area of the triangle on the target, y up: negative for corners that run like a
// billboard's top-left, top-right, bottom-left seen from its front.
float facing(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c)
{
    if (!(a.position[3] > 0.0f) || !(b.position[3] > 0.0f) || !(c.position[3] > 0.0f))
        return 0.0f;
    const float ax = a.position[0] / a.position[3], ay = a.position[1] / a.position[3];
    const float bx = b.position[0] / b.position[3] - ax, by = b.position[1] / b.position[3] - ay;
    const float cx = c.position[0] / c.position[3] - ax, cy = c.position[1] / c.position[3] - ay;
    return bx * cy - by * cx;
}

} // namespace

CSceneParticle::CSceneParticle(CRenderDevice* device, CTexture* texture, int count)
    : device_(device), texture_(texture), capacity_(size_t(count))
{
    device_->addRef();
    texture_->addRef();
    billboards_.reserve(capacity_);
    vertices_.reserve(capacity_ * 4);
    uvs_.reserve(capacity_ * 4);
    indices_.reserve(capacity_ * 6);
    corners_.reserve(capacity_ * 4);
}

CSceneParticle::~CSceneParticle()
{
    if (sceneTexture_)
        sceneTexture_->release();
    texture_->release();
    device_->release();
}

int CSceneParticle::begin(int billboards, int ribbons)
{
    if (billboards)
        billboards_.clear();
    if (ribbons)
    {
        vertices_.clear();
        uvs_.clear();
        indices_.clear();
    }
    return 0;
}

int CSceneParticle::addBillboard(const Matrix4x4& matrix, const Vector2D& size, uint32_t colour,
                                 const Vector4D& sourceRect)
{
    if (billboards_.size() >= capacity_)
        return -1;
    billboards_.push_back({matrix, size, colour, sourceRect});
    return 0;
}

int CSceneParticle::addTexCoords(const Vector2D* uv, int count)
{
    if (!uv || count < 0)
        return -1;
    uvs_.insert(uvs_.end(), uv, uv + count);
    return 0;
}

int CSceneParticle::addVertices(const ParticleVertex* vertices, int count)
{
    // Indices are 16 bits wide.
    if (!vertices || count < 0 || vertices_.size() + size_t(count) > 65536)
        return -1;
    vertices_.insert(vertices_.end(), vertices, vertices + count);
    return 0;
}

int CSceneParticle::addIndices(const uint16_t* indices, int count)
{
    if (!indices || count < 0)
        return -1;
    for (int i = 0; i < count; ++i)
        if (indices[i] >= vertices_.size())
            return -1;
    indices_.insert(indices_.end(), indices, indices + count);
    return 0;
}

int CSceneParticle::setBlendMode(int mode)
{
    blendMode_ = mode;
    return 0;
}

int CSceneParticle::setCulling(int mode)
{
    culling_ = mode == 0 || mode == 1 ? mode : 2;
    return 0;
}

int CSceneParticle::setSceneTexture(ITexture* texture, const Vector2D& size)
{
    CTexture* ours = texture ? device_->own(texture) : nullptr;
    if (texture && !ours)
        return -1;
    if (ours)
        ours->addRef();
    if (sceneTexture_)
        sceneTexture_->release();
    sceneTexture_ = ours;
    sceneSize_ = size;
    return 0;
}

int CSceneParticle::setViewProjection(const Matrix4x4& matrix)
{
    transform_ = matrix;
    return 0;
}

int CSceneParticle::setColorOperation(int operation)
{
    colourOperation_ = operation == 2 || operation == 3 ? operation : 4;
    return 0;
}

ITexture* CSceneParticle::getTexture()
{
    return texture_;
}

uint32_t CSceneParticle::shownColour(uint32_t colour) const
{
    // The texture's own colour: the vertex keeps only its alpha.
    return colourOperation_ == 2 ? colour | 0x00FFFFFFu : colour;
}

bool CSceneParticle::culled(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c) const
{
    if (culling_ == 2)
        return false;
    const float f = facing(a, b, c);
    return culling_ == 0 ? f > 0.0f : f < 0.0f;
}

void CSceneParticle::addBillboardCorners(const Billboard& b, float texelWidth, float texelHeight)
{
    const Matrix4x4 m = b.matrix * transform_;
    const float hw = b.size.x * 0.5f;
    const float hh = b.size.y * 0.5f;
    const float u0 = b.rect.x * texelWidth, u1 = (b.rect.x + b.rect.z) * texelWidth;
    const float v0 = b.rect.y * texelHeight, v1 = (b.rect.y + b.rect.w) * texelHeight;
    const uint32_t colour = shownColour(b.colour);
    QuadVertex q[4] = {{{}, colour, {u0, v0}}, {{}, colour, {u1, v0}}, {{}, colour, {u0, v1}}, {{}, colour, {u1, v1}}};
    toClip(-hw, hh, m, q[0].position);
    toClip(hw, hh, m, q[1].position);
    toClip(-hw, -hh, m, q[2].position);
    toClip(hw, -hh, m, q[3].position);
    if (culled(q[0], q[1], q[2]))
        return;
    corners_.insert(corners_.end(), q, q + 4);
}

void CSceneParticle::addRibbonCorners()
{
    for (size_t i = 0; i + 2 < indices_.size(); i += 3)
    {
        QuadVertex q[3];
        for (int k = 0; k < 3; ++k)
        {
            const uint16_t at = indices_[i + size_t(k)];
            toClip(vertices_[at].position, transform_, q[k].position);
            q[k].colour = shownColour(vertices_[at].colour);
            const Vector2D uv = at < uvs_.size() ? uvs_[at] : Vector2D();
            q[k].uv[0] = uv.x;
            q[k].uv[1] = uv.y;
        }
        if (culled(q[0], q[1], q[2]))
            continue;
        corners_.insert(corners_.end(), {q[0], q[1], q[2], q[2]});
    }
}

int CSceneParticle::draw()
{
    CTexture* texture = sceneTexture_ ? sceneTexture_ : texture_;
    corners_.clear();
    const int32_t* size = texture_->getSize();
    const float texelWidth = size[0] > 0 ? 1.0f / float(size[0]) : 0.0f;
    const float texelHeight = size[1] > 0 ? 1.0f / float(size[1]) : 0.0f;
    for (const Billboard& b : billboards_)
        addBillboardCorners(b, texelWidth, texelHeight);
    addRibbonCorners();
    QuadDrawState state;
    state.blendMode = blendMode_;
    state.filter = 3;
    if (colourOperation_ == 3)
    {
        // The colour alone, shaped by the texture's alpha: the texture's colour is lifted to white.
        state.effects.brightness = 1.0f;
        state.stages = SpriteEffects::Colour;
    }
    return device_->drawQuads(corners_, texture, state);
}

CParticleSceneObject::CParticleSceneObject(CSceneParticle* particle) : particle_(particle)
{
    particle_->addRef();
}

CParticleSceneObject::~CParticleSceneObject()
{
    particle_->release();
}

int CParticleSceneObject::setWorldMatrix(const Matrix4x4& matrix)
{
    world_ = matrix;
    return 0;
}

int CParticleSceneObject::setDepthTest(int enable)
{
    depthTest_ = enable;
    return 0;
}

int CParticleSceneObject::setDepthWrite(int enable)
{
    depthWrite_ = enable;
    return 0;
}

} // namespace Kavro
