#include "render/DebugText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

bool SameQuads(const std::vector<Kavro::QuadVertex>& a, const std::vector<Kavro::QuadVertex>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
}

} // namespace

// The small font has glyphs for printable ASCII only; any other byte (UTF-8, control bytes) is drawn as
// "?" instead of being looked up before the start of the font's table.
TEST(DebugText, BytesOutsidePrintableAsciiAreDrawnAsQuestionMarks)
{
    const struct
    {
        const char* text;
        const char* drawnAs;
    } cases[] = {
        {"\xE3\x81\x82", "???"},
        {"a\x01z\x7F", "a?z?"},
        {"tab\there", "tab?here"},
        {"two\nlines", "two\nlines"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.drawnAs);
        const auto drawn = Kavro::BuildDebugText({10.0f, 20.0f}, 0xFFFFFFFF, c.text, 640, 480);
        EXPECT_FALSE(drawn.empty());
        EXPECT_TRUE(SameQuads(drawn, Kavro::BuildDebugText({10.0f, 20.0f}, 0xFFFFFFFF, c.drawnAs, 640, 480)));
    }
}
