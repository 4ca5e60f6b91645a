#include "kavro/ModelFixtureWriter.h"

#include "kavro/ImageCodec.h"
#include "scene/ModelFiles.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

namespace Kavro
{

namespace
{

// glTF's z is the library's -z (see the loader).
std::vector<double> gltfVector(const Vector3D& v)
{
    return {v.x, v.y, -v.z};
}

std::vector<double> gltfRotation(const Quaternion& q)
{
    return {-q.x, -q.y, q.z, q.w};
}

void appendMatrix(std::vector<float>& out, const Matrix4x4& m)
{
    static const float sign[4] = {1.0f, 1.0f, -1.0f, 1.0f};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.push_back(m.m[r][c] * sign[r] * sign[c]);
}

Matrix4x4 localOf(const FixtureFrame& frame)
{
    Matrix4x4 m = Matrix4x4::GetScaling(frame.scale.x, frame.scale.y, frame.scale.z) *
                  frame.rotation.GetNormalize().ToMatrix();
    m._41 = frame.translation.x, m._42 = frame.translation.y, m._43 = frame.translation.z;
    return m;
}

class Builder
{
public:
    explicit Builder(tinygltf::Model& model) : model_(model) { model_.buffers.emplace_back(); }

    int view(const void* data, size_t size, int target)
    {
        std::vector<unsigned char>& buffer = model_.buffers[0].data;
        while (buffer.size() % 4)
            buffer.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = buffer.size();
        view.byteLength = size;
        view.target = target;
        const auto* bytes = static_cast<const unsigned char*>(data);
        buffer.insert(buffer.end(), bytes, bytes + size);
        model_.bufferViews.push_back(view);
        return int(model_.bufferViews.size()) - 1;
    }

    int floats(const std::vector<float>& values, int type, int target = 0)
    {
        const int components = tinygltf::GetNumComponentsInType(uint32_t(type));
        tinygltf::Accessor a;
        a.bufferView = view(values.data(), values.size() * 4, target);
        a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        a.type = type;
        a.count = values.size() / size_t(components);
        if (type == TINYGLTF_TYPE_VEC3 && a.count > 0)
        {
            a.minValues.assign(3, 1e30);
            a.maxValues.assign(3, -1e30);
            for (size_t i = 0; i < values.size(); ++i)
            {
                a.minValues[i % 3] = std::min(a.minValues[i % 3], double(values[i]));
                a.maxValues[i % 3] = std::max(a.maxValues[i % 3], double(values[i]));
            }
        }
        model_.accessors.push_back(a);
        return int(model_.accessors.size()) - 1;
    }

    template <typename T> int integers(const std::vector<T>& values, int componentType, int type, int target)
    {
        tinygltf::Accessor a;
        a.bufferView = view(values.data(), values.size() * sizeof(T), target);
        a.componentType = componentType;
        a.type = type;
        a.count = values.size() / size_t(tinygltf::GetNumComponentsInType(uint32_t(type)));
        model_.accessors.push_back(a);
        return int(model_.accessors.size()) - 1;
    }

private:
    tinygltf::Model& model_;
};

bool validFixture(const ModelFixture& fixture)
{
    for (size_t f = 0; f < fixture.frames.size(); ++f)
        if (fixture.frames[f].parent >= int(f) || fixture.frames[f].parent < -1)
            return false;
    for (const FixtureMesh& mesh : fixture.meshes)
    {
        if (mesh.frame >= int(fixture.frames.size()) || mesh.frame < -1 || mesh.vertices.empty())
            return false;
        for (uint32_t i : mesh.indices)
            if (i >= mesh.vertices.size())
                return false;
        for (const FixtureSubset& s : mesh.subsets)
            if (s.material >= int(fixture.materials.size()) || uint64_t(s.firstIndex) + s.indexCount > mesh.indices.size())
                return false;
        for (int joint : mesh.joints)
            if (joint < 0 || joint >= int(fixture.frames.size()))
                return false;
        if (!mesh.inverseBind.empty() && mesh.inverseBind.size() != mesh.joints.size())
            return false;
        for (const FixtureMorph& morph : mesh.morphs)
            if (morph.positions.size() != mesh.vertices.size() ||
                (!morph.normals.empty() && morph.normals.size() != mesh.vertices.size()))
                return false;
    }
    for (const FixtureMaterial& material : fixture.materials)
        if (material.texture >= int(fixture.textures.size()))
            return false;
    for (const FixtureAnimation& animation : fixture.animations)
        for (const FixtureAnimationTrack& track : animation.tracks)
            if (track.frame < 0 || track.frame >= int(fixture.frames.size()))
                return false;
    return true;
}

void writeMesh(const ModelFixture& fixture, const FixtureMesh& mesh, const std::vector<Matrix4x4>& rest,
               tinygltf::Model& model, Builder& builder)
{
    std::vector<float> positions, normals, uvs, weights;
    std::vector<uint16_t> joints;
    for (const FixtureVertex& v : mesh.vertices)
    {
        for (double d : gltfVector(v.position))
            positions.push_back(float(d));
        for (double d : gltfVector(v.normal))
            normals.push_back(float(d));
        uvs.push_back(v.u);
        uvs.push_back(v.v);
        for (int k = 0; k < 4; ++k)
            joints.push_back(v.joints[k]), weights.push_back(v.weights[k]);
    }
    std::map<std::string, int> attributes{
        {"POSITION", builder.floats(positions, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER)},
        {"NORMAL", builder.floats(normals, TINYGLTF_TYPE_VEC3, TINYGLTF_TARGET_ARRAY_BUFFER)},
        {"TEXCOORD_0", builder.floats(uvs, TINYGLTF_TYPE_VEC2, TINYGLTF_TARGET_ARRAY_BUFFER)}};
    tinygltf::Node node;
    node.name = mesh.name;
    if (!mesh.joints.empty())
    {
        attributes["JOINTS_0"] = builder.integers(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4,
                                                  TINYGLTF_TARGET_ARRAY_BUFFER);
        attributes["WEIGHTS_0"] = builder.floats(weights, TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
        tinygltf::Skin skin;
        std::vector<float> inverse;
        for (size_t j = 0; j < mesh.joints.size(); ++j)
        {
            skin.joints.push_back(mesh.joints[j]);
            appendMatrix(inverse, mesh.inverseBind.empty() ? rest[size_t(mesh.joints[j])].Inverse() : mesh.inverseBind[j]);
        }
        skin.inverseBindMatrices = builder.floats(inverse, TINYGLTF_TYPE_MAT4);
        model.skins.push_back(skin);
        node.skin = int(model.skins.size()) - 1;
    }
    std::vector<std::map<std::string, int>> targets;
    tinygltf::Value::Array names;
    for (const FixtureMorph& morph : mesh.morphs)
    {
        std::vector<float> dp, dn;
        for (const Vector3D& d : morph.positions)
            for (double x : gltfVector(d))
                dp.push_back(float(x));
        std::map<std::string, int> target{{"POSITION", builder.floats(dp, TINYGLTF_TYPE_VEC3)}};
        if (!morph.normals.empty())
        {
            for (const Vector3D& d : morph.normals)
                for (double x : gltfVector(d))
                    dn.push_back(float(x));
            target["NORMAL"] = builder.floats(dn, TINYGLTF_TYPE_VEC3);
        }
        targets.push_back(std::move(target));
        names.emplace_back(morph.name);
    }
    tinygltf::Mesh out;
    out.name = mesh.name;
    if (!names.empty())
        out.extras = tinygltf::Value(tinygltf::Value::Object{{"targetNames", tinygltf::Value(names)}});
    std::vector<FixtureSubset> subsets = mesh.subsets;
    if (subsets.empty())
        subsets.push_back({fixture.materials.empty() ? -1 : 0, 0, uint32_t(mesh.indices.size())});
    for (const FixtureSubset& subset : subsets)
    {
        tinygltf::Primitive prim;
        prim.attributes = attributes;
        prim.targets = targets;
        prim.material = subset.material;
        prim.mode = TINYGLTF_MODE_TRIANGLES;
        const std::vector<uint32_t> indices(mesh.indices.begin() + subset.firstIndex,
                                            mesh.indices.begin() + subset.firstIndex + subset.indexCount);
        prim.indices = builder.integers(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR,
                                        TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        out.primitives.push_back(std::move(prim));
    }
    model.meshes.push_back(std::move(out));
    const int meshIndex = int(model.meshes.size()) - 1;
    // The mesh rides on its frame's node unless that node carries a mesh already.
    if (mesh.frame >= 0 && model.nodes[size_t(mesh.frame)].mesh < 0)
    {
        model.nodes[size_t(mesh.frame)].mesh = meshIndex;
        model.nodes[size_t(mesh.frame)].skin = node.skin;
        return;
    }
    node.mesh = meshIndex;
    model.nodes.push_back(node);
    const int index = int(model.nodes.size()) - 1;
    if (mesh.frame >= 0)
        model.nodes[size_t(mesh.frame)].children.push_back(index);
    else
        model.scenes[0].nodes.push_back(index);
}

void writeAnimation(const FixtureAnimation& animation, tinygltf::Model& model, Builder& builder)
{
    tinygltf::Animation out;
    out.name = animation.name;
    const auto channel = [&](int node, const char* path, const std::vector<float>& times, const std::vector<float>& values,
                             int type) {
        if (times.empty())
            return;
        tinygltf::AnimationSampler sampler;
        sampler.input = builder.floats(times, TINYGLTF_TYPE_SCALAR);
        model.accessors[size_t(sampler.input)].minValues = {times.front()};
        model.accessors[size_t(sampler.input)].maxValues = {times.back()};
        sampler.output = builder.floats(values, type);
        sampler.interpolation = "LINEAR";
        out.samplers.push_back(sampler);
        tinygltf::AnimationChannel c;
        c.sampler = int(out.samplers.size()) - 1;
        c.target_node = node;
        c.target_path = path;
        out.channels.push_back(c);
    };
    for (const FixtureAnimationTrack& track : animation.tracks)
    {
        std::vector<float> times, values;
        for (const auto& [frame, v] : track.translations)
        {
            times.push_back(frame / animation.keysPerSecond);
            for (double d : gltfVector(v))
                values.push_back(float(d));
        }
        channel(track.frame, "translation", times, values, TINYGLTF_TYPE_VEC3);
        times.clear(), values.clear();
        for (const auto& [frame, q] : track.rotations)
        {
            times.push_back(frame / animation.keysPerSecond);
            for (double d : gltfRotation(q))
                values.push_back(float(d));
        }
        channel(track.frame, "rotation", times, values, TINYGLTF_TYPE_VEC4);
        times.clear(), values.clear();
        for (const auto& [frame, s] : track.scales)
        {
            times.push_back(frame / animation.keysPerSecond);
            values.insert(values.end(), {s.x, s.y, s.z});
        }
        channel(track.frame, "scale", times, values, TINYGLTF_TYPE_VEC3);
    }
    model.animations.push_back(std::move(out));
}

} // namespace

std::vector<Matrix4x4> FixtureRestMatrices(const ModelFixture& fixture)
{
    std::vector<Matrix4x4> rest;
    for (const FixtureFrame& frame : fixture.frames)
    {
        const Matrix4x4 local = localOf(frame);
        rest.push_back(frame.parent >= 0 && size_t(frame.parent) < rest.size() ? local * rest[size_t(frame.parent)]
                                                                                  : local);
    }
    return rest;
}

std::vector<uint8_t> WriteModelFixture(const ModelFixture& fixture,
                                       const std::function<void(tinygltf::Model&)>& tamper)
{
    if (!validFixture(fixture))
        return {};
    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "orvane fixture writer";
    Builder builder(model);
    model.scenes.emplace_back();
    model.scenes[0].name = fixture.name;
    model.defaultScene = 0;
    for (const FixtureFrame& frame : fixture.frames)
    {
        tinygltf::Node node;
        node.name = frame.name;
        node.translation = gltfVector(frame.translation);
        node.rotation = gltfRotation(frame.rotation.GetNormalize());
        node.scale = {frame.scale.x, frame.scale.y, frame.scale.z};
        model.nodes.push_back(node);
        if (frame.parent >= 0)
            model.nodes[size_t(frame.parent)].children.push_back(int(model.nodes.size()) - 1);
        else
            model.scenes[0].nodes.push_back(int(model.nodes.size()) - 1);
    }
    for (const FixtureTexture& texture : fixture.textures)
    {
        const std::vector<uint8_t> png = EncodePng(texture.width, texture.height, texture.argb.data());
        if (png.empty() || texture.argb.size() != size_t(texture.width) * size_t(texture.height))
            return {};
        tinygltf::Image image;
        image.name = texture.name;
        image.mimeType = "image/png";
        image.bufferView = builder.view(png.data(), png.size(), 0);
        model.images.push_back(image);
        tinygltf::Texture t;
        t.source = int(model.images.size()) - 1;
        model.textures.push_back(t);
    }
    for (const FixtureMaterial& material : fixture.materials)
    {
        tinygltf::Material out;
        out.name = material.name;
        out.pbrMetallicRoughness.baseColorFactor = {material.baseColor.r, material.baseColor.g, material.baseColor.b,
                                                    material.baseColor.a};
        out.pbrMetallicRoughness.baseColorTexture.index = material.texture;
        model.materials.push_back(out);
    }
    const std::vector<Matrix4x4> rest = FixtureRestMatrices(fixture);
    for (const FixtureMesh& mesh : fixture.meshes)
        writeMesh(fixture, mesh, rest, model, builder);
    for (const FixtureAnimation& animation : fixture.animations)
        writeAnimation(animation, model, builder);
    if (model.buffers[0].data.empty())
        model.buffers.clear();
    else
        while (model.buffers[0].data.size() % 4)
            model.buffers[0].data.push_back(0);
    if (tamper)
        tamper(model);

    std::ostringstream stream;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&model, stream, false, true))
        return {};
    const std::string bytes = stream.str();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> WriteMotionFixture(float frameRate, uint32_t frameCount,
                                        const std::vector<FixtureMotionTrack>& tracks)
{
    MotionClip clip;
    clip.frameRate = frameRate;
    clip.frameCount = frameCount;
    for (const FixtureMotionTrack& source : tracks)
    {
        MotionTrack track;
        track.frame = source.frame;
        for (const auto& [frame, v] : source.translations)
            track.translations.push_back({frame, v});
        for (const auto& [frame, q] : source.rotations)
            track.rotations.push_back({frame, q});
        for (const auto& [frame, v] : source.scales)
            track.scales.push_back({frame, v});
        clip.tracks.push_back(std::move(track));
    }
    return WriteMotionFile(clip);
}

std::vector<uint8_t> WriteMorphFixture(const std::string& mesh, const std::vector<Vector3D>& positions,
                                       const std::vector<Vector3D>& normals)
{
    MorphTargetFile morph;
    morph.mesh = mesh;
    morph.positions = positions;
    morph.normals = normals;
    return WriteMorphFile(morph);
}

} // namespace Kavro
