#include "render/CSceneRenderer.h"

#include "render/BlendMode.h"
#include "render/CRenderDevice.h"
#include "render/CTexture.h"
#include "render/GLErrors.h"
#include "render/GLProgram.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

namespace Kavro
{

namespace
{

// Texture units: the maps of the fragment stage, then the two buffer textures of the vertex stage.
constexpr int DiffuseUnit = 0;
constexpr int SecondUnit = 1;
constexpr int SpecularUnit = 2;
constexpr int ToonUnit = 3;
constexpr int EdgeUnit = 4;
constexpr int NormalUnit = 5;
constexpr int ShadowUnit = 8;
constexpr int BonesUnit = 6;
constexpr int MorphsUnit = 7;
// Morph targets one draw blends (the heaviest ones when more are weighted).
constexpr int MaxMorphs = 8;

struct GpuVertex
{
    float position[3];
    float normal[3];
    float uv[2];
    uint16_t joints[4];
    float weights[4];
    uint8_t colour[4];
    // Direction of growing u on the surface, and the sign that turns n x tangent into growing v.
    float tangent[4];
};

// Positions and normals come in the library's row-vector convention: a matrix uploaded as it is stored reads
// in GLSL as its transpose, so m * v is v x M. Clip space is the library's (y up, depth 0..w); as in the
// quad renderer, y is negated so that framebuffer row 0 holds the top of the picture, and depth moves to
// OpenGL's -w..w.
const char* vertexSource = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
layout(location = 3) in uvec4 aJoints;
layout(location = 4) in vec4 aWeights;
layout(location = 5) in vec4 aColour;
layout(location = 6) in vec4 aTangent;
uniform mat4 uWorld;
uniform mat4 uViewProjection;
uniform bool uSkinned;
uniform samplerBuffer uBones;
uniform samplerBuffer uMorphs;
uniform int uVertexCount;
uniform int uMorphCount;
uniform int uMorphTarget[8];
uniform float uMorphWeight[8];
uniform float uEdgeWidth;   // pixels the outline pass pushes the surface out by (0: not the outline pass)
uniform vec2 uTargetSize;
out vec3 vWorld;
out vec3 vNormal;
out vec2 vUv;
out vec4 vColour;
out vec4 vTangent;

mat4 bone(uint joint)
{
    int at = int(joint) * 4;
    return mat4(texelFetch(uBones, at), texelFetch(uBones, at + 1), texelFetch(uBones, at + 2),
                texelFetch(uBones, at + 3));
}

void main()
{
    vec3 position = aPosition;
    vec3 normal = aNormal;
    for (int i = 0; i < uMorphCount; ++i)
    {
        int at = (uMorphTarget[i] * uVertexCount + gl_VertexID) * 2;
        position += uMorphWeight[i] * texelFetch(uMorphs, at).xyz;
        normal += uMorphWeight[i] * texelFetch(uMorphs, at + 1).xyz;
    }
    mat4 m = uWorld;
    float total = dot(aWeights, vec4(1.0));
    if (uSkinned && total > 0.0)
        m = (bone(aJoints.x) * aWeights.x + bone(aJoints.y) * aWeights.y + bone(aJoints.z) * aWeights.z +
             bone(aJoints.w) * aWeights.w) * (1.0 / total);
    vec4 world = m * vec4(position, 1.0);
    vWorld = world.xyz;
    vNormal = mat3(m) * normal;
    vTangent = vec4(mat3(m) * aTangent.xyz, aTangent.w);
    vUv = aUv;
    vColour = aColour;
    vec4 clip = uViewProjection * world;
    if (uEdgeWidth > 0.0)
    {
        vec2 outward = (uViewProjection * vec4(vNormal, 0.0)).xy;
        if (dot(outward, outward) > 0.0)
            clip.xy += normalize(outward * uTargetSize) / uTargetSize * 2.0 * uEdgeWidth * clip.w;
    }
    gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
}
)";

const char* fragmentSource = R"(#version 330 core
in vec3 vWorld;
in vec3 vNormal;
in vec2 vUv;
in vec4 vColour;
in vec4 vTangent;
uniform sampler2D uTexture;
uniform sampler2D uNormalMap;
uniform bool uNormalMapped;
uniform vec2 uBumpUvOffset;
uniform sampler2D uSecondTexture;
uniform sampler2D uSpecularMap;
uniform sampler2D uToonRamp;
uniform bool uTextured;
uniform bool uSecondTextured;
uniform float uSecondPower;
uniform bool uSpecularMapped;
uniform vec2 uColourUvOffset;
uniform vec2 uExtraUvOffset;
uniform vec4 uDiffuse;
uniform vec3 uAmbient;
uniform vec3 uEmissive;
uniform vec4 uSpecular;        // colour, shininess
uniform vec2 uSpecularShape;   // diffusion, sharpness
uniform bool uHemisphere;
uniform vec3 uHemisphereUp;
uniform vec3 uSky;             // times the block's power
uniform vec3 uGround;
uniform bool uRim;
uniform vec3 uRimColour;
uniform float uRimRange;
uniform bool uRimLit;          // the rim takes the light's colour
uniform bool uToon;
uniform bool uFog;
uniform vec3 uFogColour;
uniform vec2 uFogRange;        // near, far
uniform vec3 uEye;
uniform float uAlphaTest;
uniform int uLightMode;       // 0 unlit, 1 shaded, 2 the light's colour only
uniform vec3 uLightDirection; // towards the light
uniform vec3 uLightColour;
uniform int uPointCount;
uniform vec3 uPointPosition[8];
uniform vec3 uPointColour[8];
uniform vec3 uPointFalloff[8]; // range, full up to, none from
uniform int uOutput;           // FragmentOutput of the blend mode
uniform bool uShadowed;        // this material receives and a map was drawn
uniform sampler2D uShadowMap;
uniform mat4 uShadowViewProjection;
uniform vec4 uShadowColour;    // colour, strength
uniform float uShadowOffset;
uniform bool uEdgePass;
uniform vec3 uEdgeColour;
uniform sampler2D uEdgeTexture;
uniform bool uEdgeTextured;
out vec4 fragColour;

float falloff(vec3 f, float d)
{
    if (d >= f.x)
        return 0.0;
    if (f.z <= f.y)
        return d < f.y ? 1.0 : 0.0;
    return clamp((f.z - d) / (f.z - f.y), 0.0, 1.0);
}

void main()
{
    if (uEdgePass)
    {
        vec3 edge = uEdgeColour;
        if (uEdgeTextured)
            edge *= texture(uEdgeTexture, vUv).rgb;
        fragColour = vec4(edge, 1.0);
        return;
    }
    vec2 uv = vUv + uColourUvOffset;
    vec4 base = uDiffuse * vColour;
    if (uTextured)
        base *= texture(uTexture, uv);
    if (uSecondTextured)
    {
        vec4 second = texture(uSecondTexture, vUv + uExtraUvOffset);
        base.rgb = mix(base.rgb, second.rgb, clamp(second.a * uSecondPower, 0.0, 1.0));
    }
    if (base.a < uAlphaTest)
        discard;
    vec3 colour = base.rgb;
    if (uLightMode == 1)
    {
        // Two-sided surfaces are lit on the side that faces the eye.
        vec3 n = normalize(gl_FrontFacing ? vNormal : -vNormal);
        if (uNormalMapped && dot(vTangent.xyz, vTangent.xyz) > 0.0)
        {
            vec3 t = normalize(vTangent.xyz - n * dot(n, vTangent.xyz));
            vec3 b = cross(n, t) * vTangent.w;
            vec3 m = texture(uNormalMap, vUv + uBumpUvOffset).rgb * 2.0 - 1.0;
            n = normalize(t * m.x + b * m.y + n * m.z);
        }
        vec3 v = normalize(uEye - vWorld);
        float nl = dot(n, uLightDirection);
        vec3 direct = uToon ? texture(uToonRamp, vec2(clamp(0.5 + 0.5 * nl, 0.0, 1.0), 0.5)).rgb : vec3(max(nl, 0.0));
        vec3 light = uAmbient + uLightColour * direct;
        if (uHemisphere)
            light += mix(uGround, uSky, 0.5 + 0.5 * dot(n, uHemisphereUp));
        vec3 specular = vec3(0.0);
        float highlight = 0.0;
        if (nl > 0.0 && uSpecular.w > 0.0)
        {
            float nh = max(dot(n, normalize(uLightDirection + v)), 0.0);
            highlight = mix(pow(nh, uSpecular.w), pow(nh, uSpecular.w * 0.25), uSpecularShape.x);
            highlight = mix(highlight, smoothstep(0.45, 0.55, highlight), uSpecularShape.y);
        }
        specular = uSpecular.rgb * uLightColour * highlight;
        for (int i = 0; i < uPointCount; ++i)
        {
            vec3 toLight = uPointPosition[i] - vWorld;
            float d = length(toLight);
            if (d > 0.0)
                light += uPointColour[i] * falloff(uPointFalloff[i], d) * max(dot(n, toLight / d), 0.0);
        }
        if (uSpecularMapped)
            specular *= texture(uSpecularMap, uv).rgb;
        colour = colour * light + specular + uEmissive;
        if (uRim)
        {
            float edge = smoothstep(1.0 - uRimRange, 1.0, 1.0 - max(dot(n, v), 0.0));
            colour += uRimColour * edge * (uRimLit ? uLightColour : vec3(1.0));
        }
    }
    else if (uLightMode == 2)
        colour *= uLightColour;
    if (uShadowed)
    {
        vec4 p = uShadowViewProjection * vec4(vWorld, 1.0);
        vec2 at = vec2(0.5 + 0.5 * p.x, 0.5 - 0.5 * p.y);
        float depth = p.z - uShadowOffset;
        vec2 texel = 1.0 / vec2(textureSize(uShadowMap, 0));
        float dark = 0.0;
        for (int y = -1; y <= 1; ++y)
            for (int x = -1; x <= 1; ++x)
                dark += depth > texture(uShadowMap, at + vec2(x, y) * texel).r ? 1.0 : 0.0;
        if (any(lessThan(at, vec2(0.0))) || any(greaterThan(at, vec2(1.0))))
            dark = 0.0;
        colour = mix(colour, colour * uShadowColour.rgb, uShadowColour.a * dark / 9.0);
    }
    if (uFog)
        colour = mix(colour, uFogColour, clamp((distance(vWorld, uEye) - uFogRange.x) / max(uFogRange.y - uFogRange.x, 1e-6), 0.0, 1.0));
    if (uOutput == 1)
        colour *= base.a;
    else if (uOutput == 2)
        colour = mix(vec3(1.0), colour, base.a);
    fragColour = vec4(colour, base.a);
}
)";

void setAttributes()
{
    const auto at = [](size_t offset) { return reinterpret_cast<const void*>(offset); };
    for (GLuint i = 0; i < 7; ++i)
        glEnableVertexAttribArray(i);
    glVertexAttribPointer(6, 4, GL_FLOAT, GL_FALSE, sizeof(GpuVertex), at(offsetof(GpuVertex, tangent)));
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(GpuVertex), at(offsetof(GpuVertex, position)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(GpuVertex), at(offsetof(GpuVertex, normal)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(GpuVertex), at(offsetof(GpuVertex, uv)));
    glVertexAttribIPointer(3, 4, GL_UNSIGNED_SHORT, sizeof(GpuVertex), at(offsetof(GpuVertex, joints)));
    glVertexAttribPointer(4, 4, GL_FLOAT, GL_FALSE, sizeof(GpuVertex), at(offsetof(GpuVertex, weights)));
    glVertexAttribPointer(5, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(GpuVertex), at(offsetof(GpuVertex, colour)));
}

// Tangents for normal maps, from each triangle's texture-coordinate derivatives summed per vertex.
void addTangents(const ModelMesh& mesh, std::vector<GpuVertex>& out)
{
    std::vector<Vector3D> tangents(out.size()), bitangents(out.size());
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
    {
        const uint32_t a = mesh.indices[i], b = mesh.indices[i + 1], c = mesh.indices[i + 2];
        if (a >= out.size() || b >= out.size() || c >= out.size())
            continue;
        const ModelVertex &va = mesh.vertices[a], &vb = mesh.vertices[b], &vc = mesh.vertices[c];
        const Vector3D e1 = vb.position - va.position, e2 = vc.position - va.position;
        const float du1 = vb.u - va.u, dv1 = vb.v - va.v, du2 = vc.u - va.u, dv2 = vc.v - va.v;
        const float det = du1 * dv2 - du2 * dv1;
        if (std::fabs(det) < 1e-12f)
            continue;
        const Vector3D t = (e1 * dv2 - e2 * dv1) * (1.0f / det);
        const Vector3D bt = (e2 * du1 - e1 * du2) * (1.0f / det);
        for (uint32_t k : {a, b, c})
            tangents[k] = tangents[k] + t, bitangents[k] = bitangents[k] + bt;
    }
    for (size_t i = 0; i < out.size(); ++i)
    {
        const Vector3D& n = mesh.vertices[i].normal;
        Vector3D t = tangents[i] - n * n.Dot(tangents[i]);
        if (!(t.LengthSq() > 0.0f))
            continue;
        t = t.GetNormalize();
        const float handedness = n.Cross(t).Dot(bitangents[i]) < 0.0f ? -1.0f : 1.0f;
        out[i].tangent[0] = t.x, out[i].tangent[1] = t.y, out[i].tangent[2] = t.z, out[i].tangent[3] = handedness;
    }
}

float viewDepth(const Vector3D& p, const Matrix4x4& view)
{
    return p.x * view._13 + p.y * view._23 + p.z * view._33 + view._43;
}

} // namespace

// A mesh's vertices, indices and morph deltas on the GPU, made on its first draw.
struct CSceneRenderer::GpuMesh
{
    std::weak_ptr<const ModelMesh> owner;
    GLuint array = 0, vertices = 0, indices = 0, morphBuffer = 0, morphTexture = 0;
    Vector3D centre;

    ~GpuMesh() = default;
    void release()
    {
        glDeleteVertexArrays(1, &array);
        glDeleteBuffers(1, &vertices);
        glDeleteBuffers(1, &indices);
        glDeleteBuffers(1, &morphBuffer);
        glDeleteTextures(1, &morphTexture);
    }
};

GLint CSceneRenderer::Program::operator[](const char* name) const
{
    auto found = uniforms.find(name);
    return found == uniforms.end() ? -1 : found->second;
}

CSceneRenderer::CSceneRenderer(CRenderDevice* device) : device_(device) {}

std::unique_ptr<CSceneRenderer> CSceneRenderer::create(CRenderDevice* device)
{
    std::unique_ptr<CSceneRenderer> renderer(new CSceneRenderer(device));
    if (!renderer->build())
    {
        renderer->reset();
        return nullptr;
    }
    return renderer;
}

CSceneRenderer::~CSceneRenderer()
{
    reset();
}

void CSceneRenderer::abandon()
{
    program_.id = 0;
    framebuffer_ = depthBuffer_ = bonesBuffer_ = bonesTexture_ = 0;
    spriteArray_ = spriteBuffer_ = spriteIndices_ = 0;
    samplers_[0] = samplers_[1] = 0;
    sceneCopy_ = sceneCopyFramebuffer_ = 0;
    shadowTexture_ = shadowFramebuffer_ = 0;
    shadowSize_ = 0;
    sceneCopySize_[0] = sceneCopySize_[1] = 0;
    meshes_.clear();
    meshDraws_.clear();
    subsets_.clear();
    drawToEnd_.clear();
    sprites_.clear();
}

void CSceneRenderer::reset()
{
    if (!device_->makeCurrent())
    {
        abandon();
        return;
    }
    for (auto& [key, mesh] : meshes_)
        mesh->release();
    glDeleteProgram(program_.id);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    glDeleteBuffers(1, &bonesBuffer_);
    glDeleteTextures(1, &bonesTexture_);
    glDeleteVertexArrays(1, &spriteArray_);
    glDeleteBuffers(1, &spriteBuffer_);
    glDeleteBuffers(1, &spriteIndices_);
    glDeleteSamplers(2, samplers_);
    glDeleteTextures(1, &sceneCopy_);
    glDeleteFramebuffers(1, &sceneCopyFramebuffer_);
    glDeleteTextures(1, &shadowTexture_);
    glDeleteFramebuffers(1, &shadowFramebuffer_);
    abandon();
}

bool CSceneRenderer::build()
{
    program_.id = BuildGLProgram("scene", "", vertexSource, fragmentSource);
    if (!program_.id)
        return false;
    GLint count = 0;
    glGetProgramiv(program_.id, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i)
    {
        char name[128] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program_.id, GLuint(i), sizeof name - 1, nullptr, &size, &type, name);
        std::string key = name;
        // Arrays are looked up by their first element's name without the index.
        if (const auto bracket = key.find('['); bracket != std::string::npos)
            key.resize(bracket);
        program_.uniforms[key] = glGetUniformLocation(program_.id, name);
    }
    glUseProgram(program_.id);
    glUniform1i(program_["uTexture"], DiffuseUnit);
    glUniform1i(program_["uSecondTexture"], SecondUnit);
    glUniform1i(program_["uSpecularMap"], SpecularUnit);
    glUniform1i(program_["uToonRamp"], ToonUnit);
    glUniform1i(program_["uEdgeTexture"], EdgeUnit);
    glUniform1i(program_["uNormalMap"], NormalUnit);
    glUniform1i(program_["uShadowMap"], ShadowUnit);
    glUniform1i(program_["uBones"], BonesUnit);
    glUniform1i(program_["uMorphs"], MorphsUnit);

    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &depthBuffer_);
    glGenBuffers(1, &bonesBuffer_);
    glGenTextures(1, &bonesTexture_);
    glBindBuffer(GL_TEXTURE_BUFFER, bonesBuffer_);
    glBufferData(GL_TEXTURE_BUFFER, sizeof(float) * 16, nullptr, GL_STREAM_DRAW);
    glBindTexture(GL_TEXTURE_BUFFER, bonesTexture_);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, bonesBuffer_);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    glBindTexture(GL_TEXTURE_BUFFER, 0);

    glGenVertexArrays(1, &spriteArray_);
    glGenBuffers(1, &spriteBuffer_);
    glGenBuffers(1, &spriteIndices_);
    glBindVertexArray(spriteArray_);
    glBindBuffer(GL_ARRAY_BUFFER, spriteBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, spriteIndices_);
    setAttributes();
    glBindVertexArray(0);

    glGenSamplers(2, samplers_);
    for (int i = 0; i < 2; ++i)
    {
        const GLint wrap = i == 0 ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, wrap);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, wrap);
    }
    return !CheckGLErrors("building the scene renderer");
}

void CSceneRenderer::begin(const Matrix4x4& view, const Matrix4x4& projection, int maxPointLights)
{
    view_ = view;
    projection_ = projection;
    maxPointLights_ = std::clamp(maxPointLights, 0, MaxPointLights);
    pointLights_.clear();
    meshDraws_.clear();
    subsets_.clear();
    drawToEnd_.clear();
    sprites_.clear();
}

void CSceneRenderer::setDirectionalLight(const Vector3D& position, const Vector3D& target, const Vector3D& colour)
{
    const Vector3D towards = position - target;
    if (towards.LengthSq() > 0.0f)
        lightDirection_ = towards.GetNormalize();
    lightColour_ = colour;
}

void CSceneRenderer::setShadow(const Shadow& shadow)
{
    shadow_ = shadow;
}

void CSceneRenderer::setFog(const Fog& fog)
{
    fog_ = fog;
}

void CSceneRenderer::addPointLight(const PointLight& light)
{
    if (int(pointLights_.size()) < maxPointLights_)
        pointLights_.push_back(light);
}

void CSceneRenderer::addMesh(const PosedMesh& posed)
{
    if (!posed.visible || !posed.mesh || posed.mesh->indices.empty() || posed.mesh->vertices.empty())
        return;
    const ModelMesh& mesh = *posed.mesh;
    MeshDraw draw;
    draw.mesh = posed.mesh;
    draw.world = posed.world;
    if (mesh.skin >= 0)
        draw.palette = posed.palette;
    for (size_t i = 0; i < posed.morphWeights.size() && i < mesh.morphs.size(); ++i)
        if (posed.morphWeights[i] != 0.0f && mesh.morphs[i].positions.size() == mesh.vertices.size())
            draw.morphs.emplace_back(int(i), posed.morphWeights[i]);
    std::stable_sort(draw.morphs.begin(), draw.morphs.end(),
                     [](const auto& a, const auto& b) { return std::fabs(a.second) > std::fabs(b.second); });
    if (draw.morphs.size() > size_t(MaxMorphs))
        draw.morphs.resize(MaxMorphs);

    // The centre of the bounding box, where it stands now, orders blended meshes.
    Vector3D low = mesh.vertices[0].position, high = low;
    for (const ModelVertex& v : mesh.vertices)
    {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
    }
    const Matrix4x4& placement = draw.palette.empty() ? draw.world : draw.palette[0];
    const float depth = viewDepth(((low + high) * 0.5f).TransformCoord(placement), view_);
    for (int i = 0; i < 8; ++i)
        draw.corners[i] = Vector3D((i & 1) ? high.x : low.x, (i & 2) ? high.y : low.y, (i & 4) ? high.z : low.z)
                              .TransformCoord(placement);

    meshDraws_.push_back(std::move(draw));
    const size_t index = meshDraws_.size() - 1;
    for (const ModelSubset& subset : mesh.subsets)
    {
        const MaterialState* material = posed.materials && subset.material < posed.materials->size()
                                            ? &(*posed.materials)[subset.material]
                                        : subset.material < mesh.materials.size() ? &mesh.materials[subset.material].state
                                                                                  : nullptr;
        if (!material || !material->visible || subset.indexCount == 0 ||
            uint64_t(subset.firstIndex) + subset.indexCount > mesh.indices.size())
            continue;
        SubsetDraw item{index, &subset, *material, depth};
        (posed.drawToEnd ? drawToEnd_ : subsets_).push_back(std::move(item));
    }
}

void CSceneRenderer::addSprite(SpriteQuads quads)
{
    if (quads.texture && quads.corners.size() >= 4)
        sprites_.push_back(std::move(quads));
}

CSceneRenderer::GpuMesh* CSceneRenderer::gpuMesh(const std::shared_ptr<const ModelMesh>& mesh)
{
    auto found = meshes_.find(mesh.get());
    if (found != meshes_.end())
    {
        if (found->second->owner.lock() == mesh)
            return found->second.get();
        found->second->release();
        meshes_.erase(found);
    }
    auto gpu = std::make_unique<GpuMesh>();
    gpu->owner = mesh;
    std::vector<GpuVertex> vertices(mesh->vertices.size());
    Vector3D low = mesh->vertices[0].position, high = low;
    for (size_t i = 0; i < vertices.size(); ++i)
    {
        const ModelVertex& v = mesh->vertices[i];
        GpuVertex& g = vertices[i];
        g = {{v.position.x, v.position.y, v.position.z},
             {v.normal.x, v.normal.y, v.normal.z},
             {v.u, v.v},
             {v.joints[0], v.joints[1], v.joints[2], v.joints[3]},
             {v.weights[0], v.weights[1], v.weights[2], v.weights[3]},
             {255, 255, 255, 255},
             {0.0f, 0.0f, 0.0f, 0.0f}};
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y), std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y), std::max(high.z, v.position.z)};
    }
    gpu->centre = (low + high) * 0.5f;
    addTangents(*mesh, vertices);
    glGenVertexArrays(1, &gpu->array);
    glGenBuffers(1, &gpu->vertices);
    glGenBuffers(1, &gpu->indices);
    glBindVertexArray(gpu->array);
    glBindBuffer(GL_ARRAY_BUFFER, gpu->vertices);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(GpuVertex)), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu->indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh->indices.size() * sizeof(uint32_t)), mesh->indices.data(),
                 GL_STATIC_DRAW);
    setAttributes();
    glBindVertexArray(0);

    // Per target, per vertex: the position delta, then the normal delta (four floats each).
    std::vector<float> deltas;
    for (const ModelMorphTarget& target : mesh->morphs)
        for (size_t i = 0; i < mesh->vertices.size(); ++i)
        {
            const Vector3D p = i < target.positions.size() ? target.positions[i] : Vector3D();
            const Vector3D n = i < target.normals.size() ? target.normals[i] : Vector3D();
            deltas.insert(deltas.end(), {p.x, p.y, p.z, 0.0f, n.x, n.y, n.z, 0.0f});
        }
    if (!deltas.empty())
    {
        glGenBuffers(1, &gpu->morphBuffer);
        glGenTextures(1, &gpu->morphTexture);
        glBindBuffer(GL_TEXTURE_BUFFER, gpu->morphBuffer);
        glBufferData(GL_TEXTURE_BUFFER, GLsizeiptr(deltas.size() * sizeof(float)), deltas.data(), GL_STATIC_DRAW);
        glBindTexture(GL_TEXTURE_BUFFER, gpu->morphTexture);
        glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, gpu->morphBuffer);
        glBindBuffer(GL_TEXTURE_BUFFER, 0);
        glBindTexture(GL_TEXTURE_BUFFER, 0);
    }
    GpuMesh* out = gpu.get();
    meshes_[mesh.get()] = std::move(gpu);
    return out;
}

void CSceneRenderer::dropStaleMeshes()
{
    for (auto it = meshes_.begin(); it != meshes_.end();)
        if (it->second->owner.expired())
        {
            it->second->release();
            it = meshes_.erase(it);
        }
        else
            ++it;
}

void CSceneRenderer::setBlend(int mode)
{
    const FragmentOutput output = ApplyBlendMode(mode >= 0 && mode <= 5 ? mode : 1);
    glUniform1i(program_["uOutput"], int(output));
}

void CSceneRenderer::setFrameUniforms()
{
    const Matrix4x4 viewProjection = view_ * projection_;
    glUniformMatrix4fv(program_["uViewProjection"], 1, GL_FALSE, &viewProjection.m[0][0]);
    glUniform3f(program_["uLightDirection"], lightDirection_.x, lightDirection_.y, lightDirection_.z);
    glUniform3f(program_["uLightColour"], lightColour_.x, lightColour_.y, lightColour_.z);
    const Vector3D eye = view_.Inverse().GetPosition();
    glUniform3f(program_["uEye"], eye.x, eye.y, eye.z);
    glUniform3f(program_["uFogColour"], fog_.colour.x, fog_.colour.y, fog_.colour.z);
    glUniform2f(program_["uFogRange"], fog_.nearDistance, fog_.farDistance);
    const int count = int(pointLights_.size());
    glUniform1i(program_["uPointCount"], count);
    std::vector<float> positions, colours, falloffs;
    for (const PointLight& light : pointLights_)
    {
        positions.insert(positions.end(), {light.position.x, light.position.y, light.position.z});
        colours.insert(colours.end(), {light.colour.x, light.colour.y, light.colour.z});
        falloffs.insert(falloffs.end(),
                        {light.range, light.nearAttenuation * light.range, light.farAttenuation * light.range});
    }
    if (count > 0)
    {
        glUniform3fv(program_["uPointPosition"], count, positions.data());
        glUniform3fv(program_["uPointColour"], count, colours.data());
        glUniform3fv(program_["uPointFalloff"], count, falloffs.data());
    }
}

void CSceneRenderer::bindMap(int unit, const char* flag, ITexture* texture, bool scene)
{
    CTexture* ours = device_->own(texture);
    const GLuint name = scene ? sceneCopy_ : ours ? ours->glTexture() : 0;
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glBindTexture(GL_TEXTURE_2D, name);
    glBindSampler(GLuint(unit), samplers_[0]);
    if (flag)
        glUniform1i(program_[flag], name ? 1 : 0);
}

bool CSceneRenderer::copyScene(CTexture* target)
{
    const auto wants = [](const SubsetDraw& item) {
        const DiffuseMapParam& d = item.material.diffuseMap;
        return d.enable && (d.sceneFlag || (d.secondEnable && d.secondSceneFlag));
    };
    if (std::none_of(subsets_.begin(), subsets_.end(), wants) && std::none_of(drawToEnd_.begin(), drawToEnd_.end(), wants))
        return false;
    const int width = target->getSize()[0], height = target->getSize()[1];
    if (!sceneCopy_)
    {
        glGenTextures(1, &sceneCopy_);
        glGenFramebuffers(1, &sceneCopyFramebuffer_);
    }
    glBindTexture(GL_TEXTURE_2D, sceneCopy_);
    if (sceneCopySize_[0] != width || sceneCopySize_[1] != height)
    {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        sceneCopySize_[0] = width, sceneCopySize_[1] = height;
        glBindFramebuffer(GL_FRAMEBUFFER, sceneCopyFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, sceneCopy_, 0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target->framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, sceneCopyFramebuffer_);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}

void CSceneRenderer::setMaterialUniforms(const MaterialState* material)
{
    static const MaterialState plain = [] {
        MaterialState s;
        s.diffuseColor.color = {1.0f, 1.0f, 1.0f, 1.0f};
        return s;
    }();
    const MaterialState& m = material ? *material : plain;
    const DiffuseMapParam& dm = m.diffuseMap;
    bindMap(DiffuseUnit, "uTextured", dm.enable ? m.diffuseTexture.get() : nullptr, dm.enable && dm.sceneFlag);
    bindMap(SecondUnit, "uSecondTextured", dm.secondEnable ? m.secondDiffuseTexture.get() : nullptr,
            dm.enable && dm.secondEnable && dm.secondSceneFlag);
    glUniform1f(program_["uSecondPower"], m.diffuseMap.secondPower);
    bindMap(SpecularUnit, "uSpecularMapped", m.specularMap.enable ? m.specularTexture.get() : nullptr);
    bindMap(ToonUnit, "uToon", m.toon.enable ? m.toonTexture.get() : nullptr);
    bindMap(NormalUnit, "uNormalMapped", m.normalMap.enable ? m.normalTexture.get() : nullptr);
    glUniform2f(program_["uBumpUvOffset"], m.bumpUVOffset[0], m.bumpUVOffset[1]);
    glActiveTexture(GL_TEXTURE0);
    glUniform2f(program_["uColourUvOffset"], m.colorUVOffset[0], m.colorUVOffset[1]);
    glUniform2f(program_["uExtraUvOffset"], m.extraUVOffset[0], m.extraUVOffset[1]);
    const ColorF& d = m.diffuseColor.color;
    glUniform4f(program_["uDiffuse"], d.r, d.g, d.b, d.a);
    const ColorF& a = m.ambientColor.color;
    glUniform3f(program_["uAmbient"], a.r, a.g, a.b);
    const ColorF& e = m.emissiveColor.color;
    glUniform3f(program_["uEmissive"], e.r, e.g, e.b);
    const SpecularColorParam& sp = m.specularColor;
    glUniform4f(program_["uSpecular"], sp.color.r, sp.color.g, sp.color.b, std::max(sp.shininess, 0.0f));
    glUniform2f(program_["uSpecularShape"], std::clamp(sp.diffusion, 0.0f, 1.0f), std::clamp(sp.sharpness, 0.0f, 1.0f));
    const HemisphereLightParam& h = m.hemisphereLight;
    glUniform1i(program_["uHemisphere"], h.enable ? 1 : 0);
    const Vector3D up = h.up.LengthSq() > 0.0f ? h.up.GetNormalize() : Vector3D(0.0f, 1.0f, 0.0f);
    glUniform3f(program_["uHemisphereUp"], up.x, up.y, up.z);
    glUniform3f(program_["uSky"], h.skyColor.r * h.power, h.skyColor.g * h.power, h.skyColor.b * h.power);
    glUniform3f(program_["uGround"], h.groundColor.r * h.power, h.groundColor.g * h.power,
                h.groundColor.b * h.power);
    const RimLightParam& r = m.rimLight;
    glUniform1i(program_["uRim"], r.enable ? 1 : 0);
    glUniform3f(program_["uRimColour"], r.color.r, r.color.g, r.color.b);
    glUniform1f(program_["uRimRange"], std::clamp(r.range, 0.001f, 1.0f));
    glUniform1i(program_["uRimLit"], r.effectiveLight ? 1 : 0);
    glUniform1i(program_["uFog"], material && m.fog && fog_.enabled ? 1 : 0);
    const ShadowParam& sh = m.shadow;
    glUniform1i(program_["uShadowed"], material && shadowDrawn_ && receives(m) ? 1 : 0);
    glUniform4f(program_["uShadowColour"], sh.color.r, sh.color.g, sh.color.b, std::clamp(sh.strength, 0.0f, 1.0f));
    glUniform1f(program_["uShadowOffset"], sh.offset);
    glUniform1f(program_["uAlphaTest"], float(std::clamp(m.alphaTest, 0, 255)) / 255.0f);
}

void CSceneRenderer::drawSubset(const SubsetDraw& item)
{
    const MeshDraw& draw = meshDraws_[item.mesh];
    GpuMesh* gpu = gpuMesh(draw.mesh);
    const MaterialState& m = item.material;
    const bool skinned = !draw.palette.empty();
    glUniform1i(program_["uSkinned"], skinned ? 1 : 0);
    glUniformMatrix4fv(program_["uWorld"], 1, GL_FALSE, &draw.world.m[0][0]);
    if (skinned)
    {
        glBindBuffer(GL_TEXTURE_BUFFER, bonesBuffer_);
        glBufferData(GL_TEXTURE_BUFFER, GLsizeiptr(draw.palette.size() * sizeof(Matrix4x4)), draw.palette.data(),
                     GL_STREAM_DRAW);
        glBindBuffer(GL_TEXTURE_BUFFER, 0);
        glActiveTexture(GL_TEXTURE0 + BonesUnit);
        glBindTexture(GL_TEXTURE_BUFFER, bonesTexture_);
    }
    const int morphs = gpu->morphTexture ? int(draw.morphs.size()) : 0;
    glUniform1i(program_["uMorphCount"], morphs);
    if (morphs > 0)
    {
        int targets[MaxMorphs] = {};
        float weights[MaxMorphs] = {};
        for (int i = 0; i < morphs; ++i)
            targets[i] = draw.morphs[size_t(i)].first, weights[i] = draw.morphs[size_t(i)].second;
        glUniform1iv(program_["uMorphTarget"], morphs, targets);
        glUniform1fv(program_["uMorphWeight"], morphs, weights);
        glUniform1i(program_["uVertexCount"], GLint(draw.mesh->vertices.size()));
        glActiveTexture(GL_TEXTURE0 + MorphsUnit);
        glBindTexture(GL_TEXTURE_BUFFER, gpu->morphTexture);
    }

    setMaterialUniforms(&m);
    glUniform1i(program_["uLightMode"], 1);
    setBlend(m.blendMode);
    if (m.cullMode == 0)
        glDisable(GL_CULL_FACE);
    else
    {
        glEnable(GL_CULL_FACE);
        glCullFace(m.cullMode == 2 ? GL_FRONT : GL_BACK);
    }
    glDepthMask(m.zWrite ? GL_TRUE : GL_FALSE);
    glBindVertexArray(gpu->array);
    // Vertices without a colour of their own are white.
    glDisableVertexAttribArray(5);
    glVertexAttrib4f(5, 1.0f, 1.0f, 1.0f, 1.0f);
    const auto drawIndices = [&] {
        glDrawElements(GL_TRIANGLES, GLsizei(item.subset->indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(size_t(item.subset->firstIndex) * sizeof(uint32_t)));
    };
    drawIndices();
    // The toon outline: the back faces pushed out by the edge power in pixels, in the edge colour.
    if (m.toon.enable && m.toon.edgePower > 0.0f)
    {
        glUniform1i(program_["uEdgePass"], 1);
        glUniform1f(program_["uEdgeWidth"], m.toon.edgePower);
        glUniform3f(program_["uEdgeColour"], m.toon.edgeColor.r, m.toon.edgeColor.g, m.toon.edgeColor.b);
        bindMap(EdgeUnit, "uEdgeTextured", m.toonEdgeTexture.get());
        glActiveTexture(GL_TEXTURE0);
        setBlend(0);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        drawIndices();
        glUniform1i(program_["uEdgePass"], 0);
        glUniform1f(program_["uEdgeWidth"], 0.0f);
    }
}

void CSceneRenderer::drawSprite(const SpriteQuads& quads)
{
    const size_t quadCount = quads.corners.size() / 4;
    std::vector<GpuVertex> vertices(quadCount * 4);
    for (size_t i = 0; i < vertices.size(); ++i)
    {
        const SpriteCorner& c = quads.corners[i];
        vertices[i] = {{c.position.x, c.position.y, c.position.z},
                       {0.0f, 0.0f, -1.0f},
                       {c.u, c.v},
                       {0, 0, 0, 0},
                       {0.0f, 0.0f, 0.0f, 0.0f},
                       {c.colour[0], c.colour[1], c.colour[2], c.colour[3]},
                       {0.0f, 0.0f, 0.0f, 0.0f}};
    }
    glBindVertexArray(spriteArray_);
    glBindBuffer(GL_ARRAY_BUFFER, spriteBuffer_);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(GpuVertex)), vertices.data(), GL_STREAM_DRAW);
    if (spriteIndexQuads_ < quadCount)
    {
        std::vector<uint32_t> indices;
        for (uint32_t q = 0; q < quadCount; ++q)
            indices.insert(indices.end(), {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 2, 4 * q + 1, 4 * q + 3});
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(),
                     GL_STATIC_DRAW);
        spriteIndexQuads_ = quadCount;
    }
    glEnableVertexAttribArray(5);
    const Matrix4x4 identity;
    glUniformMatrix4fv(program_["uWorld"], 1, GL_FALSE, &identity.m[0][0]);
    glUniform1i(program_["uSkinned"], 0);
    glUniform1i(program_["uMorphCount"], 0);
    setMaterialUniforms(nullptr);
    glActiveTexture(GL_TEXTURE0 + DiffuseUnit);
    glBindTexture(GL_TEXTURE_2D, quads.texture->glTexture());
    glBindSampler(DiffuseUnit, samplers_[1]);
    glUniform1i(program_["uTextured"], 1);
    glUniform1i(program_["uLightMode"], quads.lit ? 2 : 0);
    setBlend(quads.blendMode);
    glDisable(GL_CULL_FACE);
    if (quads.depthTest)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthMask(quads.depthWrite ? GL_TRUE : GL_FALSE);
    glDrawElements(GL_TRIANGLES, GLsizei(quadCount * 6), GL_UNSIGNED_INT, nullptr);
}

bool CSceneRenderer::drawShadowMap()
{
    std::vector<const SubsetDraw*> casters;
    bool anyReceiver = false;
    std::vector<Vector3D> points;
    for (const auto* list : {&subsets_, &drawToEnd_})
        for (const SubsetDraw& item : *list)
        {
            const bool cast = casts(item.material), receive = receives(item.material);
            if (cast)
                casters.push_back(&item);
            anyReceiver = anyReceiver || receive;
            if (cast || receive)
                points.insert(points.end(), std::begin(meshDraws_[item.mesh].corners),
                              std::end(meshDraws_[item.mesh].corners));
        }
    if (!shadow_.enabled || casters.empty() || !anyReceiver)
        return false;
    const int size = std::clamp(shadow_.size, 64, 4096);
    if (!shadowTexture_)
    {
        glGenTextures(1, &shadowTexture_);
        glGenFramebuffers(1, &shadowFramebuffer_);
    }
    if (shadowSize_ != size)
    {
        glBindTexture(GL_TEXTURE_2D, shadowTexture_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size, size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, shadowTexture_, 0);
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        shadowSize_ = size;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;

    // An orthographic view along the light over a sphere around everything that casts or receives.
    Vector3D low = points[0], high = points[0];
    for (const Vector3D& p : points)
    {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vector3D centre = (low + high) * 0.5f;
    const float radius = std::max((high - low).Length() * 0.5f, 1e-3f);
    const Vector3D along = (lightDirection_ * -1.0f)
                               .TransformNormal(Matrix4x4::GetRotationZXY(shadow_.offsetDegrees.x, shadow_.offsetDegrees.y,
                                                                          shadow_.offsetDegrees.z))
                               .GetNormalize();
    const Vector3D up = std::fabs(along.y) > 0.99f ? Vector3D(0.0f, 0.0f, 1.0f) : Vector3D(0.0f, 1.0f, 0.0f);
    const Matrix4x4 lightView = Matrix4x4().LookAt(centre - along * (radius * 2.0f), centre, up);
    const Matrix4x4 lightProjection = Matrix4x4().Ortho(radius * 2.0f, radius * 2.0f, radius * 0.5f, radius * 3.5f);
    shadowViewProjection_ = lightView * lightProjection;

    glViewport(0, 0, size, size);
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glUniformMatrix4fv(program_["uViewProjection"], 1, GL_FALSE, &shadowViewProjection_.m[0][0]);
    for (const SubsetDraw* item : casters)
    {
        SubsetDraw plain = *item;
        plain.material.cullMode = 0;
        plain.material.zWrite = 1;
        plain.material.toon.edgePower = 0.0f;
        drawSubset(plain);
    }
    const Matrix4x4 viewProjection = view_ * projection_;
    glUniformMatrix4fv(program_["uViewProjection"], 1, GL_FALSE, &viewProjection.m[0][0]);
    glActiveTexture(GL_TEXTURE0 + ShadowUnit);
    glBindTexture(GL_TEXTURE_2D, shadowTexture_);
    glBindSampler(ShadowUnit, 0);
    glActiveTexture(GL_TEXTURE0);
    glUniformMatrix4fv(program_["uShadowViewProjection"], 1, GL_FALSE, &shadowViewProjection_.m[0][0]);
    return true;
}

bool CSceneRenderer::draw(CTexture* target)
{
    if (!target || !program_.id || !target->framebuffer())
        return false;
    dropStaleMeshes();
    // "SCENE" maps show the target as it stands before the scene draws into it.
    copyScene(target);
    const int width = target->getSize()[0], height = target->getSize()[1];
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    if (depthSize_[0] != width || depthSize_[1] != height)
    {
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
        depthSize_[0] = width, depthSize_[1] = height;
    }
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target->glTexture(), 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete)
    {
        glViewport(0, 0, width, height);
        glDepthMask(GL_TRUE);
        glClearDepth(1.0);
        glClear(GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        // Front faces are the ones that wind clockwise on screen, as the model files are made; with y negated
        // on the way to the framebuffer that is OpenGL's counter-clockwise.
        glFrontFace(GL_CCW);
        glUseProgram(program_.id);
        setFrameUniforms();
        shadowDrawn_ = false;
        glUniform1i(program_["uShadowed"], 0);
        glUniform1i(program_["uEdgePass"], 0);
        glUniform1f(program_["uEdgeWidth"], 0.0f);
        shadowDrawn_ = drawShadowMap();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glUniform2f(program_["uTargetSize"], float(width), float(height));
        glUniform1i(program_["uEdgePass"], 0);
        glUniform1f(program_["uEdgeWidth"], 0.0f);

        for (const SubsetDraw& item : subsets_)
            if (item.material.blendMode == 0)
                drawSubset(item);
        std::vector<const SubsetDraw*> blended;
        for (const SubsetDraw& item : subsets_)
            if (item.material.blendMode != 0)
                blended.push_back(&item);
        std::stable_sort(blended.begin(), blended.end(),
                         [](const SubsetDraw* a, const SubsetDraw* b) { return a->depth > b->depth; });
        for (const SubsetDraw* item : blended)
            drawSubset(*item);
        for (const SubsetDraw& item : drawToEnd_)
            drawSubset(item);

        std::vector<const SpriteQuads*> sprites;
        std::vector<float> depths;
        for (const SpriteQuads& quads : sprites_)
            sprites.push_back(&quads);
        const auto depthOf = [this](const SpriteQuads* q) {
            Vector3D sum;
            for (const SpriteCorner& c : q->corners)
                sum = sum + c.position;
            return viewDepth(sum * (1.0f / float(q->corners.size())), view_);
        };
        std::stable_sort(sprites.begin(), sprites.end(),
                         [&](const SpriteQuads* a, const SpriteQuads* b) { return depthOf(a) > depthOf(b); });
        for (const SpriteQuads* quads : sprites)
            drawSprite(*quads);
    }
    // What the quad renderer expects: no depth test or culling, its own bindings.
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0 + BonesUnit);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0 + MorphsUnit);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    for (int unit : {ShadowUnit, NormalUnit, EdgeUnit, ToonUnit, SpecularUnit, SecondUnit, DiffuseUnit})
    {
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindSampler(GLuint(unit), 0);
    }
    CheckGLErrors("drawing the 3D scene");
    begin(view_, projection_, maxPointLights_);
    return complete;
}

} // namespace Kavro
