#include "sqstdrex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct SearchCase {
    const char *pattern;
    const char *text;
    int begin; // -1: no match
    int end;
};

// Names the case by pattern and text in test listings instead of the struct's raw bytes.
void PrintTo(const SearchCase &c, std::ostream *out) {
    *out << ::testing::PrintToString(std::string(c.pattern)) << " in " << ::testing::PrintToString(std::string(c.text));
}

class RexSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(RexSearch, FindsFirstMatchByTheNonBacktrackingRules)
{
    const SearchCase &c = GetParam();
    SQRex rex;
    const char *error = nullptr;
    ASSERT_TRUE(rex.compile(c.pattern, error)) << c.pattern << ": " << error;
    const char *b = nullptr, *e = nullptr;
    bool found = rex.searchRange(c.text, c.text + std::strlen(c.text), b, e);
    if (c.begin < 0) {
        EXPECT_FALSE(found) << c.pattern << " in '" << c.text << "'";
    } else {
        ASSERT_TRUE(found) << c.pattern << " in '" << c.text << "'";
        EXPECT_EQ(b - c.text, c.begin) << c.pattern << " in '" << c.text << "'";
        EXPECT_EQ(e - c.text, c.end) << c.pattern << " in '" << c.text << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RexSearch, testing::Values(
    SearchCase{"a.*b", "axbyb", 0, 3},
    SearchCase{"\\w+\\b", "ab cd", 0, 1},
    SearchCase{"a+a", "aaa", 0, 2},
    SearchCase{"a.", "a", 0, 2},
    SearchCase{"a.*", "a", 0, 2},
    SearchCase{"(a|ab)c", "abc", -1, -1},
    SearchCase{"\\bfoo", "a foo b", -1, -1},
    SearchCase{"foo\\b", "a foo b", 2, 5},
    SearchCase{"$", "abc", -1, -1},
    SearchCase{"x*", "", -1, -1},
    SearchCase{"x*", "abc", 0, 0},
    SearchCase{")", "a)", 1, 2},
    SearchCase{"*a", "b*a", 1, 3},
    SearchCase{"a??", "xa?", 1, 3},
    SearchCase{"[z-a]", "az", -1, -1},
    SearchCase{"[a-\\d]", "xc", 1, 2},
    SearchCase{"[-a]", "x-", 1, 2},
    SearchCase{"[^a-c]+", "abxyc", 2, 4},
    SearchCase{"\\d{2,3}", "a12345", 1, 4},
    SearchCase{"\\d{2}", "a12345", 1, 3},
    SearchCase{"a{3,1}", "aaaa", -1, -1},
    SearchCase{"^b", "ab", -1, -1},
    SearchCase{"b$", "abb", 2, 3},
    SearchCase{"\\x+", "zz0fG", 2, 4},
    SearchCase{"a|b|c", "zzc", 2, 3},
    SearchCase{"(?:ab)+", "xababa", 1, 5}));

TEST(RexCapture, FollowsTheCounterNumberingRule)
{
    struct Case {
        const char *pattern;
        const char *text;
        std::vector<std::pair<int, int>> groups; // begin, len
    };
    const std::vector<Case> cases = {
        {"(a)+", "aaa", {{0, 3}, {0, 1}}},
        {"(?:b|(a))(c)", "bc", {{0, 2}, {0, 0}, {0, 0}}},
        {"(a)|(b)", "b", {{0, 1}, {0, 0}, {0, 1}}},
        {"(\\w+) (\\w+)", "hello world", {{0, 11}, {0, 5}, {6, 5}}},
    };
    for (const Case &c : cases) {
        SQRex rex;
        const char *error = nullptr;
        ASSERT_TRUE(rex.compile(c.pattern, error)) << c.pattern;
        ASSERT_EQ(rex.subExpCount(), static_cast<int>(c.groups.size())) << c.pattern;
        const char *b = nullptr, *e = nullptr;
        ASSERT_TRUE(rex.searchRange(c.text, c.text + std::strlen(c.text), b, e)) << c.pattern;
        for (std::size_t i = 0; i < c.groups.size(); ++i) {
            const SQRex::Capture &m = rex.subExp(static_cast<int>(i));
            int begin = m.len == 0 ? 0 : static_cast<int>(m.begin - c.text);
            EXPECT_EQ(begin, c.groups[i].first) << c.pattern << " group " << i;
            EXPECT_EQ(m.len, c.groups[i].second) << c.pattern << " group " << i;
        }
    }
}

TEST(RexMatch, RequiresTheWholeText)
{
    struct Case {
        const char *pattern;
        const char *text;
        bool matches;
    };
    const Case cases[] = {
        {"a*", "", true}, {"a*", "aaa", true}, {"a*", "aab", false}, {"abc", "abcd", false},
        {"[0-9]+\\.[0-9]+", "3.25", true}, {"\\s*x\\s*", " \tx\n", true}, {"a.", "a", false},
    };
    for (const Case &c : cases) {
        SQRex rex;
        const char *error = nullptr;
        ASSERT_TRUE(rex.compile(c.pattern, error)) << c.pattern;
        EXPECT_EQ(rex.match(c.text, c.text + std::strlen(c.text)), c.matches) << c.pattern << " on " << c.text;
    }
}

TEST(RexCompile, ReportsEachCompilerMessage)
{
    struct Case {
        const char *pattern;
        const char *message;
    };
    const Case cases[] = {
        {"a**", "unexpected character"},
        {"a)", "unexpected character"},
        {"", "unexpected character"},
        {"(", "letter expected"},
        {"(a", "expected paren"},
        {"(?a)", "expected paren"},
        {"[]", "empty class"},
        {"[^]", "empty class"},
        {"[abc", "letter expected"},
        {"[a-]", "letter expected"},
        {"[\\d-z]", "cannot use character classes in ranges"},
        {"a{x}", "number expected"},
        {"a{2x", ", or } expected"},
        {"a{2,", "expected paren"},
        {"a{2,3", "expected paren"},
        {"a{1234567890}", "overflow in numeric constant"},
        {"a\tb", "letter expected"},
    };
    for (const Case &c : cases) {
        SQRex rex;
        const char *error = nullptr;
        EXPECT_FALSE(rex.compile(c.pattern, error)) << c.pattern;
        EXPECT_STREQ(error, c.message) << c.pattern;
    }
}

TEST(RexCompile, DeepGroupNestingIsAnErrorNotAStackOverflow)
{
    SQRex rex;
    const char *error = nullptr;
    std::string deep(20000, '(');
    EXPECT_FALSE(rex.compile(deep.c_str(), error));
    EXPECT_STREQ(error, "groups nested too deep");
    std::string fine = std::string(200, '(') + "a" + std::string(200, ')');
    EXPECT_TRUE(rex.compile(fine.c_str(), error));
    const char *text = "a";
    EXPECT_TRUE(rex.match(text, text + 1));
}

} // namespace
