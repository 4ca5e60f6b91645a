// Writes the demo game's 3D assets: orvane-demo-model <folder> makes, under <folder>,
//   model/chara.glb    a small skinned character (body, head, hair and a face mesh with eye and mouth morphs)
//   motion/idle.anm    breathing and a slow sway, looping
//   motion/wave.anm    the right arm raised, the forearm waving
//   morph/smile.mph    the face mesh's mouth corners raised (a morph file)
//   model/box.glb, model/ball.glb, model/floor.glb   props for the physics scene
//   voice/hello.ogg    a short voice and voice/hello.lip its lip timeline
// Units are metres, y up, the character facing -z (towards a camera on the -z side).
#include <kavro/ModelFixtureWriter.h>

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace
{

using namespace Kavro;
namespace fs = std::filesystem;

bool writeFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    if (bytes.empty())
    {
        std::fprintf(stderr, "orvane-demo-model: nothing to write for %s\n", path.string().c_str());
        return false;
    }
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
    {
        std::fprintf(stderr, "orvane-demo-model: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

// Builds the triangles of one mesh; every triangle faces the way its outward direction says, so the
// shapes below need not care about winding.
class MeshBuilder
{
public:
    explicit MeshBuilder(FixtureMesh& mesh) : mesh_(mesh) {}

    // Starts a run of triangles with one material.
    void material(int index)
    {
        closeSubset();
        subsetMaterial_ = index;
        subsetStart_ = uint32_t(mesh_.indices.size());
    }
    void finish() { closeSubset(); }

    uint32_t vertex(const Vector3D& p, const Vector3D& n, float u, float v, int joint)
    {
        FixtureVertex out;
        out.position = p;
        out.normal = n;
        out.u = u;
        out.v = v;
        if (joint >= 0)
        {
            out.joints[0] = uint16_t(joint);
            out.weights[0] = 1.0f;
        }
        mesh_.vertices.push_back(out);
        return uint32_t(mesh_.vertices.size() - 1);
    }

    // Front faces wind so that (b - a) x (c - a) points along outward.
    void triangle(uint32_t a, uint32_t b, uint32_t c, const Vector3D& outward)
    {
        const Vector3D& pa = mesh_.vertices[a].position;
        const Vector3D n = (mesh_.vertices[b].position - pa).Cross(mesh_.vertices[c].position - pa);
        if (n.Dot(outward) < 0.0f)
            std::swap(b, c);
        mesh_.indices.insert(mesh_.indices.end(), {a, b, c});
    }

    // A flat quad from corner, spanned by du and dv, facing normal.
    void quad(const Vector3D& corner, const Vector3D& du, const Vector3D& dv, const Vector3D& normal, int joint)
    {
        const uint32_t a = vertex(corner, normal, 0, 1, joint);
        const uint32_t b = vertex(corner + du, normal, 1, 1, joint);
        const uint32_t c = vertex(corner + dv, normal, 0, 0, joint);
        const uint32_t d = vertex(corner + du + dv, normal, 1, 0, joint);
        triangle(a, b, c, normal);
        triangle(b, d, c, normal);
    }

    void box(const Vector3D& centre, const Vector3D& half, int joint)
    {
        const Vector3D axes[3] = {{half.x, 0, 0}, {0, half.y, 0}, {0, 0, half.z}};
        for (int axis = 0; axis < 3; ++axis)
            for (float side : {-1.0f, 1.0f})
            {
                const Vector3D normal = axes[axis].GetNormalize() * side;
                const Vector3D& u = axes[(axis + 1) % 3];
                const Vector3D& v = axes[(axis + 2) % 3];
                quad(centre + axes[axis] * side - u - v, u * 2.0f, v * 2.0f, normal, joint);
            }
    }

    void sphere(const Vector3D& centre, const Vector3D& radii, int joint, int rings = 12, int segments = 16)
    {
        const uint32_t base = uint32_t(mesh_.vertices.size());
        for (int r = 0; r <= rings; ++r)
        {
            const float theta = std::numbers::pi_v<float> * float(r) / float(rings);
            for (int s = 0; s <= segments; ++s)
            {
                const float phi = 2.0f * std::numbers::pi_v<float> * float(s) / float(segments);
                const Vector3D unit{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
                const Vector3D p{centre.x + unit.x * radii.x, centre.y + unit.y * radii.y, centre.z + unit.z * radii.z};
                vertex(p, unit, float(s) / float(segments), float(r) / float(rings), joint);
            }
        }
        const uint32_t row = uint32_t(segments + 1);
        for (int r = 0; r < rings; ++r)
            for (int s = 0; s < segments; ++s)
            {
                const uint32_t a = base + uint32_t(r) * row + uint32_t(s);
                const Vector3D outward = mesh_.vertices[a].normal + mesh_.vertices[a + row + 1].normal;
                if (r > 0)
                    triangle(a, a + 1, a + row + 1, outward);
                if (r < rings - 1)
                    triangle(a, a + row + 1, a + row, outward);
            }
    }

private:
    void closeSubset()
    {
        const uint32_t end = uint32_t(mesh_.indices.size());
        if (subsetMaterial_ >= 0 && end > subsetStart_)
            mesh_.subsets.push_back({subsetMaterial_, subsetStart_, end - subsetStart_});
        subsetMaterial_ = -1;
    }

    FixtureMesh& mesh_;
    int subsetMaterial_ = -1;
    uint32_t subsetStart_ = 0;
};

FixtureTexture stripes(const std::string& name, uint32_t a, uint32_t b)
{
    FixtureTexture t{name, 16, 16, {}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            t.argb.push_back((y / 4) % 2 ? a : b);
    return t;
}

FixtureTexture checker(const std::string& name, uint32_t a, uint32_t b, int cells)
{
    FixtureTexture t{name, 64, 64, {}};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            t.argb.push_back(((x * cells / 64) + (y * cells / 64)) % 2 ? a : b);
    return t;
}

// The character's frames; rest positions are offsets from the parent, no rest rotation.
enum Frame
{
    Root, Hips, Spine, Chest, Neck, Head, EyeL, EyeR, Hair,
    ShoulderL, UpperArmL, ForeArmL, HandL, ShoulderR, UpperArmR, ForeArmR, HandR,
    ThighL, ShinL, FootL, ThighR, ShinR, FootR, FrameCount
};

std::vector<FixtureFrame> characterFrames()
{
    std::vector<FixtureFrame> f(FrameCount);
    auto set = [&](Frame id, const char* name, int parent, Vector3D t) { f[id] = {name, parent, t, {}, {1, 1, 1}}; };
    set(Root, "root", -1, {0, 0, 0});
    set(Hips, "hips", Root, {0, 0.95f, 0});
    set(Spine, "spine", Hips, {0, 0.12f, 0});
    set(Chest, "chest", Spine, {0, 0.2f, 0});
    set(Neck, "neck", Chest, {0, 0.2f, 0});
    set(Head, "head", Neck, {0, 0.07f, 0});
    set(EyeL, "eye_L", Head, {0.04f, 0.09f, -0.09f});
    set(EyeR, "eye_R", Head, {-0.04f, 0.09f, -0.09f});
    set(Hair, "hair", Head, {0, 0.12f, 0.02f});
    set(ShoulderL, "shoulder_L", Chest, {0.09f, 0.15f, 0});
    set(UpperArmL, "upperarm_L", ShoulderL, {0.08f, 0, 0});
    set(ForeArmL, "forearm_L", UpperArmL, {0, -0.27f, 0});
    set(HandL, "hand_L", ForeArmL, {0, -0.25f, 0});
    set(ShoulderR, "shoulder_R", Chest, {-0.09f, 0.15f, 0});
    set(UpperArmR, "upperarm_R", ShoulderR, {-0.08f, 0, 0});
    set(ForeArmR, "forearm_R", UpperArmR, {0, -0.27f, 0});
    set(HandR, "hand_R", ForeArmR, {0, -0.25f, 0});
    set(ThighL, "thigh_L", Hips, {0.09f, -0.05f, 0});
    set(ShinL, "shin_L", ThighL, {0, -0.43f, 0});
    set(FootL, "foot_L", ShinL, {0, -0.42f, 0});
    set(ThighR, "thigh_R", Hips, {-0.09f, -0.05f, 0});
    set(ShinR, "shin_R", ThighR, {0, -0.43f, 0});
    set(FootR, "foot_R", ShinR, {0, -0.42f, 0});
    return f;
}

std::vector<Vector3D> restPositions(const std::vector<FixtureFrame>& frames)
{
    std::vector<Vector3D> at(frames.size());
    for (size_t i = 0; i < frames.size(); ++i)
        at[i] = frames[i].translation + (frames[i].parent >= 0 ? at[size_t(frames[i].parent)] : Vector3D{});
    return at;
}

enum Material
{
    Skin, Cloth, HairColour, Trousers, Shoes, EyeColour, MouthColour
};

// The face: two eyes and a mouth standing just in front of the head, in the head frame's space.
// Targets: eye_open and mouth_close move nothing (the rest of each channel), eye_blink shuts the eyes,
// mouth_open drops the lower lip.
FixtureMesh faceMesh()
{
    FixtureMesh face;
    face.name = "face";
    face.frame = Head;
    MeshBuilder b(face);
    const Vector3D front{0, 0, -1};
    const float z = -0.106f;
    b.material(EyeColour);
    for (float x : {0.04f, -0.04f})
        b.quad({x - 0.015f, 0.075f, z}, {0.03f, 0, 0}, {0, 0.03f, 0}, front, -1);
    b.material(MouthColour);
    b.quad({-0.025f, 0.02f, z}, {0.05f, 0, 0}, {0, 0.008f, 0}, front, -1);
    b.finish();

    const size_t n = face.vertices.size();
    FixtureMorph eyeOpen{"eye_open", std::vector<Vector3D>(n), {}};
    FixtureMorph eyeBlink{"eye_blink", std::vector<Vector3D>(n), {}};
    FixtureMorph mouthClose{"mouth_close", std::vector<Vector3D>(n), {}};
    FixtureMorph mouthOpen{"mouth_open", std::vector<Vector3D>(n), {}};
    for (size_t i = 0; i < n; ++i)
    {
        const Vector3D& p = face.vertices[i].position;
        const bool eye = i < 8;
        if (eye && p.y > 0.09f)
            eyeBlink.positions[i] = {0, -0.027f, 0};
        if (!eye && p.y < 0.025f)
            mouthOpen.positions[i] = {0, -0.035f, 0};
    }
    face.morphs = {eyeOpen, eyeBlink, mouthClose, mouthOpen};
    return face;
}

ModelFixture character()
{
    ModelFixture f;
    f.name = "chara";
    f.frames = characterFrames();
    f.textures = {stripes("cloth.png", 0xFF4A6FD0u, 0xFF3A5AB0u)};
    f.materials = {{"skin", {1.0f, 0.84f, 0.74f, 1}, -1},   {"cloth", {1, 1, 1, 1}, 0},
                   {"hair", {0.32f, 0.2f, 0.12f, 1}, -1},   {"trousers", {0.22f, 0.22f, 0.28f, 1}, -1},
                   {"shoes", {0.35f, 0.18f, 0.1f, 1}, -1},  {"eye", {0.08f, 0.08f, 0.14f, 1}, -1},
                   {"mouth", {0.65f, 0.2f, 0.22f, 1}, -1}};
    const std::vector<Vector3D> at = restPositions(f.frames);
    auto mid = [&](Frame a, Frame b) { return (at[a] + at[b]) * 0.5f; };

    FixtureMesh body;
    body.name = "body";
    body.frame = Root;
    for (int i = 0; i < FrameCount; ++i)
        body.joints.push_back(i);
    MeshBuilder b(body);
    b.material(Cloth);
    b.box(at[Hips] + Vector3D{0, 0.05f, 0}, {0.14f, 0.08f, 0.09f}, Hips);
    b.box(at[Spine] + Vector3D{0, 0.1f, 0}, {0.13f, 0.1f, 0.085f}, Spine);
    b.box(at[Chest] + Vector3D{0, 0.09f, 0}, {0.16f, 0.11f, 0.1f}, Chest);
    b.box(mid(UpperArmL, ForeArmL), {0.045f, 0.14f, 0.045f}, UpperArmL);
    b.box(mid(UpperArmR, ForeArmR), {0.045f, 0.14f, 0.045f}, UpperArmR);
    b.material(Skin);
    b.box(mid(ForeArmL, HandL), {0.04f, 0.13f, 0.04f}, ForeArmL);
    b.box(mid(ForeArmR, HandR), {0.04f, 0.13f, 0.04f}, ForeArmR);
    b.box(at[HandL] + Vector3D{0, -0.06f, 0}, {0.035f, 0.06f, 0.02f}, HandL);
    b.box(at[HandR] + Vector3D{0, -0.06f, 0}, {0.035f, 0.06f, 0.02f}, HandR);
    b.box(at[Neck] + Vector3D{0, 0.03f, 0}, {0.04f, 0.05f, 0.04f}, Neck);
    b.sphere(at[Head] + Vector3D{0, 0.08f, 0}, {0.1f, 0.115f, 0.11f}, Head);
    b.material(HairColour);
    b.sphere(at[Hair] + Vector3D{0, -0.02f, 0}, {0.112f, 0.08f, 0.115f}, Hair, 8, 16);
    b.material(Trousers);
    b.box(mid(ThighL, ShinL), {0.06f, 0.22f, 0.06f}, ThighL);
    b.box(mid(ThighR, ShinR), {0.06f, 0.22f, 0.06f}, ThighR);
    b.box(mid(ShinL, FootL), {0.05f, 0.21f, 0.05f}, ShinL);
    b.box(mid(ShinR, FootR), {0.05f, 0.21f, 0.05f}, ShinR);
    b.material(Shoes);
    b.box(at[FootL] + Vector3D{0, -0.04f, -0.03f}, {0.055f, 0.04f, 0.1f}, FootL);
    b.box(at[FootR] + Vector3D{0, -0.04f, -0.03f}, {0.055f, 0.04f, 0.1f}, FootR);
    b.finish();

    f.meshes = {body, faceMesh()};
    return f;
}

// A rotation about the z axis that swings a limb hanging down (-y) out towards side (+1: +x, -1: -x).
Quaternion swingOut(float degrees, float side)
{
    const Quaternion q = Quaternion::GetRotationAxis({0, 0, 1}, degrees);
    const Vector3D down = Vector3D{0, -1, 0}.TransformNormal(Matrix4x4().RotationQuaternion(q));
    return down.x * side >= 0.0f ? q : Quaternion::GetRotationAxis({0, 0, 1}, -degrees);
}

std::vector<uint8_t> idleMotion()
{
    const Quaternion still{};
    std::vector<FixtureMotionTrack> tracks;
    tracks.push_back({"chest", {}, {{0, still}, {30, Quaternion::GetRotationAxis({1, 0, 0}, 3.0f)}, {59, still}}, {}});
    tracks.push_back({"head", {}, {{0, still}, {20, Quaternion::GetRotationAxis({0, 1, 0}, 6.0f)},
                                   {40, Quaternion::GetRotationAxis({0, 1, 0}, -6.0f)}, {59, still}}, {}});
    tracks.push_back({"upperarm_L", {}, {{0, swingOut(6, 1)}, {30, swingOut(10, 1)}, {59, swingOut(6, 1)}}, {}});
    tracks.push_back({"upperarm_R", {}, {{0, swingOut(6, -1)}, {30, swingOut(10, -1)}, {59, swingOut(6, -1)}}, {}});
    tracks.push_back({"hips", {{0, {0, 0.95f, 0}}, {30, {0, 0.94f, 0}}, {59, {0, 0.95f, 0}}}, {}, {}});
    return WriteMotionFixture(30.0f, 60, tracks);
}

// Only the right arm moves: played on a second layer, the idle keeps the rest of the body.
std::vector<uint8_t> waveMotion()
{
    const Quaternion raised = swingOut(150.0f, -1);
    std::vector<std::pair<float, Quaternion>> forearm;
    for (int k = 0; k <= 6; ++k)
        forearm.push_back({float(k * 10 > 59 ? 59 : k * 10), swingOut(k % 2 ? 35.0f : -10.0f, -1)});
    std::vector<FixtureMotionTrack> tracks;
    tracks.push_back({"upperarm_R", {}, {{0, swingOut(6, -1)}, {10, raised}, {50, raised}, {59, swingOut(6, -1)}}, {}});
    tracks.push_back({"forearm_R", {}, forearm, {}});
    return WriteMotionFixture(30.0f, 60, tracks);
}

// The smile: mouth corners up, a morph file for the face mesh.
std::vector<uint8_t> smileMorph()
{
    const FixtureMesh face = faceMesh();
    std::vector<Vector3D> positions(face.vertices.size()), normals(face.vertices.size());
    for (size_t i = 8; i < face.vertices.size(); ++i)
        if (std::fabs(face.vertices[i].position.x) > 0.02f)
            positions[i] = {0, 0.012f, 0};
    return WriteMorphFixture("face", positions, normals);
}

ModelFixture prop(const char* name, const char* material, ColorF colour, FixtureTexture texture, int shape)
{
    ModelFixture f;
    f.name = name;
    f.textures = {std::move(texture)};
    f.materials = {{material, colour, 0}};
    FixtureMesh mesh;
    mesh.name = name;
    MeshBuilder b(mesh);
    b.material(0);
    if (shape == 0)
        b.box({0, 0, 0}, {0.5f, 0.5f, 0.5f}, -1);
    else if (shape == 1)
        b.sphere({0, 0, 0}, {0.5f, 0.5f, 0.5f}, -1);
    else
        b.quad({-5, 0, -5}, {10, 0, 0}, {0, 0, 10}, {0, 1, 0}, -1);
    b.finish();
    f.meshes = {mesh};
    return f;
}

// "Ko-n-ni-chi-wa": a vowel-like buzz per syllable; the lip keys open the mouth with each one.
struct Syllable
{
    float start, length, pitch, open;
};
const Syllable kSyllables[] = {{0.05f, 0.18f, 190, 0.7f}, {0.27f, 0.14f, 180, 0.4f}, {0.45f, 0.16f, 200, 0.6f},
                               {0.65f, 0.16f, 185, 0.5f}, {0.85f, 0.28f, 170, 1.0f}};
constexpr float kVoiceSeconds = 1.3f;

bool writeVoice(const fs::path& path)
{
    constexpr int rate = 22050;
    std::vector<float> samples(size_t(kVoiceSeconds * rate), 0.0f);
    for (const Syllable& s : kSyllables)
        for (size_t i = size_t(s.start * rate); i < size_t((s.start + s.length) * rate) && i < samples.size(); ++i)
        {
            const float t = float(i) / rate - s.start;
            const float envelope = std::sin(std::numbers::pi_v<float> * t / s.length);
            float v = 0.0f;
            for (int h = 1; h <= 8; ++h) // a buzz shaped by two formant-like peaks
            {
                const float f = s.pitch * float(h);
                const float gain = std::exp(-std::pow((f - 700.0f) / 300.0f, 2.0f)) +
                                   0.6f * std::exp(-std::pow((f - 1200.0f) / 300.0f, 2.0f)) + 0.15f / float(h);
                v += gain * std::sin(2.0f * std::numbers::pi_v<float> * f * t);
            }
            samples[i] = 0.3f * envelope * v;
        }
    fs::create_directories(path.parent_path());
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
    if (!file)
    {
        std::fprintf(stderr, "orvane-demo-model: cannot write %s: %s\n", path.string().c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return written == sf_count_t(samples.size());
}

// A lip timeline: i32 count, then count pairs of f32 seconds and f32 mouth weight.
std::vector<uint8_t> lipTimeline()
{
    std::vector<std::pair<float, float>> keys;
    for (const Syllable& s : kSyllables)
    {
        keys.push_back({s.start, s.open * 0.6f});
        keys.push_back({s.start + s.length * 0.4f, s.open});
        keys.push_back({s.start + s.length * 0.85f, 0.1f});
    }
    keys.push_back({kVoiceSeconds, 0.0f});
    std::vector<uint8_t> out(4 + keys.size() * 8);
    const int32_t count = int32_t(keys.size());
    std::memcpy(out.data(), &count, 4);
    for (size_t i = 0; i < keys.size(); ++i)
    {
        std::memcpy(out.data() + 4 + i * 8, &keys[i].first, 4);
        std::memcpy(out.data() + 8 + i * 8, &keys[i].second, 4);
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: orvane-demo-model <folder>\n");
        return 2;
    }
    const fs::path folder = argv[1];
    const bool ok =
        writeFile(folder / "model/chara.glb", WriteModelFixture(character())) &&
        writeFile(folder / "motion/idle.anm", idleMotion()) && writeFile(folder / "motion/wave.anm", waveMotion()) &&
        writeFile(folder / "morph/smile.mph", smileMorph()) &&
        writeFile(folder / "model/box.glb",
                  WriteModelFixture(prop("box", "wood", {1, 1, 1, 1}, checker("wood.png", 0xFFB07840u, 0xFF8A5A2Eu, 4), 0))) &&
        writeFile(folder / "model/ball.glb",
                  WriteModelFixture(prop("ball", "rubber", {1, 1, 1, 1}, stripes("rubber.png", 0xFFE04040u, 0xFFF0F0F0u), 1))) &&
        writeFile(folder / "model/floor.glb",
                  WriteModelFixture(prop("floor", "grass", {1, 1, 1, 1}, checker("grass.png", 0xFF5FA050u, 0xFF4C8A42u, 8), 2))) &&
        writeVoice(folder / "voice/hello.ogg") && writeFile(folder / "voice/hello.lip", lipTimeline());
    return ok ? 0 : 1;
}
