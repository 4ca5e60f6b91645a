#include "sqstdformatter.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace {

struct Other {};
using Value = std::variant<int, float, std::string, Other>;

class VectorArguments : public FormatArguments {
public:
    explicit VectorArguments(std::vector<Value> values) : values_(std::move(values)) {}
    int count() const override { return static_cast<int>(values_.size()); }
    Kind kind(int i) const override
    {
        switch (values_[static_cast<std::size_t>(i)].index()) {
        case 0: return Kind::Integer;
        case 1: return Kind::Float;
        case 2: return Kind::String;
        default: return Kind::Other;
        }
    }
    int integerValue(int i) const override
    {
        const Value &v = values_[static_cast<std::size_t>(i)];
        return v.index() == 0 ? std::get<int>(v) : static_cast<int>(std::get<float>(v));
    }
    double floatValue(int i) const override
    {
        const Value &v = values_[static_cast<std::size_t>(i)];
        return v.index() == 0 ? std::get<int>(v) : std::get<float>(v);
    }
    std::string_view stringValue(int i) const override { return std::get<std::string>(values_[static_cast<std::size_t>(i)]); }

private:
    std::vector<Value> values_;
};

struct Case {
    std::string fmt;
    std::vector<Value> args;
    std::string expected; // output, or the error message when `fails`
    bool fails = false;
};

// Names the case by its format string in test listings instead of the struct's raw bytes.
void PrintTo(const Case &c, std::ostream *out) {
    *out << ::testing::PrintToString(c.fmt);
}

class Format : public testing::TestWithParam<Case> {};

TEST_P(Format, ProducesTextOrError)
{
    const Case &c = GetParam();
    std::string out;
    const char *error = nullptr;
    VectorArguments args(c.args);
    bool ok = SQFormatter::format(c.fmt, args, out, error);
    if (c.fails) {
        ASSERT_FALSE(ok) << c.fmt;
        EXPECT_STREQ(error, c.expected.c_str()) << c.fmt;
    } else {
        ASSERT_TRUE(ok) << c.fmt << ": " << error;
        EXPECT_EQ(out, c.expected) << c.fmt;
    }
}

INSTANTIATE_TEST_SUITE_P(Conversions, Format, testing::Values(
    Case{"plain", {}, "plain"},
    Case{"100%%", {}, "100%"},
    Case{"%d|%i", {42, -7}, "42|-7"},
    Case{"%d", {2.9f}, "2"},
    Case{"%u", {-1}, "4294967295"},
    Case{"%x %X %o", {255, 255, 8}, "ff FF 10"},
    Case{"%c%c", {72, 0x169}, "Hi"},
    Case{"%5d|%-5d|%05d|%+d|% d", {42, 42, 42, 42, 42}, "   42|42   |00042|+42| 42"},
    Case{"%#x|%#o", {255, 8}, "0xff|010"},
    Case{"%.3d", {7}, "007"},
    Case{"%e", {12345.678f}, "1.234568e+04"},
    Case{"%G", {1e-10f}, "1E-10"},
    Case{"%f|%.2f|%8.3f|%-8.1f|", {1.5f, 3.14159f, 2.5f, 2.5f}, "1.500000|3.14|   2.500|2.5     |"},
    Case{"%g %E", {100000, 0.5f}, "100000 5.000000E-01"},
    Case{"%s|%5s|%-5s|%.2s", {std::string("ab"), std::string("ab"), std::string("ab"), std::string("abc")}, "ab|   ab|ab   |ab"},
    Case{"%s", {std::string("a\0b", 3)}, "a"},
    Case{"%d", {1, 2, 3}, "1"},
    Case{"%--++  ##00d", {5}, "+5"},
    Case{"%20s", {std::string("x")}, "                   x"}));

INSTANTIATE_TEST_SUITE_P(Errors, Format, testing::Values(
    Case{"%d %d", {1}, "not enough paramters for the given format string", true},
    Case{"abc%", {}, "not enough paramters for the given format string", true},
    Case{"abc%", {1}, "invalid format", true},
    Case{"%ld", {1}, "invalid format", true},
    Case{"%y", {1}, "invalid format", true},
    Case{"%123d", {1}, "width format too long", true},
    Case{"%1.123f", {1.0f}, "precision format too long", true},
    Case{"%---------------------d", {1}, "format too long", true},
    Case{"%s", {1}, "string expected for the specified format", true},
    Case{"%d", {std::string("1")}, "integer expected for the specified format", true},
    Case{"%f", {Other{}}, "float expected for the specified format", true},
    Case{"%q", {std::string("x")}, "invalid format", true}));

TEST(FormatLimits, TwentyFlagCharactersAreAccepted)
{
    std::string out;
    const char *error = nullptr;
    VectorArguments args({5});
    EXPECT_TRUE(SQFormatter::format("%--------------------d", args, out, error)) << error;
    EXPECT_EQ(out, "5");
}

} // namespace
