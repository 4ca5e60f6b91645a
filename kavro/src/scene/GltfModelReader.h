#pragma once

#include "scene/ModelData.h"
#include "scene/ModelFiles.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Kavro
{

// An image a material uses, still encoded (PNG or JPEG); the resource decodes it with the device's codec.
struct ModelImage
{
    std::string name;
    std::vector<uint8_t> encoded;
};

struct NamedMotion
{
    std::string name;
    MotionClip clip;
};

// Everything a glTF binary file holds that the library uses, in the library's axes (see kavro/README.md).
struct ModelContents
{
    // The default scene's name, or empty.
    std::string name;
    std::vector<ModelFrameData> frames;
    std::vector<ModelSkin> skins;
    std::vector<std::shared_ptr<ModelMesh>> meshes;
    std::vector<NamedMotion> motions;
    std::vector<ModelImage> images;
    // Per mesh, per material of the mesh: the image of its base colour texture, or -1.
    std::vector<std::vector<int>> materialImages;
};

// Reads a file a glTF file refers to by a relative URI (path relative to the model's folder); false when
// it cannot be read.
using ModelFileReader = std::function<bool(const std::string& path, std::vector<uint8_t>& out)>;

// Reads a glTF 2.0 binary (".glb") file held in memory. folder is the model's folder for relative URIs
// (empty: none); file names the meshes' source file. The bytes are untrusted: every index, range and
// count is checked, and a broken file gives false (out unchanged) with the reason in error.
bool ReadGltfModel(const uint8_t* data, size_t size, const std::string& folder, const std::string& file,
                   const ModelFileReader& readFile, ModelContents& out, std::string* error = nullptr);

// Rate at which glTF animations are sampled into motions (frames per second).
inline constexpr float GltfMotionFrameRate = 30.0f;

} // namespace Kavro
