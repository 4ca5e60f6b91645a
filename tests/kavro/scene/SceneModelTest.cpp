#include "ModelFixtures.h"

#include "render/RenderDeviceFactory.h"
#include "scene/CModelResource.h"
#include "scene/CSceneModel.h"
#include "support/DirectoryFileSystem.h"
#include "support/TempDirectory.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneFrame.h>
#include <kavro/ISceneManager.h>

#include <gtest/gtest.h>

#include <cstring>

namespace OrvaneTest
{
namespace
{

using namespace Kavro;

void ExpectNear(const Matrix4x4& a, const Matrix4x4& b, float tolerance = 1e-4f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            ASSERT_NEAR(a.m[r][c], b.m[r][c], tolerance) << "row " << r << " column " << c;
}

Matrix4x4 Placed(const Matrix4x4& rotation, const Vector3D& at)
{
    Matrix4x4 m = rotation;
    m._41 = at.x, m._42 = at.y, m._43 = at.z;
    return m;
}

// A body the test moves itself (a stand-in for the simulation): it keeps what it is given.
class HandMovedBody : public RefCounted<IPhysicsRigidBody>
{
public:
    void setUserPointer(void*) override {}
    void* getUserPointer() override { return nullptr; }
    int setPosition(const Vector3D& p) override { return position = p, 0; }
    Vector3D getPosition() override { return position; }
    int setRotation(const Matrix4x4& r) override { return rotation = Placed(r, {}), 0; }
    Matrix4x4 getRotation() override { return rotation; }
    int setTransform(const Matrix4x4& m) override
    {
        ++transforms;
        position = m.GetPosition();
        rotation = Placed(m, {});
        return 0;
    }
    Vector3D getLinearVelocity() override { return velocity; }
    Vector3D getAngularVelocity() override { return {}; }
    int setLinearVelocity(const Vector3D& v) override { return velocity = v, 0; }
    int setAngularVelocity(const Vector3D&) override { return 0; }
    int setLinearFactor(const Vector3D&) override { return 0; }
    int setAngularFactor(const Vector3D&) override { return 0; }
    float getMass() override { return 1.0f; }
    int setFrictionalCoefficient(float) override { return 0; }
    float getFrictionalCoefficient() override { return 0; }
    int setRestitutionCoefficient(float) override { return 0; }
    float getRestitutionCoefficient() override { return 0; }
    int setLinearDamping(float) override { return 0; }
    float getLinearDamping() override { return 0; }
    int setAngularDamping(float) override { return 0; }
    float getAngularDamping() override { return 0; }
    int setEnableDynamics(int) override { return 0; }
    int setEnableCollision(int) override { return 0; }
    int setEnableGravity(int) override { return 0; }
    uint32_t getEnableGravity() override { return 1; }
    int setEnableControler(int on) override { return controlled = on, 0; }
    uint32_t getStateWord() override { return 0; }
    // Back to where it was made (the origin), at rest.
    int reset() override { return ++resets, velocity = {}, position = {}, rotation = {}, 0; }
    int attachToScene(ISceneManager*, const float&) override { return 0; }
    ISceneNode* getSceneObject() override { return nullptr; }

    Vector3D position, velocity;
    Matrix4x4 rotation;
    int transforms = 0, resets = 0, controlled = -1;
};

class SceneModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        files_ = Ref<IFileSystem>::adopt(new DirectoryFileSystem(folder_.path()));
        device_ = Ref<IRenderDevice>::adopt(CreateRenderDevice(nullptr, 64, 64, files_.get()));
        ASSERT_TRUE(device_) << "no headless OpenGL 3.3 context";
    }

    // Loads the fixture and makes a scene model of it through the scene manager.
    void make(const ModelFixture& fixture)
    {
        folder_.write("model.glb", WriteModelFixture(fixture));
        resource_ = Ref<CModelResource>::adopt(dynamic_cast<CModelResource*>(device_->loadModel("model.glb")));
        ASSERT_TRUE(resource_);
        model_ = remake();
        ASSERT_TRUE(model_);
    }

    Ref<CSceneModel> remake()
    {
        ISceneModel* made = device_->getSceneManager()->createSceneModel(resource_.get());
        return Ref<CSceneModel>::adopt(dynamic_cast<CSceneModel*>(made));
    }

    int loadMotion(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        folder_.write(name + ".anm", bytes);
        EXPECT_EQ(resource_->loadMotion((name + ".anm").c_str()), 0);
        return model_->findMotion(name.c_str());
    }

    Matrix4x4 world(const char* frame) { return model_->findFrame(frame)->getWorldMatrix(); }

    TempDirectory folder_;
    Ref<IFileSystem> files_;
    Ref<IRenderDevice> device_;
    Ref<CModelResource> resource_;
    Ref<CSceneModel> model_;
};

ModelFixture TwoFrames()
{
    ModelFixture f;
    f.frames = {{"base", -1, {0, 0, 0}, {}, {1, 1, 1}}, {"tip", 0, {0, 1, 0}, {}, {1, 1, 1}}};
    return f;
}

TEST_F(SceneModelTest, MotionKeysAreInterpolatedAtStartHalfwayAndEnd)
{
    make(TwoFrames());
    const Quaternion turned = Quaternion::GetRotationAxis({0, 0, 1}, 90.0f);
    const int swing = loadMotion("swing", WriteMotionFixture(10.0f, 11,
                                                             {{"tip", {{0.0f, {0, 1, 0}}, {10.0f, {2, 1, 0}}},
                                                               {{0.0f, {}}, {10.0f, turned}}, {}}}));
    ASSERT_EQ(swing, 0);
    const Matrix4x4 modelWorld = Matrix4x4::GetTranslation(5, 0, 0);
    model_->setWorldMatrix(modelWorld);
    ASSERT_EQ(model_->attachMotion(swing), 0);
    ASSERT_EQ(model_->setMotionBlendRate(0.0f), 0);
    ASSERT_EQ(model_->startMotion(swing), 0);
    EXPECT_EQ(model_->getMotionOriginalSpeed(swing), 10.0f);
    EXPECT_EQ(model_->getMotionMaxFrameTime(swing), 1000.0f);

    struct Step
    {
        float advanceMs;
        float degrees;
        Vector3D at;
        int frame;
        int ended;
    };
    for (const Step& step : {Step{0, 0, {0, 1, 0}, 0, 0}, Step{500, 45, {1, 1, 0}, 5, 0}, Step{500, 90, {2, 1, 0}, 10, 1},
                             Step{300, 90, {2, 1, 0}, 10, 1}})
    {
        SCOPED_TRACE(step.degrees);
        model_->advanceMotion(swing, step.advanceMs);
        model_->applyTransform(1);
        ExpectNear(world("tip"), Placed(Matrix4x4::GetRotationZ(step.degrees), step.at) * modelWorld);
        ExpectNear(world("base"), modelWorld);
        EXPECT_EQ(model_->getMotionFrame(swing), step.frame);
        EXPECT_EQ(model_->isMotionEnd(swing), step.ended);
    }
    EXPECT_FLOAT_EQ(model_->getMotionFrameTime(swing, 0), 1000.0f);

    // Twice the speed covers the first half in 250 ms; a looping motion wraps past its end.
    model_->setMotionSpeed(swing, 20.0f);
    model_->setMotionLoop(swing, 1);
    model_->startMotion(swing);
    model_->advanceMotion(swing, 250.0f);
    EXPECT_EQ(model_->getMotionFrame(swing), 5);
    model_->advanceMotion(swing, 600.0f);
    EXPECT_EQ(model_->getMotionFrame(swing), 7);
    EXPECT_EQ(model_->isMotionEnd(swing), 0);
    model_->setMotionFrameTime(swing, 300.0f);
    EXPECT_EQ(model_->getMotionFrame(swing), 3);

    // Back to the rest pose: every motion stops.
    model_->resetPose();
    ExpectNear(world("tip"), Matrix4x4::GetTranslation(0, 1, 0) * modelWorld);
    model_->advanceMotion(swing, 100.0f);
    model_->applyTransform(1);
    ExpectNear(world("tip"), Matrix4x4::GetTranslation(0, 1, 0) * modelWorld);
}

TEST_F(SceneModelTest, BlendRateZeroSnapsAndOneCrossFades)
{
    make(TwoFrames());
    const int left = loadMotion("left", WriteMotionFixture(30.0f, 2, {{"tip", {{0.0f, {-2, 1, 0}}}, {}, {}}}));
    const int right = loadMotion("right", WriteMotionFixture(30.0f, 2, {{"tip", {{0.0f, {2, 1, 0}}}, {}, {}}}));
    const auto tipX = [&] { return world("tip")._41; };
    model_->setMotionBlendRate(0.0f);
    model_->startMotion(left);
    model_->applyTransform(1);
    EXPECT_NEAR(tipX(), -2.0f, 1e-5f);

    // Rate 1: the new motion fades in over the cross-fade time, from the pose before it.
    model_->detachMotion(left);
    model_->setMotionBlendRate(1.0f);
    model_->startMotion(right);
    model_->applyTransform(1);
    EXPECT_NEAR(tipX(), -2.0f, 1e-5f);
    model_->advanceMotion(right, CSceneModel::CrossFadeMilliseconds / 4);
    model_->applyTransform(1);
    EXPECT_NEAR(tipX(), -1.0f, 1e-4f);
    model_->advanceMotion(right, CSceneModel::CrossFadeMilliseconds);
    model_->applyTransform(1);
    EXPECT_NEAR(tipX(), 2.0f, 1e-5f);

    // Rate 0 replaces at once.
    model_->setMotionBlendRate(0.0f);
    model_->startMotion(left);
    model_->applyTransform(1);
    EXPECT_NEAR(tipX(), -2.0f, 1e-5f);
}

TEST_F(SceneModelTest, ALaterMotionOverridesOnlyTheFramesItMoves)
{
    ModelFixture f = TwoFrames();
    f.frames.push_back({"side", 0, {3, 0, 0}, {}, {1, 1, 1}});
    make(f);
    const int body = loadMotion("body", WriteMotionFixture(30.0f, 2,
                                                           {{"tip", {{0.0f, {0, 5, 0}}}, {}, {}},
                                                            {"side", {{0.0f, {4, 0, 0}}}, {}, {}}}));
    const int layer = loadMotion("layer", WriteMotionFixture(30.0f, 2, {{"tip", {{0.0f, {0, 7, 0}}}, {}, {}}}));
    model_->startMotion(body);
    model_->startMotion(layer);
    model_->applyTransform(1);
    EXPECT_NEAR(world("tip")._42, 7.0f, 1e-5f);
    EXPECT_NEAR(world("side")._41, 4.0f, 1e-5f);
    // A motion no longer attached by anyone stops shaping the pose.
    model_->attachMotion(layer);
    model_->detachMotion(layer);
    model_->applyTransform(1);
    EXPECT_NEAR(world("tip")._42, 5.0f, 1e-5f);
    EXPECT_LT(model_->detachMotion(layer), 0);
    EXPECT_LT(model_->startMotion(7), 0);
    EXPECT_EQ(model_->findMotion("nothing"), -1);
}

TEST_F(SceneModelTest, ATurnedFrameCarriesItsChildrenIntoThePalette)
{
    make(ArmFixture());
    model_->applyTransform(1);
    ISceneFrame* upper = model_->findFrame("upper");
    ISceneFrame* lower = model_->findFrame("lower");
    const Matrix4x4 turned = Matrix4x4::GetRotationY(30.0f) * upper->getWorldMatrix();
    ASSERT_EQ(upper->setWorldMatrix(turned, turned, 1), 0);
    ExpectNear(upper->getWorldMatrix(), turned);
    ExpectNear(lower->getWorldMatrix(), lower->getMatrix() * turned);

    const std::vector<PosedMesh> meshes = model_->posedMeshes();
    ASSERT_EQ(meshes.size(), 2u);
    const ModelSkin& skin = resource_->skins()[0];
    ASSERT_EQ(meshes[0].palette.size(), 2u);
    ExpectNear(meshes[0].palette[1], skin.inverseBind[1] * lower->getWorldMatrix());
    // The hat hangs from the head, untouched.
    ExpectNear(meshes[1].world, model_->findFrame("head")->getWorldMatrix());

    // Without propagation only the frame itself moves; the next pose puts everything back.
    const Matrix4x4 before = lower->getWorldMatrix();
    upper->setWorldMatrix(Matrix4x4::GetTranslation(0, 9, 0), Matrix4x4::GetTranslation(0, 9, 0), 0);
    ExpectNear(lower->getWorldMatrix(), before);
    model_->applyTransform(1);
    ExpectNear(upper->getWorldMatrix(), upper->getRestMatrix());
}

TEST_F(SceneModelTest, ChannelsBlendTheirTwoTargetsIndependently)
{
    make(ArmFixture());
    EXPECT_EQ(model_->getMorphNum("arm"), 2);
    EXPECT_EQ(model_->getMorphNum("hat"), 0);
    char name[16];
    ASSERT_GE(model_->getMorphName("arm", 1, name, sizeof name), 0);
    EXPECT_STREQ(name, "frown");
    EXPECT_LT(model_->getMorphName("arm", 2, name, sizeof name), 0);

    ASSERT_EQ(model_->setMorph("mouth", 0, "smile"), 0);
    ASSERT_EQ(model_->setMorph("mouth", 1, "frown"), 0);
    ASSERT_EQ(model_->setMorphWeight("mouth", 0, 1, 0.25f), 0);
    EXPECT_LT(model_->setMorph("mouth", 1, "yawn"), 0); // unknown: the channel keeps frown
    EXPECT_LT(model_->setMorphWeight("nose", 0, 1, 1.0f), 0);
    std::vector<PosedMesh> meshes = model_->posedMeshes();
    EXPECT_EQ(meshes[0].morphWeights, (std::vector<float>{0.75f, 0.25f}));

    // A second channel adds to the first; a face effect adds its value to the morph of its name.
    ASSERT_EQ(model_->setMorph("eye", 0, ""), 0);
    ASSERT_EQ(model_->setMorph("eye", 1, "smile"), 0);
    ASSERT_EQ(model_->setMorphWeight("eye", 0, 1, 0.5f), 0);
    const float half = 0.5f;
    ASSERT_EQ(model_->setFaceEffect("head_mouth", "frown", &half), 0);
    meshes = model_->posedMeshes();
    EXPECT_EQ(meshes[0].morphWeights, (std::vector<float>{1.25f, 0.75f}));
    model_->setFaceEffect("head_mouth", nullptr, nullptr);
    model_->setMorphWeight("eye", 0, 1, 0.0f);

    // The blended positions are what a line hits: the ribbon's right edge (x 0.5) moved by 0.75 x 0.1.
    model_->applyTransform(1);
    const CLine3D justOutside({0.55f, 2.0f, -5.0f}, {0.55f, 2.0f, 5.0f});
    EXPECT_EQ(model_->checkHitCollisionLine("arm", justOutside), 1);
    model_->setMorphWeight("mouth", 0, 1, 1.0f); // all frown: no sideways move
    EXPECT_EQ(model_->checkHitCollisionLine("arm", justOutside), 0);
}

TEST_F(SceneModelTest, ALineHitsTheBentArmWhereItIsPosed)
{
    make(ArmFixture());
    const int wave = model_->findMotion("wave");
    ASSERT_GE(wave, 0);
    model_->applyTransform(1);
    const CLine3D throughRest({0.0f, 4.0f, -5.0f}, {0.0f, 4.0f, 5.0f});
    const CLine3D throughBent({-1.5f, 3.0f, -5.0f}, {-1.5f, 3.0f, 5.0f});
    EXPECT_EQ(model_->checkHitCollisionLine(nullptr, throughRest), 1);
    EXPECT_EQ(model_->checkHitCollisionLine(nullptr, throughBent), 0);

    // "wave" turns the lower arm 90 degrees about z at its joint (0, 3, 0): its far end goes to (-2, 3).
    model_->startMotion(wave);
    model_->advanceMotion(wave, 1000.0f);
    model_->applyTransform(1);
    EXPECT_EQ(model_->checkHitCollisionLine("arm", throughRest), 0);
    EXPECT_EQ(model_->checkHitCollisionLine("hat", throughBent), 0);
    Vector3D hit;
    char name[8] = "xxxxxxx";
    ASSERT_EQ(model_->checkSortHitCollisionLine(&hit, throughBent, name, sizeof name), 1);
    EXPECT_STREQ(name, "arm");
    EXPECT_NEAR(hit.x, -1.5f, 1e-5f);
    EXPECT_NEAR(hit.y, 3.0f, 1e-5f);
    EXPECT_NEAR(hit.z, 0.0f, 1e-5f);

    // The nearest of two crossings: a line through the hat and the upper arm names whichever it meets first.
    const Vector3D hatPoint = Vector3D(0.0f, 0.3f, 0.0f).Transform(model_->findFrame("head")->getWorldMatrix());
    const Vector3D armPoint(0.0f, 2.0f, 0.0f);
    const Vector3D along = hatPoint - armPoint;
    const CLine3D fromHat(hatPoint + along * 0.5f, armPoint - along * 0.5f);
    ASSERT_EQ(model_->checkSortHitCollisionLine(&hit, fromHat, name, sizeof name), 1);
    EXPECT_STREQ(name, "hat");
    EXPECT_NEAR((hit - hatPoint).Length(), 0.0f, 1e-4f);
    const CLine3D fromArm(fromHat.end, fromHat.start);
    ASSERT_EQ(model_->checkSortHitCollisionLine(&hit, fromArm, name, sizeof name), 1);
    EXPECT_STREQ(name, "arm");
    EXPECT_NEAR((hit - armPoint).Length(), 0.0f, 1e-4f);
    // A hidden mesh is not hit.
    model_->setFileMeshVisible("model.glb", "hat", 0);
    ASSERT_EQ(model_->checkSortHitCollisionLine(&hit, fromHat, name, sizeof name), 1);
    EXPECT_STREQ(name, "arm");
}

TEST_F(SceneModelTest, MaterialStateStartsFromTheResourceAndStaysPerModel)
{
    make(ArmFixture());
    DiffuseColorParam green;
    green.color = {0, 1, 0, 1};
    ASSERT_EQ(resource_->setMaterialDiffuseColor("hat", "cloth", &green), 0);
    // The scene model made before keeps its copy; one made now starts from the resource's state.
    EXPECT_EQ(model_->posedMeshes()[1].materials->at(0).diffuseColor.color.g, 0.0f);
    Ref<CSceneModel> second = remake();
    EXPECT_EQ(second->posedMeshes()[1].materials->at(0).diffuseColor.color.g, 1.0f);

    ASSERT_EQ(second->setMaterialBlendMode(nullptr, "cloth", 2), 0);
    const float offset[2] = {0.25f, 0.5f};
    ASSERT_EQ(second->setColorUVOffset("arm", "skin", offset), 0);
    ASSERT_EQ(second->setMaterialFog(nullptr, nullptr, 1), 0);
    ASSERT_EQ(second->setMaterialVisibleIn("model.glb", "hat", nullptr, 0), 0);
    const std::vector<PosedMesh> meshes = second->posedMeshes();
    EXPECT_EQ(meshes[1].materials->at(0).blendMode, 2);
    EXPECT_EQ(meshes[1].materials->at(0).visible, 0);
    EXPECT_EQ(meshes[0].materials->at(0).colorUVOffset[1], 0.5f);
    EXPECT_EQ(meshes[0].materials->at(0).fog, 1);
    EXPECT_EQ(resource_->meshes()[1]->materials[0].state.blendMode, 0);
    EXPECT_EQ(model_->posedMeshes()[1].materials->at(0).blendMode, 0);
    EXPECT_LT(second->setMaterialBlendMode("leg", nullptr, 2), 0);

    // Visibility: drawn while both the resource's flag and the scene model's own are set.
    second->setFileMeshVisible("model.glb", "arm", 0);
    EXPECT_FALSE(second->posedMeshes()[0].visible);
    second->setFileMeshVisible("model.glb", "arm", 1);
    resource_->setMeshVisible("arm", 0);
    EXPECT_FALSE(second->posedMeshes()[0].visible);
    // Draw-to-end on the scene model moves the mesh behind the others.
    second->setMeshDrawToEnd("model.glb", "arm");
    EXPECT_EQ(second->posedMeshes()[1].mesh->name, "arm");
}

TEST_F(SceneModelTest, CoupledBodiesFollowFramesOrMoveThemByMode)
{
    make(ArmFixture());
    ISceneFrame* lower = model_->findFrame("lower");
    auto* body = new HandMovedBody();
    const Matrix4x4 offset = Matrix4x4::GetTranslation(0, 1, 0);
    ASSERT_EQ(lower->attachRigidBodyWithMatrix(body, offset, 1, 0, 0), 0);
    EXPECT_EQ(body->getRefCount(), 2);
    IPhysicsRigidBody* held = lower->getRigidBody();
    EXPECT_EQ(held, body);
    EXPECT_EQ(body->getRefCount(), 3);
    held->release();
    ExpectNear(lower->getRigidBodyMatrix(), offset);
    EXPECT_EQ(lower->getRigidBodyFlag1(), 1u);
    EXPECT_EQ(lower->getRigidBodyFlag2(), 0u);

    // Kinematic: the body follows its frame through the motion.
    const int wave = model_->findMotion("wave");
    model_->setPhysicsKinematic(1);
    model_->enablePhysics(1);
    model_->startMotion(wave);
    for (float ms : {0.0f, 250.0f, 250.0f})
    {
        model_->advanceMotion(wave, ms);
        model_->applyTransform(1);
        ExpectNear(Placed(body->rotation, body->position), offset * lower->getWorldMatrix());
    }
    EXPECT_EQ(body->controlled, 1);
    // With physics on the simulated body places its frame: a fall of 2 pulls the lower arm (and nothing
    // else) down by 2.
    model_->setPhysicsKinematic(0);
    const Matrix4x4 posed = lower->getWorldMatrix();
    const Matrix4x4 upperBefore = model_->findFrame("upper")->getWorldMatrix();
    body->position.y -= 2.0f;
    body->velocity = {0, -3, 0};
    const int transforms = body->transforms;
    model_->applyTransform(1);
    EXPECT_EQ(body->transforms, transforms);
    EXPECT_EQ(body->controlled, 0);
    EXPECT_NEAR(lower->getWorldMatrix()._42, posed._42 - 2.0f, 1e-4f);
    ExpectNear(model_->findFrame("upper")->getWorldMatrix(), upperBefore);
    // The skin follows the fallen frame.
    ExpectNear(model_->posedMeshes()[0].palette[1], resource_->skins()[0].inverseBind[1] * lower->getWorldMatrix());

    // resetPhysics puts the body back at its frame, at rest; applyTransform(0) poses without the bodies.
    model_->applyTransform(0);
    ExpectNear(lower->getWorldMatrix(), posed);
    ASSERT_EQ(model_->resetPhysics(), 0);
    ExpectNear(Placed(body->rotation, body->position), offset * posed);
    EXPECT_EQ(body->velocity, Vector3D());
    EXPECT_EQ(body->resets, 1);

    // Detaching lets the body go.
    ASSERT_EQ(lower->attachRigidBody(nullptr, 0, 0, 0), 0);
    EXPECT_EQ(lower->getRigidBody(), nullptr);
    EXPECT_EQ(body->getRefCount(), 1);
    body->release();
}

TEST_F(SceneModelTest, PendingUpdatesAreFlushedByPosing)
{
    make(TwoFrames());
    EXPECT_EQ(model_->hasPendingUpdate(), 1);
    model_->setWorldMatrix(Matrix4x4::GetTranslation(0, 0, 4));
    ASSERT_EQ(model_->flushPendingUpdate(0), 0);
    EXPECT_EQ(model_->hasPendingUpdate(), 0);
    EXPECT_NEAR(world("tip")._43, 4.0f, 1e-6f);
    EXPECT_EQ(model_->getSceneNode(), static_cast<SceneDrawable*>(model_.get()));
}

TEST_F(SceneModelTest, SceneManagerRefusesForeignResources)
{
    EXPECT_EQ(device_->getSceneManager()->createSceneModel(nullptr), nullptr);
}

} // namespace
} // namespace OrvaneTest
