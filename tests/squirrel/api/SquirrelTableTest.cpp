// Table layout: iteration order after inserts and deletes follows the node layout of the
// reference (main position = hash & (N-1), free cursor moving down, rehash when it hits node 0).
#include <gtest/gtest.h>
#include <squirrel.h>

#include <string>
#include <vector>

namespace {

class SquirrelTableTest : public ::testing::Test {
protected:
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }

    // Keys of the table on top, in sq_next order, as text.
    std::vector<std::string> Keys() {
        std::vector<std::string> keys;
        sq_pushnull(v);
        while (SQ_SUCCEEDED(sq_next(v, -2))) {
            sq_tostring(v, -2);
            const SQChar *s = nullptr;
            sq_getstring(v, -1, &s);
            keys.emplace_back(s);
            sq_pop(v, 3);
        }
        sq_pop(v, 1);
        return keys;
    }

    HSQUIRRELVM v = nullptr;
};

struct TableStep {
    char op;  // '+' insert, '-' delete, 'c' clear
    SQInteger key;
    std::vector<std::string> expected;
};

TEST_F(SquirrelTableTest, IntegerKeyOrderFollowsNodeLayout) {
    // Expected orders derived by hand from the layout rules (hash of an integer = its value).
    const std::vector<TableStep> steps = {
        {'+', 8, {"8"}},
        {'+', 4, {"8", "4"}},                        // collides at node 0, goes to the cursor (node 3)
        {'+', 1, {"8", "1", "4"}},
        {'+', 2, {"8", "1", "2", "4"}},              // cursor reaches node 0: rehash to 8 nodes
        {'-', 1, {"8", "2", "4"}},                   // 3 of 8 used: no shrink
        {'+', 9, {"8", "9", "2", "4"}},              // node 1 emptied by the delete is reused
        {'+', 16, {"8", "9", "2", "4", "16"}},       // collides at node 0, placed at cursor node 7
        {'+', 7, {"8", "9", "2", "4", "16", "7"}},   // 16 is moved out of 7's main position to node 6
        {'-', 9, {"8", "2", "4", "16", "7"}},
        {'-', 2, {"8", "4", "16", "7"}},
        {'-', 4, {"8", "16", "7"}},
        {'-', 16, {"8", "7"}},                       // 2 of 8 used: shrinks to 4 nodes
        {'+', 3, {"8", "3", "7"}},                   // collides with 7 at node 3, cursor is node 2
        {'-', 99, {"8", "3", "7"}},                  // absent key: nothing changes
        {'c', 0, {}},
        {'+', 5, {"5"}},
    };
    sq_newtable(v);
    for (const TableStep &s : steps) {
        if (s.op == '+') {
            sq_pushinteger(v, s.key);
            sq_pushinteger(v, s.key);
            ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
        } else if (s.op == '-') {
            sq_pushinteger(v, s.key);
            sq_rawdeleteslot(v, -2, SQTrue);
            sq_pop(v, 1);
        } else {
            ASSERT_TRUE(SQ_SUCCEEDED(sq_clear(v, -1)));
        }
        EXPECT_EQ(Keys(), s.expected) << "after " << s.op << s.key;
    }
}

TEST_F(SquirrelTableTest, StringKeyOrderUsesCachedHash) {
    // "a" 128, "b" 131, "c" 130, "d" 133: "d" fills node 1 and forces a rehash to 8 nodes.
    sq_newtable(v);
    for (const char *k : {"a", "b", "c", "d"}) {
        sq_pushstring(v, k, -1);
        sq_pushnull(v);
        sq_newslot(v, -3, SQFalse);
    }
    EXPECT_EQ(Keys(), (std::vector<std::string>{"a", "c", "b", "d"}));
}

TEST_F(SquirrelTableTest, IntegerAndFloatAreDifferentKeys) {
    sq_newtable(v);
    sq_pushinteger(v, 1);
    sq_pushstring(v, "int", -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushfloat(v, 1.0f);
    sq_pushstring(v, "float", -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushfloat(v, -0.0f);
    sq_pushstring(v, "minus zero", -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushfloat(v, 0.0f);
    sq_pushstring(v, "zero", -1);
    sq_newslot(v, -3, SQFalse);
    EXPECT_EQ(sq_getsize(v, -1), 4);

    struct Case {
        bool isFloat;
        float value;
        const char *expected;
    };
    for (const Case &c : {Case{false, 1, "int"}, Case{true, 1.0f, "float"}, Case{true, -0.0f, "minus zero"},
                          Case{true, 0.0f, "zero"}}) {
        if (c.isFloat) sq_pushfloat(v, c.value);
        else sq_pushinteger(v, static_cast<SQInteger>(c.value));
        ASSERT_TRUE(SQ_SUCCEEDED(sq_rawget(v, -2)));
        const SQChar *s = nullptr;
        sq_getstring(v, -1, &s);
        EXPECT_STREQ(s, c.expected);
        sq_pop(v, 1);
    }
}

TEST_F(SquirrelTableTest, MissingKeyAndNullKeyErrors) {
    sq_newtable(v);
    sq_pushstring(v, "nope", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, -2)));
    sq_getlasterror(v);
    const SQChar *s = nullptr;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "the index doesn't exist");
    sq_pop(v, 1);

    sq_pushnull(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_newslot(v, -3, SQFalse)));
    sq_getlasterror(v);
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "null is not a valid key");
}

}  // namespace
