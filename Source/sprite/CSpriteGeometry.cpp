#include "sprite/CSprite.h"

#include "core/CameraView.h"
#include "core/ColourBytes.h"
#include "curve/Easing.h"

#include <kavro/ICamera.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

// Squared offsets up to this sum count as none: the quad stays undistorted and sharp.
constexpr float NoOffset = 1.1920929e-07f;

uint8_t opacityByte(const CInterpolator<float>& opacity)
{
    return UnitColourByte(opacity.valueScale * opacity.scaledValue);
}

uint32_t withAlpha(uint32_t rgba, uint8_t alpha)
{
    return (rgba & 0x00FFFFFFu) | (uint32_t(alpha) << 24);
}

} // namespace

Matrix4x4 CSprite::projection(Matrix4x4 m, const Vector2D& view, const Vector3D& pivotPoint) const
{
    if (!camera && actionCompatibleMode == 1)
    {
        m *= Matrix4x4().Ortho(view.x, view.y, 0.0f, 1.0f);
        const float hw = float(rect[2]) * 0.5f * worldScale.x, hh = float(rect[3]) * 0.5f * worldScale.y;
        const Vector3D t = Vector3D(pivotPoint.x / hw, -pivotPoint.y / hh, 0.0f).TransformCoord(m);
        // Depth divides around the turning point: w gains 0.001 per unit of z.
        Matrix4x4 depth;
        depth.m[2][3] = 0.001f;
        m *= Matrix4x4::GetTranslation(-t.x, -t.y, -t.z) * depth * Matrix4x4::GetTranslation(t.x, t.y, t.z);
        return m;
    }
    return AppendViewProjection(m, camera, view);
}

bool CSprite::wantsFiltering(const Vector3D& origin, float offsetSum) const
{
    if (!textureFiltering)
        return camera != nullptr;
    const bool onWholePixels = std::fmod(origin.x, 1.0f) == 0.0f && std::fmod(origin.y, 1.0f) == 0.0f &&
                               std::fmod(origin.z, 1.0f) == 0.0f;
    const bool plain = scaling.scaledValue == Vector2D(1.0f, 1.0f) && rotation.scaledValue == Vector3D() && !camera &&
                       onWholePixels && offsetSum <= NoOffset;
    return !plain;
}

Matrix4x4 CSprite::distortion(float offsetSum) const
{
    if (!(offsetSum > NoOffset))
        return {};
    const Vector3D& ws = worldScale;
    const float hw = float(rect[2]) * 0.5f * ws.x, hh = float(rect[3]) * 0.5f * ws.y;
    const float w = float(rect[2]) * ws.x, h = float(rect[3]) * ws.y;
    const Vector2D q[4] = {{0.0f, 0.0f}, {w, 0.0f}, {0.0f, h}, {w, h}};
    Vector2D d[4];
    for (int i = 0; i < 4; ++i)
        d[i] = {vertexMove[i].scaledValue.x * ws.x, vertexMove[i].scaledValue.y * ws.y};
    // The corner map works with the origin at the top-left and y down; the quad's own space is centred, y up.
    const Matrix4x4 flip = Matrix4x4::GetScaling(1.0f, -1.0f, 1.0f);
    return flip * Matrix4x4::GetTranslation(hw, hh, 0.0f) * Matrix4x4().Homographic2D(q, d) *
           Matrix4x4::GetTranslation(-hw, -hh, 0.0f) * flip;
}

namespace
{

void wholeCorners(float hw, float hh, Vector4D out[4])
{
    out[0] = {-hw, hh, 0.0f, 1.0f};
    out[1] = {hw, hh, 0.0f, 1.0f};
    out[2] = {-hw, -hh, 0.0f, 1.0f};
    out[3] = {hw, -hh, 0.0f, 1.0f};
}

// Texture coordinates of a texel rectangle.
void rectUv(Kavro::ITexture* texture, float x, float y, float w, float h, Vector2D out[4])
{
    if (!texture)
        return;
    const Vector2D t = texture->getTexelScale();
    out[0] = {x * t.x, y * t.y};
    out[1] = {(x + w) * t.x, y * t.y};
    out[2] = {x * t.x, (y + h) * t.y};
    out[3] = {(x + w) * t.x, (y + h) * t.y};
}

} // namespace

void CSprite::addWholeQuad(const Matrix4x4& m)
{
    Vector4D corners[4];
    wholeCorners(float(rect[2]) * 0.5f * worldScale.x, float(rect[3]) * 0.5f * worldScale.y, corners);
    if (sceneSprite)
    {
        Vector2D uv[4];
        rectUv(texture, float(rect[0]), float(rect[1]), float(rect[2]), float(rect[3]), uv);
        sceneSprite->addQuad(m, corners, vertexColor32, uv);
    }
    else if (colorSprite)
    {
        colorSprite->addQuad(m, corners, vertexColor32);
    }
}

void CSprite::addPieces(const Matrix4x4& h, const Matrix4x4& m, uint8_t alpha)
{
    const Vector3D& ws = worldScale;
    const float w = float(rect[2]), hgt = float(rect[3]);
    for (const SplitPiece& piece : splitPieces)
    {
        const float x = float(piece.x), y = float(piece.y), pw = float(piece.w), ph = float(piece.h);
        const Vector2D* o = piece.cornerOffsets;
        Vector4D corners[4] = {{x - w / 2, hgt / 2 - y, 0.0f, 1.0f},
                               {x + pw - w / 2, hgt / 2 - y, 0.0f, 1.0f},
                               {x - w / 2, hgt / 2 - (y + ph), 0.0f, 1.0f},
                               {x + pw - w / 2, hgt / 2 - (y + ph), 0.0f, 1.0f}};
        for (int i = 0; i < 4; ++i)
        {
            corners[i].x += o[i].x;
            corners[i].y -= o[i].y;
            corners[i].x *= ws.x;
            corners[i].y *= ws.y;
        }
        const Vector2D g = piece.groupCentre;
        const Vector3D r = piece.rotation;
        const Matrix4x4 mp = Matrix4x4::GetTranslation(-g.x * ws.x, g.y * ws.y, 0.0f) *
                             Matrix4x4::GetRotationZXY(-r.x, -r.y, -r.z) *
                             Matrix4x4::GetTranslation(g.x * ws.x, -g.y * ws.y, 0.0f) * h *
                             Matrix4x4::GetTranslation(piece.position.x * ws.x, -piece.position.y * ws.y,
                                                       piece.position.z);
        uint32_t colours[4];
        for (int i = 0; i < 4; ++i)
        {
            const float u = x + o[i].x + ((i & 1) ? pw : 0.0f);
            const float v = y + o[i].y + ((i & 2) ? ph : 0.0f);
            const Vector3D left = easeLinear(vertexColor[0].scaledValue, vertexColor[2].scaledValue, hgt, v);
            const Vector3D right = easeLinear(vertexColor[1].scaledValue, vertexColor[3].scaledValue, hgt, v);
            const Vector3D c = easeLinear(left, right, w, u);
            colours[i] = PackRgba(c, alpha);
        }
        if (sceneSprite)
        {
            Vector2D uv[4];
            rectUv(texture, x, y, pw, ph, uv);
            if (texture)
            {
                const Vector2D t = texture->getTexelScale();
                for (int i = 0; i < 4; ++i)
                    uv[i] += Vector2D(o[i].x * t.x, o[i].y * t.y);
            }
            sceneSprite->addQuad(mp * m, corners, colours, uv);
        }
        else if (colorSprite)
        {
            colorSprite->addQuad(mp * m, corners, colours);
        }
    }
}

void CSprite::updateGeometry()
{
    const uint8_t alpha = opacityByte(opacity);
    for (uint32_t& colour : vertexColor32)
        colour = withAlpha(colour, alpha);
    const Vector2D view = getTargetViewSize();
    float offsetSum = 0.0f;
    for (const auto& corner : vertexMove)
        offsetSum += corner.scaledValue.LengthSq();
    const Vector2D turn = turningOffset();
    const Vector3D pivotPoint(turn.x, turn.y, 0.0f);
    const Vector3D origin = world.GetPosition();
    const Matrix4x4 m = projection(world, view, pivotPoint);

    if (sceneSprite)
    {
        sceneSprite->setUVOffset(uvOffset);
        sceneSprite->setFilter(wantsFiltering(origin, offsetSum) ? 1 : 0);
    }
    Kavro::IQuad* quad = baseQuad();
    if (quad)
        quad->begin();
    const Matrix4x4 h = distortion(offsetSum);
    const Matrix4x4 hm = h * m;
    if (splitPieces.empty())
        addWholeQuad(hm);
    else
        addPieces(h, m, alpha);
    if (quad)
        quad->end();

    const Matrix4x4 v = ViewportMapping(view);
    const float hw = float(rect[2]) * 0.5f * worldScale.x, hh = float(rect[3]) * 0.5f * worldScale.y;
    quadMatrix = Matrix4x4::GetScaling(hw, hh, 1.0f) * m * v;
    Vector4D corners[4];
    wholeCorners(hw, hh, corners);
    const bool orthographicCamera = camera && camera->getProjection() == 1;
    for (int i = 0; i < 4; ++i)
    {
        const Vector4D p = corners[i].Transform(hm);
        const Vector4D e = Vector4D(p.x / p.w, p.y / p.w, p.z / p.w, 1.0f).Transform(v);
        vertices[i] = {e.x, e.y, p.z, p.w};
        if (orthographicCamera)
            vertices[i].z = e.z, vertices[i].w = 1.0f;
    }
    dirty = 0;
}

} // namespace Orvane
