#include "curve/CInterpolator.h"

#include "core/CFile.h"

#include "CurveTestApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

using namespace Orvane;
using Kavro::Vector2D;
using Kavro::Vector3D;

namespace
{

class Interpolator : public ::testing::Test
{
protected:
    OrvaneTest::CurveTestApp app;
};

} // namespace

TEST_F(Interpolator, ZeroDurationLandsAtOnce)
{
    CInterpolator<float> f;
    f.valueScale = 2.0f;
    f.set(0.0f, 1.0f, 0, 5);
    EXPECT_EQ(f.value, 1.0f);
    EXPECT_EQ(f.from, 1.0f);
    EXPECT_EQ(f.to, 1.0f);
    EXPECT_EQ(f.scaledValue, 2.0f);
    EXPECT_EQ(f.active, 0u);
    app.frame(16);
    EXPECT_EQ(f.update(), 0);

    CInterpolator<Vector3D> v;
    v.set({1, 2, 3}, {4, 5, 6}, 0, 0);
    EXPECT_EQ(v.value, Vector3D(4, 5, 6));
    EXPECT_EQ(v.from, Vector3D(4, 5, 6));
    EXPECT_EQ(v.active, 0u);
}

TEST_F(Interpolator, EqualEndsKeepTheActiveState)
{
    CInterpolator<float> idle;
    idle.set(0.5f, 0.5f, 100, 0);
    EXPECT_EQ(idle.active, 0u);
    EXPECT_EQ(idle.value, 0.5f);

    CInterpolator<float> running;
    running.set(0.0f, 1.0f, 1000, 0);
    running.set(0.5f, 0.5f, 100, 0);
    EXPECT_EQ(running.active, 1u);
    int frames = 0;
    while (running.update())
    {
        EXPECT_EQ(running.value, 0.5f);
        app.frame(16);
        ASSERT_LT(++frames, 10);
    }
    EXPECT_EQ(frames, 8); // 100 ms in 16 ms steps, ended in the 8th advancing frame
}

TEST_F(Interpolator, DifferenceInZAloneStarts)
{
    CInterpolator<Vector3D> v;
    v.set({1, 2, 3}, {1, 2, 4}, 100, 0);
    EXPECT_EQ(v.active, 1u);
    CInterpolator<Vector2D> w;
    w.set({1, 2}, {1, 2}, 100, 0);
    EXPECT_EQ(w.active, 0u);
}

TEST_F(Interpolator, EasingOutsideTheTableIsLinear)
{
    for (const int bad : {61, 99, -1, -100})
    {
        CInterpolator<float> f;
        f.set(0.0f, 1.0f, 1000, bad);
        EXPECT_EQ(f.easing, 0);
        f.easing = bad; // owners write the field directly; nothing may index outside the table
        app.frame(16);
        f.update();
        EXPECT_FLOAT_EQ(f.value, f.elapsed / 1000.0f);
    }
}

TEST_F(Interpolator, OneStepPerMillisecond)
{
    CInterpolator<float> f;
    f.set(0.0f, 100.0f, 1000, 0);
    app.frame(16);
    EXPECT_EQ(f.update(), 1);
    const float once = f.elapsed;
    EXPECT_FLOAT_EQ(once, 16.0f);
    f.value = -1.0f;
    EXPECT_EQ(f.update(), 1); // same millisecond: re-evaluated, not advanced
    EXPECT_EQ(f.elapsed, once);
    EXPECT_EQ(f.value, once / 1000.0f * 100.0f);
    EXPECT_EQ(f.frameStamp, app.core->milliTime);
}

TEST_F(Interpolator, TimeScaleAndFrameCap)
{
    struct Case
    {
        uint32_t frameMs;
        float timeScale;
        float expectedStep;
    };
    const std::vector<Case> cases = {
        {16, 1.0f, 0.96f * 16.666666f},
        {16, 0.5f, 0.96f * 16.666666f * 0.5f}, // about 8 ms
        {16, 2.0f, 16.0f},                     // never faster than real time
        {500, 1.0f, 5.0f * 16.666666f},        // at most the 83.333336 ms cap
        {500, 3.0f, 83.333336f},
        {16, 0.0f, 0.0f},
        {16, -1.0f, 0.0f},
    };
    for (const auto& c : cases)
    {
        CInterpolator<Vector2D> v;
        v.timeScale = c.timeScale;
        v.set({0, 0}, {1, 1}, 10000, 0);
        app.frame(c.frameMs);
        v.update();
        EXPECT_EQ(v.elapsed, c.expectedStep) << c.frameMs << " ms x " << c.timeScale;
        EXPECT_LE(v.elapsed, 83.333336f);
        EXPECT_EQ(v.active, 1u);
    }
}

TEST_F(Interpolator, RunsToTheEndAndStops)
{
    CInterpolator<Vector3D> v;
    v.valueScale = 0.5f;
    v.set({0, 0, 0}, {10, 20, 30}, 100, 14); // Back 1 Out overshoots on the way
    int advancing = 0;
    while (v.update())
    {
        ++advancing;
        app.frame(16);
    }
    EXPECT_EQ(advancing, 8);
    EXPECT_EQ(v.value, Vector3D(10, 20, 30));
    EXPECT_EQ(v.scaledValue, Vector3D(5, 10, 15));
    EXPECT_EQ(v.elapsed, 100.0f);
    EXPECT_EQ(v.update(), 0);
}

TEST_F(Interpolator, SeekCompleteAndEvaluate)
{
    CInterpolator<float> f;
    f.set(0.0f, 10.0f, 100, 0);
    f.setTime(30.0f);
    EXPECT_EQ(f.value, 3.0f);
    f.setTime(-5.0f);
    EXPECT_EQ(f.elapsed, 0.0f);

    CInterpolator<Vector3D> v;
    EXPECT_EQ(v.complete(), 0);
    v.set({0, 0, 0}, {1, 1, 1}, 100, 0);
    v.setTime(40.0f);
    EXPECT_EQ(v.complete(), 1);
    EXPECT_EQ(v.value, Vector3D(1, 1, 1));
    EXPECT_EQ(v.elapsed, 40.0f);
    EXPECT_EQ(v.active, 0u);

    // Seeking past the end revives a finished ease; the next update snaps to the end.
    v.setTime(500.0f);
    EXPECT_EQ(v.active, 1u);
    EXPECT_EQ(v.elapsed, 100.0f);
    app.frame(16);
    EXPECT_EQ(v.update(), 1);
    EXPECT_EQ(v.active, 0u);
    EXPECT_EQ(v.value, Vector3D(1, 1, 1));

    // evaluate does nothing when inactive.
    v.value = {7, 7, 7};
    v.evaluate();
    EXPECT_EQ(v.value, Vector3D(7, 7, 7));
}

namespace
{

class InterpolatorRecord : public Interpolator
{
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("orvane_interp_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::vector<uint8_t> contents(const char* name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }
    void overwrite(const char* name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(dir / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::filesystem::path dir;
};

template <class T> void writeRecords(const std::string& path, const std::vector<const CInterpolator<T>*>& records)
{
    CFile file;
    ASSERT_EQ(file.open(path.c_str(), 0, 1, 0), 0);
    for (const auto* r : records)
        ASSERT_EQ(r->write(file), 1);
}

uint32_t word(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

} // namespace

TEST_F(InterpolatorRecord, SizesAndFraming)
{
    CInterpolator<float> f;
    f.set(1.0f, 2.0f, 300, 3);
    CInterpolator<Vector3D> v;
    v.set({1, 2, 3}, {4, 5, 6}, 300, 3);
    {
        CFile file;
        ASSERT_EQ(file.open(path("r.bin").c_str(), 0, 1, 0), 0);
        ASSERT_EQ(f.write(file), 1);
        ASSERT_EQ(v.write(file), 1);
    }
    const auto bytes = contents("r.bin");
    ASSERT_EQ(bytes.size(), 84u + 116u);
    EXPECT_EQ(word(bytes, 0), 84u);        // end of the first chunk
    EXPECT_EQ(word(bytes, 4), 4u);         // each marker is its own position
    EXPECT_EQ(word(bytes, 12), 12u);
    EXPECT_EQ(word(bytes, 84), 200u);      // the second chunk's end is absolute
    EXPECT_EQ(word(bytes, 88), 88u);
    EXPECT_EQ(word(bytes, 96), 96u);       // after duration: marker of elapsed
    EXPECT_EQ(word(bytes, 104), 104u);     // marker of from (3 floats follow)
    EXPECT_EQ(word(bytes, 120), 120u);     // marker of to
}

TEST_F(InterpolatorRecord, RoundTripContinuesTheEaseIdentically)
{
    CInterpolator<Vector3D> original;
    original.valueScale = 1.5f;
    original.timeScale = 0.75f;
    original.set({0, 0, 0}, {100, -50, 25}, 1000, 26); // Elastic 1 Out
    for (int i = 0; i < 10; ++i)
    {
        app.frame(17);
        original.update();
    }
    CInterpolator<float> scalar;
    scalar.set(3.0f, -3.0f, 700, 59);
    app.frame(40);
    scalar.update();
    writeRecords<Vector3D>(path("v.bin"), {&original});
    writeRecords<float>(path("f.bin"), {&scalar});

    CInterpolator<Vector3D> restored;
    CInterpolator<float> restoredScalar;
    {
        CFile file(path("v.bin").c_str());
        ASSERT_EQ(restored.read(file), 1);
        EXPECT_EQ(file.getFilePosition(), 116);
        CFile other(path("f.bin").c_str());
        ASSERT_EQ(restoredScalar.read(other), 1);
    }
    EXPECT_EQ(restored.elapsed, original.elapsed);
    EXPECT_EQ(restored.value, original.value);
    for (int i = 0; i < 80; ++i)
    {
        app.frame(i % 3 == 0 ? 33 : 16);
        EXPECT_EQ(restored.update(), original.update());
        EXPECT_EQ(restoredScalar.update(), scalar.update());
        ASSERT_EQ(restored.scaledValue, original.scaledValue) << "frame " << i;
        ASSERT_EQ(restoredScalar.scaledValue, scalar.scaledValue) << "frame " << i;
    }
    EXPECT_EQ(restored.active, 0u);
}

TEST_F(InterpolatorRecord, DamagedRecordsFailAndEndAtTheChunkEnd)
{
    CInterpolator<float> a, b;
    a.set(0.0f, 1.0f, 100, 1);
    b.set(5.0f, 6.0f, 200, 2);
    writeRecords<float>(path("r.bin"), {&a, &b});
    const auto good = contents("r.bin");

    struct Case
    {
        const char* what;
        size_t offset; // byte to damage in the first record
        float expectedDuration;
    };
    const std::vector<Case> cases = {
        {"first marker", 4, 42.0f},      // nothing read
        {"marker of elapsed", 12, 100.0f}, // duration read, the rest kept
        {"marker of timeScale", 76, 100.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        auto damaged = good;
        damaged[c.offset] ^= 0x40;
        overwrite("bad.bin", damaged);
        CFile file(path("bad.bin").c_str());
        CInterpolator<float> target;
        target.duration = 42.0f;
        target.timeScale = 9.0f;
        EXPECT_EQ(target.read(file), 0);
        EXPECT_EQ(file.getFilePosition(), 84);
        EXPECT_EQ(target.duration, c.expectedDuration);
        EXPECT_EQ(target.timeScale, 9.0f);
        CInterpolator<float> next; // the record after it still reads
        EXPECT_EQ(next.read(file), 1);
        EXPECT_EQ(next.to, 6.0f);
    }

    // An end word pointing back into the record fails it without moving the reader backwards.
    auto backwards = good;
    backwards[84] = 3;
    backwards[85] = 0;
    overwrite("back.bin", backwards);
    {
        CFile file(path("back.bin").c_str());
        CInterpolator<float> first, second;
        ASSERT_EQ(first.read(file), 1);
        EXPECT_EQ(second.read(file), 0);
        EXPECT_EQ(file.getFilePosition(), 88);
        EXPECT_EQ(second.duration, 0.0f);
    }

    // A record cut short fails too.
    overwrite("short.bin", std::vector<uint8_t>(good.begin(), good.begin() + 50));
    CFile file(path("short.bin").c_str());
    CInterpolator<float> target;
    EXPECT_EQ(target.read(file), 0);
    EXPECT_EQ(file.getFilePosition(), 84);
}

TEST_F(InterpolatorRecord, WriteFailureIsReported)
{
    overwrite("ro.bin", {});
    CFile file(path("ro.bin").c_str()); // opened for reading
    CInterpolator<Vector3D> v;
    EXPECT_EQ(v.write(file), 0);
}
