// The blur trail: which earlier transforms its ghosts show, and in which order they are drawn.
#include "sprite/CEffectBlur.h"
#include "sprite/CNullEffectBlur.h"
#include "sprite/CSprite.h"

#include "core/CFile.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

} // namespace

namespace
{

TEST_F(EffectBlurTest, SetKeepsCountAndIntervalWithinBounds)
{
    const struct
    {
        uint32_t count, interval, keptCount, keptInterval;
    } cases[] = {
        {4, 100, 4, 100},        {0, 0, 1, 16},           {0xFFFFFFFFu, 100, 64, 100}, // a script's -1
        {64, 10000, 64, 10000}, {65, 0xFFFFFFFFu, 64, 10000},
    };
    for (const auto& c : cases)
    {
        CEffectBlur blur;
        blur.set(c.count, 0.25f, c.interval, 1);
        EXPECT_EQ(blur.getCount(), c.keptCount) << c.count;
        EXPECT_EQ(blur.getInterval(), c.keptInterval) << c.interval;
        EXPECT_EQ(blur.getAlpha(), 250);
        // Moving past a full history and drawing stays inside the trail.
        move(blur, int(float(c.keptInterval) * 0.06f * float(c.keptCount)) + 2);
        sprite->drawn.clear();
        blur.draw(sprite, 1.0f);
        EXPECT_LE(sprite->drawn.size(), size_t(c.keptCount) + 1);
    }
}

TEST_F(EffectBlurTest, TheFactorReadsInThousandths)
{
    const struct
    {
        float alpha;
        int32_t thousandths;
    } cases[] = {{0.25f, 250}, {0.5f, 500}, {-0.0015f, -1}, {1.0e9f, INT32_MAX}, {-1.0e9f, INT32_MIN}};
    for (const auto& c : cases)
    {
        CEffectBlur blur;
        blur.set(2, c.alpha, 100, 1);
        EXPECT_EQ(blur.getAlpha(), c.thousandths) << c.alpha;
    }
}

// A record of set(4, 0.5, 100, 1) after 30 frames of motion: 24 history samples, 5 trail entries.
class BlurRecordTest : public EffectBlurTest
{
protected:
    BlurRecordTest()
    {
        blur.set(4, 0.5f, 100, 1);
        move(blur, 30);
        CFile out;
        EXPECT_EQ(out.open(path().c_str(), 0, 1, 0), 0);
        EXPECT_EQ(blur.save(out), 1);
        EXPECT_EQ(out.close(), 0);
        record = dir.read("blur.bin");
    }
    std::string path() const { return dir.file("blur.bin"); }
    // Loads bytes into a fresh blur of two slots: the load's result and where the file was left.
    std::pair<int, int64_t> load(const std::vector<uint8_t>& bytes, CEffectBlur& into)
    {
        dir.write("blur.bin", bytes);
        CFile in(path().c_str());
        const int result = into.load(in);
        return {result, in.getFilePosition()};
    }
    static void put(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
    {
        std::memcpy(bytes.data() + at, &value, sizeof value);
    }

    TempDirectory dir;
    CEffectBlur blur;
    std::vector<uint8_t> record;
};

// Field offsets in the record: the chunk end, then a marker before each field.
constexpr size_t countAt = 8, intervalAt = 16, historySizeAt = 40, trailSizeAt = 1008;

TEST_F(BlurRecordTest, TheRecordHoldsSettingsHistoryAndTrailAndLoadsBack)
{
    ASSERT_EQ(record.size(), 1212u);
    CEffectBlur loaded;
    EXPECT_EQ(load(record, loaded), std::make_pair(1, int64_t(1212)));
    EXPECT_EQ(loaded.getCount(), 4u);
    EXPECT_EQ(loaded.getInterval(), 100u);
    EXPECT_EQ(loaded.getAlpha(), 500);
    blur.draw(sprite, 1.0f);
    const auto before = sprite->drawn;
    sprite->drawn.clear();
    loaded.draw(sprite, 1.0f);
    EXPECT_EQ(sprite->drawn, before);
}

TEST_F(BlurRecordTest, HostileRecordsFailAndLeaveAWorkingTrail)
{
    const struct
    {
        const char* what;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"count of 4,294,967,295", countAt, 0xFFFFFFFFu},
        {"count of 0", countAt, 0},
        {"count above the bound", countAt, 65},
        {"interval of 0", intervalAt, 0},
        {"interval above the bound", intervalAt, 0xFFFFFFFFu},
        {"history beyond the file", historySizeAt, 0x40000000u},
        {"history longer than its count keeps", historySizeAt, 25},
        {"trail beyond the file", trailSizeAt, 0xFFFFFFFFu},
        {"trail shorter than count + 1", trailSizeAt, 4},
        {"chunk end before the trail's samples", 0, 1100},
    };
    for (const auto& c : cases)
    {
        std::vector<uint8_t> bytes = record;
        put(bytes, c.at, c.value);
        CEffectBlur loaded;
        loaded.set(2, 0.25f, 50, 1);
        const auto [result, position] = load(bytes, loaded);
        EXPECT_EQ(result, 0) << c.what;
        if (c.at != 0)
        {
            EXPECT_EQ(position, 1212) << c.what;
        }
        // The settings stay; the trail is emptied and fits them.
        EXPECT_EQ(loaded.getCount(), 2u) << c.what;
        EXPECT_EQ(loaded.getInterval(), 50u) << c.what;
        sprite->drawn.clear();
        loaded.draw(sprite, 1.0f);
        EXPECT_TRUE(sprite->drawn.empty()) << c.what;
        move(loaded, 10);
        sprite->drawn.clear();
        loaded.draw(sprite, 1.0f);
        EXPECT_EQ(sprite->drawn.size(), 2u) << c.what; // one ghost and the object
    }
    // A record cut short anywhere fails the same way.
    for (size_t size : {size_t(2), size_t(30), size_t(44), size_t(600), size_t(1011), size_t(1211)})
    {
        CEffectBlur loaded;
        EXPECT_EQ(load(std::vector<uint8_t>(record.begin(), record.begin() + long(size)), loaded).first, 0)
            << size;
        move(loaded, 3);
        loaded.draw(sprite, 1.0f);
    }
}

} // namespace
