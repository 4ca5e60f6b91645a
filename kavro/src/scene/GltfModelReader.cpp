#include "scene/GltfModelReader.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

namespace Kavro
{

namespace
{

// Far beyond any model the engine shows; keeps a forged count from asking for gigabytes.
constexpr size_t kMaxElements = size_t(1) << 24;
constexpr size_t kMaxJoints = 65535;
// glTF's binary data is little-endian and is copied as it stands.
static_assert(std::endian::native == std::endian::little);

struct Failure
{
    std::string reason;
};

[[noreturn]] void fail(const std::string& reason)
{
    throw Failure{reason};
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The container's own framing, checked before the parser sees it: magic, version 2, a total length equal
// to the bytes, a JSON chunk and at most one binary chunk inside them.
void checkContainer(const uint8_t* data, size_t size)
{
    if (!data || size < 20 || std::memcmp(data, "glTF", 4) != 0)
        fail("not a glTF binary file");
    if (le32(data + 4) != 2)
        fail("glTF binary version is not 2");
    if (le32(data + 8) != size)
        fail("glTF binary length does not match the file");
    size_t at = 12;
    for (int chunk = 0; at < size; ++chunk)
    {
        if (chunk > 1 || size - at < 8)
            fail("glTF binary chunks are broken");
        const size_t length = le32(data + at);
        const uint32_t type = le32(data + at + 4);
        if (type != (chunk == 0 ? 0x4E4F534Au : 0x004E4942u) || length > size - at - 8 || length % 4 != 0)
            fail("glTF binary chunks are broken");
        at += 8 + length;
    }
}

// The library's axes mirror glTF's z: positions, directions and matrices flip z, rotations flip x and y.
Vector3D mirrored(const Vector3D& v)
{
    return {v.x, v.y, -v.z};
}

Quaternion mirrored(const Quaternion& q)
{
    return {-q.x, -q.y, q.z, q.w};
}

// glTF stores column-vector matrices column by column, which read row by row is the row-vector matrix.
Matrix4x4 mirroredMatrix(const double* m)
{
    Matrix4x4 out;
    static const float sign[4] = {1.0f, 1.0f, -1.0f, 1.0f};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = float(m[r * 4 + c]) * sign[r] * sign[c];
    return out;
}

bool finite(const Matrix4x4& m)
{
    for (const auto& row : m.m)
        for (float v : row)
            if (!std::isfinite(v))
                return false;
    return true;
}

Matrix4x4 composeTRS(const Vector3D& t, const Quaternion& r, const Vector3D& s)
{
    Matrix4x4 m = Matrix4x4::GetScaling(s.x, s.y, s.z) * r.ToMatrix();
    m._41 = t.x, m._42 = t.y, m._43 = t.z;
    return m;
}

// A checked accessor: count elements of components values each, read in place.
struct Elements
{
    const uint8_t* base = nullptr;
    size_t stride = 0;
    size_t count = 0;
    int components = 0;
    int size = 0; // bytes per component
    bool isFloat = false;

    float real(size_t i, int c) const
    {
        const uint8_t* p = base + stride * i + size_t(c * size);
        if (size == 4)
        {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
        return size == 2 ? float(uint16_t(p[0] | p[1] << 8)) / 65535.0f : float(p[0]) / 255.0f;
    }
    uint32_t integer(size_t i, int c) const
    {
        const uint8_t* p = base + stride * i + size_t(c * size);
        return size == 4 ? le32(p) : size == 2 ? uint32_t(p[0] | p[1] << 8) : p[0];
    }
    Vector3D vector(size_t i) const
    {
        const Vector3D v(real(i, 0), real(i, 1), real(i, 2));
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            fail("an accessor holds a number that is not finite");
        return v;
    }
};

class Reader
{
public:
    explicit Reader(const tinygltf::Model& model) : model_(model) {}

    // A float accessor (or, where allowed, normalised unsigned bytes or shorts), checked; count 0 when absent.
    Elements floatElements(int index, int type, bool allowNormalisedIntegers)
    {
        const tinygltf::Accessor& a = accessor(index, type);
        const int ct = a.componentType;
        const bool isFloat = ct == TINYGLTF_COMPONENT_TYPE_FLOAT;
        const bool isInt = a.normalized && allowNormalisedIntegers &&
                           (ct == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE || ct == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
        if (!isFloat && !isInt)
            fail("accessor " + std::to_string(index) + " has an unusable component type");
        return elements(a);
    }

    Elements integerElements(int index, int type)
    {
        const tinygltf::Accessor& a = accessor(index, type);
        const int ct = a.componentType;
        if (ct != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && ct != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
            ct != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
            fail("accessor " + std::to_string(index) + " is not of unsigned integers");
        return elements(a);
    }

    // Elements of an accessor as floats, count x components, converted and normalised as glTF says.
    std::vector<float> floats(int index, int type, bool allowNormalisedIntegers)
    {
        const tinygltf::Accessor& a = accessor(index, type);
        const int ct = a.componentType;
        const bool isFloat = ct == TINYGLTF_COMPONENT_TYPE_FLOAT;
        const bool isInt = a.normalized && allowNormalisedIntegers &&
                           (ct == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE || ct == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT);
        if (!isFloat && !isInt)
            fail("accessor " + std::to_string(index) + " has an unusable component type");
        std::vector<float> out(a.count * size_t(tinygltf::GetNumComponentsInType(uint32_t(a.type))));
        float* to = out.data();
        forEach(a, [&](const uint8_t* p, int components, int size) {
            for (int c = 0; c < components; ++c)
                if (size == 4)
                    std::memcpy(to + c, p + c * 4, 4);
                else
                    to[c] = size == 2 ? float(uint16_t(p[c * 2] | p[c * 2 + 1] << 8)) / 65535.0f : float(p[c]) / 255.0f;
            to += components;
        });
        for (float v : out)
            if (!std::isfinite(v))
                fail("accessor " + std::to_string(index) + " holds a number that is not finite");
        return out;
    }

    size_t count(int index, int type) { return accessor(index, type).count; }


private:
    const tinygltf::Accessor& accessor(int index, int type)
    {
        if (index < 0 || size_t(index) >= model_.accessors.size())
            fail("accessor index " + std::to_string(index) + " is out of range");
        const tinygltf::Accessor& a = model_.accessors[size_t(index)];
        if (a.type != type)
            fail("accessor " + std::to_string(index) + " has the wrong element type");
        if (a.sparse.isSparse)
            fail("sparse accessors are not read");
        if (a.count > kMaxElements)
            fail("accessor " + std::to_string(index) + " is too large");
        return a;
    }

    Elements elements(const tinygltf::Accessor& a)
    {
        Elements e;
        e.components = tinygltf::GetNumComponentsInType(uint32_t(a.type));
        e.size = tinygltf::GetComponentSizeInBytes(uint32_t(a.componentType));
        e.isFloat = a.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT;
        if (e.components <= 0 || (e.size != 1 && e.size != 2 && e.size != 4))
            fail("accessor has an unknown layout");
        forEach(a, [&](const uint8_t* p, int, int) {
            if (!e.base)
                e.base = p;
        });
        const uint64_t element = uint64_t(e.components) * uint64_t(e.size);
        e.stride = a.bufferView >= 0 && model_.bufferViews[size_t(a.bufferView)].byteStride
                       ? model_.bufferViews[size_t(a.bufferView)].byteStride
                       : element;
        e.count = e.base ? a.count : 0;
        return e;
    }

    template <typename Visit> void forEach(const tinygltf::Accessor& a, Visit&& visit)
    {
        const int components = tinygltf::GetNumComponentsInType(uint32_t(a.type));
        const int size = tinygltf::GetComponentSizeInBytes(uint32_t(a.componentType));
        if (components <= 0 || size <= 0)
            fail("accessor has an unknown layout");
        if (a.count == 0)
            return;
        if (a.bufferView < 0 || size_t(a.bufferView) >= model_.bufferViews.size())
            fail("accessor without a usable buffer view");
        const tinygltf::BufferView& view = model_.bufferViews[size_t(a.bufferView)];
        if (view.buffer < 0 || size_t(view.buffer) >= model_.buffers.size())
            fail("buffer view without a usable buffer");
        const std::vector<unsigned char>& buffer = model_.buffers[size_t(view.buffer)].data;
        const uint64_t element = uint64_t(components) * uint64_t(size);
        const uint64_t stride = view.byteStride ? uint64_t(view.byteStride) : element;
        if (stride < element || stride % uint64_t(size) != 0)
            fail("buffer view stride is smaller than its elements");
        if (uint64_t(view.byteOffset) > buffer.size() || uint64_t(view.byteLength) > buffer.size() - view.byteOffset)
            fail("buffer view lies outside its buffer");
        const uint64_t last = uint64_t(a.byteOffset) + stride * (uint64_t(a.count) - 1) + element;
        if (last > uint64_t(view.byteLength))
            fail("accessor reaches outside its buffer view");
        const uint8_t* base = buffer.data() + view.byteOffset + a.byteOffset;
        // Tightly packed data is visited as one run of count x components elements.
        if (stride == element)
        {
            visit(base, int(a.count) * components, size);
            return;
        }
        for (size_t i = 0; i < a.count; ++i)
            visit(base + stride * i, components, size);
    }

    const tinygltf::Model& model_;
};

class Converter
{
public:
    // The model is read once: image bytes are moved out of it.
    Converter(tinygltf::Model& model, const std::string& file, ModelContents& out)
        : model_(model), file_(file), out_(out), reader_(model)
    {
    }

    void run()
    {
        if (model_.defaultScene >= 0 && size_t(model_.defaultScene) < model_.scenes.size())
            out_.name = model_.scenes[size_t(model_.defaultScene)].name;
        frames();
        skins();
        meshes();
        animations();
    }

private:
    void frames()
    {
        const size_t n = model_.nodes.size();
        if (n > kMaxElements)
            fail("too many nodes");
        std::vector<int> parent(n, -1);
        for (size_t i = 0; i < n; ++i)
            for (int child : model_.nodes[i].children)
            {
                if (child < 0 || size_t(child) >= n || size_t(child) == i || parent[size_t(child)] != -1)
                    fail("node " + std::to_string(i) + " has a child that is out of range or taken twice");
                parent[size_t(child)] = int(i);
            }
        // Parents before children: walk down from every root; a node never reached sits on a cycle.
        frameOf_.assign(n, -1);
        for (size_t root = 0; root < n; ++root)
        {
            if (parent[root] != -1)
                continue;
            std::vector<int> stack{int(root)};
            while (!stack.empty())
            {
                const int node = stack.back();
                stack.pop_back();
                addFrame(node, parent[size_t(node)] < 0 ? -1 : frameOf_[size_t(parent[size_t(node)])]);
                const auto& children = model_.nodes[size_t(node)].children;
                for (auto it = children.rbegin(); it != children.rend(); ++it)
                    stack.push_back(*it);
            }
        }
        if (out_.frames.size() != n)
            fail("the node hierarchy has a cycle");
    }

    void addFrame(int node, int parentFrame)
    {
        const tinygltf::Node& source = model_.nodes[size_t(node)];
        ModelFrameData frame;
        frame.name = source.name.empty() ? "node" + std::to_string(node) : source.name;
        frame.parent = parentFrame;
        frame.local = localOf(source);
        frame.rest = parentFrame < 0 ? frame.local : frame.local * out_.frames[size_t(parentFrame)].rest;
        frameOf_[size_t(node)] = int(out_.frames.size());
        out_.frames.push_back(std::move(frame));
    }

    Matrix4x4 localOf(const tinygltf::Node& node)
    {
        Matrix4x4 m;
        if (node.matrix.size() == 16)
            m = mirroredMatrix(node.matrix.data());
        else
        {
            Vector3D t, s{1, 1, 1};
            Quaternion r;
            if (node.translation.size() == 3)
                t = mirrored(Vector3D(float(node.translation[0]), float(node.translation[1]), float(node.translation[2])));
            if (node.scale.size() == 3)
                s = Vector3D(float(node.scale[0]), float(node.scale[1]), float(node.scale[2]));
            if (node.rotation.size() == 4)
            {
                r = mirrored(Quaternion(float(node.rotation[0]), float(node.rotation[1]), float(node.rotation[2]),
                                        float(node.rotation[3])));
                if (!(r.Length() > 0.0f))
                    fail("node rotation is not a rotation");
                r.Normalize();
            }
            m = composeTRS(t, r, s);
        }
        if (!finite(m))
            fail("node transform is not finite");
        return m;
    }

    int frameOf(int node)
    {
        if (node < 0 || size_t(node) >= frameOf_.size())
            fail("node index " + std::to_string(node) + " is out of range");
        return frameOf_[size_t(node)];
    }

    void skins()
    {
        for (const tinygltf::Skin& source : model_.skins)
        {
            if (source.joints.empty() || source.joints.size() > kMaxJoints)
                fail("a skin has no joints or too many");
            ModelSkin skin;
            for (int joint : source.joints)
                skin.joints.push_back(frameOf(joint));
            if (source.inverseBindMatrices >= 0)
            {
                const std::vector<float> m = reader_.floats(source.inverseBindMatrices, TINYGLTF_TYPE_MAT4, false);
                if (m.size() != skin.joints.size() * 16)
                    fail("a skin's inverse bind matrices do not match its joints");
                for (size_t j = 0; j < skin.joints.size(); ++j)
                {
                    double d[16];
                    for (int k = 0; k < 16; ++k)
                        d[k] = m[j * 16 + size_t(k)];
                    skin.inverseBind.push_back(mirroredMatrix(d));
                }
            }
            else
                skin.inverseBind.assign(skin.joints.size(), Matrix4x4());
            out_.skins.push_back(std::move(skin));
        }
    }

    void meshes()
    {
        // In frame order, so the meshes come in the order of the node tree.
        std::vector<int> nodeOfFrame(out_.frames.size());
        for (size_t node = 0; node < frameOf_.size(); ++node)
            nodeOfFrame[size_t(frameOf_[node])] = int(node);
        for (size_t frame = 0; frame < nodeOfFrame.size(); ++frame)
        {
            const tinygltf::Node& node = model_.nodes[size_t(nodeOfFrame[frame])];
            if (node.mesh < 0)
                continue;
            if (size_t(node.mesh) >= model_.meshes.size())
                fail("node refers to a mesh that is out of range");
            if (node.skin >= 0 && size_t(node.skin) >= out_.skins.size())
                fail("node refers to a skin that is out of range");
            mesh(model_.meshes[size_t(node.mesh)], node, int(frame));
        }
    }

    void mesh(const tinygltf::Mesh& source, const tinygltf::Node& node, int frame)
    {
        auto mesh = std::make_shared<ModelMesh>();
        // Named by the glTF mesh; an unnamed mesh takes its node's (frame's) name.
        mesh->name = !source.name.empty() ? source.name : out_.frames[size_t(frame)].name;
        mesh->file = file_;
        mesh->frame = frame;
        mesh->skin = node.skin;
        std::vector<int> images;
        std::map<int, uint32_t> materialSlot;
        // Primitives naming the same attribute accessors share their vertices.
        std::map<std::vector<int>, uint32_t> vertexBase;
        size_t targetCount = 0;
        bool first = true;
        for (const tinygltf::Primitive& prim : source.primitives)
        {
            if (prim.mode != TINYGLTF_MODE_TRIANGLES)
                continue; // points and lines are not drawn
            if (std::exchange(first, false))
                targetCount = prim.targets.size();
            else if (prim.targets.size() != targetCount)
                fail("primitives of mesh " + mesh->name + " have different morph target counts");
            const auto key = attributeKey(prim);
            auto found = vertexBase.find(key);
            uint32_t base;
            size_t vertexCount;
            if (found != vertexBase.end())
            {
                base = found->second;
                vertexCount = reader_.count(attribute(prim, "POSITION"), TINYGLTF_TYPE_VEC3);
            }
            else
            {
                base = uint32_t(mesh->vertices.size());
                vertexCount = vertices(prim, *mesh, targetCount);
                vertexBase.emplace(key, base);
            }
            ModelSubset subset;
            subset.material = material(prim.material, *mesh, materialSlot, images);
            subset.firstIndex = uint32_t(mesh->indices.size());
            if (prim.indices >= 0)
            {
                const Elements indices = reader_.integerElements(prim.indices, TINYGLTF_TYPE_SCALAR);
                if (indices.count % 3 != 0)
                    fail("mesh " + mesh->name + " has an index count that is not whole triangles");
                mesh->indices.reserve(mesh->indices.size() + indices.count);
                for (size_t k = 0; k < indices.count; ++k)
                {
                    const uint32_t i = indices.integer(k, 0);
                    if (i >= vertexCount)
                        fail("mesh " + mesh->name + " has an index past its vertices");
                    mesh->indices.push_back(base + i);
                }
            }
            else
            {
                if (vertexCount % 3 != 0)
                    fail("mesh " + mesh->name + " has a vertex count that is not whole triangles");
                for (uint32_t i = 0; i < vertexCount; ++i)
                    mesh->indices.push_back(base + i);
            }
            subset.indexCount = uint32_t(mesh->indices.size()) - subset.firstIndex;
            if (mesh->indices.size() > kMaxElements)
                fail("mesh " + mesh->name + " is too large");
            mesh->subsets.push_back(subset);
        }
        morphNames(source, *mesh, targetCount);
        out_.meshes.push_back(std::move(mesh));
        out_.materialImages.push_back(std::move(images));
    }

    static std::vector<int> attributeKey(const tinygltf::Primitive& prim)
    {
        std::vector<int> key;
        for (const auto& [name, index] : prim.attributes)
            key.push_back(index);
        for (const auto& target : prim.targets)
            for (const auto& [name, index] : target)
                key.push_back(index);
        return key;
    }

    static int attribute(const tinygltf::Primitive& prim, const char* name)
    {
        const auto found = prim.attributes.find(name);
        return found == prim.attributes.end() ? -1 : found->second;
    }

    size_t vertices(const tinygltf::Primitive& prim, ModelMesh& mesh, size_t targetCount)
    {
        const int positionIndex = attribute(prim, "POSITION");
        if (positionIndex < 0)
            fail("mesh " + mesh.name + " has a primitive without positions");
        const Elements positions = reader_.floatElements(positionIndex, TINYGLTF_TYPE_VEC3, false);
        const size_t n = positions.count;
        if (mesh.vertices.size() + n > kMaxElements)
            fail("mesh " + mesh.name + " is too large");
        const auto optional = [&](const char* name, int type, bool normalised) {
            const int index = attribute(prim, name);
            if (index < 0)
                return Elements();
            Elements values = reader_.floatElements(index, type, normalised);
            if (values.count != n)
                fail("mesh " + mesh.name + " has attributes of different counts");
            return values;
        };
        const Elements normals = optional("NORMAL", TINYGLTF_TYPE_VEC3, false);
        const Elements uvs = optional("TEXCOORD_0", TINYGLTF_TYPE_VEC2, true);
        Elements weights, joints;
        size_t jointCount = 0;
        if (mesh.skin >= 0)
        {
            weights = optional("WEIGHTS_0", TINYGLTF_TYPE_VEC4, true);
            const int jointIndex = attribute(prim, "JOINTS_0");
            if (jointIndex >= 0)
                joints = reader_.integerElements(jointIndex, TINYGLTF_TYPE_VEC4);
            if (weights.count != n || joints.count != n)
                fail("skinned mesh " + mesh.name + " lacks matching joints and weights");
            jointCount = out_.skins[size_t(mesh.skin)].joints.size();
        }
        const size_t first = mesh.vertices.size();
        mesh.vertices.reserve(first + n);
        for (size_t i = 0; i < n; ++i)
        {
            ModelVertex& v = mesh.vertices.emplace_back();
            v.position = mirrored(positions.vector(i));
            if (normals.count)
                v.normal = mirrored(normals.vector(i));
            if (uvs.count)
            {
                v.u = uvs.real(i, 0), v.v = uvs.real(i, 1);
                if (!std::isfinite(v.u) || !std::isfinite(v.v))
                    fail("mesh " + mesh.name + " has texture coordinates that are not finite");
            }
            for (int k = 0; k < 4 && joints.count; ++k)
            {
                v.weights[k] = weights.real(i, k);
                if (!std::isfinite(v.weights[k]))
                    fail("skinned mesh " + mesh.name + " has weights that are not finite");
                if (v.weights[k] == 0.0f)
                    continue; // a zero-weight slot may name any joint; it stays joint 0
                const uint32_t joint = joints.integer(i, k);
                if (joint >= jointCount)
                    fail("skinned mesh " + mesh.name + " names a joint its skin does not have");
                v.joints[k] = uint16_t(joint);
            }
        }
        if (mesh.morphs.size() < targetCount)
            mesh.morphs.resize(targetCount);
        for (size_t t = 0; t < targetCount; ++t)
        {
            ModelMorphTarget& target = mesh.morphs[t];
            target.positions.resize(first + n, Vector3D());
            target.normals.resize(first + n, Vector3D());
            for (const auto& [name, deltas] : {std::pair{"POSITION", &target.positions}, {"NORMAL", &target.normals}})
            {
                const auto found = prim.targets[t].find(name);
                if (found == prim.targets[t].end())
                    continue;
                const Elements values = reader_.floatElements(found->second, TINYGLTF_TYPE_VEC3, false);
                if (values.count != n)
                    fail("a morph target of mesh " + mesh.name + " does not match its vertices");
                for (size_t i = 0; i < n; ++i)
                    (*deltas)[first + i] = mirrored(values.vector(i));
            }
        }
        return n;
    }

    // Names from the mesh's extras.targetNames; a target without one is named by its number.
    void morphNames(const tinygltf::Mesh& source, ModelMesh& mesh, size_t targetCount)
    {
        const tinygltf::Value* names = nullptr;
        if (source.extras.IsObject() && source.extras.Has("targetNames") && source.extras.Get("targetNames").IsArray())
            names = &source.extras.Get("targetNames");
        for (size_t t = 0; t < targetCount && t < mesh.morphs.size(); ++t)
        {
            std::string name = std::to_string(t);
            if (names && t < names->ArrayLen() && names->Get(int(t)).IsString())
                name = names->Get(int(t)).Get<std::string>();
            mesh.morphs[t].name = name;
            mesh.morphs[t].positions.resize(mesh.vertices.size());
            mesh.morphs[t].normals.resize(mesh.vertices.size());
        }
    }

    uint32_t material(int index, ModelMesh& mesh, std::map<int, uint32_t>& slots, std::vector<int>& images)
    {
        if (index >= 0 && size_t(index) >= model_.materials.size())
            fail("primitive refers to a material that is out of range");
        const auto found = slots.find(index);
        if (found != slots.end())
            return found->second;
        ModelMaterial material;
        int image = -1;
        if (index >= 0)
        {
            const tinygltf::Material& source = model_.materials[size_t(index)];
            material.name = source.name.empty() ? "material" + std::to_string(index) : source.name;
            const auto& factor = source.pbrMetallicRoughness.baseColorFactor;
            if (factor.size() == 4)
                material.state.diffuseColor.color = {float(factor[0]), float(factor[1]), float(factor[2]),
                                                     float(factor[3])};
            image = textureImage(source.pbrMetallicRoughness.baseColorTexture.index);
            if (source.alphaMode == "BLEND")
                material.state.blendMode = 1;
            else if (source.alphaMode == "MASK")
                material.state.alphaTest = std::clamp(int(std::lround(source.alphaCutoff * 255.0)), 1, 255);
            if (source.doubleSided)
                material.state.cullMode = 0;
        }
        else
        {
            material.name = "default";
            material.state.diffuseColor.color = {1.0f, 1.0f, 1.0f, 1.0f};
        }
        const uint32_t slot = uint32_t(mesh.materials.size());
        mesh.materials.push_back(std::move(material));
        images.push_back(image);
        slots.emplace(index, slot);
        return slot;
    }

    int textureImage(int texture)
    {
        if (texture < 0)
            return -1;
        if (size_t(texture) >= model_.textures.size())
            fail("material refers to a texture that is out of range");
        const int source = model_.textures[size_t(texture)].source;
        if (source < 0)
            return -1;
        if (size_t(source) >= model_.images.size())
            fail("texture refers to an image that is out of range");
        const auto found = imageSlot_.find(source);
        if (found != imageSlot_.end())
            return found->second;
        const tinygltf::Image& image = model_.images[size_t(source)];
        ModelImage copy;
        copy.name = image.name.empty() ? (image.uri.rfind("data:", 0) == 0 ? "" : image.uri) : image.name;
        copy.encoded = std::move(model_.images[size_t(source)].image);
        const int slot = int(out_.images.size());
        out_.images.push_back(std::move(copy));
        imageSlot_.emplace(source, slot);
        return slot;
    }

    void animations()
    {
        for (size_t a = 0; a < model_.animations.size(); ++a)
        {
            const tinygltf::Animation& source = model_.animations[a];
            NamedMotion motion;
            motion.name = source.name.empty() ? "animation" + std::to_string(a) : source.name;
            motion.clip.frameRate = GltfMotionFrameRate;
            std::map<int, size_t> trackOfFrame;
            float last = 0.0f;
            for (const tinygltf::AnimationChannel& channel : source.channels)
            {
                const bool t = channel.target_path == "translation", r = channel.target_path == "rotation",
                           s = channel.target_path == "scale";
                if (!t && !r && !s)
                    continue; // morph weights are driven by channels, not motions
                if (channel.sampler < 0 || size_t(channel.sampler) >= source.samplers.size())
                    fail("animation channel refers to a sampler that is out of range");
                const int frame = frameOf(channel.target_node);
                auto [it, added] = trackOfFrame.emplace(frame, motion.clip.tracks.size());
                if (added)
                {
                    motion.clip.tracks.emplace_back();
                    motion.clip.tracks.back().frame = out_.frames[size_t(frame)].name;
                }
                MotionTrack& track = motion.clip.tracks[it->second];
                const tinygltf::AnimationSampler& sampler = source.samplers[size_t(channel.sampler)];
                const std::vector<float> times = reader_.floats(sampler.input, TINYGLTF_TYPE_SCALAR, false);
                const size_t width = r ? 4 : 3;
                std::vector<float> values = reader_.floats(sampler.output, r ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3,
                                                           false);
                // Cubic splines carry in-tangent, value, out-tangent per key: the value is kept.
                const size_t perKey = sampler.interpolation == "CUBICSPLINE" ? 3 : 1;
                if (values.size() != times.size() * width * perKey)
                    fail("animation sampler's keys and values do not match");
                float previous = -1.0f;
                for (size_t k = 0; k < times.size(); ++k)
                {
                    const float at = times[k] * GltfMotionFrameRate;
                    if (!(at >= 0.0f) || at > 1.0e6f)
                        fail("animation key time is out of range");
                    if (at <= previous)
                        continue; // the motion format keys strictly forward
                    previous = at;
                    last = std::max(last, at);
                    const float* v = &values[(k * perKey + (perKey == 3 ? 1 : 0)) * width];
                    if (r)
                    {
                        Quaternion q = mirrored(Quaternion(v[0], v[1], v[2], v[3]));
                        if (!(q.Length() > 0.0f))
                            fail("animation rotation is not a rotation");
                        track.rotations.push_back({at, q.GetNormalize()});
                    }
                    else
                    {
                        const Vector3D value = t ? mirrored(Vector3D(v[0], v[1], v[2])) : Vector3D(v[0], v[1], v[2]);
                        (t ? track.translations : track.scales).push_back({at, value});
                    }
                }
            }
            motion.clip.frameCount = uint32_t(std::ceil(last)) + 1;
            out_.motions.push_back(std::move(motion));
        }
    }

    tinygltf::Model& model_;
    const std::string& file_;
    ModelContents& out_;
    Reader reader_;
    std::vector<int> frameOf_;
    std::map<int, int> imageSlot_;
};

// Images are kept encoded: the device's own PNG and JPEG decoder reads them later. The parser hands over an
// image's buffer view without checking that the view lies inside its buffer, so that is checked here
// against the model being filled (its buffers and views are read before its images).
bool keepEncoded(tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes,
                 int size, void* user)
{
    if (size < 0 || (size > 0 && !bytes))
        return false;
    const auto* model = static_cast<const tinygltf::Model*>(user);
    if (image->bufferView >= 0)
    {
        if (size_t(image->bufferView) >= model->bufferViews.size())
            return false;
        const tinygltf::BufferView& view = model->bufferViews[size_t(image->bufferView)];
        if (view.buffer < 0 || size_t(view.buffer) >= model->buffers.size())
            return false;
        const size_t length = model->buffers[size_t(view.buffer)].data.size();
        if (view.byteOffset > length || view.byteLength > length - view.byteOffset)
            return false;
    }
    image->image.assign(bytes, bytes + size);
    image->width = image->height = 0;
    return true;
}

struct FileContext
{
    const ModelFileReader* read;
};

bool fileExists(const std::string& path, void* user)
{
    std::vector<uint8_t> bytes;
    const auto* context = static_cast<FileContext*>(user);
    return *context->read && (*context->read)(path, bytes);
}

std::string expandPath(const std::string& path, void*)
{
    return path;
}

bool readWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* user)
{
    const auto* context = static_cast<FileContext*>(user);
    std::vector<uint8_t> bytes;
    if (!*context->read || !(*context->read)(path, bytes))
    {
        if (err)
            *err += "cannot read " + path + "\n";
        return false;
    }
    out->assign(bytes.begin(), bytes.end());
    return true;
}

bool refuseWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*)
{
    return false;
}

} // namespace

bool ReadGltfModel(const uint8_t* data, size_t size, const std::string& folder, const std::string& file,
                   const ModelFileReader& readFile, ModelContents& out, std::string* error)
{
    try
    {
        checkContainer(data, size);
        tinygltf::TinyGLTF parser;
        FileContext context{&readFile};
        parser.SetFsCallbacks({fileExists, expandPath, readWholeFile, refuseWrite, &context});
        tinygltf::Model model;
        parser.SetImageLoader(keepEncoded, &model);
        std::string err, warn;
        if (!parser.LoadBinaryFromMemory(&model, &err, &warn, data, unsigned(size), folder))
            fail(err.empty() ? "the glTF parser refused the file" : err);
        ModelContents contents;
        Converter(model, file, contents).run();
        out = std::move(contents);
        return true;
    }
    catch (const Failure& failure)
    {
        if (error)
            *error = failure.reason;
    }
    catch (const std::exception& exception)
    {
        if (error)
            *error = exception.what();
    }
    return false;
}

} // namespace Kavro
