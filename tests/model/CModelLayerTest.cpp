// Motion layers and texture animation against the recording scene model: the attach, detach, start,
// advance and blend calls each scenario makes.
#include "ModelFixture.h"

#include "model/CModelMotionManager.h"
#include "model/CModelTextureAnimationManager.h"

#include <algorithm>

using namespace OrvaneTest;
using Orvane::CModel;
using Orvane::CModelMotionManager;
using Strings = std::vector<std::string>;

namespace
{

class ModelLayerTest : public ModelTest
{
protected:
    Strings motionCalls()
    {
        Strings out = calls({"attachMotion", "detachMotion", "startMotion", "advanceMotion", "setMotionBlendRate",
                             "isMotionEnd", "resetPose", "resetPhysics", "applyTransform"});
        log.clear();
        return out;
    }
    // Every motion's attachments have been given back.
    ::testing::AssertionResult balanced()
    {
        for (int motion = 0; motion < 3; ++motion)
            if (scene()->attachCount(motion) != 0)
                return ::testing::AssertionFailure() << "motion " << motion << " attached "
                                                     << scene()->attachCount(motion) << " times";
        return ::testing::AssertionSuccess();
    }
    // Layer 1 plays a, then the queue b, c, "LOOP" attached.
    void queueExample(CModel* model)
    {
        model->setLayerMotion(1, "a");
        model->addLayerMotion(1, "b", 500);
        model->addLayerMotion(1, "c", -1);
        model->addLayerMotion(1, "LOOP", 0);
    }
};

} // namespace

TEST_F(ModelLayerTest, AQueueSwitchesAfterItsTimeOrAtTheMotionsEndAndLoops)
{
    CModel* model = loaded();
    queueExample(model);
    const Strings setUp = {
        "sceneModel1.attachMotion(0)", "sceneModel1.setMotionBlendRate(1)", "sceneModel1.startMotion(0)",
        "sceneModel1.attachMotion(1)", "sceneModel1.attachMotion(2)",       "sceneModel1.attachMotion(-1)",
    };
    EXPECT_EQ(motionCalls(), setUp);

    CModelMotionManager* layer = model->getLayer(1);
    ASSERT_NE(layer, nullptr);
    const struct
    {
        float dt;
        int endingMotion; // the motion that reports its end during the step (-1 none)
        Strings calls;
    } steps[] = {
        {300, -1, {"sceneModel1.advanceMotion(0, 300)"}},
        // 600 ms > 500: b starts.
        {300, -1, {"sceneModel1.detachMotion(0)", "sceneModel1.attachMotion(1)", "sceneModel1.setMotionBlendRate(1)",
                   "sceneModel1.startMotion(1)", "sceneModel1.advanceMotion(1, 300)"}},
        // c waits for b's end.
        {300, -1, {"sceneModel1.isMotionEnd(1)", "sceneModel1.advanceMotion(1, 300)"}},
        {300, 1, {"sceneModel1.isMotionEnd(1)", "sceneModel1.detachMotion(1)", "sceneModel1.attachMotion(2)",
                  "sceneModel1.setMotionBlendRate(1)", "sceneModel1.startMotion(2)", "sceneModel1.advanceMotion(2, 300)"}},
        // The marker sent the queue back: c plays 500 ms, then b again.
        {300, -1, {"sceneModel1.advanceMotion(2, 300)"}},
        {300, -1, {"sceneModel1.detachMotion(2)", "sceneModel1.attachMotion(1)", "sceneModel1.setMotionBlendRate(1)",
                   "sceneModel1.startMotion(1)", "sceneModel1.advanceMotion(1, 300)"}},
        {300, -1, {"sceneModel1.isMotionEnd(1)", "sceneModel1.advanceMotion(1, 300)"}},
    };
    int i = 0;
    for (const auto& s : steps)
    {
        scene()->motionEnds.clear();
        if (s.endingMotion >= 0)
            scene()->motionEnds[s.endingMotion] = 1;
        layer->step(s.dt);
        EXPECT_EQ(motionCalls(), s.calls) << "step " << i++;
    }
    EXPECT_EQ(model->getLayerActiveMotionIndex(1), 1);
    EXPECT_EQ(model->isRemainMotion(1), 1);
    EXPECT_EQ(model->isRemainMotion(0), 1);

    model->resetPose();
    EXPECT_TRUE(balanced());
    EXPECT_EQ(model->getLayer(0), nullptr);
    EXPECT_EQ(model->getLayer(1), nullptr);
}

TEST_F(ModelLayerTest, ADueAtOnceEntryWaitsForAPositiveStep)
{
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    model->addLayerMotion(0, "b", 0);
    log.clear();
    model->getLayer(0)->step(0.0f);
    EXPECT_EQ(motionCalls(), Strings{"sceneModel1.advanceMotion(0, 0)"});
    model->getLayer(0)->step(0.5f);
    const Strings switched = {"sceneModel1.detachMotion(0)", "sceneModel1.attachMotion(1)",
                              "sceneModel1.setMotionBlendRate(1)", "sceneModel1.startMotion(1)",
                              "sceneModel1.advanceMotion(1, 0.5)"};
    EXPECT_EQ(motionCalls(), switched);
    // The queue is done: the last motion keeps advancing, nothing switches.
    EXPECT_EQ(model->isRemainMotion(0), 0);
    model->getLayer(0)->step(1000.0f);
    EXPECT_EQ(motionCalls(), Strings{"sceneModel1.advanceMotion(1, 1000)"});
}

TEST_F(ModelLayerTest, SwitchMotionStepsEveryLayerByZeroSoOnlyAnEndWaitingEntrySwitches)
{
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    model->addLayerMotion(0, "b", -1);
    model->setLayerMotion(1, "a");
    model->addLayerMotion(1, "c", 100);
    scene()->motionEnds[0] = 1;
    log.clear();
    model->switchMotion(1);
    const Strings expected = {
        "sceneModel1.setMotionBlendRate(0)", "sceneModel1.isMotionEnd(0)",        "sceneModel1.detachMotion(0)",
        "sceneModel1.attachMotion(1)",       "sceneModel1.setMotionBlendRate(1)", "sceneModel1.startMotion(1)",
        "sceneModel1.advanceMotion(1, 0)",   "sceneModel1.advanceMotion(0, 0)",   "sceneModel1.applyTransform(1)",
        "sceneModel1.resetPhysics()",
    };
    EXPECT_EQ(motionCalls(), expected);
}

TEST_F(ModelLayerTest, SettingTheActiveIndexStartsThePreviousEntryOnlyWhenItExists)
{
    CModel* model = loaded();
    model->setLayerMotion(1, "a");
    model->addLayerMotion(1, "b", 100);
    model->addLayerMotion(1, "c", 100);
    model->addLayerMotion(1, "b", 100);
    log.clear();
    model->setLayerActiveMotionIndex(1, 0);
    EXPECT_TRUE(motionCalls().empty());
    EXPECT_EQ(model->getLayerActiveMotionIndex(1), 0);

    model->setLayerActiveMotionIndex(1, 2);
    // Entry 1 (c) starts at once.
    const Strings started = {"sceneModel1.detachMotion(0)", "sceneModel1.attachMotion(2)",
                             "sceneModel1.setMotionBlendRate(1)", "sceneModel1.startMotion(2)"};
    EXPECT_EQ(motionCalls(), started);
    EXPECT_EQ(model->getLayerActiveMotionIndex(1), 2);
    // Entry 2 (b) is the next one.
    model->getLayer(1)->step(150.0f);
    EXPECT_EQ(motionCalls().at(3), "sceneModel1.startMotion(1)");

    model->setLayerActiveMotionIndex(1, 9);
    model->setLayerActiveMotionIndex(1, -1);
    model->setLayerActiveMotionIndex(7, 1);
    EXPECT_TRUE(motionCalls().empty());
}

TEST_F(ModelLayerTest, ResetPoseRemovesLayerZeroUntilALayerCallMakesItAgain)
{
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    model->resetPose();
    EXPECT_EQ(model->getLayer(0), nullptr);
    EXPECT_EQ(motionCalls().back(), "sceneModel1.resetPose()");
    EXPECT_TRUE(balanced());
    model->addLayerMotion(0, "b", 100);
    ASSERT_NE(model->getLayer(0), nullptr);
    EXPECT_EQ(model->getLayer(0)->getCurrent(), -1);
    EXPECT_EQ(model->getLayer(0)->getStack().entries.size(), 1u);
    EXPECT_EQ(motionCalls(), Strings{"sceneModel1.attachMotion(1)"});
}

TEST_F(ModelLayerTest, UnusedLayersAndUnknownNamesAnswerWithoutTheLibrary)
{
    CModel* model = loaded();
    EXPECT_EQ(model->isMotionOver(5), 1);
    EXPECT_EQ(model->isRemainMotion(5), 0);
    EXPECT_EQ(model->getLayerActiveMotionFrame(5), 0);
    EXPECT_EQ(model->getLayerActiveMotionMaxFrame(5), 0);
    EXPECT_EQ(model->getLayerActiveMotionFrame(0), 0); // layer 0 plays nothing yet
    EXPECT_EQ(model->getLayerActiveMotionMaxFrame(0), 0);
    EXPECT_EQ(model->getLayerActiveMotionTimer(5), 0.0f);
    EXPECT_EQ(model->getLayerActiveMotionFrameTime(5), 0.0f);
    EXPECT_EQ(model->changeLayerActiveMotionFrameTime(5, 10.0f, 0), -1);
    EXPECT_EQ(model->changeLayerActiveMotionFrameTime(0, 10.0f, 0), -1);
    EXPECT_TRUE(log.calls().empty());

    // "loop" in lower case and names not loaded are ignored.
    model->addLayerMotion(2, "loop", 0);
    model->addLayerMotion(2, "LOOPS", 0);
    model->setLayerMotion(2, "zzz");
    EXPECT_EQ(model->getLayer(2), nullptr);
    EXPECT_TRUE(motionCalls().empty());

    model->setLayerMotion(0, "c");
    scene()->motionFrames[2] = 12;
    EXPECT_EQ(model->getLayerActiveMotionFrame(0), 12);
    EXPECT_EQ(model->getLayerActiveMotionMaxFrame(0), 3000);
    EXPECT_EQ(model->isMotionOver(0), 0);
    scene()->motionEnds[2] = 1;
    EXPECT_EQ(model->isMotionOver(0), 1);
    model->setLayerMotion(3, "a");
    EXPECT_EQ(model->isMotionOver(0), 0); // layer 3 still plays
    EXPECT_EQ(model->isMotionOver(2), 1);
}

TEST_F(ModelLayerTest, ANewMotionOnALayerAboveAPendingBaseQueueStartsUnblendedAfterOneFrame)
{
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    model->addLayerMotion(0, "b", 100);
    model->addLayerMotion(0, "c", 100);
    log.clear();
    model->setLayerMotion(1, "c");
    const Strings expected = {
        "sceneModel1.setMotionBlendRate(0)",
        // One frame of the model: layer 0 steps by the frame time.
        "sceneModel1.advanceMotion(0, 16.6667)",
        "sceneModel1.applyTransform(0)",
        "sceneModel1.resetPhysics()",
        "sceneModel1.attachMotion(2)",
        "sceneModel1.setMotionBlendRate(0)",
        "sceneModel1.startMotion(2)",
    };
    EXPECT_EQ(motionCalls(), expected);
}

TEST_F(ModelLayerTest, EveryAttachmentIsGivenBackByClearResetPoseANewBaseMotionAndDestruction)
{
    const std::function<void(CModel*)> endings[] = {
        [](CModel* m) { m->getLayer(1)->clear(); m->getLayer(0)->clear(); },
        [](CModel* m) { m->resetPose(); },
        [](CModel* m) { m->setLayerMotion(0, "b"); m->getLayer(0)->clear(); },
        [](CModel* m) { m->setMotion("b"); m->getLayer(0)->clear(); },
        [this](CModel* m) {
            owned.erase(std::find(owned.begin(), owned.end(), m));
            m->release();
        },
    };
    int i = 0;
    for (const auto& end : endings)
    {
        CModel* model = make();
        ASSERT_EQ(model->loadModel("m.mdl"), 0);
        RecordingSceneModel* sceneModel = fake.sceneModels.back();
        model->setLayerMotion(0, "c");
        model->addLayerMotion(0, "a", -1);
        queueExample(model);
        model->getLayer(1)->step(600.0f);
        EXPECT_GT(sceneModel->attachCount(1), 0);
        end(model);
        for (int motion = 0; motion < 3; ++motion)
            EXPECT_EQ(sceneModel->attachCount(motion), 0) << "ending " << i << ", motion " << motion;
        ++i;
    }
    // A new base motion restarts the whole set: the other layers are gone.
    CModel* model = make();
    ASSERT_EQ(model->loadModel("m.mdl"), 0);
    queueExample(model);
    model->setLayerMotion(0, "a");
    EXPECT_EQ(model->getLayers().size(), 1u);
}

TEST_F(ModelLayerTest, StopAllMotionHoldsTheLayersAndResumesEachPlayingMotion)
{
    CModel* model = loaded();
    model->setLayerMotion(0, "a");
    model->setLayerMotion(2, "c");
    model->setLayerMotion(1, "b");
    model->getLayer(1)->clear();
    model->setStopAllMotion(1);
    log.clear();
    model->advanceTime(nullptr);
    EXPECT_TRUE(motionCalls().empty());
    model->setStopAllMotion(0);
    EXPECT_EQ(model->getStopAllMotion(), 0);
    const Strings resumed = {"sceneModel1.resumeMotion(0)", "sceneModel1.resumeMotion(2)"};
    EXPECT_EQ(calls({"resumeMotion"}), resumed);
}

TEST_F(ModelLayerTest, TextureAnimationAddsItsSpeedOncePerFrameByKindAndNames)
{
    using Kavro::Vector2D;
    CModel* model = loaded();
    model->setAnimationColorUV("m", "t", Vector2D(0.25f, 1.0f));
    model->setAnimationBumpUV("m", "t", Vector2D(1.0f, 0.0f));
    model->setAnimationColorUV("m", "u", Vector2D(0.0f, 0.0f)); // a new pair at rest: nothing added
    model->setAnimationExtraUV("x", "y", Vector2D(2.0f, 2.0f));
    ASSERT_EQ(model->getTextureAnimation()->getEntries().size(), 3u);

    const auto uv = [&] {
        Strings out = calls({"setColorUVOffset", "setBumpUVOffset", "setExtraUVOffset"});
        log.clear();
        return out;
    };
    model->setStopAllMotion(1); // the animation runs anyway
    t.app->frameSpeed = 3.0f;   // and does not care how long the frame was
    log.clear();
    model->advanceTime(nullptr);
    const Strings first = {"sceneModel1.setColorUVOffset(\"m\", \"t\", 0.25, 1)",
                           "sceneModel1.setBumpUVOffset(\"m\", \"t\", 1, 0)",
                           "sceneModel1.setExtraUVOffset(\"x\", \"y\", 2, 2)"};
    EXPECT_EQ(uv(), first);
    model->advanceTime(nullptr);
    EXPECT_EQ(uv()[0], "sceneModel1.setColorUVOffset(\"m\", \"t\", 0.5, 2)");

    // The same pair again restarts at 0 with the new speed; (0, 0) on an existing pair stops it at 0.
    model->setAnimationColorUV("m", "t", Vector2D(-1.0f, 0.0f));
    model->setAnimationBumpUV("m", "t", Vector2D(0.0f, 0.0f));
    model->setTimeScale(0.5f);
    model->advanceTime(nullptr);
    const Strings replaced = {"sceneModel1.setColorUVOffset(\"m\", \"t\", -0.5, 0)",
                              "sceneModel1.setBumpUVOffset(\"m\", \"t\", 0, 0)",
                              "sceneModel1.setExtraUVOffset(\"x\", \"y\", 5, 5)"};
    EXPECT_EQ(uv(), replaced);
    EXPECT_EQ(model->getTextureAnimation()->getEntries().size(), 3u);
}
