#include "text/CSystemFont.h"

#include "core/CApp.h"

#include "support/FakeCore.h"

#include <kavro/RefCounted.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

struct FakeGlyph
{
    Kavro::GlyphMetrics metrics;
    std::vector<uint8_t> bitmap;
};

// A face that answers set metrics and bitmaps, as the rasteriser shapes them.
class FakeFace : public Kavro::RefCounted<Kavro::IFontFace>
{
public:
    FakeFace(Kavro::FontTextMetrics metrics, std::map<uint32_t, FakeGlyph>& glyphs, std::vector<std::string>& log,
             std::string tag)
        : metrics_(metrics), glyphs_(glyphs), log_(log), tag_(std::move(tag))
    {
    }
    Kavro::FontTextMetrics getTextMetrics() override { return metrics_; }
    int getGlyphBitmap(uint32_t code, int format, Kavro::GlyphMetrics& metrics, uint32_t bufferSize,
                       void* buffer) override
    {
        log_.push_back(tag_ + " " + std::to_string(code) + " " + std::to_string(format) +
                       (buffer ? " fill" : " size"));
        const auto found = glyphs_.find(code);
        if (found == glyphs_.end())
            return -1;
        metrics = found->second.metrics;
        if (buffer)
            std::copy_n(found->second.bitmap.begin(), std::min<size_t>(bufferSize, found->second.bitmap.size()),
                        static_cast<uint8_t*>(buffer));
        return int(found->second.bitmap.size());
    }

private:
    Kavro::FontTextMetrics metrics_;
    std::map<uint32_t, FakeGlyph>& glyphs_;
    std::vector<std::string>& log_;
    std::string tag_;
};

class FakeRasterizer : public Kavro::RefCounted<Kavro::IGlyphRasterizer>
{
public:
    Kavro::IFontFace* createFace(int size, int weight, int italic, int charset, const char* faceName) override
    {
        log.push_back("createFace " + std::to_string(size) + " " + std::to_string(weight) + " " +
                      std::to_string(italic) + " " + std::to_string(charset) + " " + faceName);
        return new FakeFace(metrics, glyphs, log, italic ? "italic" : "upright");
    }
    int addFontMemory(const uint8_t*, size_t) override { return 1; }

    Kavro::FontTextMetrics metrics{30, 24, 6, 30};
    std::map<uint32_t, FakeGlyph> glyphs;
    std::vector<std::string> log;
};

class SystemFontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = new OrvaneTest::FakeCore;
        app = new CApp("font");
        app->setCore(core);
        CApp::set(app);
        CSystemFont::setRasterizer(&rasterizer);
    }
    void TearDown() override
    {
        CSystemFont::setRasterizer(nullptr);
        CApp::set(nullptr);
        app->release();
        core->release();
    }
    static uint32_t pixel(const FontGlyph& glyph, int x, int y)
    {
        auto* texture = static_cast<OrvaneTest::FakeTexture*>(glyph.texture.get());
        return texture->pixels.at(size_t(y) * size_t(texture->size[0]) + size_t(x));
    }
    // A grey glyph of the given box, every pixel at level.
    void greyGlyph(uint32_t code, uint32_t width, uint32_t height, int originX, int originY, int16_t advance,
                   uint8_t level)
    {
        const uint32_t pitch = (width + 3) & ~3u;
        FakeGlyph glyph{{width, height, originX, originY, advance, 0}, std::vector<uint8_t>(pitch * height, 0)};
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                glyph.bitmap[y * pitch + x] = level;
        rasterizer.glyphs[code] = glyph;
    }

    FakeRasterizer rasterizer;
    OrvaneTest::FakeCore* core = nullptr;
    CApp* app = nullptr;
};

} // namespace

TEST_F(SystemFontTest, CreateAsksForBothFacesAndSizesTheCell)
{
    CSystemFont font(0);
    EXPECT_EQ(font.create(24, 700, 10, 0, 0, "Gothic"), 0);
    EXPECT_EQ(rasterizer.log, (std::vector<std::string>{"createFace 24 700 0 128 Gothic", "createFace 24 700 1 128 Gothic"}));
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(40, 30)); // 30 x 1.35, height

    rasterizer.log.clear();
    font.create(24, 400, 13, 1, 1, "Gothic");
    EXPECT_EQ(rasterizer.log.front(), "createFace 24 400 0 1 @Gothic");
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(30, 40)); // turned for vertical writing
    EXPECT_EQ(font.monochrome, 1u);
    for (const auto& [index, charset] : std::vector<std::pair<int, int>>{{-1, 1}, {0, 0}, {4, 134}, {12, 162}, {13, 1}})
        EXPECT_EQ(CSystemFont::charsetOf(index), charset) << index;
}

TEST_F(SystemFontTest, CellsFillTexturesInRows)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic"); // cell width 40: 1024 / 56 = 18 cells per texture
    for (uint32_t code = 0x100; code < 0x100 + 19; ++code)
        greyGlyph(code, 4, 4, 0, 20, 20, 64);
    std::vector<FontGlyph> glyphs;
    for (uint32_t code = 0x100; code < 0x100 + 19; ++code)
        glyphs.push_back(font.getGlyph(code, 0));
    EXPECT_EQ(std::make_pair(glyphs[0].x, glyphs[0].y), std::make_pair(8, 8));
    EXPECT_EQ(glyphs[1].x, 64);
    EXPECT_EQ(glyphs[17].x, 56 * 17 + 8);
    EXPECT_EQ(glyphs[17].texture.get(), font.textures[0].get());
    EXPECT_EQ(glyphs[18].texture.get(), font.textures[1].get());
    EXPECT_EQ(glyphs[18].x, 8);
    EXPECT_EQ(core->log.named("createTexture"),
              (std::vector<std::string>{"createTexture(1024, 46, 1, 0)", "createTexture(1024, 46, 1, 0)"}));
    // The same key again comes from the cache.
    EXPECT_EQ(font.getGlyph(0x100, 0).x, 8);
    EXPECT_EQ(font.glyphs.size(), 19u);
}

TEST_F(SystemFontTest, UprightAndItalicTakeTwoCells)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    greyGlyph('A', 4, 4, 0, 20, 20, 64);
    const FontGlyph upright = font.getGlyph('A', 0);
    const FontGlyph italic = font.getGlyph('A', 1);
    EXPECT_EQ(upright.x, 8);
    EXPECT_EQ(italic.x, 64);
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(40, 30));
    EXPECT_EQ(rasterizer.log.back(), "italic 65 6 fill");
    ASSERT_EQ(font.pendingGlyphs.size(), 2u);
    EXPECT_EQ(font.pendingGlyphs[1].italic, 1u);
    EXPECT_EQ(font.pendingGlyphs[1].code, uint32_t('A'));
}

TEST_F(SystemFontTest, GreyLevelsBecomeAlpha)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    // One row of 6 levels; the box starts at the baseline's ascent, so at the cell's row 24 - 20 = 4.
    FakeGlyph glyph{{6, 1, 1, 20, 10, 0}, {0, 1, 32, 63, 64, 200, 0, 0}};
    rasterizer.glyphs['g'] = glyph;
    const FontGlyph g = font.getGlyph('g', 0);
    EXPECT_EQ(pixel(g, g.x + 2, g.y + 4), 0u); // nothing drawn before the frame step
    font.renderGlyph();
    EXPECT_TRUE(font.pendingGlyphs.empty());
    const uint32_t expected[] = {0x00FFFFFF, 0x04FFFFFF, 0x81FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(pixel(g, g.x + 1 + i, g.y + 4), expected[i]) << i;
    EXPECT_EQ(pixel(g, g.x, g.y + 4), 0u); // left of the origin stays untouched
    EXPECT_EQ(pixel(g, g.x + 1, g.y + 3), 0u);
}

TEST_F(SystemFontTest, MonochromeRowsArePaddedTo32Bits)
{
    for (const uint32_t width : {32u, 33u})
    {
        CSystemFont font(0);
        font.create(24, 400, 0, 0, 1, "Gothic");
        const size_t rowBytes = width == 32 ? 4 : 8;
        FakeGlyph glyph{{width, 2, 0, 24, 40, 0}, std::vector<uint8_t>(rowBytes * 2, 0)};
        glyph.bitmap[0] = 0x80; // row 0, column 0
        glyph.bitmap[rowBytes] = 0x40; // row 1, column 1
        glyph.bitmap[rowBytes + 3] = 0x01; // row 1, column 31
        rasterizer.glyphs['m'] = glyph;
        const FontGlyph g = font.getGlyph('m', 0);
        EXPECT_EQ(font.pendingGlyphs[0].rows, 2);
        font.renderGlyph();
        EXPECT_EQ(pixel(g, g.x, g.y), 0xFFFFFFFFu) << width;
        EXPECT_EQ(pixel(g, g.x + 1, g.y + 1), 0xFFFFFFFFu) << width;
        EXPECT_EQ(pixel(g, g.x + 31, g.y + 1), 0xFFFFFFFFu) << width;
        EXPECT_EQ(pixel(g, g.x + 1, g.y), 0x00FFFFFFu) << width;
        EXPECT_EQ(pixel(g, g.x, g.y + 1), 0x00FFFFFFu) << width;
    }
}

TEST_F(SystemFontTest, NegativeOriginHangsLeftOfThePen)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    greyGlyph('j', 12, 3, -2, 10, 10, 64);
    const FontGlyph g = font.getGlyph('j', 0);
    EXPECT_EQ(g.bearingBefore, -2);
    EXPECT_EQ(g.width, 12);
    EXPECT_EQ(g.bearingAfter, 0);
    EXPECT_EQ(g.bearingBefore + g.width + g.bearingAfter, 10);
    EXPECT_EQ(g.height, 30);
    // A wide box with a positive origin (14 pixels: 16 columns): the pen still moves by the advance.
    greyGlyph('w', 14, 3, 2, 10, 10, 64);
    const FontGlyph w = font.getGlyph('w', 0);
    EXPECT_EQ(std::vector<int>({w.bearingBefore, w.width, w.bearingAfter}), std::vector<int>({0, 18, -8}));
}

TEST_F(SystemFontTest, MissingGlyphsAndEmptyBoxesAreBlank)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    const FontGlyph missing = font.getGlyph('?', 0); // the face fails: zero metrics
    EXPECT_EQ(font.pendingGlyphs[0].rows, 0);
    EXPECT_EQ(missing.width, 0);
    // A grey glyph with a 0-wide box but some bytes: no rows are taken (no division by zero).
    rasterizer.glyphs[' '] = FakeGlyph{{0, 0, 0, 0, 8, 0}, {1, 2, 3, 4}};
    const FontGlyph space = font.getGlyph(' ', 0);
    EXPECT_EQ(font.pendingGlyphs[1].rows, 0);
    EXPECT_EQ(space.width, 8);
    font.renderGlyph();
    const auto* texture = static_cast<OrvaneTest::FakeTexture*>(space.texture.get());
    for (const uint32_t value : texture->pixels)
        ASSERT_EQ(value, 0u);
}

TEST_F(SystemFontTest, CellWiderThanATextureWidensTheTexture)
{
    rasterizer.metrics = {30, 24, 6, 800}; // cell width 1,080
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    greyGlyph('A', 4, 4, 0, 20, 20, 64);
    greyGlyph('B', 4, 4, 0, 20, 20, 64);
    const FontGlyph a = font.getGlyph('A', 0);
    const FontGlyph b = font.getGlyph('B', 0);
    EXPECT_EQ(a.x, 8);
    EXPECT_EQ(b.x, 8);
    EXPECT_NE(a.texture.get(), b.texture.get());
    EXPECT_EQ(core->log.named("createTexture").front(), "createTexture(1096, 46, 1, 0)");
}

TEST_F(SystemFontTest, VerticalWideGlyphsAreTurnedUpright)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 1, 0, "Gothic"); // cell 30 x 40
    // A 3 x 2 bitmap laid on its side; its columns become the cell's rows.
    FakeGlyph glyph{{3, 2, 1, 24 - 5, 26, 0}, {10, 20, 30, 0, 40, 50, 60, 0}};
    rasterizer.glyphs[0x3042] = glyph;
    const FontGlyph g = font.getGlyph(0x3042, 0);
    EXPECT_EQ(std::vector<int>({g.width, g.height, g.bearingBefore, g.bearingAfter}), std::vector<int>({30, 26, 0, 0}));
    font.renderGlyph();
    // Source (column i - 1, row j - 5) goes to (x + 30 - j, y + i).
    auto alpha = [&](int level) { return uint32_t(float(level) * 0.015873017f > 1 ? 255 : int(float(level) * 0.015873017f * 255.0f)); };
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
        {
            const int j = row + 5, i = column + 1;
            EXPECT_EQ(pixel(g, g.x + 30 - j, g.y + i) >> 24, alpha(glyph.bitmap[size_t(row) * 4 + size_t(column)]))
                << column << ", " << row;
        }
    // Narrow codes stay as they are in a vertical font.
    greyGlyph('A', 4, 4, -1, 24, 12, 64);
    const FontGlyph a = font.getGlyph('A', 0);
    EXPECT_EQ(std::vector<int>({a.width, a.height, a.bearingBefore, a.bearingAfter}), std::vector<int>({13, 30, 0, -1}));
}

TEST_F(SystemFontTest, ClearingTheCacheStartsNumberingAgain)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    greyGlyph('A', 4, 4, 0, 20, 20, 64);
    greyGlyph('B', 4, 4, 0, 20, 20, 64);
    font.getGlyph('A', 0);
    const FontGlyph kept = font.getGlyph('B', 0);
    Kavro::ITexture* texture = kept.texture.get();
    EXPECT_EQ(texture->getRefCount(), 6); // cache list, two entries, two pending records, the kept copy
    font.clearGlyphCache();
    EXPECT_EQ(texture->getRefCount(), 1);
    EXPECT_EQ(font.getGlyph('B', 0).x, 8);
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(40, 30));
    EXPECT_NE(font.textures[0].get(), texture);
}

TEST_F(SystemFontTest, FailedLockDropsTheQueue)
{
    CSystemFont font(0);
    font.create(24, 400, 0, 0, 0, "Gothic");
    greyGlyph('A', 4, 4, 0, 20, 20, 64);
    const FontGlyph a = font.getGlyph('A', 0);
    ASSERT_EQ(a.texture->lock(6, nullptr), 0); // someone else holds the lock
    font.renderGlyph();
    a.texture->unlock();
    EXPECT_TRUE(font.pendingGlyphs.empty());
    EXPECT_EQ(pixel(a, a.x, a.y + 4), 0u);
    EXPECT_EQ(font.getGlyph('A', 0).x, a.x); // the cell stays taken, blank
}

// Thousands of different glyphs of a large font: the cache starts over once a new texture would pass its
// budget, and glyphs handed out keep their textures.
TEST_F(SystemFontTest, TheCacheStaysWithinItsBudget)
{
    rasterizer.metrics = {2000, 1600, 400, 1000}; // cells of 1,350 x 2,000: about 11 MB a texture
    CSystemFont font(0);
    font.create(1000, 400, 0, 0, 0, "Gothic");
    const size_t textureBytes = size_t(font.textureWidth) * size_t(font.cellHeight + 16) * 4;
    std::vector<FontGlyph> handedOut;
    size_t mostTextures = 0;
    for (uint32_t code = 0x4E00; code < 0x4E00 + 5; ++code)
    {
        greyGlyph(code, 4, 4, 0, 20, 20, 64);
        handedOut.push_back(font.getGlyph(code, 0));
        mostTextures = std::max(mostTextures, font.textures.size());
    }
    EXPECT_LE(mostTextures * textureBytes, size_t(32) << 20);
    EXPECT_GE(mostTextures, 2u);
    font.renderGlyph();
    // Every glyph, also those of textures the cache let go, was drawn into its own cell.
    const auto ink = [&](const FontGlyph& glyph) {
        uint64_t sum = 0;
        for (int y = 0; y < font.cellHeight; ++y)
            for (int x = 0; x < font.cellWidth; ++x)
                sum += pixel(glyph, glyph.x + x, glyph.y + y) >> 24;
        return sum;
    };
    ASSERT_GT(ink(handedOut.front()), 0u);
    for (const FontGlyph& glyph : handedOut)
        EXPECT_EQ(ink(glyph), ink(handedOut.front()));
}
