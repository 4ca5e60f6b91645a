// Loading a skinned model of 50,000 triangles with a 256 x 256 texture: the render device's loadModel (read,
// check, convert, texture decoded and uploaded), and separately the same followed by the upload of the
// vertex and index buffers it made (which the scene renderer does on first draw), against tinygltf's own
// parse of the same bytes (with its own image decoding) plus the upload of the same accessors' bytes and
// the decoded texture, side by side in one process and one headless OpenGL context. Runs alternate; the
// ratios are of the medians.
//
//   bench_model_load [runs]     (default 15)

#include "fs/ArchiveFileSystem.h"
#include "render/GL.h"
#include "render/RenderDeviceFactory.h"
#include "scene/CModelResource.h"

#include <kavro/IFileSystem.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ModelFixtureWriter.h>

#include <tiny_gltf.h>

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

// A grid of 125 x 200 quads bent along a chain of eight joints, two weights per vertex.
ModelFixture bigFixture()
{
    constexpr int Columns = 125, Rows = 200, Joints = 8;
    ModelFixture f;
    f.name = "big";
    f.frames.push_back({"root", -1, {}, {}, {1, 1, 1}});
    for (int j = 0; j < Joints; ++j)
    {
        std::string name = "bone";
        name += std::to_string(j);
        f.frames.push_back({name, j, {0, j == 0 ? 0.0f : float(Rows) / Joints, 0}, {}, {1, 1, 1}});
    }
    FixtureTexture texture{"skin.png", 256, 256, {}};
    for (int i = 0; i < 256 * 256; ++i)
        texture.argb.push_back(0xFF000000u | uint32_t(i * 2654435761u) >> 8);
    f.textures = {texture};
    f.materials = {{"skin", {1, 1, 1, 1}, 0}};
    FixtureMesh mesh;
    mesh.name = "body";
    for (int j = 0; j < Joints; ++j)
        mesh.joints.push_back(j + 1);
    for (int r = 0; r <= Rows; ++r)
        for (int c = 0; c <= Columns; ++c)
        {
            FixtureVertex v;
            v.position = {float(c), float(r), float((r * 7 + c * 3) % 5)};
            v.u = float(c) / Columns, v.v = float(r) / Rows;
            const float along = float(r) / Rows * (Joints - 1);
            const int low = std::min(int(along), Joints - 2);
            v.joints[0] = uint16_t(low), v.joints[1] = uint16_t(low + 1);
            v.weights[1] = along - float(low), v.weights[0] = 1.0f - v.weights[1];
            mesh.vertices.push_back(v);
        }
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c)
        {
            const uint32_t a = uint32_t(r * (Columns + 1) + c), b = a + Columns + 1;
            mesh.indices.insert(mesh.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    f.meshes = {mesh};
    return f;
}

GLuint upload(GLenum target, const void* data, size_t size)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, GLsizeiptr(size), data, GL_STATIC_DRAW);
    return buffer;
}

GLuint uploadTexture(int width, int height, const void* pixels)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return texture;
}

std::vector<uint8_t> readThrough(IFileSystem* files, const std::string& path)
{
    std::vector<uint8_t> bytes;
    IFileStream* stream = files->open(path.c_str(), 0, 0, 0);
    if (stream && stream->load() >= 0 && stream->getLoadData())
        bytes.assign(stream->getLoadData(), stream->getLoadData() + stream->getFileSize());
    if (stream)
        stream->close(), stream->release();
    return bytes;
}

double ours(IRenderDevice* device, const std::string& path, bool uploadBuffers)
{
    const auto start = std::chrono::steady_clock::now();
    IModelResource* model = device->loadModel(path.c_str());
    auto* resource = dynamic_cast<CModelResource*>(model);
    if (!resource)
    {
        std::fprintf(stderr, "the model did not load\n");
        std::exit(1);
    }
    std::vector<GLuint> buffers;
    for (const auto& mesh : resource->meshes())
    {
        if (!uploadBuffers)
            break;
        buffers.push_back(upload(GL_ARRAY_BUFFER, mesh->vertices.data(), mesh->vertices.size() * sizeof(ModelVertex)));
        buffers.push_back(upload(GL_ELEMENT_ARRAY_BUFFER, mesh->indices.data(), mesh->indices.size() * 4));
    }
    glFinish();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
    model->release();
    return ms;
}

double peer(IFileSystem* files, const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    const std::vector<uint8_t> bytes = readThrough(files, path);
    tinygltf::TinyGLTF parser;
    tinygltf::Model model;
    std::string err, warn;
    if (!parser.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(), unsigned(bytes.size())))
    {
        std::fprintf(stderr, "tinygltf refused the model: %s\n", err.c_str());
        std::exit(1);
    }
    std::vector<GLuint> buffers, textures;
    for (const tinygltf::Mesh& mesh : model.meshes)
        for (const tinygltf::Primitive& prim : mesh.primitives)
        {
            std::vector<int> accessors{prim.indices};
            for (const auto& [name, index] : prim.attributes)
                accessors.push_back(index);
            for (int index : accessors)
            {
                const tinygltf::Accessor& a = model.accessors[size_t(index)];
                const tinygltf::BufferView& v = model.bufferViews[size_t(a.bufferView)];
                buffers.push_back(upload(index == prim.indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER,
                                         model.buffers[size_t(v.buffer)].data.data() + v.byteOffset + a.byteOffset,
                                         v.byteLength - a.byteOffset));
            }
        }
    for (const tinygltf::Image& image : model.images)
        textures.push_back(uploadTexture(image.width, image.height, image.image.data()));
    glFinish();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
    glDeleteTextures(GLsizei(textures.size()), textures.data());
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::vector<uint8_t> glb = WriteModelFixture(bigFixture());
    const std::string path = (std::filesystem::temp_directory_path() / "bench_model_load.glb").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(glb.data()), std::streamsize(glb.size()));

    IFileSystem* files = CreateArchiveFileSystem();
    IRenderDevice* device = CreateRenderDevice(nullptr, 64, 64, files);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    std::vector<double> load, loadUpload, other;
    ours(device, path, true), peer(files, path); // warm caches and the driver
    for (int i = 0; i < runs; ++i)
    {
        load.push_back(ours(device, path, false));
        loadUpload.push_back(ours(device, path, true));
        other.push_back(peer(files, path));
    }
    std::printf("model of 50000 triangles, %zu bytes, %d runs\n", glb.size(), runs);
    std::printf("loadModel:                         %8.2f ms (median)\n", median(load));
    std::printf("loadModel + buffer upload:         %8.2f ms (median)\n", median(loadUpload));
    std::printf("tinygltf parse + upload (peer):    %8.2f ms (median)\n", median(other));
    std::printf("ratio loadModel / peer:            %8.2f\n", median(load) / median(other));
    std::printf("ratio loadModel + upload / peer:   %8.2f\n", median(loadUpload) / median(other));
    device->release();
    files->release();
    if (!std::getenv("KEEP_MODEL")) std::filesystem::remove(path);
    return 0;
}
