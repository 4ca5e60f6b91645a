// Vector2D, Vector3D, ColorF and Rect2DF as scripts see them.
#include "ScriptMachine.h"

#include "script/SquirrelVM.h"
#include "script/Squirrel/SQValueClasses.h"

#include <gtest/gtest.h>

#include <string>

using OrvaneTest::ScriptMachine;

namespace
{

class ValueClasses : public ::testing::Test
{
protected:
    void SetUp() override { Orvane::Squirrel::RegisterValueClasses(); }
    std::string eval(const std::string& expression)
    {
        machine.output.clear();
        const std::string error = machine.run("print(" + expression + ")");
        return error.empty() ? machine.output : "error: " + error;
    }
    ScriptMachine machine;
};

} // namespace

TEST_F(ValueClasses, MembersAreFloats)
{
    ASSERT_EQ(machine.run("v <- Vector3D()"), "");
    EXPECT_EQ(eval("v.x = 1"), "1");
    EXPECT_EQ(eval("typeof v.x + \" \" + v.x"), "float 1");
    EXPECT_EQ(eval("v.y = 2.5"), "2.5");
    // Anything that is not a number stores 0.0.
    const char* others[] = {"\"text\"", "true", "Vector2D()"};
    for (const char* other : others)
    {
        ASSERT_EQ(machine.run("v.z = 9; v.z = " + std::string(other)), "") << other;
        EXPECT_EQ(eval("typeof v.z + \" \" + v.z"), "float 0") << other;
    }
    EXPECT_EQ(eval("v.x + v.y"), "3.5");
    EXPECT_EQ(eval("v.x = null"), "error: the index 'x' does not exist"); // outside the handler's type mask
}

TEST_F(ValueClasses, EveryClassAndItsMembers)
{
    const char* cases[][2] = {
        {"local o = Vector2D(); o.x = 1; o.y = 2; return o.x + o.y", "3"},
        {"local o = Vector3D(); o.x = 1; o.y = 2; o.z = 4; return o.x + o.y + o.z", "7"},
        {"local o = ColorF(); return o.r + o.g + o.b + o.a", "0"},
        {"local o = ColorF(); o.r = 0.5; o.g = 0.25; o.b = 0.125; o.a = 1; return o.r + o.g + o.b + o.a", "1.875"},
        {"local o = Rect2DF(); return o.x + o.y + o.w + o.h", "0"},
        {"local o = Rect2DF(); o.x = 1; o.y = 2; o.w = 30; o.h = 40; return o.x * o.y * o.w * o.h", "2400"},
        {"local o = Vector2D(); return o.x + o.y", "0"},
    };
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(eval("(function() { " + std::string(body) + " })()"), expected) << body;
}

TEST_F(ValueClasses, ConstructorsTakeNoArguments)
{
    for (const char* name : {"Vector2D", "Vector3D", "ColorF", "Rect2DF"})
        EXPECT_EQ(eval(std::string(name) + "(1, 2, 3)"), "error: wrong number of parameters") << name;
}

TEST_F(ValueClasses, UnknownMembersAndIdentity)
{
    // The member handlers refuse, and a failing metamethod reads to scripts as a missing slot.
    EXPECT_EQ(eval("Vector2D().z"), "error: the index 'z' does not exist");
    EXPECT_EQ(eval("Vector3D().w = 1"), "error: the index 'w' does not exist");
    ASSERT_EQ(machine.run("a <- Vector3D(); b <- a; c <- Vector3D()"), "");
    EXPECT_EQ(eval("(a == b) + \" \" + (a == c)"), "true false");
}

TEST_F(ValueClasses, EachClassHoldsOnlyItselfInItsHierarchy)
{
    EXPECT_EQ(eval("Vector3D.__ca.len() + \" \" + (Vector3D.__ca[0] == Vector3D)"), "1 true");
    EXPECT_EQ(eval("ColorF.__ca.len()"), "1");
}
