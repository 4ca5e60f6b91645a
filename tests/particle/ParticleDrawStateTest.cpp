// What particles hand to the library's particle object (billboards and ribbons with their trails), and
// the saved running state of systems and particles.
#include "ParticleTestFixture.h"

#include "core/CFile.h"
#include "particle/CParticleObject.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Orvane::Particle::CParticleObject;
using Orvane::Particle::CParticleParameter;

namespace
{

class ParticleRibbonTest : public ParticleTest
{
protected:
    // One particle moving along x at one unit per 1/60 s, 8 units wide, white, drawn as a ribbon.
    CParticle* ribbon(int32_t samples, float time = 500.0f)
    {
        CParticleParameter d = definition(1);
        d.record.polyline.num = samples;
        d.record.polyline.time = time;
        d.record.move.velocity.x.value = 1.0f;
        d.record.sprite.size.start.x = 8.0f;
        d.record.sprite.size.start.y = 8.0f;
        d.record.sprite.size.start.exe_type = 1;
        return make(d);
    }
};

TEST_F(ParticleRibbonTest, StreamsOfFourSamplesOverTenTrailPoints)
{
    CParticle* system = ribbon(4);
    frames(system, 10);
    CParticleObject& p = *system->particles[0];
    ASSERT_EQ(p.trail.size(), 10u);
    const RecordingSceneParticle& out = sceneParticle(0);
    ASSERT_EQ(out.vertices.size(), 12u);
    ASSERT_EQ(out.uvs.size(), 12u);
    ASSERT_EQ(out.indices.size(), 36u);
    EXPECT_TRUE(out.billboards.empty());
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        // Samples fall on every third trail point: t = i / 3 of a span of nine frames.
        const Vector3D centre = p.trail[size_t(3 * i)].position;
        const float v = 1.0f - float(i) / 3.0f;
        const Vector3D expected[3] = {centre - Vector3D(4, 0, 0), centre, centre + Vector3D(4, 0, 0)};
        const Vector2D uv[3] = {{0.0f, v}, {0.5f, v}, {1.0f, v}};
        for (int k = 0; k < 3; ++k)
        {
            const Kavro::ParticleVertex& vertex = out.vertices[size_t(3 * i + k)];
            EXPECT_NEAR(vertex.position.x, expected[k].x, 1e-2f);
            EXPECT_NEAR(vertex.position.y, expected[k].y, 1e-2f);
            EXPECT_EQ(vertex.colour, 0xFFFFFFFFu);
            EXPECT_NEAR(out.uvs[size_t(3 * i + k)].x, uv[k].x, 1e-6f);
            EXPECT_NEAR(out.uvs[size_t(3 * i + k)].y, uv[k].y, 1e-6f);
        }
    }
    const std::vector<uint16_t> first = {0, 3, 1, 1, 3, 4, 1, 4, 5, 2, 1, 5};
    EXPECT_EQ(std::vector<uint16_t>(out.indices.begin(), out.indices.begin() + 12), first);
    EXPECT_EQ(out.indices[24], 6u);
    EXPECT_EQ(out.indices[35], 11u);
}

TEST_F(ParticleRibbonTest, TrailDropsPointsOlderThanItsTimeAndRecordsOncePerAge)
{
    CParticle* system = ribbon(4, 60.0f);
    frames(system, 10);
    CParticleObject& p = *system->particles[0];
    ASSERT_EQ(p.trail.size(), 4u);
    EXPECT_NEAR(p.trail.back().time - p.trail.front().time, 3.0f * FrameMs, 1e-3f);
    task->updateWorldMatrix();
    task->updateWorldMatrix();
    EXPECT_EQ(p.trail.size(), 4u);
}

TEST_F(ParticleRibbonTest, ShrinkAndFadeTails)
{
    CParticle* system = ribbon(3);
    system->particles[0]->shrinkTail = 1;
    system->particles[0]->fadeTail = 1;
    // The flags come from the definition at each spawn; this particle never dies, so they stay.
    frames(system, 5);
    const RecordingSceneParticle& out = sceneParticle(0);
    ASSERT_EQ(out.vertices.size(), 9u);
    // Tail: zero width, alpha 0. Head: full width, alpha 255.
    EXPECT_EQ(out.vertices[0].position, out.vertices[1].position);
    EXPECT_EQ(out.vertices[0].colour >> 24, 0u);
    EXPECT_NEAR(out.vertices[8].position.x - out.vertices[7].position.x, 4.0f, 1e-3f);
    EXPECT_EQ(out.vertices[8].colour >> 24, 255u);
}

TEST_F(ParticleRibbonTest, SyncedLifeAtHalfCoversTheNewerHalf)
{
    CParticleParameter d = definition(1);
    d.record.polyline.num = 2;
    d.record.polyline.time = 1000.0f;
    d.record.polyline.sync_life_time = 1;
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age.time = 20 * 16 + 13; // about 20 frames
    d.record.move.velocity.x.value = 1.0f;
    CParticle* system = make(d);
    frames(system, 10);
    const CParticleObject& p = *system->particles[0];
    const float fade = 1.0f - p.age / p.life;
    EXPECT_NEAR(sceneParticle(0).uvs[0].y, fade, 1e-5f);
    const float span = p.trail.back().time - p.trail.front().time;
    EXPECT_GT(sceneParticle(0).vertices[1].position.x, p.trail.front().position.x + 0.4f * span * 0.06f);
}

TEST_F(ParticleRibbonTest, OneSampleOrOnePointDrawsNothing)
{
    CParticle* single = ribbon(1);
    frames(single, 5);
    EXPECT_TRUE(sceneParticle(0).vertices.empty());
    EXPECT_TRUE(sceneParticle(0).indices.empty());
    CParticle* fresh = ribbon(4);
    frame(fresh);
    EXPECT_EQ(fresh->particles[0]->trail.size(), 1u);
    EXPECT_TRUE(sceneParticle(1).vertices.empty());
}

TEST_F(ParticleTest, UnstartedParticleDrawsNothingAndRecordsNoTrail)
{
    CParticleParameter d = definition(1);
    d.record.polyline.num = 3;
    d.record.occur.suspend_time = 1000;
    CParticle* system = make(d);
    frames(system, 3);
    EXPECT_TRUE(system->particles[0]->trail.empty());
    EXPECT_TRUE(sceneParticle(0).vertices.empty());
}

// ---- Runtime state

class ParticleStateTest : public ParticleTest
{
protected:
    static constexpr uint32_t Sentinel = 0x5EA1ED00u;

    std::vector<uint8_t> save(CParticle* system, const std::string& name = "state.bin", uint32_t lead = 0)
    {
        CFile file;
        EXPECT_EQ(file.open(name.c_str(), 0, 1, 0), 0);
        for (uint32_t i = 0; i < lead; ++i)
            file.writeDword(i);
        EXPECT_EQ(system->saveState(file), 1);
        file.writeDword(Sentinel);
        EXPECT_EQ(file.close(), 0);
        return bytes(name);
    }
    // loadState's result and whether the reader stopped right before the sentinel.
    std::pair<int, bool> load(CParticle* system, const std::string& name = "state.bin")
    {
        CFile file;
        EXPECT_EQ(file.open(name.c_str(), 0, 0, 0), 0);
        const int result = system->loadState(file);
        uint32_t next = 0;
        file.readDword(next);
        return {result, next == Sentinel};
    }
    std::vector<uint8_t> bytes(const std::string& name)
    {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void overwrite(const std::string& name, const std::vector<uint8_t>& data)
    {
        std::ofstream out(dir.path() / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }
    static uint32_t word(const std::vector<uint8_t>& b, size_t at)
    {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    }
};

TEST_F(ParticleStateTest, RecordSizesAndEndOffsets)
{
    const struct
    {
        int32_t count;
        size_t size;
    } cases[] = {{0, 76}, {3, 3952}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.count);
        CParticle* system = make(definition(c.count));
        const std::vector<uint8_t> b = save(system, "s.bin", 2);
        ASSERT_EQ(b.size(), 8 + c.size + 4);
        EXPECT_EQ(word(b, 8), 8 + c.size);
        for (int32_t i = 0; i < c.count; ++i)
        {
            const size_t at = 8 + 68 + size_t(i) * 1292 + 4;
            EXPECT_EQ(word(b, at), at + 1288);
            EXPECT_EQ(word(b, at + 4), at + 4); // the first marker holds its own position
        }
    }
}

TEST_F(ParticleStateTest, SaveLoadAndSaveAgainGiveTheSameBytes)
{
    CParticleParameter d = definition(3);
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age = {300, 1, 900};
    d.record.move.velocity.y = {2.0f, 1, 5.0f, 1};
    d.record.sprite.color.use_end = 1;
    d.record.sprite.color.end = {0, 128, 0, 0, 0, 0, {}, 0};
    CParticle* original = make(d, 5);
    frames(original, 12);
    const std::vector<uint8_t> first = save(original, "a.bin");
    CParticle* copy = make(d, 99);
    EXPECT_EQ(load(copy, "a.bin"), std::make_pair(1, true));
    EXPECT_EQ(copy->particles[1]->age, original->particles[1]->age);
    EXPECT_EQ(copy->particles[2]->move.position, original->particles[2]->move.position);
    EXPECT_EQ(save(copy, "b.bin"), first);
}

TEST_F(ParticleStateTest, LoadRebuildsThePoolToTheSavedCountWithinTheDefinitionsBound)
{
    CParticle* five = make(definition(5));
    save(five, "five.bin");
    CParticleParameter ten = definition(10);
    CParticle* big = make(ten);
    EXPECT_EQ(load(big, "five.bin"), std::make_pair(1, true));
    EXPECT_EQ(big->particles.size(), 5u);
    EXPECT_EQ(big->batchSize, 5);
    // A saved pool larger than the definition allows is refused.
    CParticle* ten1 = make(ten);
    save(ten1, "ten.bin");
    CParticle* small = make(definition(5));
    EXPECT_EQ(load(small, "ten.bin"), std::make_pair(0, true));
    EXPECT_EQ(small->particles.size(), 5u);
}

TEST_F(ParticleStateTest, CorruptedMarkerFailsAndLeavesTheFileAtTheRecordsEnd)
{
    CParticle* system = make(definition(2));
    frames(system, 3);
    std::vector<uint8_t> b = save(system);
    // A marker in the middle of the first particle record.
    const size_t marker = 72 + 564; // before turn.initialAngularResist
    ASSERT_EQ(word(b, marker), marker);
    b[marker] ^= 0xFF;
    overwrite("state.bin", b);
    CParticle* target = make(definition(2));
    EXPECT_EQ(load(target, "state.bin"), std::make_pair(0, true));
    // A particle record alone ends at its own end offset too.
    CFile file;
    ASSERT_EQ(file.open("state.bin", 0, 0, 0), 0);
    file.seekStart(72);
    EXPECT_EQ(target->particles[0]->loadState(file), 0);
    EXPECT_EQ(file.getFilePosition(), int64_t(72 + 1288));
}

TEST_F(ParticleStateTest, ShortEndOffsetFailsWithoutSeeking)
{
    CParticle* system = make(definition(1));
    overwrite("short.bin", {0x10, 0x00});
    CFile file;
    ASSERT_EQ(file.open("short.bin", 0, 0, 0), 0);
    EXPECT_EQ(system->loadState(file), 0);
    EXPECT_LE(file.getFilePosition(), 2);
}

TEST_F(ParticleStateTest, RestoredAnimationFrameBeyondTheCurrentListIsNotRead)
{
    std::filesystem::create_directories(dir.path() / "anim");
    const auto list = [&](const char* name, const char* text) {
        std::ofstream(dir.path() / "anim" / name, std::ios::binary) << text;
    };
    list("four.csv", "10,0,0,8,8\n10,8,0,8,8\n10,16,0,8,8\n1000,24,0,8,8\n");
    list("one.csv", "1000,0,0,4,4\n");
    CParticleParameter four = definition(1);
    std::strcpy(four.record.animation_filename, "anim/four.csv");
    CParticle* saved = make(four);
    frames(saved, 4);
    ASSERT_EQ(saved->particles[0]->anime.frame, 3u);
    save(saved, "anim.bin");

    // The same particle restored where the list holds one frame.
    CParticleParameter one = definition(1);
    std::strcpy(one.record.animation_filename, "anim/one.csv");
    CParticle* restored = make(one);
    ASSERT_EQ(restored->animationFrames.size(), 1u);
    ASSERT_EQ(load(restored, "anim.bin"), std::make_pair(1, true));
    const CParticleObject& p = *restored->particles[0];
    ASSERT_EQ(p.anime.frame, 3u);
    frames(restored, 2);
    // The saved rectangle stays: frame 3 names nothing in this list.
    EXPECT_EQ(p.anime.sourceRect[0], 24);
    EXPECT_EQ(p.anime.sourceRect[2], 8);
}

TEST_F(ParticleStateTest, ChildCountMustMatch)
{
    CParticleParameter child = definition(1);
    std::strcpy(child.record.particle_name, "kid");
    writeDefinition("kid", child);
    CParticleParameter parent = definition(1);
    parent.record.occur.lost_time_make_particle.enable = 1;
    std::strcpy(parent.record.occur.lost_time_make_particle.particle_name, "kid");
    CParticle* withChild = make(parent);
    save(withChild, "kid.bin");
    CParticle* without = make(definition(1));
    EXPECT_EQ(load(without, "kid.bin"), std::make_pair(0, true));
    CParticle* again = make(parent);
    EXPECT_EQ(load(again, "kid.bin"), std::make_pair(1, true));
}

} // namespace
