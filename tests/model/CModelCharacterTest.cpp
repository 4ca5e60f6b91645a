// The character over the recording 3D fakes: the orders of its time step and render, the voice level, a
// fresh face per load, frames held across scene-model changes, and its record.
#include "ModelFixture.h"

#include "core/CFile.h"
#include "model/CModelCharacter.h"
#include "model/CModelFace.h"
#include "model/CModelFaceActionManager.h"
#include "model/CModelFocusFace.h"
#include "sound/CSound.h"

using namespace OrvaneTest;
using Orvane::CFile;
using Orvane::CModelCharacter;
using Strings = std::vector<std::string>;

namespace
{

// A sound whose state the test sets.
class TestVoice : public Orvane::CSound
{
public:
    int isPlaying() override { return playing; }
    int isPaused() override { return paused; }
    float getPulse() override { return pulse; }
    int playing = 1;
    int paused = 0;
    float pulse = 0.5f;
};

FakeFrameSpec bone(const std::string& name, float z, std::vector<FakeFrameSpec> children = {})
{
    FakeFrameSpec spec;
    spec.name = name;
    spec.rest = Kavro::Matrix4x4::GetTranslation(0, 0, z);
    spec.world = spec.rest;
    spec.children = std::move(children);
    return spec;
}

class CharacterTest : public ModelTest
{
protected:
    CharacterTest()
    {
        FakeModelSpec spec;
        spec.motions = {{"a", 1000.0f, 1.0f}};
        FakeFrameSpec head = bone("Bip01Head", 0.2f, {bone("eye_L1", 0.3f), bone("eye_R1", 0.3f)});
        spec.frames = {bone("base", 0, {bone("Bip01Spine", 0, {bone("Bip01Neck", 0.1f, {head})})})};
        fake.models["chara.mdl"] = spec;
        fake.models["other.mdl"] = spec;
    }
    ~CharacterTest() override
    {
        if (voice)
            voice->release();
    }
    CModelCharacter* character(const std::string& path = "chara.mdl")
    {
        auto* c = new CModelCharacter("c");
        c->leaveTaskLists();
        owned.push_back(c);
        if (!path.empty())
        {
            EXPECT_EQ(c->loadModel(path), 0);
            c->initFace("eye", "mouth");
        }
        log.clear();
        return c;
    }
    // The operation and its first argument of each logged call whose operation is one of ops.
    Strings trace(std::initializer_list<std::string> ops)
    {
        Strings out;
        for (const std::string& call : calls(ops))
        {
            const size_t dot = call.find('.');
            const size_t comma = call.find(',');
            out.push_back(call.substr(dot + 1, (comma == std::string::npos ? call.size() - 1 : comma) - dot - 1));
        }
        return out;
    }
    std::string frameLabel(Kavro::ISceneFrame* f) { return f ? dynamic_cast<FakeLife*>(f)->label() : "null"; }

    TestVoice* voice = new TestVoice;
};

} // namespace

TEST_F(CharacterTest, TheTimeStepAndTheRenderRunInTheirOrder)
{
    CModelCharacter* c = character();
    c->setVoice(voice);
    c->setMouseWeightEnable(1);
    c->setMouseWeight(0.3f);
    c->setEyeWeightEnable(1);
    c->setEyeWeight(0.6f);
    c->setLayerMotion(0, "a");
    log.clear();
    t.core->milliTime += 17;
    c->update();
    // Voice mouth, change (here the blink), manual mouth and eye weights, the model's motions, the face actions.
    EXPECT_EQ(trace({"setMorphWeight", "advanceMotion", "getCamera"}),
              (Strings{"setMorphWeight(\"mouth\"", "setMorphWeight(\"eye\"", "setMorphWeight(\"mouth\"",
                       "setMorphWeight(\"eye\"", "advanceMotion(0", "getCamera("}));
    EXPECT_EQ(calls({"setMorphWeight"}).at(2), "sceneModel1.setMorphWeight(\"mouth\", 0, 1, 0.3)");

    EXPECT_EQ(c->setMorph("x", "a", "b"), 0);
    c->addFaceEffect("smile", 0, 1.0f, 0, 0);
    log.clear();
    c->render();
    // The model's channels, the face's two, then the effect.
    EXPECT_EQ(trace({"setMorphWeight", "setFaceEffect"}),
              (Strings{"setMorphWeight(\"x\"", "setMorphWeight(\"eye\"", "setMorphWeight(\"mouth\"",
                       "setFaceEffect(\"head_mouth\"", "setFaceEffect(\"head_eye\""}));

    // The sequence time grows only while entries are left, by the model's step.
    c->makeFace("f", "e", "b", "o", "m");
    c->setFace("f");
    c->update();
    EXPECT_EQ(c->getFace()->sequenceTime, 0.0f);
    c->addFace("f", 1000);
    t.core->milliTime += 17;
    c->update();
    EXPECT_NEAR(c->getFace()->sequenceTime, 16.666666f, 1e-4f);
}

TEST_F(CharacterTest, TheVoiceOpensTheMouthOnlyWhilePlayingAndNotPaused)
{
    const struct
    {
        int playing;
        int paused;
        bool opens;
    } cases[] = {{1, 0, true}, {1, 1, false}, {0, 0, false}};
    CModelCharacter* c = character();
    c->setVoice(voice);
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.playing * 10 + k.paused);
        voice->playing = k.playing;
        voice->paused = k.paused;
        c->getFace()->mouthWeight = 0.0f;
        c->update();
        EXPECT_EQ(c->getFace()->mouthWeight > 0.0f, k.opens);
    }
    c->setVoice(nullptr);
    EXPECT_EQ(c->getVoice(), nullptr);
    EXPECT_EQ(voice->getRefCount(), 1);
}

TEST_F(CharacterTest, ALoadGivesAFreshFaceAndKeepsVoiceNamesAndQueues)
{
    CModelCharacter* c = character("");
    EXPECT_EQ(c->getFace(), nullptr);
    c->makeFace("smile", "a", "b", "c", "d"); // no face yet: nothing
    EXPECT_EQ(c->getFrameName_EyeL(), "eye_L1");
    EXPECT_EQ(c->getFrameName_EyeR(), "eye_R1");
    EXPECT_EQ(c->getFrameName_Head(), "Bip01Head");
    EXPECT_EQ(c->getFrameName_SpineRoot(), "");

    ASSERT_EQ(c->loadModel("chara.mdl"), 0);
    EXPECT_EQ(frameLabel(c->getFrame_EyeL()), "model1/eye_L1");
    EXPECT_EQ(frameLabel(c->getFrame_Head()), "model1/Bip01Head");
    EXPECT_EQ(c->getFrame_SpineRoot(), nullptr);
    c->initFace("eye", "mouth");
    c->makeFace("smile", "a", "b", "c", "d");
    EXPECT_EQ(c->getFace()->findFace("smile")->eyeRestMorph, "a");
    EXPECT_EQ(c->getFace()->findFace("smile")->mouthOpenMorph, "c");
    c->setChangeFaceSpeed("smile", 100);
    EXPECT_FLOAT_EQ(c->getFace()->findFace("smile")->changeSpeed, 0.16666666f);
    c->setFrameName_SpineRoot("Bip01Spine");
    c->setVoice(voice);
    c->addFocusFace(uint32_t(-1), 1.0f, 0, 0);
    EXPECT_EQ(c->getFaceActions()->faceKeys.at(0).duration, 4294967295.0f);

    Orvane::CModelFace* first = c->getFace();
    EXPECT_EQ(c->loadModel("missing.mdl"), -1);
    EXPECT_EQ(c->getFace(), first);
    ASSERT_EQ(c->loadModel("other.mdl"), 0);
    EXPECT_EQ(c->getFace()->findFace("smile"), nullptr);
    EXPECT_EQ(c->getFace()->eyeChannel, "");
    EXPECT_EQ(c->getVoice(), voice);
    EXPECT_EQ(c->getFrameName_SpineRoot(), "Bip01Spine");
    EXPECT_EQ(frameLabel(c->getFrame_SpineRoot()), "model2/Bip01Spine");
    EXPECT_EQ(frameLabel(c->getFrame_Head()), "model2/Bip01Head");
    EXPECT_EQ(c->getFaceActions()->faceKeys.size(), 1u);
}

TEST_F(CharacterTest, FramesAreLookedUpAgainWithEveryNewSceneModelAndNeverTouchedDead)
{
    CModelCharacter* c = character();
    c->setFrameName_SpineRoot("Bip01Spine");
    c->focusFace(0, 1.0f, 0, 0);
    c->focusEye(0.0f, 1.0f, 0, 0.0f);
    Kavro::ICamera* camera = fake.createCamera();
    camera->setLookAt(Kavro::Vector3D(10, 0, 0), Kavro::Vector3D(), Kavro::Vector3D(0, 1, 0));
    fake.setCamera(camera);
    camera->release();
    frame(c);
    EXPECT_FALSE(calls({"setWorldMatrix"}).empty());

    // A new resource: the old one and its frames go; a remake: a new scene model of the same resource.
    ASSERT_EQ(c->loadModel("other.mdl"), 0);
    EXPECT_EQ(frameLabel(c->getFrame_Head()), "model2/Bip01Head");
    log.clear();
    c->remake();
    EXPECT_EQ(calls({"findFrame"}),
              (Strings{"sceneModel3.findFrame(\"eye_L1\")", "sceneModel3.findFrame(\"eye_R1\")",
                       "sceneModel3.findFrame(\"Bip01Head\")", "sceneModel3.findFrame(\"Bip01Spine\")"}));
    for (int n = 0; n < 3; ++n)
        frame(c);
    // Any call on a released frame fails the test through the fake registry.
}

TEST_F(CharacterTest, TheRecordFramesTheFaceAndAFacelessCharacterAnswersZero)
{
    const auto writeRecord = [&](CModelCharacter* c, const std::string& name) {
        CFile file;
        EXPECT_EQ(file.open(dir.file(name).c_str(), 0, 1, 0), 0);
        file.writeDword(7);
        const int result = c->save(&file);
        file.writeDword(9);
        file.close();
        return result;
    };
    const auto readRecord = [&](CModelCharacter* c, const std::string& name, int64_t* position) {
        CFile file;
        EXPECT_EQ(file.open(dir.file(name).c_str(), 0, 0, 0), 0);
        file.seekStart(4);
        const int result = c->load(&file);
        *position = file.getFilePosition();
        return result;
    };

    CModelCharacter* faceless = character("");
    EXPECT_EQ(writeRecord(faceless, "none.bin"), 0);
    int64_t position = 0;
    EXPECT_EQ(readRecord(faceless, "none.bin", &position), 0);
    EXPECT_EQ(position, 12); // after end and marker

    CModelCharacter* c = character();
    c->makeFace("smile", "a", "b", "c", "d");
    c->setFace("smile");
    c->addFace("smile", 500);
    EXPECT_EQ(writeRecord(c, "c.bin"), 1);
    CModelCharacter* copy = character();
    EXPECT_EQ(readRecord(copy, "c.bin", &position), 1);
    EXPECT_EQ(copy->getFace()->currentFace, "smile");
    EXPECT_EQ(copy->getFace()->getSequence()->names, Strings{"smile"});
    // The reader without a face still ends after the record.
    EXPECT_EQ(readRecord(faceless, "c.bin", &position), 0);
    CFile check;
    ASSERT_EQ(check.open(dir.file("c.bin").c_str(), 0, 0, 0), 0);
    EXPECT_EQ(position, int64_t(check.getFileSize()) - 4);
}
