// The text script class through the script host: construction out of the task's lists, typing,
// argument checks, results in SQMATH_RET_*, name lookups, and a save and load through SQFile.
#include "ScriptHostFixture.h"

#include "core/CFontPool.h"
#include "core/CTask.h"
#include "core/NGCodeSets.h"
#include "sprite/CSpriteMask.h"
#include "text/CFont.h"
#include "text/Squirrel/SQText.h"

#include "support/FakeTaskObjects.h"

#include <algorithm>

using namespace OrvaneTest;
using Orvane::CText;
using Orvane::Squirrel::SQText;

namespace
{

// Every glyph a square of the given side.
class SquareFont : public Orvane::CFont
{
public:
    explicit SquareFont(int32_t side) : CFont(1), side(side) {}
    int unload() override { return 0; }
    Orvane::FontGlyph getGlyph(uint32_t, int) override
    {
        Orvane::FontGlyph g;
        g.width = g.height = side;
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {side, side}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    int32_t side;
};

constexpr const char* Message = "#{かな}漢字#を表示します";

class SQTextTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        Orvane::resetNGCodes();
        core->milliTime = 1000;
        task = new TestTask(log, "MAIN");
        app->taskStack.push_back(task);
        if (!app->fontPool)
            app->fontPool = new Orvane::CFontPool;
        app->fontPool->fonts["base"] = new SquareFont(24);
        app->fontPool->fonts["ruby"] = new SquareFont(12);
        writeFile("media/script/main.nut", "while (true) Suspend();\n");
        startHost();
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        task->release();
        ScriptHostFixture::TearDown();
    }
    // One frame: the script, then every object's update.
    void frame()
    {
        core->milliTime += 17;
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 100.0f;
        host->update();
        const auto objects = task->getTaskObjects();
        for (Orvane::CTaskObject* object : objects)
            object->update();
    }
    SQText* binding(const std::string& name)
    {
        return dynamic_cast<SQText*>(task->findTaskObject(name));
    }
    CText* text(const std::string& name)
    {
        SQText* b = binding(name);
        return b ? b->getEngineObject() : nullptr;
    }
    // A text "name" with the fixture fonts and the message created.
    void makeMessage(const std::string& name)
    {
        ASSERT_EQ(runSnippet("::" + name + " <- SQText(\"" + name + "\"); ::" + name + ".setFont(\"base\"); ::" + name +
                             ".setRubyFont(\"ruby\"); ::created <- ::" + name + ".create(\"" + Message + "\");"),
                  "");
    }
    std::string results() { return eval("SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3 + \",\" + SQMATH_RET_4"); }

    CallLog log;
    TestTask* task = nullptr;
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(SQTextTest, TheClassHasItsMethods)
{
    ASSERT_EQ(runSnippet("::names <- 0; foreach (k, v in SQText) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "116");
}

TEST_F(SQTextTest, ConstructionTakesTheTextOutOfTheTask)
{
    makeMessage("msg");
    EXPECT_EQ(eval("::created"), "0");
    CText* t = text("msg");
    ASSERT_NE(t, nullptr);
    const auto& objects = task->getTaskObjects();
    EXPECT_EQ(std::count(objects.begin(), objects.end(), t), 0);
    for (const auto& record : task->getRenderingObjects())
        EXPECT_NE(record.object, t);
    EXPECT_EQ(t->getParent(), nullptr);
    EXPECT_EQ(binding("msg")->getParent(), nullptr);
    EXPECT_EQ(t->glyphList.size(), 8u);
    EXPECT_EQ(t->rubyGlyphList.size(), 2u);
    EXPECT_EQ(eval("::msg.getString()"), Message);
    // A failed create still answers 0.
    EXPECT_EQ(eval("::msg.create(\"\")"), "0");

    EXPECT_TRUE(contains(eval("SQText()"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("SQText(1)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("SQText.getFade.call(SQFile(\"f\"))"), "Invalid Instance Type"));
}

TEST_F(SQTextTest, TheBindingDrivesTyping)
{
    makeMessage("msg");
    EXPECT_EQ(eval("::msg.isTyping()"), "1");
    const float total = text("msg")->getTotalTime();
    EXPECT_GT(total, 0.0f);
    EXPECT_EQ(eval("::msg.getTotalTime() == ::msg.getDurationTime()"), "true");
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_GT(text("msg")->typingInterpolator.elapsed, 0.0f);
    ASSERT_EQ(runSnippet("::msg.pushAll()"), "");
    EXPECT_EQ(eval("::msg.isTyping()"), "0");
}

TEST_F(SQTextTest, ArgumentsAndConversions)
{
    makeMessage("msg");
    EXPECT_TRUE(contains(eval("::msg.fade(1, 0, 0)"), "Incorrect function argument"));
    EXPECT_EQ(eval("typeof ::msg.fade(1.0, 0, 0)"), "null");
    // A missing amplitude is refused, for the whole text as for one character.
    const Orvane::CEffectShake* before = text("msg")->shakeEffect;
    EXPECT_TRUE(contains(eval("::msg.shake(null, Vector3D(), 10, 0, 100, 0, 0)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("::msg.randomShake(Vector3D(), null, 10, 0, 100, 0, 0)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("::msg.shakeCharacter(0, null, Vector3D(), 10, 0, 100, 0)"), "Incorrect function argument"));
    EXPECT_EQ(text("msg")->shakeEffect, before);

    ASSERT_EQ(runSnippet("::msg.setTypingThreshold(0.5)"), "");
    EXPECT_EQ(text("msg")->typingThreshold, 127);
    ASSERT_EQ(runSnippet("::msg.setTypingThreshold(1.0)"), "");
    EXPECT_EQ(text("msg")->typingThreshold, 255);

    ASSERT_EQ(runSnippet("::msg.setField(640, 200); ::msg.getFieldSize()"), "");
    EXPECT_EQ(results(), "640,200,0,0");
    ASSERT_EQ(runSnippet("SQMATH_RET_4 = 9.0; ::msg.getRotate()"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    // A corner outside 0..3 answers zeros rather than reading past the colours.
    for (const char* call : {"::msg.getFontColor(4)", "::msg.getShadowColor(-1)"})
    {
        ASSERT_EQ(runSnippet(std::string("SQMATH_RET_1 = SQMATH_RET_2 = SQMATH_RET_3 = SQMATH_RET_4 = 9.0;") + call), "");
        EXPECT_EQ(results(), "0,0,0,0") << call;
    }
    ASSERT_EQ(runSnippet("::msg.getCharacterRect(1)"), "");
    EXPECT_EQ(results(), "24,0,24,24");
    ASSERT_EQ(runSnippet("::msg.getCharacterRect(8)"), "");
    EXPECT_EQ(results(), "0,0,0,0");
}

TEST_F(SQTextTest, PackedShakeArguments)
{
    struct Case
    {
        int32_t packed;
        bool withSeed;
        uint32_t easing, second, seed;
    };
    const Case cases[] = {
        {30512, true, 12, 5, 3}, {30512, false, 12, 305, 0}, {0, true, 0, 0, 0}, {99, false, 99, 0, 0},
        // Read unsigned: -1 is 4294967295.
        {-1, true, 95, 72, 429496}, {-1, false, 95, 42949672, 0},
    };
    for (const Case& c : cases)
    {
        const auto p = Orvane::Squirrel::UnpackShake(c.packed, c.withSeed);
        EXPECT_EQ(p.easing, c.easing) << c.packed;
        EXPECT_EQ(p.secondEasing, c.second) << c.packed;
        EXPECT_EQ(p.seed, c.seed) << c.packed;
    }
}

TEST_F(SQTextTest, InitializeAndLinkSetTheParent)
{
    makeMessage("msg");
    ASSERT_EQ(runSnippet("::msg.setTimeScale(0.5); ::other <- SQText(\"other\");"), "");
    // Held, so that the new text cannot be given the old one's address.
    CText* old = text("msg");
    old->addRef();
    EXPECT_EQ(eval("::msg.initialize(2)"), "0");
    CText* fresh = text("msg");
    EXPECT_NE(fresh, old);
    old->release();
    EXPECT_TRUE(fresh->glyphList.empty());
    EXPECT_EQ(fresh->timeScale, 0.5f);
    EXPECT_EQ(fresh->getParent(), task);
    EXPECT_EQ(std::count(task->getTaskObjects().begin(), task->getTaskObjects().end(), fresh), 0);

    ASSERT_EQ(runSnippet("::msg.link(\"other\")"), "");
    EXPECT_EQ(fresh->getParent(), text("other"));
    ASSERT_EQ(runSnippet("::msg.link(\"\")"), "");
    EXPECT_EQ(fresh->getParent(), task);
    ASSERT_EQ(runSnippet("::msg.link(\"nobody\")"), "");
    EXPECT_EQ(fresh->getParent(), task);
}

// A text linked to itself, or two texts to each other, would recurse for ever updating world matrices.
TEST_F(SQTextTest, LinkNeverClosesALoop)
{
    makeMessage("msg");
    ASSERT_EQ(runSnippet("::other <- SQText(\"other\"); ::msg.link(\"\")"), "");
    ASSERT_EQ(text("msg")->getParent(), task);
    ASSERT_EQ(runSnippet("::msg.link(\"msg\"); ::other.link(\"msg\"); ::msg.link(\"other\")"), "");
    EXPECT_EQ(text("msg")->getParent(), task);
    EXPECT_EQ(text("other")->getParent(), text("msg"));
}

TEST_F(SQTextTest, SurfaceLookupsAcceptOnlyRenderTargets)
{
    makeMessage("msg");
    auto* target = new FakeRenderTarget(log, "target");
    target->setName("target");
    ASSERT_EQ(runSnippet("::other <- SQText(\"other\"); ::msg.setSurface(\"target\")"), "");
    EXPECT_EQ(text("msg")->getOwnSurface(), target);
    EXPECT_EQ(text("msg")->glyphsDirty, 1);
    ASSERT_EQ(runSnippet("::msg.setSurface(\"other\")"), "");
    EXPECT_EQ(text("msg")->getOwnSurface(), nullptr);
    ASSERT_EQ(runSnippet("::msg.setSurface(\"target\"); ::msg.setSurface(\"\")"), "");
    EXPECT_EQ(text("msg")->getOwnSurface(), nullptr);
    target->release();
}

TEST_F(SQTextTest, SaveAndLoadThroughAFileObject)
{
    makeMessage("msg");
    // Typing half done and one glyph fading: state a fresh layout does not have.
    CText* t = text("msg");
    for (CText::Glyph* g : t->glyphList)
        g->typeAlpha = 100.0f;
    t->glyphList[3]->fading = 1;
    t->glyphList[3]->alphaInterpolator.set(1.0f, 0.0f, 500, 2);
    t->glyphList[3]->alphaInterpolator.setTime(125.0f);
    ASSERT_EQ(runSnippet("::f <- SQFile(\"save\"); ::f.open(\"a.bin\", 1, 0); ::saved <- ::msg.serialize(\"save\");"
                         "::f.open(\"a.bin\", 0, 0);"),
              "");
    EXPECT_EQ(eval("::saved"), "1");

    makeMessage("copy");
    EXPECT_EQ(eval("::copy.deserialize(\"save\")"), "1");
    CText* restored = text("copy");
    EXPECT_EQ(restored->glyphList[0]->typeAlpha, 100.0f);
    EXPECT_EQ(restored->glyphList[3]->fading, 1);
    EXPECT_EQ(restored->glyphList[3]->alphaInterpolator.elapsed, 125.0f);
    ASSERT_EQ(runSnippet("::f.open(\"b.bin\", 1, 0); ::copy.serialize(\"save\"); ::f.open(\"a.bin\", 0, 0);"), "");
    EXPECT_EQ(dir.read("b.bin"), dir.read("a.bin"));

    // An empty text: the rendering object's block (12 bytes without a blur), then 28.
    ASSERT_EQ(runSnippet("::f.open(\"e.bin\", 1, 0); ::empty <- SQText(\"empty\"); ::empty.serialize(\"save\");"
                         "::f.open(\"a.bin\", 0, 0);"),
              "");
    EXPECT_EQ(dir.read("e.bin").size(), 12u + 28u);

    EXPECT_EQ(eval("::msg.serialize(\"nobody\")"), "0");
    EXPECT_EQ(eval("::msg.deserialize(\"nobody\")"), "0");
}

TEST_F(SQTextTest, MaskLookupsAcceptOnlySpriteMasks)
{
    makeMessage("msg");
    Orvane::CSpriteMask* mask = task->createSpriteMaskColor(16, 16, {0.0f, 0.0f});
    ASSERT_NE(mask, nullptr);
    mask->setName("mask");
    ASSERT_EQ(runSnippet("::other <- SQText(\"other\"); ::msg.setMask(\"mask\")"), "");
    EXPECT_EQ(text("msg")->mask, mask);
    // Another kind of object, an empty name and an unknown one all leave the text without a mask.
    for (const char* name : {"other", "", "nobody"})
    {
        ASSERT_EQ(runSnippet("::msg.setMask(\"mask\"); ::msg.setMask(\"" + std::string(name) + "\")"), "");
        EXPECT_EQ(text("msg")->mask, nullptr) << name;
    }
    mask->release();
}
