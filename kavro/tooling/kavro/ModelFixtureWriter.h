#pragma once

#include <kavro/ColorF.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Quaternion.h>
#include <kavro/Vector3D.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tinygltf
{
class Model;
}

namespace Kavro
{

// Writes model files (glTF 2.0 binary) and the library's motion and morph files for tests and the build's
// asset tools. Everything is given in the library's axes (row vectors, left-handed); the glTF file gets
// the mirrored axes the loader turns back, so what is written reads back as given.

struct FixtureFrame
{
    std::string name;
    int parent = -1; // an earlier frame, or -1 for a root
    Vector3D translation;
    Quaternion rotation;
    Vector3D scale{1.0f, 1.0f, 1.0f};
};

struct FixtureVertex
{
    Vector3D position;
    Vector3D normal{0.0f, 1.0f, 0.0f};
    float u = 0.0f, v = 0.0f;
    uint16_t joints[4] = {}; // indices into the mesh's joints
    float weights[4] = {};
};

struct FixtureMorph
{
    std::string name;
    std::vector<Vector3D> positions; // one delta per vertex
    std::vector<Vector3D> normals;   // empty: no normal deltas
};

// A run of triangles drawn with one material of the model.
struct FixtureSubset
{
    int material = -1; // index into ModelFixture::materials, -1: the file's default material
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
};

struct FixtureMesh
{
    std::string name;
    int frame = -1; // the frame that carries the mesh; -1 adds a root frame named after the mesh
    std::vector<FixtureVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<FixtureSubset> subsets; // empty: one subset of material 0 (or the default) over every index
    // Skinned when not empty: the frames the vertices' joint indices name.
    std::vector<int> joints;
    // Per joint; empty: the inverse of each joint's rest matrix.
    std::vector<Matrix4x4> inverseBind;
    std::vector<FixtureMorph> morphs; // names written to extras.targetNames
};

struct FixtureTexture
{
    std::string name;
    int width = 0, height = 0;
    std::vector<uint32_t> argb; // 0xAARRGGBB, rows top down; embedded as PNG
};

struct FixtureMaterial
{
    std::string name;
    ColorF baseColor{1.0f, 1.0f, 1.0f, 1.0f};
    int texture = -1; // index into ModelFixture::textures
};

// A glTF animation: per frame, keys at frame numbers of rate keysPerSecond.
struct FixtureAnimationTrack
{
    int frame = 0;
    std::vector<std::pair<float, Vector3D>> translations;
    std::vector<std::pair<float, Quaternion>> rotations;
    std::vector<std::pair<float, Vector3D>> scales;
};

struct FixtureAnimation
{
    std::string name;
    float keysPerSecond = 30.0f;
    std::vector<FixtureAnimationTrack> tracks;
};

struct ModelFixture
{
    std::string name; // the scene's name
    std::vector<FixtureFrame> frames;
    std::vector<FixtureMesh> meshes;
    std::vector<FixtureMaterial> materials;
    std::vector<FixtureTexture> textures;
    std::vector<FixtureAnimation> animations;
};

// The glTF binary file; empty when the fixture is inconsistent (an index out of range, a morph of the
// wrong size) or tinygltf cannot write it.
// tamper, when given, may change the glTF model before it is written (tests of broken files include
// tiny_gltf.h themselves).
std::vector<uint8_t> WriteModelFixture(const ModelFixture& fixture,
                                       const std::function<void(tinygltf::Model&)>& tamper = {});

// Rest matrix (model space) of each frame, as the loader computes it: local x parent's rest.
std::vector<Matrix4x4> FixtureRestMatrices(const ModelFixture& fixture);

// Motion (".anm") and morph files, laid out as kavro/README.md describes.
struct FixtureMotionTrack
{
    std::string frame;
    std::vector<std::pair<float, Vector3D>> translations;
    std::vector<std::pair<float, Quaternion>> rotations;
    std::vector<std::pair<float, Vector3D>> scales;
};

std::vector<uint8_t> WriteMotionFixture(float frameRate, uint32_t frameCount,
                                        const std::vector<FixtureMotionTrack>& tracks);
std::vector<uint8_t> WriteMorphFixture(const std::string& mesh, const std::vector<Vector3D>& positions,
                                       const std::vector<Vector3D>& normals);

} // namespace Kavro
