// The face over a plain model and the recording scene model: changes, the sequence, blink, the voice
// mouth, manual weights, the render-side weights and the saved record.
#include "ModelFixture.h"

#include "core/CFile.h"
#include "model/CModelFace.h"

#include <kavro/CRandom.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace OrvaneTest;
using Orvane::CFile;
using Orvane::CModelFace;
using Orvane::FaceDefinition;
using Strings = std::vector<std::string>;

namespace
{

constexpr float StepMs = 16.666666f;

class CModelFaceTest : public ModelTest
{
protected:
    CModelFaceTest()
    {
        model = loaded();
        face = new CModelFace(model);
        face->eyeChannel = "eye";
        face->mouthChannel = "mouth";
    }
    ~CModelFaceTest() override { face->release(); }

    static FaceDefinition definition(const std::string& tag, float speed)
    {
        return FaceDefinition{tag + "_blink", tag + "_eye", tag + "_mouth", tag + "_open", speed};
    }
    // The character's time step as far as the face goes, without a voice or manual weights.
    void step()
    {
        t.core->milliTime += 17;
        if (face->sequence->index < face->sequence->count)
            face->sequenceTime += StepMs;
        if (!face->changing)
            face->stepFaceSequence();
        face->stepVoiceMouth(0.0f);
        face->stepChange();
    }
    // Steps until the change ends; the number of steps, or -1 after 100.
    int stepsToFinishChange()
    {
        for (int n = 1; n <= 100; ++n)
        {
            face->stepChange();
            if (!face->changing)
                return n;
        }
        return -1;
    }
    uint32_t drawnInterval(uint32_t seed) const
    {
        Kavro::CRandom random(seed);
        return face->blinkTable[random.GetInt(0, 19)];
    }
    std::vector<uint8_t> bytes(const std::string& name)
    {
        std::ifstream in(dir.file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void writeBytes(const std::string& name, const std::vector<uint8_t>& data)
    {
        std::ofstream out(dir.file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }
    // The face's record after a four-byte prefix, followed by a four-byte trailer.
    std::vector<uint8_t> savedRecord(CModelFace* source, const std::string& name)
    {
        CFile file;
        EXPECT_EQ(file.open(dir.file(name).c_str(), 0, 1, 0), 0);
        file.writeDword(0xAAAAAAAAu);
        EXPECT_EQ(source->save(&file), 1);
        file.writeDword(0xBBBBBBBBu);
        EXPECT_EQ(file.close(), 0);
        return bytes(name);
    }

    Orvane::CModel* model = nullptr;
    CModelFace* face = nullptr;
};

void putWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

uint32_t word(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(bytes[at + size_t(i)]) << (8 * i);
    return value;
}

} // namespace

TEST_F(CModelFaceTest, AChangeCompletesAfterItsSpeedAndSetsTheNewTargets)
{
    const struct
    {
        float speed;
        float frameSpeed;
        int steps;
    } cases[] = {{0.0f, 1.0f, 1}, {0.15f, 1.0f, 7}, {0.15f, 2.0f, 4}, {0.5f, 1.0f, 2}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.speed);
        t.app->frameSpeed = c.frameSpeed;
        face->faces.clear();
        face->makeFace("smile", definition("s", c.speed));
        face->changeFace("smile");
        EXPECT_EQ(face->currentFace, "smile");
        EXPECT_EQ(face->mouthWeight, 0.0f);
        log.clear();
        EXPECT_EQ(stepsToFinishChange(), c.steps);
        EXPECT_EQ(calls({"setMorph"}),
                  (Strings{"sceneModel1.setMorph(\"eye\", 0, \"s_eye\")", "sceneModel1.setMorph(\"eye\", 1, \"s_blink\")",
                           "sceneModel1.setMorph(\"mouth\", 0, \"s_mouth\")",
                           "sceneModel1.setMorph(\"mouth\", 1, \"s_open\")"}));
        EXPECT_EQ(face->eyeProgress, 0.0f);
    }
}

TEST_F(CModelFaceTest, DefinitionsAreKeptUnknownFacesShowEmptyAndRefusedMorphsKeepTheTarget)
{
    face->makeFace("a", definition("first", 0.15f));
    face->makeFace("a", definition("second", 0.0f));
    EXPECT_EQ(face->findFace("a")->eyeRestMorph, "first_eye");
    EXPECT_EQ(face->findFace("a")->changeSpeed, 0.15f);

    // An unknown name: an empty definition is made and shown at once.
    log.clear();
    face->changeFace("nobody");
    ASSERT_NE(face->findFace("nobody"), nullptr);
    EXPECT_EQ(face->findFace("nobody")->changeSpeed, 0.0f);
    EXPECT_EQ(calls({"setMorph"}),
              (Strings{"sceneModel1.setMorph(\"eye\", 1, \"\")", "sceneModel1.setMorph(\"mouth\", 1, \"\")"}));
    EXPECT_EQ(stepsToFinishChange(), 1);

    EXPECT_EQ(face->setEyeMorph(1, "open"), 0);
    EXPECT_EQ(face->eyeTargets[1], "open");
    scene()->setMorphResult = -1;
    EXPECT_EQ(face->setEyeMorph(1, "shut"), -2);
    EXPECT_EQ(face->setMouthMorph(0, "shut"), -2);
    EXPECT_EQ(face->eyeTargets[1], "open");
    EXPECT_EQ(face->mouthTargets[0], "");
}

TEST_F(CModelFaceTest, TheSequenceChangesFacesAfterEachEntrysTimeAndLoops)
{
    face->makeFace("a", definition("a", 0.0f));
    face->makeFace("b", definition("b", 0.0f));
    face->makeFace("start", definition("start", 0.0f));
    face->sequence->clear();
    face->changeFace("start");
    face->sequence->add("a", 1000);
    face->sequence->add("b", 500);
    face->sequence->add("LOOP", 0);

    std::vector<std::pair<std::string, int>> changes; // face, step
    std::string shown = face->currentFace;
    for (int n = 1; n <= 400 && changes.size() < 4; ++n)
    {
        step();
        if (face->currentFace != shown)
            changes.emplace_back(shown = face->currentFace, n);
    }
    ASSERT_EQ(changes.size(), 4u);
    const struct
    {
        const char* face;
        float waitMs;
    } expected[] = {{"a", 1000.0f}, {"b", 500.0f}, {"a", 1000.0f}, {"b", 500.0f}};
    int previous = 0;
    for (size_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(changes[i].first, expected[i].face);
        // The change comes on the first step at which the time since the last change reaches the entry's.
        const int steps = changes[i].second - previous;
        EXPECT_GE(float(steps) * StepMs, expected[i].waitMs - 0.01f);
        EXPECT_LT(float(steps - 1) * StepMs, expected[i].waitMs);
        previous = changes[i].second;
    }
}

TEST_F(CModelFaceTest, ASequenceWhoseCountExceedsItsListsStopsAtTheLists)
{
    face->sequence->add("a", 0);
    face->sequence->count = 5;
    face->sequenceTime = 10.0f;
    EXPECT_EQ(face->stepFaceSequence(), 1);
    face->changing = 0;
    EXPECT_EQ(face->stepFaceSequence(), 0);
}

TEST_F(CModelFaceTest, ABlinkClosesInFourStepsOpensInFourAndDrawsTheNextWait)
{
    t.core->milliTime = 123456;
    face->release();
    face = new CModelFace(model);
    face->eyeChannel = "eye";
    face->mouthChannel = "mouth";
    EXPECT_EQ(face->lastBlinkTime, 123456u);
    EXPECT_EQ(face->blinkInterval, drawnInterval(123456));

    // Waiting: nothing until the interval has passed.
    ASSERT_GT(face->blinkInterval, 0u);
    t.core->milliTime = 123456 + face->blinkInterval - 1;
    face->stepChange();
    EXPECT_EQ(face->blinking, 0u);
    t.core->milliTime = 123456 + face->blinkInterval;
    face->stepChange();
    ASSERT_EQ(face->blinking, 1u);

    std::vector<float> weights;
    for (int n = 0; n < 8 && face->blinking; ++n)
    {
        face->stepChange();
        weights.push_back(face->blinkWeight);
    }
    EXPECT_EQ(weights, (std::vector<float>{0.25f, 0.5f, 0.75f, 1.0f, 0.75f, 0.5f, 0.25f, 0.0f}));
    EXPECT_EQ(face->blinking, 0u);
    EXPECT_EQ(face->lastBlinkTime, t.core->milliTime);
    EXPECT_EQ(face->blinkInterval, drawnInterval(t.core->milliTime));

    // Each blink step first zeroes the eye channel; the render side then sets the blink weight.
    face->blinking = 1;
    face->blinkWeight = 0.25f;
    log.clear();
    face->stepChange();
    face->update();
    EXPECT_EQ(calls({"setMorphWeight"}), (Strings{"sceneModel1.setMorphWeight(\"eye\", 0, 1, 0)",
                                                   "sceneModel1.setMorphWeight(\"eye\", 0, 1, 0.5)",
                                                   "sceneModel1.setMorphWeight(\"mouth\", 0, 1, 0)"}));
}

TEST_F(CModelFaceTest, TimeScaleZeroStopsBlinkingAndAChangeStopsIt)
{
    model->setTimeScale(0.0f);
    for (int n = 0; n < 200; ++n)
    {
        t.core->milliTime += 1000;
        face->stepChange();
        EXPECT_EQ(face->blinkWeight, 0.0f);
    }
    model->setTimeScale(1.0f);
    face->blinking = 1;
    face->blinkWeight = 0.5f;
    face->makeFace("slow", definition("x", 0.01f));
    face->changeFace("slow");
    face->stepChange();
    EXPECT_EQ(face->blinkWeight, 0.5f);
}

TEST_F(CModelFaceTest, TheVoiceOpensTheMouthAboveTheThresholdWithinItsAmplitude)
{
    const struct
    {
        float level;
        float highest;
    } cases[] = {{0.22f, 0.0f}, {0.0f, 0.0f}, {0.5f, 0.5f}, {1.0f, 1.0f}, {2.0f, 0.75f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.level);
        face->mouthWeight = 0.0f;
        face->mouthSpeed = 0.05f;
        float highest = 0.0f;
        bool fell = false;
        for (int n = 0; n < 100; ++n)
        {
            const float before = face->mouthWeight;
            face->stepVoiceMouth(c.level);
            highest = std::max(highest, face->mouthWeight);
            fell = fell || face->mouthWeight < before;
            EXPECT_GE(face->mouthWeight, 0.0f);
            EXPECT_LE(face->mouthWeight, c.highest + 1e-6f);
        }
        EXPECT_NEAR(highest, c.highest, 1e-6f);
        EXPECT_EQ(fell, c.highest > 0.0f); // it opens and closes again
    }
    // A quiet step closes the mouth and resets speed and amplitude.
    face->mouthSpeed = -0.05f;
    face->stepVoiceMouth(0.1f);
    EXPECT_EQ(face->mouthWeight, 0.0f);
    EXPECT_EQ(face->mouthSpeed, 0.05f);
    EXPECT_EQ(face->mouthAmplitude, 1.0f);
}

TEST_F(CModelFaceTest, ManualWeightsAreClampedAndIgnoredDuringAChange)
{
    log.clear();
    face->setMouthWeight(2.0f);
    face->setEyeWeight(-1.0f);
    EXPECT_EQ(face->mouthWeight, 1.0f);
    EXPECT_EQ(calls({"setMorphWeight"}), (Strings{"sceneModel1.setMorphWeight(\"mouth\", 0, 1, 1)",
                                                   "sceneModel1.setMorphWeight(\"eye\", 0, 1, 0)"}));

    face->makeFace("slow", definition("x", 0.01f));
    face->changeFace("slow");
    face->stepVoiceMouth(2.0f);
    face->setMouthWeight(0.7f);
    face->setEyeWeight(0.7f);
    EXPECT_EQ(face->mouthWeight, 0.0f);
    EXPECT_EQ(face->eyeProgress, 0.0f);

    // While changing the render side shows the progresses, otherwise blink and mouth.
    face->stepChange();
    log.clear();
    face->update();
    EXPECT_EQ(calls({"setMorphWeight"}), (Strings{"sceneModel1.setMorphWeight(\"eye\", 0, 1, 0.01)",
                                                   "sceneModel1.setMorphWeight(\"mouth\", 0, 1, 0.01)"}));
    face->changing = 0;
    face->blinkWeight = 0.5f;
    face->mouthWeight = 3.0f;
    log.clear();
    face->update();
    EXPECT_EQ(calls({"setMorphWeight"}), (Strings{"sceneModel1.setMorphWeight(\"eye\", 0, 1, 0.5)",
                                                   "sceneModel1.setMorphWeight(\"mouth\", 0, 1, 1)"}));
}

TEST_F(CModelFaceTest, SaveThenLoadRestoresAHalfChangeAndABlinkAndSavesTheSameBytes)
{
    face->makeFace("a", definition("a", 0.15f));
    face->sequence->add("a", 1000);
    face->sequence->add("LOOP", 0);
    face->sequence->index = 1;
    face->blinking = 1;
    face->blinkWeight = 0.5f;
    face->blinkSpeed = -0.25f;
    face->blinkTable[3] = 77;
    face->changeFace("a");
    face->stepChange();
    face->stepChange();
    face->sequenceTime = 250.0f;
    const std::vector<uint8_t> first = savedRecord(face, "a.bin");
    EXPECT_EQ(word(first, 4), first.size() - 4); // the end, just before the trailer

    t.core->milliTime += 5000;
    CModelFace* copy = new CModelFace(model);
    copy->eyeChannel = "eye";
    copy->mouthChannel = "mouth";
    CFile file;
    ASSERT_EQ(file.open(dir.file("a.bin").c_str(), 0, 0, 0), 0);
    file.seekStart(4);
    log.clear();
    EXPECT_EQ(copy->load(&file), 1);
    EXPECT_EQ(file.getFilePosition(), int64_t(first.size() - 4));
    EXPECT_EQ(calls({"setMorph"}),
              (Strings{"sceneModel1.setMorph(\"eye\", 0, \"\")", "sceneModel1.setMorph(\"mouth\", 0, \"\")",
                       "sceneModel1.setMorph(\"eye\", 1, \"a_eye\")", "sceneModel1.setMorph(\"mouth\", 1, \"a_mouth\")"}));
    EXPECT_EQ(copy->sequence->names, (Strings{"a", "LOOP"}));
    EXPECT_EQ(copy->sequence->index, 1u);
    EXPECT_EQ(copy->changing, 1u);
    EXPECT_FLOAT_EQ(copy->eyeProgress, 0.3f);
    EXPECT_EQ(copy->blinking, 1u);
    EXPECT_EQ(copy->blinkWeight, 0.5f);
    EXPECT_EQ(copy->blinkSpeed, -0.25f);
    EXPECT_EQ(copy->blinkTable[3], 77u);
    EXPECT_EQ(copy->lastBlinkTime, face->lastBlinkTime);
    EXPECT_EQ(copy->sequenceTime, 250.0f);
    EXPECT_EQ(savedRecord(copy, "b.bin"), first);
    // Restored, the change goes on where it stood: five more steps at 0.15.
    copy->makeFace("a", definition("a", 0.15f));
    std::swap(face, copy);
    EXPECT_EQ(stepsToFinishChange(), 5);
    copy->release();
}

TEST_F(CModelFaceTest, ADamagedRecordFailsAndLeavesTheReaderAtItsEnd)
{
    face->sequence->add("a", 1000);
    face->eyeTargets[0] = "x";
    const std::vector<uint8_t> good = savedRecord(face, "good.bin");
    const size_t end = good.size() - 4;
    // Layout after the prefix: end at 4, index at 8/12, count at 16/20, names at 24 (count at 28).
    const struct
    {
        const char* what;
        size_t at;
        uint32_t value;
        int64_t position; // where the reader must stand afterwards
    } cases[] = {
        {"wrong marker", 16, 15, int64_t(end)},
        {"names count 2^31", 28, 0x80000000u, int64_t(end)},
        {"names count one too many", 28, 2, int64_t(end)},
        {"string length past the end", 32, 0x7FFFFFFFu, int64_t(end)},
        {"record cut short", 4, 60, 60},
        {"end before the first field", 4, 6, 8},
        {"end past the file", 4, uint32_t(good.size() + 100), 8},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> damaged = good;
        putWord(damaged, c.at, c.value);
        writeBytes("bad.bin", damaged);
        CModelFace* reader = new CModelFace(model);
        CFile file;
        ASSERT_EQ(file.open(dir.file("bad.bin").c_str(), 0, 0, 0), 0);
        file.seekStart(4);
        EXPECT_EQ(reader->load(&file), 0);
        EXPECT_EQ(file.getFilePosition(), c.position);
        reader->release();
    }
    // The times vector's count is checked the same way.
    std::vector<uint8_t> damaged = good;
    const size_t timesCount = 28 + 4 + 4 + 2; // names: count, one string of length 2 ("a" and NUL)
    ASSERT_EQ(word(damaged, timesCount + 4), 1u);
    putWord(damaged, timesCount + 4, 0xFFFFFFFFu);
    writeBytes("bad.bin", damaged);
    CFile file;
    ASSERT_EQ(file.open(dir.file("bad.bin").c_str(), 0, 0, 0), 0);
    file.seekStart(4);
    EXPECT_EQ(face->load(&file), 0);
    EXPECT_EQ(file.getFilePosition(), int64_t(end));
}
