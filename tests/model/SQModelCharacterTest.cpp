// The character script class through the script host over the recording 3D fakes: its method table, argument
// types, frames across reloads, the mouth weight, the voice by name, lip timelines and the nested records.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "model/CModelFace.h"
#include "model/CModelFaceActionManager.h"
#include "model/CModelFocus.h"
#include "model/CModelFocusFace.h"
#include "model/Squirrel/SQModelCharacter.h"

#include "support/Fake3D.h"

#include <kavro/ISceneManager.h>

#include <cstring>
#include <memory>

using namespace OrvaneTest;
using Orvane::CModelCharacter;
using Orvane::Squirrel::SQModelCharacter;
using Strings = std::vector<std::string>;

namespace
{

FakeFrameSpec bone(const std::string& name, std::vector<FakeFrameSpec> children = {})
{
    FakeFrameSpec spec;
    spec.name = name;
    spec.children = std::move(children);
    return spec;
}

std::vector<uint8_t> lipFile(int32_t count, std::initializer_list<std::pair<float, float>> keys)
{
    std::vector<uint8_t> bytes;
    const auto put = [&bytes](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
    };
    put(uint32_t(count));
    for (const auto& [time, weight] : keys)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &time, 4);
        put(bits);
        std::memcpy(&bits, &weight, 4);
        put(bits);
    }
    return bytes;
}

class SQModelCharacterTest : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        fake = std::make_unique<Fake3D>(log3d);
        FakeModelSpec spec;
        spec.motions = {{"a", 1000.0f, 1.0f}};
        spec.frames = {bone("root", {bone("Bip01Neck", {bone("Bip01Head", {bone("eye_L1"), bone("eye_R1")})})})};
        fake->models["chara.mdl"] = spec;
        fake->models["other.mdl"] = spec;
        core->attach(*fake);
        app->renderDevice = core->getRenderDevice();
        app->sceneManager = app->renderDevice->getSceneManager();
        app->sceneManager->addRef();
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 16.666666f;
        // A wall clock of this century: far too large for a float to tell milliseconds apart.
        core->systemTime = 1765400000000ull;
    }
    void TearDown() override
    {
        host.reset();
        app->sceneManager->release();
        app->sceneManager = nullptr;
        app->renderDevice->release();
        app->renderDevice = nullptr;
        ScriptTaskFixture::TearDown();
        fake.reset();
    }

    SQModelCharacter* binding(const std::string& name)
    {
        return dynamic_cast<SQModelCharacter*>(task->findTaskObject(name));
    }
    // A loaded character "c" with its channels, and the scene log cleared.
    CModelCharacter* loaded()
    {
        EXPECT_EQ(runSnippet("::c <- SQModelCharacter(\"c\"); ::c.loadModel(\"chara.mdl\"); ::c.initFace(\"eye\", \"mouth\");"),
                  "");
        log3d.clear();
        return binding("c")->getCharacter();
    }
    // One update of the binding at that many milliseconds after the given start of the clock.
    void stepAt(uint64_t start, uint64_t ms)
    {
        core->systemTime = start + ms;
        core->milliTime += 17;
        binding("c")->update();
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

    CallLog log3d;
    std::unique_ptr<Fake3D> fake;
};

} // namespace

TEST_F(SQModelCharacterTest, TheClassOffersTheModelMethodsButFourAndItsOwn)
{
    ASSERT_EQ(runSnippet("::model <- []; foreach (k, v in SQModel) if (typeof v == \"function\") ::model.append(k);"), "");
    ASSERT_EQ(runSnippet("::chara <- ({}); foreach (k, v in SQModelCharacter) if (typeof v == \"function\") ::chara.rawset(k, 1);"),
              "");
    const Strings plainOnly = {"link", "setMaterialTable", "setMorph", "setMorphWeight"};
    const int modelCount = std::stoi(eval("::model.len()"));
    int notShared = 0;
    for (int i = 0; i < modelCount; ++i)
    {
        const std::string name = eval(Join({"::model[", std::to_string(i), "]"}));
        const bool shared = std::find(plainOnly.begin(), plainOnly.end(), name) == plainOnly.end();
        notShared += shared ? 0 : 1;
        EXPECT_EQ(eval(Join({"(\"", name, "\" in ::chara)"})) == "true", shared) << name;
    }
    for (const char* own : {"initFace", "makeFace", "setChangeFaceSpeed", "setFace", "addFace", "focusFace",
                            "addFocusFace", "focusEye", "addFocusEye", "faceLookAt", "faceEffect", "addFaceEffect",
                            "getFocusEyeTimer", "getFocusFaceTimer", "setFocusEyeTimer", "setFocusFaceTimer",
                            "setFrameName_EyeL", "setFrameName_EyeR", "setFrameName_Head", "setFrameName_SpineRoot",
                            "setMouseWeight", "loadLipTimeline", "setVoice"})
        EXPECT_EQ(eval(Join({"(\"", own, "\" in ::chara)"})), "true") << own;
    EXPECT_EQ(eval("::chara.len()"), std::to_string(modelCount - notShared + 23));

    ASSERT_EQ(runSnippet("::c <- SQModelCharacter(\"c\");"), "");
    for (const std::string& name : plainOnly)
        EXPECT_NE(runSnippet(Join({"::c.", name, "(\"x\", \"y\", \"z\");"})), "") << name;
    EXPECT_EQ(eval("SQModelCharacter(5)"), "error: Incorrect function argument");
    // Targets are script floats; times are unsigned.
    EXPECT_EQ(eval("::c.focusFace(1, 0, 0, 0)"), "error: Incorrect function argument");
    ASSERT_EQ(runSnippet("::c.focusFace(1.0, -1, 70, 0); ::c.addFocusEye(0.5, -1, 0, -2);"), "");
    CModelCharacter* c = binding("c")->getCharacter();
    EXPECT_EQ(c->getFaceActions()->faceKeys.at(0).duration, 4294967295.0f);
    EXPECT_EQ(c->getFaceActions()->faceKeys.at(0).easing, 70u);
    EXPECT_EQ(c->getFaceActions()->eyeKeys.at(0).wait, 4294967294.0f);
    EXPECT_EQ(runSnippet("::c.faceLookAt(1.0, 2.0, 3.0);"), "");
    ASSERT_EQ(runSnippet("::c.setTimeScale(0.5);"), "");
    EXPECT_EQ(c->getFaceActions()->faceFocus->waitTimeScale, 0.5f);
}

TEST_F(SQModelCharacterTest, FramesFollowEveryNewSceneModelAndNoDeadFrameIsTouched)
{
    ASSERT_EQ(runSnippet("::c <- SQModelCharacter(\"c\");"), "");
    EXPECT_EQ(binding("c")->getCharacter()->getFrameName_Head(), "Bip01Head");
    ASSERT_EQ(runSnippet("::c.loadModel(\"chara.mdl\"); ::c.setFrameName_SpineRoot(\"root\");"
                         "::c.focusFace(1.0, 0, 0, 0); ::c.focusEye(1.0, 0, 0, 0);"),
              "");
    Kavro::ICamera* camera = fake->createCamera();
    camera->setLookAt(Kavro::Vector3D(10, 0, -5), Kavro::Vector3D(), Kavro::Vector3D(0, 1, 0));
    fake->setCamera(camera);
    camera->release();
    SQModelCharacter* b = binding("c");
    const auto frameOnce = [&] {
        core->milliTime += 17;
        b->render();
        b->update();
    };
    frameOnce();
    for (const char* call : {"::c.loadModel(\"other.mdl\");", "::c.remake();", "::c.loadEmotion(\"chara.mdl\");"})
    {
        SCOPED_TRACE(call);
        log3d.clear();
        ASSERT_EQ(runSnippet(call), "");
        const std::string scene = fake->sceneModels.back()->label();
        Strings expected;
        for (const char* name : {"eye_L1", "eye_R1", "Bip01Head", "root"})
            expected.push_back(Join({scene, ".findFrame(\"", name, "\")"}));
        const Strings found = logged({"findFrame"});
        ASSERT_GE(found.size(), 4u);
        EXPECT_EQ(Strings(found.end() - 4, found.end()), expected);
        frameOnce();
        frameOnce();
    }
    EXPECT_FALSE(logged({"setWorldMatrix"}).empty());
}

TEST_F(SQModelCharacterTest, TheMouthWeightReachesTheFaceUntilAVoiceIsSet)
{
    CModelCharacter* c = loaded();
    ASSERT_EQ(runSnippet("::c.setMouseWeight(2.0);"), "");
    stepAt(core->systemTime, 0);
    EXPECT_EQ(c->getFace()->mouthWeight, 1.0f);
    EXPECT_EQ(logged({"setMorphWeight"}).back(), "sceneModel2.setMorphWeight(\"mouth\", 0, 1, 1)");
    stepAt(core->systemTime, 17);
    EXPECT_EQ(c->getFace()->mouthWeight, 1.0f);
    EXPECT_EQ(eval("::c.setMouseWeight(1)"), "error: Incorrect function argument");

    // A sound object's sound becomes the voice and takes the mouth back; "", an unknown name and a sprite clear it.
    ASSERT_EQ(runSnippet("::s <- SQSound(\"voice\"); ::s3 <- SQSound3D(\"voice3d\"); ::sp <- SQSprite(\"sp\");"
                         "::c.setVoice(\"voice\");"),
              "");
    EXPECT_NE(c->getVoice(), nullptr);
    EXPECT_EQ(c->getMouseWeightEnable(), 0);
    stepAt(core->systemTime, 17);
    EXPECT_EQ(c->getFace()->mouthWeight, 0.0f);
    for (const char* name : {"", "nobody", "sp", "voice3d"})
    {
        SCOPED_TRACE(name);
        ASSERT_EQ(runSnippet("::c.setVoice(\"voice\");"), "");
        ASSERT_EQ(runSnippet(Join({"::c.setVoice(\"", name, "\");"})), "");
        EXPECT_EQ(c->getVoice() != nullptr, std::string(name) == "voice3d");
    }
}

TEST_F(SQModelCharacterTest, ALipTimelineStepsOnTheClockAndEndsWithItsLastKey)
{
    CModelCharacter* c = loaded();
    writeFile("lip/example.lip", lipFile(3, {{0.0f, 0.2f}, {0.5f, 0.8f}, {1.0f, 0.0f}}));
    writeFile("lip/late.lip", lipFile(2, {{0.4f, 0.6f}, {0.9f, 0.1f}}));
    writeFile("lip/one.lip", lipFile(1, {{0.0f, 0.7f}}));
    writeFile("lip/empty.lip", lipFile(0, {}));
    writeFile("lip/short.lip", lipFile(3, {{0.0f, 0.9f}, {0.5f, 0.9f}}));
    writeFile("lip/negative.lip", lipFile(-1, {{0.0f, 0.9f}}));
    writeFile("lip/huge.lip", lipFile(0x7FFFFFFF, {{0.0f, 0.9f}}));
    writeFile("lip/tiny.lip", std::vector<uint8_t>{1, 0});

    struct Step
    {
        uint64_t ms;
        float weight;  // the character's mouse weight after the step
        bool running; // keys left
    };
    const struct
    {
        const char* file;
        std::vector<Step> steps;
    } cases[] = {
        {"example", {{300, 0.2f, true}, {500, 0.2f, true}, {700, 0.8f, true}, {1100, 0.0f, false}}},
        // Nothing before the first key; then it plays.
        {"late", {{100, -1.0f, true}, {399, -1.0f, true}, {450, 0.6f, true}, {950, 0.1f, false}}},
        {"one", {{0, 0.7f, false}}},
        {"empty", {{0, -1.0f, false}}},
    };
    for (const auto& k : cases)
    {
        SCOPED_TRACE(k.file);
        c->setMouseWeight(-1.0f);
        const uint64_t start = core->systemTime;
        ASSERT_EQ(runSnippet(Join({"::c.loadLipTimeline(\"lip/", k.file, ".lip\");"})), "");
        for (const Step& s : k.steps)
        {
            SCOPED_TRACE(s.ms);
            stepAt(start, s.ms);
            EXPECT_EQ(c->getMouseWeight(), s.weight);
            EXPECT_EQ(!binding("c")->getLipKeys().empty(), s.running);
            // The switch stays on while the timeline runs and through the step that applied its last key.
            EXPECT_EQ(c->getMouseWeightEnable(), s.running ? 1 : 0);
        }
        core->systemTime += 5000;
    }

    // A timeline drives the face's mouth.
    const uint64_t start = core->systemTime;
    ASSERT_EQ(runSnippet("::c.loadLipTimeline(\"lip/example.lip\");"), "");
    stepAt(start, 700);
    EXPECT_FLOAT_EQ(c->getFace()->mouthWeight, 0.8f);

    // Damaged or missing files leave the running timeline as it was.
    for (const char* file : {"short", "negative", "huge", "tiny", "missing"})
    {
        SCOPED_TRACE(file);
        ASSERT_EQ(runSnippet(Join({"::c.loadLipTimeline(\"lip/", file, ".lip\");"})), "");
        EXPECT_EQ(binding("c")->getLipKeys().size(), 3u);
    }
    stepAt(start, 800);
    EXPECT_EQ(c->getMouseWeight(), 0.8f);
}

TEST_F(SQModelCharacterTest, TheNestedRecordsRoundTripAtAnOffset)
{
    CModelCharacter* c = loaded();
    ASSERT_EQ(runSnippet("::c.makeFace(\"smile\", \"e\", \"b\", \"o\", \"m\"); ::c.setFace(\"smile\");"
                         "::c.addFace(\"smile\", 300); ::c.addFace(\"LOOP\", 0);"),
              "");
    c->getFace()->eyeProgress = 0.3f;
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::f.open(\"s.bin\", 1, 0); ::f.writeInteger(0x11223344);"
                         "::ok <- ::c.serialize(\"save\"); ::f.writeInteger(5); ::f.open(\"s.bin\", 0, 0);"),
              "");
    EXPECT_EQ(eval("::ok"), "1");

    ASSERT_EQ(runSnippet("::d <- SQModelCharacter(\"d\"); ::d.loadModel(\"chara.mdl\"); ::d.initFace(\"eye\", \"mouth\");"
                         "::f.seekStart(4);"),
              "");
    log3d.clear();
    EXPECT_EQ(eval("::d.deserialize(\"save\")"), "1");
    EXPECT_EQ(eval("::f.readInteger()"), "5");
    Orvane::CModelFace* face = binding("d")->getCharacter()->getFace();
    EXPECT_EQ(face->currentFace, "smile");
    EXPECT_EQ(face->getSequence()->names, (Strings{"smile", "LOOP"}));
    EXPECT_EQ(face->changing, 1u);
    EXPECT_EQ(face->eyeProgress, 0.3f);
    EXPECT_EQ(logged({"setMorph"}).size(), 4u);
}
