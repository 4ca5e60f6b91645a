// The machine state of a suspended thread: taken, checked and put into a new thread. Every count
// and index of an image is checked before it reaches a thread.
#include "ScriptHostFixture.h"


#include "sqinternal.h"
#include "sqthreadimage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace OrvaneTest
{
namespace
{

// Suspended two calls deep, inside a try in each frame, with variable arguments in the inner one.
const char* const Scene = R"(
function inner(n, ...) {
    try { suspend(vargc); } catch (e) { print("inner " + e); }
    throw "up " + n;
}
function outer() {
    local kept = [1, 2];
    try { inner(5, "a", "b"); } catch (e) { print(e + " " + kept.len()); }
    suspend(0);
    print(" end");
}
scene <- newthread(outer);
scene.call();
)";

class ThreadImageTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        startHost();
        ASSERT_EQ(runSnippet(Scene), "");
        thread = Orvane::CSquirrel::getRootTable().GetValue("scene").GetObjectHandle();
        ASSERT_EQ(sq_type(thread), OT_THREAD);
        ASSERT_EQ(image.capture(thread._unVal.pThread), nullptr);
    }

    void TearDown() override
    {
        // Script values go before their machine.
        thread.Null();
        image = SQThreadImage();
        ScriptHostFixture::TearDown();
    }

    // A new thread as a restore makes it.
    SQObjectPtr freshThread()
    {
        SQVM* made = new SQVM(_ss(host->getVM()));
        SQObjectPtr keep(made);
        EXPECT_TRUE(made->Init(host->getVM(), 64));
        return keep;
    }

    SQObjectPtr thread;
    SQThreadImage image;
};

TEST_F(ThreadImageTest, TakenStateRunsOnInAnotherThread)
{
    ASSERT_EQ(image.frames.size(), 2u);
    EXPECT_EQ(image.traps.size(), 2u);
    EXPECT_EQ(image.frames[0].traps + image.frames[1].traps, 2u);
    EXPECT_EQ(image.varargs.size(), 2u);
    EXPECT_TRUE(image.suspended);
    ASSERT_EQ(image.check(), nullptr);

    SQObjectPtr copy = freshThread();
    image.applyTo(copy._unVal.pThread);
    HSQUIRRELVM vm = host->getVM();
    sq_pushroottable(vm);
    sq_pushstring(vm, "copy", -1);
    sq_pushobject(vm, copy);
    sq_createslot(vm, -3);
    sq_pop(vm, 1);
    output.clear();
    ASSERT_EQ(runSnippet("copy.wakeup(); copy.wakeup(); print(\"|\" + copy.getstatus())"), "")
        << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(output, "up 5 2 end|idle");
    // The original is untouched and runs the same way.
    output.clear();
    ASSERT_EQ(runSnippet("scene.wakeup(); scene.wakeup(); print(\"|\" + scene.getstatus())"), "");
    EXPECT_EQ(output, "up 5 2 end|idle");
}

struct BadImage
{
    const char* what;
    std::function<void(SQThreadImage&)> spoil;
};

TEST_F(ThreadImageTest, EveryCountAndIndexIsChecked)
{
    const SQInteger big = 0x7FFFFFFF;
    const BadImage cases[] = {
        {"stack top beyond the stack", [](SQThreadImage& i) { i.top = uint32_t(i.stack.size() + 1); }},
        {"stack base above the top", [](SQThreadImage& i) { i.base = i.top + 1; }},
        {"no function slot", [](SQThreadImage& i) { i.frames.clear(); i.traps.clear(); i.suspended = false; i.top = i.base = 0; }},
        {"more frames than capacity", [](SQThreadImage& i) { i.frameCapacity = uint32_t(i.frames.size() - 1); }},
        {"capacity beyond the call depth", [&](SQThreadImage& i) { i.frameCapacity = uint32_t(big); }},
        {"native call depth", [](SQThreadImage& i) { i.nativeCalls = MAX_NATIVE_CALLS + 1; }},
        {"frames of a thread not suspended", [](SQThreadImage& i) { i.suspended = false; }},
        {"suspended without frames", [](SQThreadImage& i) { i.frames.clear(); i.traps.clear(); i.suspendedTraps = 0; }},
        {"instruction past the code",
         [](SQThreadImage& i) { i.frames[1].instruction = uint32_t(i.frames[1].closure._unVal.pClosure->Proto()->_instructions.size()); }},
        {"frame base below the stack", [](SQThreadImage& i) { i.frames[0].previousBase = i.base; }},
        {"caller top beyond the stack", [](SQThreadImage& i) { i.frames[1].previousTop = uint32_t(i.stack.size() + 1); }},
        {"result register outside the caller", [](SQThreadImage& i) { i.frames[1].target = 300; }},
        {"result register below -1", [](SQThreadImage& i) { i.frames[1].target = -2; }},
        {"frame closure not a script function", [](SQThreadImage& i) { i.frames[1].closure = SQObjectPtr(SQInteger(3)); }},
        {"call count zero", [](SQThreadImage& i) { i.frames[0].calls = 0; }},
        {"root flag on the inner frame", [](SQThreadImage& i) { i.frames[1].root = true; }},
        {"variable arguments past the stack", [](SQThreadImage& i) { i.frames[1].varargBase = 1; }},
        {"variable arguments claimed twice", [](SQThreadImage& i) { i.frames[0].varargCount = 1; }},
        {"trap count without its trap", [](SQThreadImage& i) { i.frames[0].traps++; }},
        {"trap without a trap count", [](SQThreadImage& i) { i.traps.push_back(i.traps.back()); }},
        {"suspended trap count without traps", [](SQThreadImage& i) { i.suspendedTraps++; }},
        {"trap of another frame's base", [](SQThreadImage& i) { i.traps[1].stackBase = i.traps[0].stackBase; }},
        {"trap top beyond the stack", [](SQThreadImage& i) { i.traps[0].stackTop = uint32_t(i.stack.size() + 1); }},
        {"trap past the code", [](SQThreadImage& i) { i.traps[0].instruction = 100000; }},
        {"trap register outside the frame", [](SQThreadImage& i) { i.traps[1].target = 1000; }},
        {"suspend target outside the frame", [](SQThreadImage& i) { i.suspendedTarget = 1000; }},
        {"suspend root flag differs", [](SQThreadImage& i) { i.suspendedRoot = true; }},
        {"suspended variable arguments past the stack", [](SQThreadImage& i) { i.suspendedVarargBase = 2; }},
        {"stack beyond capacity", [](SQThreadImage& i) { i.stack.resize(size_t(SQValueStack::kCapacity) + 1); }},
    };
    for (const BadImage& bad : cases)
    {
        SQThreadImage spoilt = image;
        bad.spoil(spoilt);
        EXPECT_NE(spoilt.check(), nullptr) << bad.what;
    }
}

TEST_F(ThreadImageTest, IdleAndNeverStartedThreadsHaveNoFrames)
{
    ASSERT_EQ(runSnippet("scene.wakeup(); scene.wakeup(); fresh <- newthread(function() {})"), "");
    for (const char* name : {"scene", "fresh"})
    {
        SQThreadImage idle;
        SQObjectPtr value = Orvane::CSquirrel::getRootTable().GetValue(name).GetObjectHandle();
        ASSERT_EQ(idle.capture(value._unVal.pThread), nullptr) << name;
        EXPECT_TRUE(idle.frames.empty());
        EXPECT_TRUE(idle.traps.empty());
        EXPECT_FALSE(idle.suspended);
        EXPECT_EQ(idle.check(), nullptr) << name;
        // Stale suspend fields of a finished thread never reach the new one.
        idle.suspendedTraps = 3;
        idle.suspendedTarget = 9;
        SQObjectPtr copy = freshThread();
        idle.applyTo(copy._unVal.pThread);
        EXPECT_EQ(sq_getvmstate(copy._unVal.pThread), SQ_VMSTATE_IDLE);
        EXPECT_EQ(copy._unVal.pThread->_suspended_traps, 0);
    }
}

} // namespace
} // namespace OrvaneTest
