// System fonts over the library's rasteriser and the installed IPAex Gothic.
#include "text/CSystemFont.h"

#include "core/CApp.h"

#include "fs/ArchiveFileSystem.h"
#include "render/ImageCodec.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace Orvane;

namespace
{

const char* const GothicFile = "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf";

// Coverage of a rectangle of a cache texture, one byte per pixel.
struct Mask
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;

    uint8_t at(int x, int y) const { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
};

struct Box
{
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive; empty when right < left
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

Mask readMask(const FontGlyph& glyph, int left, int top, int width, int height)
{
    auto* texture = static_cast<OrvaneTest::FakeTexture*>(glyph.texture.get());
    Mask mask{width, height, std::vector<uint8_t>(size_t(width) * size_t(height), 0)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int tx = left + x, ty = top + y;
            if (tx >= 0 && ty >= 0 && tx < texture->size[0] && ty < texture->size[1])
                mask.alpha[size_t(y) * size_t(width) + size_t(x)] =
                    uint8_t(texture->pixels[size_t(ty) * size_t(texture->size[0]) + size_t(tx)] >> 24);
        }
    return mask;
}

// The glyph's own rectangle.
Mask cellOf(const FontGlyph& glyph)
{
    return readMask(glyph, glyph.x, glyph.y, glyph.width, glyph.height);
}

Box inkBox(const Mask& mask)
{
    Box box{mask.width, mask.height, -1, -1};
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            if (mask.at(x, y) > 64)
            {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// The ink of the mask cut out and turned a quarter clockwise.
Mask turnedClockwise(const Mask& mask, const Box& box)
{
    Mask out{box.height(), box.width(), std::vector<uint8_t>(size_t(box.width()) * size_t(box.height()), 0)};
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            out.alpha[size_t(x) * size_t(out.width) + size_t(box.height() - 1 - y)] = mask.at(box.left + x, box.top + y);
    return out;
}

Mask cut(const Mask& mask, const Box& box)
{
    Mask out{box.width(), box.height(), std::vector<uint8_t>(size_t(box.width()) * size_t(box.height()), 0)};
    for (int y = 0; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            out.alpha[size_t(y) * size_t(out.width) + size_t(x)] = mask.at(box.left + x, box.top + y);
    return out;
}

// Share of the inked pixels of either mask that both ink, over their common top-left area.
double overlap(const Mask& a, const Mask& b)
{
    int both = 0, either = 0;
    for (int y = 0; y < std::max(a.height, b.height); ++y)
        for (int x = 0; x < std::max(a.width, b.width); ++x)
        {
            const bool inA = x < a.width && y < a.height && a.at(x, y) > 64;
            const bool inB = x < b.width && y < b.height && b.at(x, y) > 64;
            both += inA && inB;
            either += inA || inB;
        }
    return either ? double(both) / either : 0.0;
}

// Name-table strings: bytes as they are, or UTF-16 big-endian.
std::string bigEndian(const std::string& bytes)
{
    return bytes;
}

std::string bigEndian(const std::u16string& text)
{
    std::string out;
    for (const char16_t u : text)
        out += std::string{char(u >> 8), char(u & 0xFF)};
    return out;
}

class SystemFontFaceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = new OrvaneTest::FakeCore;
        app = new CApp("font");
        app->setCore(core);
        CApp::set(app);
    }
    void TearDown() override
    {
        CApp::set(nullptr);
        app->release();
        core->release();
    }

    OrvaneTest::FakeCore* core = nullptr;
    CApp* app = nullptr;
};

// Writes, where ORVANE_FONT_SHEET names a file, a sheet of each character's horizontal cell beside its
// vertical cell, to look at.
void writeContactSheet(CSystemFont& horizontal, CSystemFont& vertical, const std::vector<uint32_t>& codes)
{
    const char* path = std::getenv("ORVANE_FONT_SHEET");
    if (!path)
        return;
    const int cell = std::max({horizontal.cellWidth, horizontal.cellHeight, vertical.cellWidth, vertical.cellHeight}) + 8;
    const int width = cell * 2, height = cell * int(codes.size());
    std::vector<uint32_t> sheet(size_t(width) * size_t(height), 0xFFFFFFFF);
    auto paste = [&](const FontGlyph& glyph, int left, int top) {
        const Mask mask = cellOf(glyph);
        for (int y = 0; y < mask.height && y < cell; ++y)
            for (int x = 0; x < mask.width && x < cell; ++x)
            {
                const uint32_t ink = 255 - mask.at(x, y);
                const bool edge = x == 0 || y == 0 || x == mask.width - 1 || y == mask.height - 1;
                sheet[size_t(top + y) * size_t(width) + size_t(left + x)] =
                    edge ? 0xFFFF8080 : 0xFF000000 | ink << 16 | ink << 8 | ink;
            }
    };
    for (size_t i = 0; i < codes.size(); ++i)
    {
        paste(horizontal.getGlyph(codes[i], 0), 4, int(i) * cell + 4);
        paste(vertical.getGlyph(codes[i], 0), cell + 4, int(i) * cell + 4);
    }
    Kavro::WritePng(path, width, height, sheet.data());
}

} // namespace

TEST_F(SystemFontFaceTest, GlyphInkStaysInsideItsCell)
{
    CSystemFont font(0);
    font.create(24, 400, 10, 0, 0, "IPAexGothic");
    EXPECT_GT(font.cellHeight, 24);
    font.getGlyph('A', 0);
    const FontGlyph a = font.getGlyph(0x3042, 0);
    font.renderGlyph();
    const Mask whole = readMask(a, 0, 0, a.texture->getSize()[0], a.texture->getSize()[1]);
    int inside = 0;
    for (int y = 0; y < whole.height; ++y)
        for (int x = a.x - 8; x < a.x + a.width + 8; ++x)
            if (whole.at(x, y))
            {
                ASSERT_TRUE(x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height) << x << ", " << y;
                ++inside;
            }
    EXPECT_GT(inside, 60);
    EXPECT_EQ(a.bearingBefore + a.width + a.bearingAfter, 24); // a full-width advance
}

TEST_F(SystemFontFaceTest, BoldAndItalicChangeTheInk)
{
    CSystemFont regular(0), bold(0);
    regular.create(32, 400, 10, 0, 0, "IPAexGothic");
    bold.create(32, 700, 10, 0, 0, "IPAexGothic"); // no heavier face installed: emboldened
    const FontGlyph r = regular.getGlyph(0x6F22, 0), b = bold.getGlyph(0x6F22, 0), i = regular.getGlyph(0x6F22, 1);
    regular.renderGlyph();
    bold.renderGlyph();
    auto inked = [](const Mask& mask) { return std::count_if(mask.alpha.begin(), mask.alpha.end(), [](uint8_t a) { return a > 64; }); };
    EXPECT_GT(inked(cellOf(b)), inked(cellOf(r)) * 11 / 10);
    EXPECT_LT(overlap(cellOf(r), cellOf(i)), 0.9); // sheared
}

TEST_F(SystemFontFaceTest, VerticalFontUsesUprightVerticalForms)
{
    CSystemFont horizontal(0), vertical(0);
    horizontal.create(48, 400, 10, 0, 0, "IPAexGothic");
    vertical.create(48, 400, 10, 1, 0, "IPAexGothic");
    EXPECT_EQ(vertical.cellWidth, horizontal.cellHeight);
    const std::vector<uint32_t> codes = {0x300C, 0x300D, 0x3001, 0x3002, 0x30FC, 0xFF08, 0x3042, 0x6F22, 'A'};
    for (const uint32_t code : codes)
    {
        horizontal.getGlyph(code, 0);
        vertical.getGlyph(code, 0);
    }
    horizontal.renderGlyph();
    vertical.renderGlyph();

    // Turned glyphs keep their ink inside their cells too.
    for (const uint32_t code : codes)
    {
        const FontGlyph g = vertical.getGlyph(code, 0);
        const Mask around = readMask(g, g.x - 8, g.y - 8, g.width + 16, g.height + 16);
        const Box box = inkBox(around);
        EXPECT_TRUE(box.left >= 8 && box.top >= 8 && box.right < g.width + 8 && box.bottom < g.height + 8) << code;
    }
    // Brackets and the long vowel mark: the vertical form is the horizontal glyph turned clockwise.
    for (const uint32_t code : {0x300Cu, 0x30FCu})
    {
        const Mask h = cellOf(horizontal.getGlyph(code, 0));
        const Mask v = cellOf(vertical.getGlyph(code, 0));
        const Box hb = inkBox(h), vb = inkBox(v);
        ASSERT_GT(hb.width(), 0);
        EXPECT_NEAR(vb.width(), hb.height(), 2) << code;
        EXPECT_NEAR(vb.height(), hb.width(), 2) << code;
        EXPECT_GT(overlap(turnedClockwise(h, hb), cut(v, vb)), 0.7) << code;
    }
    // The ideographic comma moves from the lower left to the upper right of its square.
    {
        const FontGlyph hg = horizontal.getGlyph(0x3001, 0), vg = vertical.getGlyph(0x3001, 0);
        const Box hb = inkBox(cellOf(hg)), vb = inkBox(cellOf(vg));
        EXPECT_LT(hb.left + hb.right, hg.width);
        EXPECT_GT(hb.top + hb.bottom, horizontal.metrics.ascent);
        EXPECT_GT(vb.left + vb.right, vg.width);
        EXPECT_LT(vb.top + vb.bottom, vg.height);
    }
    // A kana has no vertical form: it reads the same way up in both.
    {
        const Mask h = cellOf(horizontal.getGlyph(0x3042, 0)), v = cellOf(vertical.getGlyph(0x3042, 0));
        EXPECT_GT(overlap(cut(h, inkBox(h)), cut(v, inkBox(v))), 0.8);
    }
    writeContactSheet(horizontal, vertical, codes);
}

TEST_F(SystemFontFaceTest, FontFileFromAnArchiveWinsOverTheInstalledFace)
{
    OrvaneTest::TempDirectory dir;
    std::ifstream in(GothicFile, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty());
    // The same face renamed in its name table to a family that is also installed.
    auto rename = [&](const auto& fromText, const auto& toText) {
        const std::string fromBytes = bigEndian(fromText), toBytes = bigEndian(toText);
        const std::vector<uint8_t> from(fromBytes.begin(), fromBytes.end()), to(toBytes.begin(), toBytes.end());
        auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
        for (; at != bytes.end(); at = std::search(at, bytes.end(), from.begin(), from.end()))
            at = std::copy(to.begin(), to.end(), at);
    };
    rename(std::string("IPAexGothic"), std::string("DejaVu Sans"));
    rename(std::u16string(u"IPAexGothic"), std::u16string(u"DejaVu Sans"));
    // Its Japanese family name too, to one that nothing installed carries.
    rename(std::u16string(u"IPAexゴシック"), std::u16string(u"テスト用ゴシック体"));
    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    writer.add("media/font/gothic.ttf", bytes);
    ASSERT_TRUE(writer.writeFile(dir.file("fonts.wpk"), nullptr));
    core->fileSystem = Kavro::CreateArchiveFileSystem();
    const auto key = Kavro::BuildArchiveKey();
    const uint32_t keyLength = 32;
    ASSERT_EQ(core->fileSystem->mount(dir.file("fonts.wpk").c_str(), key.data(), &keyLength), 0);

    CSystemFont gothic(0), before(0), after(0), unknown(0);
    gothic.create(24, 400, 0, 0, 0, "IPAexGothic");
    before.create(24, 400, 0, 0, 0, "DejaVu Sans");
    EXPECT_NE(before.getMaxGlyphSize(), gothic.getMaxGlyphSize()); // the installed face
    unknown.create(24, 400, 0, 0, 0, "テスト用ゴシック体");
    EXPECT_NE(unknown.getMaxGlyphSize(), gothic.getMaxGlyphSize()); // a default face
    EXPECT_EQ(CSystemFont::loadFontFile("media/font/missing.ttf"), -1);
    ASSERT_EQ(CSystemFont::loadFontFile("media/font/gothic.ttf"), 0);
    after.create(24, 400, 0, 0, 0, "dejavu sans");
    EXPECT_EQ(after.getMaxGlyphSize(), gothic.getMaxGlyphSize());
    EXPECT_EQ(after.metrics.ascent, gothic.metrics.ascent);
    CSystemFont japanese(0);
    japanese.create(24, 400, 0, 0, 0, "テスト用ゴシック体");
    EXPECT_EQ(japanese.getMaxGlyphSize(), gothic.getMaxGlyphSize());
}

TEST_F(SystemFontFaceTest, MissingFaceStillDraws)
{
    CSystemFont font(0);
    font.create(20, 400, 10, 0, 0, "No Such Family Anywhere");
    EXPECT_GT(font.cellHeight, 0);
    const FontGlyph a = font.getGlyph(0x3042, 0); // found through the language hint if not in the default face
    font.renderGlyph();
    const Mask mask = cellOf(a);
    EXPECT_GT(std::count_if(mask.alpha.begin(), mask.alpha.end(), [](uint8_t v) { return v > 64; }), 20);
}

TEST_F(SystemFontFaceTest, MonochromeGlyphsAreFullyOnOrOff)
{
    CSystemFont font(0);
    font.create(24, 400, 10, 0, 1, "IPAexGothic");
    const FontGlyph a = font.getGlyph(0x3042, 0);
    font.renderGlyph();
    const Mask mask = cellOf(a);
    EXPECT_TRUE(std::all_of(mask.alpha.begin(), mask.alpha.end(), [](uint8_t v) { return v == 0 || v == 255; }));
    EXPECT_GT(std::count(mask.alpha.begin(), mask.alpha.end(), uint8_t(255)), 40);
}

// A script's font size reaches the face unchecked: the smallest int has no negative, and a 4096-pixel face
// took about 180 MB of texture per glyph. Sizes are taken by magnitude and bounded; the glyph still draws.
TEST_F(SystemFontFaceTest, HostileSizesAreBounded)
{
    const struct
    {
        int32_t size;
        int32_t sameAs;
    } cases[] = {{-24, 24}, {INT32_MIN, 1024}, {4096, 1024}, {INT32_MAX, 1024}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.size);
        CSystemFont font(0), expected(0);
        font.create(c.size, 400, 10, 0, 0, "IPAexGothic");
        expected.create(c.sameAs, 400, 10, 0, 0, "IPAexGothic");
        EXPECT_EQ(font.getMaxGlyphSize(), expected.getMaxGlyphSize());
        const int64_t textureBytes = int64_t(font.textureWidth) * (font.cellHeight + 16) * 4;
        EXPECT_LE(textureBytes, int64_t(32) << 20);
        const FontGlyph a = font.getGlyph(0x3042, 0);
        font.renderGlyph();
        const Mask mask = cellOf(a);
        EXPECT_GT(std::count_if(mask.alpha.begin(), mask.alpha.end(), [](uint8_t v) { return v > 64; }),
                  c.sameAs * c.sameAs / 20);
    }
}
