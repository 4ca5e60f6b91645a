#include "sprite/CEffectRandomShake.h"
#include "sprite/CNullSprite.h"
#include "sprite/CSprite.h"

#include "core/CFile.h"
#include "curve/Easing.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;
using Kavro::Vector3D;

namespace
{

constexpr float FrameMs = 16.666666f;

// Sprites in a task on top of a fake application whose clock the test moves.
class SpriteMotionTest : public ::testing::Test
{
protected:
    SpriteMotionTest() : task(t.push(new TestTask(taskLog, "motions")))
    {
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = FrameMs;
    }
    ~SpriteMotionTest() override
    {
        for (CObject* object : owned)
            object->release();
        for (FakeTexture* texture : textures)
            texture->release();
    }

    CSprite* sprite(bool created = true, FakeTexture* texture = nullptr)
    {
        if (!texture)
            texture = keepTexture(new FakeTexture("a.png", 64, 32));
        const int32_t rect[4] = {0, 0, 64, 32};
        auto* s = new CSprite(texture, {100.0f, 50.0f}, rect);
        owned.push_back(s);
        if (created)
        {
            EXPECT_EQ(s->create(), 0);
        }
        return s;
    }
    FakeTexture* keepTexture(FakeTexture* texture)
    {
        textures.push_back(texture);
        return texture;
    }
    // The next frame's clock, then the sprite's update.
    void frame(CSprite* s, uint32_t ms = 16)
    {
        t.core->milliTime += ms;
        s->update();
    }
    // Frames of exactly step milliseconds: the cap holds every step to it.
    void useSteps(float step)
    {
        t.app->frameSpeed = 5.0f;
        t.app->frameTimeCap = step;
    }
    FakeMouse& mouse() { return t.core->input.mouse; }
    FakeKeyboard& keyboard() { return t.core->input.keyboard; }

    TaskTestApp t;
    CallLog taskLog;
    TestTask* task;
    std::vector<CObject*> owned;
    std::vector<FakeTexture*> textures;
};

TEST_F(SpriteMotionTest, FadeFollowsItsEasingFrameByFrame)
{
    CSprite* s = sprite();
    s->fade(0.0f, 0, 0);
    EXPECT_EQ(s->getFade(), 0.0f);
    EXPECT_EQ(s->isFading(), 0u);
    s->fade(1.0f, 1000, 1);
    float elapsed = 0.0f;
    for (int i = 1; i <= 60; ++i)
    {
        frame(s);
        elapsed += FrameMs;
        const float expected = elapsed >= 1000.0f ? 1.0f : easingTable[1](0.0f, 1.0f, 1000.0f, elapsed);
        ASSERT_EQ(s->getFade(), expected) << "frame " << i;
        EXPECT_EQ(s->dirty, 1u);
        EXPECT_EQ(s->isFading(), elapsed < 1000.0f ? 1u : 0u);
    }
}

TEST_F(SpriteMotionTest, EasingsOutsideTheTableMoveLinearly)
{
    for (uint32_t easing : {61u, 100u, uint32_t(-1)})
    {
        CSprite* s = sprite();
        s->move(0.0f, 0.0f, 0, 0);
        s->move(300.0f, 0.0f, 1000, easing);
        float elapsed = 0.0f;
        for (int i = 0; i < 10; ++i)
        {
            frame(s);
            elapsed += FrameMs;
        }
        EXPECT_EQ(s->position.easing, 0) << easing;
        EXPECT_EQ(s->getMove().x, easeLinear(0.0f, 300.0f, 1000.0f, elapsed)) << easing;
    }
}

TEST_F(SpriteMotionTest, MoveKeepsZAndMove3DReplacesIt)
{
    CSprite* s = sprite();
    s->move3D(1.0f, 2.0f, 5.0f, 0, 0);
    s->move(10.0f, 20.0f, 0, 0);
    EXPECT_EQ(s->getMove(), Vector3D(10.0f, 20.0f, 5.0f));
    s->move(Vector2D(11.0f, 21.0f), 0, 0);
    EXPECT_EQ(s->getMove(), Vector3D(11.0f, 21.0f, 5.0f));
    s->move3D(1.0f, 2.0f, 0.0f, 0, 0);
    EXPECT_EQ(s->getMove(), Vector3D(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(s->isMoving(), 0u);
}

TEST_F(SpriteMotionTest, MoveVertexEasesOneCornerOrAllAndIgnoresOtherIndices)
{
    CSprite* s = sprite();
    s->moveVertex(2, 4.0f, 5.0f, 0, 0);
    EXPECT_EQ(s->getVertexMove(2), Vector2D(4.0f, 5.0f));
    EXPECT_EQ(s->getVertexMove(0), Vector2D());
    s->dirty = 0;
    s->moveVertex(4, 9.0f, 9.0f, 0, 0);
    s->moveVertex(100, 9.0f, 9.0f, 0, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s->getVertexMove(i), i == 2 ? Vector2D(4.0f, 5.0f) : Vector2D()) << i;
    EXPECT_EQ(s->dirty, 1u); // a move with time 0 marks the sprite whatever the index
    for (int32_t index : {-1, 4})
        EXPECT_EQ(s->getVertexMove(index), Vector2D()) << index;

    // A negative index eases all four, each from its own offset; a timed move leaves the mark to update.
    s->dirty = 0;
    s->moveVertex(-1, 8.0f, 0.0f, 500, 0);
    EXPECT_EQ(s->dirty, 0u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s->vertexMove[i].to, Vector2D(8.0f, 0.0f)) << i;
    EXPECT_EQ(s->vertexMove[2].from, Vector2D(4.0f, 5.0f));
    frame(s);
    EXPECT_EQ(s->dirty, 1u);
}

TEST_F(SpriteMotionTest, ScrollAddsItsSpeedOncePerUpdate)
{
    CSprite* s = sprite();
    s->scroll(0.25f, -1.0f, 0, 0);
    s->update(); // the same clock reading: the offset still moves
    s->update();
    frame(s);
    EXPECT_EQ(s->getUVOffset(), Vector2D(0.75f, -3.0f));
    EXPECT_EQ(s->getScroll(), Vector2D(0.25f, -1.0f));
    s->render();
    EXPECT_EQ(static_cast<RecordingSpriteQuad*>(s->sceneSprite)->uvOffset, Vector2D(0.75f, -3.0f));
    s->scroll(0.0f, 0.0f, 0, 0);
    frame(s);
    EXPECT_EQ(s->getUVOffset(), Vector2D(0.75f, -3.0f));
}

TEST_F(SpriteMotionTest, SplineWinsOverBezierWhichWinsOverMove)
{
    CSprite* s = sprite();
    s->move(500.0f, 0.0f, 1000, 0);
    for (const Vector3D& p : {Vector3D(0, 100, 0), Vector3D(0, 200, 0), Vector3D(0, 300, 0), Vector3D(0, 400, 0)})
        s->setBezier(p);
    s->beginBezier(1000.0f, 0);
    EXPECT_EQ(s->isMoving(), 1u);
    frame(s);
    EXPECT_EQ(s->getMove().x, 0.0f); // the Bezier point, not the move
    EXPECT_GT(s->getMove().y, 100.0f);
    EXPECT_EQ(s->position.active, 1u);

    s->setSpline({7.0f, 8.0f, 0.0f}, 0.0f, 0.0f);
    s->setSpline({70.0f, 80.0f, 0.0f}, 1000.0f, 0.0f);
    s->beginSpline(1000, 0);
    // At once, before any update: the spline's first point; the move is completed, the Bezier ended.
    EXPECT_EQ(s->getMove(), Vector3D(7.0f, 8.0f, 0.0f));
    EXPECT_EQ(s->position.active, 0u);
    EXPECT_TRUE(s->bezier.points.empty());
    EXPECT_EQ(s->dirty, 1u);

    for (const Vector3D& p : {Vector3D(0, 100, 0), Vector3D(0, 200, 0), Vector3D(0, 300, 0), Vector3D(0, 400, 0)})
        s->setBezier(p);
    s->beginBezier(1000.0f, 0);
    frame(s);
    EXPECT_GT(s->getMove().x, 7.0f); // the spline's point wins
    EXPECT_LT(s->getMove().y, 100.0f);

    s->move(1.0f, 1.0f, 0, 0); // a move ends both paths
    EXPECT_EQ(s->isMoving(), 0u);
    frame(s);
    EXPECT_EQ(s->getMove(), Vector3D(1.0f, 1.0f, 0.0f));
}

TEST_F(SpriteMotionTest, BezierNeedsGroupsOfFourPoints)
{
    CSprite* s = sprite();
    s->setTimeScale(0.5f);
    for (int count : {1, 2, 3, 5})
    {
        s->resetBezier();
        for (int i = 0; i < count; ++i)
            s->setBezier({float(i), 0.0f, 0.0f});
        s->bezier.progress.timeScale = 1.0f;
        s->beginBezier(100.0f, 0);
        EXPECT_EQ(s->bezier.progress.timeScale, 1.0f) << count;
        EXPECT_EQ(s->isMoving(), 0u) << count;
    }
}

// The regular shake of amplitude A = (10, 4, 0), duration 1000, period 300, linear swings, in 10 ms frames:
// a first swing of 50 ms toward -A/3, swings -A -> +A -> -A, a last swing to +A/3 and the return to rest.
struct Segment
{
    float from, to;
    Vector3D start, end;
};

Vector3D swingAt(float t, bool following)
{
    const Vector3D a(10.0f, 4.0f, 0.0f);
    const Segment segments[] = {{0, 50, {}, a * (-1.0f / 3.0f)},   {50, 350, -a, a},
                                {350, 650, a, -a},                 {650, 950, -a, a * (1.0f / 3.0f)},
                                {950, 1000, a * (1.0f / 3.0f), {}}};
    for (const Segment& s : segments)
        if (t < s.to || (s.to == 1000 && t <= s.to))
        {
            if (!following)
                return s.end;
            return s.start + (s.end - s.start) * ((t - s.from) / (s.to - s.from));
        }
    return {};
}

TEST_F(SpriteMotionTest, RegularShakeOffsetTablesForBothModes)
{
    for (uint32_t mode : {0u, 1u})
    {
        useSteps(10.0f);
        CEffectShake shake;
        shake.begin({10.0f, 4.0f, 0.0f}, {10.0f, 4.0f, 0.0f}, 300, mode, 1000, 0, 0);
        EXPECT_EQ(shake.firstSwing, 50u);
        for (int step = 1; step <= 100; ++step)
        {
            t.core->milliTime += 10;
            shake.update();
            const float time = float(step) * 10.0f;
            const Vector3D expected = swingAt(time, mode != 0);
            const Vector3D got = shake.getOffset();
            ASSERT_NEAR(got.x, expected.x, 1e-3f) << "mode " << mode << " at " << time;
            ASSERT_NEAR(got.y, expected.y, 1e-3f) << "mode " << mode << " at " << time;
        }
        EXPECT_EQ(shake.isShaking(), 0u);
        EXPECT_EQ(shake.done, 1u);
    }
}

TEST_F(SpriteMotionTest, FirstSwingLengths)
{
    struct Case
    {
        uint32_t duration, period, regular, random;
    } cases[] = {{1000, 300, 50, 100}, {900, 300, 150, 0}, {200, 300, 100, 200}};
    for (const Case& c : cases)
    {
        CEffectShake regular;
        regular.begin({1, 1, 1}, {1, 1, 1}, c.period, 0, c.duration, 0, 0);
        EXPECT_EQ(regular.firstSwing, c.regular) << c.duration;
        CEffectRandomShake random;
        random.begin({1, 1, 1}, {1, 1, 1}, c.period, 0, c.duration, 0, 0);
        EXPECT_EQ(random.firstSwing, c.random) << c.duration;
    }
    CEffectShake fresh;
    EXPECT_EQ(fresh.period, 0u);
    EXPECT_EQ(fresh.firstSwing, 0u);
    fresh.setTimer(100.0f); // no period: nothing
    EXPECT_EQ(fresh.getTimer(), 0.0f);
}

TEST_F(SpriteMotionTest, ShakeMovesTheSpriteOnlyWhileShaking)
{
    CSprite* s = sprite();
    s->updateWorldMatrix();
    const Kavro::Matrix4x4 rest = s->world;
    s->shake({10.0f, 0.0f, 0.0f}, {10.0f, 0.0f, 0.0f}, 300, 0, 1000, 0, 0);
    EXPECT_EQ(s->isShaking(), 1u);
    s->updateWorldMatrix();
    EXPECT_NEAR(s->world._41 - rest._41, -10.0f / 3.0f, 1e-4f); // heads for the first swing's end

    // Stopped with its swing away from rest: the sprite stands at rest again.
    s->getShakeEffect()->timeline.active = 0;
    EXPECT_EQ(s->isShaking(), 0u);
    s->dirty = 0;
    s->updateWorldMatrix();
    EXPECT_EQ(s->world, rest);
    frame(s);
    EXPECT_EQ(s->getShakeEffect()->getOffset().x, -10.0f / 3.0f); // not advanced any more

    // A new shake replaces the old one and takes the sprite's time scale.
    s->setTimeScale(0.5f);
    s->randomShake({5.0f, 5.0f, 0.0f}, {5.0f, 5.0f, 0.0f}, 100, 1, 500, 0, 0);
    EXPECT_EQ(s->getShakeEffect()->type, 2u);
    EXPECT_EQ(s->getShakeEffect()->swing.timeScale, 0.5f);
    EXPECT_EQ(s->isShaking(), 1u);
}

TEST_F(SpriteMotionTest, RandomShakeStopsSwingingOnceBackAtRest)
{
    useSteps(10.0f);
    CEffectRandomShake shake;
    shake.begin({10.0f, 10.0f, 0.0f}, {10.0f, 10.0f, 0.0f}, 100, 1, 450, 0, 0);
    for (int step = 0; step < 60; ++step)
    {
        t.core->milliTime += 10;
        shake.update();
    }
    EXPECT_EQ(shake.isShaking(), 0u);
    EXPECT_EQ(shake.done, 1u);
    EXPECT_EQ(shake.getOffset(), Vector3D());
    EXPECT_EQ(shake.swing.to, Vector3D());
}

TEST_F(SpriteMotionTest, EmptyEffectRecordIsTwelveBytesAndClearsTheEffect)
{
    TempDirectory dir;
    CSprite* s = sprite();
    {
        CFile file;
        ASSERT_EQ(file.open(dir.file("e.bin").c_str(), 0, 1, 0), 0);
        EXPECT_EQ(s->saveEffect(file), 1);
        ASSERT_EQ(file.close(), 0);
    }
    EXPECT_EQ(dir.read("e.bin"), (std::vector<uint8_t>{12, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
    s->shake({1, 1, 1}, {1, 1, 1}, 100, 0, 1000, 0, 0);
    CFile file(dir.file("e.bin").c_str());
    EXPECT_EQ(s->loadEffect(file), 1);
    EXPECT_EQ(s->getShakeEffect(), nullptr);

    // A damaged second word keeps the effect and leaves the reader at the record's end.
    s->shake({1, 1, 1}, {1, 1, 1}, 100, 0, 1000, 0, 0);
    dir.write("bad.bin", {12, 0, 0, 0, 9, 0, 0, 0, 1, 0, 0, 0, 0xAA});
    CFile bad(dir.file("bad.bin").c_str());
    EXPECT_EQ(s->loadEffect(bad), 0);
    EXPECT_NE(s->getShakeEffect(), nullptr);
    EXPECT_EQ(bad.getFilePosition(), 12);
}

TEST_F(SpriteMotionTest, ADamagedShakeBodyLeavesAStoppedEffect)
{
    TempDirectory dir;
    CSprite* s = sprite();
    s->shake({10, 0, 0}, {10, 0, 0}, 300, 0, 1000, 0, 0);
    {
        CFile file;
        ASSERT_EQ(file.open(dir.file("s.bin").c_str(), 0, 1, 0), 0);
        EXPECT_EQ(s->saveEffect(file), 1);
        ASSERT_EQ(file.close(), 0);
    }
    std::vector<uint8_t> bytes = dir.read("s.bin");
    bytes[bytes.size() - 8] ^= 0xFF; // the marker before the first swing's length
    dir.write("s.bin", bytes);
    CSprite* loaded = sprite();
    CFile file(dir.file("s.bin").c_str());
    EXPECT_EQ(loaded->loadEffect(file), 0);
    ASSERT_NE(loaded->getShakeEffect(), nullptr);
    EXPECT_EQ(loaded->isShaking(), 0u);
    EXPECT_EQ(file.getFilePosition(), int64_t(bytes.size()));
    frame(loaded);
    loaded->setShakeTimer(500.0f);
    loaded->updateWorldMatrix();
}

TEST_F(SpriteMotionTest, RandomShakeRecordContinuesWithTheSameOffsets)
{
    TempDirectory dir;
    CSprite* s = sprite();
    s->randomShake({20.0f, 10.0f, 5.0f}, {5.0f, 5.0f, 1.0f}, 120, 1, 3000, 3, 5);
    for (int i = 0; i < 17; ++i)
        frame(s);
    {
        CFile file;
        ASSERT_EQ(file.open(dir.file("r.bin").c_str(), 0, 1, 0), 0);
        EXPECT_EQ(s->saveEffect(file), 1);
        ASSERT_EQ(file.close(), 0);
    }
    CSprite* loaded = sprite();
    CFile file(dir.file("r.bin").c_str());
    ASSERT_EQ(loaded->loadEffect(file), 1);
    ASSERT_EQ(loaded->getShakeEffect()->type, 2u);
    for (int i = 0; i < 120; ++i)
    {
        t.core->milliTime += 16;
        s->update();
        loaded->update();
        ASSERT_EQ(loaded->getShakeEffect()->getOffset(), s->getShakeEffect()->getOffset()) << "frame " << i;
    }
}

TEST_F(SpriteMotionTest, TimersSeekClampReviveAndMark)
{
    struct Member
    {
        const char* name;
        std::function<CInterpolator<float>&(CSprite*)> interpolator;
        std::function<float(CSprite*)> get;
        std::function<void(CSprite*, float)> set;
        std::function<uint32_t&(CSprite*)> mark;
        bool needsQuad;
    };
    auto dirty = [](CSprite* s) -> uint32_t& { return s->dirty; };
    const Member members[] = {
        {"fade", [](CSprite* s) -> auto& { return s->opacity; }, &CSprite::getFadeTimer, &CSprite::setFadeTimer,
         dirty, false},
        {"transition", [](CSprite* s) -> auto& { return s->transitionValue; }, &CSprite::getTransitionTimer,
         &CSprite::setTransitionTimer, [](CSprite* s) -> uint32_t& { return s->transitionDirty; }, true},
        {"volume", [](CSprite* s) -> auto& { return s->volume; }, &CSprite::getVolumeTimer, &CSprite::setVolumeTimer,
         nullptr, false},
        {"radial blur", [](CSprite* s) -> auto& { return s->radialBlur.power; }, &CSprite::getRadialBlurTimer,
         &CSprite::setRadialBlurTimer, [](CSprite* s) -> uint32_t& { return s->radialBlur.dirty; }, true},
        {"directional blur", [](CSprite* s) -> auto& { return s->directionalBlur.power; },
         &CSprite::getDirectionalBlurTimer, &CSprite::setDirectionalBlurTimer,
         [](CSprite* s) -> uint32_t& { return s->directionalBlur.dirty; }, true},
        {"ripple", [](CSprite* s) -> auto& { return s->ripple.power; }, &CSprite::getRippleTimer,
         &CSprite::setRippleTimer, [](CSprite* s) -> uint32_t& { return s->ripple.dirty; }, true},
        {"raster", [](CSprite* s) -> auto& { return s->raster.power; }, &CSprite::getRasterTimer,
         &CSprite::setRasterTimer, [](CSprite* s) -> uint32_t& { return s->raster.dirty; }, true},
        {"lens", [](CSprite* s) -> auto& { return s->lens.power; }, &CSprite::getLensTimer, &CSprite::setLensTimer,
         [](CSprite* s) -> uint32_t& { return s->lens.dirty; }, true},
        {"hue", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Hue]; }, &CSprite::getColorHueTimer,
         &CSprite::setColorHueTimer, [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Hue]; },
         false},
        {"saturation", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Saturation]; },
         &CSprite::getColorSaturationTimer, &CSprite::setColorSaturationTimer,
         [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Saturation]; }, false},
        {"brightness", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Brightness]; },
         &CSprite::getColorBrightnessTimer, &CSprite::setColorBrightnessTimer,
         [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Brightness]; }, false},
        {"glow", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Glow]; }, &CSprite::getColorGlowTimer,
         &CSprite::setColorGlowTimer, [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Glow]; },
         false},
        {"negaposi", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Negaposi]; },
         &CSprite::getNegaposiPowerTimer, &CSprite::setNegaposiPowerTimer,
         [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Negaposi]; }, false},
        {"monochrome", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Monochrome]; },
         &CSprite::getMonochromePowerTimer, &CSprite::setMonochromePowerTimer,
         [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Monochrome]; }, false},
        {"shading", [](CSprite* s) -> auto& { return s->colorEffect[CSprite::Shading]; },
         &CSprite::getShadingPowerTimer, &CSprite::setShadingPowerTimer,
         [](CSprite* s) -> uint32_t& { return s->colorEffectDirty[CSprite::Shading]; }, false},
        {"split action", [](CSprite* s) -> auto& { return s->splitAction; }, &CSprite::getSplitActionTimer,
         &CSprite::setSplitActionTimer, [](CSprite* s) -> uint32_t& { return s->splitDirty; }, false},
    };
    for (const Member& m : members)
        for (bool created : {true, false})
        {
            CSprite* s = sprite(created);
            CInterpolator<float>& ip = m.interpolator(s);
            ip.set(0.0f, 10.0f, 500u, 0);
            ip.elapsed = 500.0f;
            ip.complete(); // ran to its end: inactive
            ASSERT_EQ(ip.active, 0u) << m.name;
            if (m.mark)
                m.mark(s) = 0;
            const bool guarded = m.needsQuad && !created;
            m.set(s, -5.0f);
            EXPECT_EQ(ip.elapsed, guarded ? 500.0f : 0.0f) << m.name << " created " << created;
            m.set(s, 800.0f);
            EXPECT_EQ(ip.elapsed, 500.0f) << m.name;
            EXPECT_EQ(ip.active, guarded ? 0u : 1u) << m.name << " created " << created;
            if (m.mark)
            {
                EXPECT_EQ(m.mark(s), guarded ? 0u : 1u) << m.name << " created " << created;
            }
            m.set(s, 200.0f);
            if (!guarded)
            {
                EXPECT_EQ(ip.value, 4.0f) << m.name;
                EXPECT_EQ(m.get(s), 200.0f) << m.name;
            }
        }
}

TEST_F(SpriteMotionTest, VectorTimersAndTheirSpecialRules)
{
    CSprite* s = sprite();
    s->move(300.0f, 0.0f, 1000, 0);
    s->setMoveTimer(250.0f);
    EXPECT_EQ(s->getMoveTimer(), 250.0f);
    EXPECT_NEAR(s->getMove().x, easeLinear(100.0f, 300.0f, 1000.0f, 250.0f), 1e-4f);
    s->scale(3.0f, 3.0f, 400, 0);
    s->setScaleTimer(1000.0f);
    EXPECT_EQ(s->getScaleTimer(), 400.0f);
    s->rotate(0.0f, 0.0f, 90.0f, 100, 0);
    s->setRotateTimer(50.0f);
    EXPECT_NEAR(s->getRotate().z, 45.0f, 1e-5f);
    s->scroll(1.0f, 0.0f, 100, 0);
    s->setScrollTimer(-1.0f);
    EXPECT_EQ(s->getScrollTimer(), 0.0f);

    s->moveVertex(1, 10.0f, 0.0f, 100, 0);
    s->setMoveVertexTimer(1, 50.0f);
    EXPECT_EQ(s->getMoveVertexTimer(1), 50.0f);
    EXPECT_EQ(s->getVertexMove(1).x, 5.0f);
    for (int32_t index : {-1, 4})
    {
        s->setMoveVertexTimer(index, 10.0f);
        EXPECT_EQ(s->getMoveVertexTimer(index), 0.0f);
    }
    EXPECT_EQ(s->getMoveVertexTimer(1), 50.0f);

    // Colour: a negative index seeks all four, each against its own duration; 4 or more does nothing.
    s->setColor(0, 0.0f, 0.0f, 0.0f, 100.0f, 0);
    s->setColor(3, 0.0f, 0.0f, 0.0f, 300.0f, 0);
    s->setColorTimer(-1, 200.0f);
    EXPECT_EQ(s->getColorTimer(-1), 100.0f);
    EXPECT_EQ(s->getColorTimer(3), 200.0f);
    s->vertexColorDirty = 0;
    s->setColorTimer(4, 50.0f);
    EXPECT_EQ(s->vertexColorDirty, 0u);
    EXPECT_EQ(s->getColorTimer(4), 0.0f);
    EXPECT_EQ(s->getColorTimer(3), 200.0f);

    // Paths without points, and a missing shake, change nothing.
    s->dirty = 0;
    s->setSplineTimer(10.0f);
    s->setBezierTimer(10.0f);
    s->setShakeTimer(10.0f);
    EXPECT_EQ(s->dirty, 0u);
    EXPECT_EQ(s->getShakeTimer(), 0.0f);
    s->shake({1, 1, 1}, {1, 1, 1}, 300, 0, 1000, 0, 0);
    s->setShakeTimer(1500.0f);
    EXPECT_EQ(s->getShakeTimer(), 1000.0f);

    // Colour level and balance: vector eases with their own marks.
    s->colorLevel.set(Vector3D(0, 1, 1), Vector3D(1, 1, 1), 100u, 0);
    s->colorLevelDirty = 0;
    s->setColorLevelTimer(150.0f);
    EXPECT_EQ(s->getColorLevelTimer(), 100.0f);
    EXPECT_EQ(s->colorLevel.value.x, 1.0f);
    EXPECT_EQ(s->colorLevelDirty, 1u);
    s->colorBalance.set(Vector3D(1, 1, 1), Vector3D(0, 1, 1), 200u, 0);
    s->setColorBalanceTimer(50.0f);
    EXPECT_EQ(s->getColorBalanceTimer(), 50.0f);
    EXPECT_NEAR(s->colorBalance.value.x, 0.75f, 1e-6f);
    EXPECT_EQ(s->colorBalanceDirty, 1u);

    // Paths with points: the seek puts the sprite on the path at once.
    for (const Vector3D& p : {Vector3D(0, 0, 0), Vector3D(0, 0, 0), Vector3D(100, 0, 0), Vector3D(100, 0, 0)})
        s->setBezier(p);
    s->beginBezier(1000.0f, 0);
    s->dirty = 0;
    s->setBezierTimer(1000.0f);
    EXPECT_EQ(s->getBezierTimer(), 1000.0f);
    EXPECT_EQ(s->getMove(), Vector3D(100, 0, 0));
    EXPECT_EQ(s->dirty, 1u);
    s->setSpline({0.0f, 0.0f, 0.0f}, 0.0f, 0.0f);
    s->setSpline({0.0f, 60.0f, 0.0f}, 600.0f, 0.0f);
    s->beginSpline(600, 0);
    s->dirty = 0;
    s->setSplineTimer(900.0f);
    EXPECT_EQ(s->getSplineTimer(), 600.0f);
    EXPECT_NEAR(s->getMove().y, 60.0f, 1e-3f);
    EXPECT_EQ(s->dirty, 1u);

    // The split action: time beyond its duration counts only while it runs.
    s->splitAction.set(0.0f, 1.0f, 300u, 0);
    s->setSplitActionTimer(450.0f);
    EXPECT_EQ(s->getSplitActionTimer(), 300.0f);
    s->splitActionRunning = 1;
    s->setSplitActionTimer(450.0f);
    EXPECT_EQ(s->getSplitActionTimer(), 450.0f);
}

// A 16 x 8 texture whose alpha grows by 32 every second column (so a hit near a column's edge reads
// the same alpha on either side).
FakeTexture* alphaRamp()
{
    auto* texture = new FakeTexture("ramp.png", 16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            texture->pixels[size_t(y) * 16 + size_t(x)] = uint32_t(x / 2 * 32) << 24 | 0xFFFFFFu;
    return texture;
}

TEST_F(SpriteMotionTest, PixelHitTestMissesAtTheThreshold)
{
    FakeTexture* texture = keepTexture(alphaRamp());
    const int32_t rect[4] = {0, 0, 16, 8};
    auto* s = new CSprite(texture, {100.0f, 50.0f}, rect);
    owned.push_back(s);
    ASSERT_EQ(s->create(), 0);
    s->setClickable(1, 1);
    s->setHitAlphaThreshold(64);
    s->updateWorldMatrix();
    s->render();
    mouse().y = 53;
    for (int pair = 0; pair < 8; ++pair)
    {
        mouse().x = 100 + 2 * pair + 1;
        EXPECT_EQ(s->isOver(0), pair * 32 > 64 ? 1 : 0) << "alpha " << pair * 32; // 64 itself misses
    }
    // The first frame only: over an opaque texel for exactly one frame so far.
    mouse().x = 100 + 2 * 5 + 1;
    EXPECT_EQ(s->isOver(1), 0); // no update has counted it yet
    frame(s);
    EXPECT_EQ(s->overFrames, 1u);
    EXPECT_EQ(s->isOver(1), 1);
    frame(s);
    EXPECT_EQ(s->isOver(1), 0);
    EXPECT_EQ(s->isOver(0), 1);
    mouse().x = 99; // outside
    EXPECT_EQ(s->isOver(0), 0);
    s->setClickable(1, 0);
    mouse().x = 100;
    EXPECT_EQ(s->isOver(0), 1);
}

TEST_F(SpriteMotionTest, HitMaskIsClippedToTheTextureAndRebuiltWithTheRectangle)
{
    FakeTexture* texture = keepTexture(alphaRamp());
    const int32_t rect[4] = {-4, 6, 8, 4}; // four columns left of the texture, two rows below it
    auto* s = new CSprite(texture, {}, rect);
    owned.push_back(s);
    s->setClickable(1, 1);
    ASSERT_EQ(s->hitMask.size(), 32u);
    EXPECT_EQ(s->hitMask[0], 0);         // off the texture
    EXPECT_EQ(s->hitMask[7], 32);        // texture column 3, row 6
    EXPECT_EQ(s->hitMask[2 * 8 + 7], 0); // row 8: below the texture
    const int32_t moved[4] = {8, 0, 8, 8};
    s->setRect(moved);
    ASSERT_EQ(s->hitMask.size(), 64u);
    EXPECT_EQ(s->hitMask[0], 128);
    const int32_t negative[4] = {0, 0, -3, 5};
    s->setRect(negative);
    EXPECT_TRUE(s->hitMask.empty());
    // An empty mask answers no hit.
    s->updateWorldMatrix();
    s->render();
    mouse().x = 0, mouse().y = 0;
    EXPECT_EQ(s->isOver(0), 0);
}

TEST_F(SpriteMotionTest, HitTestEdgesAndUv)
{
    CSprite* s = sprite();
    s->updateWorldMatrix();
    s->render(); // 64 x 32 at (100, 50)
    Vector2D uv;
    EXPECT_EQ(s->hitTest({100.0f, 50.0f}, uv), 1);
    EXPECT_NEAR(uv.x, 0.0f, 1e-5f);
    EXPECT_NEAR(uv.y, 0.0f, 1e-5f);
    EXPECT_EQ(s->hitTest({164.0f, 82.0f}, uv), 1);
    EXPECT_NEAR(uv.x, 1.0f, 1e-5f);
    EXPECT_NEAR(uv.y, 1.0f, 1e-5f);
    EXPECT_EQ(s->hitTest({164.5f, 60.0f}, uv), 0);
    EXPECT_EQ(s->hitTest({99.5f, 60.0f}, uv), 0);
}

TEST_F(SpriteMotionTest, PointerStatesAndTheHandCursor)
{
    CSprite* s = sprite();
    s->setClickable(1, 0);
    s->updateWorldMatrix();
    s->render();
    mouse().x = 120, mouse().y = 60;
    t.app->cursorKind = 1;
    frame(s);
    EXPECT_EQ(s->overFrames, 1u);
    EXPECT_EQ(s->pointerState, 0u);
    EXPECT_EQ(t.app->cursorKind, 7);
    s->update(); // the same frame: no second count
    EXPECT_EQ(s->overFrames, 1u);
    EXPECT_EQ(s->isDown(0), 0);
    mouse().left = 1; // went down
    EXPECT_EQ(s->isDown(1), 1);
    EXPECT_EQ(s->isUp(1), 0); // no activity seen by an update yet
    frame(s);
    EXPECT_EQ(s->pointerState, 1u);
    mouse().left = 3; // went up
    EXPECT_EQ(s->isUp(1), 1);
    mouse().left = 0;
    keyboard().wentUp[0x9C] = 1;
    EXPECT_EQ(s->isUp(1), 1);
    keyboard().wentUp.clear();

    mouse().x = 10;
    frame(s);
    EXPECT_EQ(s->overFrames, 0u);
    EXPECT_EQ(s->isOver(0), 0);
    s->setVisible(0);
    mouse().x = 120;
    EXPECT_EQ(s->isOver(0), 0);
}

TEST_F(SpriteMotionTest, TimeScaleReachesEveryAnimationButTheCornerOffsets)
{
    CSprite* s = sprite();
    s->shake({1, 1, 1}, {1, 1, 1}, 100, 0, 1000, 0, 0);
    s->setTimeScale(2.0f);
    EXPECT_EQ(*s->getTimeScale(), 2.0f);
    for (auto* ip : {&s->opacity, &s->transitionValue, &s->volume, &s->colorEffect[CSprite::Shading], &s->splitAction,
                     &s->raster.rotation, &s->lens.radius})
        EXPECT_EQ(ip->timeScale, 2.0f);
    EXPECT_EQ(s->position.timeScale, 2.0f);
    EXPECT_EQ(s->vertexColor[3].timeScale, 2.0f);
    EXPECT_EQ(s->spline.progress.timeScale, 2.0f);
    EXPECT_EQ(s->getShakeEffect()->timeline.timeScale, 2.0f);
    EXPECT_EQ(s->vertexMove[0].timeScale, 1.0f);
    // Twice as fast: half the frames.
    s->fade(0.0f, 160, 0);
    t.app->frameTimeCap = 40.0f;
    for (int i = 0; i < 5; ++i)
        frame(s);
    EXPECT_EQ(s->isFading(), 0u);
}

TEST_F(SpriteMotionTest, NullSpriteIgnoresMotions)
{
    auto* null = new CNullSprite;
    owned.push_back(null);
    null->fade(0.5f, 100, 0);
    null->move(5.0f, 5.0f, 100, 0);
    null->move3D(5.0f, 5.0f, 5.0f, 100, 0);
    null->scale(2.0f, 2.0f, 100, 0);
    null->rotate(1.0f, 2.0f, 3.0f, 100, 0);
    EXPECT_EQ(null->getFade(), 1.0f);
    EXPECT_EQ(null->getMove(), Vector3D());
    EXPECT_EQ(null->getScale(), Vector2D(1.0f, 1.0f));
    EXPECT_EQ(null->getRotate(), Vector3D());
    EXPECT_EQ(null->isFading() + null->isMoving() + null->isScaling() + null->isRotating(), 0u);
    EXPECT_EQ(null->isOver(0), 0);
    EXPECT_EQ(null->isDown(0), 0);
    EXPECT_EQ(null->getVolume(), 1.0f);
}

} // namespace
