// Reference counting, release hooks, weak references and the cycle collector.
#include <gtest/gtest.h>
#include <squirrel.h>

namespace {

int g_hookCalls = 0;
SQInteger g_hookSize = -1;

SQInteger CountingHook(SQUserPointer, SQInteger size) {
    g_hookCalls++;
    g_hookSize = size;
    return 0;
}

class SquirrelMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_hookCalls = 0;
        g_hookSize = -1;
        v = sq_open(1024);
    }
    void TearDown() override {
        if (v) sq_close(v);
    }
    SQObjectType WeakTargetType(SQInteger idx) {
        sq_getweakrefval(v, idx);
        SQObjectType t = sq_gettype(v, -1);
        sq_pop(v, 1);
        return t;
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(SquirrelMemoryTest, ReleaseHookRunsWhenLastReferenceGoes) {
    sq_newuserdata(v, 24);
    sq_setreleasehook(v, -1, CountingHook);
    sq_push(v, -1);
    sq_pop(v, 1);
    EXPECT_EQ(g_hookCalls, 0);  // one reference left on the stack
    sq_pop(v, 1);
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_EQ(g_hookSize, 24);
}

TEST_F(SquirrelMemoryTest, InstanceReleaseHookGetsUserPointer) {
    sq_newclass(v, SQFalse);
    sq_createinstance(v, -1);
    sq_setreleasehook(v, -1, CountingHook);
    sq_pop(v, 1);
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_EQ(g_hookSize, 0);
}

TEST_F(SquirrelMemoryTest, WeakReferenceReadsNullAfterTargetDies) {
    sq_newtable(v);
    sq_weakref(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_WEAKREF);
    EXPECT_EQ(WeakTargetType(-1), OT_TABLE);
    sq_remove(v, -2);  // drop the table itself
    EXPECT_EQ(WeakTargetType(-1), OT_NULL);
}

TEST_F(SquirrelMemoryTest, WeakReferenceOfValueTypeIsTheValue) {
    sq_pushinteger(v, 7);
    sq_weakref(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_INTEGER);
}

TEST_F(SquirrelMemoryTest, SameObjectGivesSameWeakReference) {
    sq_newarray(v, 0);
    sq_weakref(v, -1);
    sq_weakref(v, -2);
    HSQOBJECT a, b;
    sq_getstackobj(v, -1, &a);
    sq_getstackobj(v, -2, &b);
    EXPECT_EQ(a._unVal.pWeakRef, b._unVal.pWeakRef);
}

TEST_F(SquirrelMemoryTest, WeakReferenceInSlotReadsThroughToTarget) {
    sq_newtable(v);            // container
    sq_newarray(v, 0);         // target
    sq_pushstring(v, "w", -1);
    sq_weakref(v, -2);
    sq_newslot(v, -4, SQFalse);
    sq_pushstring(v, "w", -1);
    sq_rawget(v, -3);
    EXPECT_EQ(sq_gettype(v, -1), OT_ARRAY);
    sq_pop(v, 2);              // value and the array
    sq_pushstring(v, "w", -1);
    sq_rawget(v, -2);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
}

TEST_F(SquirrelMemoryTest, CycleIsFreedOnlyByCollectGarbage) {
    // a.other = b; b.other = a; keep only weak references.
    sq_newtable(v);
    sq_newtable(v);
    sq_pushstring(v, "other", -1);
    sq_push(v, -2);
    sq_newslot(v, -4, SQFalse);
    sq_pushstring(v, "other", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_weakref(v, -1);
    sq_remove(v, -2);
    sq_remove(v, -2);
    EXPECT_EQ(sq_gettop(v), 1);
    EXPECT_EQ(WeakTargetType(-1), OT_TABLE);  // the cycle keeps itself alive
    EXPECT_EQ(sq_collectgarbage(v), 2);
    EXPECT_EQ(WeakTargetType(-1), OT_NULL);
    EXPECT_EQ(sq_collectgarbage(v), 0);
}

TEST_F(SquirrelMemoryTest, ReachableObjectsSurviveCollection) {
    HSQOBJECT held;
    sq_newtable(v);
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_weakref(v, -1);
    sq_remove(v, -2);
    sq_pushroottable(v);
    sq_pushstring(v, "g", -1);
    sq_newarray(v, 3);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    EXPECT_EQ(sq_collectgarbage(v), 0);
    EXPECT_EQ(WeakTargetType(-1), OT_TABLE);
    EXPECT_TRUE(sq_release(v, &held));
    EXPECT_EQ(WeakTargetType(-1), OT_NULL);
}

TEST_F(SquirrelMemoryTest, HostReferencesAreCounted) {
    HSQOBJECT o;
    sq_newtable(v);
    sq_getstackobj(v, -1, &o);
    sq_addref(v, &o);
    sq_addref(v, &o);
    sq_pop(v, 1);
    EXPECT_FALSE(sq_release(v, &o));
    EXPECT_TRUE(sq_release(v, &o));
    HSQOBJECT n;
    sq_resetobject(&n);
    EXPECT_TRUE(sq_release(v, &n));
}

TEST_F(SquirrelMemoryTest, CloseRunsPendingReleaseHooks) {
    // A userdata inside a cycle is only released by sq_close.
    sq_newtable(v);
    sq_pushstring(v, "self", -1);
    sq_push(v, -2);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "ud", -1);
    sq_newuserdata(v, 4);
    sq_setreleasehook(v, -1, CountingHook);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    EXPECT_EQ(g_hookCalls, 0);
    sq_close(v);
    v = nullptr;
    EXPECT_EQ(g_hookCalls, 1);
}

}  // namespace
