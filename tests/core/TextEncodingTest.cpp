#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orvane;

namespace
{

struct DecodeCase
{
    const char* what;
    std::string input;
    int result;
    std::u16string output;
};

} // namespace

TEST(TextEncoding, Utf8DecoderCases)
{
    const std::vector<DecodeCase> cases = {
        {"empty", "", 1, u""},
        {"byte-order mark skipped", "\xEF\xBB\xBF" "abc", 1, u"abc"},
        {"mark alone", "\xEF\xBB\xBF", 1, u""},
        {"mark only at the start", "a\xEF\xBB\xBF", 1, u"a\uFEFF"},
        {"two bytes", "\xC3\xA9", 1, u"\u00E9"},
        {"three bytes", "\xE3\x81\x82", 1, u"\u3042"},
        {"four bytes become U+FF1F", "\xF0\x9F\x98\x80" "a", 1, u"\uFF1F" u"a"},
        {"five bytes", "\xF8\x88\x80\x80\x80" "b", 1, u"\uFF1Fb"},
        {"six bytes", "\xFC\x84\x80\x80\x80\x80" "c", 1, u"\uFF1F" u"c"},
        {"lone continuation byte", "\x80", 0, u""},
        {"continuation after text keeps the text", "ab\xBF" "c", 0, u"ab"},
        {"0xFE lead", "\xFE", 0, u""},
        {"0xFF lead", "x\xFF", 0, u"x"},
        {"continuation bits not examined", "\xC3\x29", 1, u"\u00E9"},
        {"cut-off tail decoded with zeros", "a\xE3\x81", 1, u"a\u3040"},
        {"cut-off two-byte tail", "\xC3", 1, u"\u00C0"},
        {"cut-off four-byte tail", "\xF0\x9F", 1, u"\uFF1F"},
        {"NUL is a unit", std::string("a\0b", 3), 1, std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::u16string out = u"stale";
        EXPECT_EQ(utf8ToUtf16(c.input, out), c.result);
        EXPECT_EQ(out, c.output);
        std::u16string wide = u"stale";
        EXPECT_EQ(toWide(CodePageUtf8, c.input, wide), c.result ? 0 : -1);
        EXPECT_EQ(wide, c.output);
    }
}

TEST(TextEncoding, Utf8EncoderCases)
{
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"", ""},
        {u"abc", "abc"},
        {u"\u007F", "\x7F"},
        {u"\u0080", "\xC2\x80"},
        {u"\u00E9", "\xC3\xA9"},
        {u"\u07FF", "\xDF\xBF"},
        {u"\u0800", "\xE0\xA0\x80"},
        {u"\u3042", "\xE3\x81\x82"},
        {std::u16string(1, char16_t(0xD800)), "\xED\xA0\x80"},
        {u"\U0001F600", "\xED\xA0\xBD\xED\xB8\x80"}, // each surrogate by itself
    };
    for (const auto& [input, expected] : cases)
    {
        std::string out = "stale";
        EXPECT_EQ(utf16ToUtf8(input, out), 1);
        EXPECT_EQ(out, expected);
        std::string viaPage = "stale";
        EXPECT_EQ(toMultiByte(CodePageUtf8, input, viaPage), 0);
        EXPECT_EQ(viaPage, expected);
    }
}

TEST(TextEncoding, SurrogateUnitsRoundTripThroughTheEngineCodec)
{
    const std::u16string units = {char16_t(0xD800), u'a', char16_t(0xDFFF), char16_t(0xD83D), char16_t(0xDE00)};
    std::string bytes;
    utf16ToUtf8(units, bytes);
    std::u16string back;
    EXPECT_EQ(utf8ToUtf16(bytes, back), 1);
    EXPECT_EQ(back, units);
}

TEST(TextEncoding, CodePage932BothWays)
{
    struct Case
    {
        const char* what;
        std::string sjis;
        std::u16string wide;
    };
    const std::vector<Case> cases = {
        {"ascii", "Save", u"Save"},
        {"hiragana", "\x82\xA0\x82\xA2", u"\u3042\u3044"},
        {"katakana", "\x83\x41\x83\x93", u"\u30A2\u30F3"},
        {"kanji", "\x8A\xBF\x8E\x9A", u"\u6F22\u5B57"},
        {"half-width katakana", "\xB1", u"\uFF71"},
        {"wave dash of this page", "\x81\x60", u"\uFF5E"},
        {"circled digit of this page", "\x87\x40", u"\u2460"},
        {"empty", "", u""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::u16string wide = u"stale";
        EXPECT_EQ(toWide(CodePageShiftJis, c.sjis, wide), 0);
        EXPECT_EQ(wide, c.wide);
        std::string back = "stale";
        EXPECT_EQ(toMultiByte(CodePageShiftJis, c.wide, back), 0);
        EXPECT_EQ(back, c.sjis);
    }
}

TEST(TextEncoding, OtherPagesStopAtNulAndReplaceWhatTheyCannotMap)
{
    std::u16string wide;
    EXPECT_EQ(toWide(CodePageShiftJis, std::string("ab\0cd", 5), wide), 0);
    EXPECT_EQ(wide, u"ab");
    EXPECT_EQ(toWide(CodePageShiftJis, "a\x82", wide), 0); // lead byte cut off by the end
    EXPECT_EQ(wide, u"a\uFFFD");
    std::string bytes;
    EXPECT_EQ(toMultiByte(CodePageShiftJis, u"a\u00E9b", bytes), 0);
    EXPECT_EQ(bytes, "a?b");
    EXPECT_EQ(toMultiByte(CodePageShiftJis, std::u16string(u"x\0y", 3), bytes), 0);
    EXPECT_EQ(bytes, "x");
}

TEST(TextEncoding, UnknownCodePageFails)
{
    std::u16string wide;
    std::string bytes;
    EXPECT_EQ(toWide(4242424, "abc", wide), -1);
    EXPECT_EQ(toMultiByte(4242424, u"abc", bytes), -1);
}

TEST(TextEncoding, EngineCodePageStartsAsShiftJis)
{
    EXPECT_EQ(getEngineCodePage(), CodePageShiftJis);
    setEngineCodePage(CodePageUtf8);
    EXPECT_EQ(getEngineCodePage(), CodePageUtf8);
    setEngineCodePage(CodePageShiftJis);
}
