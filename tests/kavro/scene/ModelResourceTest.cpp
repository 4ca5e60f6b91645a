#include "ModelFixtures.h"

#include "fs/ArchiveFileSystem.h"
#include "render/RenderDeviceFactory.h"
#include "scene/CModelResource.h"
#include "support/DirectoryFileSystem.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/IModelAuxiliary.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ITexture.h>
#include <kavro/Wpk2Writer.h>

#include <tiny_gltf.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

namespace OrvaneTest
{
namespace
{

using namespace Kavro;

std::string Text(const std::function<int(char*, int)>& answer)
{
    char buffer[128];
    std::memset(buffer, 'x', sizeof buffer);
    return answer(buffer, sizeof buffer) >= 0 ? std::string(buffer) : std::string("<failed>");
}

void ExpectNear(const Matrix4x4& a, const Matrix4x4& b, float tolerance = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            ASSERT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "row " << r << " column " << c;
}

// A headless device over a fresh folder, or over a WPK2 archive of the same files.
class ModelResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        files_ = Ref<IFileSystem>::adopt(new DirectoryFileSystem(folder_.path()));
        device_ = Ref<IRenderDevice>::adopt(CreateRenderDevice(nullptr, 64, 64, files_.get()));
        ASSERT_TRUE(device_) << "no headless OpenGL 3.3 context";
    }

    void write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_FALSE(bytes.empty()) << name;
        folder_.write(name, bytes);
        written_.emplace_back(name, bytes);
    }

    // Moves every file written so far into one archive and loads through it from then on.
    void useArchive()
    {
        const auto key = BuildArchiveKey();
        Wpk2Writer writer(key);
        for (const auto& [name, bytes] : written_)
            writer.add(name, bytes);
        const std::string archive = folder_.file("models.wpk");
        ASSERT_TRUE(writer.writeFile(archive, nullptr));
        for (const auto& [name, bytes] : written_)
            std::filesystem::remove(folder_.path() / name);
        files_ = Ref<IFileSystem>::adopt(CreateArchiveFileSystem());
        const uint32_t keyLength = 32;
        ASSERT_EQ(files_->mount(archive.c_str(), key.data(), &keyLength), 0);
        device_ = Ref<IRenderDevice>::adopt(CreateRenderDevice(nullptr, 64, 64, files_.get()));
        ASSERT_TRUE(device_);
    }

    Ref<CModelResource> load(const char* path)
    {
        IModelResource* resource = device_->loadModel(path);
        auto* ours = dynamic_cast<CModelResource*>(resource);
        EXPECT_EQ(ours != nullptr, resource != nullptr);
        return Ref<CModelResource>::adopt(ours);
    }

    static std::vector<std::string> morphNames(const ModelMesh& mesh)
    {
        std::vector<std::string> names;
        for (const ModelMorphTarget& t : mesh.morphs)
            names.push_back(t.name);
        return names;
    }

    TempDirectory folder_;
    Ref<IFileSystem> files_;
    Ref<IRenderDevice> device_;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> written_;
};

TEST_F(ModelResourceTest, FixtureLoadsFromAFolderAndFromAnArchive)
{
    const ModelFixture fixture = ArmFixture();
    write("chara/arm.glb", WriteModelFixture(fixture));
    const std::vector<Matrix4x4> rest = FixtureRestMatrices(fixture);
    for (bool archive : {false, true})
    {
        SCOPED_TRACE(archive ? "archive" : "folder");
        if (archive)
            useArchive();
        Ref<CModelResource> model = load("chara/arm.glb");
        ASSERT_TRUE(model);

        const char* names[] = {"root", "upper", "lower", "head"};
        const char* parents[] = {nullptr, "root", "upper", "root"};
        ASSERT_EQ(model->frameData().size(), 4u);
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE(names[i]);
            ISceneFrame* frame = model->findFrame(names[i]);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(Text([&](char* b, int n) { return frame->getName(b, n); }), names[i]);
            ISceneFrame* parent = frame->getParent();
            EXPECT_EQ(parent ? Text([&](char* b, int n) { return parent->getName(b, n); }) : "", parents[i] ? parents[i] : "");
            ExpectNear(frame->getRestMatrix(), rest[size_t(i)]);
        }
        EXPECT_EQ(model->findFrame("root")->getChildCount(), 2);
        EXPECT_STREQ(model->findFrame("root")->getChildName(1), "head");
        EXPECT_EQ(model->findFrame("nobody"), nullptr);

        ASSERT_EQ(model->getMeshCount(), 2);
        EXPECT_EQ(Text([&](char* b, int n) { return model->getMeshName(0, b, n); }), "arm");
        EXPECT_EQ(Text([&](char* b, int n) { return model->getMeshName(1, b, n); }), "hat");
        EXPECT_EQ(model->getFileMeshCount("arm.glb"), 2);
        EXPECT_EQ(model->getMaterialCount(nullptr), 2);
        EXPECT_EQ(model->getMaterialCount("hat"), 1);
        EXPECT_EQ(Text([&](char* b, int n) { return model->getMaterialName("arm", 0, b, n); }), "skin");
        EXPECT_EQ(Text([&](char* b, int n) { return model->getFileMaterialName("arm.glb", "hat", 0, b, n); }),
                  "cloth");
        EXPECT_EQ(Text([&](char* b, int n) { return model->getModelName("arm.glb", b, n); }), "arm model");

        const ModelMesh& arm = *model->meshes()[0];
        EXPECT_EQ(arm.skin, 0);
        EXPECT_EQ(arm.vertices.size(), fixture.meshes[0].vertices.size());
        EXPECT_EQ(arm.indices, fixture.meshes[0].indices);
        EXPECT_EQ(morphNames(arm), (std::vector<std::string>{"smile", "frown"}));
        EXPECT_NEAR(arm.morphs[1].positions[3].y, 0.2f, 1e-6f);
        EXPECT_NEAR(arm.morphs[1].normals[3].z, 0.5f, 1e-6f);
        ASSERT_EQ(model->skins()[0].joints, (std::vector<int>{1, 2}));
        ExpectNear(model->skins()[0].inverseBind[1], rest[2].Inverse());
        // The skin's texture came through the device; the cloth keeps its colour.
        const MaterialState& skin = arm.materials[0].state;
        ASSERT_TRUE(skin.diffuseTexture);
        EXPECT_EQ(skin.diffuseMap.texture, skin.diffuseTexture.get());
        EXPECT_EQ(skin.diffuseTexture->getSize()[0], 2);
        EXPECT_EQ(model->meshes()[1]->materials[0].state.diffuseColor.color.g, 0.0f);
        EXPECT_EQ(model->meshes()[1]->frame, 3);

        ASSERT_EQ(model->motions().size(), 1u);
        EXPECT_EQ(model->motions()[0]->name, "wave");
        EXPECT_EQ(model->motions()[0]->clip.tracks[0].frame, "lower");
        EXPECT_NEAR(model->motions()[0]->clip.tracks[0].rotations[1].frame, 15.0f, 1e-4f);
        EXPECT_EQ(model->needsAuxiliary(), 0);
    }
}

TEST_F(ModelResourceTest, EveryLoadMakesItsOwnResource)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    Ref<CModelResource> a = load("arm.glb"), b = load("arm.glb");
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    a->setMeshVisible(nullptr, 0);
    EXPECT_EQ(b->getMeshVisible("arm.glb", "arm"), 1);
    EXPECT_FALSE(load("missing.glb"));
}

TEST_F(ModelResourceTest, MergedMeshesKeepTheirFileForVisibilityAndErasing)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    write("parts/cape.glb", WriteModelFixture(CapeFixture()));
    Ref<CModelResource> model = load("arm.glb");
    Ref<CModelResource> cape = load("parts/cape.glb");
    ASSERT_TRUE(model && cape);
    ASSERT_EQ(cape->setMeshVisible(nullptr, 0), 0);
    ASSERT_EQ(model->addMesh(cape.get()), 0);
    EXPECT_EQ(model->getMeshCount(), 4);
    EXPECT_EQ(model->getFileMeshCount("cape.glb"), 2);
    // Meshes come in the order of the node tree: the bag's frame before the cape's own root.
    EXPECT_EQ(Text([&](char* b, int n) { return model->getFileMeshName("cape.glb", 1, b, n); }), "cape");
    EXPECT_EQ(Text([&](char* b, int n) { return model->getModelName("cape.glb", b, n); }), "cape model");
    EXPECT_EQ(model->getFileMaterialCount("cape.glb", nullptr), 2);

    // The skinned cape is bound to this model's "upper"; the bag's frame is not here, so it hangs from the root.
    const ModelMesh& merged = *model->meshes()[3];
    ASSERT_GE(merged.skin, 1);
    EXPECT_EQ(model->skins()[size_t(merged.skin)].joints, (std::vector<int>{1}));
    EXPECT_EQ(model->meshes()[2]->frame, -1);

    // Visibility per file: the merged meshes came hidden; showing the file's meshes leaves the model's own.
    EXPECT_EQ(model->getMeshVisible("cape.glb", "cape"), 0);
    ASSERT_EQ(model->setFileMeshVisible("cape.glb", nullptr, 1), 0);
    EXPECT_EQ(model->getMeshVisible("cape.glb", "bag"), 1);
    ASSERT_EQ(model->setFileMeshVisible("arm.glb", "hat", 0), 0);
    EXPECT_EQ(model->getMeshVisible("arm.glb", "hat"), 0);
    EXPECT_EQ(model->getMeshVisible("arm.glb", "arm"), 1);
    EXPECT_LT(model->setFileMeshVisible("other.glb", nullptr, 1), 0);
    // The source resource keeps its own flags.
    EXPECT_EQ(cape->getMeshVisible("cape.glb", "cape"), 0);

    ASSERT_EQ(model->setMeshDrawToEnd("arm.glb", "arm"), 0);
    EXPECT_EQ(Text([&](char* b, int n) { return model->getMeshName(3, b, n); }), "arm");

    ASSERT_EQ(model->eraseMesh("cape.glb", "bag"), 0);
    EXPECT_EQ(model->getFileMeshCount("cape.glb"), 1);
    ASSERT_EQ(model->eraseMesh("cape.glb", nullptr), 0);
    EXPECT_EQ(model->getMeshCount(), 2);
    EXPECT_LT(model->eraseMesh("cape.glb", nullptr), 0);
    EXPECT_EQ(cape->getMeshCount(), 2);
}

TEST_F(ModelResourceTest, NameAnswersAreCutToTheBuffer)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    Ref<CModelResource> model = load("arm.glb");
    ASSERT_TRUE(model);
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(model->getModelName(nullptr, small, 4), 3);
    EXPECT_STREQ(small, "arm");
    EXPECT_LT(model->getMeshName(0, small, 0), 0);
    EXPECT_LT(model->getMeshName(7, small, 4), 0);
    EXPECT_LT(model->getMaterialName("arm", 1, small, 4), 0);
}

TEST_F(ModelResourceTest, MotionAndMorphFilesReadBackAsWritten)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    FixtureMotionTrack track{"lower",
                             {{0.0f, {0, 2, 0}}, {4.5f, {1, 2, 0}}},
                             {{0.0f, {}}, {9.0f, Quaternion::GetRotationAxis({0, 0, 1}, 45.0f)}},
                             {{2.0f, {1, 2, 1}}}};
    const std::vector<uint8_t> motion = WriteMotionFixture(24.0f, 10, {track});
    write("motion/bend.anm", motion);
    std::vector<Vector3D> deltas(18, Vector3D(0, 0, 0.25f));
    write("morph/pout.bin", WriteMorphFixture("arm", deltas, deltas));
    Ref<CModelResource> model = load("arm.glb");
    ASSERT_TRUE(model);

    ASSERT_EQ(model->loadMotion("motion/bend.anm"), 0);
    ASSERT_EQ(model->motions().size(), 2u);
    const NamedMotion& bend = *model->motions()[1];
    EXPECT_EQ(bend.name, "bend");
    EXPECT_EQ(bend.clip.frameRate, 24.0f);
    EXPECT_EQ(bend.clip.frameCount, 10u);
    ASSERT_EQ(bend.clip.tracks.size(), 1u);
    EXPECT_EQ(bend.clip.tracks[0].translations[1].frame, 4.5f);
    EXPECT_EQ(bend.clip.tracks[0].translations[1].value, Vector3D(1, 2, 0));
    EXPECT_NEAR(bend.clip.tracks[0].rotations[1].value.z, std::sin(22.5f * 3.14159265f / 180.0f), 1e-6f);
    EXPECT_EQ(bend.clip.tracks[0].scales[0].value, Vector3D(1, 2, 1));

    ASSERT_EQ(model->loadMorph(1, "pout", "morph/pout.bin"), 0);
    EXPECT_EQ(morphNames(*model->meshes()[0]), (std::vector<std::string>{"smile", "frown", "pout"}));
    EXPECT_EQ(model->meshes()[0]->morphs[2].normals[5].z, 0.25f);
    EXPECT_LT(model->loadMorph(2, "pout", "morph/pout.bin"), 0);
    ASSERT_EQ(model->eraseMorph("smile", "arm"), 0);
    EXPECT_EQ(morphNames(*model->meshes()[0]), (std::vector<std::string>{"frown", "pout"}));
    // clearMorph takes back what morph files added; the model's own targets stay.
    ASSERT_EQ(model->clearMorph(nullptr), 0);
    EXPECT_EQ(morphNames(*model->meshes()[0]), (std::vector<std::string>{"frown"}));

    ASSERT_EQ(model->eraseMotion("bend"), 0);
    EXPECT_EQ(model->motions().size(), 1u);
    EXPECT_LT(model->eraseMotion("bend"), 0);
}

TEST_F(ModelResourceTest, BrokenMotionAndMorphFilesChangeNothing)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    const std::vector<uint8_t> motion =
        WriteMotionFixture(30.0f, 5, {{"lower", {{0.0f, {0, 1, 0}}, {4.0f, {0, 2, 0}}}, {}, {}}});
    std::vector<Vector3D> deltas(18, Vector3D(0.5f, 0, 0));
    const std::vector<uint8_t> morph = WriteMorphFixture("arm", deltas, deltas);
    Ref<CModelResource> model = load("arm.glb");
    ASSERT_TRUE(model);
    const auto meshBefore = model->meshes()[0];
    for (size_t cut : {size_t(0), size_t(3), size_t(17), motion.size() - 1})
    {
        folder_.write("cut.anm", std::vector<uint8_t>(motion.begin(), motion.begin() + long(cut)));
        EXPECT_LT(model->loadMotion("cut.anm"), 0) << cut;
    }
    // Flips that break a rule: magic, version, the rate's sign, a track count past the file, the name length.
    for (size_t at : {size_t(0), size_t(4), size_t(11), size_t(16), size_t(20)})
    {
        std::vector<uint8_t> flipped = motion;
        flipped[at] ^= 0x80;
        write("flip.anm", flipped);
        EXPECT_LT(model->loadMotion("flip.anm"), 0) << at;
    }
    for (size_t cut : {size_t(8), morph.size() / 2, morph.size() - 1})
    {
        folder_.write("cut.bin", std::vector<uint8_t>(morph.begin(), morph.begin() + long(cut)));
        EXPECT_LT(model->loadMorph(1, "cut", "cut.bin"), 0) << cut;
    }
    // A morph for a mesh of another vertex count, or of a mesh the model lacks.
    write("short.bin", WriteMorphFixture("arm", {{1, 0, 0}}, {{0, 0, 0}}));
    write("other.bin", WriteMorphFixture("leg", deltas, deltas));
    EXPECT_LT(model->loadMorph(1, "short", "short.bin"), 0);
    EXPECT_LT(model->loadMorph(1, "other", "other.bin"), 0);
    EXPECT_EQ(model->motions().size(), 1u);
    EXPECT_EQ(model->meshes()[0], meshBefore);
}

TEST_F(ModelResourceTest, TruncatedOrFlippedGlbGivesNull)
{
    const std::vector<uint8_t> glb = WriteModelFixture(ArmFixture());
    ASSERT_FALSE(glb.empty());
    for (size_t cut = 0; cut < glb.size(); cut += cut < 64 ? 1 : 97)
    {
        folder_.write("cut.glb", std::vector<uint8_t>(glb.begin(), glb.begin() + long(cut)));
        ASSERT_FALSE(load("cut.glb")) << cut;
    }
    // The container's framing and the JSON's structure: every flip there is refused.
    const uint32_t jsonLength = uint32_t(glb[12]) | uint32_t(glb[13]) << 8 | uint32_t(glb[14]) << 16;
    for (size_t at : {size_t(0), size_t(4), size_t(8), size_t(12), size_t(16), size_t(20), size_t(20 + jsonLength - 1),
                      size_t(20 + jsonLength), size_t(20 + jsonLength + 4)})
    {
        std::vector<uint8_t> flipped = glb;
        flipped[at] ^= 0x40;
        write("flip.glb", flipped);
        EXPECT_FALSE(load("flip.glb")) << at;
    }
    // Elsewhere a flip may still leave a sound file; whatever it leaves must load or fail cleanly.
    for (size_t at = 20; at < glb.size(); at += 7)
    {
        std::vector<uint8_t> flipped = glb;
        flipped[at] ^= 0x10;
        write("flip.glb", flipped);
        load("flip.glb");
    }
}

// Files whose container and JSON are sound but whose content breaks the model's own rules.
TEST_F(ModelResourceTest, OutOfRangeContentGivesNull)
{
    const auto primitive = [](tinygltf::Model& m) -> tinygltf::Primitive& { return m.meshes[0].primitives[0]; };
    const auto bufferOf = [](tinygltf::Model& m, int accessor) {
        const tinygltf::Accessor& a = m.accessors[size_t(accessor)];
        const tinygltf::BufferView& v = m.bufferViews[size_t(a.bufferView)];
        return m.buffers[0].data.data() + v.byteOffset + a.byteOffset;
    };
    const std::vector<std::pair<const char*, std::function<void(tinygltf::Model&)>>> cases = {
        {"index past the vertices",
         [&](tinygltf::Model& m) {
             const uint32_t big = 400;
             std::memcpy(bufferOf(m, primitive(m).indices) + 4, &big, 4);
         }},
        {"accessor longer than its view", [&](tinygltf::Model& m) { m.accessors[0].count += 1; }},
        {"image view outside its buffer", [&](tinygltf::Model& m) { m.bufferViews[0].byteLength = 1u << 30; }},
        {"vertex view outside its buffer",
         [&](tinygltf::Model& m) {
             m.bufferViews[size_t(m.accessors[size_t(primitive(m).attributes["NORMAL"])].bufferView)].byteOffset = 1u << 30;
         }},
        {"stride smaller than an element",
         [&](tinygltf::Model& m) {
             m.bufferViews[size_t(m.accessors[size_t(primitive(m).attributes["POSITION"])].bufferView)].byteStride = 4;
         }},
        {"joint past the skin",
         [&](tinygltf::Model& m) {
             const uint16_t joint = 9;
             std::memcpy(bufferOf(m, primitive(m).attributes["JOINTS_0"]), &joint, 2);
         }},
        {"skin joint not a node", [&](tinygltf::Model& m) { m.skins[0].joints[1] = 40; }},
        {"inverse bind matrices short", [&](tinygltf::Model& m) { m.accessors[size_t(m.skins[0].inverseBindMatrices)].count = 1; }},
        {"node cycle", [&](tinygltf::Model& m) { m.nodes[2].children.push_back(0); }},
        {"child taken twice", [&](tinygltf::Model& m) { m.nodes[3].children.push_back(2); }},
        {"mesh out of range", [&](tinygltf::Model& m) { m.nodes[3].mesh = 12; }},
        {"material out of range", [&](tinygltf::Model& m) { primitive(m).material = 12; }},
        {"positions of the wrong type", [&](tinygltf::Model& m) { m.accessors[size_t(primitive(m).attributes["POSITION"])].type = TINYGLTF_TYPE_VEC2; }},
        {"morph target of another length",
         [&](tinygltf::Model& m) { m.accessors[size_t(primitive(m).targets[0]["POSITION"])].count -= 1; }},
        {"animation keys without values", [&](tinygltf::Model& m) { m.accessors[size_t(m.animations[0].samplers[0].output)].count = 1; }},
        {"animation on a node that is not there", [&](tinygltf::Model& m) { m.animations[0].channels[0].target_node = 50; }},
    };
    for (const auto& [name, tamper] : cases)
    {
        SCOPED_TRACE(name);
        write("bad.glb", WriteModelFixture(ArmFixture(), tamper));
        EXPECT_FALSE(load("bad.glb"));
    }
    write("good.glb", WriteModelFixture(ArmFixture(), [](tinygltf::Model&) {}));
    EXPECT_TRUE(load("good.glb"));
}

TEST_F(ModelResourceTest, AnImageThatDoesNotDecodeLeavesTheSlotEmpty)
{
    write("arm.glb", WriteModelFixture(ArmFixture(), [](tinygltf::Model& m) {
              const tinygltf::BufferView& v = m.bufferViews[size_t(m.images[0].bufferView)];
              m.buffers[0].data[v.byteOffset + 1] = 'X'; // no longer a PNG signature
          }));
    Ref<CModelResource> model = load("arm.glb");
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->meshes()[0]->materials[0].state.diffuseTexture);
    EXPECT_EQ(model->meshes()[0]->materials[0].state.diffuseMap.enable, 0);
}

TEST_F(ModelResourceTest, ResourceMaterialSettingsMatchByMeshMaterialAndFile)
{
    write("arm.glb", WriteModelFixture(ArmFixture()));
    Ref<CModelResource> model = load("arm.glb");
    ASSERT_TRUE(model);
    DiffuseColorParam blue;
    blue.color = {0, 0, 1, 1};
    ASSERT_EQ(model->setMaterialDiffuseColor("hat", nullptr, &blue), 0);
    EXPECT_EQ(model->meshes()[1]->materials[0].state.diffuseColor.color.b, 1.0f);
    EXPECT_EQ(model->meshes()[0]->materials[0].state.diffuseColor.color.b, 1.0f); // white before, unchanged
    ASSERT_EQ(model->setMaterialVisibleIn("arm.glb", nullptr, "cloth", 0), 0);
    int visible = -1;
    ASSERT_EQ(model->getMaterialVisible(nullptr, "hat", "cloth", &visible), 0);
    EXPECT_EQ(visible, 0);
    EXPECT_LT(model->setMaterialVisibleIn("cape.glb", nullptr, nullptr, 0), 0);
    EXPECT_LT(model->setMaterialCullMode("leg", nullptr, 0), 0);
    EXPECT_LT(model->setMaterialDiffuseColor(nullptr, nullptr, nullptr), 0);

    // A texture set on a material is held by it.
    ITexture* texture = device_->createTexture(4, 4, 0, 0);
    DiffuseMapParam map;
    map.enable = 1;
    map.texture = texture;
    ASSERT_EQ(model->setMaterialDiffuseMap("arm", "skin", &map), 0);
    texture->release();
    EXPECT_EQ(model->meshes()[0]->materials[0].state.diffuseTexture->getSize()[0], 4);
}

TEST_F(ModelResourceTest, AuxiliaryDoesNothing)
{
    IModelAuxiliary* auxiliary = device_->createModelAuxiliary(1000);
    ASSERT_NE(auxiliary, nullptr);
    EXPECT_EQ(auxiliary->prepare(), 0);
    EXPECT_EQ(auxiliary->commit(), 0);
    auxiliary->release();
}

} // namespace
} // namespace OrvaneTest
