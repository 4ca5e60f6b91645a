// Model materials against the recording 3D fakes: one record handed to the scene model and the resource,
// the shadow cases, scene-image names and texture references, material files, and the reset of all materials.
#include "ModelFixture.h"

#include "model/CModelMaterial.h"
#include "model/CModelTextureAnimationManager.h"

#include "support/FakeCore.h"
#include "support/FakeRender.h"

#include <kavro/ColorF.h>

#include <algorithm>
#include <cstring>

using namespace OrvaneTest;
using Orvane::CModel;
using Orvane::CModelTextureAnimationManager;
using Orvane::MaterialRecord;
using Strings = std::vector<std::string>;

namespace
{

MaterialRecord zeroRecord()
{
    MaterialRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

void setName(char (&field)[MaterialRecord::NameSize], const char* name)
{
    std::memset(field, 0, sizeof field);
    std::strncpy(field, name, sizeof field - 1);
}

// Every field set to a value of its own, so a value in the wrong place shows.
MaterialRecord fullRecord()
{
    MaterialRecord r = zeroRecord();
    r.version = 2;
    r.visible = 1;
    r.blendMode = 3;
    r.cullMode = 2;
    r.alphaTestEnable = 1;
    r.alphaTestBoundary = 128;
    r.zWriteEnable = 1;
    r.diffuseMapEnable = 1;
    setName(r.diffuseMapFile, "d.png");
    r.diffuseScroll[0] = 100.0f;
    r.diffuseScroll[1] = -50.0f;
    r.secondDiffuseEnable = 1;
    setName(r.secondDiffuseFile, "SCENE");
    r.secondDiffusePower = 0.5f;
    r.specularMapEnable = 1;
    setName(r.specularMapFile, "s.png");
    r.normalMapEnable = 1;
    setName(r.normalMapFile, "n.png");
    r.normalScroll[0] = 25.0f;
    r.reflectionMapEnable = 1;
    r.reflectionType = 4;
    setName(r.reflectionMapFile, "r.png");
    r.reflectionPower = 0.25f;
    r.diffuseColor = {0.5f, 0.25f, 1.0f};
    r.diffusePower = 2.0f;
    r.diffuseValue = 7;
    r.ambientColor = {1.0f, 0.5f, 0.25f};
    r.ambientPower = 0.5f;
    r.emissiveColor = {1.0f, 1.0f, 0.0f};
    r.emissivePower = 3.0f;
    r.specularColor = {0.5f, 0.5f, 0.5f};
    r.specularPower = 4.0f;
    r.specularDiffusion = 0.75f;
    r.specularSharpness = 1.5f;
    r.specularValue = 9;
    r.specularValue2 = 2.5f;
    r.specularShininess = 16.0f;
    r.hemisphereEnable = 1;
    r.hemisphereUp[1] = 1.0f;
    r.hemispherePower = 0.5f;
    r.skyColor = {1.0f, 0.5f, 0.0f};
    r.skyPower = 2.0f;
    r.groundColor = {0.0f, 0.25f, 0.5f};
    r.groundPower = 4.0f;
    r.rimEnable = 1;
    r.rimColor = {1.0f, 0.0f, 0.5f};
    r.rimPower = 2.0f;
    r.rimRange = 0.375f;
    r.rimEffectiveLight = 2;
    r.shadowCaster = 1;
    r.shadowReceiver = 1;
    r.shadowColor = {0.25f, 0.5f, 0.75f};
    r.shadowPower = 0.625f;
    r.shadowOffset = 0.125f;
    r.shadowSelector = 5;
    r.reserved0 = 99;
    r.reserved1[0] = r.reserved1[1] = r.reserved1[2] = 99.0f;
    r.reserved2 = 99.0f;
    r.toonEnable = 1;
    setName(r.toonFile, "toon.png");
    r.edgeColor = {0.0f, 0.5f, 1.0f};
    r.edgePower = 1.5f;
    setName(r.edgeFile, "edge.png");
    r.fogEnable = 1;
    r.shadowAttribute = 1;
    r.diffuseAddressing[0] = 1;
    r.specularScroll[0] = 3.0f;
    r.normalAddressing[1] = 2;
    return r;
}

std::vector<uint8_t> bytesOf(const MaterialRecord& r)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&r);
    return {p, p + sizeof r};
}

class MaterialTest : public ModelTest
{
protected:
    // The library calls of both kinds, without the fakes' queries.
    Strings textureLoads() const
    {
        Strings out;
        for (const std::string& call : t.core->log.calls())
            if (call.rfind("loadTexture(", 0) == 0)
                out.push_back(call);
        return out;
    }
    Strings textureReleases() const
    {
        Strings out;
        for (const std::string& call : t.core->log.calls())
            if (call.rfind("release(", 0) == 0)
                out.push_back(call);
        return out;
    }
    // The speed of the texture animation entry of that kind and names, or (-1, -1) when there is none.
    Kavro::Vector2D animationSpeed(CModel* model, int32_t kind, const std::string& mesh, const std::string& material)
    {
        for (const auto& entry : model->getTextureAnimation()->getEntries())
            if (entry.kind == kind && entry.firstName == mesh && entry.secondName == material)
                return entry.speed;
        return Kavro::Vector2D(-1.0f, -1.0f);
    }
};

} // namespace

TEST_F(MaterialTest, AFullRecordReachesTheSceneModelThenTheResourceStepByStepWithFogLast)
{
    CModel* model = loaded();
    t.core->render->noteTextureReleases = true;
    const MaterialRecord record = fullRecord();
    ASSERT_EQ(model->setMaterialTable("", "body", "skin", &record), 0);

    const std::string names = "(\"body\", \"skin\", ";
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"setMaterialVisible", "1)"},
        {"setMaterialZWrite", "1)"},
        {"setMaterialDiffuseMap", "{1 d.png 1 0 0 0 1 null 0.5 1 0 0})"},
        {"setMaterialSpecularMap", "{1 s.png})"},
        {"setMaterialNormalMap", "{1 n.png})"},
        {"setMaterialReflectionMap", "{1 r.png 4 0.25})"},
        {"setMaterialDiffuseColor", "{{1 0.5 2 2} 7})"},
        {"setMaterialAmbientColor", "{{0.5 0.25 0.125 0.5}})"},
        {"setMaterialEmissiveColor", "{{3 3 0 3}})"},
        {"setMaterialSpecularColor", "{{2 2 2 4} 0.75 1.5 9 2.5 16})"},
        {"setMaterialHemisphereLight", "{1 (0 1 0) 0.5 {2 1 0 2} {0 1 2 4}})"},
        {"setMaterialRimLight", "{1 {2 0 1 2} 0.375 2})"},
        {"setMaterialShadow",
         "{1 1 {0.25 0.5 0.75 1} 0.625 0.125 1 1 {0.25 0.5 0.75 1} 0.625 0 1})"},
    };
    Strings expected;
    for (const auto& [op, value] : steps)
        for (const char* target : {"sceneModel1.", "model1."})
            expected.push_back(Join({target, op, names, value}));
    for (const char* target : {"sceneModel1.", "model1."})
        for (int i = 0; i < 3; ++i)
            expected.push_back(Join({target, "setMeshMaterialFlag(\"body\", 1)"}));
    const std::vector<std::pair<std::string, std::string>> lastSteps = {
        {"setMaterialToon", "{1 toon.png {0 0.5 1 1} 1.5 edge.png})"},
        {"setMaterialAlphaTest", "128)"},
        {"setMaterialBlendMode", "3)"},
        {"setMaterialCullMode", "2)"},
    };
    for (const auto& [op, value] : lastSteps)
        for (const char* target : {"sceneModel1.", "model1."})
            expected.push_back(Join({target, op, names, value}));
    expected.push_back("sceneModel1.setMaterialFog(\"body\", \"skin\", 1)");
    EXPECT_EQ(log.calls(), expected);

    // Scrolls are in hundredths; "SCENE" loads nothing; each loaded texture is let go once.
    EXPECT_FLOAT_EQ(animationSpeed(model, CModelTextureAnimationManager::ColorUV, "body", "skin").x, 1.0f);
    EXPECT_FLOAT_EQ(animationSpeed(model, CModelTextureAnimationManager::ColorUV, "body", "skin").y, -0.5f);
    EXPECT_FLOAT_EQ(animationSpeed(model, CModelTextureAnimationManager::BumpUV, "body", "skin").x, 0.25f);
    const Strings loads = {"loadTexture(d.png, 0, 0)", "loadTexture(s.png, 0, 0)",
                           "loadTexture(n.png, 0, 0)", "loadTexture(r.png, 0, 0)",
                           "loadTexture(toon.png, 0, 0)", "loadTexture(edge.png, 0, 0)"};
    EXPECT_EQ(textureLoads(), loads);
    Strings releases = textureReleases();
    std::sort(releases.begin(), releases.end());
    EXPECT_EQ(releases, (Strings{"release(d.png)", "release(edge.png)", "release(n.png)", "release(r.png)",
                                 "release(s.png)", "release(toon.png)"}));
}

TEST_F(MaterialTest, FogFollowsOnlyRecordsOfVersionTwoOrMoreComparedUnsigned)
{
    CModel* model = loaded();
    const struct
    {
        int32_t version;
        bool fog;
    } cases[] = {{0, false}, {1, false}, {2, true}, {7, true}, {-1, true}};
    for (const auto& c : cases)
    {
        MaterialRecord record = zeroRecord();
        record.version = c.version;
        record.fogEnable = 1;
        log.clear();
        model->setMaterialTable("", "", "", &record);
        const Strings fog = calls({"setMaterialFog"});
        EXPECT_EQ(fog, c.fog ? Strings{"sceneModel1.setMaterialFog(null, null, 1)"} : Strings{}) << c.version;
    }
}

TEST_F(MaterialTest, TheShadowBlockFollowsVersionAttributeAndSelector)
{
    CModel* model = loaded();
    const std::string colour = "{1 0.5 0.25 1}";
    const struct
    {
        int32_t version, attribute, caster, receiver, selector;
        // caster and receiver, strength, caster and receiver again, mode
        std::string first, strength, second, mode;
    } cases[] = {
        {2, 1, 1, 1, 0, "1 1", "0.5", "1 1", "1"},
        {2, 0, 1, 1, 0, "0 0", "0", "0 1", "0"},
        // Compared as a whole integer: 257 is not 1, though its low byte is.
        {2, 257, 1, 0, 0, "0 0", "0", "1 0", "1"},
        {3, 0x1F4, 0, 1, 0, "0 0", "0", "0 1", "244"},
        {1, 5, 0, 1, 0, "0 1", "0.5", "0 1", "1"},
        {1, 1, 0, 0, 7, "0 0", "0", "0 0", "2"},
        {0, 1, 0, 0, 0, "0 0", "0", "0 0", "0"},
        // A negative version is a large unsigned one.
        {-1, 1, 0, 0, 7, "0 0", "0.5", "0 0", "1"},
    };
    for (const auto& c : cases)
    {
        MaterialRecord record = zeroRecord();
        record.version = c.version;
        record.shadowAttribute = c.attribute;
        record.shadowCaster = c.caster;
        record.shadowReceiver = c.receiver;
        record.shadowSelector = c.selector;
        record.shadowColor = {1.0f, 0.5f, 0.25f};
        record.shadowPower = 0.5f;
        record.shadowOffset = 0.25f;
        log.clear();
        model->setMaterialTable("", "", "m", &record);
        const std::string block =
            Join({"{", c.first, " ", colour, " ", c.strength, " 0.25 ", c.second, " ", colour, " 0.5 0 ", c.mode, "}"});
        EXPECT_EQ(calls({"setMaterialShadow"}),
                  (Strings{Join({"sceneModel1.setMaterialShadow(null, \"m\", ", block, ")"}),
                           Join({"model1.setMaterialShadow(null, \"m\", ", block, ")"})}))
            << c.version << " " << c.attribute;
    }
}

TEST_F(MaterialTest, OnlyTheExactNameSceneStandsForTheSceneImage)
{
    CModel* model = loaded();
    t.core->render->noteTextureReleases = true;
    t.core->render->missingTextures = {"gone.png"};
    const struct
    {
        const char* first;
        const char* second;
        Strings loads;
        std::string block;
    } cases[] = {
        {"SCENE", "scene", {"loadTexture(scene, 0, 0)"}, "{0 null 1 0 0 1 0 scene 0 0 0 0}"},
        {"Scene", "SCENE", {"loadTexture(Scene, 0, 0)"}, "{0 Scene 1 0 0 0 0 null 0 1 0 0}"},
        {"SCENE ", "", {"loadTexture(SCENE , 0, 0)"}, "{0 SCENE  1 0 0 0 0 null 0 0 0 0}"},
        {"gone.png", "", {"loadTexture(gone.png, 0, 0)"}, "{0 null 1 0 0 0 0 null 0 0 0 0}"},
    };
    for (const auto& c : cases)
    {
        MaterialRecord record = zeroRecord();
        setName(record.diffuseMapFile, c.first);
        setName(record.secondDiffuseFile, c.second);
        log.clear();
        t.core->log.clear();
        model->setMaterialTable("", "", "", &record);
        EXPECT_EQ(textureLoads(), c.loads) << c.first;
        EXPECT_EQ(calls({"setMaterialDiffuseMap"}).at(0),
                  Join({"sceneModel1.setMaterialDiffuseMap(null, null, ", c.block, ")"}));
        EXPECT_EQ(textureReleases().size(), c.loads.size() - (std::string(c.first) == "gone.png" ? 1 : 0));
    }
}

TEST_F(MaterialTest, VisibilityAndDiffuseColourPickThePlainOrScopedOperation)
{
    CModel* model = loaded();
    model->setMaterialVisible("", "body", "", 0);
    model->setMaterialVisible("mesh.mdl", "", "skin", 1);
    model->setMaterialDiffuseColor("", "", "skin", Kavro::ColorF(1.0f, 0.5f, 0.25f, 1.0f), 3);
    model->setMaterialDiffuseColor("mesh.mdl", "body", "skin", Kavro::ColorF(0.0f, 0.0f, 1.0f, 1.0f), 0);
    const Strings expected = {
        "sceneModel1.setMaterialVisible(\"body\", null, 0)",
        "model1.setMaterialVisible(\"body\", null, 0)",
        "sceneModel1.setMaterialVisibleIn(\"mesh.mdl\", null, \"skin\", 1)",
        "model1.setMaterialVisibleIn(\"mesh.mdl\", null, \"skin\", 1)",
        "sceneModel1.setMaterialDiffuseColor(null, \"skin\", {{1 0.5 0.25 1} 3})",
        "model1.setMaterialDiffuseColor(null, \"skin\", {{1 0.5 0.25 1} 3})",
        "sceneModel1.setMaterialDiffuseColorIn(\"mesh.mdl\", \"body\", \"skin\", {{0 0 1 1} 0})",
        "model1.setMaterialDiffuseColorIn(\"mesh.mdl\", \"body\", \"skin\", {{0 0 1 1} 0})",
    };
    EXPECT_EQ(log.calls(), expected);

    RecordingModelResource* resource = fake.resources[0];
    resource->materialVisible = 0;
    EXPECT_EQ(model->getMaterialVisible("", "body", "skin"), 0);
    resource->materialVisible = 1;
    EXPECT_EQ(model->getMaterialVisible("mesh.mdl", "", "skin"), 1);
    resource->materialVisibleResult = -1;
    EXPECT_EQ(model->getMaterialVisible("", "", ""), 0);
    EXPECT_EQ(calls({"getMaterialVisible"}),
              (Strings{"model1.getMaterialVisible(null, \"body\", \"skin\")",
                       "model1.getMaterialVisible(\"mesh.mdl\", null, \"skin\")",
                       "model1.getMaterialVisible(null, null, null)"}));
}

TEST_F(MaterialTest, ClearMaterialResetsScrollsAndTheResourceThenRemakes)
{
    CModel* bare = make();
    bare->clearMaterial();
    EXPECT_TRUE(log.calls().empty());

    fake.models["m.mdl"].meshes = {{"body", {"skin", "cloth"}}, {"hair", {"h"}}};
    CModel* model = loaded();
    model->setAnimationColorUV("body", "cloth", Kavro::Vector2D(1.0f, 1.0f));
    model->setAnimationBumpUV("hair", "h", Kavro::Vector2D(0.0f, 2.0f));
    model->setAnimationColorUV("other", "x", Kavro::Vector2D(3.0f, 0.0f));
    model->clearMaterial();

    const Strings expected = {
        "model1.setMaterialVisible(null, null, 0)",
        "model1.setMaterialZWrite(null, null, 0)",
        "model1.setMaterialDiffuseMap(null, null, {0 null 1 0 0 0 0 null 0 0 0 0})",
        "model1.setMaterialSpecularMap(null, null, {0 null})",
        "model1.setMaterialNormalMap(null, null, {0 null})",
        "model1.setMaterialReflectionMap(null, null, {0 null 0 0})",
        "model1.setMaterialDiffuseColor(null, null, {{0 0 0 0} 0})",
        "model1.setMaterialAmbientColor(null, null, {{0 0 0 0}})",
        "model1.setMaterialEmissiveColor(null, null, {{0 0 0 0}})",
        "model1.setMaterialSpecularColor(null, null, {{0 0 0 0} 0 0 0 0 0})",
        "model1.setMaterialHemisphereLight(null, null, {0 (0 0 0) 0 {0 0 0 0} {0 0 0 0}})",
        "model1.setMaterialRimLight(null, null, {0 {0 0 0 0} 0 0})",
        "model1.setMaterialShadow(null, null, {0 0 {0 0 0 0} 0 0 0 0 {0 0 0 0} 0 0 0})",
        "model1.setMeshMaterialFlag(null, 0)",
        "model1.setMeshMaterialFlag(null, 0)",
        "model1.setMeshMaterialFlag(null, 0)",
        "model1.setMaterialToon(null, null, {0 null {0 0 0 0} 0 null})",
        "model1.setMaterialAlphaTest(null, null, 0)",
        "model1.setMaterialBlendMode(null, null, 0)",
        "model1.setMaterialCullMode(null, null, 1)",
        "scene.createSceneModel(model1)",
    };
    EXPECT_EQ(log.calls(), expected);
    EXPECT_EQ(model->getSceneModel(), scene(1));
    EXPECT_EQ(scene(0)->count(), 0);
    const Kavro::Vector2D still(0.0f, 0.0f);
    EXPECT_EQ(animationSpeed(model, CModelTextureAnimationManager::ColorUV, "body", "cloth"), still);
    EXPECT_EQ(animationSpeed(model, CModelTextureAnimationManager::BumpUV, "hair", "h"), still);
    // Names the resource does not list keep their scroll.
    EXPECT_EQ(animationSpeed(model, CModelTextureAnimationManager::ColorUV, "other", "x"), Kavro::Vector2D(3.0f, 0.0f));
}

TEST_F(MaterialTest, MaterialFilesGiveTheirFirstRecordAndShortFilesNothing)
{
    CModel* model = loaded();
    MaterialRecord record = zeroRecord();
    record.visible = 1;
    record.cullMode = 2;
    std::vector<uint8_t> bytes = bytesOf(record);

    dir.write("short.mat", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    EXPECT_EQ(model->loadMaterial("", "", "", "short.mat"), -1);
    EXPECT_EQ(model->loadMaterial("", "", "", "missing.mat"), -1);
    dir.write("empty.mat", {});
    EXPECT_EQ(model->loadMaterial("", "", "", "empty.mat"), -1);
    EXPECT_TRUE(log.calls().empty());
    EXPECT_TRUE(textureLoads().empty());

    bytes.insert(bytes.end(), 16, 0xFF);
    dir.write("long.mat", bytes);
    EXPECT_EQ(model->loadMaterial("", "body", "", "long.mat"), 0);
    EXPECT_EQ(calls({"setMaterialVisible", "setMaterialCullMode"}),
              (Strings{"sceneModel1.setMaterialVisible(\"body\", null, 1)", "model1.setMaterialVisible(\"body\", null, 1)",
                       "sceneModel1.setMaterialCullMode(\"body\", null, 2)",
                       "model1.setMaterialCullMode(\"body\", null, 2)"}));
}

TEST_F(MaterialTest, UnterminatedNamesInAFileEndAtTheirField)
{
    CModel* model = loaded();
    t.core->render->noteTextureReleases = true;
    MaterialRecord record = zeroRecord();
    char letter = 'a';
    for (char* field : {record.diffuseMapFile, record.secondDiffuseFile, record.specularMapFile, record.normalMapFile,
                        record.reflectionMapFile, record.toonFile, record.edgeFile})
        std::memset(field, letter++, MaterialRecord::NameSize);
    // What follows each field is not zero either.
    std::vector<uint8_t> bytes = bytesOf(record);
    for (size_t at : {544u, 1068u, 1588u, 2104u, 2632u, 3372u, 3900u})
        std::memset(&bytes[at], 'z', 4);
    dir.write("names.mat", bytes);
    ASSERT_EQ(model->loadMaterial("", "", "", "names.mat"), 0);

    Strings expected;
    for (char c = 'a'; c <= 'g'; ++c)
        expected.push_back(Join({"loadTexture(", std::string(MaterialRecord::NameSize, c), ", 0, 0)"}));
    EXPECT_EQ(textureLoads(), expected);
    EXPECT_EQ(textureReleases().size(), 7u);
}
