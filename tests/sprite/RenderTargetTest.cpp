// Render targets and the back surface against the recording device, inside the main task's frame loop.
#include "core/CTaskMain.h"
#include "core/CTextureWacher.h"
#include "sprite/CBackSurfaceTarget.h"
#include "sprite/CSpriteRenderTarget.h"

#include "support/FakeRender.h"
#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Calls = std::vector<std::string>;

namespace
{

class RenderTargetTest : public ::testing::Test
{
protected:
    RenderTargetTest() : task(t.push(new CTaskMain))
    {
        task->initialize();
    }
    ~RenderTargetTest() override
    {
        for (CObject* object : owned)
            object->release();
    }

    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    // A created target over a named surface of the recording device.
    CSpriteRenderTarget* target(const std::string& name, int w = 64, int h = 32)
    {
        return keep(task->createRenderTarget(0, name, w, h, Kavro::Vector2D()));
    }
    RecordingDrawable* drawable(const std::string& name, IRenderTarget* surface)
    {
        auto* d = keep(new RecordingDrawable(drawLog, name));
        d->setSurface(surface);
        return d;
    }
    // The frame's passes as the application runs them; the device calls and draws, in order.
    void frame()
    {
        log().clear();
        drawLog.clear();
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
    }
    Calls named(const std::string& name) const { return log().named(name); }
    CallLog& log() const { return t.core->log; }
    RecordingRenderDevice* device() { return static_cast<RecordingRenderDevice*>(t.app->renderDevice); }

    TaskTestApp t;
    CTaskMain* task;
    CallLog drawLog;
    std::vector<CObject*> owned;
};

TEST_F(RenderTargetTest, PassesSelectClearAndRestoreTheirSurface)
{
    CSpriteRenderTarget* rt = target("rt");
    rt->clearColour = 0xFF808080u;
    log().clear();
    ASSERT_EQ(rt->beginRender(), 0);
    EXPECT_EQ(rt->beginRender(), -1); // no nesting
    EXPECT_EQ(rt->endRender(), 0);
    EXPECT_EQ(log().calls(), (Calls{"setRenderTarget(0, suf://rt, 0)", "clearTexture(suf://rt, ff808080)",
                                    "setRenderTarget(0, (screen), 0)"}));
    // An end without a begin restores nothing and counts nothing.
    log().clear();
    EXPECT_EQ(rt->endRender(), 0);
    EXPECT_TRUE(log().calls().empty());
    EXPECT_EQ(rt->passCount, 1u);

    // Kept contents: no clear.
    rt->setClearDisabled(1);
    log().clear();
    ASSERT_EQ(rt->beginRender(), 0);
    rt->endRender();
    EXPECT_TRUE(named("clearTexture").empty());
    EXPECT_EQ(rt->passCount, 2u);
    rt->render();
    EXPECT_EQ(rt->passCount, 0u);

    // Suspended: both the pass and the scene capture refuse.
    rt->setSuspended(1);
    log().clear();
    EXPECT_EQ(rt->beginRender(), -1);
    EXPECT_EQ(rt->capture(), -1);
    EXPECT_TRUE(log().calls().empty());
    rt->setSuspended(0);
    EXPECT_EQ(rt->capture(), 0);
    EXPECT_TRUE(rt->isCaptured());
    rt->render();
    EXPECT_FALSE(rt->isCaptured());
}

TEST_F(RenderTargetTest, ATargetWithoutASurfaceRefusesItsPass)
{
    auto* bare = keep(new CSpriteRenderTarget(nullptr, Kavro::Vector2D()));
    drawable("onBare", bare);
    frame();
    EXPECT_TRUE(drawLog.named("draw").empty());
    EXPECT_TRUE(named("setRenderTarget").empty());
    EXPECT_EQ(bare->passCount, 0u);
}

TEST_F(RenderTargetTest, TheLoopSkipsSuspendedAndDelayedTargets)
{
    CSpriteRenderTarget* plain = target("plain");
    CSpriteRenderTarget* frozen = target("frozen");
    CSpriteRenderTarget* later = target("later");
    drawable("inPlain", plain);
    drawable("inFrozen", frozen);
    drawable("inLater", later);
    frozen->setSuspended(1);
    later->setDelayRendering(1);
    frame();
    // The delayed target has no pass of its own: it fills itself where its own sprite is drawn, in the
    // back surface's pass, which comes last.
    EXPECT_EQ(drawLog.named("draw"), (Calls{"draw(inPlain)", "draw(inLater)"}));
    EXPECT_EQ(named("setRenderTarget"), (Calls{"setRenderTarget(0, suf://plain, 0)", "setRenderTarget(0, (screen), 0)",
                                              "setRenderTarget(0, suf://later, 0)", "setRenderTarget(0, (screen), 0)"}));
    EXPECT_EQ(plain->passCount, 1u);
    EXPECT_EQ(later->passCount, 1u);
    EXPECT_EQ(frozen->passCount, 0u);
}

TEST_F(RenderTargetTest, TheFactoryNamesTheSurfaceAndFailsWithoutOne)
{
    CSpriteRenderTarget* named = target("picture", 256, 128);
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(log().calls().front(), "createNamedRenderTexture(suf://picture, 256, 128, 4, 0)");
    EXPECT_EQ(named->getSize(), (std::vector<int32_t>{0, 0, 256, 128}));
    EXPECT_EQ(named->getTexture()->isPremultiplied(), 1);
    EXPECT_NE(named->sceneSprite, nullptr);
    const auto& targets = task->getRenderTargets();
    EXPECT_NE(std::find(targets.begin(), targets.end(), static_cast<IRenderTarget*>(named)), targets.end());

    device()->noRenderTexture = true;
    EXPECT_EQ(task->createRenderTarget(0, "", 16, 16, Kavro::Vector2D()), nullptr);
}

TEST_F(RenderTargetTest, DestroyingATargetTellsWhoWaitsOnItsSurface)
{
    CSpriteRenderTarget* rt = target("rule");
    auto* s = keep(new CSprite(new FakeTexture("cg/a.png", 8, 8)));
    s->getTexture()->release();
    ASSERT_EQ(s->create(), 0);
    s->loadTransitionMask("suf://rule", 1);
    ASSERT_NE(s->transitionMask, nullptr);

    owned.erase(std::find(owned.begin(), owned.end(), static_cast<CObject*>(rt)));
    rt->release();
    EXPECT_EQ(s->transitionMask, nullptr);
    EXPECT_EQ(s->getTransitionFilename(), "");
    // The name is dropped from the watcher: a new callback on it is refused.
    EXPECT_EQ(t.app->textureWatcher->addCallback("suf://rule", s->colorTextureCallback), 0);
    const auto& targets = task->getRenderTargets();
    EXPECT_EQ(std::find(targets.begin(), targets.end(), static_cast<IRenderTarget*>(rt)), targets.end());
}

TEST_F(RenderTargetTest, SaveImageWritesTheTextureOrAScaledCopy)
{
    CSpriteRenderTarget* rt = target("shot", 64, 32);
    log().clear();
    EXPECT_EQ(rt->saveImage("a.png", 64, 32, 0), 0);
    EXPECT_EQ(log().calls(), Calls{"saveTexture(a.png, suf://shot, 0)"});
    log().clear();
    EXPECT_EQ(rt->saveImage("b.png", 32, 16, 3), 0);
    EXPECT_EQ(log().calls(), (Calls{"createRenderTexture(32, 16, 4, 0, 0, 0)", "copyTexture((unnamed), suf://shot, 2)",
                                    "saveTexture(b.png, (unnamed), 3)"}));

    device()->noRenderTexture = true;
    EXPECT_EQ(rt->saveImage("c.png", 8, 8, 0), -1);
    auto* back = dynamic_cast<CBackSurfaceTarget*>(task->getBackSurface());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->saveImage("d.png", 8, 8, 0), -1);
    EXPECT_EQ(back->isNull(), 1);
    EXPECT_EQ(back->getTexture(), nullptr);
    EXPECT_EQ(back->getSize(), (std::vector<int32_t>{0, 0, 1280, 720}));
}

} // namespace
