#include "scene/ModelFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace Kavro;

namespace
{

MotionClip Walk()
{
    MotionClip clip;
    clip.frameRate = 30.0f;
    clip.frameCount = 31;
    MotionTrack hips{"hips", {}, {}, {}};
    hips.translations = {{0.0f, {0, 1, 0}}, {15.0f, {0, 1.2f, 0.5f}}, {30.0f, {0, 1, 1}}};
    hips.rotations = {{0.0f, {0, 0, 0, 1}}, {30.0f, Quaternion::GetRotationAxis({0, 1, 0}, 90.0f)}};
    MotionTrack head{"head", {}, {}, {}};
    head.scales = {{10.0f, {1, 2, 1}}};
    clip.tracks = {hips, head};
    return clip;
}

MorphTargetFile Smile()
{
    return {"face", {{0, 0.1f, 0}, {0.2f, 0, 0}, {0, 0, -0.3f}}, {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}}};
}

void expectSame(const MotionClip& a, const MotionClip& b)
{
    EXPECT_EQ(a.frameRate, b.frameRate);
    EXPECT_EQ(a.frameCount, b.frameCount);
    ASSERT_EQ(a.tracks.size(), b.tracks.size());
    for (size_t t = 0; t < a.tracks.size(); ++t)
    {
        const MotionTrack &x = a.tracks[t], &y = b.tracks[t];
        EXPECT_EQ(x.frame, y.frame);
        ASSERT_EQ(x.translations.size(), y.translations.size());
        for (size_t i = 0; i < x.translations.size(); ++i)
        {
            EXPECT_EQ(x.translations[i].frame, y.translations[i].frame);
            EXPECT_EQ(x.translations[i].value, y.translations[i].value);
        }
        ASSERT_EQ(x.rotations.size(), y.rotations.size());
        for (size_t i = 0; i < x.rotations.size(); ++i)
        {
            EXPECT_EQ(x.rotations[i].frame, y.rotations[i].frame);
            EXPECT_NEAR(x.rotations[i].value.Dot(y.rotations[i].value), 1.0f, 1e-6f);
        }
        ASSERT_EQ(x.scales.size(), y.scales.size());
        for (size_t i = 0; i < x.scales.size(); ++i)
            EXPECT_EQ(x.scales[i].value, y.scales[i].value);
    }
}

} // namespace

TEST(MotionFile, KeysReadBackAsWritten)
{
    const std::vector<uint8_t> bytes = WriteMotionFile(Walk());
    MotionClip clip;
    std::string error;
    ASSERT_TRUE(ReadMotionFile(bytes.data(), bytes.size(), clip, &error)) << error;
    expectSame(clip, Walk());
}

TEST(MotionFile, EveryTruncationAndFlippedByteIsRefusedOrStaysWellFormed)
{
    const std::vector<uint8_t> bytes = WriteMotionFile(Walk());
    MotionClip untouched;
    untouched.frameCount = 7;
    for (size_t n = 0; n < bytes.size(); ++n)
    {
        MotionClip clip = untouched;
        EXPECT_FALSE(ReadMotionFile(bytes.data(), n, clip)) << "cut to " << n;
        EXPECT_EQ(clip.frameCount, 7u); // a refused file changes nothing
    }
    for (size_t i = 0; i < bytes.size(); ++i)
        for (uint8_t bit : {0x01, 0x80})
        {
            std::vector<uint8_t> damaged = bytes;
            damaged[i] ^= bit;
            MotionClip clip;
            if (!ReadMotionFile(damaged.data(), damaged.size(), clip))
                continue;
            // What is accepted keeps the promises the players rely on.
            EXPECT_GT(clip.frameRate, 0.0f);
            for (const MotionTrack& track : clip.tracks)
                for (const MotionRotationKey& key : track.rotations)
                {
                    EXPECT_NEAR(key.value.Length(), 1.0f, 1e-4f);
                    EXPECT_LE(key.frame, float(clip.frameCount - 1));
                }
        }
}

TEST(MotionFile, RefusesBrokenPromises)
{
    struct Case
    {
        const char* what;
        void (*damage)(MotionClip&);
    };
    const Case cases[] = {
        {"zero frame rate", [](MotionClip& c) { c.frameRate = 0.0f; }},
        {"zero frames", [](MotionClip& c) { c.frameCount = 0; }},
        {"key after the last frame", [](MotionClip& c) { c.tracks[0].translations[2].frame = 31.0f; }},
        {"keys out of order", [](MotionClip& c) { c.tracks[0].translations[1].frame = 0.0f; }},
        {"zero rotation", [](MotionClip& c) { c.tracks[0].rotations[0].value = {0, 0, 0, 0}; }},
        {"two tracks of one frame", [](MotionClip& c) { c.tracks[1].frame = "hips"; }},
        {"empty frame name", [](MotionClip& c) { c.tracks[1].frame.clear(); }},
        {"NaN key", [](MotionClip& c) { c.tracks[1].scales[0].value.y = std::nanf(""); }},
    };
    for (const Case& c : cases)
    {
        MotionClip clip = Walk();
        c.damage(clip);
        const std::vector<uint8_t> bytes = WriteMotionFile(clip);
        MotionClip out;
        EXPECT_FALSE(ReadMotionFile(bytes.data(), bytes.size(), out)) << c.what;
    }
    std::vector<uint8_t> longer = WriteMotionFile(Walk());
    longer.push_back(0);
    MotionClip out;
    EXPECT_FALSE(ReadMotionFile(longer.data(), longer.size(), out)) << "trailing byte";
    EXPECT_FALSE(ReadMotionFile(nullptr, 100, out));
}

TEST(MorphFile, DeltasReadBackAndDamageIsRefused)
{
    const std::vector<uint8_t> bytes = WriteMorphFile(Smile());
    MorphTargetFile morph;
    ASSERT_TRUE(ReadMorphFile(bytes.data(), bytes.size(), morph));
    EXPECT_EQ(morph.mesh, "face");
    EXPECT_EQ(morph.positions, Smile().positions);
    EXPECT_EQ(morph.normals, Smile().normals);

    for (size_t n = 0; n < bytes.size(); ++n)
    {
        MorphTargetFile cut;
        cut.mesh = "kept";
        EXPECT_FALSE(ReadMorphFile(bytes.data(), n, cut)) << "cut to " << n;
        EXPECT_EQ(cut.mesh, "kept");
    }
    // The vertex count follows the four name bytes, at offset 16.
    std::vector<uint8_t> wrongCount = bytes;
    wrongCount[16] = 4;
    EXPECT_FALSE(ReadMorphFile(wrongCount.data(), wrongCount.size(), morph));
    std::vector<uint8_t> hugeCount = bytes;
    hugeCount[19] = 0xff;
    EXPECT_FALSE(ReadMorphFile(hugeCount.data(), hugeCount.size(), morph));
}
