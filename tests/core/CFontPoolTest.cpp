#include "core/CFontPool.h"

#include "core/CApp.h"
#include "text/CBitmapFont.h"
#include "text/CSystemFont.h"

#include "support/BitmapFontWriter.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

using namespace Orvane;

namespace
{

class FontPoolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        core = new OrvaneTest::FakeCore;
        app = new CApp("pool");
        app->setCore(core);
        CApp::set(app);
        OrvaneTest::WriteBitmapFont(dir.path(), "main", {{'a', 3, 4, 0, 0, 0}}, {});
        OrvaneTest::WriteBitmapFont(dir.path(), "wide", {{'a', 30, 40, 0, 0, 0}}, {});
    }
    void TearDown() override
    {
        CApp::set(nullptr);
        app->release();
        core->release();
    }
    std::string folder() const { return dir.path().string(); }

    OrvaneTest::TempDirectory dir;
    OrvaneTest::FakeCore* core = nullptr;
    CApp* app = nullptr;
};

} // namespace

TEST(FontNameHash, IsFnv1a)
{
    EXPECT_EQ(FontNameHash()(""), 2166136261u);
    EXPECT_EQ(FontNameHash()("a"), 0xE40C292Cu);
    EXPECT_EQ(FontNameHash()("foobar"), 0xBF9CF968u);
}

TEST_F(FontPoolTest, ReloadUnderTheSameNameUnloadsAndReleasesTheOldFont)
{
    CFontPool pool;
    ASSERT_EQ(pool.loadFont("msg", "main", 0), -1); // "main" taken as the folder: no such table
    ASSERT_EQ(pool.loadFont("msg", folder(), 0), -1); // no table named "msg" either
    EXPECT_NE(pool.lookup("msg"), nullptr); // a failed load keeps its font
    // Fonts are loaded under their pool name.
    OrvaneTest::WriteBitmapFont(dir.path(), "msg", {{'a', 3, 4, 0, 0, 0}}, {});
    ASSERT_EQ(pool.loadFont("msg", folder(), 0), 0);
    auto* old = static_cast<CBitmapFont*>(pool.lookup("msg"));
    old->addRef(); // as a text object showing it would
    ASSERT_EQ(old->pages.size(), 1u);

    OrvaneTest::WriteBitmapFont(dir.path(), "msg", {{'a', 30, 40, 0, 0, 0}}, {});
    ASSERT_EQ(pool.loadFont("msg", folder(), 0), 0);
    EXPECT_EQ(old->getRefCount(), 1); // the pool let go
    EXPECT_TRUE(old->pages.empty()); // and unloaded it first
    CFont* current = pool.lookup("msg");
    ASSERT_NE(current, old);
    EXPECT_EQ(current->getMaxGlyphSize(), std::make_pair(30, 40));
    EXPECT_EQ(current->getName(), "msg");
    EXPECT_EQ(pool.fonts.size(), 1u);
    old->release();
}

TEST_F(FontPoolTest, ReleaseUnusedKeepsHeldAndNonReleasableFonts)
{
    CFontPool pool;
    OrvaneTest::WriteBitmapFont(dir.path(), "script", {{'a', 1, 1, 0, 0, 0}}, {});
    OrvaneTest::WriteBitmapFont(dir.path(), "held", {{'a', 1, 1, 0, 0, 0}}, {});
    OrvaneTest::WriteBitmapFont(dir.path(), "loose", {{'a', 1, 1, 0, 0, 0}}, {});
    pool.loadFont("script", folder(), 0);
    pool.loadFont("held", folder(), 1);
    pool.loadFont("loose", folder(), 1);
    pool.loadFont("broken", folder(), 1); // failed load, still pooled and releasable
    CFont* held = pool.lookup("held");
    held->addRef();

    pool.releaseUnused();
    EXPECT_NE(pool.lookup("script"), nullptr);
    EXPECT_EQ(pool.lookup("held"), held);
    EXPECT_EQ(pool.lookup("loose"), nullptr);
    EXPECT_EQ(pool.lookup("broken"), nullptr);
    EXPECT_EQ(held->getRefCount(), 2);

    held->release();
    pool.releaseUnused();
    EXPECT_EQ(pool.lookup("held"), nullptr);
    EXPECT_EQ(pool.fonts.size(), 1u);
}

TEST_F(FontPoolTest, NamesCompareByteForByteAndEntriesErase)
{
    CFontPool pool;
    OrvaneTest::WriteBitmapFont(dir.path(), "Font", {{'a', 1, 1, 0, 0, 0}}, {});
    OrvaneTest::WriteBitmapFont(dir.path(), "font", {{'a', 1, 1, 0, 0, 0}}, {});
    pool.loadFont("Font", folder(), 0);
    pool.loadFont("font", folder(), 0);
    EXPECT_NE(pool.lookup("Font"), pool.lookup("font"));
    EXPECT_EQ(pool.fonts.size(), 2u);

    // The script class's unloadFont: release, then erase.
    auto entry = pool.find("Font");
    ASSERT_NE(entry, pool.fonts.end());
    entry->second->release();
    pool.eraseFont(entry);
    EXPECT_EQ(pool.lookup("Font"), nullptr);
    EXPECT_NE(pool.lookup("font"), nullptr);
}

TEST_F(FontPoolTest, SystemFontsArePooledAndStepped)
{
    CFontPool pool;
    EXPECT_EQ(pool.loadSystemFont(24, 400, 10, 0, 0, 1, "sys", "IPAexGothic"), 0);
    auto* font = static_cast<CSystemFont*>(pool.lookup("sys"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->autoRelease, 1u);
    font->getGlyph(0x3042, 0);
    EXPECT_EQ(font->pendingGlyphs.size(), 1u);
    pool.renderGlyphs();
    EXPECT_TRUE(font->pendingGlyphs.empty());
    pool.releaseUnused();
    EXPECT_EQ(pool.lookup("sys"), nullptr);
}
