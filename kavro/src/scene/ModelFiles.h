#pragma once

#include <kavro/Quaternion.h>
#include <kavro/Vector3D.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// The library's own model side files: motions (".anm") and morph targets. Layouts in kavro/README.md.

struct MotionVectorKey
{
    float frame = 0.0f;
    Vector3D value;
};

struct MotionRotationKey
{
    float frame = 0.0f;
    Quaternion value;
};

// The keys of one frame (bone), named as in the model.
struct MotionTrack
{
    std::string frame;
    std::vector<MotionVectorKey> translations;
    std::vector<MotionRotationKey> rotations;
    std::vector<MotionVectorKey> scales;
};

struct MotionClip
{
    float frameRate = 30.0f;
    uint32_t frameCount = 1;
    std::vector<MotionTrack> tracks;
};

// Position and normal deltas for every vertex of one named mesh.
struct MorphTargetFile
{
    std::string mesh;
    std::vector<Vector3D> positions;
    std::vector<Vector3D> normals;
};

// Readers of untrusted bytes: false (out unchanged) with the reason in error when the file is broken.
bool ReadMotionFile(const void* data, size_t size, MotionClip& out, std::string* error = nullptr);
bool ReadMorphFile(const void* data, size_t size, MorphTargetFile& out, std::string* error = nullptr);

// The bytes of a file the readers accept (the caller keeps to the limits the readers check).
std::vector<uint8_t> WriteMotionFile(const MotionClip& clip);
std::vector<uint8_t> WriteMorphFile(const MorphTargetFile& morph);

} // namespace Kavro
