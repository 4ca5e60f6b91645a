#include "core/CTextureWacher.h"
#include "sprite/CMaskTextureCallback.h"
#include "sprite/CNullSprite.h"
#include "sprite/CNullSpriteMask.h"
#include "sprite/CSpriteList.h"
#include "sprite/CSpriteMask.h"

#include "support/FakeTaskObjects.h"

#include <kavro/Matrix4x4.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

namespace
{

// Masks, null masks and sprite lists over the recording device of a 1280 x 720 application.
class SpriteMaskTest : public ::testing::Test
{
protected:
    SpriteMaskTest() : task(t.push(new TestTask(taskLog, "masks"))) {}
    ~SpriteMaskTest() override
    {
        for (CObject* object : owned)
            object->release();
        for (FakeTexture* texture : textures)
            texture->release();
    }

    FakeTexture* texture(const std::string& name, int w, int h)
    {
        textures.push_back(new FakeTexture(name, w, h));
        return textures.back();
    }
    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    // A created mask over the 64 x 32 rectangle of a 256 x 128 texture.
    CSpriteMask* mask(const std::string& name = "cg/mask.png")
    {
        const int32_t rect[4] = {0, 0, 64, 32};
        auto* m = keep(new CSpriteMask(texture(name, 256, 128), {100.0f, 50.0f}, rect));
        EXPECT_EQ(m->create(), 0);
        return m;
    }
    // One frame as the task runs it: matrices, prepare, draw; the calls it made.
    std::vector<std::string> frame(CSprite* s)
    {
        log().clear();
        s->updateWorldMatrix();
        s->render();
        s->draw();
        return log().calls();
    }
    static bool drew(const std::vector<std::string>& calls, const std::string& quad)
    {
        for (const std::string& call : calls)
            if (call.rfind(quad + ".draw(", 0) == 0)
                return true;
        return false;
    }
    // Operation names only.
    static std::vector<std::string> names(const std::vector<std::string>& calls)
    {
        std::vector<std::string> out;
        for (const std::string& call : calls)
            out.push_back(call.substr(0, call.find('(')));
        return out;
    }
    CallLog& log() { return t.core->log; }
    FakeMouse& mouse() { return t.core->input.mouse; }

    TaskTestApp t;
    CallLog taskLog;
    TestTask* task;
    std::vector<CObject*> owned;
    std::vector<FakeTexture*> textures;
};

TEST_F(SpriteMaskTest, CreateMakesTheMaskQuadInBothRolesWithoutPushingItsBlendMode)
{
    CSpriteMask* m = mask();
    const auto calls = log().calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "createSpriteMask(cg/mask.png, 6)");
    EXPECT_TRUE(log().named("mask.setBlendMode").empty());
    EXPECT_EQ(m->getBlendMode(), 0);
    ASSERT_NE(m->maskObject, nullptr);
    EXPECT_EQ(static_cast<Kavro::ISpriteQuad*>(m->sceneSprite), m->maskObject);
    EXPECT_EQ(m->colorSprite, nullptr);
    EXPECT_EQ(m->hasSceneObject(), 1);

    // Without a texture the mask quad is the colour quad.
    const int32_t rect[4] = {0, 0, 40, 20};
    auto* colour = keep(new CSpriteMask(Vector2D(), rect));
    log().clear();
    ASSERT_EQ(colour->create(), 0);
    EXPECT_EQ(log().calls().front(), "createSpriteMask((screen), 6)");
    EXPECT_EQ(colour->sceneSprite, nullptr);
    EXPECT_EQ(colour->colorSprite, static_cast<Kavro::IQuad*>(colour->maskObject));

    // Made again: the quads are released and made anew.
    Kavro::ISpriteQuad* first = m->maskObject;
    first->addRef();
    ASSERT_EQ(m->create(), 0);
    EXPECT_NE(m->maskObject, first);
    EXPECT_EQ(first->release(), 0); // ours was the last reference
}

TEST_F(SpriteMaskTest, AMaskTheLibraryCannotMakeDrawsNothingAndMasksWithNull)
{
    auto* device = static_cast<RecordingRenderDevice*>(t.app->renderDevice);
    device->noMaskQuad = true;
    const int32_t rect[4] = {0, 0, 64, 32};
    auto* m = keep(new CSpriteMask(texture("cg/mask.png", 64, 32), {}, rect));
    EXPECT_EQ(m->create(), -1);
    EXPECT_EQ(m->hasSceneObject(), 0);
    EXPECT_TRUE(frame(m).empty());
    FakeRenderTarget target(taskLog, "rt", texture("suf://rt", 512, 256));
    m->setSurface(&target);
    EXPECT_TRUE(log().named("mask.setMaskSize").empty());
    m->setSurface(nullptr);

    // A sprite given it hands its quad a null mask.
    auto* s = keep(new CSprite(texture("cg/a.png", 16, 16), {}, rect));
    ASSERT_EQ(s->create(), 0);
    log().clear();
    s->setMask(m);
    EXPECT_EQ(log().calls(), (std::vector<std::string>{"quad.setMask((null))"}));
}

TEST_F(SpriteMaskTest, AMaskTakesNoPointerInput)
{
    CSpriteMask* m = mask();
    m->setClickable(1, 1);
    EXPECT_TRUE(m->hitMask.empty()); // no hit mask is built
    m->setPixelHitTest(0);
    EXPECT_EQ(m->isPixelHitTest(), 1u); // and the switch is not taken
    frame(m);
    mouse().x = 120, mouse().y = 60;
    mouse().left = 1;
    m->update();
    EXPECT_EQ(m->isOver(0), 0);
    EXPECT_EQ(m->isDown(0), 0);
    mouse().left = 0;
    m->update();
    EXPECT_EQ(m->isUp(0), 0);
    // A plain sprite in the same place reports the pointer.
    const int32_t rect[4] = {0, 0, 64, 32};
    auto* s = keep(new CSprite(texture("cg/a.png", 64, 32), {100.0f, 50.0f}, rect));
    ASSERT_EQ(s->create(), 0);
    s->setClickable(1, 0);
    frame(s);
    s->update();
    EXPECT_EQ(s->isOver(0), 1);
}

TEST_F(SpriteMaskTest, AnInvisibleTransparentMaskIsDrawnInTheFrameItMoved)
{
    CSpriteMask* m = mask();
    frame(m);
    frame(m);
    m->setVisible(0);
    m->fade(0.0f, 0, 0);
    frame(m); // the fade itself changed the geometry
    EXPECT_FALSE(drew(frame(m), "mask"));
    EXPECT_FALSE(drew(frame(m), "mask"));

    m->move(300.0f, 200.0f, 0, 0);
    const auto calls = frame(m);
    EXPECT_TRUE(drew(calls, "mask"));
    EXPECT_EQ(calls.back(), "mask.draw(0, 0, null, 1)");

    // Visible and opaque again: drawn every frame, changed or not.
    m->setVisible(1);
    m->fade(1.0f, 0, 0);
    frame(m);
    frame(m);
    EXPECT_TRUE(drew(frame(m), "mask"));
}

TEST_F(SpriteMaskTest, SetSurfaceGivesTheMaskTheTargetsTextureSizeOrTheScreens)
{
    CSpriteMask* m = mask();
    FakeRenderTarget withTexture(taskLog, "rt", texture("suf://rt", 512, 256));
    FakeRenderTarget withoutTexture(taskLog, "back");
    struct Case
    {
        IRenderTarget* target;
        const char* expected;
    } cases[] = {{&withTexture, "mask.setMaskSize(512, 256)"},
                 {&withoutTexture, "mask.setMaskSize(1280, 720)"},
                 {nullptr, "mask.setMaskSize(1280, 720)"}};
    for (const Case& c : cases)
    {
        log().clear();
        m->setSurface(c.target);
        EXPECT_EQ(log().calls(), (std::vector<std::string>{c.expected}));
        EXPECT_EQ(m->getOwnSurface(), c.target);
    }
    m->setSurface(&withTexture);
    EXPECT_EQ(withTexture.getRefCount(), 2);
    m->setSurface(nullptr);
    EXPECT_EQ(withTexture.getRefCount(), 1);
}

TEST_F(SpriteMaskTest, AMaskedSpriteHandsItsQuadTheMaskQuadAndHoldsTheMask)
{
    CSpriteMask* m = mask();
    const int32_t rect[4] = {0, 0, 16, 16};
    auto* s = keep(new CSprite(texture("cg/a.png", 16, 16), {}, rect));
    ASSERT_EQ(s->create(), 0);
    log().clear();
    s->setMask(m);
    s->setMask(m); // again: the same mask stays held once
    EXPECT_EQ(log().calls(), (std::vector<std::string>{"quad.setMask(mask)", "quad.setMask(mask)"}));
    EXPECT_EQ(s->getMask(), m);
    EXPECT_EQ(m->getRefCount(), 2);
    s->setMask(nullptr);
    EXPECT_EQ(log().calls().back(), "quad.setMask((null))");
    EXPECT_EQ(s->getMask(), nullptr);
    EXPECT_EQ(m->getRefCount(), 1);

    // Without a quad the old mask goes and the new one is not kept.
    s->setMask(m);
    auto* bare = keep(new CSprite(texture("cg/b.png", 16, 16), {}, rect));
    bare->setMask(m);
    EXPECT_EQ(bare->getMask(), nullptr);
    EXPECT_EQ(m->getRefCount(), 2);
    // The masked sprite's end releases its mask.
    s->release();
    owned.erase(std::find(owned.begin(), owned.end(), s));
    EXPECT_EQ(m->getRefCount(), 1);
}

TEST_F(SpriteMaskTest, TheMasksTextureWatchIsRemovedByCreateAndByTheDestructor)
{
    CTextureWacher& watcher = *t.app->textureWatcher;
    watcher.watch("suf://rt");
    CSpriteMask* m = mask("suf://rt");
    ASSERT_NE(dynamic_cast<CMaskTextureCallback*>(m->colorTextureCallback), nullptr);
    EXPECT_EQ(m->watchingTexture, 1u);
    EXPECT_EQ(m->colorTextureCallback->getRefCount(), 2); // the mask's and the watcher's
    ASSERT_EQ(m->create(), 0);
    EXPECT_EQ(m->colorTextureCallback->getRefCount(), 2); // the old registration went
    watcher.notify("suf://rt");
    EXPECT_EQ(m->textureDeleted, 1u);

    // A destroyed mask leaves the watcher: a later notice writes into no freed mask.
    watcher.watch("suf://gone");
    const int32_t rect[4] = {0, 0, 8, 8};
    auto* gone = new CSpriteMask(texture("suf://gone", 8, 8), {}, rect);
    ASSERT_EQ(gone->create(), 0);
    EXPECT_EQ(gone->watchingTexture, 1u);
    gone->release();
    watcher.notify("suf://gone");
}

// What each null class answers where the table of overrides sets them apart.
TEST_F(SpriteMaskTest, NullSpriteAndNullMaskAnswerTheirOverrideTables)
{
    FakeCamera camera;
    struct Case
    {
        const char* operation;
        std::function<float(CSprite&)> run;
        float nullSprite;
        float nullMask;
    } cases[] = {
        {"update", [](CSprite& s) { return float(s.update()); }, 0, 0},
        {"draw", [](CSprite& s) { return float(s.draw()); }, 0, 0},
        {"drawInstance",
         [](CSprite& s) {
             const Vector3D at;
             const Vector2D one(1.0f, 1.0f);
             return float(s.drawInstance(&at, 1.0f, &one, &at));
         },
         0, -1},
        {"create", [](CSprite& s) { return float(s.create()); }, 0, -1},
        {"isNull", [](CSprite& s) { return float(s.isNull()); }, 1, 0},
        {"hasSceneObject", [](CSprite& s) { return float(s.hasSceneObject()); }, 0, 0},
        {"getSurface (the task's back surface)", [](CSprite& s) { return float(s.getSurface() != nullptr); }, 0, 1},
        {"isInCamera", [&](CSprite& s) { return float(s.isInCamera(&camera)); }, 0, 0},
        {"getCameraDepth", [&](CSprite& s) { return s.getCameraDepth(&camera); }, -1, 0},
        {"getColor after setColor",
         [](CSprite& s) {
             s.setColor(0, 0.5f, 0.5f, 0.5f, 0.0f, 0);
             return s.getColor(0).r;
         },
         1, 0.5f},
        {"setFadeScale", [](CSprite& s) { s.setFadeScale(0.5f); return s.getFade(); }, 0.5f, 1},
        {"setVisible", [](CSprite& s) { s.setVisible(0); return float(*s.getVisible()); }, 1, 1},
        {"fade", [](CSprite& s) { s.fade(0.0f, 100, 0); return s.getFade() + float(s.isFading()); }, 1, 1},
        {"move", [](CSprite& s) { s.move(5.0f, 6.0f, 100, 0); return s.getMove().x + float(s.isMoving()); }, 0, 0},
        {"move3D", [](CSprite& s) { s.move3D(5.0f, 6.0f, 7.0f, 0, 0); return s.getMove().z; }, 0, 0},
        {"scale", [](CSprite& s) { s.scale(2.0f, 3.0f, 100, 0); return s.getScale().x + float(s.isScaling()); }, 1, 1},
        {"scale (vector)", [](CSprite& s) { s.scale(Vector2D(2.0f, 3.0f), 0, 0); return s.getScale().y; }, 1, 1},
        {"rotate", [](CSprite& s) { s.rotate(1.0f, 2.0f, 3.0f, 100, 0); return s.getRotate().z + float(s.isRotating()); }, 0, 0},
        {"rotate (vector)", [](CSprite& s) { s.rotate(Vector3D(1.0f, 2.0f, 3.0f), 0, 0); return s.getRotate().z; }, 0, 0},
        {"setRect", [](CSprite& s) { const int32_t r[4] = {1, 2, 3, 4}; s.setRect(r); return float(s.getSize()[2]); }, 0, 0},
        {"getVertex", [](CSprite& s) { const Vector4D v = s.getVertex(0); return v.x + v.y + v.z + 10.0f * v.w; }, 10, 10},
        {"setCamera", [&](CSprite& s) { s.setCamera(&camera, 1.0f, 0.0f); return float(s.camera != nullptr); }, 0, 0},
    };
    task->initialize(); // makes the back surface
    ASSERT_NE(task->getBackSurface(), nullptr);
    CSpriteMask* realMask = mask();
    for (const Case& c : cases)
    {
        auto* nullSprite = keep(new CNullSprite);
        auto* nullMask = keep(new CNullSpriteMask);
        EXPECT_EQ(c.run(*nullSprite), c.nullSprite) << "CNullSprite " << c.operation;
        EXPECT_EQ(c.run(*nullMask), c.nullMask) << "CNullSpriteMask " << c.operation;
    }
    // Neither takes a mask, and neither makes a quad.
    auto* nullSprite = keep(new CNullSprite);
    auto* nullMask = keep(new CNullSpriteMask);
    log().clear();
    for (CSprite* s : {static_cast<CSprite*>(nullSprite), static_cast<CSprite*>(nullMask)})
    {
        s->setMask(realMask);
        EXPECT_EQ(s->getMask(), nullptr);
        s->create();
        EXPECT_EQ(s->sceneSprite, nullptr);
        EXPECT_EQ(s->colorSprite, nullptr);
    }
    EXPECT_TRUE(log().calls().empty());
    EXPECT_EQ(nullMask->getBlendMode(), 0);
    EXPECT_EQ(nullMask->maskObject, nullptr);
}

// A list of n quads over the texture (null: none).
CSpriteList* makeList(Kavro::ITexture* texture, uint32_t count, int expected = 0)
{
    auto* list = new CSpriteList(texture);
    EXPECT_EQ(list->createList(count), expected);
    return list;
}

TEST_F(SpriteMaskTest, ASpriteListHandsItsQuadsToTheTexturedQuadBetweenBeginAndEnd)
{
    auto* list = keep(makeList(texture("font/page0", 256, 256), 3));
    EXPECT_EQ(log().named("createSprite"), (std::vector<std::string>{"createSprite(font/page0, 3, 1, 1)"}));
    EXPECT_EQ(list->quadCount, 3u);
    const Kavro::Matrix4x4 placed = Kavro::Matrix4x4::GetTranslation(10.0f, 20.0f, 0.0f);
    const Vector4D corners[4] = {{0, 0, 0, 1}, {8, 0, 0, 1}, {0, -12, 0, 1}, {8, -12, 0, 1}};
    const uint32_t colours[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0x80FFFFFFu};
    const Vector2D uv[4] = {{0.0f, 0.0f}, {0.25f, 0.0f}, {0.0f, 0.5f}, {0.25f, 0.5f}};
    log().clear();
    EXPECT_EQ(list->beginQuads(), 0);
    EXPECT_EQ(list->addQuad(placed, corners, colours, uv), 0);
    EXPECT_EQ(list->addQuad(placed, corners, colours, uv), 0);
    EXPECT_EQ(list->endQuads(), 0);
    EXPECT_EQ(names(log().calls()),
              (std::vector<std::string>{"quad.begin", "quad.addQuad", "quad.addQuad", "quad.end"}));
    auto* quad = static_cast<RecordingSpriteQuad*>(list->sceneSprite);
    ASSERT_EQ(quad->quads.size(), 2u);
    EXPECT_EQ(quad->quads[1].matrix.m[3][1], 20.0f);
    EXPECT_EQ(quad->quads[1].colours[3], 0x80FFFFFFu);
    EXPECT_EQ(quad->quads[1].uv[3], uv[3]);

    // The list places nothing itself, and a render pushes no geometry.
    log().clear();
    list->updateWorldMatrix();
    list->render();
    EXPECT_TRUE(log().named("quad.addQuad").empty());
    EXPECT_EQ(list->isOver(0), 0);

    // Without a textured quad nothing is forwarded.
    auto* failed = keep(new CSpriteList(nullptr));
    log().clear();
    failed->beginQuads();
    EXPECT_EQ(failed->addQuad(placed, corners, colours, uv), -1);
    EXPECT_EQ(failed->setQuadFlag(1), -1);
    failed->endQuads();
    EXPECT_EQ(failed->update(), -1);
    EXPECT_TRUE(log().calls().empty());
}

TEST_F(SpriteMaskTest, CreateListWithoutATextureInstallsTheDefaultTexture)
{
    auto* device = t.app->renderDevice;
    auto* list = keep(makeList(nullptr, 0));
    EXPECT_EQ(list->getTexture(), device->getDefaultTexture());
    EXPECT_EQ(log().named("createSprite").size(), 1u);
    EXPECT_EQ(log().named("createSprite")[0].find("createSprite(") , 0u);
    EXPECT_NE(log().named("createSprite")[0].find(", 0, 1, 1)"), std::string::npos);
    EXPECT_EQ(list->quadCount, 0u);
    // The blend mode is applied to the new quad.
    EXPECT_EQ(log().named("quad.setBlendMode"), (std::vector<std::string>{"quad.setBlendMode(1)"}));
}

TEST_F(SpriteMaskTest, DrawAtDrawsOnlyAVisibleListWithItsOffsetColourAndFactor)
{
    auto* list = keep(makeList(texture("font/page0", 64, 64), 1));
    const Vector4D shadow(0.0f, 0.0f, 0.0f, 0.5f);
    log().clear();
    EXPECT_EQ(list->drawAt({2.0f, 3.0f}, &shadow, 0.75f), 0);
    EXPECT_EQ(list->drawAt({}, nullptr, 1.0f), 0);
    EXPECT_EQ(log().calls(), (std::vector<std::string>{"quad.draw(2, 3, 0, 0, 0, 0.5, 0.75)",
                                                       "quad.draw(0, 0, null, 1)"}));
    list->setVisible(0);
    log().clear();
    EXPECT_EQ(list->drawAt({2.0f, 3.0f}, &shadow, 1.0f), 0);
    EXPECT_TRUE(log().calls().empty());

    auto* failed = keep(new CSpriteList(nullptr));
    EXPECT_EQ(failed->drawAt({}, nullptr, 1.0f), -1);
}

TEST_F(SpriteMaskTest, AListAdvancesOnlyItsTransition)
{
    auto* list = keep(makeList(texture("font/page0", 64, 64), 1));
    t.app->frameSpeed = 1.0f;
    t.app->frameTimeCap = 16.666666f;
    list->fade(0.0f, 100, 0);
    list->move(50.0f, 50.0f, 100, 0);
    list->transitionValue.set(0.0f, 1.0f, 100u, 0);
    list->transitionVague = 0.25f;
    t.core->milliTime += 16;
    log().clear();
    EXPECT_EQ(list->update(), 0);
    EXPECT_GT(list->transitionValue.elapsed, 0.0f);
    // The running transition goes to the quad at once.
    const auto pushed = log().named("quad.setTransition");
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].rfind("quad.setTransition(0, 1, ", 0), 0u) << pushed[0];
    EXPECT_NE(pushed[0].find(", 0.25)"), std::string::npos) << pushed[0];
    // A finished transition is not pushed again.
    for (int i = 0; i < 10; ++i)
        t.core->milliTime += 16, list->update();
    log().clear();
    t.core->milliTime += 16;
    list->update();
    EXPECT_TRUE(log().named("quad.setTransition").empty());
    EXPECT_EQ(list->opacity.elapsed, 0.0f);
    EXPECT_EQ(list->position.elapsed, 0.0f);
}

} // namespace
