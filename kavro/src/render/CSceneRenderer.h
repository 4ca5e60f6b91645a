#pragma once

#include "render/GL.h"

#include "scene/ModelData.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace Kavro
{

class CRenderDevice;
class CTexture;

// Draws one capture of the 3D scene: the drawables submit their meshes, quads and lights, then draw puts
// them into a render texture over what it holds, with a depth buffer of its own. Order: opaque meshes in
// submission order, blended meshes back to front, meshes marked draw-to-end in their order, then the
// 3D sprites back to front. kavro/README.md gives the shading formulas.
class CSceneRenderer
{
public:
    // The most point lights one draw takes.
    static constexpr int MaxPointLights = 8;

    // A corner of a 3D sprite's quad, in world space.
    struct SpriteCorner
    {
        Vector3D position;
        uint8_t colour[4];
        float u, v;
    };
    struct SpriteQuads
    {
        CTexture* texture = nullptr; // a texture of the device (kept alive by its sprite over the capture)
        std::vector<SpriteCorner> corners; // four per quad: top-left, top-right, bottom-left, bottom-right
        int blendMode = 1;
        bool depthTest = true;
        bool depthWrite = true;
        // Multiplied by the directional light's colour.
        bool lit = false;
    };
    struct PointLight
    {
        Vector3D position;
        Vector3D colour; // times the power
        float range = 0.0f;
        float nearAttenuation = 0.0f, farAttenuation = 1.0f;
    };

    // The scene's fog; a material with its fog flag set fades toward the colour from near to far (distance
    // from the eye).
    struct Fog
    {
        bool enabled = false;
        float nearDistance = 1000.0f, farDistance = 2000.0f;
        Vector3D colour{1.0f, 1.0f, 1.0f};
    };

    // The scene's shadow map: drawn from the directional light (turned by offsetDegrees, RotationZXY) over the
    // casting and receiving meshes.
    struct Shadow
    {
        bool enabled = false;
        int size = 512;
        Vector3D offsetDegrees;
        // Whether meshes that cast also receive.
        bool selfShadow = false;
    };

    // Null when the shaders do not compile or link (the reason goes to stderr).
    static std::unique_ptr<CSceneRenderer> create(CRenderDevice* device);
    ~CSceneRenderer();

    // Starts collecting a capture seen through view and projection (the library's clip space).
    void begin(const Matrix4x4& view, const Matrix4x4& projection, int maxPointLights);
    // The directional light: it shines from position towards target.
    void setDirectionalLight(const Vector3D& position, const Vector3D& target, const Vector3D& colour);
    void addPointLight(const PointLight& light);
    void setFog(const Fog& fog);
    void setShadow(const Shadow& shadow);
    void addMesh(const PosedMesh& mesh);
    void addSprite(SpriteQuads quads);
    // Draws what was collected into target (a render texture) and forgets it. False when the target cannot
    // be drawn into.
    bool draw(CTexture* target);
    // Forgets the GL objects, which went with their context.
    void abandon();

private:
    struct GpuMesh;
    struct MeshDraw
    {
        std::shared_ptr<const ModelMesh> mesh;
        Matrix4x4 world;
        std::vector<Matrix4x4> palette;
        std::vector<std::pair<int, float>> morphs; // target, weight; nonzero weights only
        Vector3D corners[8]; // the bounding box where it stands
    };
    struct SubsetDraw
    {
        size_t mesh;
        const ModelSubset* subset;
        MaterialState material;
        float depth; // view-space depth of the mesh's centre
    };
    struct Program
    {
        GLuint id = 0;
        std::map<std::string, GLint> uniforms;
        GLint operator[](const char* name) const;
    };

    explicit CSceneRenderer(CRenderDevice* device);
    bool build();
    GpuMesh* gpuMesh(const std::shared_ptr<const ModelMesh>& mesh);
    void dropStaleMeshes();
    void setFrameUniforms();
    void drawSubset(const SubsetDraw& draw);
    // The material's shading switches, maps and colours (null: a plain white unlit-capable material).
    void setMaterialUniforms(const MaterialState* material);
    // Binds texture (a texture of the device, else none) to the unit and sets the flag uniform to match.
    // scene: the copy of the target instead ("SCENE" maps).
    void bindMap(int unit, const char* flag, ITexture* texture, bool scene = false);
    // Copies the target's picture when a queued material shows it; false when none does.
    bool copyScene(CTexture* target);
    // Draws the casters' depth from the light; false when nothing casts on a receiver or the map cannot be made.
    bool drawShadowMap();
    static bool casts(const MaterialState& m) { return m.shadow.caster || m.shadow.caster2; }
    bool receives(const MaterialState& m) const
    {
        return (m.shadow.receiver || m.shadow.receiver2) && (shadow_.selfShadow || !casts(m));
    }
    void drawSprite(const SpriteQuads& quads);
    // Blend mode and the fragment output it needs.
    void setBlend(int mode);
    void reset();

    CRenderDevice* device_;
    Program program_;
    GLuint framebuffer_ = 0;
    GLuint depthBuffer_ = 0;
    int depthSize_[2] = {0, 0};
    GLuint sceneCopy_ = 0, sceneCopyFramebuffer_ = 0;
    int sceneCopySize_[2] = {0, 0};
    GLuint bonesBuffer_ = 0, bonesTexture_ = 0;
    GLuint spriteArray_ = 0, spriteBuffer_ = 0, spriteIndices_ = 0;
    size_t spriteIndexQuads_ = 0;
    GLuint samplers_[2] = {}; // meshes: linear, repeat; sprites: linear, clamp
    std::map<const ModelMesh*, std::unique_ptr<GpuMesh>> meshes_;

    Matrix4x4 view_, projection_;
    int maxPointLights_ = 0;
    Vector3D lightDirection_{0.0f, -1.0f, 0.0f}; // towards the light
    Vector3D lightColour_{1.0f, 1.0f, 1.0f};
    std::vector<PointLight> pointLights_;
    Fog fog_;
    Shadow shadow_;
    GLuint shadowFramebuffer_ = 0, shadowTexture_ = 0;
    int shadowSize_ = 0;
    Matrix4x4 shadowViewProjection_;
    bool shadowDrawn_ = false;
    std::vector<MeshDraw> meshDraws_;
    std::vector<SubsetDraw> subsets_;
    std::vector<SpriteQuads> sprites_;
    std::vector<SubsetDraw> drawToEnd_;
};

} // namespace Kavro
