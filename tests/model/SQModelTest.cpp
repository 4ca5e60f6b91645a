// The model script class through the script host over the recording 3D fakes: table readers, link, the
// scene holder and the passes, loading, transforms, results in SQMATH_RET_*, the saved record, clones.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "model/Squirrel/MaterialTable.h"
#include "model/Squirrel/SQModel.h"
#include "script/SquirrelVM.h"
#include "script/TableReaders.h"
#include "sprite/CEffectShake.h"

#include "support/Fake3D.h"

#include <kavro/ISceneManager.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

using namespace OrvaneTest;
using Orvane::CModel;
using Orvane::SquirrelObject;
using Orvane::Squirrel::SQModel;
using Strings = std::vector<std::string>;

namespace
{

class SQModelTest : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        fake = std::make_unique<Fake3D>(log3d);
        FakeModelSpec spec;
        spec.motions = {{"a", 1000.0f, 1.0f}, {"b", 2000.0f, 1.0f}};
        fake->models["m.mdl"] = spec;
        fake->models["n.mdl"] = spec;
        core->attach(*fake);
        app->renderDevice = core->getRenderDevice();
        app->sceneManager = app->renderDevice->getSceneManager();
        app->sceneManager->addRef();
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 16.666666f;
    }
    void TearDown() override
    {
        host.reset();
        app->sceneManager->release();
        app->sceneManager = nullptr;
        app->renderDevice->release();
        app->renderDevice = nullptr;
        ScriptTaskFixture::TearDown();
        // Every library object must be back to zero references by now.
        fake.reset();
    }

    SQModel* binding(const std::string& name) { return dynamic_cast<SQModel*>(task->findTaskObject(name)); }
    CModel* model(const std::string& name) { return binding(name)->getEngineObject(); }
    // What the scene pass of a capture does with the binding: a node handed over while valid and visible.
    void capture(SQModel* b)
    {
        Orvane::ISceneObject* scene = b->getSceneObject();
        if (scene->isValid() && scene->isVisible())
            scene->addToScene();
    }
    Strings logged(std::initializer_list<std::string> ops)
    {
        Strings out;
        for (const std::string& call : log3d.calls())
            for (const std::string& op : ops)
                if (call.find(Join({".", op, "("})) != std::string::npos)
                    out.push_back(call);
        log3d.clear();
        return out;
    }
    std::vector<uint8_t> fileBytes(const std::string& name)
    {
        std::ifstream in(dir.file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    CallLog log3d;
    std::unique_ptr<Fake3D> fake;
};

uint32_t word(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

} // namespace

TEST_F(SQModelTest, TheClassRegistersItsMethods)
{
    ASSERT_EQ(runSnippet("::names <- 0; foreach (k, v in SQModel) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "103");
    EXPECT_EQ(eval("SQModel(5)"), "error: Incorrect function argument");
}

TEST_F(SQModelTest, TableReadersTakeOneTypedValueAndLeaveTheOutputAloneWhenTheyCannot)
{
    ASSERT_EQ(runSnippet("::t <- ({yes = true, f = 2.9, n = -2.9, s = \"word\", i = 3, seven = \"1234567\","
                         " eight = \"12345678\", nothing = null}); ::arr <- [1, 2]; ::str <- \"x\"; ::g <- ({g = 0.5});"),
              "");
    const SquirrelObject root = Orvane::SquirrelVM::GetRootTable();
    const SquirrelObject table = root.GetValue("t");

    const struct
    {
        const char* key;
        int result;
        int32_t out;
    } ints[] = {{"yes", 1, 1}, {"f", 1, 2}, {"n", 1, -2}, {"s", 1, 0}, {"i", 1, 3}, {"nothing", 1, 0}, {"none", 0, 77}};
    for (const auto& c : ints)
    {
        int32_t out = 77;
        EXPECT_EQ(Orvane::getTableInt(table, c.key, out), c.result) << c.key;
        EXPECT_EQ(out, c.out) << c.key;
    }
    const struct
    {
        const char* key;
        int result;
        float out;
    } floats[] = {{"i", 1, 3.0f}, {"yes", 1, 0.0f}, {"n", 1, -2.9f}, {"s", 1, 0.0f}, {"none", 0, 7.5f}};
    for (const auto& c : floats)
    {
        float out = 7.5f;
        EXPECT_EQ(Orvane::getTableFloat(table, c.key, out), c.result) << c.key;
        EXPECT_FLOAT_EQ(out, c.out) << c.key;
    }
    const struct
    {
        const char* key;
        int result;
        std::string out;
    } strings[] = {{"seven", 1, "1234567"}, {"eight", 0, ""}, {"f", 1, ""}, {"none", 0, "#######"}};
    for (const auto& c : strings)
    {
        char buffer[9];
        std::memset(buffer, '#', sizeof buffer);
        buffer[7] = '\0';
        EXPECT_EQ(Orvane::getTableString(table, c.key, buffer, 8), c.result) << c.key;
        EXPECT_EQ(std::string(buffer), c.out) << c.key;
        if (c.result == 0 && std::string(c.key) == "eight")
        {
            EXPECT_TRUE(std::all_of(buffer, buffer + 8, [](char b) { return b == 0; }));
        }
        EXPECT_EQ(buffer[8], '#') << "wrote past the size";
    }

    // Not a table: nothing is read or written, the string buffer not even cleared.
    for (const char* holder : {"arr", "str", "nothing"})
    {
        const SquirrelObject value = std::string(holder) == "nothing" ? SquirrelObject() : root.GetValue(holder);
        int32_t i = 5;
        float f = 5.0f;
        char text[4] = "abc";
        float r = 1, g = 2, b = 3;
        EXPECT_EQ(Orvane::getTableInt(value, "0", i), 0);
        EXPECT_EQ(Orvane::getTableFloat(value, "0", f), 0);
        EXPECT_EQ(Orvane::getTableString(value, "0", text, sizeof text), 0);
        Orvane::getTableColor(value, r, g, b);
        EXPECT_EQ(i, 5);
        EXPECT_EQ(f, 5.0f);
        EXPECT_STREQ(text, "abc");
        EXPECT_EQ(r + g + b, 6.0f) << holder;
    }
    float r = 1, g = 2, b = 3;
    Orvane::getTableColor(root.GetValue("g"), r, g, b);
    EXPECT_EQ(r, 1.0f);
    EXPECT_EQ(g, 0.5f);
    EXPECT_EQ(b, 3.0f);
}

TEST_F(SQModelTest, LinkHangsTheModelUnderTheNamedObjectAndRefusesALoop)
{
    ASSERT_EQ(runSnippet("::A <- SQModel(\"A\"); ::B <- SQModel(\"B\"); ::C <- SQModel(\"C\");"), "");
    CModel* a = model("A");
    CModel* b = model("B");
    CModel* c = model("C");
    EXPECT_EQ(a->getParent(), task);
    EXPECT_EQ(binding("A")->getParent(), nullptr); // the binding is no node of the frame tree

    ASSERT_EQ(runSnippet("::A.link(\"B\"); ::B.link(\"C\");"), "");
    EXPECT_EQ(a->getParent(), b);
    EXPECT_EQ(b->getParent(), c);
    ASSERT_EQ(runSnippet("::C.move(10.0, 0.0, 0.0, 0, 0); ::A.move(0.0, 1.0, 0.0, 0, 0);"), "");
    task->updateWorldMatrix();
    EXPECT_EQ(a->world, Kavro::Matrix4x4::GetTranslation(10, 1, 0));

    // C under A would close the loop A -> B -> C -> A: refused, C keeps its parent.
    ASSERT_EQ(runSnippet("::C.link(\"A\"); ::C.link(\"C\");"), "");
    EXPECT_EQ(c->getParent(), task);
    task->updateWorldMatrix(); // would recurse for ever with a loop
    EXPECT_EQ(a->world, Kavro::Matrix4x4::GetTranslation(10, 1, 0));

    ASSERT_EQ(runSnippet("::A.link(\"\");"), "");
    EXPECT_EQ(a->getParent(), task);
    EXPECT_EQ(a->world, Kavro::Matrix4x4::GetTranslation(0, 1, 0)); // recomputed at once
    ASSERT_EQ(runSnippet("::B.link(\"nobody\");"), "");
    EXPECT_EQ(b->getParent(), task);
    EXPECT_EQ(eval("::A.link(null)"), "error: Incorrect function argument");
}

TEST_F(SQModelTest, AnErasedModelHandsNoNodeToTheSceneButKeepsAnimating)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\"); ::m.setMotion(\"a\");"), "");
    SQModel* b = binding("m");
    EXPECT_EQ(b->draw(), 0);
    b->render();
    log3d.clear();
    capture(b);
    EXPECT_EQ(logged({"addSceneNode"}), Strings{"scene.addSceneNode(sceneModel2)"});

    ASSERT_EQ(runSnippet("::m.setErase(1);"), "");
    b->render();
    EXPECT_EQ(b->getSceneObject()->isVisible(), 0);
    EXPECT_EQ(b->sceneHolder.getSceneNode(), nullptr);
    log3d.clear();
    capture(b);
    b->update();
    const Strings updated = logged({"addSceneNode", "advanceMotion", "setWorldMatrix"});
    EXPECT_EQ(updated, Strings{"sceneModel2.advanceMotion(0, 16.6667)"});

    ASSERT_EQ(runSnippet("::m.setErase(0);"), "");
    b->render();
    capture(b);
    EXPECT_EQ(logged({"addSceneNode"}), Strings{"scene.addSceneNode(sceneModel2)"});
}

TEST_F(SQModelTest, LoadModelReparentsAndRefreshesTheHolderLoadEmotionDoesNeither)
{
    ASSERT_EQ(runSnippet("::p <- SQModel(\"p\"); ::m <- SQModel(\"m\"); ::m.link(\"p\");"), "");
    EXPECT_EQ(eval("::m.loadModel(\"m.mdl\")"), "0");
    CModel* m = model("m");
    EXPECT_EQ(m->getParent(), task);
    // The loaded instance is replaced by a fresh one, which the holder keeps.
    EXPECT_EQ(fake->sceneModels.size(), 2u);
    EXPECT_EQ(binding("m")->sceneHolder.get(), m->getSceneModel());
    EXPECT_EQ(fake->sceneModels[0]->count(), 0);
    EXPECT_EQ(fake->sceneModels[1]->count(), 2); // the model's and the holder's

    ASSERT_EQ(runSnippet("::m.link(\"p\");"), "");
    EXPECT_EQ(eval("::m.loadEmotion(\"n.mdl\")"), "0");
    EXPECT_EQ(m->getParent(), model("p"));
    EXPECT_EQ(binding("m")->sceneHolder.get(), fake->sceneModels[1]); // not refreshed
    EXPECT_EQ(eval("::m.loadEmotion(\"x.mdl\")"), "-1");

    // A file that does not load: -1, and the old scene model is still drawn.
    ASSERT_EQ(runSnippet("::m.remake();"), "");
    Kavro::ISceneModel* shown = m->getSceneModel();
    EXPECT_EQ(eval("::m.loadModel(\"missing.mdl\")"), "-1");
    EXPECT_EQ(m->getParent(), model("p"));
    EXPECT_EQ(m->getSceneModel(), shown);
    EXPECT_EQ(binding("m")->sceneHolder.get(), shown);
    binding("m")->render();
    log3d.clear();
    capture(binding("m"));
    EXPECT_EQ(logged({"addSceneNode"}).size(), 1u);
}

TEST_F(SQModelTest, ScaleAndRotateWithNoTimeTakeEffectWithinTheCallMoveOnlyRebuilds)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\"); ::m.setMotion(\"a\");"), "");
    log3d.clear();
    ASSERT_EQ(runSnippet("::m.scale(2.0, 2.0, 2.0, 0, 0);"), "");
    const Strings scaled = {"sceneModel2.setWorldMatrix(identity)", "sceneModel2.applyTransform(1)",
                            "sceneModel2.setMotionBlendRate(0)",    "sceneModel2.advanceMotion(0, 0)",
                            "sceneModel2.setWorldMatrix(identity)", "sceneModel2.applyTransform(1)"};
    EXPECT_EQ(logged({"setWorldMatrix", "applyTransform", "setMotionBlendRate", "advanceMotion"}), scaled);
    EXPECT_EQ(model("m")->local, Kavro::Matrix4x4::GetScaling(2, 2, 2));

    ASSERT_EQ(runSnippet("::m.rotate(0.0, 0.0, 90.0, 0, 99);"), "");
    EXPECT_EQ(logged({"advanceMotion"}), Strings{"sceneModel2.advanceMotion(0, 0)"});

    ASSERT_EQ(runSnippet("::m.move(1.0, 2.0, 3.0, 0, 0);"), "");
    EXPECT_EQ(logged({"advanceMotion", "applyTransform"}), Strings{"sceneModel2.applyTransform(1)"});
    EXPECT_EQ(model("m")->transformDirty, 0);

    // With a time the ease only starts.
    ASSERT_EQ(runSnippet("::m.scale(1.0, 1.0, 1.0, 100, 0);"), "");
    EXPECT_TRUE(logged({"advanceMotion", "applyTransform"}).empty());
    EXPECT_EQ(eval("::m.isScaling()"), "1");
    EXPECT_EQ(eval("::m.scale(1, 1, 1, 0, 0)"), "error: Incorrect function argument");
}

TEST_F(SQModelTest, VectorsGoToTheResultVariablesAndShakesReadTheInputVariables)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.move(1.5, -2.0, 3.0, 0, 0); ::r <- ::m.getMove();"), "");
    EXPECT_EQ(results(), "1.5,-2,3,0");
    EXPECT_EQ(eval("::r == null"), "true");
    ASSERT_EQ(runSnippet("::m.getScale();"), "");
    EXPECT_EQ(results(), "1,1,1,0");

    ASSERT_EQ(runSnippet("SQMATH_V3_1_X = 1.0; SQMATH_V3_1_Y = 2.0; SQMATH_V3_1_Z = 3.0;"
                         "SQMATH_V3_2_X = 4.0; SQMATH_V3_2_Y = 5.0; SQMATH_V3_2_Z = 6.0;"
                         "::m.shake(100, 1, 1000, 2, 3);"),
              "");
    const Orvane::CEffectShake* shake = model("m")->getShake();
    ASSERT_NE(shake, nullptr);
    EXPECT_EQ(shake->amplitude.from, Kavro::Vector3D(1, 2, 3));
    EXPECT_EQ(shake->amplitude.to, Kavro::Vector3D(4, 5, 6));
    EXPECT_EQ(shake->period, 100u);
    EXPECT_EQ(shake->swingEasing, 3);
    EXPECT_EQ(shake->getDuration(), 1000.0f);
    ASSERT_EQ(runSnippet("::m.randomShake(100, 1, 500, 0, 0);"), "");
    EXPECT_EQ(model("m")->getShake()->type, 2u);
}

TEST_F(SQModelTest, MorphQueriesAnswerForUnsetChannels)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::n <- ::m.getActiveMorphName(\"mouth\");"), "");
    EXPECT_EQ(eval("\"[\" + ::n.start + \"][\" + ::n.end + \"]\""), "[][]");
    EXPECT_EQ(eval("::m.getMorphWeight(\"mouth\")"), "0");
    ASSERT_EQ(runSnippet("::m.loadModel(\"m.mdl\"); ::m.setMorph(\"mouth\", \"\", \"b\"); ::m.setMorph(\"mouth\", \"\", \"c\");"
                         "::n <- ::m.getActiveMorphName(\"mouth\");"),
              "");
    EXPECT_EQ(eval("::n.start + \",\" + ::n.end"), "b,c");
}

TEST_F(SQModelTest, QueriesBeforeAModelIsLoadedAnswerWithoutTheLibrary)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::v <- Vector3D(); ::from <- Vector3D(); ::to <- Vector3D(); ::to.x = 1.0;"), "");
    const std::pair<std::string, std::string> cases[] = {
        {"::m.getMeshNum(\"\")", "0"},
        {"::m.getMeshName(\"\", 0)", "(null : 0x(nil))"},
        {"::m.getModelName(\"x.mdl\")", "(null : 0x(nil))"},
        {"::m.getMeshVisible(\"x\", \"y\")", "0"},
        {"::m.getMorphNum(\"x\")", "0"},
        {"::m.getMorphName(\"x\", 0)", "(null : 0x(nil))"},
        {"::m.checkHitCollisionLine(\"x\", 0.0, 0.0, 0.0, 1.0, 1.0, 1.0)", "0"},
        {"::m.checkSortHitCollisionLine(::v, ::from, ::to)", "(null : 0x(nil))"},
        {"::m.checkHitCollisionPoint(\"x\", 0.0, 0.0, 0.0)", "0"},
        {"::m.getMoveTimer()", "0"},
        {"::m.getSplineTimer()", "0"},
        {"::m.getShakeTimer()", "0"},
        {"::m.loadMotion(\"a.anm\")", "0"},
        {"::m.loadMesh(\"mesh.mdl\")", "0"},
        {"::m.loadMorph(\"a\", \"b\")", "-1"},
        {"::m.changeLayerActiveMotionFrameTime(0, 1.0, 0)", "-1"},
        {"::m.isMotionOver(3)", "1"},
        {"::m.getMotionMaxFrameTimeByName(\"a\")", "0"},
        {"::m.getMaterialNum(\"\", \"body\")", "0"},
        {"::m.getMaterialName(\"\", \"body\", 0)", "(null : 0x(nil))"},
        {"::m.getMaterialVisible(\"\", \"body\", \"skin\")", "0"},
    };
    for (const auto& [expression, answer] : cases)
        EXPECT_EQ(eval(expression), answer) << expression;
    ASSERT_EQ(runSnippet("::m.setMoveTimer(5.0); ::m.enablePhysics(1); ::m.physicsKinematic(1); ::m.resetPhysics();"
                         "::m.erasePhysicsObject(\"\"); ::m.setMotion(\"a\"); ::m.switchMotion(); ::m.waitMotion();"
                         "::m.clearMaterial();"),
              "");
    SQModel* b = binding("m");
    b->render();
    b->update();
    capture(b);
    EXPECT_EQ(b->getSceneObject()->isValid(), 0);
    EXPECT_EQ(log3d.calls(), Strings{"device.loadModel(\"mesh.mdl\")"});
}

TEST_F(SQModelTest, LoadedQueriesReachTheLibraryWithTheirBuffers)
{
    fake->models["m.mdl"].meshes = {{"body", {}}, {"arm", {}}};
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\"); ::v <- Vector3D();"
                         "::from <- Vector3D(); ::to <- Vector3D(); ::to.x = 1.0;"),
              "");
    fake->sceneModels[1]->hitName = "head";
    fake->sceneModels[1]->hitPoint = {1, 2, 3};
    EXPECT_EQ(eval("::m.checkSortHitCollisionLine(::v, ::from, ::to)"), "head");
    EXPECT_EQ(eval("::v.x + ::v.y + ::v.z"), "6");
    EXPECT_EQ(eval("::m.getMeshNum(\"\")"), "2");
    EXPECT_EQ(eval("::m.getMeshName(\"\", 1)"), "arm");
    EXPECT_EQ(eval("::m.getModelName(\"dir/hair.mdl\")"), "hair");
    fake->sceneModels[1]->hitName.clear();
    EXPECT_EQ(eval("::m.checkSortHitCollisionLine(::v, ::from, ::to) == null"), "true");
    log3d.clear();
    ASSERT_EQ(runSnippet("::m.setTimeScale(2.0); ::m.setPriority(3); ::m.enablePhysics(1);"), "");
    EXPECT_EQ(logged({"setTimeScale", "enablePhysics"}),
              (Strings{"sceneModel2.setTimeScale(2)", "sceneModel2.enablePhysics(1)"}));
    EXPECT_EQ(eval("::m.getPriority()"), "3");
    EXPECT_EQ(eval("::m.setTimeScale(1)"), "error: Incorrect function argument");
}

TEST_F(SQModelTest, TheSavedRecordIsFramedAndABadRecordNeverLeavesTheReaderInside)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::f <- SQFile(\"save\"); ::f.open(\"s.bin\", 1, 0);"
                         "::f.writeInteger(0x11223344); ::ok <- ::m.serialize(\"save\"); ::f.writeInteger(5);"
                         "::f.open(\"s.bin\", 0, 0);"),
              "");
    EXPECT_EQ(eval("::ok"), "1");
    const std::vector<uint8_t> bytes = fileBytes("s.bin");
    ASSERT_EQ(bytes.size(), 16u);
    EXPECT_EQ(word(bytes, 4), 12u); // end
    EXPECT_EQ(word(bytes, 8), 8u);  // mark: its own position
    EXPECT_EQ(word(bytes, 12), 5u);
    EXPECT_EQ(eval("::m.serialize(\"nofile\")"), "0");

    // Read back: good, then a bad mark, an end inside the record and an end past the file.
    const auto record = [](uint32_t end, uint32_t mark) {
        return Join({"::f.writeInteger(", std::to_string(end), "); ::f.writeInteger(", std::to_string(mark), ");"});
    };
    ASSERT_EQ(runSnippet(Join({"::f.open(\"r.bin\", 1, 0); ::f.writeInteger(0);", record(12, 8), record(24, 99),
                               "::f.writeInteger(0);", record(26, 28), record(1000, 36),
                               "::f.open(\"r.bin\", 0, 0); ::f.seekStart(4);"})),
              "");
    const struct
    {
        const char* result;
        const char* position;
    } reads[] = {{"1", "12"}, {"0", "24"}, {"0", "32"}, {"0", "40"}};
    for (const auto& r : reads)
    {
        EXPECT_EQ(eval("::m.deserialize(\"save\")"), r.result);
        EXPECT_EQ(eval("::f.getFilePosition()"), r.position);
    }
    EXPECT_EQ(eval("::m.deserialize(\"nofile\")"), "0");
}

TEST_F(SQModelTest, AClonedInstanceOwnsNothingAndItsMethodsFail)
{
    ASSERT_EQ(runSnippet("class MyModel extends SQModel { constructor(n) { SQModel.constructor(n); } }"
                         "::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\"); ::c <- clone ::m;"
                         "::d <- MyModel(\"d\"); ::e <- clone ::d;"),
              "");
    EXPECT_EQ(eval("::d.getErase()"), "0");
    for (const char* call : {"::c.getErase()", "::c.loadModel(\"n.mdl\")", "::e.getErase()", "::e.setMotion(\"a\")",
                             "::e.link(\"m\")"})
        EXPECT_EQ(eval(call), "error: Invalid Instance Type") << call;
    // The sources go first; the clones reach nothing that is gone.
    ASSERT_EQ(runSnippet("::m = null; ::d = null; collectgarbage();"), "");
    EXPECT_EQ(binding("m"), nullptr);
    EXPECT_EQ(eval("::c.getErase()"), "error: Invalid Instance Type");
    EXPECT_EQ(eval("::e.getErase()"), "error: Invalid Instance Type");
}

namespace
{

// A script table holding value under the dotted key path, written as script source.
std::string nestedTable(const std::string& path, const std::string& value)
{
    const size_t dot = path.find('.');
    if (dot == std::string::npos)
        return Join({"{", path, " = ", value, "}"});
    return Join({"{", path.substr(0, dot), " = ", nestedTable(path.substr(dot + 1), value), "}"});
}

} // namespace

TEST_F(SQModelTest, EachMaterialKeyPathFillsItsOwnFieldAndNothingElse)
{
    enum Type
    {
        Int,
        Float,
        Name,
        Color
    };
    // The record's layout as material files have it.
    const struct
    {
        const char* path;
        size_t offset;
        Type type;
    } keys[] = {
        {"version", 0, Int},
        {"visible", 4, Int},
        {"blend_mode", 8, Int},
        {"cull_mode", 12, Int},
        {"alpha_test.enable", 16, Int},
        {"alpha_test.boundary", 20, Int},
        {"z_write_enable", 24, Int},
        {"diffuse_map.enable", 28, Int},
        {"diffuse_map.filename", 32, Name},
        {"diffuse_map.uv_scroll.u", 544, Float},
        {"diffuse_map.uv_scroll.v", 548, Float},
        {"diffuse_map.multi_texture.enable", 552, Int},
        {"diffuse_map.multi_texture.filename", 556, Name},
        {"diffuse_map.multi_texture.power", 1068, Float},
        {"specular_map.enable", 1072, Int},
        {"specular_map.filename", 1076, Name},
        {"normal_map.enable", 1588, Int},
        {"normal_map.filename", 1592, Name},
        {"normal_map.uv_scroll.u", 2104, Float},
        {"normal_map.uv_scroll.v", 2108, Float},
        {"reflection_map.enable", 2112, Int},
        {"reflection_map.type", 2116, Int},
        {"reflection_map.filename", 2120, Name},
        {"reflection_map.power", 2632, Float},
        {"diffuse_color", 2636, Color},
        {"diffuse_color.power", 2648, Float},
        {"ambient_color", 2656, Color},
        {"ambient_color.power", 2668, Float},
        {"emissive_color", 2672, Color},
        {"emissive_color.power", 2684, Float},
        {"specular_color", 2688, Color},
        {"specular_color.power", 2700, Float},
        {"specular_color.diffusion", 2704, Float},
        {"specular_color.sharpness", 2708, Float},
        {"specular_color.shininess", 2720, Float},
        {"hemishere_light.enable", 2724, Int},
        {"hemishere_light.up.x", 2728, Float},
        {"hemishere_light.up.y", 2732, Float},
        {"hemishere_light.up.z", 2736, Float},
        {"hemishere_light.power", 2740, Float},
        {"hemishere_light.sky_color", 2744, Color},
        {"hemishere_light.sky_color.power", 2756, Float},
        {"hemishere_light.ground_color", 2760, Color},
        {"hemishere_light.ground_color.power", 2772, Float},
        {"rim_light.enable", 2776, Int},
        {"rim_light", 2780, Color},
        {"rim_light.power", 2792, Float},
        {"rim_light.range", 2796, Float},
        {"rim_light.effective_light", 2800, Int},
        {"shadow.is_caster", 2804, Int},
        {"shadow.is_receiver", 2808, Int},
        {"shadow.color", 2812, Color},
        {"shadow.power", 2824, Float},
        {"shadow.offset", 2828, Float},
        {"toon.enable", 2856, Int},
        {"toon.filename", 2860, Name},
        {"toon.edge.color", 3372, Color},
        {"toon.edge.power", 3384, Float},
        {"toon.edge.filename", 3388, Name},
        {"fog_enable", 3900, Int},
        {"shadow.attribute", 3908, Int},
        {"diffuse_map.addressing.u", 3912, Int},
        {"diffuse_map.addressing.v", 3916, Int},
        {"specular_map.uv_scroll.u", 3920, Float},
        {"specular_map.uv_scroll.v", 3924, Float},
        {"specular_map.addressing.u", 3928, Int},
        {"specular_map.addressing.v", 3932, Int},
        {"normal_map.addressing.u", 3936, Int},
        {"normal_map.addressing.v", 3940, Int},
    };
    ASSERT_EQ(sizeof(Orvane::MaterialRecord), 3944u);
    const SquirrelObject root = Orvane::SquirrelVM::GetRootTable();
    for (const auto& key : keys)
    {
        const std::string value = key.type == Int     ? "-7"
                                  : key.type == Float ? "2.5"
                                  : key.type == Name  ? "\"tex.png\""
                                                      : "{r = 0.25, g = 0.5, b = 0.75}";
        ASSERT_EQ(runSnippet(Join({"::t <- ", nestedTable(key.path, value), ";"})), "") << key.path;
        Orvane::MaterialRecord record;
        std::memset(&record, 0, sizeof record);
        EXPECT_EQ(Orvane::Squirrel::readMaterialTable(root.GetValue("t"), record), 0);

        uint8_t expected[sizeof record] = {};
        const auto put = [&](size_t at, const auto& v) { std::memcpy(expected + at, &v, sizeof v); };
        switch (key.type)
        {
        case Int:
            put(key.offset, int32_t(-7));
            break;
        case Float:
            put(key.offset, 2.5f);
            break;
        case Name:
            std::memcpy(expected + key.offset, "tex.png", 7);
            break;
        case Color:
            put(key.offset, 0.25f);
            put(key.offset + 4, 0.5f);
            put(key.offset + 8, 0.75f);
            break;
        }
        EXPECT_EQ(std::memcmp(&record, expected, sizeof record), 0) << key.path;
    }
}

TEST_F(SQModelTest, TheMaterialReaderWritesOnlyWhatTheTableHolds)
{
    ASSERT_EQ(runSnippet("::t <- {diffuse_map = 5, specular_color = {power = 2, g = 0.5}, alpha_test = {enable = 3.9},"
                         " rim_light = {r = 1.0, power = \"x\"}, toon = {filename = 12}, visible = true};"),
              "");
    Orvane::MaterialRecord record;
    std::memset(&record, 0, sizeof record);
    record.diffuseMapEnable = 9;
    record.specularColor.r = 9.0f;
    Orvane::Squirrel::readMaterialTable(Orvane::SquirrelVM::GetRootTable().GetValue("t"), record);
    EXPECT_EQ(record.diffuseMapEnable, 9);      // diffuse_map is no table
    EXPECT_EQ(record.specularPower, 2.0f);      // an integer taken as a float
    EXPECT_EQ(record.specularColor.r, 9.0f);    // a missing colour key leaves its component
    EXPECT_EQ(record.specularColor.g, 0.5f);
    EXPECT_EQ(record.alphaTestEnable, 3);       // a float truncated
    EXPECT_EQ(record.rimColor.r, 1.0f);         // the rim colour is the rim table's own
    EXPECT_EQ(record.rimPower, 0.0f);           // not a number
    EXPECT_EQ(record.toonFile[0], '\0');        // not a string
    EXPECT_EQ(record.visible, 1);

    // Not a table at all: nothing is written.
    const Orvane::MaterialRecord before = record;
    Orvane::Squirrel::readMaterialTable(SquirrelObject(), record);
    EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

TEST_F(SQModelTest, ATableWithOnlyVisibleFalseResetsEverySettingOfTheMaterial)
{
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\");"), "");
    log3d.clear();
    EXPECT_EQ(eval("::m.setMaterialTable(\"\", \"body\", \"\", {visible = false})"), "0");
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"setMaterialVisible", "0"},
        {"setMaterialZWrite", "0"},
        {"setMaterialDiffuseMap", "{0 null 1 0 0 0 0 null 0 0 0 0}"},
        {"setMaterialSpecularMap", "{0 null}"},
        {"setMaterialNormalMap", "{0 null}"},
        {"setMaterialReflectionMap", "{0 null 0 0}"},
        {"setMaterialDiffuseColor", "{{0 0 0 0} 0}"},
        {"setMaterialAmbientColor", "{{0 0 0 0}}"},
        {"setMaterialEmissiveColor", "{{0 0 0 0}}"},
        {"setMaterialSpecularColor", "{{0 0 0 0} 0 0 0 0 0}"},
        {"setMaterialHemisphereLight", "{0 (0 0 0) 0 {0 0 0 0} {0 0 0 0}}"},
        {"setMaterialRimLight", "{0 {0 0 0 0} 0 0}"},
        {"setMaterialShadow", "{0 0 {0 0 0 1} 0 0 0 0 {0 0 0 1} 0 0 0}"},
        {"setMaterialToon", "{0 null {0 0 0 1} 0 null}"},
        {"setMaterialAlphaTest", "0"},
        {"setMaterialBlendMode", "0"},
        {"setMaterialCullMode", "0"},
    };
    Strings expected;
    for (const auto& [op, value] : steps)
        expected.push_back(Join({"sceneModel2.", op, "(\"body\", null, ", value, ")"}));
    expected.insert(expected.begin() + 13, 3, "sceneModel2.setMeshMaterialFlag(\"body\", 1)");
    Strings onScene;
    for (const std::string& call : log3d.calls())
        if (call.rfind("sceneModel2.", 0) == 0)
            onScene.push_back(call);
    EXPECT_EQ(onScene, expected);
    EXPECT_EQ(log3d.calls().size(), 2 * expected.size()); // the resource got the same, nothing else ran
    EXPECT_EQ(eval("::m.setMaterialTable(\"\", \"\", \"\", 5)"), "0"); // any value is a table argument
    EXPECT_EQ(eval("::m.setMaterialTable(\"\", \"\", {})"), "error: Incorrect function argument");
}

TEST_F(SQModelTest, MaterialMethodsForwardTheirArgumentsAndClearMaterialRefreshesTheHolder)
{
    fake->models["m.mdl"].meshes = {{"body", {"skin", "cloth"}}, {"hair", {"h"}}};
    ASSERT_EQ(runSnippet("::m <- SQModel(\"m\"); ::m.loadModel(\"m.mdl\");"), "");
    log3d.clear();
    EXPECT_EQ(eval("::m.setMaterialVisible(\"\", \"body\", \"skin\", 0)"), "0");
    EXPECT_EQ(eval("::m.setMaterialDiffuseColor(\"x.mdl\", \"\", \"skin\", 1.0, 0.5, 0.25, 3)"), "0");
    EXPECT_EQ(eval("::m.setMaterialDiffuseColor(\"\", \"\", \"skin\", 1, 0.5, 0.25, 3)"),
              "error: Incorrect function argument");
    EXPECT_EQ(eval("::m.getMaterialVisible(\"\", \"body\", \"skin\")"), "1");
    EXPECT_EQ(log3d.calls(), (Strings{"sceneModel2.setMaterialVisible(\"body\", \"skin\", 0)",
                                      "model1.setMaterialVisible(\"body\", \"skin\", 0)",
                                      "sceneModel2.setMaterialDiffuseColorIn(\"x.mdl\", null, \"skin\", {{1 0.5 0.25 1} 3})",
                                      "model1.setMaterialDiffuseColorIn(\"x.mdl\", null, \"skin\", {{1 0.5 0.25 1} 3})",
                                      "model1.getMaterialVisible(null, \"body\", \"skin\")"}));

    // The mesh file picks the resource's own meshes or those of a merged file.
    EXPECT_EQ(eval("::m.getMaterialNum(\"\", \"body\")"), "2");
    EXPECT_EQ(eval("::m.getMaterialName(\"\", \"body\", 1)"), "cloth");
    EXPECT_EQ(eval("::m.getMaterialNum(\"hair.mdl\", \"hair\")"), "1");
    EXPECT_EQ(eval("::m.getMaterialName(\"hair.mdl\", \"hair\", 0)"), "h");
    EXPECT_EQ(eval("::m.getMaterialName(\"\", \"body\", 5)"), "");
    EXPECT_EQ(logged({"getFileMaterialCount", "getFileMaterialName"}),
              (Strings{"model1.getFileMaterialCount(\"hair.mdl\", \"hair\")",
                       "model1.getFileMaterialName(\"hair.mdl\", \"hair\", 0)"}));

    dir.write("short.mat", std::vector<uint8_t>(100, 0));
    EXPECT_EQ(eval("::m.loadMaterial(\"\", \"\", \"\", \"short.mat\")"), "-1");
    EXPECT_TRUE(log3d.calls().empty());

    // The reset reaches the screen through a new scene model, which the holder now keeps.
    ASSERT_EQ(runSnippet("::m.clearMaterial();"), "");
    EXPECT_EQ(fake->sceneModels.size(), 3u);
    EXPECT_EQ(binding("m")->sceneHolder.get(), fake->sceneModels[2]);
    EXPECT_EQ(fake->sceneModels[1]->count(), 0);
    EXPECT_EQ(fake->sceneModels[2]->count(), 2);
    EXPECT_EQ(logged({"setMaterialCullMode"}), Strings{"model1.setMaterialCullMode(null, null, 1)"});
}
