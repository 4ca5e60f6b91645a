#include "text/CText.h"

#include "core/CApp.h"
#include "core/CBatchContext.h"
#include "core/CFontPool.h"
#include "core/CTaskMain.h"
#include "core/CTextureWacher.h"
#include "sprite/CSpriteList.h"
#include "sprite/CSpriteMask.h"
#include "text/CFont.h"

#include "support/FakeRender.h"
#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

// Every glyph is a square of the font's height.
class SquareFont : public CFont
{
public:
    explicit SquareFont(int32_t size) : CFont(1), size(size) {}
    int unload() override { return 0; }
    FontGlyph getGlyph(uint32_t, int) override
    {
        FontGlyph g;
        g.width = g.height = size;
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {size, size}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    int32_t size;
};

class TextDrawTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!tasks.app->fontPool)
            tasks.app->fontPool = new CFontPool;
        tasks.app->fontPool->fonts["f20"] = new SquareFont(20);
        tasks.app->fontPool->fonts["f6"] = new SquareFont(6);
        tasks.app->frameSpeed = 1.0f;
        tasks.app->frameTimeCap = 100.0f;
    }
    void TearDown() override
    {
        for (CText* text : texts)
            text->release();
    }
    CText* makeText(const std::string& font = "f20")
    {
        const int32_t size[2] = {1280, 720};
        auto* text = new CText("", size);
        text->setFont(font);
        text->setRubyFont(font);
        texts.push_back(text);
        return text;
    }
    CallLog& log() { return tasks.core->log; }
    static RecordingSpriteQuad* baseQuad(CText* text)
    {
        return dynamic_cast<RecordingSpriteQuad*>(text->glyphSprites.at(0)->sceneSprite);
    }
    // One update with a new clock reading, so every interpolator steps 16.67 ms.
    void step(CText* text)
    {
        tasks.core->milliTime += 17;
        text->update();
    }

    TaskTestApp tasks;
    std::vector<CText*> texts;
};

struct ShadowCase
{
    const char* name;
    int32_t type;
    int32_t size;
    const char* font;
    size_t count;
    float alpha;
    Kavro::Vector2D first;
};

TEST_F(TextDrawTest, ShadowOffsets)
{
    const std::vector<ShadowCase> cases = {
        {"left and up", 1 | 4, 2, "f20", 1, 1.0f, {-2.0f, -2.0f}},
        {"up wins over down", 12, 3, "f20", 1, 1.0f, {0.0f, -3.0f}},
        {"left wins over right, negative size", 3 | 8, -4, "f20", 1, 1.0f, {-4.0f, 4.0f}},
        {"no direction bit", 16, 3, "f20", 0, 1.0f, {}},
        {"ring limited to 0.15 of 20 pixels", 15, 5, "f20", 24, 1.0f / 3.0f, {-3.0f, 0.0f}},
        {"ring on a 6-pixel font keeps one step", 15, 5, "f6", 8, 1.0f, {-0.9f, 0.0f}},
        {"ring without a pooled font", 15, 5, "none", 0, 1.0f, {}},
    };
    for (const ShadowCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CText* text = makeText(c.font);
        text->setShadow(c.type, c.size, 0.5f, 2.0f);
        ASSERT_EQ(text->shadowOffsets.size(), c.count);
        EXPECT_EQ(text->rubyShadowOffsets.size(), c.count);
        EXPECT_FLOAT_EQ(text->shadowAlpha, c.alpha);
        EXPECT_FLOAT_EQ(text->shadowDensity, 0.5f);
        EXPECT_FLOAT_EQ(text->shadowStampFactor, 2.0f);
        if (c.count == 0)
            continue;
        EXPECT_NEAR(text->shadowOffsets[0].x, c.first.x, 1e-5f);
        EXPECT_NEAR(text->shadowOffsets[0].y, c.first.y, 1e-5f);
        if (c.type == 15)
        {
            for (size_t i = 0; i < c.count; ++i)
                EXPECT_NEAR(std::hypot(text->shadowOffsets[i].x, text->shadowOffsets[i].y), std::fabs(c.first.x),
                            1e-4f);
        }
    }
    // The ring's steps turn by 45 / R degrees: 15 degrees for R = 3.
    CText* ring = makeText();
    ring->setShadow(15, 5, 1.0f, 1.0f);
    const float turn = std::atan2(ring->shadowOffsets[1].y, ring->shadowOffsets[1].x) -
                       std::atan2(ring->shadowOffsets[0].y, ring->shadowOffsets[0].x);
    EXPECT_NEAR(std::fabs(std::remainder(turn, 2.0f * float(M_PI))) * 180.0f / float(M_PI), 15.0f, 1e-3f);
}

TEST_F(TextDrawTest, AlmostInvisibleTextDrawsAndStampsNothing)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abc"), 0);
    text->setShadow(2, 2, 1.0f, 1.0f);
    text->fade(0.003f, 0, 0);
    text->render();
    log().clear();
    CBatchContext batch;
    text->beginBatch(batch);
    text->addToBatch(batch);
    text->endBatch(batch);
    text->draw();
    EXPECT_TRUE(log().named("quad.draw").empty());
    EXPECT_TRUE(log().named("setRenderTarget").empty());
    EXPECT_TRUE(log().named("shadow.draw").empty());

    text->fade(1.0f, 0, 0);
    log().clear();
    text->draw();
    EXPECT_EQ(log().named("quad.draw").size(), 1u);
}

TEST_F(TextDrawTest, UnchangedGlyphsKeepTheirQuadsAfterOneExtraRebuild)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abc"), 0);
    text->pushAll();
    const Kavro::Matrix4x4 sentinel = Kavro::Matrix4x4::GetScaling(7.0f, 7.0f, 7.0f);
    auto passKeeps = [&] {
        text->glyphList[1]->matrix = sentinel;
        text->render();
        return text->glyphList[1]->matrix == sentinel;
    };
    EXPECT_FALSE(passKeeps()) << "the change itself rebuilds";
    EXPECT_FALSE(passKeeps()) << "the frame after a change rebuilds once more";
    EXPECT_TRUE(passKeeps());
    EXPECT_EQ(text->drawnQuadCount, 3);
    EXPECT_EQ(baseQuad(text)->quads.size(), 3u) << "kept quads stay in the list";

    // A glyph of its own that moves rebuilds; its neighbours keep theirs.
    text->moveCharacter(1, 3, 4, 0, 0);
    text->glyphList[0]->matrix = sentinel;
    text->glyphList[1]->dirty = 1;
    text->glyphsDirty = 0;
    text->render();
    EXPECT_TRUE(text->glyphList[0]->matrix == sentinel);
    EXPECT_FLOAT_EQ(text->glyphList[1]->matrix.GetPosition().x, 3.0f);
    EXPECT_FLOAT_EQ(text->glyphList[1]->matrix.GetPosition().y, -4.0f);
}

// A motion trail's ghost is the text as it would be drawn at that place, scale, turn and opacity;
// the text's own quads come back afterwards.
TEST_F(TextDrawTest, GhostIsTheTextAtTheSampleTransformAndTheTextComesBack)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("ab"), 0);
    text->pushAll();
    text->render();
    const std::vector<RecordingSpriteQuad::Quad> own = baseQuad(text)->quads;

    CText* moved = makeText();
    ASSERT_EQ(moved->create("ab"), 0);
    moved->pushAll();
    moved->move(100.0f, 30.0f, 0, 0);
    moved->scale(2.0f, 1.5f, 0, 0);
    moved->rotate(0.0f, 0.0f, 30.0f, 0, 0);
    moved->fade(0.5f, 0, 0);
    step(moved);
    moved->updateWorldMatrix();
    moved->render();
    const std::vector<RecordingSpriteQuad::Quad> expected = baseQuad(moved)->quads;

    const Kavro::Vector3D at(100.0f, 30.0f, 0.0f), turn(0.0f, 0.0f, 30.0f);
    const Kavro::Vector2D scale(2.0f, 1.5f);
    text->drawInstance(&at, 0.5f, &scale, &turn);
    const auto sameQuads = [](const std::vector<RecordingSpriteQuad::Quad>& a,
                              const std::vector<RecordingSpriteQuad::Quad>& b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (!(a[i].matrix == b[i].matrix) || !std::equal(a[i].colours, a[i].colours + 4, b[i].colours))
                return false;
        return true;
    };
    ASSERT_EQ(baseQuad(text)->drawnLists.size(), 1u);
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_TRUE(sameQuads(baseQuad(text)->drawnLists[0], expected));
    EXPECT_FALSE(sameQuads(own, expected));
    EXPECT_TRUE(sameQuads(baseQuad(text)->quads, own));
    EXPECT_FLOAT_EQ(text->getFade(), 1.0f);
    EXPECT_FLOAT_EQ(text->getMove().x, 0.0f);
}

TEST_F(TextDrawTest, HiddenGlyphGetsNoQuadAndComesBackRebuilt)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abcd"), 0);
    // Glyph 3 starts at -144: hidden until the typing value passes 144.
    text->render();
    EXPECT_EQ(text->glyphList[3]->quadIndex, -1);
    EXPECT_EQ(text->glyphList[0]->quadIndex, -1) << "nothing typed at time 0";
    text->pushAll();
    text->render();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(text->glyphList[size_t(i)]->quadIndex, i);
    EXPECT_EQ(text->quadRects.size(), 4u);
    EXPECT_FLOAT_EQ(text->bounds[2], 80.0f);
    EXPECT_FLOAT_EQ(text->bounds[3], 20.0f);
}

TEST_F(TextDrawTest, TypingSpeedChangeKeepsTheFractionTyped)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abcdefghij"), 0);
    for (int i = 0; i < 5; ++i)
        step(text);
    const CInterpolator<float>& typing = text->typingInterpolator;
    const float fraction = typing.elapsed / typing.duration;
    const float typed = typing.value / typing.to;
    ASSERT_GT(fraction, 0.1f);
    ASSERT_LT(fraction, 0.9f);
    text->setTypingSpeed(0.8f);
    EXPECT_NEAR(typing.elapsed / (typing.duration - 0.5f), fraction, 1e-4f);
    EXPECT_NEAR(typing.value / typing.to, typed, 1e-3f);
    EXPECT_TRUE(typing.active);

    // On finished typing it runs again for at most half a millisecond.
    text->pushAll();
    text->render();
    text->setTypingSpeed(0.5f);
    EXPECT_TRUE(typing.active);
    EXPECT_LE(typing.duration - typing.elapsed, 0.5f);
    step(text);
    EXPECT_FALSE(typing.active);
    EXPECT_FLOAT_EQ(typing.value, typing.to);
    EXPECT_EQ(text->isTyping(), 0);
}

TEST_F(TextDrawTest, ThresholdPopsGlyphsInAtFullOpacity)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abc"), 0);
    text->setTypingThreshold(100);
    text->fade(0.25f, 0, 0);
    text->fadeCharacter(0, 0.5f, 0, 0);
    // Value 120: glyph 0 at 120 pops in, glyph 1 at 72 stays hidden.
    text->typingInterpolator.value = text->typingInterpolator.scaledValue = 120.0f;
    text->render();
    ASSERT_EQ(text->drawnQuadCount, 1);
    EXPECT_EQ(text->glyphList[1]->quadIndex, -1);
    const auto& quads = baseQuad(text)->quads;
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].colours[0] >> 24, 255u);

    // Without a threshold the same glyph fades in under the text and glyph fades.
    text->setTypingThreshold(-1);
    text->markDirty();
    text->render();
    EXPECT_EQ(quads[0].colours[0] >> 24, uint32_t(120.0f / 255.0f * 0.5f * 0.25f * 255.0f));
}

TEST_F(TextDrawTest, FontColourCorners)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("ab"), 0);
    text->render();
    text->setFontColor(4, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    EXPECT_EQ(text->fontColorDirty, 0);
    EXPECT_EQ(text->glyphsDirty, 0);
    text->setFontColor(2, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    EXPECT_EQ(text->fontColorDirty, 1);
    text->render();
    EXPECT_EQ(text->fontColors[2], 0xFF0000FFu);
    EXPECT_EQ(text->fontColors[1], 0xFFFFFFFFu);
    text->setFontColor(-1, 0.0f, 1.0f, 0.0f, 0.0f, 0);
    text->render();
    for (uint32_t c : text->fontColors)
        EXPECT_EQ(c, 0xFF00FF00u);
    // A glyph's own colour wins over the text's, written at once for a zero duration.
    text->setCharacterColor(1, 0, 0.0f, 0.0f, 1.0f, 0.0f, 0);
    EXPECT_EQ(text->glyphList[1]->colors[0], 0xFFFF0000u);
    text->setCharacterColor(2, -1, 0.0f, 0.0f, 1.0f, 0.0f, 0);
    text->fadeCharacter(-1, 0.0f, 0, 0);
    EXPECT_EQ(text->glyphList[0]->fading, 0);
}

TEST_F(TextDrawTest, TwoShadowedTextsWithEqualKeysFlushOnce)
{
    CText* first = makeText();
    CText* second = makeText();
    ASSERT_EQ(first->create("ab"), 0);
    ASSERT_EQ(second->create("cd"), 0);
    second->move(100.0f, 50.0f, 0, 0);
    for (CText* text : {first, second})
    {
        text->setShadow(2 | 8, 2, 0.5f, 1.0f);
        text->pushAll();
        text->updateWorldMatrix();
        text->render();
    }
    ASSERT_EQ(first->getBatchKey(), second->getBatchKey());
    EXPECT_EQ(first->shadowTexture, second->shadowTexture) << "one shared texture per surface size";
    first->refreshAtlas();
    second->refreshAtlas();
    log().clear();
    CBatchContext batch;
    first->beginBatch(batch);
    first->addToBatch(batch);
    second->addToBatch(batch);
    second->endBatch(batch);
    EXPECT_EQ(log().named("shadow.draw").size(), 1u);
    EXPECT_EQ(log().named("quad.draw").size(), 2u) << "one stamp per text and offset";
    EXPECT_EQ(log().named("clearTexture").size(), 1u);
    const auto rect = log().named("shadow.setRect");
    ASSERT_EQ(rect.size(), 1u);
    EXPECT_EQ(rect[0], "shadow.setRect(-8, -8, 156, 86)") << "both texts' boxes, 8 pixels around";
    const auto quad = log().named("shadow.setQuad");
    ASSERT_EQ(quad.size(), 1u);
    EXPECT_EQ(quad[0], "shadow.setQuad(7F000000, 7F000000, 7F000000, 7F000000)");

    // Nothing stamped: nothing drawn.
    log().clear();
    CBatchContext empty;
    first->beginBatch(empty);
    first->endBatch(empty);
    EXPECT_TRUE(log().named("shadow.draw").empty());
}

TEST_F(TextDrawTest, ShadowWithoutTheLibraryObjectIsSkipped)
{
    tasks.core->render->noShadowSprite = true;
    CText* text = makeText();
    EXPECT_EQ(text->shadowObject, nullptr);
    ASSERT_EQ(text->create("ab"), 0);
    text->setShadow(2, 2, 1.0f, 1.0f);
    text->pushAll();
    text->render();
    text->setBlendMode(2);
    text->setDither(1, 4, 4, "");
    CBatchContext batch;
    text->beginBatch(batch);
    text->addToBatch(batch);
    EXPECT_EQ(text->endBatch(batch), 0);
    EXPECT_TRUE(log().named("shadow.draw").empty());
    EXPECT_EQ(text->blendMode, 2);
}

TEST_F(TextDrawTest, MaskReachesTheGlyphListsNowAndAfterTheNextLayout)
{
    const int32_t rect[4] = {0, 0, 64, 64};
    auto* mask = new CSpriteMask(Kavro::Vector2D(), rect);
    CText* text = makeText();
    text->setMask(mask);
    ASSERT_EQ(text->create("ab"), 0);
    ASSERT_EQ(text->glyphSprites.size(), 1u);
    EXPECT_EQ(text->glyphSprites[0]->getMask(), mask);
    text->setMask(nullptr);
    EXPECT_EQ(text->glyphSprites[0]->getMask(), nullptr);
    text->setMask(mask);
    ASSERT_EQ(text->print("c"), 0);
    EXPECT_EQ(text->glyphSprites[0]->getMask(), mask);
    const int held = mask->getRefCount();
    text->release();
    texts.clear();
    EXPECT_EQ(mask->getRefCount(), held - 2) << "the text's and its list's references";
    mask->release();
}

TEST_F(TextDrawTest, TransitionMaskIsWatchedOnlyUnderAWatchedNameAndDroppedWhenItGoesAway)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("ab"), 0);
    text->loadTransitionMask("rule.png", 1);
    EXPECT_EQ(text->getTransitionFilename(), "rule.png");
    EXPECT_EQ(text->glyphSprites[0]->getTransitionFilename(), "rule.png");
    EXPECT_EQ(text->transitionCallback, nullptr) << "a file name is not watched";

    CTextureWacher& watcher = *tasks.app->textureWatcher;
    watcher.watch("suf://rule");
    text->loadTransitionMask("suf://rule", 1);
    ASSERT_NE(text->transitionCallback, nullptr);
    watcher.notify("suf://rule");
    EXPECT_EQ(text->transitionCallback, nullptr);
    EXPECT_EQ(text->getTransitionFilename(), "");
    EXPECT_EQ(text->glyphSprites[0]->getTransitionFilename(), "");

    text->transition(0.0f, 1.0f, 0.25f, 100, 70);
    EXPECT_FLOAT_EQ(text->glyphSprites[0]->transitionValue.to, 1.0f);
    EXPECT_FLOAT_EQ(text->glyphSprites[0]->transitionValue.duration, 100.0f);
    EXPECT_FLOAT_EQ(text->transitionInterpolator.to, 1.0f);
    EXPECT_EQ(text->transitionInterpolator.easing, 0) << "curve 70 is curve 0";
    EXPECT_FLOAT_EQ(text->transitionVague, 0.25f);

    // A watched mask still held when the text goes: the watcher forgets the text's callback.
    watcher.watch("suf://other");
    text->loadTransitionMask("suf://other", 1);
    ASSERT_NE(text->transitionCallback, nullptr);
    text->release();
    texts.clear();
    watcher.notify("suf://other");
}

TEST_F(TextDrawTest, DitherReachesTheListsAndTheShadow)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("ab"), 0);
    log().clear();
    text->setDither(1, 8, 8, "");
    EXPECT_EQ(log().named("shadow.setDither"), (std::vector<std::string>{"shadow.setDither(dither, 8, 8)"}));
    text->setDither(1, 4, 4, "pattern.png");
    EXPECT_EQ(log().named("shadow.setDither").back(), "shadow.setDither(pattern.png, 4, 4)");
    // The next layout's lists get the stored values again.
    log().clear();
    ASSERT_EQ(text->print("c"), 0);
    EXPECT_EQ(log().named("shadow.setDither").size(), 1u);
    EXPECT_EQ(text->ditherTextureName, "pattern.png");
}

} // namespace

namespace
{

// The main task's draw pass batches consecutive shadowed texts with equal keys: one shadow draw for the run,
// then every text's glyphs over it; a text with another key starts a batch of its own.
TEST(TextBatchInTask, EqualKeysShareOneShadowDraw)
{
    TaskTestApp t;
    CallLog taskLog;
    FakeScriptHost host;
    TestTaskMain* task = t.push(new TestTaskMain(taskLog));
    t.app->scriptHost = &host;
    task->initialize();
    if (!t.app->fontPool)
        t.app->fontPool = new CFontPool;
    t.app->fontPool->fonts["f20"] = new SquareFont(20);
    std::vector<CText*> texts;
    for (int i = 0; i < 3; ++i)
    {
        const int32_t size[2] = {1280, 720};
        auto* text = new CText("", size);
        text->setFont("f20");
        text->setRubyFont("f20");
        ASSERT_EQ(text->create("ab"), 0);
        text->pushAll();
        text->setShadow(2, 2, 1.0f, 1.0f);
        texts.push_back(text);
    }
    texts[2]->setShadowShadingParameter(3, 0.0f, 0.0f);
    CallLog& device = t.core->log;
    device.clear();
    task->prepareFrame();
    task->render();
    EXPECT_EQ(device.named("shadow.draw").size(), 2u) << "the first two texts share one";
    EXPECT_EQ(device.named("quad.draw").size(), 6u) << "a stamp and a draw per text";
    for (CText* text : texts)
        text->release();
}

} // namespace
