#include "scene/ModelFiles.h"

#include <cmath>
#include <cstring>
#include <set>

namespace Kavro
{

namespace
{

constexpr char kMotionMagic[4] = {'K', 'A', 'N', 'M'};
constexpr char kMorphMagic[4] = {'K', 'M', 'P', 'H'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kMaxName = 255;
constexpr float kMaxFrameRate = 1000.0f;

// Bounded little-endian reads; every read checks what remains first.
class Bytes
{
public:
    Bytes(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), left_(data ? size : 0) {}

    size_t left() const { return left_; }
    bool u32(uint32_t& out)
    {
        if (left_ < 4)
            return false;
        out = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
        p_ += 4, left_ -= 4;
        return true;
    }
    bool f32(float& out)
    {
        uint32_t bits;
        if (!u32(bits))
            return false;
        std::memcpy(&out, &bits, 4);
        return std::isfinite(out);
    }
    bool bytes(void* out, size_t n)
    {
        if (left_ < n)
            return false;
        std::memcpy(out, p_, n);
        p_ += n, left_ -= n;
        return true;
    }
    bool text(std::string& out)
    {
        uint32_t n;
        if (!u32(n) || n == 0 || n > kMaxName || left_ < n)
            return false;
        out.assign(reinterpret_cast<const char*>(p_), n);
        p_ += n, left_ -= n;
        return out.find('\0') == std::string::npos;
    }
    bool vector(Vector3D& v) { return f32(v.x) && f32(v.y) && f32(v.z); }

private:
    const uint8_t* p_;
    size_t left_;
};

class Out
{
public:
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(uint8_t(v >> (8 * i)));
    }
    void f32(float f)
    {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        u32(bits);
    }
    void raw(const void* data, size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    void text(const std::string& s)
    {
        u32(uint32_t(s.size()));
        raw(s.data(), s.size());
    }
    void vector(const Vector3D& v)
    {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

bool fail(std::string* error, const char* reason)
{
    if (error)
        *error = reason;
    return false;
}

// A key count that the bytes left can hold (keySize bytes each).
bool keyCount(Bytes& in, size_t keySize, uint32_t& n)
{
    return in.u32(n) && n <= in.left() / keySize;
}

// Keys go strictly forward in time and stay inside the clip.
bool keyFrameOk(float frame, float previous, bool first, uint32_t frameCount)
{
    return frame >= 0.0f && frame <= float(frameCount - 1) && (first || frame > previous);
}

bool readVectorKeys(Bytes& in, uint32_t frameCount, std::vector<MotionVectorKey>& keys)
{
    uint32_t n;
    if (!keyCount(in, 16, n))
        return false;
    keys.resize(n);
    for (uint32_t i = 0; i < n; ++i)
    {
        MotionVectorKey& key = keys[i];
        if (!in.f32(key.frame) || !in.vector(key.value) ||
            !keyFrameOk(key.frame, i ? keys[i - 1].frame : 0.0f, i == 0, frameCount))
            return false;
    }
    return true;
}

bool readRotationKeys(Bytes& in, uint32_t frameCount, std::vector<MotionRotationKey>& keys)
{
    uint32_t n;
    if (!keyCount(in, 20, n))
        return false;
    keys.resize(n);
    for (uint32_t i = 0; i < n; ++i)
    {
        MotionRotationKey& key = keys[i];
        Quaternion& q = key.value;
        if (!in.f32(key.frame) || !in.f32(q.x) || !in.f32(q.y) || !in.f32(q.z) || !in.f32(q.w) ||
            !keyFrameOk(key.frame, i ? keys[i - 1].frame : 0.0f, i == 0, frameCount))
            return false;
        // A rotation must be one: a zero (or overflowing) quaternion has no direction to keep.
        const float length = q.Length();
        if (!(length > 1e-6f) || !std::isfinite(length))
            return false;
        q = q.GetNormalize();
    }
    return true;
}

} // namespace

bool ReadMotionFile(const void* data, size_t size, MotionClip& out, std::string* error)
{
    Bytes in(data, size);
    char magic[4];
    uint32_t version, trackCount;
    MotionClip clip;
    if (!in.bytes(magic, 4) || std::memcmp(magic, kMotionMagic, 4) != 0)
        return fail(error, "not a motion file");
    if (!in.u32(version) || version != kVersion)
        return fail(error, "unknown motion file version");
    if (!in.f32(clip.frameRate) || !(clip.frameRate > 0.0f) || clip.frameRate > kMaxFrameRate)
        return fail(error, "bad frame rate");
    if (!in.u32(clip.frameCount) || clip.frameCount == 0)
        return fail(error, "bad frame count");
    // A track takes at least a name length, one name byte and three key counts.
    if (!in.u32(trackCount) || trackCount > in.left() / 17)
        return fail(error, "bad track count");
    clip.tracks.resize(trackCount);
    std::set<std::string> names;
    for (MotionTrack& track : clip.tracks)
    {
        if (!in.text(track.frame) || !names.insert(track.frame).second)
            return fail(error, "bad track name");
        if (!readVectorKeys(in, clip.frameCount, track.translations) ||
            !readRotationKeys(in, clip.frameCount, track.rotations) ||
            !readVectorKeys(in, clip.frameCount, track.scales))
            return fail(error, "bad keys");
    }
    if (in.left() != 0)
        return fail(error, "bytes after the last track");
    out = std::move(clip);
    return true;
}

std::vector<uint8_t> WriteMotionFile(const MotionClip& clip)
{
    Out out;
    out.raw(kMotionMagic, 4);
    out.u32(kVersion);
    out.f32(clip.frameRate);
    out.u32(clip.frameCount);
    out.u32(uint32_t(clip.tracks.size()));
    for (const MotionTrack& track : clip.tracks)
    {
        out.text(track.frame);
        out.u32(uint32_t(track.translations.size()));
        for (const MotionVectorKey& key : track.translations)
        {
            out.f32(key.frame);
            out.vector(key.value);
        }
        out.u32(uint32_t(track.rotations.size()));
        for (const MotionRotationKey& key : track.rotations)
        {
            out.f32(key.frame);
            out.f32(key.value.x);
            out.f32(key.value.y);
            out.f32(key.value.z);
            out.f32(key.value.w);
        }
        out.u32(uint32_t(track.scales.size()));
        for (const MotionVectorKey& key : track.scales)
        {
            out.f32(key.frame);
            out.vector(key.value);
        }
    }
    return std::move(out.bytes());
}

bool ReadMorphFile(const void* data, size_t size, MorphTargetFile& out, std::string* error)
{
    Bytes in(data, size);
    char magic[4];
    uint32_t version, count;
    MorphTargetFile morph;
    if (!in.bytes(magic, 4) || std::memcmp(magic, kMorphMagic, 4) != 0)
        return fail(error, "not a morph file");
    if (!in.u32(version) || version != kVersion)
        return fail(error, "unknown morph file version");
    if (!in.text(morph.mesh))
        return fail(error, "bad mesh name");
    if (!in.u32(count) || count == 0 || in.left() / 24 != count || in.left() % 24 != 0)
        return fail(error, "vertex count does not match the data");
    morph.positions.resize(count);
    morph.normals.resize(count);
    for (Vector3D& v : morph.positions)
        if (!in.vector(v))
            return fail(error, "bad position delta");
    for (Vector3D& v : morph.normals)
        if (!in.vector(v))
            return fail(error, "bad normal delta");
    out = std::move(morph);
    return true;
}

std::vector<uint8_t> WriteMorphFile(const MorphTargetFile& morph)
{
    Out out;
    out.raw(kMorphMagic, 4);
    out.u32(kVersion);
    out.text(morph.mesh);
    out.u32(uint32_t(morph.positions.size()));
    for (const Vector3D& v : morph.positions)
        out.vector(v);
    for (size_t i = 0; i < morph.positions.size(); ++i)
        out.vector(i < morph.normals.size() ? morph.normals[i] : Vector3D());
    return std::move(out.bytes());
}

} // namespace Kavro
