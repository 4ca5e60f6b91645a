// The binding framework seen from scripts: a test class with methods, member variables and a
// derived class, and global functions of every argument and result type.
#include "ScriptMachine.h"

#include "script/SqPlus.h"
#include "script/Squirrel/SQValueClasses.h"

#include <kavro/Vector3D.h>

#include <gtest/gtest.h>

#include <string>

using namespace Orvane;
using OrvaneTest::ScriptMachine;

namespace
{

struct Counter
{
    static inline int alive = 0;
    Counter() { ++alive; }
    ~Counter() { --alive; }

    int add(int n) { return value += n; }
    float scaled(float f) const { return f * scale; }
    const char* echo(const char* text)
    {
        last = text;
        return last.c_str();
    }
    int lengthOf(Kavro::Vector3D& v) { return int(v.Length()); }
    int isNull(Kavro::Vector3D* v) { return v == nullptr; }
    SquirrelObject same(SquirrelObject o) { return o; }
    void fail() { throw SquirrelError("engine refused"); }

    int value = 0;
    float scale = 2.0f;
    std::string last;
};

struct Special : Counter
{
    int special() { return 42; }
};

struct Named
{
    explicit Named(const char* name) : name(name) {}
    const char* getName() { return name.c_str(); }
    std::string name;
};

int Twice(int n) { return n * 2; }
float Half(float f) { return f / 2.0f; }
const char* Nothing() { return nullptr; }
void Throws(int) { throw SquirrelError("thrown in the engine"); }

class Binding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Squirrel::RegisterValueClasses();
        SquirrelObject counter = SqPlus::RegisterClassType<Counter>("Counter");
        SqPlus::RegisterInstance(counter, &Counter::add, "add");
        SqPlus::RegisterInstance(counter, &Counter::scaled, "scaled");
        SqPlus::RegisterInstance(counter, &Counter::echo, "echo");
        SqPlus::RegisterInstance(counter, &Counter::lengthOf, "lengthOf");
        SqPlus::RegisterInstance(counter, &Counter::isNull, "isNull");
        SqPlus::RegisterInstance(counter, &Counter::same, "same");
        SqPlus::RegisterInstance(counter, &Counter::fail, "fail");
        SqPlus::RegisterInstanceVariable<Counter, int>(counter, offsetof(Counter, value), "value");
        SqPlus::RegisterInstanceVariable<Counter, float>(counter, offsetof(Counter, scale), "scale",
                                                         SqPlus::VarAccessReadOnly);
        SquirrelObject special = SqPlus::RegisterClassType<Special>("Special", "Counter");
        SqPlus::RegisterInstance(special, &Special::special, "special");
        SquirrelObject named = SqPlus::RegisterClassType<Named>("Named");
        SqPlus::RegisterConstructor<Named, const char*>(named);
        SqPlus::RegisterInstance(named, &Named::getName, "getName");
        SqPlus::RegisterGlobal(&Twice, "Twice");
        SqPlus::RegisterGlobal(&Half, "Half");
        SqPlus::RegisterGlobal(&Nothing, "Nothing");
        SqPlus::RegisterGlobal(&Throws, "Throws");
    }

    // Runs a script that prints one value and returns what it printed (or the error).
    std::string eval(const std::string& expression)
    {
        machine.output.clear();
        const std::string error = machine.run("print(" + expression + ")");
        return error.empty() ? machine.output : "error: " + error;
    }

    ScriptMachine machine;
};

} // namespace

TEST_F(Binding, MethodsGlobalsAndMembersFromScripts)
{
    EXPECT_EQ(eval("Counter().add(3)"), "3");
    EXPECT_EQ(machine.run("c <- Counter(); c.add(2); c.add(5)"), "");
    EXPECT_EQ(eval("c.value"), "7");
    EXPECT_EQ(eval("c.value = 11"), "11");
    EXPECT_EQ(eval("c.add(1)"), "12");
    EXPECT_EQ(eval("c.scaled(1.5)"), "3");
    EXPECT_EQ(eval("c.echo(\"hello\")"), "hello");
    EXPECT_EQ(eval("c.lengthOf(Vector3D())"), "0");
    EXPECT_EQ(eval("c.isNull(null)"), "1");
    EXPECT_EQ(eval("c.same(c) == c"), "true");
    // Called from a coroutine, the argument comes from the coroutine's own stack.
    EXPECT_EQ(eval("newthread(function() { local t = { k = 5 }; return c.same(t).k; }).call()"), "5");
    EXPECT_EQ(eval("Twice(21)"), "42");
    EXPECT_EQ(eval("Half(3.0)"), "1.5");
    EXPECT_EQ(eval("Nothing() == null"), "true");
    EXPECT_EQ(eval("Named(\"ada\").getName()"), "ada");
}

TEST_F(Binding, ArgumentTypesMatchExactly)
{
    const std::string refused = "error: Incorrect function argument";
    const char* cases[] = {
        "Twice(1.5)",                // a float for an integer
        "Half(3)",                   // an integer for a float
        "Twice(\"2\")",              // a string for an integer
        "Twice()",                   // a missing typed argument
        "Counter().echo(1)",         // an integer for a string
        "Counter().lengthOf(null)",  // null for a reference
        "Counter().lengthOf(Vector2D())", // another bound class for a reference
        "Counter().isNull(1)",       // an integer for a pointer
        "Named(3)",                  // the constructor's argument
    };
    for (const char* expression : cases)
        EXPECT_EQ(eval(expression), refused) << expression;
    EXPECT_EQ(eval("Twice(4, 5.5, \"extra\")"), "8"); // extra arguments are ignored
}

TEST_F(Binding, MethodOnAnotherInstanceIsRefused)
{
    EXPECT_EQ(eval("Counter().add.call(Vector3D(), 1)"), "error: Invalid Instance Type");
    EXPECT_EQ(eval("Counter().add.call({}, 1)"), "error: Invalid Instance Type");
    EXPECT_EQ(eval("Named(\"a\").getName.call(Counter())"), "error: Invalid Instance Type");
}

TEST_F(Binding, BaseMethodsAndMembersReachADerivedInstance)
{
    EXPECT_EQ(machine.run("s <- Special()"), "");
    EXPECT_EQ(eval("s.add(4)"), "4");
    EXPECT_EQ(eval("s.special()"), "42");
    EXPECT_EQ(eval("s.value"), "4");
    EXPECT_EQ(eval("Special().special.call(Counter())"), "error: Invalid Instance Type");
}

TEST_F(Binding, MemberVariableRules)
{
    EXPECT_EQ(eval("Counter().scale"), "2");
    // A failing metamethod reads to scripts as a missing slot.
    EXPECT_EQ(eval("Counter().scale = 3.0"), "error: the index 'scale' does not exist");
    EXPECT_EQ(eval("Counter().missing"), "error: the index 'missing' does not exist");
    EXPECT_EQ(machine.run("c <- Counter(); c.value = 1.9"), ""); // an integer member truncates a float
    EXPECT_EQ(eval("c.value"), "1");
}

TEST_F(Binding, EngineErrorsBecomeScriptErrorsAtTheNativeBoundary)
{
    EXPECT_EQ(eval("Counter().fail()"), "error: engine refused");
    EXPECT_EQ(eval("Throws(1)"), "error: thrown in the engine");
    // The machine is intact: the error is caught in the script and the script goes on.
    EXPECT_EQ(eval("(function() { try { Throws(1) } catch (e) { return \"caught \" + e } })()"),
              "caught thrown in the engine");
    EXPECT_EQ(eval("Twice(2)"), "4");
}

TEST_F(Binding, InstancesOwnTheirObjects)
{
    Counter::alive = 0;
    EXPECT_EQ(machine.run("local a = Counter(); local b = Special(); kept <- Counter()"), "");
    EXPECT_EQ(Counter::alive, 1); // the locals died with the function
    EXPECT_EQ(machine.run("kept = null"), "");
    EXPECT_EQ(Counter::alive, 0);
    EXPECT_EQ(machine.run("kept <- [Counter(), Counter()]; kept.append(kept)"), "");
    EXPECT_EQ(Counter::alive, 2);
    machine.close(); // a cycle: the machine's close releases them
    EXPECT_EQ(Counter::alive, 0);
}

TEST_F(Binding, MissingBaseCreatesNoClass)
{
    HSQUIRRELVM vm = machine.vm;
    const SQInteger top = sq_gettop(vm);
    SquirrelObject made = SqPlus::RegisterClassType<Named>("Orphan", "NoSuchBase");
    EXPECT_TRUE(made.IsNull());
    EXPECT_EQ(sq_gettop(vm), top);
    sq_getlasterror(vm);
    const SQChar* text = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(vm, -1, &text)));
    EXPECT_STREQ(text, "the index doesn't exist");
    sq_poptop(vm);
    EXPECT_FALSE(SquirrelVM::GetRootTable().Exists("Orphan"));
}

TEST_F(Binding, ErrorTextIsCopied)
{
    sq_throwerror(machine.vm, "first text");
    SquirrelError error;
    sq_throwerror(machine.vm, "second text");
    machine.close();
    EXPECT_EQ(error.desc, "first text");
    EXPECT_EQ(SquirrelError().desc, "unknown error"); // no machine at all
}

TEST_F(Binding, HandleOutlivingItsMachine)
{
    SquirrelObject table = SquirrelVM::CreateTable();
    SquirrelObject copy = table;
    machine.close();
    testing::internal::CaptureStdout();
    table.Reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SquirrelObject::~SquirrelObject - Cannot release\n");
    EXPECT_TRUE(table.IsNull());
    testing::internal::CaptureStdout();
    copy.Reset();
    testing::internal::GetCapturedStdout();
}

TEST_F(Binding, CallProtocol)
{
    EXPECT_EQ(machine.run("function addUp(a, b) { return a + b + this.offset } offset <- 100"), "");
    SquirrelObject function = SquirrelVM::GetRootTable().GetValue("addUp");
    ASSERT_TRUE(SquirrelVM::BeginCall(function));
    const SQInteger top = sq_gettop(machine.vm);
    EXPECT_FALSE(SquirrelVM::BeginCall(function)); // nothing pushed
    EXPECT_EQ(sq_gettop(machine.vm), top);
    EXPECT_THROW(SquirrelVM::BeginCall(function, SquirrelVM::GetRootTable()), SquirrelError);
    SquirrelVM::PushParam(SQInteger(2));
    SquirrelVM::PushParam(SQInteger(3));
    EXPECT_EQ(SquirrelVM::GetCallState(), 3);
    EXPECT_EQ(SquirrelVM::EndCall().ToInteger(), 105);
    EXPECT_EQ(SquirrelVM::GetCallState(), -1);
    try
    {
        SquirrelVM::PushParam(SQInteger(1));
        FAIL();
    }
    catch (const SquirrelError& error)
    {
        EXPECT_EQ(error.desc, "call not initialized");
    }
    SquirrelObject table = SquirrelVM::GetRootTable();
    try
    {
        SquirrelVM::CreateFunction(table, [](HSQUIRRELVM) -> SQInteger { return 0; }, "f", std::string(60, 'i').c_str());
        FAIL();
    }
    catch (const SquirrelError& error)
    {
        EXPECT_EQ(error.desc, "CreateFunction: typeMask string too long.");
    }
}

TEST_F(Binding, GetOfTheWrongTypeRaises)
{
    sq_pushstring(machine.vm, "text", -1);
    try
    {
        SqPlus::Arg<int>::Get(machine.vm, -1);
        FAIL();
    }
    catch (const SquirrelError& error)
    {
        EXPECT_EQ(error.desc, "sq_get*() failed (type error)");
    }
    sq_poptop(machine.vm);
}

TEST_F(Binding, InitWithoutAMachineOpensOne)
{
    machine.close();
    ASSERT_TRUE(SquirrelVM::Init());
    HSQUIRRELVM own = SquirrelVM::GetVMPtr();
    ASSERT_NE(own, nullptr);
    SquirrelObject root = SquirrelVM::GetRootTable();
    EXPECT_TRUE(root.Exists("file"));
    EXPECT_TRUE(root.Exists("blob"));
    EXPECT_TRUE(root.Exists("format"));
    EXPECT_TRUE(SquirrelVM::Init(own)); // already current: nothing changes
    EXPECT_EQ(SquirrelVM::GetRootTable().GetType(), OT_TABLE);
    SquirrelVM::Release(); // the machine itself is closed when the process ends
}

TEST_F(Binding, HandleOperations)
{
    ASSERT_EQ(machine.run("t <- { a = 1, b = \"two\" }\narr <- [10, 20, 30]; s <- \"four\""), "");
    SquirrelObject root = SquirrelVM::GetRootTable();
    SquirrelObject table = root.GetValue("t");
    SquirrelObject array = root.GetValue("arr");
    EXPECT_EQ(table.Len(), 2);
    EXPECT_EQ(array.Len(), 3);
    EXPECT_EQ(root.GetValue("s").Len(), 4);
    EXPECT_EQ(SquirrelObject().Len(), 0);
    EXPECT_TRUE(table.Exists("a"));
    EXPECT_FALSE(table.Exists("z"));
    EXPECT_TRUE(table.GetValue("z").IsNull());
    EXPECT_STREQ(table.GetValue("b").ToString(), "two");

    SQInteger sum = 0;
    ASSERT_TRUE(array.BeginIteration());
    SquirrelObject key, value;
    while (array.Next(key, value))
        sum += key.ToInteger() * 100 + value.ToInteger();
    EXPECT_EQ(sum, 300 + 60);
    EXPECT_FALSE(root.GetValue("s").BeginIteration());

    int marker = 0;
    ASSERT_TRUE(table.SetUserPointer(5, &marker));
    EXPECT_EQ(table.GetUserPointer(5), &marker);
    EXPECT_EQ(table.GetUserPointer(6), nullptr);
    EXPECT_TRUE(table.SetValue(7, "seven"));
    EXPECT_EQ(table.GetUserPointer(7), nullptr); // another type
    EXPECT_TRUE(table.SetValue("f", 1.5f));
    EXPECT_EQ(table.GetValue("f").ToFloat(), 1.5f);
    EXPECT_EQ(table.GetValue("f").ToInteger(), 1);

    array.ArrayAppend(table);
    EXPECT_EQ(array.Len(), 4);
    SquirrelObject delegate = SquirrelVM::CreateTable();
    delegate.SetValue("inherited", SQInteger(9));
    EXPECT_TRUE(table.SetDelegate(delegate));
    EXPECT_EQ(machine.run("if (t.inherited != 9) throw \"no delegate\""), "");
    EXPECT_FALSE(array.SetDelegate(delegate));
    EXPECT_TRUE(array.GetDelegate().IsNull());

    SQUserPointer tag = nullptr;
    EXPECT_TRUE(root.GetValue("Counter").GetTypeTag(&tag));
    EXPECT_EQ(tag, SqPlus::ClassType<Counter>::Get().tag());
    EXPECT_FALSE(table.GetTypeTag(&tag));
    ASSERT_EQ(machine.run("inst <- Counter()"), "");
    EXPECT_NE(root.GetValue("inst").GetInstanceUP(), nullptr);
    EXPECT_EQ(table.GetInstanceUP(), nullptr);
}
