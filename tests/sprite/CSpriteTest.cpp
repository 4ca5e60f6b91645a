#include "core/CTextureWacher.h"
#include "sprite/CNullSprite.h"
#include "sprite/CSprite.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <cmath>
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

// Sprites over the recording device of a 1280 x 720 application, in a task on top of the stack.
class SpriteTest : public ::testing::Test
{
protected:
    SpriteTest() : task(t.push(new TestTask(taskLog, "sprites"))) {}
    ~SpriteTest() override
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
    // A created textured sprite of the rectangle over a 256 x 128 texture.
    CSprite* sprite(Vector2D position = {200.0f, 100.0f}, std::vector<int32_t> rect = {0, 0, 100, 50})
    {
        auto* s = keep(new CSprite(texture("cg/a.png", 256, 128), position, rect.data()));
        EXPECT_EQ(s->create(), 0);
        return s;
    }
    CSprite* colourSprite(Vector2D position, std::vector<int32_t> rect, std::vector<uint8_t> rgba)
    {
        auto* s = keep(new CSprite(position, rect.data()));
        EXPECT_EQ(s->createColorTexture(rgba.data()), 0);
        return s;
    }
    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    static RecordingSpriteQuad* quadOf(CSprite* s) { return static_cast<RecordingSpriteQuad*>(s->sceneSprite); }
    // One frame as the task runs it: matrices, prepare.
    std::vector<std::string> renderFrame(CSprite* s)
    {
        log().clear();
        s->updateWorldMatrix();
        s->render();
        return log().calls();
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

    TaskTestApp t;
    CallLog taskLog;
    TestTask* task;
    std::vector<CObject*> owned;
    std::vector<FakeTexture*> textures;
};

void expectNear(const Vector4D& v, float x, float y, float tolerance = 1e-3f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
}

TEST_F(SpriteTest, CreateMakesTheQuadAndPushesGeometryCentreAndBlendMode)
{
    CSprite* s = sprite();
    const auto calls = log().calls();
    EXPECT_EQ(names(calls), (std::vector<std::string>{"createSprite", "quad.setUVOffset", "quad.setFilter",
                                                      "quad.begin", "quad.addQuad", "quad.end",
                                                      "quad.setBlendMode"}));
    EXPECT_EQ(calls[0], "createSprite(cg/a.png, 1, 1, 1)");
    EXPECT_EQ(calls[6], "quad.setBlendMode(1)");
    // The source rectangle's texture coordinates and opaque white corners.
    EXPECT_NE(calls[4].find("rgba=ffffffff ffffffff ffffffff ffffffff uv=0,0 0.390625,0 0,0.390625 0.390625,0.390625"),
              std::string::npos)
        << calls[4];
    EXPECT_EQ(s->dirty, 0u);
}

TEST_F(SpriteTest, RenderPushesEachChangedGroupOnceAndGeometryOneFrameLonger)
{
    CSprite* s = sprite();
    renderFrame(s);
    renderFrame(s); // the frame after creation still recomputes (prevDirty)
    EXPECT_TRUE(renderFrame(s).empty());

    s->setColor(-1, 0.5f, 0.25f, 1.0f, 0.0f, 0);
    const auto calls = renderFrame(s);
    EXPECT_EQ(names(calls), (std::vector<std::string>{"quad.setUVOffset", "quad.setFilter", "quad.begin",
                                                      "quad.addQuad", "quad.end"}));
    // Red 127, green 63, blue 255, alpha from the opacity: 0xAABBGGRR as a number.
    EXPECT_NE(calls[3].find("rgba=ffff3f7f ffff3f7f ffff3f7f ffff3f7f"), std::string::npos) << calls[3];
    EXPECT_EQ(names(renderFrame(s)).size(), 5u); // once more after the change
    EXPECT_TRUE(renderFrame(s).empty());

    // A watched texture applies every frame, before the geometry.
    s->watchingTexture = 1;
    s->invalidate();
    EXPECT_EQ(names(renderFrame(s)), (std::vector<std::string>{"quad.apply", "quad.setUVOffset", "quad.setFilter",
                                                               "quad.begin", "quad.addQuad", "quad.end"}));
}

TEST_F(SpriteTest, OpacityFillsTheAlphaByteOfEveryCorner)
{
    struct Case
    {
        float opacity, valueScale;
        uint32_t alpha;
    } cases[] = {{1.0f, 1.0f, 255}, {0.5f, 1.0f, 127}, {1.5f, 1.0f, 255}, {-0.2f, 1.0f, 0},
                 {1.0f, 0.5f, 127}, {0.0f, 1.0f, 0},   {NAN, 1.0f, 0}};
    CSprite* s = sprite();
    for (const Case& c : cases)
    {
        s->opacity.scaledValue = c.opacity;
        s->opacity.valueScale = c.valueScale;
        s->updateGeometry();
        for (uint32_t colour : s->vertexColor32)
            EXPECT_EQ(colour >> 24, c.alpha) << c.opacity << " x " << c.valueScale;
        EXPECT_EQ(s->vertexColor32[0] & 0xFFFFFFu, 0xFFFFFFu);
    }
}

TEST_F(SpriteTest, FilterSwitchIsOffOnlyForAPlainSpriteOnWholePixels)
{
    const float tiny = std::ldexp(1.0f, -12); // two corners of 2^-24 each: 2^-23 in all
    struct Case
    {
        const char* what;
        std::function<void(CSprite*)> change;
        int filter;
    } cases[] = {
        {"plain", [](CSprite*) {}, 0},
        {"x = 10.5", [](CSprite* s) { setAt(s->position, Vector3D(10.5f, 20.0f, 0.0f)); }, 1},
        {"z = 0.25", [](CSprite* s) { setAt(s->position, Vector3D(10.0f, 20.0f, 0.25f)); }, 1},
        {"scaled", [](CSprite* s) { setAt(s->scaling, Vector2D(2.0f, 1.0f)); }, 1},
        {"turned", [](CSprite* s) { setAt(s->rotation, Vector3D(0.0f, 0.0f, 30.0f)); }, 1},
        {"offsets of 2^-23",
         [tiny](CSprite* s) {
             setAt(s->vertexMove[0], Vector2D(tiny, 0.0f));
             setAt(s->vertexMove[3], Vector2D(0.0f, tiny));
         },
         0},
        {"offset of 0.01", [](CSprite* s) { setAt(s->vertexMove[2], Vector2D(0.01f, 0.0f)); }, 1},
        {"filtering off", [](CSprite* s) { s->textureFiltering = 0; setAt(s->scaling, Vector2D(2.0f, 2.0f)); }, 0},
        {"filtering off, camera",
         [](CSprite* s) {
             s->textureFiltering = 0;
             auto* camera = new FakeCamera;
             s->setCamera(camera, 1.0f, 0.0f);
             camera->release();
         },
         1},
        {"camera",
         [](CSprite* s) {
             auto* camera = new FakeCamera;
             s->setCamera(camera, 1.0f, 0.0f);
             camera->release();
         },
         1},
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite({10.0f, 20.0f});
        c.change(s);
        renderFrame(s);
        EXPECT_EQ(log().named("quad.setFilter"), (std::vector<std::string>{"quad.setFilter(" +
                                                                           std::to_string(c.filter) + ")"}))
            << c.what;
    }
}

TEST_F(SpriteTest, VerticesOfAnUnturnedSpriteAreItsCornerPixels)
{
    CSprite* s = sprite({200.0f, 100.0f});
    renderFrame(s);
    expectNear(s->getVertex(0), 200.0f, 100.0f);
    expectNear(s->getVertex(1), 300.0f, 100.0f);
    expectNear(s->getVertex(2), 200.0f, 150.0f);
    expectNear(s->getVertex(3), 300.0f, 150.0f);
    EXPECT_FLOAT_EQ(s->getVertex(3).w, 1.0f);
    for (int32_t index : {-1, 4, 1000})
        EXPECT_EQ(s->getVertex(index), Vector4D()) << index;
}

TEST_F(SpriteTest, CentreAndPivotChooseTheTurningPoint)
{
    CSprite* middle = sprite({200.0f, 100.0f});
    setAt(middle->rotation, Vector3D(0.0f, 0.0f, 180.0f));
    renderFrame(middle);
    expectNear(middle->getVertex(0), 300.0f, 150.0f); // turned about (250, 125)

    CSprite* corner = sprite({200.0f, 100.0f});
    corner->setCenter({0.0f, 0.0f});
    setAt(corner->rotation, Vector3D(0.0f, 0.0f, 180.0f));
    renderFrame(corner);
    expectNear(corner->getVertex(0), 200.0f, 100.0f); // the top-left corner stays
    expectNear(corner->getVertex(3), 100.0f, 50.0f);

    CSprite* pivoted = sprite({200.0f, 100.0f});
    pivoted->setCenter({0.0f, 0.0f});
    pivoted->setPivot({10.0f, 0.0f});
    setAt(pivoted->rotation, Vector3D(0.0f, 0.0f, 180.0f));
    renderFrame(pivoted);
    expectNear(pivoted->getVertex(0), 220.0f, 100.0f); // turned about (210, 100)
}

TEST_F(SpriteTest, OffsetsOfAtMostTwoToTheMinus23LeaveTheQuadUndistorted)
{
    CSprite* plain = sprite();
    renderFrame(plain);
    const Kavro::Matrix4x4 expected = quadOf(plain)->quads.at(0).matrix;

    const float tiny = std::ldexp(1.0f, -12);
    CSprite* s = sprite();
    setAt(s->vertexMove[1], Vector2D(tiny, 0.0f));
    setAt(s->vertexMove[2], Vector2D(0.0f, -tiny));
    renderFrame(s);
    EXPECT_EQ(quadOf(s)->quads.at(0).matrix, expected);

    setAt(s->vertexMove[3], Vector2D(0.0f, tiny)); // now just above
    renderFrame(s);
    EXPECT_FALSE(quadOf(s)->quads.at(0).matrix == expected);
}

TEST_F(SpriteTest, CornerOffsetsMoveEachCornerByItsOffset)
{
    const Vector2D offsets[4] = {{10.0f, 0.0f}, {0.0f, 5.0f}, {-3.0f, 4.0f}, {7.0f, -2.0f}};
    const Vector2D corners[4] = {{200.0f, 100.0f}, {300.0f, 100.0f}, {200.0f, 150.0f}, {300.0f, 150.0f}};
    CSprite* s = sprite({200.0f, 100.0f});
    for (int i = 0; i < 4; ++i)
        setAt(s->vertexMove[i], offsets[i]);
    renderFrame(s);
    for (int i = 0; i < 4; ++i)
        expectNear(s->getVertex(i), corners[i].x + offsets[i].x, corners[i].y + offsets[i].y, 2e-3f);
    // The quad handed over carries the same distortion.
    const auto& quad = quadOf(s)->quads.at(0);
    for (int i = 0; i < 4; ++i)
    {
        const Vector4D clip = quad.corners[i].Transform(quad.matrix);
        EXPECT_NEAR((clip.x / clip.w + 1.0f) * 640.0f, corners[i].x + offsets[i].x, 2e-3f) << i;
        EXPECT_NEAR((1.0f - clip.y / clip.w) * 360.0f, corners[i].y + offsets[i].y, 2e-3f) << i;
    }
}

TEST_F(SpriteTest, ASpriteInARenderTargetUsesTheTargetsSize)
{
    auto* target = keep(new FakeRenderTarget(taskLog, "rt", texture("suf://rt", 256, 128)));
    CSprite* s = sprite({0.0f, 0.0f});
    s->setSurface(target);
    s->invalidate();
    renderFrame(s);
    EXPECT_NEAR(s->getVertex(1).x - s->getVertex(0).x, 100.0f, 1e-3f);
    EXPECT_NEAR(s->getVertex(2).y - s->getVertex(0).y, 50.0f, 1e-3f);
    // 100 pixels of a 256-wide target span 200/256 of clip space.
    const auto& quad = quadOf(s)->quads.at(0);
    const Vector4D left = quad.corners[0].Transform(quad.matrix), right = quad.corners[1].Transform(quad.matrix);
    EXPECT_NEAR(right.x - left.x, 200.0f / 256.0f, 1e-6f);
    const Vector4D bottom = quad.corners[2].Transform(quad.matrix);
    EXPECT_NEAR(left.y - bottom.y, 100.0f / 128.0f, 1e-6f);
    s->setSurface(nullptr);
}

TEST_F(SpriteTest, ColourSpriteKeepsItsBytesAndGoesToTheColourQuad)
{
    CSprite* s = colourSprite({0.0f, 0.0f}, {0, 0, 8, 4}, {255, 51, 0, 128});
    EXPECT_EQ(log().calls().front(), "createColorQuad(1)");
    EXPECT_EQ(s->sceneSprite, nullptr);
    EXPECT_EQ(s->vertexColor32[0], 0xFF0033FFu); // the alpha byte comes from the opacity
    EXPECT_FLOAT_EQ(s->vertexColor[2].scaledValue.y, 51.0f * 0.003921569f);
    renderFrame(s);
    const auto calls = log().calls();
    EXPECT_EQ(names(calls), (std::vector<std::string>{"colorQuad.begin", "colorQuad.addQuad", "colorQuad.end"}));
    // Packed from the colour (0x33 green), alpha from the opacity.
    EXPECT_NE(calls[1].find("rgba=ff0033ff ff0033ff ff0033ff ff0033ff"), std::string::npos) << calls[1];
    EXPECT_EQ(calls[1].find("uv="), std::string::npos);
    s->draw();
    EXPECT_EQ(log().calls().back(), "colorQuad.draw(0, 0, null, 1)");
}

TEST_F(SpriteTest, DrawNeedsVisibilityOpacityAndAQuad)
{
    CSprite* s = sprite();
    log().clear();
    EXPECT_EQ(s->draw(), 0);
    EXPECT_EQ(log().calls(), (std::vector<std::string>{"quad.draw(0, 0, null, 1)"}));

    log().clear();
    s->setVisible(0);
    EXPECT_EQ(s->draw(), 0);
    s->setVisible(1);
    s->opacity.scaledValue = 0.0f;
    s->updateGeometry();
    log().clear();
    EXPECT_EQ(s->draw(), 0);
    EXPECT_TRUE(log().calls().empty());

    int32_t rect[4] = {0, 0, 10, 10};
    auto* bare = keep(new CSprite(nullptr, {}, rect));
    EXPECT_EQ(bare->draw(), -1);
}

TEST_F(SpriteTest, QuadStepsWithoutAQuadDoNothing)
{
    int32_t rect[4] = {0, 0, 10, 10};
    auto* s = keep(new CSprite(texture("a.png", 16, 16), {}, rect));
    s->watchingTexture = 1;
    s->setColor(0, 0.5f, 0.5f, 0.5f, 0.0f, 0);
    s->setBlendMode(3);
    s->setUVOffset({0.5f, 0.0f});
    log().clear();
    s->update();
    s->updateWorldMatrix();
    EXPECT_EQ(s->render(), 0);
    const Vector3D origin;
    const Vector2D unit(1.0f, 1.0f);
    EXPECT_EQ(s->drawInstance(&origin, 1.0f, &unit, &origin), 0);
    EXPECT_TRUE(log().calls().empty());
    EXPECT_EQ(s->getBlendMode(), 3);
    // The stored state reaches the quad made later.
    EXPECT_EQ(s->create(), 0);
    EXPECT_EQ(log().calls().back(), "quad.setBlendMode(3)");
}

TEST_F(SpriteTest, CornerIndicesOutsideZeroToThreeChangeNothingAndReadZero)
{
    CSprite* s = sprite();
    s->setColor(7, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    s->setColor(4, 0.0f, 0.0f, 0.0f, 0.0f, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s->getColor(i), Kavro::ColorF(1.0f, 1.0f, 1.0f, 1.0f)) << i;
    EXPECT_EQ(s->vertexColorDirty, 1u); // the mark is raised anyway
    for (int32_t index : {-1, 4, 99})
        EXPECT_EQ(s->getColor(index), Kavro::ColorF(0.0f, 0.0f, 0.0f, 0.0f)) << index;

    s->setColor(-1, 0.2f, 0.4f, 0.6f, 0.0f, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s->getColor(i), Kavro::ColorF(0.2f, 0.4f, 0.6f, 1.0f)) << i;
    s->setColor(2, 1.0f, 0.0f, 0.0f, 0.0f, 99); // easing 61 or more is linear
    EXPECT_EQ(s->getColor(2), Kavro::ColorF(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(s->getColor(1), Kavro::ColorF(0.2f, 0.4f, 0.6f, 1.0f));
}

TEST_F(SpriteTest, AParentThatIsTheSpriteOrItsDescendantIsRefused)
{
    CSprite* a = sprite();
    CSprite* b = sprite();
    CSprite* c = sprite();
    ASSERT_EQ(b->setParentFrame(a), 0);
    ASSERT_EQ(c->setParentFrame(b), 0);

    EXPECT_EQ(a->setParentFrame(c), -1);
    EXPECT_EQ(a->getParent(), nullptr);
    EXPECT_EQ(a->setParentFrame(a), -1);
    EXPECT_EQ(a->getParent(), nullptr);
    EXPECT_EQ(b->setParentFrame(b), -1);
    EXPECT_EQ(b->getParent(), nullptr); // it leaves its parent, as a name that finds nothing does
    EXPECT_TRUE(a->getChildren().empty());
    EXPECT_EQ(a->updateWorldMatrix(), 0);
    EXPECT_EQ(b->updateWorldMatrix(), 0);
}

TEST_F(SpriteTest, AChildMovesWithItsParent)
{
    CSprite* parent = sprite({100.0f, 50.0f});
    CSprite* child = sprite({10.0f, 20.0f}, {0, 0, 20, 10});
    ASSERT_EQ(child->setParentFrame(parent), 0);
    parent->updateWorldMatrix();
    child->render();
    const Vector4D before = child->getVertex(0);
    setAt(parent->position, Vector3D(130.0f, 90.0f, 0.0f));
    parent->updateWorldMatrix();
    EXPECT_EQ(child->dirty, 1u);
    child->render();
    expectNear(child->getVertex(0), before.x + 30.0f, before.y + 40.0f);
}

TEST_F(SpriteTest, AWatchedTextureNameMarksTheTextureDeletedWhenItGoes)
{
    CTextureWacher& watcher = *t.app->textureWatcher;
    watcher.watch("suf://rt");
    int32_t rect[4] = {0, 0, 16, 16};
    auto* s = keep(new CSprite(texture("suf://rt", 16, 16), {}, rect));
    ASSERT_EQ(s->create(), 0);
    ASSERT_NE(s->colorTextureCallback, nullptr);
    EXPECT_EQ(s->watchingTexture, 1u);
    EXPECT_EQ(s->colorTextureCallback->getRefCount(), 2); // the sprite's and the watcher's

    // Made again: the old registration goes, a new one takes its place.
    ASSERT_EQ(s->create(), 0);
    EXPECT_EQ(s->colorTextureCallback->getRefCount(), 2);
    EXPECT_EQ(s->textureDeleted, 0u);
    watcher.notify("suf://rt");
    EXPECT_EQ(s->textureDeleted, 1u);

    // A name the watcher does not track keeps no callback and is no failure.
    CSprite* plain = sprite();
    EXPECT_EQ(plain->colorTextureCallback, nullptr);
    EXPECT_EQ(plain->watchingTexture, 0u);

    // A destroyed sprite leaves the watcher: a later notice reaches nobody.
    watcher.watch("suf://gone");
    auto* gone = new CSprite(texture("suf://gone", 8, 8), {}, rect);
    ASSERT_EQ(gone->create(), 0);
    EXPECT_EQ(gone->watchingTexture, 1u);
    gone->release();
    watcher.notify("suf://gone");
}

TEST_F(SpriteTest, DrawInstanceDrawsWithTemporaryValuesAndRestoresThem)
{
    CSprite* s = sprite({200.0f, 100.0f});
    renderFrame(s);
    const Vector3D position(20.0f, 30.0f, 0.0f);
    const Vector2D unitScale(1.0f, 1.0f);
    const Vector3D rotation;
    log().clear();
    s->drawInstance(&position, 0.5f, &unitScale, &rotation);
    EXPECT_EQ(names(log().calls()).back(), "quad.draw");
    EXPECT_NE(log().named("quad.addQuad").at(0).find("rgba=7fffffff"), std::string::npos);
    expectNear(s->getVertex(0), 20.0f, 30.0f);
    EXPECT_EQ(s->position.scaledValue, Vector3D(200.0f, 100.0f, 0.0f));
    EXPECT_EQ(s->opacity.scaledValue, 1.0f);
    EXPECT_EQ(s->dirty, 1u);
    renderFrame(s);
    expectNear(s->getVertex(0), 200.0f, 100.0f);
}

TEST_F(SpriteTest, FadeScaleReevaluatesTheOpacity)
{
    CSprite* s = sprite();
    s->setFadeScale(0.5f);
    EXPECT_FLOAT_EQ(s->opacity.scaledValue, 0.5f);
    s->updateGeometry();
    EXPECT_EQ(s->vertexColor32[0] >> 24, 63u); // 0.5 x 0.5 of 255
}

TEST_F(SpriteTest, CameraDepthIsTheDeepestCornerInThatCamera)
{
    CSprite* s = sprite();
    auto* camera = new FakeCamera;
    auto* other = new FakeCamera;
    s->setCamera(camera, 2.0f, 0.0f);
    setAt(s->rotation, Vector3D(0.0f, 40.0f, 0.0f));
    renderFrame(s);
    EXPECT_TRUE(s->isInCamera(camera));
    EXPECT_FALSE(s->isInCamera(other));
    EXPECT_FALSE(s->isInCamera(nullptr));
    float deepest = -1e30f;
    for (int i = 0; i < 4; ++i)
        deepest = std::max(deepest, s->getVertex(i).z);
    EXPECT_EQ(s->getCameraDepth(camera), deepest);
    EXPECT_EQ(s->getCameraDepth(other), 0.0f);
    EXPECT_EQ(s->getCameraParam(), 2.0f);
    other->release();
    camera->release();
}

TEST_F(SpriteTest, FactoriesBuildCreatedSpritesOverTheTexture)
{
    CSprite* whole = keep(task->createSprite("cg/bg.png", {5.0f, 6.0f}, -1, 0, 0, 0));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->getSize(), (std::vector<int32_t>{0, 0, 64, 64}));
    EXPECT_NE(whole->sceneSprite, nullptr);
    EXPECT_EQ(whole->getTexture()->getRefCount(), 2); // the sprite's and its quad's
    EXPECT_EQ(whole->position.scaledValue, Vector3D(5.0f, 6.0f, 0.0f));
    EXPECT_EQ(whole->getTask(), task);

    CSprite* part = keep(task->createSprite("cg/bg.png", {}, 8, 4, 16, 12));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->getSize(), (std::vector<int32_t>{8, 4, 16, 12}));

    t.core->render->missingTextures.push_back("cg/none.png");
    EXPECT_EQ(task->createSprite("cg/none.png", {}, -1, 0, 0, 0), nullptr);

    log().clear();
    CSprite* sub = keep(task->createSpriteSubresource("cg/set.png", {}, 3));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(log().calls().front(), "loadTexture(cg/set.png, 1, 3)");
    EXPECT_EQ(sub->getSize(), (std::vector<int32_t>{0, 0, 64, 64}));

    FakeTexture* own = texture("own", 32, 16);
    CSprite* fromTexture = keep(task->createSpriteFromTexture(own, {}, -1, 0, 0, 0));
    ASSERT_NE(fromTexture, nullptr);
    EXPECT_EQ(fromTexture->getSize(), (std::vector<int32_t>{0, 0, 32, 16}));
    EXPECT_EQ(own->getRefCount(), 3); // ours, the sprite's, its quad's
    EXPECT_EQ(task->createSpriteFromTexture(nullptr, {}, -1, 0, 0, 0), nullptr);
}

TEST_F(SpriteTest, NullSpriteDrawsNothingAndAnswersFixedValues)
{
    auto* null = keep(new CNullSprite);
    log().clear();
    EXPECT_EQ(null->create(), 0);
    EXPECT_EQ(null->isNull(), 1);
    EXPECT_EQ(null->hasSceneObject(), 0);
    EXPECT_EQ(null->getColor(2), Kavro::ColorF(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(null->getVertex(0), Vector4D(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(null->draw(), 0);
    EXPECT_EQ(null->update(), 0);
    EXPECT_EQ(null->render(), 0);
    EXPECT_EQ(null->getCameraDepth(nullptr), -1.0f);
    EXPECT_EQ(null->getSurface(), nullptr);
    null->setVisible(0);
    EXPECT_EQ(*null->getVisible(), 1u);
    EXPECT_TRUE(log().calls().empty());
    EXPECT_EQ(null->getTask(), task);
    EXPECT_EQ(sprite()->isNull(), 0);
}

} // namespace
