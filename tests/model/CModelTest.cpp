// The model over the recording 3D fakes: its local matrix, loading, meshes, motions and morph channels,
// the frame time it steps its layers with, and motion names.
#include "ModelFixture.h"

#include "model/CModelMotionManager.h"
#include "scene/CRigidBody.h"
#include "sprite/CEffectShake.h"

#include <kavro/ISceneFrame.h>
#include <kavro/Matrix4x4.h>

using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::CModel;

namespace
{

::testing::AssertionResult near(const Matrix4x4& a, const Matrix4x4& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::abs(a.m[r][c] - b.m[r][c]) > 1e-4f)
                return ::testing::AssertionFailure() << Text(a) << " != " << Text(b);
    return ::testing::AssertionSuccess();
}

Matrix4x4 product(const Vector3D& s, const Vector3D& r, const Vector3D& t)
{
    return Matrix4x4::GetScaling(s.x, s.y, s.z) * Matrix4x4::GetRotationZ(r.z) * Matrix4x4::GetRotationX(r.x) *
           Matrix4x4::GetRotationY(r.y) * Matrix4x4::GetTranslation(t.x, t.y, t.z);
}

} // namespace

TEST_F(ModelTest, AFreshModelBuildsTheIdentityAndEachTransformIsScaleThenZXYRotationThenTranslation)
{
    CModel* model = make();
    EXPECT_EQ(model->transformDirty, 1);
    model->updateWorldMatrix();
    EXPECT_EQ(model->local, Matrix4x4());
    EXPECT_EQ(model->transformDirty, 0);

    struct Case
    {
        Vector3D scale, rotation, position;
    };
    const Case cases[] = {
        {{2, 3, 4}, {0, 0, 0}, {0, 0, 0}},
        {{1, 1, 1}, {30, 0, 0}, {0, 0, 0}},
        {{1, 1, 1}, {10, 20, 30}, {5, -6, 7}},
        {{0.5f, 2, 1}, {-45, 90, 15}, {1, 2, 3}},
    };
    for (const Case& c : cases)
    {
        model->scale.set(c.scale, c.scale, 0, 0);
        model->rotation.set(c.rotation, c.rotation, 0, 0);
        model->move(c.position.x, c.position.y, c.position.z, 0, 0);
        model->updateTransform();
        EXPECT_TRUE(near(model->local, product(c.scale, c.rotation, c.position)));
    }

    // A running shake adds its offset to the translation.
    model->shake({3, 3, 3}, {3, 3, 3}, 100, 1, 1000, 0, 0);
    t.core->milliTime += 40;
    model->advanceTime(nullptr);
    const Vector3D offset = model->getShake()->getOffset();
    ASSERT_NE(offset, Vector3D());
    model->updateTransform();
    EXPECT_TRUE(near(model->local, product({0.5f, 2, 1}, {-45, 90, 15}, Vector3D(1, 2, 3) + offset)));
}

TEST_F(ModelTest, AGivenMatrixHoldsOverFramesUntilTheTransformChanges)
{
    CModel* model = loaded();
    model->updateWorldMatrix();
    const Matrix4x4 given = Matrix4x4::GetTranslation(9, 8, 7);
    model->advanceTime(&given);
    for (int i = 0; i < 3; ++i)
    {
        t.core->milliTime += 17;
        model->updateWorldMatrix();
        model->render();
        model->advanceTime(&given);
        EXPECT_EQ(model->local, given);
    }
    // The matrix reached the scene model as the world matrix of the next pass.
    EXPECT_EQ(scene()->count(), 1);
    EXPECT_FALSE(calls({"setWorldMatrix"}).empty());
    EXPECT_EQ(calls({"setWorldMatrix"}).back(), Join({"sceneModel1.setWorldMatrix(", Text(given), ")"}));

    model->move(1, 2, 3, 0, 0);
    model->updateWorldMatrix();
    EXPECT_EQ(model->local, Matrix4x4::GetTranslation(1, 2, 3));
}

TEST_F(ModelTest, MoveDuringARunningSplineStopsItAndEasesFromTheSplinesPoint)
{
    CModel* model = make();
    model->spline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    model->spline.addPoint({100, 0, 0}, 1000.0f, 1.0f);
    model->beginSpline(1000, 0);
    for (int i = 0; i < 10; ++i)
    {
        t.core->milliTime += 17;
        model->advanceTime(nullptr);
    }
    const Vector3D reached = model->position.value;
    ASSERT_GT(reached.x, 0.0f);
    ASSERT_LT(reached.x, 100.0f);
    EXPECT_EQ(model->spline.current, reached);

    model->move(0, 50, 0, 1000, 99);
    EXPECT_EQ(model->spline.segment, -1);
    EXPECT_TRUE(model->spline.points.empty());
    EXPECT_EQ(model->position.from, reached);
    EXPECT_EQ(model->position.to, Vector3D(0, 50, 0));
    EXPECT_EQ(model->position.easing, 0); // 99 is no curve
    t.core->milliTime += 17;
    model->advanceTime(nullptr);
    EXPECT_EQ(model->spline.current, reached); // the spline no longer drives the position
    EXPECT_NE(model->position.value, reached);
}

TEST_F(ModelTest, LoadModelCallsTheLibraryInOrderWithAndWithoutTheAuxiliary)
{
    fake.models["aux.mdl"].needsAuxiliary = 1;
    fake.models["aux.mdl"].motions = {{"walk"}};
    const std::vector<std::string> plain = {
        "device.loadModel(\"m.mdl\")",
        "scene.createSceneModel(model1)",
        "sceneModel1.getMotionCount()",
        "sceneModel1.getMotionName(0, 1024)",
        "sceneModel1.getMotionName(1, 1024)",
        "sceneModel1.getMotionName(2, 1024)",
    };
    CModel* model = make();
    ASSERT_EQ(model->loadModel("m.mdl"), 0);
    EXPECT_EQ(log.calls(), plain);
    EXPECT_TRUE(model->hasMotion("b"));
    EXPECT_EQ(model->getModelPath(), "m.mdl");

    log.clear();
    ASSERT_EQ(model->loadModel("aux.mdl"), 0);
    const std::vector<std::string> withAuxiliary = {
        "device.loadModel(\"aux.mdl\")",
        "scene.createSceneModel(model2)",
        "sceneModel2.getMotionCount()",
        "sceneModel2.getMotionName(0, 1024)",
        "device.createModelAuxiliary(1000)",
        "auxiliary1.prepare()",
        "sceneModel2.attachAuxiliary(auxiliary1)",
        "auxiliary1.commit()",
        "scene.addModelAuxiliary(auxiliary1)",
    };
    EXPECT_EQ(log.calls(), withAuxiliary);
    // The first resource and scene model were let go when the new ones took their place.
    EXPECT_EQ(fake.resources[0]->count(), 0);
    EXPECT_EQ(scene(0)->count(), 0);
    EXPECT_TRUE(model->hasMotion("walk"));
    EXPECT_FALSE(model->hasMotion("a"));
}

TEST_F(ModelTest, AFailedLoadLeavesTheOldResourceAndSceneModelWorking)
{
    CModel* model = loaded();
    Kavro::IModelResource* resource = model->getModelResource();
    Kavro::ISceneModel* sceneModel = model->getSceneModel();
    EXPECT_EQ(model->loadModel("missing.mdl"), -1);
    EXPECT_EQ(log.calls(), std::vector<std::string>{"device.loadModel(\"missing.mdl\")"});
    EXPECT_EQ(model->getModelResource(), resource);
    EXPECT_EQ(model->getSceneModel(), sceneModel);
    EXPECT_EQ(model->getModelPath(), "m.mdl");
    EXPECT_EQ(fake.resources[0]->count(), 1);
    // Resource operations still reach the old resource.
    model->setMeshVisible("", "body", 0);
    EXPECT_EQ(log.calls().back(), "model1.setMeshVisible(\"body\", 0)");
    EXPECT_TRUE(model->hasMotion("a"));

    // A null resource or scene model is refused as well.
    EXPECT_EQ(model->setModelResource(nullptr), -1);
    EXPECT_EQ(model->setSceneModel(nullptr), -1);
    EXPECT_EQ(model->getModelResource(), resource);
    EXPECT_EQ(model->getSceneModel(), sceneModel);
}

TEST_F(ModelTest, MeshFilesAreNamedByFileNameAndTheSceneModelFollowsOnlyWhatTheResourceTook)
{
    CModel* model = loaded();
    ASSERT_EQ(model->loadMesh("parts/mesh.mdl"), -1); // not a known file
    log.clear();
    ASSERT_EQ(model->loadMesh("mesh.mdl"), 0);
    const std::vector<std::string> merged = {
        "device.loadModel(\"mesh.mdl\")",
        "model2.setMeshVisible(null, 0)",
        "model1.addMesh(model2)",
    };
    EXPECT_EQ(log.calls(), merged);
    EXPECT_EQ(fake.resources[1]->count(), 0);

    log.clear();
    model->setMeshVisible("dir\\sub/mesh.mdl", "arm", 1);
    model->setMeshVisible("mesh.mdl", "", 0);
    fake.resources[0]->materialResult = -1;
    model->setMeshVisible("mesh.mdl", "leg", 1);
    model->setMeshDrawToEnd("a/mesh.mdl", "hair");
    fake.resources[0]->materialResult = 0;
    model->setMeshDrawToEnd("a/mesh.mdl", "");
    model->eraseMesh("x/mesh.mdl");
    const std::vector<std::string> expected = {
        "model1.setFileMeshVisible(\"mesh.mdl\", \"arm\", 1)",
        "sceneModel1.setFileMeshVisible(\"mesh.mdl\", \"arm\", 1)",
        "model1.setFileMeshVisible(\"mesh.mdl\", null, 0)",
        "sceneModel1.setFileMeshVisible(\"mesh.mdl\", null, 0)",
        "model1.setFileMeshVisible(\"mesh.mdl\", \"leg\", 1)",
        "model1.setMeshDrawToEnd(\"mesh.mdl\", \"hair\")",
        "model1.setMeshDrawToEnd(\"mesh.mdl\", null)",
        "sceneModel1.setMeshDrawToEnd(\"mesh.mdl\", null)",
        "model1.eraseMesh(\"mesh.mdl\", null)",
    };
    EXPECT_EQ(log.calls(), expected);
}

TEST_F(ModelTest, LoadMotionSkipsANameAlreadyLoaded)
{
    CModel* model = loaded();
    EXPECT_EQ(model->loadMotion("anim/run.anm"), 0);
    EXPECT_TRUE(model->hasMotion("run"));
    const size_t afterFirst = calls({"loadMotion"}).size();
    EXPECT_EQ(afterFirst, 1u);
    EXPECT_EQ(model->loadMotion("other/run.anm"), 0);
    EXPECT_EQ(calls({"loadMotion"}).size(), 1u);

    fake.resources[0]->failingMotions = {"bad.anm"};
    EXPECT_EQ(model->loadMotion("bad.anm"), -1);
    EXPECT_EQ(make("empty")->loadMotion("x.anm"), -1);

    model->eraseMotion("anim/run.anm");
    EXPECT_EQ(log.calls().back().find("sceneModel1.getMotionName"), 0u);
    EXPECT_FALSE(model->hasMotion("run"));
}

TEST_F(ModelTest, MorphChannelsChainAndAChangedChannelIsHandedOverEveryFrame)
{
    CModel* model = loaded();
    EXPECT_EQ(model->setMorph("mouth", "", "b"), 0);
    EXPECT_EQ(model->setMorph("mouth", "", "c"), 0);
    EXPECT_EQ(model->setMorph("eyes", "x", "y"), 0);
    const std::vector<std::string> chain = {
        "sceneModel1.setMorph(\"mouth\", 0, \"b\")", "sceneModel1.setMorph(\"mouth\", 1, \"b\")",
        "sceneModel1.setMorph(\"mouth\", 0, \"b\")", "sceneModel1.setMorph(\"mouth\", 1, \"c\")",
        "sceneModel1.setMorph(\"eyes\", 0, \"x\")",  "sceneModel1.setMorph(\"eyes\", 1, \"y\")",
    };
    EXPECT_EQ(log.calls(), chain);
    EXPECT_EQ(model->getMorph("mouth")->fromMorph, "b");
    EXPECT_EQ(model->getMorph("mouth")->toMorph, "c");

    scene()->setMorphResult = -1;
    EXPECT_EQ(model->setMorph("mouth", "", "d"), -1);
    scene()->setMorphResult = 0;

    // Unknown channels take no weight.
    model->setMorphWeight("nose", 1.0f, 0, 0);
    EXPECT_EQ(model->getMorph("nose"), nullptr);

    model->setMorphWeight("mouth", 1.0f, 0, 0);
    for (int i = 0; i < 3; ++i)
    {
        log.clear();
        frame(model);
        const std::vector<std::string> handed = {
            "sceneModel1.setMorphWeight(\"eyes\", 0, 1, 0)",
            "sceneModel1.setMorphWeight(\"mouth\", 0, 1, 1)",
        };
        EXPECT_EQ(calls({"setMorphWeight"}), handed) << "frame " << i;
    }
    EXPECT_EQ(model->getMorphTimer("none"), 0.0f);
    model->setMorphWeight("mouth", 0.0f, 100, 0);
    model->setMorphTimer("mouth", 50.0f);
    EXPECT_FLOAT_EQ(model->getMorph("mouth")->weight.scaledValue, 0.5f);
    model->setMorphTimer("mouth", 500.0f);
    EXPECT_EQ(model->getMorphTimer("mouth"), 100.0f);
}

TEST_F(ModelTest, LayersStepByTheFramesMillisecondsTimesTheTimeScaleWithinTheCap)
{
    struct Case
    {
        float frameSpeed, timeScale, cap, dt;
    };
    const Case cases[] = {
        {1.0f, 1.0f, 83.333336f, 16.666666f},
        {-1.0f, 1.0f, 83.333336f, 0.0f},
        {1.0f, 2.0f, 83.333336f, 33.333332f},
        {2.0f, 2.0f, 83.333336f, 66.666664f},
        {4.0f, 2.0f, 83.333336f, 83.333336f},
        {1.0f, 1.0f, -5.0f, 0.0f},
    };
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    for (const Case& c : cases)
    {
        t.app->frameSpeed = c.frameSpeed;
        t.app->frameTimeCap = c.cap;
        model->setTimeScale(c.timeScale);
        log.clear();
        model->advanceTime(nullptr);
        ASSERT_EQ(calls({"advanceMotion"}).size(), 1u);
        EXPECT_EQ(calls({"advanceMotion"})[0], Join({"sceneModel1.advanceMotion(0, ", testing::PrintToString(c.dt), ")"}))
            << c.frameSpeed << " x " << c.timeScale;
    }
    // A stopped model steps no layer.
    model->setStopAllMotion(1);
    log.clear();
    model->advanceTime(nullptr);
    EXPECT_TRUE(calls({"advanceMotion"}).empty());
}

TEST_F(ModelTest, UpdateTransformHandsTheWorldMatrixThenPosesWithPhysics)
{
    CModel* model = loaded();
    model->updateTransform();
    const std::vector<std::string> expected = {"sceneModel1.setWorldMatrix(identity)", "sceneModel1.applyTransform(1)"};
    EXPECT_EQ(log.calls(), expected);

    log.clear();
    scene()->pendingUpdate = 1;
    model->render();
    const std::vector<std::string> rendered = {"sceneModel1.setWorldMatrix(identity)", "sceneModel1.applyTransform(1)",
                                               "sceneModel1.hasPendingUpdate()", "sceneModel1.flushPendingUpdate(0)"};
    EXPECT_EQ(log.calls(), rendered);

    log.clear();
    model->setDiffuseColor(0.25f, 0.5f, 0.75f, 3);
    model->resetPhysics(7);
    ASSERT_EQ(log.calls().size(), 4u);
    EXPECT_EQ(log.calls()[0].rfind("model1.setMaterialDiffuseColor(null, null, ", 0), 0u);
    EXPECT_EQ(log.calls()[1].rfind("sceneModel1.setMaterialDiffuseColor(null, null, ", 0), 0u);
    EXPECT_EQ(log.calls()[2], "sceneModel1.applyTransform(0)");
    EXPECT_EQ(log.calls()[3], "sceneModel1.resetPhysics()");
}

TEST_F(ModelTest, MotionNamesAreCutAtTheFirstAnmAndAfterTheLastSlash)
{
    const std::pair<std::string, std::string> cases[] = {
        {"chara/walk.anm", "walk"},
        {"walk", "walk"},
        {"chara\\motion\\walk.anm", "chara\\motion\\walk"},
        {"a/b/c.anm.anm", "c"},
        {"a.anm/b/c", "a"},
        {"dir/", ""},
        {std::string(3000, 'x') + "/run.anm", "run"},
    };
    CModel* model = make();
    for (const auto& [path, name] : cases)
    {
        std::string out = "junk";
        model->getMotionName(path, out);
        EXPECT_EQ(out, name) << path.substr(0, 40);
    }
}

TEST_F(ModelTest, MorphListsLoadRowByRowAndStopAtABadRow)
{
    CModel* model = loaded();
    dir.write("good.csv", {'m', '1', ',', 'f', '1', '\n', 'm', '2', ',', 'f', '2'});
    EXPECT_EQ(model->loadMorphList("good.csv"), 0);
    const std::vector<std::string> good = {"model1.loadMorph(1, \"m1\", \"f1\")", "model1.loadMorph(1, \"m2\", \"f2\")"};
    EXPECT_EQ(log.calls(), good);

    log.clear();
    dir.write("bad.csv", {'a', ',', 'b', '\n', 'c', '\n', 'd', ',', 'e', '\n'});
    EXPECT_EQ(model->loadMorphList("bad.csv"), -1);
    EXPECT_EQ(log.calls(), std::vector<std::string>{"model1.loadMorph(1, \"a\", \"b\")"});

    log.clear();
    fake.resources[0]->loadMorphResult = -1;
    EXPECT_EQ(model->loadMorphList("good.csv"), -1);
    EXPECT_EQ(log.calls().size(), 1u);

    dir.write("empty.csv", {});
    EXPECT_EQ(model->loadMorphList("empty.csv"), -1);
    EXPECT_EQ(model->loadMorphList("missing.csv"), -1);
}

TEST_F(ModelTest, SplineAndShakeTimersClampAndNeedALoadedModel)
{
    CModel* unloaded = make("unloaded");
    unloaded->spline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    unloaded->spline.addPoint({100, 0, 0}, 1000.0f, 1.0f);
    unloaded->beginSpline(1000, 0);
    unloaded->setSplineTimer(500.0f);
    EXPECT_EQ(unloaded->spline.progress.elapsed, 0.0f);

    CModel* model = loaded();
    model->spline.addPoint({0, 0, 0}, 0.0f, 1.0f);
    model->spline.addPoint({100, 0, 0}, 1000.0f, 1.0f);
    model->beginSpline(1000, 0);
    const struct
    {
        float ms, elapsed, x;
    } splineCases[] = {{-5.0f, 0.0f, 0.0f}, {5000.0f, 1000.0f, 100.0f}, {500.0f, 500.0f, -1.0f}};
    for (const auto& c : splineCases)
    {
        model->transformDirty = 0;
        model->setSplineTimer(c.ms);
        EXPECT_EQ(model->spline.progress.elapsed, c.elapsed) << c.ms;
        if (c.x >= 0.0f)
        {
            EXPECT_NEAR(model->position.value.x, c.x, 1e-3f) << c.ms;
        }
        EXPECT_EQ(model->position.value, model->spline.current);
        EXPECT_EQ(model->transformDirty, 1);
    }

    model->shake({1, 1, 1}, {1, 1, 1}, 100, 1, 1000, 0, 0);
    const std::pair<float, float> shakeCases[] = {{-5.0f, 0.0f}, {5000.0f, 1000.0f}, {250.0f, 250.0f}};
    for (const auto& [ms, timer] : shakeCases)
    {
        model->setShakeTimer(ms);
        EXPECT_EQ(model->getShake()->getTimer(), timer) << ms;
    }
}

TEST_F(ModelTest, ErasingPhysicsObjectsDetachesAndReleasesByImportGroup)
{
    fake.models["m.mdl"].frames = {{"hip", {}, {}, {}, {}}, {"arm", {}, {}, {}, {}}};
    CModel* model = loaded();
    struct Body : Orvane::CRigidBody
    {
        Body(int& alive, const std::string& group) : CRigidBody("body"), alive(alive)
        {
            ++alive;
            setGroupName(group);
        }
        ~Body() override { --alive; }
        int& alive;
    };
    int alive = 0;
    const auto attach = [&](const std::string& name, const char* frame, const std::string& group) {
        Kavro::ISceneFrame* held = model->findFrame(frame);
        held->addRef(); // an entry holds its frame
        model->physicsObjects[name] = {held, new Body(alive, group)};
    };
    attach("a", "hip", "g1");
    attach("b", "arm", "g2");
    attach("c", "hip", "");
    attach("d", "arm", "g1");
    log.clear();
    model->erasePhysicsObject("g1");
    const std::vector<std::string> detached = {"model1/hip.attachRigidBody(null, 0, 0, 0)",
                                               "model1/arm.attachRigidBody(null, 0, 0, 0)"};
    EXPECT_EQ(calls({"attachRigidBody"}), detached);
    EXPECT_EQ(alive, 2);
    model->erasePhysicsObject("");
    EXPECT_EQ(alive, 2); // a body without a group stays unless every body goes
    model->erasePhysicsObject(nullptr);
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(model->physicsObjects.empty());

    // The model lets go of what is left when it goes.
    attach("e", "hip", "g3");
    owned.clear();
    model->release();
    EXPECT_EQ(alive, 0);
}
