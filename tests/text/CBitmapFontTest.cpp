#include "text/CBitmapFont.h"

#include "core/CApp.h"

#include "fs/ArchiveFileSystem.h"
#include "render/RenderDeviceFactory.h"
#include "support/BitmapFontWriter.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace Orvane;
using OrvaneTest::BitmapGlyphRecord;

namespace
{

// A core whose render device is the recording fake; files are plain files.
class BitmapFontTest : public ::testing::Test
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
    std::string folder() const { return dir.path().string(); }
    std::vector<std::string> loadedPages() const
    {
        std::vector<std::string> names;
        for (const auto& call : core->log.named("loadTexture"))
            names.push_back(call.substr(call.find('(') + 1, call.find(',') - call.find('(') - 1));
        return names;
    }

    OrvaneTest::TempDirectory dir;
    OrvaneTest::FakeCore* core = nullptr;
    CApp* app = nullptr;
};

} // namespace

TEST_F(BitmapFontTest, TwentyByteTableHoldsTwoRecords)
{
    auto table = OrvaneTest::BitmapFontTable({{'A', 10, 12, 1, 2, 0}, {'B', 14, 9, 20, 3, 0}});
    table.push_back(0xAA);
    table.push_back(0x42); // 2 stray bytes: 20 in all
    ASSERT_EQ(table.size(), 20u);
    dir.write("main.bin", table);
    dir.write("main0.png", {});
    CBitmapFont font(0);
    ASSERT_EQ(font.load("main", folder()), 0);
    EXPECT_EQ(font.glyphs.size(), 2u);
    const FontGlyph b = font.getGlyph('B', 0);
    EXPECT_EQ(b.texture.get(), font.pages[0].get());
    EXPECT_EQ((std::vector<int>{b.x, b.y, b.width, b.height, b.bearingBefore, b.bearingAfter}),
              (std::vector<int>{20, 3, 14, 9, 0, 0}));
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(14, 12));
}

TEST_F(BitmapFontTest, EveryPageUpToTheHighestIsRequired)
{
    OrvaneTest::WriteBitmapFont(dir.path(), "f", {{'a', 8, 8, 0, 0, 0}, {'b', 8, 8, 0, 0, 3}}, {});
    CBitmapFont font(0);
    const std::string prefix = folder() + "/f";
    core->render->missingTextures = {prefix + "2.png"};
    EXPECT_EQ(font.load("f", folder()), -1);
    EXPECT_EQ(loadedPages(), (std::vector<std::string>{prefix + "0.png", prefix + "1.png", prefix + "2.png"}));
    EXPECT_EQ(font.pages.size(), 2u); // kept until the next unload
    EXPECT_TRUE(font.glyphs.empty());
    EXPECT_EQ(font.getGlyph('a', 0).texture.get(), nullptr);

    core->render->missingTextures.clear();
    core->log.clear();
    ASSERT_EQ(font.load("f", folder() + "/"), 0); // one slash either way
    EXPECT_EQ(loadedPages(),
              (std::vector<std::string>{prefix + "0.png", prefix + "1.png", prefix + "2.png", prefix + "3.png"}));
    EXPECT_EQ(font.getGlyph('b', 0).texture.get(), font.pages[3].get());
}

TEST_F(BitmapFontTest, FirstRecordOfACodeWins)
{
    OrvaneTest::WriteBitmapFont(dir.path(), "dup", {{'x', 5, 6, 7, 8, 0}, {'x', 30, 40, 1, 1, 1}, {'y', 9, 3, 0, 0, 0}}, {});
    CBitmapFont font(0);
    ASSERT_EQ(font.load("dup", folder()), 0);
    const FontGlyph x = font.getGlyph('x', 0);
    EXPECT_EQ(x.texture.get(), font.pages[0].get());
    EXPECT_EQ((std::vector<int>{x.x, x.y, x.width, x.height}), (std::vector<int>{7, 8, 5, 6}));
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(9, 6)); // the skipped record does not count
}

TEST_F(BitmapFontTest, MissingAndItalicGlyphsAreBlankCells)
{
    OrvaneTest::WriteBitmapFont(dir.path(), "m", {{'a', 11, 13, 0, 0, 0}, {'b', 7, 17, 0, 0, 0}}, {});
    CBitmapFont font(0);
    ASSERT_EQ(font.load("m", folder()), 0);
    for (const FontGlyph& blank : {font.getGlyph('a', 1), font.getGlyph('z', 0)})
    {
        EXPECT_EQ(blank.texture.get(), nullptr);
        EXPECT_EQ((std::vector<int>{blank.x, blank.y, blank.width, blank.height, blank.bearingBefore,
                                    blank.bearingAfter}),
                  (std::vector<int>{0, 0, 11, 17, 0, 0}));
    }
}

TEST_F(BitmapFontTest, EmptyTableStillNeedsPageZero)
{
    dir.write("e.bin", {1, 2, 3, 4, 5, 6, 7, 8}); // less than one record
    CBitmapFont font(0);
    core->render->missingTextures = {folder() + "/e0.png"};
    EXPECT_EQ(font.load("e", folder()), -1);
    core->render->missingTextures.clear();
    ASSERT_EQ(font.load("e", folder()), 0);
    EXPECT_EQ(font.pages.size(), 1u);
    EXPECT_EQ(font.getMaxGlyphSize(), std::make_pair(0, 0));
    EXPECT_EQ(font.getGlyph('a', 0).width, 0);
}

TEST_F(BitmapFontTest, MissingTableFailsWithoutPages)
{
    CBitmapFont font(0);
    EXPECT_EQ(font.load("absent", folder()), -1);
    EXPECT_TRUE(font.pages.empty());
    EXPECT_TRUE(loadedPages().empty());
}

TEST_F(BitmapFontTest, DefaultDirectoryAndLongNames)
{
    CBitmapFont font(0);
    EXPECT_EQ(font.load("main", ""), -1); // no media/font/main.bin here
    const std::string longName(3000, 'n'); // far beyond any fixed path buffer
    const std::string longDir = folder() + "/" + std::string(200, 'd');
    OrvaneTest::WriteBitmapFont(longDir, longName.substr(0, 200), {{'a', 1, 1, 0, 0, 0}}, {});
    EXPECT_EQ(font.load(longName, longDir), -1);
    ASSERT_EQ(font.load(longName.substr(0, 200), longDir), 0);
    EXPECT_EQ(loadedPages().back(), longDir + "/" + longName.substr(0, 200) + "0.png");
}

TEST_F(BitmapFontTest, GlyphsHoldTheirPagesAlive)
{
    OrvaneTest::WriteBitmapFont(dir.path(), "r", {{'a', 4, 4, 0, 0, 0}, {'b', 4, 4, 4, 0, 0}, {'c', 4, 4, 0, 0, 1}}, {});
    auto* font = new CBitmapFont(0);
    ASSERT_EQ(font->load("r", folder()), 0);
    Kavro::ITexture* page0 = font->pages[0].get();
    EXPECT_EQ(page0->getRefCount(), 3); // the page list and two glyph entries
    FontGlyph kept = font->getGlyph('a', 0);
    EXPECT_EQ(page0->getRefCount(), 4);

    // Loading again lets go of every texture of the first load.
    Kavro::ITexture* page1 = font->pages[1].get();
    page1->addRef();
    ASSERT_EQ(font->load("r", folder()), 0);
    EXPECT_EQ(page1->getRefCount(), 1);
    page1->release();
    EXPECT_EQ(page0->getRefCount(), 1); // only the kept glyph

    // Releasing the font leaves the texture a shown glyph still uses.
    font->release();
    EXPECT_EQ(kept.texture->getSize()[0], 64);
}

namespace
{

// The library's headless render device over the archive file system: pages are decoded PNG files.
class RealDeviceCore : public OrvaneTest::FakeCore
{
public:
    Kavro::IRenderDevice* getRenderDevice() override
    {
        if (device)
            device->addRef();
        return device;
    }
    ~RealDeviceCore() override
    {
        if (device)
            device->release();
    }
    Kavro::IRenderDevice* device = nullptr;
};

class BitmapFontFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        core = new RealDeviceCore;
        core->fileSystem = Kavro::CreateArchiveFileSystem();
        core->device = Kavro::CreateRenderDevice(nullptr, 64, 64, core->fileSystem);
        ASSERT_NE(core->device, nullptr);
        app = new CApp("font");
        app->setCore(core);
        CApp::set(app);
    }
    void TearDown() override
    {
        CApp::set(nullptr);
        app->release();
        core->release();
        std::filesystem::current_path(previous);
    }
    std::vector<uint8_t> readBytes(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The glyph's rectangle read back from its texture matches the page written for it.
    void expectGlyphPixels(CBitmapFont& font, uint32_t code, int page)
    {
        const FontGlyph glyph = font.getGlyph(code, 0);
        ASSERT_NE(glyph.texture.get(), nullptr);
        const int32_t* size = glyph.texture->getSize();
        std::vector<uint32_t> pixels(size_t(size[0]) * size_t(size[1]));
        ASSERT_EQ(glyph.texture->readPixels(pixels.data()), 1);
        for (int y = glyph.y; y < glyph.y + glyph.height; ++y)
            for (int x = glyph.x; x < glyph.x + glyph.width; ++x)
                ASSERT_EQ(pixels[size_t(y) * size_t(size[0]) + size_t(x)], OrvaneTest::BitmapFontPixel(x, y, page))
                    << x << ", " << y;
    }

    OrvaneTest::TempDirectory dir;
    std::filesystem::path previous;
    RealDeviceCore* core = nullptr;
    CApp* app = nullptr;
};

const std::vector<BitmapGlyphRecord> TwoPageFont = {{'A', 6, 7, 2, 3, 0}, {0x3042, 10, 9, 20, 30, 1}};

} // namespace

TEST_F(BitmapFontFileTest, LoadsTableAndPagesFromAFolder)
{
    OrvaneTest::WriteBitmapFont(dir.path() / "media/font", "main", TwoPageFont, {0, 1});
    CBitmapFont font(0);
    ASSERT_EQ(font.load("main", ""), 0);
    ASSERT_EQ(font.pages.size(), 2u);
    expectGlyphPixels(font, 'A', 0);
    expectGlyphPixels(font, 0x3042, 1);
}

TEST_F(BitmapFontFileTest, LoadsTableAndPagesFromAnArchive)
{
    OrvaneTest::WriteBitmapFont(dir.path() / "staging", "main", TwoPageFont, {0, 1});
    const auto key = Kavro::BuildArchiveKey();
    Kavro::Wpk2Writer writer(key);
    for (const char* file : {"main.bin", "main0.png", "main1.png"})
        writer.add(std::string("fonts/") + file, readBytes(dir.path() / "staging" / file));
    std::filesystem::remove_all(dir.path() / "staging");
    ASSERT_TRUE(writer.writeFile(dir.file("font.wpk"), nullptr));
    const uint32_t keyLength = 32;
    ASSERT_EQ(core->fileSystem->mount("font.wpk", key.data(), &keyLength), 0);

    CBitmapFont font(0);
    ASSERT_EQ(font.load("main", "fonts"), 0);
    expectGlyphPixels(font, 'A', 0);
    expectGlyphPixels(font, 0x3042, 1);
    EXPECT_EQ(font.load("other", "fonts"), -1);
}
