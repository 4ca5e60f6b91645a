#pragma once

#include <kavro/ColorF.h>
#include <kavro/MaterialParams.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Ref.h>
#include <kavro/ITexture.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Kavro
{

// The CPU side of a loaded model, shared by the loader, the scene models that pose it and the renderer.
// Matrices follow the library's row-vector convention (p' = p x M); a frame's model-space matrix is
// local x parent's model-space matrix.

struct ModelVertex
{
    Vector3D position;
    Vector3D normal;
    float u = 0.0f;
    float v = 0.0f;
    // Indices into the mesh's skin joints and their weights; all zero weights for an unskinned mesh.
    uint16_t joints[4] = {};
    float weights[4] = {};
};

// Position and normal deltas for every vertex of its mesh.
struct ModelMorphTarget
{
    std::string name;
    std::vector<Vector3D> positions;
    std::vector<Vector3D> normals;
    // Read from a morph file (IModelResource::loadMorph) rather than the model file.
    bool loaded = false;
};

// Every material setting a scene model or resource keeps; the renderer reads these.
struct MaterialState
{
    int visible = 1;
    int zWrite = 1;
    // Alpha below boundary / 255 is discarded; 0 keeps every pixel.
    int alphaTest = 0;
    // The quad renderer's blend-mode numbers; cull mode 0 none, 1 back faces, 2 front faces.
    int blendMode = 0;
    int cullMode = 1;
    int fog = 0;
    Ref<ITexture> diffuseTexture;
    // The references behind the other texture pointers of the blocks below.
    Ref<ITexture> secondDiffuseTexture;
    Ref<ITexture> specularTexture;
    Ref<ITexture> normalTexture;
    Ref<ITexture> reflectionTexture;
    Ref<ITexture> toonTexture;
    Ref<ITexture> toonEdgeTexture;
    DiffuseMapParam diffuseMap;
    SpecularMapParam specularMap;
    NormalMapParam normalMap;
    ReflectionMapParam reflectionMap;
    DiffuseColorParam diffuseColor;
    AmbientColorParam ambientColor;
    EmissiveColorParam emissiveColor;
    SpecularColorParam specularColor;
    HemisphereLightParam hemisphereLight;
    RimLightParam rimLight;
    ShadowParam shadow;
    ToonParam toon;
    // Texture-coordinate offsets: colour, bump, extra.
    float colorUVOffset[2] = {};
    float bumpUVOffset[2] = {};
    float extraUVOffset[2] = {};
};

struct ModelMaterial
{
    std::string name;
    MaterialState state;
};

// A run of triangles (indexCount indices from firstIndex) drawn with one material of the mesh.
struct ModelSubset
{
    uint32_t material = 0;
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
};

// Whatever the renderer keeps on the GPU for a mesh (vertex array, buffers); made once per mesh on first draw.
class MeshGpuBuffers;

struct ModelMesh
{
    // Stays the same when the resource replaces the mesh by a changed copy (a morph loaded), so a scene
    // model's own state for the mesh survives; unique within the process.
    uint32_t id = 0;
    std::string name;
    // The file the mesh came from (addMesh and eraseMesh work per file).
    std::string file;
    // The frame the mesh hangs from (unskinned meshes follow it), or -1 for the model's root.
    int frame = -1;
    // Index into ModelData::skins, or -1 when the mesh is not skinned.
    int skin = -1;
    bool visible = true;
    bool drawToEnd = false;
    // The mesh's own material flag (IMaterialSettings::setMeshMaterialFlag).
    int materialFlag = 0;
    std::vector<ModelVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<ModelSubset> subsets;
    std::vector<ModelMaterial> materials;
    std::vector<ModelMorphTarget> morphs;
    std::shared_ptr<MeshGpuBuffers> gpu;
};

// The frames a skinned mesh is bound to, with the inverse bind matrices (model space to joint space).
struct ModelSkin
{
    std::vector<int> joints;
    std::vector<Matrix4x4> inverseBind;
};

struct ModelFrameData
{
    std::string name;
    // Index of the parent frame, or -1; parents come before their children.
    int parent = -1;
    Matrix4x4 local;
    // Model-space matrix of the rest pose.
    Matrix4x4 rest;
};

// What a scene model hands the renderer for one mesh after posing.
struct PosedMesh
{
    std::shared_ptr<const ModelMesh> mesh;
    // Model world x frame: where an unskinned mesh stands; skinned meshes use the palette instead.
    Matrix4x4 world;
    // Per skin joint: inverseBind x joint's posed model-space matrix x model world.
    std::vector<Matrix4x4> palette;
    // Per morph target of the mesh: its weight (0 for targets no channel drives).
    std::vector<float> morphWeights;
    // Per material of the mesh: the scene model's own state.
    const std::vector<MaterialState>* materials = nullptr;
    bool visible = true;
    // Drawn after every other mesh of the scene (setMeshDrawToEnd).
    bool drawToEnd = false;
};

} // namespace Kavro
