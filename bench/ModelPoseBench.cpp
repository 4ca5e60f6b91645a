// Posing 50 models of 60 frames each, as one engine frame does it: for every model its world matrix, one
// advance of two layered motions (one over all 60 frames, one over 20 of them), the pose with the bodies'
// step, and the skinning palette of its 60-joint mesh for drawing. Prints the time per engine frame.
//
//   bench_model_pose [frames]     (default 600)

#include "fs/ArchiveFileSystem.h"
#include "render/RenderDeviceFactory.h"
#include "scene/CModelResource.h"
#include "scene/CSceneModel.h"

#include <kavro/IFileSystem.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ModelFixtureWriter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace
{

using namespace Kavro;

constexpr int Models = 50;
constexpr int Frames = 60;

std::string frameName(int i)
{
    std::string name = "f";
    name += std::to_string(i);
    return name;
}

// A spine of 20 frames with two arms of 20 frames each.
ModelFixture character()
{
    ModelFixture f;
    for (int i = 0; i < Frames; ++i)
    {
        const int parent = i == 0 ? -1 : i == 20 || i == 40 ? 19 : i - 1;
        f.frames.push_back({frameName(i), parent, {i < 20 ? 0.0f : i < 40 ? 0.3f : -0.3f, 0.2f, 0}, {}, {1, 1, 1}});
    }
    FixtureMesh mesh;
    mesh.name = "body";
    mesh.frame = 0;
    for (int j = 0; j < Frames; ++j)
    {
        mesh.joints.push_back(j);
        for (int k = 0; k < 10; ++k)
        {
            FixtureVertex v;
            v.position = {float(k) * 0.1f, float(j) * 0.2f, 0};
            v.joints[0] = uint16_t(j), v.joints[1] = uint16_t(std::min(j + 1, Frames - 1));
            v.weights[0] = 0.7f, v.weights[1] = 0.3f;
            mesh.vertices.push_back(v);
        }
    }
    for (uint32_t i = 0; i + 2 < mesh.vertices.size(); i += 3)
        mesh.indices.insert(mesh.indices.end(), {i, i + 1, i + 2});
    f.meshes = {mesh};
    return f;
}

std::vector<uint8_t> motion(int firstFrame, int count)
{
    std::vector<FixtureMotionTrack> tracks;
    for (int i = firstFrame; i < firstFrame + count; ++i)
    {
        FixtureMotionTrack track{frameName(i), {}, {}, {}};
        for (int k = 0; k <= 60; k += 10)
        {
            track.rotations.push_back({float(k), Quaternion::GetRotationAxis({0, 0, 1}, float((k * 7 + i) % 40 - 20))});
            track.translations.push_back({float(k), {0, 0.2f + 0.01f * float(k % 20), 0}});
        }
        tracks.push_back(std::move(track));
    }
    return WriteMotionFixture(30.0f, 61, tracks);
}

void write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    const auto folder = std::filesystem::temp_directory_path() / "bench_model_pose";
    std::filesystem::create_directories(folder);
    write(folder / "chara.glb", WriteModelFixture(character()));
    write(folder / "walk.anm", motion(0, Frames));
    write(folder / "wave.anm", motion(40, 20));

    IFileSystem* files = CreateArchiveFileSystem();
    IRenderDevice* device = CreateRenderDevice(nullptr, 64, 64, files);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    struct Instance
    {
        IModelResource* resource;
        CSceneModel* model;
    };
    std::vector<Instance> instances;
    for (int m = 0; m < Models; ++m)
    {
        IModelResource* resource = device->loadModel((folder / "chara.glb").c_str());
        if (!resource || resource->loadMotion((folder / "walk.anm").c_str()) < 0 ||
            resource->loadMotion((folder / "wave.anm").c_str()) < 0)
        {
            std::fprintf(stderr, "the fixture did not load\n");
            return 1;
        }
        auto* model = dynamic_cast<CSceneModel*>(device->getSceneManager()->createSceneModel(resource));
        for (int motion : {0, 1})
        {
            model->attachMotion(motion);
            model->setMotionLoop(motion, 1);
            model->startMotion(motion);
        }
        instances.push_back({resource, model});
    }
    size_t palettes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f)
        for (size_t m = 0; m < instances.size(); ++m)
        {
            CSceneModel* model = instances[m].model;
            model->setWorldMatrix(Matrix4x4::GetTranslation(float(m), 0, float(f % 7)));
            model->advanceMotion(0, 16.666666f);
            model->advanceMotion(1, 16.666666f);
            model->applyTransform(1);
            palettes += model->posedMeshes()[0].palette.size();
        }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d models of %d frames, two motions each, %d engine frames (%zu palette matrices)\n", Models, Frames,
                frames, palettes);
    std::printf("posing and palettes: %.3f ms per engine frame, %.2f us per model\n", ms / frames,
                ms * 1000.0 / frames / Models);
    for (Instance& i : instances)
        i.model->release(), i.resource->release();
    device->release();
    files->release();
    std::filesystem::remove_all(folder);
    return 0;
}
