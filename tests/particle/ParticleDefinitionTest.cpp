// The ".particle" reader and its cache, through the engine file over a directory: the current and
// older layouts, the extra texture names, short and damaged files, and the cache's lifetime.

#include "particle/ParticleCaches.h"
#include "particle/ParticleFields.h"
#include "particle/ParticleFile.h"

#include "core/CApp.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeCore.h"
#include "support/ParticleFileWriter.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace Orvane::Particle;
using OrvaneTest::particleFileBytes;
using OrvaneTest::scrambledParticleParameter;

namespace
{

class ParticleDefinitionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = new OrvaneTest::FakeCore;
        core->fileSystem = new OrvaneTest::DirectoryFileSystem(dir.path());
        app = new Orvane::CApp("particle");
        app->setCore(core);
        Orvane::CApp::set(app);
    }
    void TearDown() override
    {
        clearParticleCaches();
        Orvane::CApp::set(nullptr);
        app->release();
        core->release();
    }
    void write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        OrvaneTest::writeParticleFile(dir.path(), name, bytes);
    }
    // A current-layout definition with one texture name and nothing converted.
    static CParticleParameter plain()
    {
        CParticleParameter definition;
        std::strcpy(definition.record.texture_filename, "snow.png");
        definition.record.version = 1;
        definition.record.texture_count = 1;
        definition.record.texture_use_count = 1;
        definition.textureNames = {"snow.png"};
        return definition;
    }
    static std::vector<uint8_t> withName(std::vector<uint8_t> bytes, const std::string& name)
    {
        bytes.push_back(uint8_t(name.size()));
        bytes.push_back(uint8_t(name.size() >> 8));
        bytes.insert(bytes.end(), name.begin(), name.end());
        return bytes;
    }
    static bool isAllZero(const ParticleRecord& record)
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
        return std::all_of(bytes, bytes + sizeof record, [](uint8_t b) { return b == 0; });
    }

    OrvaneTest::TempDirectory dir;
    OrvaneTest::FakeCore* core = nullptr;
    Orvane::CApp* app = nullptr;
};

TEST_F(ParticleDefinitionTest, WrittenDefinitionLoadsBackByteForByte)
{
    CParticleParameter written = scrambledParticleParameter(7);
    written.record.version = 5;
    written.record.texture_count = 3;
    written.record.texture_use_count = 2;
    write("fx", particleFileBytes(written));

    const CParticleParameter& loaded = loadParticleParameter("fx");
    EXPECT_EQ(std::memcmp(&loaded.record, &written.record, ParticleRecordSize), 0);
    EXPECT_EQ(loaded.textureNames, written.textureNames);
}

TEST_F(ParticleDefinitionTest, FieldsLieAtTheirFileOffsets)
{
    std::vector<uint8_t> bytes = particleFileBytes(plain());
    const auto put = [&](size_t offset, auto value) { std::memcpy(bytes.data() + offset, &value, sizeof value); };
    put(704, 0.25f);
    put(824, 0.75f);
    put(904, int32_t(9));
    put(920, int32_t(120));
    put(5492, 333.5f);
    std::memcpy(bytes.data() + 5380, "Gothic", 7);
    std::memcpy(bytes.data() + 984, "same", 5);
    std::memcpy(bytes.data() + 1108, "endless", 8);
    std::memcpy(bytes.data() + 1232, "lost", 5);
    std::memcpy(bytes.data() + 4624, "ping.wav", 9);
    put(5048 + 4, int32_t(1)); // turn.angular_velocity.x.velocity.use_random
    put(2672, -2.5f);          // move.attract.power.value
    write("fx", bytes);

    const ParticleRecord& r = loadParticleParameter("fx").record;
    EXPECT_EQ(r.sprite.size.middle.timing, 0.25f);
    EXPECT_EQ(r.sprite.color.middle.timing, 0.75f);
    EXPECT_EQ(r.sprite.color.use_frame, 9);
    EXPECT_EQ(r.sprite.color.end.only_alpha, 0);
    EXPECT_EQ(r.occur.particle_num.num, 120);
    EXPECT_EQ(r.polyline.time, 333.5f);
    EXPECT_EQ(fieldText(r.font.name), "Gothic");
    EXPECT_EQ(fieldText(r.occur.same_time_make_particle.particle_name), "same");
    EXPECT_EQ(fieldText(r.occur.endress_make_particle.particle_name), "endless");
    EXPECT_EQ(fieldText(r.occur.lost_time_make_particle.particle_name), "lost");
    EXPECT_EQ(fieldText(r.move.sphere_range.touch_sound_filename), "ping.wav");
    EXPECT_EQ(r.turn.angular_velocity.x.velocity.use_random, 1);
    EXPECT_EQ(r.move.attract.power.value, -2.5f);
}

TEST_F(ParticleDefinitionTest, OlderLayoutIsConverted)
{
    CParticleParameter written = scrambledParticleParameter(3);
    std::strcpy(written.record.texture_filename, "old.png");
    write("old", particleFileBytes(written, true));

    const CParticleParameter& loaded = loadParticleParameter("old");
    const ParticleRecord& r = loaded.record;
    EXPECT_EQ(std::memcmp(&r, &written.record, OldParticleRecordSize), 0);
    EXPECT_EQ(r.version, 0);
    EXPECT_EQ(r.texture_count, 1);
    EXPECT_EQ(r.texture_use_count, 1);
    EXPECT_EQ(r.texture_random, 0);
    EXPECT_EQ(fieldText(r.font.name), "");
    EXPECT_EQ(r.font.size, 0);
    EXPECT_EQ(r.font.width, 0);
    EXPECT_EQ(r.polyline.num, 0);
    EXPECT_EQ(r.polyline.time, 0.0f);
    EXPECT_EQ(r.polyline.sync_life_time, 0);
    EXPECT_TRUE(std::all_of(std::begin(r.reserved), std::end(r.reserved), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(loaded.textureNames, std::vector<std::string>{"old.png"});
}

TEST_F(ParticleDefinitionTest, VersionTwoClearsThePolylineBlock)
{
    for (const int32_t version : {2, 3})
    {
        SCOPED_TRACE(version);
        CParticleParameter written = scrambledParticleParameter(11);
        written.record.version = version;
        written.record.texture_count = 1;
        std::string name = "v";
        name += std::to_string(version);
        write(name, particleFileBytes(written));

        const ParticleRecord& r = loadParticleParameter(name).record;
        uint32_t word5552;
        std::memcpy(&word5552, r.reserved + 44, 4);
        if (version == 2)
        {
            EXPECT_EQ(r.polyline.num, 0);
            EXPECT_EQ(r.polyline.time, 0.0f);
            EXPECT_EQ(r.polyline.shulink_tail_enable, 0);
            EXPECT_EQ(r.polyline.fade_tail_enable, 0);
            EXPECT_EQ(r.polyline.sync_life_time, 0);
            EXPECT_EQ(word5552, 0u);
        }
        else
        {
            EXPECT_EQ(std::memcmp(&r.polyline, &written.record.polyline, sizeof r.polyline), 0);
            EXPECT_NE(word5552, 0u);
        }
        EXPECT_EQ(r.font.size, written.record.font.size);
    }
}

TEST_F(ParticleDefinitionTest, ExtraTextureNames)
{
    const std::string long256(256, 'L');
    const std::vector<uint8_t> base = particleFileBytes(plain());
    const auto withCount = [&](int32_t count, std::vector<uint8_t> bytes) {
        std::memcpy(bytes.data() + 5368, &count, 4);
        return bytes;
    };
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<std::string> names;
    };
    const std::vector<uint8_t> stopper = {0, 0};
    std::vector<uint8_t> zeroFirst = withCount(3, base);
    zeroFirst.insert(zeroFirst.end(), stopper.begin(), stopper.end());
    std::vector<uint8_t> tooLong = withCount(2, base);
    tooLong.insert(tooLong.end(), {1, 1, 'x'}); // length 257
    std::vector<uint8_t> cutShort = withName(withCount(3, base), "a.png");
    cutShort.insert(cutShort.end(), {9, 0, 'b', '.'});
    const std::vector<Case> cases = {
        {"two stored names", withName(withName(withCount(3, base), "a.png"), "b.png"), {"snow.png", "a.png", "b.png"}},
        {"a first length of 0 ends the list", zeroFirst, {"snow.png"}},
        {"a length above 256 ends the list", tooLong, {"snow.png"}},
        {"a 256-byte name without zero is taken whole, a later one is its own bytes",
         withName(withName(withCount(3, base), long256), "c.png"), {"snow.png", long256, "c.png"}},
        {"a name ends at its first zero byte", withName(withCount(2, base), std::string("d.png\0junk", 10)),
         {"snow.png", "d.png"}},
        {"names beyond the count are not read", withName(withName(withCount(2, base), "a.png"), "b.png"),
         {"snow.png", "a.png"}},
        {"a count of 0 holds the record's name only", withName(withCount(0, base), "a.png"), {"snow.png"}},
        {"a negative count reads until the data ends", withName(withName(withCount(-1, base), "a.png"), "b.png"),
         {"snow.png", "a.png", "b.png"}},
        {"a name cut off by the end of the file ends the list", cutShort, {"snow.png", "a.png"}},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string name = "names";
        name += std::to_string(n++);
        write(name, c.bytes);
        EXPECT_EQ(loadParticleParameter(name).textureNames, c.names);
    }
}

TEST_F(ParticleDefinitionTest, TextureUseCountOfZeroReadsAsOne)
{
    CParticleParameter definition = plain();
    definition.record.texture_use_count = 0;
    write("fx", particleFileBytes(definition));
    EXPECT_EQ(loadParticleParameter("fx").record.texture_use_count, 1);
}

TEST_F(ParticleDefinitionTest, UnusableFilesGiveTheEmptyDefinitionAndAreNotCached)
{
    write("short", std::vector<uint8_t>(OldParticleRecordSize - 1, 0x11));
    for (const std::string name : {"", "short", "missing"})
    {
        SCOPED_TRACE(name);
        const CParticleParameter& loaded = loadParticleParameter(name);
        EXPECT_TRUE(isAllZero(loaded.record));
        EXPECT_TRUE(loaded.textureNames.empty());
    }
    std::vector<std::string> names;
    listParticleNames("", names);
    EXPECT_TRUE(names.empty());
    listParticleFiles(names);
    EXPECT_TRUE(names.empty());
    listParticleNames("short", names);
    EXPECT_TRUE(names.empty());
}

TEST_F(ParticleDefinitionTest, CurrentLayoutCutShortReadsMissingBytesAsZero)
{
    CParticleParameter written = scrambledParticleParameter(5);
    std::strcpy(written.record.texture_filename, "cut.png");
    std::vector<uint8_t> bytes = particleFileBytes(written);
    bytes.resize(5400); // ends inside font.name
    write("cut", bytes);

    const CParticleParameter& loaded = loadParticleParameter("cut");
    const ParticleRecord& r = loaded.record;
    EXPECT_EQ(std::memcmp(&r, bytes.data(), 5368), 0) << "everything up to the texture count as stored";
    EXPECT_EQ(r.texture_count, written.record.texture_count);
    EXPECT_EQ(std::memcmp(r.font.name, written.record.font.name, 20), 0);
    EXPECT_TRUE(std::all_of(r.font.name + 20, r.font.name + 100, [](char c) { return c == 0; }));
    EXPECT_EQ(r.font.size, 0);
    EXPECT_EQ(r.polyline.time, 0.0f);
    EXPECT_EQ(loaded.textureNames, std::vector<std::string>{"cut.png"});
}

TEST_F(ParticleDefinitionTest, TextFieldsAreBoundedByTheirSize)
{
    CParticleParameter definition = plain();
    std::memset(definition.record.particle_name, 'p', 100);
    std::memset(definition.record.texture_filename, 't', 256);
    write("full", particleFileBytes(definition));
    const CParticleParameter& loaded = loadParticleParameter("full");
    EXPECT_EQ(fieldText(loaded.record.particle_name), std::string(100, 'p'));
    EXPECT_EQ(loaded.textureNames, std::vector<std::string>{std::string(256, 't')});
}

TEST_F(ParticleDefinitionTest, AFileIsReadOnceUntilTheCachesAreEmptied)
{
    write("fx", particleFileBytes(plain()));
    const CParticleParameter* first = &loadParticleParameter("fx");
    std::filesystem::remove(dir.path() / "media" / "particle" / "fx.particle");
    EXPECT_EQ(&loadParticleParameter("fx"), first);
    EXPECT_EQ(first->textureNames, std::vector<std::string>{"snow.png"});
    std::vector<std::string> names;
    listParticleNames("", names);
    EXPECT_EQ(names, std::vector<std::string>{"fx"});

    clearParticleCaches();
    EXPECT_TRUE(loadParticleParameter("fx").textureNames.empty());
    listParticleNames("", names);
    EXPECT_TRUE(names.empty());
}

TEST(ParticleFields, CoverTheKeyedBytesOnce)
{
    std::vector<ParticleField> fields = particleFields();
    std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    uint32_t at = 0;
    for (const ParticleField& field : fields)
    {
        EXPECT_EQ(field.offset, at) << field.path;
        at = field.offset + field.size();
    }
    EXPECT_EQ(at, ParticleFieldBytes);
}

TEST(ParticleFile, RejectsDataShorterThanTheOlderLayout)
{
    CParticleParameter definition;
    definition.textureNames = {"kept"};
    const std::vector<uint8_t> bytes(OldParticleRecordSize - 1);
    EXPECT_FALSE(readParticleFile(bytes.data(), bytes.size(), definition));
    EXPECT_FALSE(readParticleFile(nullptr, 0, definition));
    EXPECT_EQ(definition.textureNames, std::vector<std::string>{"kept"});
}

} // namespace
