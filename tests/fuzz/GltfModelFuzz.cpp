// libFuzzer target for the glTF binary model reader: any bytes are read without touching memory outside
// them, and what is accepted keeps the reader's promises (indices inside the vertices, joints inside the
// skin, parents before children, morph targets as long as the vertices).
// Seeds: ORVANE_GLTF_SEED_DIR=corpus/ makes the target write a small skinned model with a texture, morph
// targets and an animation there at start-up.
#include "scene/GltfModelReader.h"

#include <kavro/ModelFixtureWriter.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace
{

Kavro::ModelFixture seedModel()
{
    using namespace Kavro;
    ModelFixture f;
    f.frames = {{"root", -1, {}, {}, {1, 1, 1}}, {"bone", 0, {0, 1, 0}, {}, {1, 1, 1}}};
    f.textures = {{"t.png", 1, 1, {0xFF336699u}}};
    f.materials = {{"m", {1, 1, 1, 1}, 0}};
    FixtureMesh mesh;
    mesh.name = "mesh";
    mesh.frame = 0;
    mesh.joints = {0, 1};
    for (int i = 0; i < 4; ++i)
    {
        FixtureVertex v;
        v.position = {float(i & 1), float(i >> 1), 0};
        v.joints[0] = uint16_t(i >> 1);
        v.weights[0] = 1.0f;
        mesh.vertices.push_back(v);
    }
    mesh.indices = {0, 2, 1, 1, 2, 3};
    mesh.morphs = {{"m0", std::vector<Vector3D>(4, Vector3D(0, 0, 1)), {}}};
    f.meshes = {mesh};
    FixtureAnimationTrack track;
    track.frame = 1;
    track.translations = {{0.0f, {0, 1, 0}}, {3.0f, {0, 2, 0}}};
    f.animations = {{"a", 30.0f, {track}}};
    return f;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* directory = std::getenv("ORVANE_GLTF_SEED_DIR"))
    {
        const std::vector<uint8_t> bytes = Kavro::WriteModelFixture(seedModel());
        std::ofstream(std::string(directory) + "/seed.glb", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Kavro::ModelContents model;
    if (!Kavro::ReadGltfModel(data, size, "", "fuzz.glb", {}, model))
        return 0;
    for (size_t f = 0; f < model.frames.size(); ++f)
        if (model.frames[f].parent >= int(f))
            std::abort();
    for (const auto& mesh : model.meshes)
    {
        for (uint32_t i : mesh->indices)
            if (i >= mesh->vertices.size())
                std::abort();
        const size_t joints = mesh->skin >= 0 ? model.skins.at(size_t(mesh->skin)).joints.size() : 0;
        for (const Kavro::ModelVertex& v : mesh->vertices)
            for (int k = 0; k < 4; ++k)
                if (mesh->skin >= 0 && v.joints[k] >= joints)
                    std::abort();
        for (const Kavro::ModelMorphTarget& t : mesh->morphs)
            if (t.positions.size() != mesh->vertices.size() || t.normals.size() != mesh->vertices.size())
                std::abort();
        for (const Kavro::ModelSubset& s : mesh->subsets)
            if (s.material >= mesh->materials.size() || uint64_t(s.firstIndex) + s.indexCount > mesh->indices.size())
                std::abort();
    }
    return 0;
}
