// The table form of a particle definition: building it from a record, reading a table into a record
// with the typed-read rules, the texture name list, and the application class handing out tables.

#include "particle/ParticleCaches.h"
#include "particle/Squirrel/ParticleTable.h"

#include "script/SquirrelVM.h"

#include "ScriptMachine.h"
#include "ScriptedAppFixture.h"
#include "support/ParticleFileWriter.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

using namespace Orvane;
using namespace Orvane::Particle;

namespace
{

class ParticleTableTest : public ::testing::Test
{
protected:
    // Runs the snippet and reads the root table's value "t" into definition (starting from what it holds).
    int readInto(CParticleParameter& definition, const std::string& source)
    {
        EXPECT_EQ(machine.run(source), "");
        return readParticleParameter(definition, SquirrelVM::GetRootTable().GetValue("t"));
    }
    // What the script says of an expression over the table made from definition, stored as "t".
    std::string describe(const CParticleParameter& definition, const std::string& expression)
    {
        SquirrelVM::GetRootTable().SetValue("t", makeParticleParameterTable(definition));
        machine.output.clear();
        EXPECT_EQ(machine.run("print(" + expression + ")"), "");
        return machine.output;
    }

    OrvaneTest::ScriptMachine machine;
};

TEST_F(ParticleTableTest, TableReadBackGivesTheSameFieldsAndNames)
{
    const CParticleParameter written = OrvaneTest::scrambledParticleParameter(21);
    CParticleParameter read;
    ASSERT_EQ(readParticleParameter(read, makeParticleParameterTable(written)), 0);
    EXPECT_EQ(std::memcmp(&read.record, &written.record, ParticleFieldBytes), 0);
    EXPECT_EQ(read.textureNames, written.textureNames);
    EXPECT_TRUE(std::all_of(std::begin(read.record.reserved), std::end(read.record.reserved),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(ParticleTableTest, KeysNestAndCarryTheirFieldTypes)
{
    CParticleParameter definition;
    definition.record.sprite.size.middle.timing = 0.5f;
    definition.record.occur.particle_num.num = 40;
    definition.record.polyline.time = 250.0f;
    std::strcpy(definition.record.font.name, "Gothic");
    definition.record.sprite.color.use_frame = 1;
    definition.textureNames = {"a.png", "b.png"};
    const struct
    {
        const char* expression;
        const char* printed;
    } cases[] = {
        {"typeof t.sprite.size.middle.timing + t.sprite.size.middle.timing", "float0.5"},
        {"typeof t.occur.particle_num.num + t.occur.particle_num.num", "integer40"},
        {"typeof t.polyline.time + t.polyline.time", "float250"},
        {"typeof t.font.name + t.font.name", "stringGothic"},
        {"t.sprite.color.use_frame + \",\" + (\"use_frame\" in t.sprite.color.end)", "1,false"},
        {"t.sprite.size.frame.time + \",\" + t.rotate.z.frame.random_range", "0,0"},
        {"t.move.box_range.touch_sound_files.front.len()", "0"},
        {"t.turn.angular_velocity.end.z.is_reverse_value", "0"},
        {"t.texture_filename_list.len() + t.texture_filename_list[1]", "2b.png"},
        {"\"reserved\" in t", "false"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.expression);
        EXPECT_EQ(describe(definition, c.expression), c.printed);
    }
}

TEST_F(ParticleTableTest, ValuesAreConvertedToTheFieldType)
{
    const std::string hundred(100, 'n');
    const std::string ninetyNine(99, 'n');
    CParticleParameter d;
    ASSERT_EQ(readInto(d, "::t <- {is_use_particle = true, version = 2.9, texture_count = \"yes\","
                          " texture_use_count = -2.9, texture_random = 10000000000.0, occur = {count = null},"
                          " polyline = {time = 3, num = 1.5}, font = {size = -100000000000000000000.0, name = 7},"
                          " particle_name = \"" + hundred + "\", texture_filename = \"" + ninetyNine + "\","
                          " texture_filename_list = [\"a\", 7]}"),
              0);
    const ParticleRecord& r = d.record;
    EXPECT_EQ(r.is_use_particle, 1);
    EXPECT_EQ(r.version, 2);
    EXPECT_EQ(r.texture_count, 0);
    EXPECT_EQ(r.texture_use_count, -2);
    EXPECT_EQ(r.texture_random, INT_MAX);
    EXPECT_EQ(r.font.size, INT_MIN);
    EXPECT_EQ(r.occur.count, 0);
    EXPECT_EQ(r.polyline.time, 3.0f);
    EXPECT_EQ(r.polyline.num, 1);
    EXPECT_EQ(fieldText(r.font.name), "");
    EXPECT_EQ(fieldText(r.particle_name), "");
    EXPECT_EQ(fieldText(r.texture_filename), ninetyNine);
    EXPECT_EQ(d.textureNames, (std::vector<std::string>{"a", ""}));
}

TEST_F(ParticleTableTest, MissingKeysAndWrongHoldersKeepTheFields)
{
    CParticleParameter d = OrvaneTest::scrambledParticleParameter(4);
    const CParticleParameter before = d;
    ASSERT_EQ(readInto(d, "::t <- {sprite = 5, occur = {particle_num = [1, 2]}, move = {earth = {height = 2}}}"), 0);
    EXPECT_EQ(std::memcmp(&d.record.sprite, &before.record.sprite, sizeof d.record.sprite), 0);
    EXPECT_EQ(std::memcmp(&d.record.occur, &before.record.occur, sizeof d.record.occur), 0);
    EXPECT_EQ(d.record.move.earth.height, 2.0f);
    EXPECT_EQ(d.record.move.earth.restitution, before.record.move.earth.restitution);
    EXPECT_TRUE(d.textureNames.empty()) << "a missing list leaves no names, even with texture_filename set";

    CParticleParameter empty;
    ASSERT_EQ(readInto(empty, "::t <- {}"), 0);
    const CParticleParameter zero;
    EXPECT_EQ(std::memcmp(&empty.record, &zero.record, ParticleRecordSize), 0);

    CParticleParameter untouched = before;
    EXPECT_EQ(readInto(untouched, "::t <- [1]"), -1);
    EXPECT_EQ(std::memcmp(&untouched.record, &before.record, ParticleRecordSize), 0);
    EXPECT_EQ(untouched.textureNames, before.textureNames);
}

TEST_F(ParticleTableTest, NothingIsConvertedOnTheWayIn)
{
    CParticleParameter d;
    ASSERT_EQ(readInto(d, "::t <- {version = 2, texture_count = 5, texture_use_count = 0,"
                          " polyline = {num = 4}, texture_filename_list = {one = \"x\"}}"),
              0);
    EXPECT_EQ(d.record.version, 2);
    EXPECT_EQ(d.record.texture_count, 5);
    EXPECT_EQ(d.record.texture_use_count, 0);
    EXPECT_EQ(d.record.polyline.num, 4);
    EXPECT_EQ(d.textureNames, std::vector<std::string>{"x"});
}

class ParticleParameterScriptTest : public OrvaneTest::ScriptedAppTest
{
};

TEST_F(ParticleParameterScriptTest, ApplicationHandsOutTheTableOfANamedDefinition)
{
    CParticleParameter definition;
    std::strcpy(definition.record.texture_filename, "snow.png");
    definition.record.texture_count = 2;
    definition.record.occur.particle_num.num = 64;
    definition.textureNames = {"snow.png", "petal.png"};
    OrvaneTest::writeParticleFile(folder.path(), "snow", OrvaneTest::particleFileBytes(definition));
    start("::app <- SQApp(\"app\");\nwhile (true) Suspend();\n");
    ASSERT_EQ(frame(16), 0);

    EXPECT_EQ(eval("::app.getParticleParameter(\"snow\").occur.particle_num.num"), "64");
    EXPECT_EQ(eval("::app.getParticleParameter(\"snow\").texture_filename_list[1]"), "petal.png");
    EXPECT_EQ(eval("::app.getParticleNameList(\"\")[0]"), "snow");
    EXPECT_EQ(eval("::app.getParticleParameter(\"none\").texture_filename_list.len()"), "0");
    EXPECT_EQ(eval("::app.getParticleParameter(\"none\").occur.particle_num.num"), "0");
    clearParticleCaches();
}

} // namespace
