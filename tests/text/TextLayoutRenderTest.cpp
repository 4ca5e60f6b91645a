// Vertical and English texts laid out in IPAex Gothic: their glyphs painted from the fonts' cache
// textures at their laid-out places, and the texts drawn by the headless render device.
#include "text/CTextEnglish.h"
#include "text/CTextVertical.h"

#include "core/CApp.h"
#include "core/CFontPool.h"
#include "core/NGCodeSets.h"

#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

constexpr int Margin = 16;

struct Box
{
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1; // inclusive; empty when right < left
    bool empty() const { return right < left; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    float centreX() const { return float(left + right) * 0.5f; }
    float centreY() const { return float(top + bottom) * 0.5f; }
};

// The field with a margin around it; white, the field's edge grey.
class Frame
{
public:
    Frame(int fieldWidth, int fieldHeight)
        : width(fieldWidth + 2 * Margin), height(fieldHeight + 2 * Margin),
          pixels(size_t(width) * size_t(height), 0xFFFFFFFFu)
    {
        for (int x = Margin - 1; x <= Margin + fieldWidth; ++x)
            pixels[size_t(Margin - 1) * size_t(width) + size_t(x)] =
                pixels[size_t(Margin + fieldHeight) * size_t(width) + size_t(x)] = 0xFFC0C0C0u;
        for (int y = Margin - 1; y <= Margin + fieldHeight; ++y)
            pixels[size_t(y) * size_t(width) + size_t(Margin - 1)] =
                pixels[size_t(y) * size_t(width) + size_t(Margin + fieldWidth)] = 0xFFC0C0C0u;
    }

    // Paints the glyph's coverage in the colour; the ink's box in field coordinates.
    Box paint(const CText::Glyph& glyph, uint32_t colour)
    {
        Box ink;
        const auto* texture = static_cast<const OrvaneTest::FakeTexture*>(glyph.texture.get());
        if (!texture)
            return ink;
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
            {
                const int tx = glyph.texX + x, ty = glyph.texY + y;
                if (tx < 0 || ty < 0 || tx >= texture->size[0] || ty >= texture->size[1])
                    continue;
                const uint32_t alpha = texture->pixels[size_t(ty) * size_t(texture->size[0]) + size_t(tx)] >> 24;
                const int fx = int(glyph.position.x) + x, fy = int(glyph.position.y) + y;
                const int px = Margin + fx, py = Margin + fy;
                if (alpha == 0 || px < 0 || py < 0 || px >= width || py >= height)
                    continue;
                uint32_t& out = pixels[size_t(py) * size_t(width) + size_t(px)];
                uint32_t blended = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                {
                    const uint32_t under = (out >> shift) & 0xFF, over = (colour >> shift) & 0xFF;
                    blended |= ((under * (255 - alpha) + over * alpha) / 255) << shift;
                }
                out = blended;
                if (alpha > 96)
                {
                    ink.left = std::min(ink.left, fx);
                    ink.top = std::min(ink.top, fy);
                    ink.right = std::max(ink.right, fx);
                    ink.bottom = std::max(ink.bottom, fy);
                }
            }
        return ink;
    }

    // Saved where ORVANE_TEXT_PNG_DIR names a folder, to look at.
    void save(const std::string& name) const
    {
        if (const char* folder = std::getenv("ORVANE_TEXT_PNG_DIR"))
            Kavro::WritePng(std::string(folder) + "/" + name + ".png", width, height, pixels.data());
    }

    int width, height;
    std::vector<uint32_t> pixels;
};

class TextLayoutRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetNGCodes();
        tasks.app->fontPool = new CFontPool;
    }
    void TearDown() override
    {
        for (CText* text : texts)
            text->release();
    }
    template <class Text> Text* makeText(int32_t width, int32_t height, const char* font, const char* rubyFont)
    {
        const int32_t size[2] = {width, height};
        Text* text = new Text("", size);
        text->setFont(font);
        text->setRubyFont(rubyFont);
        texts.push_back(text);
        return text;
    }

    OrvaneTest::TaskTestApp tasks;
    std::vector<CText*> texts;
};

TEST_F(TextLayoutRenderTest, VerticalJapaneseWithRuby)
{
    CFontPool& pool = *tasks.app->fontPool;
    ASSERT_EQ(pool.loadSystemFont(32, 400, 10, 1, 0, 0, "tate", "IPAexGothic"), 0);
    ASSERT_EQ(pool.loadSystemFont(14, 400, 10, 1, 0, 0, "tateRuby", "IPAexGothic"), 0);
    const int fieldWidth = 200, fieldHeight = 340;
    auto* text = makeText<CTextVertical>(fieldWidth, fieldHeight, "tate", "tateRuby");
    text->setRowSpace(12);
    ASSERT_EQ(text->create("「はい、そうです。」\nラーメンの#{かんじ}漢字#!?"), 0);
    pool.renderGlyphs();

    Frame frame(fieldWidth, fieldHeight);
    std::vector<Box> base, ruby;
    for (const CText::Glyph* g : text->glyphList)
        base.push_back(frame.paint(*g, 0xFF000000u));
    for (const CText::Glyph* g : text->rubyGlyphList)
        ruby.push_back(frame.paint(*g, 0xFFC02020u));
    frame.save("vertical_japanese");

    const std::u16string expected = u"「はい、そうです。」ラーメンの漢字?!";
    ASSERT_EQ(text->glyphList.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(text->glyphList[i]->code, uint32_t(expected[i])) << i;
        EXPECT_FALSE(base[i].empty()) << i;
        // Every glyph inside the field.
        EXPECT_TRUE(base[i].left >= 0 && base[i].top >= 0 && base[i].right < fieldWidth &&
                    base[i].bottom < fieldHeight)
            << i;
    }
    // The first column stands at the right, reading down; the second to its left.
    EXPECT_GT(base[0].left, fieldWidth / 2);
    EXPECT_LT(base[11].right, base[0].left);
    for (size_t i = 1; i < 10; ++i)
        EXPECT_GT(base[i].top, base[i - 1].top) << i;
    // Vertical forms: 「 lies on its side, ー stands up, 、 and 。 sit at the upper right of their cells.
    EXPECT_GT(base[0].width(), base[0].height());
    EXPECT_GT(base[11].height(), base[11].width() * 2);
    for (size_t i : {3u, 8u})
    {
        const CText::Glyph& cell = *text->glyphList[i];
        EXPECT_GT(base[i].centreX(), cell.position.x + float(cell.width) * 0.5f) << i;
        EXPECT_LT(base[i].centreY(), cell.position.y + float(cell.height) * 0.5f) << i;
    }
    // The ! and ? of the pair cell side by side, ! on the left.
    EXPECT_LT(base[18].right, base[17].left);
    EXPECT_NEAR(base[17].centreY(), base[18].centreY(), 4.0f);
    // The three ruby characters beside 漢字 on the right, down the column within its reach.
    ASSERT_EQ(ruby.size(), 3u);
    for (const Box& r : ruby)
    {
        EXPECT_GT(r.left, base[15].right - 4);
        EXPECT_GE(r.top, base[15].top - 8);
        EXPECT_LE(r.bottom, base[16].bottom + 8);
    }
    EXPECT_LT(ruby[0].bottom, ruby[1].top);
    EXPECT_LT(ruby[1].bottom, ruby[2].top);
}

TEST_F(TextLayoutRenderTest, WrappedEnglish)
{
    CFontPool& pool = *tasks.app->fontPool;
    ASSERT_EQ(pool.loadSystemFont(24, 400, 0, 0, 0, 0, "latin", "IPAexGothic"), 0);
    const int fieldWidth = 300, fieldHeight = 200;
    auto* text = makeText<CTextEnglish>(fieldWidth, fieldHeight, "latin", "latin");
    text->setPitchSpace(0, 1);
    const std::string sentence = "The quick brown fox jumps over the lazy dog. Pack my box with five dozen jugs!";
    ASSERT_EQ(text->create(sentence), 0);
    pool.renderGlyphs();

    Frame frame(fieldWidth, fieldHeight);
    std::vector<Box> ink;
    for (const CText::Glyph* g : text->glyphList)
        ink.push_back(frame.paint(*g, 0xFF000000u));
    frame.save("wrapped_english");

    ASSERT_EQ(text->glyphList.size(), sentence.size());
    EXPECT_GE(text->getLineCount(), 3);
    // Lines break between words only: every glyph of a word on one line, each line starting at the left.
    std::vector<float> lineTops;
    size_t wordStart = 0;
    for (size_t i = 0; i <= sentence.size(); ++i)
    {
        if (i < sentence.size() && sentence[i] != ' ')
            continue;
        const float y = text->glyphList[wordStart]->position.y;
        for (size_t k = wordStart; k < i; ++k)
            EXPECT_EQ(text->glyphList[k]->position.y, y) << sentence.substr(wordStart, i - wordStart);
        if (lineTops.empty() || lineTops.back() != y)
        {
            lineTops.push_back(y);
            EXPECT_LT(text->glyphList[wordStart]->position.x, 4.0f) << sentence.substr(wordStart, i - wordStart);
        }
        wordStart = i + 1;
    }
    EXPECT_EQ(int(lineTops.size()), text->getLineCount());
    // Ink stays inside the field but for closing marks.
    for (size_t i = 0; i < sentence.size(); ++i)
    {
        const bool closing = sentence[i] == ' ' || sentence[i] == '.' || sentence[i] == '!';
        EXPECT_TRUE(closing || ink[i].right < fieldWidth) << i;
    }
}

// A core whose render device is the library's headless one, so that fonts make their caches there.
class RealDeviceCore : public OrvaneTest::FakeCore
{
public:
    explicit RealDeviceCore(Kavro::IRenderDevice* device) : device(device) { device->addRef(); }
    ~RealDeviceCore() override { device->release(); }
    Kavro::IRenderDevice* getRenderDevice() override
    {
        device->addRef();
        return device;
    }
    Kavro::IRenderDevice* device;
};

// The same texts drawn by the text object through the library's headless render device.
class TextLayoutDrawTest : public ::testing::Test
{
protected:
    static constexpr int Width = 480;
    static constexpr int Height = 400;

    void SetUp() override
    {
        resetNGCodes();
        directory = std::filesystem::temp_directory_path() /
                    ("orvane_text_layout_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        fileSystem = new OrvaneTest::DirectoryFileSystem(directory);
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        tasks.app->renderDevice->release();
        tasks.app->renderDevice = device;
        core = new RealDeviceCore(device);
        tasks.app->setCore(core);
        tasks.app->screenWidth = Width;
        tasks.app->screenHeight = Height;
        tasks.app->fontPool = new CFontPool;
    }
    void TearDown() override
    {
        if (text)
            text->release();
        delete tasks.app->fontPool;
        tasks.app->fontPool = nullptr;
        if (core)
        {
            tasks.app->setCore(tasks.core);
            core->release();
        }
        fileSystem->release();
        std::filesystem::remove_all(directory);
    }
    // Typed out at once, the fonts' frame step done, drawn on black and read back (saved as a PNG
    // where ORVANE_TEXT_PNG_DIR names a folder).
    void drawFrame(const std::string& name)
    {
        text->pushAll();
        tasks.app->fontPool->renderGlyphs();
        ASSERT_EQ(device->beginFrame(), 0);
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        text->updateWorldMatrix();
        text->render();
        text->draw();
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_TEXT_PNG_DIR"))
            device->saveTexture((std::string(keep) + "/" + name + ".png").c_str(), nullptr, 0);
        device->endFrame();
    }
    // Lit pixels of the box, in frame coordinates.
    int inked(float left, float top, int w, int h) const
    {
        int count = 0;
        for (int y = int(top); y < int(top) + h; ++y)
            for (int x = int(left); x < int(left) + w; ++x)
                if (x >= 0 && y >= 0 && x < Width && y < Height && ((pixels[size_t(y) * Width + size_t(x)] >> 8) & 0xFF) > 96)
                    ++count;
        return count;
    }
    // Each glyph of the list lights pixels inside its own cell at the text's place.
    void expectGlyphsDrawnInTheirCells(const std::vector<CText::Glyph*>& list, float x, float y)
    {
        for (size_t i = 0; i < list.size(); ++i)
        {
            const CText::Glyph& g = *list[i];
            if (g.code == u' ')
                continue;
            EXPECT_GT(inked(x + g.position.x, y + g.position.y, g.width, g.height), 0) << i;
        }
    }

    OrvaneTest::TaskTestApp tasks;
    std::filesystem::path directory;
    OrvaneTest::DirectoryFileSystem* fileSystem = nullptr;
    Kavro::IRenderDevice* device = nullptr;
    RealDeviceCore* core = nullptr;
    CText* text = nullptr;
    std::vector<uint32_t> pixels;
};

TEST_F(TextLayoutDrawTest, VerticalJapaneseWithRuby)
{
    CFontPool& pool = *tasks.app->fontPool;
    ASSERT_EQ(pool.loadSystemFont(32, 400, 10, 1, 0, 0, "tate", "IPAexGothic"), 0);
    ASSERT_EQ(pool.loadSystemFont(14, 400, 10, 1, 0, 0, "tateRuby", "IPAexGothic"), 0);
    const int32_t size[2] = {200, 340};
    text = new CTextVertical("", size);
    text->setFont("tate");
    text->setRubyFont("tateRuby");
    text->setRowSpace(12);
    text->move(40.0f, 30.0f, 0, 0);
    ASSERT_EQ(text->create("「はい、そうです。」\nラーメンの#{かんじ}漢字#!?"), 0);
    drawFrame("vertical_japanese_drawn");

    expectGlyphsDrawnInTheirCells(text->glyphList, 40.0f, 30.0f);
    expectGlyphsDrawnInTheirCells(text->rubyGlyphList, 40.0f, 30.0f);
    // Nothing outside the field.
    EXPECT_EQ(inked(0, 0, Width, 30), 0);
    EXPECT_EQ(inked(0, 0, 40, Height), 0);
    EXPECT_EQ(inked(240, 0, Width - 240, Height), 0);
}

TEST_F(TextLayoutDrawTest, WrappedEnglish)
{
    CFontPool& pool = *tasks.app->fontPool;
    ASSERT_EQ(pool.loadSystemFont(24, 400, 0, 0, 0, 0, "latin", "IPAexGothic"), 0);
    const int32_t size[2] = {300, 200};
    text = new CTextEnglish("", size);
    text->setFont("latin");
    text->setPitchSpace(0, 1);
    text->move(40.0f, 30.0f, 0, 0);
    ASSERT_EQ(text->create("The quick brown fox jumps over the lazy dog. Pack my box with five dozen jugs!"), 0);
    drawFrame("wrapped_english_drawn");

    EXPECT_GE(text->getLineCount(), 3);
    expectGlyphsDrawnInTheirCells(text->glyphList, 40.0f, 30.0f);
    EXPECT_EQ(inked(0, 0, Width, 28), 0);
    EXPECT_EQ(inked(345, 0, Width - 345, Height), 0);
}

} // namespace
