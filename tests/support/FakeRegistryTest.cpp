#include "support/Fake3D.h"
#include "support/FakeCore.h"
#include "support/FakePhysics.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace OrvaneTest;

TEST(FakeRegistry, ReportsForgottenReleaseReleasePastZeroAndCallAfterRelease)
{
    CallLog log;
    EXPECT_NONFATAL_FAILURE(
        {
            FakeRegistry registry;
            new RecordingCamera(log, &registry, "camera1");
        },
        "camera1 not released to zero (1 left)");

    FakeRegistry registry;
    auto* camera = new RecordingCamera(log, &registry, "camera2");
    camera->addRef();
    EXPECT_EQ(camera->release(), 1);
    EXPECT_EQ(camera->update(), 0);
    EXPECT_EQ(camera->release(), 0);
    EXPECT_NONFATAL_FAILURE(camera->release(), "camera2 released past zero");
    EXPECT_NONFATAL_FAILURE(camera->update(), "camera2.update called after its last release");
    EXPECT_NONFATAL_FAILURE(camera->getFov(), "camera2.getFov called after its last release");
    EXPECT_NONFATAL_FAILURE(camera->addRef(), "camera2.addRef called after its last release");
    camera->release(); // the addRef above brought it back to one
    EXPECT_EQ(registry.reports(),
              (std::vector<std::string>{"camera2 released past zero", "camera2.update called after its last release",
                                        "camera2.getFov called after its last release",
                                        "camera2.addRef called after its last release"}));
    EXPECT_EQ(log.calls(), (std::vector<std::string>{"camera2.update()", "camera2.update()"}));
}

TEST(FakeRegistry, FakeWithoutRegistryDeletesItselfAtZero)
{
    CallLog log;
    auto* camera = new RecordingCamera(log, nullptr, "camera");
    camera->addRef();
    EXPECT_EQ(camera->release(), 1);
    EXPECT_EQ(camera->release(), 0); // the sanitizer build sees a leak or a double delete
}

namespace
{

FakeModelSpec Body()
{
    FakeModelSpec spec;
    FakeFrameSpec hips{"hips", Kavro::Matrix4x4::GetTranslation(0, 1, 0), Kavro::Matrix4x4::GetTranslation(0, 1, 0),
                       {}, {}};
    hips.children.push_back({"head", Kavro::Matrix4x4::GetTranslation(0, 0.5f, 0),
                             Kavro::Matrix4x4::GetTranslation(0, 1.5f, 0), {}, {}});
    hips.children.push_back({"tail", {}, {}, {}, {}});
    spec.frames.push_back(hips);
    spec.motions = {{"walk", 900.0f, 1.0f}, {"run", 600.0f, 2.0f}};
    spec.meshes = {{"body", {"skin", "cloth"}}};
    return spec;
}

} // namespace

class Fake3DTest : public testing::Test
{
protected:
    CallLog log;
    Fake3D fake{log};
};

TEST_F(Fake3DTest, ModelFramesAreTheResourcesSharedByItsSceneModels)
{
    fake.models["chara.gltf"] = Body();
    EXPECT_EQ(fake.loadModel("missing.gltf"), nullptr);
    Kavro::IModelResource* resource = fake.loadModel("chara.gltf");
    ASSERT_NE(resource, nullptr);
    Kavro::ISceneModel* model = fake.createSceneModel(resource);
    ASSERT_NE(model, nullptr);

    Kavro::ISceneFrame* head = resource->findFrame("head");
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(model->findFrame("head"), head);
    EXPECT_EQ(model->findFrame("nose"), nullptr);
    EXPECT_EQ(head->getWorldMatrix(), Kavro::Matrix4x4::GetTranslation(0, 1.5f, 0));
    Kavro::ISceneFrame* hips = head->getParent();
    ASSERT_NE(hips, nullptr);
    EXPECT_EQ(hips->getChildCount(), 2);
    EXPECT_STREQ(hips->getChildName(1), "tail");
    EXPECT_EQ(hips->getChildName(2), nullptr);
    char name[4];
    EXPECT_EQ(hips->getName(name, sizeof name), 3); // cut to the buffer
    EXPECT_STREQ(name, "hip");

    // A bone's reference keeps its frame; once the resource goes it has no parent.
    head->addRef();
    model->release();
    resource->release();
    EXPECT_EQ(head->getParent(), nullptr);
    head->release();
    EXPECT_NONFATAL_FAILURE(hips->getChildCount(), "model1/hips.getChildCount called after its last release");
}

TEST_F(Fake3DTest, MotionsFollowTheAttachContract)
{
    fake.models["chara.gltf"] = Body();
    Kavro::IModelResource* resource = fake.loadModel("chara.gltf");
    EXPECT_EQ(resource->loadMotion("motion/jump.anm"), 0);
    auto* model = static_cast<RecordingSceneModel*>(fake.createSceneModel(resource));
    ASSERT_EQ(model->getMotionCount(), 3);
    char name[64];
    model->getMotionName(2, name, sizeof name);
    EXPECT_STREQ(name, "jump");
    EXPECT_EQ(model->findMotion("run"), 1);
    EXPECT_EQ(model->findMotion("swim"), -1);
    EXPECT_FLOAT_EQ(model->getMotionMaxFrameTime(0), 900.0f);

    model->attachMotion(1);
    model->attachMotion(1);
    model->attachMotion(-1);
    model->attachMotion(7);
    model->detachMotion(0); // never attached: ignored
    model->detachMotion(1);
    EXPECT_EQ(model->attachCount(1), 1);
    EXPECT_EQ(model->attachCount(0), 0);
    EXPECT_EQ(model->attachCount(-1), 0);

    model->motionEnds[1] = 1;
    EXPECT_EQ(model->isMotionEnd(1), 1);
    EXPECT_EQ(model->isMotionEnd(0), 0);
    model->release();
    resource->release();
}

TEST_F(Fake3DTest, DrawablesHandTheirNodesToTheScene)
{
    CallLog deviceLog;
    RecordingRenderDevice device(deviceLog);
    RecordingSceneManager* scene = device.recordingScene();
    scene->fake3D = &fake;
    device.fake3D = &fake;
    Kavro::IPointLight* light = device.createPointLight();
    Kavro::IScenePointLight* sceneLight = scene->createScenePointLight(light);
    ASSERT_NE(sceneLight, nullptr);
    EXPECT_EQ(scene->addSceneNode(sceneLight->getSceneNode()), 0);
    EXPECT_EQ(scene->addSceneNode(nullptr), -1);
    Kavro::ISceneNode* node = sceneLight->getSceneNode();
    sceneLight->release();
    EXPECT_NONFATAL_FAILURE(scene->addSceneNode(node), "sceneLight1.sceneNode called after its last release");
    light->release();
    EXPECT_EQ(log.calls(), (std::vector<std::string>{"device.createPointLight()",
                                                     "scene.createScenePointLight(pointLight1)",
                                                     "sceneLight1.getSceneNode()", "scene.addSceneNode(sceneLight1)",
                                                     "scene.addSceneNode(null)", "sceneLight1.getSceneNode()",
                                                     "scene.addSceneNode(sceneLight1)"}));
}

TEST_F(Fake3DTest, SceneCameraIsHeldByTheScene)
{
    Kavro::ICamera* camera = fake.createCamera();
    fake.setCamera(camera);
    camera->release(); // the scene still holds it
    Kavro::ICamera* current = fake.getCamera();
    EXPECT_EQ(current, camera);
    current->setPerspective(1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_NEAR(current->getFov(), 57.29578f, 1e-3f);
    EXPECT_EQ(*current->getAspect(), 2.0f);
    current->release();
}

TEST_F(Fake3DTest, PhysicsWorldAnswersScriptedHitsAndNullCreates)
{
    auto* world = new FakePhysicsWorld(log, "world1", &fake);
    Kavro::IPhysicsRigidBody* body = world->createSphere(2.0f, {1, 2, 3}, 0.5f, {});
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->getMass(), 2.0f);
    int owner = 0;
    body->setUserPointer(&owner);

    Kavro::PhysicsHitResult hit;
    hit.position = {4, 5, 6};
    hit.body = body;
    world->rayHits.push_back(hit);
    Kavro::PhysicsHitResult result;
    EXPECT_EQ(world->rayTest({0, 0, 0}, {0, 0, 10}, result, 1), 1);
    EXPECT_EQ(result.body->getUserPointer(), &owner);
    EXPECT_EQ(result.position, Kavro::Vector3D(4, 5, 6));
    EXPECT_EQ(world->rayTest({0, 0, 0}, {0, 0, 10}, result, 1), 0);

    Kavro::IPhysicsJoint* joint = world->createJoint();
    ASSERT_NE(joint, nullptr);
    joint->connectBall(body, nullptr, {0, 1, 0}, 1);
    Kavro::IPhysicsRigidBody* a = joint->getBodyA();
    EXPECT_EQ(a, body);
    a->release();
    joint->detach();
    joint->release();
    body->release();

    world->noCreate = true;
    EXPECT_EQ(world->createBox(1.0f, {}, {1, 1, 1}, {}), nullptr);
    EXPECT_EQ(world->createJoint(), nullptr);
    world->release();
    EXPECT_EQ(log.named("world1.createSphere"), (std::vector<std::string>{
                                                    "world1.createSphere(2, (1 2 3), 0.5, identity)"}));
    EXPECT_EQ(log.named("joint1.connectBall"),
              (std::vector<std::string>{"joint1.connectBall(body1, null, (0 1 0), 1)"}));
}
