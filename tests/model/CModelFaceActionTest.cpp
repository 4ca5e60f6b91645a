// Face actions over a fake skeleton: the key queues with their timers, the head turned down the spine, the
// eye offset, face effects and the scene camera as the target.
#include "ModelFixture.h"

#include "model/CModelFaceActionManager.h"
#include "model/CModelFaceActionOwner.h"
#include "model/CModelFaceEffect.h"
#include "model/CModelFocus.h"
#include "model/CModelFocusEye.h"
#include "model/CModelFocusFace.h"

#include <kavro/ISceneManager.h>

#include <cmath>

using namespace OrvaneTest;
using Kavro::ISceneFrame;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::CModelFaceActionManager;
using Strings = std::vector<std::string>;

namespace
{

// The model stands turned a quarter about Y (exact entries): model space differs from world space.
const Matrix4x4 Turn(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1);

Vector3D toWorld(const Vector3D& modelPoint)
{
    return modelPoint.TransformNormal(Turn);
}

// A frame at a point of model space, in the rest pose: the rest matrix is in model space, the world matrix
// carries the model's turn.
FakeFrameSpec frameAt(const std::string& name, const Vector3D& modelPoint, std::vector<FakeFrameSpec> children = {})
{
    FakeFrameSpec spec;
    spec.name = name;
    spec.rest = Matrix4x4::GetTranslation(modelPoint.x, modelPoint.y, modelPoint.z);
    spec.world = spec.rest * Turn;
    spec.children = std::move(children);
    return spec;
}

class Owner : public Orvane::CModelFaceActionOwner
{
public:
    Kavro::ISceneModel* getSceneModel() override { return model->getSceneModel(); }
    ISceneFrame* getFrame_EyeL() override { return find(names[0]); }
    ISceneFrame* getFrame_EyeR() override { return find(names[1]); }
    ISceneFrame* getFrame_Head() override { return find(names[2]); }
    ISceneFrame* getFrame_SpineRoot() override { return find(names[3]); }
    ISceneFrame* find(const std::string& name) { return model->findFrame(name.c_str()); }

    Orvane::CModel* model = nullptr;
    std::string names[4] = {"eye_L", "eye_R", "head", "spine_root"};
};

class FaceActionTest : public ModelTest
{
protected:
    FaceActionTest()
    {
        FakeModelSpec spec;
        FakeFrameSpec head = frameAt("head", {0, 0, 0.4f},
                                     {frameAt("eye_L", {-0.05f, 0, 0.5f}), frameAt("eye_R", {0.05f, 0, 0.5f})});
        FakeFrameSpec spine = frameAt(
            "spine1", {0, 0, 0.1f}, {frameAt("spine2", {0, 0, 0.2f}, {frameAt("neck", {0, 0, 0.3f}, {head})})});
        spec.frames = {frameAt("base", {0, 0, 0}, {frameAt("spine_root", {0, 0, 0}, {spine})})};
        fake.models["chara.mdl"] = spec;
        owner.model = make();
        EXPECT_EQ(owner.model->loadModel("chara.mdl"), 0);
        manager = new CModelFaceActionManager(&owner);
        log.clear();
    }
    ~FaceActionTest() override { manager->release(); }

    void step()
    {
        t.core->milliTime += 17;
        manager->step();
    }
    // The frame's turn away from its rest pose relative to its parent, in degrees.
    float turnFromRest(const std::string& name)
    {
        ISceneFrame* frame = owner.find(name);
        ISceneFrame* parent = frame->getParent();
        const Matrix4x4 local = Orvane::RotationPart(frame->getWorldMatrix() * parent->getWorldMatrix().Inverse());
        const Matrix4x4 rest =
            Orvane::RotationPart(parent->getRestMatrix()).Inverse() * Orvane::RotationPart(frame->getRestMatrix());
        const Matrix4x4 delta = local * rest.Inverse();
        const float c = std::clamp((delta._11 + delta._22 + delta._33 - 1.0f) * 0.5f, -1.0f, 1.0f);
        return std::acos(c) * 57.2957802f;
    }
    // The eye's local translation now, minus the one of its rest pose.
    Vector3D eyeOffset(const std::string& name)
    {
        ISceneFrame* eye = owner.find(name);
        const Matrix4x4 now = eye->getWorldMatrix() * eye->getParent()->getWorldMatrix().Inverse();
        const Matrix4x4 rest = eye->getRestMatrix() * eye->getParent()->getRestMatrix().Inverse();
        return Vector3D(now._41 - rest._41, now._42 - rest._42, now._43 - rest._43);
    }
    // A head focus at full weight at once, toward a point of model space.
    void focusHeadOn(const Vector3D& modelPoint, float weight = 1.0f)
    {
        manager->addFocusFace(0.0f, weight, 0, 0.0f);
        manager->faceFocus->target = toWorld(modelPoint);
    }

    Owner owner;
    CModelFaceActionManager* manager = nullptr;
};

} // namespace

TEST_F(FaceActionTest, AQueueWaitsEasesAndStartsTheNextKeyOneStepAfterTheEaseEnds)
{
    // Frame speed 1: 16.666666 ms per step. Key 1 waits 20 ms then eases 0 -> 1 over 50 ms; key 2 eases to 0.5
    // over 40 ms. The step that ends the wait seeks the ease by the overshoot, then advances it.
    const std::vector<float> expected = {0.0f, 0.6f, 0.933333f, 1.0f, 1.0f, 0.791667f, 0.583333f, 0.5f, 0.5f};
    for (uint32_t easing : {0u, 61u, 0xFFFFFFFFu})
    {
        SCOPED_TRACE(easing);
        manager->reset();
        manager->faceFocus->weight.set(0.0f, 0.0f, 0, 0);
        manager->addFocusFace(50.0f, 1.0f, easing, 20.0f);
        manager->addFocusFace(40.0f, 0.5f, easing, 0.0f);
        EXPECT_EQ(manager->faceIndex, 0);
        for (size_t n = 0; n < expected.size(); ++n)
        {
            step();
            EXPECT_NEAR(manager->faceFocus->weightValue(), expected[n], 1e-4f) << "step " << n + 1;
        }
        EXPECT_EQ(manager->faceIndex, 1);
        EXPECT_EQ(manager->faceFocus->running, 1u);
    }
    // The time scale stretches waits and eases alike.
    manager->reset();
    manager->setTimeScale(0.5f);
    manager->faceFocus->weight.set(0.0f, 0.0f, 0, 0);
    manager->addFocusFace(50.0f, 1.0f, 0, 20.0f);
    step();
    step();
    EXPECT_NEAR(manager->faceFocus->weightValue(), 0.0f, 1e-6f);
    step();
    EXPECT_NEAR(manager->faceFocus->weightValue(), 0.266667f, 1e-4f);
}

TEST_F(FaceActionTest, TimersReadBackASeekAndASeekPastTheKeysHoldsTheLastTarget)
{
    manager->addFocusFace(50.0f, 1.0f, 0, 20.0f);
    manager->addFocusFace(40.0f, 0.5f, 0, 0.0f);
    const struct
    {
        float seek;
        float weight;
        int32_t index;
        float timer;
    } cases[] = {
        {10.0f, 0.0f, 0, 10.0f},  // inside the first wait
        {45.0f, 0.5f, 0, 45.0f},  // half way through the first ease
        {90.0f, 0.75f, 1, 90.0f}, // half way through the second, from the first target
        {1000.0f, 0.5f, 1, 110.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.seek);
        manager->setFocusFaceTimer(c.seek);
        EXPECT_NEAR(manager->faceFocus->weightValue(), c.weight, 1e-4f);
        EXPECT_EQ(manager->faceIndex, c.index);
        EXPECT_NEAR(manager->getFocusFaceTimer(), c.timer, 1e-3f);
    }
    // Past the keys the last target holds over later steps.
    for (int n = 0; n < 5; ++n)
        step();
    EXPECT_NEAR(manager->faceFocus->weightValue(), 0.5f, 1e-6f);

    // An empty queue keeps index -1 and reads 0.
    manager->setFocusEyeTimer(25.0f);
    EXPECT_EQ(manager->eyeIndex, -1);
    EXPECT_EQ(manager->getFocusEyeTimer(), 0.0f);
}

TEST_F(FaceActionTest, TheHeadTurnsDownTheSpineByAtMostElevenAndAHalfDegreesPerFrame)
{
    const char* chain[] = {"spine1", "spine2", "neck", "head"};
    struct Case
    {
        const char* what;
        Vector3D target;
        float weight;
        float turns[4]; // spine1, spine2, neck, head; negative: at least that much
    };
    const Case cases[] = {
        {"90 degrees to the side", {100, 0, 0}, 1.0f, {11.48f, 11.48f, 11.48f, 11.48f}},
        {"20 degrees to the side", {34.2020f, 0, -93.9693f}, 1.0f, {0, 0, 11.48f, -1.0f}},
        {"straight behind", {0, 0, 100}, 1.0f, {0, 0, 0, 0}},
        {"straight ahead", {0, 0, -100}, 1.0f, {0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (RecordingSceneFrame* frame : fake.resources.back()->frames)
            frame->world = frame->rest * Turn;
        manager->reset();
        manager->faceFocus->weight.set(0.0f, 0.0f, 0, 0);
        focusHeadOn(c.target, c.weight);
        log.clear();
        manager->update();
        const bool anyTurn = c.turns[0] != 0 || c.turns[2] != 0;
        EXPECT_EQ(calls({"setWorldMatrix"}).empty(), !anyTurn);
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE(chain[i]);
            if (c.turns[i] < 0)
                EXPECT_GT(turnFromRest(chain[i]), -c.turns[i]);
            else
                EXPECT_NEAR(turnFromRest(chain[i]), c.turns[i], 0.01f);
        }
    }
    // Turned toward the target, not away: the head, carried by the spine and neck, faces it more than at rest.
    for (RecordingSceneFrame* frame : fake.resources.back()->frames)
        frame->world = frame->rest * Turn;
    manager->reset();
    focusHeadOn({100, 0, 0});
    manager->update();
    const Vector3D towards = toWorld({100, 0, 0}).GetNormalize();
    const Vector3D facing = Vector3D(0, 0, -1).TransformNormal(owner.find("head")->getWorldMatrix());
    const Vector3D rest = Vector3D(0, 0, -1).TransformNormal(owner.find("head")->getRestMatrix() * Turn);
    EXPECT_LT(rest.Dot(towards), 0.01f);
    EXPECT_GT(facing.Dot(towards), 0.5f);
}

TEST_F(FaceActionTest, NoTurnAtWeightZeroWithoutAHeadOrWhenTheSpineNeverMeetsItsRoot)
{
    const struct
    {
        const char* what;
        const char* head;
        const char* root;
        float weight;
        Strings turned;
    } cases[] = {
        {"weight 0", "head", "spine_root", 0.0f, {}},
        {"no head frame", "nothing", "spine_root", 1.0f, {}},
        {"root not above the neck", "head", "eye_L", 1.0f, {}},
        {"no root: neck and head only", "head", "", 1.0f, {"neck", "head"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        owner.names[2] = c.head;
        owner.names[3] = c.root;
        manager->reset();
        manager->faceFocus->weight.set(0.0f, 0.0f, 0, 0);
        focusHeadOn({100, 0, 0}, c.weight);
        log.clear();
        manager->update();
        Strings turned;
        for (const std::string& call : calls({"setWorldMatrix"}))
            turned.push_back(call.substr(call.find('/') + 1, call.find('.') - call.find('/') - 1));
        EXPECT_EQ(turned, c.turned);
    }
}

TEST_F(FaceActionTest, TheEyesMoveTowardTheTargetWithinTheirLimits)
{
    const struct
    {
        Vector3D target; // model space
        float weight;
        Vector3D offset; // model space, both eyes
    } cases[] = {
        {{100, 0, -1}, 1.0f, {1.0f, 0, 0}},      {{0, 100, -1}, 1.0f, {0, 0.1f, 0}},
        {{-100, -100, -1}, 1.0f, {-1.0f, -0.1f, 0}}, {{0, 0, -100}, 1.0f, {0, 0, 0}},
        {{10, 0, -99.5f}, 1.0f, {0.1f, 0, 0}},      {{100, 100, -1}, 0.5f, {0.5f, 0.05f, 0}},
        {{0, 0, 100}, 1.0f, {0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.target.x + c.target.y);
        for (RecordingSceneFrame* frame : fake.resources.back()->frames)
            frame->world = frame->rest * Turn;
        manager->reset();
        manager->eyeFocus->weight.set(0.0f, 0.0f, 0, 0);
        manager->addFocusEye(0.0f, c.weight, 0, 0.0f);
        manager->eyeFocus->target = toWorld(c.target);
        manager->update();
        for (const char* eye : {"eye_L", "eye_R"})
        {
            const Vector3D offset = eyeOffset(eye);
            EXPECT_NEAR(offset.x, c.offset.x, 2e-3f) << eye;
            EXPECT_NEAR(offset.y, c.offset.y, 2e-3f) << eye;
            EXPECT_NEAR(offset.z, c.offset.z, 2e-3f) << eye;
        }
    }
}

TEST_F(FaceActionTest, EffectsReachTheSceneModelOnlyWithANameAndQueueLikeFocusKeys)
{
    manager->addFaceEffect("", 0.0f, 1.0f, 0, 0.0f);
    manager->update();
    EXPECT_TRUE(calls({"setFaceEffect"}).empty());

    manager->clearFaceEffect();
    manager->addFaceEffect("smile", 0.0f, 0.8f, 0, 0.0f);
    manager->addFaceEffect("wink", 0.0f, 0.3f, 0, 0.0f);
    manager->update();
    EXPECT_EQ(calls({"setFaceEffect"}), (Strings{"sceneModel1.setFaceEffect(\"head_mouth\", \"smile\", 0.8)",
                                                  "sceneModel1.setFaceEffect(\"head_eye\", \"smile\", 0.8)"}));
    step(); // the zero-length ease has ended: the next key starts
    log.clear();
    manager->update();
    EXPECT_EQ(calls({"setFaceEffect"}), (Strings{"sceneModel1.setFaceEffect(\"head_mouth\", \"wink\", 0.3)",
                                                  "sceneModel1.setFaceEffect(\"head_eye\", \"wink\", 0.3)"}));
    EXPECT_EQ(manager->effectIndex, 1);
}

TEST_F(FaceActionTest, TheCameraIsTheTargetReleasedEveryStepAndItsAbsenceKeepsTheTarget)
{
    // No camera: the target stays where it was.
    manager->faceFocus->target = Vector3D(1, 2, 3);
    step();
    EXPECT_EQ(manager->faceFocus->target, Vector3D(1, 2, 3));

    Kavro::ICamera* camera = fake.createCamera();
    camera->setLookAt(Vector3D(5, 6, 7), Vector3D(0, 0, 0), Vector3D(0, 1, 0));
    fake.setCamera(camera);
    camera->release();
    for (int n = 0; n < 3; ++n)
        step();
    EXPECT_EQ(manager->faceFocus->target, Vector3D(5, 6, 7));
    EXPECT_EQ(manager->eyeFocus->target, Vector3D(5, 6, 7));
    // The scene's own reference is all that is left; the registry checks the rest at the end.
    EXPECT_EQ(camera->getRefCount(), 1);
}
