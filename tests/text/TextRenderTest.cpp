#include "text/CText.h"

#include "core/CApp.h"
#include "core/CBatchContext.h"
#include "core/CFontPool.h"
#include "text/CFont.h"

#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;
constexpr uint32_t Black = 0xFF000000u;
// Glyph cells are 12 x 24; the ink is the top-left 10 x 20 of them, so neighbours stay apart.
constexpr int CellW = 12, CellH = 24, InkW = 10, InkH = 20;

// Every character is the same white block, cut out of one texture of the test's device.
class BlockFont : public CFont
{
public:
    explicit BlockFont(Kavro::IRenderDevice* device) : CFont(1)
    {
        Kavro::ITexture* page = device->createTexture(CellW, CellH, 1, 0);
        std::vector<uint32_t> pixels(size_t(CellW) * CellH, 0u);
        for (int y = 0; y < InkH; ++y)
            for (int x = 0; x < InkW; ++x)
                pixels[size_t(y) * CellW + size_t(x)] = 0xFFFFFFFFu;
        page->lock(0, nullptr);
        std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(page->getData()));
        page->unlock();
        texture = TextureRef::adopt(page);
    }
    int unload() override { return 0; }
    FontGlyph getGlyph(uint32_t code, int) override
    {
        FontGlyph g;
        g.width = CellW;
        g.height = CellH;
        // Space has no image: a blank glyph.
        if (code != u' ')
            g.texture = texture;
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {CellW, CellH}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    TextureRef texture;
};

int grey(uint32_t pixel)
{
    return int((pixel >> 8) & 0xFF);
}

// Texts of an application whose render device is the real one, headless.
class TextRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("orvane_text_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        fileSystem = new DirectoryFileSystem(directory);
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        t.app->renderDevice->release();
        t.app->renderDevice = device;
        t.app->screenWidth = Width;
        t.app->screenHeight = Height;
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = 100.0f;
        if (!t.app->fontPool)
            t.app->fontPool = new CFontPool;
        t.app->fontPool->fonts["block"] = new BlockFont(device);
    }
    void TearDown() override
    {
        for (CText* text : texts)
            text->release();
        texts.clear();
        delete t.app->fontPool;
        t.app->fontPool = nullptr;
        fileSystem->release();
        std::filesystem::remove_all(directory);
    }
    CText* makeText(const std::string& content, float x, float y)
    {
        const int32_t size[2] = {Width, Height};
        auto* text = new CText("", size);
        texts.push_back(text);
        text->setFont("block");
        text->setRubyFont("block");
        text->move(x, y, 0, 0);
        EXPECT_EQ(text->create(content), 0);
        return text;
    }
    // The task's order: world matrices, render pass, the draw (a shadow batch first for shadowed texts),
    // read back (saved as a PNG when ORVANE_TEXT_PNG_DIR names a folder, for looking at).
    void drawFrame(uint32_t background = Black)
    {
        ASSERT_EQ(device->beginFrame(), 0);
        device->clear(1, &background);
        for (CText* text : texts)
        {
            text->updateWorldMatrix();
            text->render();
        }
        for (CText* text : texts)
        {
            if (text->isBatched())
            {
                CBatchContext batch;
                text->beginBatch(batch);
                text->addToBatch(batch);
                text->endBatch(batch);
            }
            text->draw();
        }
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_TEXT_PNG_DIR"))
            device->saveTexture((std::string(keep) + "/" +
                                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png")
                                    .c_str(),
                                nullptr, 0);
        device->endFrame();
    }
    // A frame step of 16.67 ms for every interpolator.
    void advance(CText* text)
    {
        t.core->milliTime += 17;
        text->update();
    }
    uint32_t pixel(int x, int y) const { return pixels[size_t(y) * Width + size_t(x)]; }
    // Pixels of the box that differ from the background by more than 2 in any channel.
    int inked(int left, int top, int w, int h, uint32_t background = Black) const
    {
        int count = 0;
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x)
                if (x >= 0 && y >= 0 && x < Width && y < Height && std::abs(grey(pixel(x, y)) - grey(background)) > 2)
                    ++count;
        return count;
    }

    TaskTestApp t;
    std::filesystem::path directory;
    DirectoryFileSystem* fileSystem = nullptr;
    Kavro::IRenderDevice* device = nullptr;
    std::vector<CText*> texts;
    std::vector<uint32_t> pixels;
};

TEST_F(TextRenderTest, TypedTextShowsEachGlyphWhereItWasLaidOut)
{
    CText* text = makeText("ab cd", 40.0f, 30.0f);
    text->pushAll();
    drawFrame();
    for (int i = 0; i < 5; ++i)
    {
        SCOPED_TRACE(i);
        const int left = 40 + CellW * i;
        if (i == 2)
        {
            EXPECT_EQ(inked(left, 30, CellW, CellH), 0) << "a blank glyph's cell stays clear";
            continue;
        }
        EXPECT_EQ(inked(left, 30, InkW, InkH), InkW * InkH) << "the whole ink";
        EXPECT_EQ(inked(left + InkW, 30, CellW - InkW, CellH), 0) << "nothing right of the ink";
        EXPECT_EQ(inked(left, 30 + InkH, CellW, CellH - InkH), 0) << "nothing below the ink";
    }
    EXPECT_EQ(inked(0, 0, Width, 30), 0);
    EXPECT_EQ(inked(0, 0, 40, Height), 0);
    EXPECT_EQ(pixel(40, 30), 0xFFFFFFFFu);
}

TEST_F(TextRenderTest, TypingFadesEachGlyphInAsTheFormulaSays)
{
    CText* text = makeText("abcdef", 20.0f, 20.0f);
    // The default speed's rate, N and D for six glyphs.
    const float rest = 1.0f - text->typingSpeed;
    const float rate = text->slowTypingRate + (text->fastTypingRate - text->slowTypingRate) * rest * rest * rest * rest;
    const float total = 255.0f + 48.0f * 5.0f;
    const float duration = float(uint32_t(16.0f / rate * total));
    ASSERT_FLOAT_EQ(text->getTotalTime(), duration);
    for (int frames : {3, 4, 3})
    {
        for (int k = 0; k < frames; ++k)
            advance(text);
        drawFrame();
        const float value = total * std::min(text->typingInterpolator.elapsed / duration, 1.0f);
        for (int i = 0; i < 6; ++i)
        {
            SCOPED_TRACE("glyph " + std::to_string(i) + " after " + std::to_string(text->typingInterpolator.elapsed) +
                         " ms");
            const float alpha = std::clamp((value - 48.0f * float(i)) / 255.0f, 0.0f, 1.0f);
            EXPECT_NEAR(grey(pixel(20 + CellW * i + 4, 28)), alpha * 255.0f, 2.5f);
        }
    }
}

TEST_F(TextRenderTest, PerGlyphMoveScaleAndColourShow)
{
    CText* text = makeText("abcd", 40.0f, 40.0f);
    text->pushAll();
    text->moveCharacter(1, 0, 30, 0, 0);
    text->scaleCharacter(2, 2.0f, 2.0f, 0, 0);
    text->setCharacterColor(3, -1, 1.0f, 0.0f, 0.0f, 0.0f, 0);
    drawFrame();
    // Glyph 1 moved 30 pixels down: its place is empty (left of glyph 2's grown ink), its ink 30 lower.
    EXPECT_EQ(inked(52, 40, 6, CellH), 0);
    EXPECT_EQ(inked(52, 70, InkW, InkH), InkW * InkH);
    // Glyph 2 doubled about its cell's centre (70, 52): its ink spans x 58..77 and y 28..67 (glyph 3, drawn
    // after it, covers its last two columns).
    EXPECT_EQ(inked(58, 28, 18, 40), 18 * 40);
    EXPECT_EQ(inked(58, 27, 20, 1), 0);
    EXPECT_EQ(inked(58, 68, 20, 1), 0);
    // Glyph 3 is red (its left columns lie under glyph 2's doubled cell, so look at its right side).
    EXPECT_EQ(pixel(84, 45), 0xFFFF0000u);
}

TEST_F(TextRenderTest, ShadowLiesUnderTheGlyphsAtItsOffset)
{
    const uint32_t background = 0xFF808080u;
    CText* text = makeText("ab", 40.0f, 40.0f);
    text->pushAll();
    text->setShadow(2 | 8, 4, 1.0f, 1.0f);
    drawFrame(background);
    // Right of and below each glyph's ink the shadow darkens the grey background.
    EXPECT_EQ(pixel(40 + InkW + 1, 40 + 10), 0xFF000000u);
    EXPECT_EQ(pixel(40 + 5, 40 + InkH + 2), 0xFF000000u);
    EXPECT_EQ(pixel(40 + 5, 40 + 5), 0xFFFFFFFFu) << "the glyph over its shadow";
    EXPECT_EQ(pixel(30, 30), background) << "no shadow left of and above the text";

    // Softness 4 spreads the shadow's edge over several pixels.
    text->setShadowShadingParameter(4, 0.0f, 0.0f);
    drawFrame(background);
    // Glyph 1's ink ends at column 61, its shadow at 65.
    int partial = 0;
    for (int x = 62; x <= 70; ++x)
    {
        const int g = grey(pixel(x, 40 + 12));
        if (g > 2 && g < 0x7E)
            ++partial;
    }
    EXPECT_GE(partial, 2) << "a soft edge";
}

} // namespace

namespace
{

TEST_F(TextRenderTest, RingShadowOutlinesTheGlyphOnEverySide)
{
    const uint32_t background = 0xFF808080u;
    CText* text = makeText("a", 40.0f, 40.0f);
    text->pushAll();
    text->setShadow(15, 2, 1.0f, 1.0f);
    ASSERT_EQ(text->shadowOffsets.size(), 16u);
    drawFrame(background);
    for (auto [x, y] : {std::pair{38, 50}, std::pair{40 + InkW + 1, 50}, std::pair{45, 38}, std::pair{45, 40 + InkH + 1}})
    {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        EXPECT_LT(grey(pixel(x, y)), 0x60);
    }
    EXPECT_EQ(pixel(45, 50), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(35, 50), background) << "beyond the ring's radius";
}

} // namespace
