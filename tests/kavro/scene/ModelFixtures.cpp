#include "ModelFixtures.h"

#include <cmath>

namespace OrvaneTest
{

using namespace Kavro;

namespace
{

FixtureVertex vertex(float x, float y, uint16_t joint)
{
    FixtureVertex v;
    v.position = {x, y, 0.0f};
    v.normal = {0.0f, 0.0f, -1.0f};
    v.u = x + 0.5f;
    v.v = y / 5.0f;
    v.joints[0] = joint;
    v.weights[0] = 1.0f;
    return v;
}

// A ribbon of quads along y, each row on the joint its height gives.
void ribbon(FixtureMesh& mesh, float from, float to, int rows, uint16_t lowJoint, uint16_t highJoint, float split)
{
    const uint32_t base = uint32_t(mesh.vertices.size());
    for (int r = 0; r <= rows; ++r)
    {
        const float y = from + (to - from) * float(r) / float(rows);
        const uint16_t joint = y < split ? lowJoint : highJoint;
        mesh.vertices.push_back(vertex(-0.5f, y, joint));
        mesh.vertices.push_back(vertex(0.5f, y, joint));
    }
    for (int r = 0; r < rows; ++r)
    {
        const uint32_t a = base + uint32_t(r) * 2;
        mesh.indices.insert(mesh.indices.end(), {a, a + 2, a + 1, a + 1, a + 2, a + 3});
    }
}

} // namespace

ModelFixture ArmFixture()
{
    ModelFixture f;
    f.name = "arm model";
    f.frames = {{"root", -1, {0, 0, 0}, {}, {1, 1, 1}},
                {"upper", 0, {0, 1, 0}, {}, {1, 1, 1}},
                {"lower", 1, {0, 2, 0}, {}, {1, 1, 1}},
                {"head", 0, {0, 6, 1}, Quaternion::GetRotationAxis({0, 1, 0}, 30.0f), {1, 1, 1}}};
    f.textures = {{"skin.png", 2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}}};
    f.materials = {{"skin", {1, 1, 1, 1}, 0}, {"cloth", {1, 0, 0, 1}, -1}};

    FixtureMesh arm;
    arm.name = "arm";
    arm.frame = 0;
    arm.joints = {1, 2};
    ribbon(arm, 1.0f, 5.0f, 8, 0, 1, 3.0f - 1e-3f);
    FixtureMorph smile{"smile", {}, {}}, frown{"frown", {}, {}};
    for (size_t i = 0; i < arm.vertices.size(); ++i)
    {
        smile.positions.push_back({0.1f, 0.0f, 0.0f});
        frown.positions.push_back({0.0f, 0.2f, 0.0f});
        frown.normals.push_back({0.0f, 0.0f, 0.5f});
    }
    arm.morphs = {smile, frown};
    arm.subsets = {{0, 0, uint32_t(arm.indices.size())}};

    FixtureMesh hat;
    hat.name = "hat";
    hat.frame = 3;
    hat.vertices = {vertex(-1, 0, 0), vertex(0, 1, 0), vertex(1, 0, 0)};
    for (FixtureVertex& v : hat.vertices)
        v.weights[0] = 0.0f;
    hat.indices = {0, 1, 2};
    hat.subsets = {{1, 0, 3}};
    f.meshes = {arm, hat};

    FixtureAnimation wave;
    wave.name = "wave";
    FixtureAnimationTrack track;
    track.frame = 2;
    track.rotations = {{0.0f, {}}, {15.0f, Quaternion::GetRotationAxis({0, 0, 1}, 90.0f)}};
    wave.tracks = {track};
    f.animations = {wave};
    return f;
}

ModelFixture CapeFixture()
{
    ModelFixture f;
    f.name = "cape model";
    f.frames = {{"root", -1, {0, 0, 0}, {}, {1, 1, 1}}, {"upper", 0, {0, 1, 0}, {}, {1, 1, 1}},
                {"pocket", 0, {2, 0, 0}, {}, {1, 1, 1}}};
    f.materials = {{"velvet", {0, 0, 1, 1}, -1}};
    FixtureMesh cape;
    cape.name = "cape";
    cape.joints = {1};
    ribbon(cape, 1.0f, 2.0f, 1, 0, 0, 10.0f);
    FixtureMesh bag;
    bag.name = "bag";
    bag.frame = 2;
    bag.vertices = {vertex(0, 0, 0), vertex(0, 1, 0), vertex(1, 0, 0)};
    for (FixtureVertex& v : bag.vertices)
        v.weights[0] = 0.0f;
    bag.indices = {0, 1, 2};
    f.meshes = {cape, bag};
    return f;
}

void AddFace(FixtureMesh& mesh, const Vector3D& corner, const Vector3D& du, const Vector3D& dv, const Vector3D& normal)
{
    const uint32_t base = uint32_t(mesh.vertices.size());
    const Vector3D at[4] = {corner, corner + du, corner + dv, corner + du + dv};
    for (int i = 0; i < 4; ++i)
    {
        FixtureVertex v;
        v.position = at[i];
        v.normal = normal;
        v.u = (i & 1) ? 1.0f : 0.0f;
        v.v = (i & 2) ? 0.0f : 1.0f;
        mesh.vertices.push_back(v);
    }
    uint32_t triangles[2][3] = {{0, 1, 2}, {1, 3, 2}};
    for (auto& t : triangles)
    {
        if ((at[t[1]] - at[t[0]]).Cross(at[t[2]] - at[t[0]]).Dot(normal) < 0.0f)
            std::swap(t[1], t[2]);
        mesh.indices.insert(mesh.indices.end(), {base + t[0], base + t[1], base + t[2]});
    }
}

ModelFixture BoxFixture(const ColorF& colour, float h)
{
    ModelFixture f;
    f.name = "box";
    FixtureMesh mesh;
    mesh.name = "box";
    const Vector3D axes[3] = {{h, 0, 0}, {0, h, 0}, {0, 0, h}};
    for (int axis = 0; axis < 3; ++axis)
        for (float side : {-1.0f, 1.0f})
        {
            const Vector3D& u = axes[(axis + 1) % 3];
            const Vector3D& v = axes[(axis + 2) % 3];
            AddFace(mesh, axes[axis] * side - u - v, u * 2.0f, v * 2.0f, axes[axis] * (side / h));
        }
    f.meshes = {mesh};
    FixtureMaterial material;
    material.name = "paint";
    material.baseColor = colour;
    f.materials = {material};
    return f;
}

ModelFixture SphereFixture(const ColorF& colour, float r, int rings, int segments)
{
    FixtureMesh mesh;
    mesh.name = "sphere";
    for (int ring = 0; ring <= rings; ++ring)
    {
        const float theta = 3.14159265f * float(ring) / float(rings);
        for (int s = 0; s <= segments; ++s)
        {
            const float phi = 6.28318531f * float(s) / float(segments);
            FixtureVertex v;
            v.normal = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            v.position = v.normal * r;
            v.u = float(s) / float(segments);
            v.v = float(ring) / float(rings);
            mesh.vertices.push_back(v);
        }
    }
    const uint32_t row = uint32_t(segments + 1);
    const auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        const Vector3D& pa = mesh.vertices[a].position;
        const Vector3D outward = pa + mesh.vertices[b].position + mesh.vertices[c].position;
        if ((mesh.vertices[b].position - pa).Cross(mesh.vertices[c].position - pa).Dot(outward) < 0.0f)
            std::swap(b, c);
        mesh.indices.insert(mesh.indices.end(), {a, b, c});
    };
    for (uint32_t ring = 0; ring < uint32_t(rings); ++ring)
        for (uint32_t s = 0; s < uint32_t(segments); ++s)
        {
            const uint32_t a = ring * row + s;
            if (ring > 0)
                triangle(a, a + 1, a + row + 1);
            if (ring + 1 < uint32_t(rings))
                triangle(a, a + row + 1, a + row);
        }
    ModelFixture f;
    f.name = "sphere";
    f.meshes = {mesh};
    FixtureMaterial material;
    material.name = "paint";
    material.baseColor = colour;
    f.materials = {material};
    return f;
}

FixtureMesh Square(const std::string& name, float x0, float y0, float x1, float y1, float z)
{
    FixtureMesh mesh;
    mesh.name = name;
    AddFace(mesh, {x0, y0, z}, {x1 - x0, 0, 0}, {0, y1 - y0, 0}, {0, 0, -1});
    return mesh;
}

} // namespace OrvaneTest
