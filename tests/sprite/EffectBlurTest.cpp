// The blur trail: which earlier transforms its ghosts show, and in which order they are drawn.
#include "sprite/CEffectBlur.h"
#include "sprite/CNullEffectBlur.h"
#include "sprite/CSprite.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector3D;

namespace
{

// Records the x position and opacity of every instance drawn.
class InstanceLog : public CSprite
{
public:
    InstanceLog() : CSprite(Kavro::Vector2D(), rect0) {}
    int drawInstance(const Vector3D* at, float alpha, const Kavro::Vector2D*, const Vector3D*) override
    {
        drawn.emplace_back(at->x, alpha);
        return 0;
    }
    std::vector<std::pair<float, float>> drawn;

private:
    static constexpr int32_t rect0[4] = {0, 0, 8, 8};
};

class EffectBlurTest : public ::testing::Test
{
protected:
    EffectBlurTest() { t.push(new TestTask(log, "blur")); }
    ~EffectBlurTest() override { sprite->release(); }

    // frames updates of a sprite moving one pixel a frame to the right, from x = 0.
    void move(CEffectBlur& blur, int frames)
    {
        for (int i = 0; i < frames; ++i)
            blur.update(Vector3D(float(i), 0.0f, 0.0f), Vector3D(1.0f, 1.0f, 0.0f), Vector3D());
    }

    TaskTestApp t;
    CallLog log;
    InstanceLog* sprite = new InstanceLog;
};

TEST_F(EffectBlurTest, GhostsShowTheTransformsOfEarlierIntervalsUnderTheObject)
{
    CEffectBlur blur;
    blur.set(4, 0.5f, 100, 1);
    move(blur, 30);
    blur.draw(sprite, 0.8f);
    // Slots 1 to 3 show 5, 11 and 17 frames back at half the opacity; slot 0 never shows; the object last.
    // Drawn after the object, they come in the opposite order.
    const std::vector<std::pair<float, float>> expected = {
        {24.0f, 0.4f}, {18.0f, 0.4f}, {12.0f, 0.4f}, {29.0f, 0.8f}};
    EXPECT_EQ(sprite->drawn, expected);

    sprite->drawn.clear();
    CEffectBlur over;
    over.set(4, 0.5f, 100, 0);
    move(over, 30);
    over.draw(sprite, 0.8f);
    const std::vector<std::pair<float, float>> reversed = {
        {29.0f, 0.8f}, {12.0f, 0.4f}, {18.0f, 0.4f}, {24.0f, 0.4f}};
    EXPECT_EQ(sprite->drawn, reversed);
}

TEST_F(EffectBlurTest, StillObjectsAndSingleSlotsShowNoGhost)
{
    const struct
    {
        uint32_t count, interval;
        bool moving;
    } cases[] = {{4, 100, false}, {0, 0, true}, {1, 16, true}};
    for (const auto& c : cases)
    {
        CEffectBlur blur;
        blur.set(c.count, 0.5f, c.interval, 1);
        for (int i = 0; i < 40; ++i)
            blur.update(Vector3D(c.moving ? float(i) : 5.0f, 0.0f, 0.0f), Vector3D(1.0f, 1.0f, 0.0f),
                        Vector3D());
        sprite->drawn.clear();
        blur.draw(sprite, 1.0f);
        ASSERT_EQ(sprite->drawn.size(), 1u) << c.count << " " << c.interval;
        EXPECT_EQ(sprite->drawn[0].second, 1.0f);
    }
    CNullEffectBlur none;
    none.update(Vector3D(), Vector3D(), Vector3D());
    sprite->drawn.clear();
    none.draw(sprite, 1.0f);
    EXPECT_TRUE(sprite->drawn.empty());
}

// A script's count and interval are bounded before anything is sized by them: the largest values
// once took the whole memory of the machine.
TEST_F(EffectBlurTest, HostileCountsAndIntervalsAreBounded)
{
    const struct
    {
        uint32_t count, interval, keptCount, keptInterval;
    } cases[] = {
        {2147483647u, 2147483647u, CEffectBlur::MaxCount, CEffectBlur::MaxInterval},
        {20000000u, 16u, CEffectBlur::MaxCount, 16u},
        {0xFFFFFFFFu, 0xFFFFFFFFu, CEffectBlur::MaxCount, CEffectBlur::MaxInterval},
    };
    for (const auto& c : cases)
    {
        CEffectBlur blur;
        EXPECT_EQ(blur.set(c.count, 0.5f, c.interval, 1), 0);
        EXPECT_EQ(blur.getCount(), c.keptCount);
        EXPECT_EQ(blur.getInterval(), c.keptInterval);
        for (int i = 0; i < 3; ++i)
            blur.update(Vector3D(float(i), 0.0f, 0.0f), Vector3D(1.0f, 1.0f, 0.0f), Vector3D());
        sprite->drawn.clear();
        blur.draw(sprite, 1.0f);
        EXPECT_FALSE(sprite->drawn.empty());
    }
}

} // namespace
