// Displacement maps and shade masks against the recording device, inside the main task's frame loop.
#include "core/CTaskMain.h"
#include "sprite/CNullSprite.h"
#include "sprite/CSpriteDisplacementMap.h"
#include "sprite/CSpriteShadeMask.h"

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

class EffectMapTest : public ::testing::Test
{
protected:
    EffectMapTest() : task(t.push(new CTaskMain))
    {
        task->initialize();
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = 16.666666f;
    }
    ~EffectMapTest() override
    {
        for (CObject* object : owned)
            object->release();
    }

    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    CSpriteDisplacementMap* displacementMap(float x = 8.0f, float y = 4.0f)
    {
        auto* map = keep(new CSpriteDisplacementMap);
        EXPECT_EQ(map->createDisplacementMap(Kavro::Vector2D(x, y)), 0);
        return map;
    }
    CSpriteShadeMask* shadeMask()
    {
        auto* mask = keep(new CSpriteShadeMask);
        EXPECT_EQ(mask->create(), 0);
        return mask;
    }
    CSprite* sprite(bool created = true)
    {
        auto* texture = new FakeTexture("a.png", 64, 32);
        auto* s = keep(new CSprite(texture));
        texture->release();
        if (created)
        {
            EXPECT_EQ(s->create(), 0);
        }
        return s;
    }
    static RecordingSpriteQuad* quadOf(CSprite* s) { return static_cast<RecordingSpriteQuad*>(s->sceneSprite); }
    void frame()
    {
        log().clear();
        task->updateWorldMatrix();
        task->prepareFrame();
        task->render();
    }
    bool isTaskObject(CTaskObject* object) const
    {
        const auto& list = task->getTaskObjects();
        return std::find(list.begin(), list.end(), object) != list.end();
    }
    bool isRenderingObject(CRenderingTaskObject* object) const
    {
        for (const auto& record : task->getRenderingObjects())
            if (record.object == object)
                return true;
        return false;
    }
    bool isRenderTarget(IRenderTarget* target) const
    {
        const auto& targets = task->getRenderTargets();
        return std::find(targets.begin(), targets.end(), target) != targets.end();
    }
    Calls named(const std::string& name) const { return log().named(name); }
    CallLog& log() const { return t.core->log; }
    RecordingRenderDevice* device() { return static_cast<RecordingRenderDevice*>(t.app->renderDevice); }

    TaskTestApp t;
    CTaskMain* task;
    std::vector<CObject*> owned;
};

TEST_F(EffectMapTest, ADisplacementMapIsAScreenSizedTargetWithAFadedPreview)
{
    CSpriteDisplacementMap* map = displacementMap(8.0f, 4.0f);
    EXPECT_EQ(log().calls().front(), "createDisplacementMap(8, 4)");
    ASSERT_NE(map->getTexture(), nullptr);
    EXPECT_EQ(map->getTexture(), map->getEffectMap()->getTexture());
    EXPECT_EQ(map->getSize(), (std::vector<int32_t>{0, 0, 1280, 720}));
    EXPECT_EQ(map->clearColour, 0xFF808080u);
    // The task renders into it but neither updates nor draws it; the preview is the map's own business.
    EXPECT_TRUE(isRenderTarget(map));
    EXPECT_FALSE(isTaskObject(map));
    EXPECT_FALSE(isRenderingObject(map));
    CSprite* preview = map->getInnerSprite();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->getTexture(), map->getTexture());
    EXPECT_FLOAT_EQ(preview->getFade(), 0.75f);
    EXPECT_FALSE(isTaskObject(preview));
    EXPECT_FALSE(isRenderingObject(preview));
}

TEST_F(EffectMapTest, ADisplacementMapTakesTheSizeOfItsSurface)
{
    CSpriteDisplacementMap* map = displacementMap();
    CSpriteRenderTarget* small = keep(task->createRenderTarget(0, "small", 128, 64, Kavro::Vector2D()));
    struct
    {
        IRenderTarget* surface;
        int width, height;
        bool resized;
    } cases[] = {
        {task->getBackSurface(), 1280, 720, false}, // the back surface: the screen's size, as it already is
        {small, 128, 64, true},
        {small, 128, 64, false}, // unchanged: no resize, no mark
        {nullptr, 1280, 720, true},
    };
    for (const auto& c : cases)
    {
        map->setResized(0);
        log().clear();
        map->setSurface(c.surface);
        EXPECT_EQ(map->getOwnSurface(), c.surface);
        EXPECT_EQ(map->getTexture()->getSize()[0], c.width);
        EXPECT_EQ(map->getTexture()->getSize()[1], c.height);
        EXPECT_EQ(map->getSize(), (std::vector<int32_t>{0, 0, c.width, c.height}));
        EXPECT_EQ(map->isResized(), c.resized) << c.width;
        EXPECT_EQ(named("displacement.resize").size(), c.resized ? 1u : 0u);
    }
}

TEST_F(EffectMapTest, FreshMapsClearToTheirNeutralColoursOncePerFrame)
{
    CSpriteDisplacementMap* map = displacementMap();
    CSpriteShadeMask* mask = shadeMask();
    EXPECT_EQ(mask->clearColour, 0xFFFF0000u);
    frame();
    EXPECT_EQ(named("clearTexture"), (Calls{"clearTexture(shade, ffff0000)", "clearTexture(displacement, ff808080)"}));
    EXPECT_EQ(map->passCount, 1u);
    // A second pass in the same frame is refused; the next frame fills the map again.
    EXPECT_EQ(map->beginRender(), -1);
    EXPECT_EQ(mask->beginRender(), -1);
    map->render();
    EXPECT_EQ(map->beginRender(), 0);
    map->endRender();
}

TEST_F(EffectMapTest, MapsTheLibraryCannotMakeStayEmpty)
{
    device()->noEffectMap = true;
    auto* map = keep(new CSpriteDisplacementMap);
    auto* mask = keep(new CSpriteShadeMask);
    EXPECT_EQ(map->createDisplacementMap(Kavro::Vector2D(1.0f, 1.0f)), -1);
    EXPECT_EQ(mask->create(), -1);
    for (CSpriteRenderTarget* empty : {static_cast<CSpriteRenderTarget*>(map), static_cast<CSpriteRenderTarget*>(mask)})
    {
        EXPECT_EQ(empty->getTexture(), nullptr);
        EXPECT_EQ(empty->beginRender(), -1);
        EXPECT_EQ(empty->render(), 0);
        EXPECT_EQ(empty->draw(), 0);
    }
    map->setSurface(task->getBackSurface());
    EXPECT_EQ(map->getInnerSprite(), nullptr);
    mask->setShadingPower(1.0f, 0.0f, 0);
    EXPECT_EQ(mask->getShadingLevel(), 0);
    EXPECT_EQ(mask->getShadingDensity(), 0.0f);

    // A shade map without the surface its copy needs is dropped again.
    device()->noEffectMap = false;
    device()->noRenderTexture = true;
    log().clear();
    EXPECT_EQ(mask->create(), -1);
    EXPECT_EQ(log().calls(), (Calls{"createShadeMap()", "createRenderTexture(1280, 720, 4, 0, 0, 0)"}));
    EXPECT_EQ(mask->getEffectMap(), nullptr);
    EXPECT_EQ(mask->getInnerSprite(), nullptr);
}

TEST_F(EffectMapTest, AShadeMaskShadesThroughItsInnerSpriteAndEasesItsPower)
{
    CSpriteShadeMask* mask = shadeMask();
    CSprite* inner = mask->getInnerSprite();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->getSize(), (std::vector<int32_t>{0, 0, 1280, 720}));
    EXPECT_FALSE(isTaskObject(inner));
    EXPECT_EQ(quadOf(inner)->shadeMap, mask->getEffectMap());

    struct
    {
        float asked, given;
    } powers[] = {{2.0f, 1.0f}, {-0.5f, 0.0f}, {0.4f, 0.4f}, {3.0f, 1.0f}};
    for (const auto& p : powers)
    {
        mask->setShadingPower(p.asked, 0.0f, 0);
        EXPECT_FLOAT_EQ(inner->getShadingPower(), p.given) << p.asked;
    }
    // The mask's own sprite state is left alone.
    EXPECT_EQ(mask->getShadingPower(), 0.0f);
    mask->setShadingParameter(6, 0.25f);
    EXPECT_EQ(mask->getShadingLevel(), 6);
    EXPECT_FLOAT_EQ(mask->getShadingDensity(), 0.25f);

    // A timed power moves with the mask's update, which steps the inner sprite too.
    mask->setShadingPower(0.0f, 100.0f, 0);
    for (int i = 0; i < 4; ++i)
    {
        t.core->milliTime += 16;
        mask->update();
    }
    EXPECT_GT(inner->getShadingPower(), 0.0f);
    EXPECT_LT(inner->getShadingPower(), 1.0f);
    for (int i = 0; i < 4; ++i)
    {
        t.core->milliTime += 16;
        mask->update();
    }
    EXPECT_EQ(inner->getShadingPower(), 0.0f);
}

TEST_F(EffectMapTest, AShadeMaskDrawsACopyOfItsTargetAgain)
{
    CSpriteShadeMask* mask = shadeMask();
    mask->render();
    log().clear();
    EXPECT_EQ(mask->draw(), 0);
    const Calls calls = log().calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "copyRenderTarget((unnamed))");
    EXPECT_EQ(quadOf(mask->getInnerSprite())->drawnLists.size(), 1u);
}

TEST_F(EffectMapTest, SpritesHandTheLibraryMapsToTheirQuad)
{
    CSpriteDisplacementMap* map = displacementMap();
    CSpriteShadeMask* mask = shadeMask();
    CSprite* s = sprite();
    const int held = map->getRefCount();
    log().clear();
    s->setDisplacementMap(map);
    s->setShadeMask(mask);
    EXPECT_EQ(log().calls(), (Calls{"quad.setDisplacementMap(displacement)", "quad.setShadeMap(shade)"}));
    EXPECT_EQ(s->getDisplacementMap(), map);
    EXPECT_EQ(map->getRefCount(), held + 1);
    // The same map again, while the sprite holds the last reference to it.
    owned.erase(std::find(owned.begin(), owned.end(), static_cast<CObject*>(map)));
    map->release();
    s->setDisplacementMap(map);
    EXPECT_EQ(map->getRefCount(), 1);
    log().clear();
    s->setDisplacementMap(nullptr);
    s->setShadeMask(nullptr);
    EXPECT_EQ(log().calls(), (Calls{"quad.setDisplacementMap(null)", "quad.setShadeMap(null)"}));
    EXPECT_EQ(s->getDisplacementMap(), nullptr);

    // Without a quad the map is not kept; a null sprite ignores both.
    CSpriteDisplacementMap* other = displacementMap();
    const int otherHeld = other->getRefCount();
    CSprite* bare = sprite(false);
    auto* null = keep(new CNullSprite);
    log().clear();
    for (CSprite* quadless : {bare, static_cast<CSprite*>(null)})
    {
        quadless->setDisplacementMap(other);
        quadless->setShadeMask(mask);
        EXPECT_EQ(quadless->getDisplacementMap(), nullptr);
    }
    EXPECT_EQ(other->getRefCount(), otherHeld);
    EXPECT_TRUE(log().calls().empty());
}

} // namespace
