#include "TextTestFixture.h"

#include "core/CTask.h"

#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::Point;
using OrvaneTest::TextTest;

namespace
{

struct LayoutCase
{
    const char* name;
    int32_t field;
    int32_t pitchWide;
    int32_t pitchNarrow;
    std::vector<std::string> prints; // the first through create, the rest through print
    std::vector<Point> base;
    std::vector<Point> ruby;
};

TEST_F(TextTest, LayoutPlacesEveryGlyph)
{
    const std::vector<LayoutCase> cases = {
        {"right side exactly on the field width", 48, 0, 0, {"あいう"}, {{0, 0}, {24, 0}, {0, 24}}, {}},
        {"one pixel less wraps every glyph", 47, 0, 0, {"あいう"}, {{0, 0}, {0, 24}, {0, 48}}, {}},
        {"field 0: the first glyph wraps too", 0, 0, 0, {"あい"}, {{0, 24}, {0, 48}}, {}},
        {"two 。 hang, the third wraps", 48, 0, 0, {"あい。。。う"},
         {{0, 0}, {24, 0}, {48, 0}, {72, 0}, {0, 24}, {24, 24}}, {}},
        {"「 moved early", 80, 0, 0, {"あい「う"}, {{0, 0}, {24, 0}, {0, 24}, {24, 24}}, {}},
        {"「 stays when it and one more fit", 96, 0, 0, {"あい「う"}, {{0, 0}, {24, 0}, {48, 0}, {72, 0}}, {}},
        {"pitch wide only between wide characters", 1000, 4, 2, {"aあいb\nあい"},
         {{2, 0}, {16, 0}, {44, 0}, {70, 0}, {0, 24}, {28, 24}}, {}},
        {"no pitch before the second glyph of a wrapped line", 50, 4, 2, {"あいうえ"},
         {{2, 0}, {0, 24}, {24, 24}, {0, 48}}, {}},
        {"CR LF is one break, a blank line is as tall as the font", 1000, 0, 0, {"a\r\nb\n\nc"},
         {{0, 0}, {0, 24}, {0, 72}}, {}},
        {"double gap at a print seam", 1000, 4, 2, {"あ", "い"}, {{2, 0}, {34, 0}}, {}},
        {"print after a line break adds no seam gap", 1000, 4, 2, {"あ\n", "い"}, {{2, 0}, {0, 24}}, {}},
        {"CENTER run at the line start", 96, 0, 0, {"<CENTER>あ</CENTER>b"}, {{36, 0}, {60, 0}}, {}},
        {"CENTER run moving to a new line", 96, 0, 0, {"ab<CENTER>あいう</CENTER>c"},
         {{0, 0}, {12, 0}, {12, 24}, {36, 24}, {60, 24}, {84, 24}}, {}},
        {"CENTER run centred line by line", 48, 0, 0, {"<CENTER>あいう</CENTER>"}, {{0, 0}, {24, 0}, {12, 24}}, {}},
        {"ruby one per glyph", 1000, 0, 0, {"#{かな}漢字#"}, {{0, 0}, {24, 0}}, {{6, -5}, {30, -5}}},
        {"ruby spread over four glyphs", 1000, 0, 0, {"#{かな}漢字漢字#"},
         {{0, 0}, {24, 0}, {48, 0}, {72, 0}}, {{12, -5}, {72, -5}}},
        {"ruby wider than its base overhangs", 1000, 0, 0, {"#{かなかな}漢#"}, {{0, 0}}, {{-11, -5}, {0, -5}, {12, -5}, {24, -5}}},
        {"ruby over a base that wrapped onto two lines", 72, 0, 0, {"#{あいう}漢字漢字#"},
         {{0, 0}, {24, 0}, {48, 0}, {0, 24}}, {{6, -5}, {54, -5}, {6, 18}}},
        {"three ruby over 2+2+2 glyphs", 48, 0, 0, {"#{あいう}漢字漢字漢字#"},
         {{0, 0}, {24, 0}, {0, 24}, {24, 24}, {0, 48}, {24, 48}}, {{18, -5}, {6, 42}, {30, 42}}},
        {"ruby over no base places nothing", 1000, 0, 0, {"#{かな}#a"}, {{0, 0}}, {}},
        {"leaving italics pulls the pen back", 1000, 0, 0, {"<I>ab</I>c"}, {{0, 0}, {15, 0}, {27, 0}}, {}},
    };
    for (const LayoutCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CText* text = makeText(c.field);
        text->setPitchSpace(c.pitchWide, c.pitchNarrow);
        ASSERT_EQ(text->create(c.prints[0]), 0);
        for (size_t i = 1; i < c.prints.size(); ++i)
            ASSERT_EQ(text->print(c.prints[i]), 0);
        EXPECT_EQ(positions(text->glyphList), c.base);
        EXPECT_EQ(positions(text->rubyGlyphList), c.ruby);
    }
}

TEST_F(TextTest, SetFieldLaysOutAgainKeepingTheRecords)
{
    CText* text = makeText(1000);
    text->setField(48, 100); // empty: only stored
    EXPECT_EQ(text->getFieldSize(), (std::array<int32_t, 2>{48, 100}));
    text->setField(1000, 100);
    ASSERT_EQ(text->create("#{かな}漢字#う"), 0);
    text->pushAll();
    const int32_t records = text->getGlyphRecordCount();
    const float total = text->getTotalTime();
    EXPECT_EQ(records, 5);
    EXPECT_EQ(text->getSize().x, 72.0f);

    text->setField(48, 100);
    EXPECT_EQ(text->getGlyphRecordCount(), records);
    EXPECT_EQ(positions(text->glyphList), (std::vector<Point>{{0, 0}, {24, 0}, {0, 24}}));
    EXPECT_EQ(positions(text->rubyGlyphList), (std::vector<Point>{{6, -5}, {30, -5}}));
    EXPECT_EQ(text->getSize().x, 48.0f);
    EXPECT_EQ(text->getSize().y, 48.0f);
    EXPECT_EQ(text->getLineCount(), 2);
    EXPECT_EQ(text->getTotalTime(), total);
    EXPECT_EQ(text->glyphList[0]->typeAlpha, 255.0f); // typing not restarted

    text->setRubyOffset(3);
    EXPECT_EQ(positions(text->rubyGlyphList), (std::vector<Point>{{6, -2}, {30, -2}}));
    text->setRowSpace(10);
    EXPECT_EQ(positions(text->glyphList), (std::vector<Point>{{0, 0}, {24, 0}, {0, 34}}));
}

// Laying the concatenated prints out again may tokenize into more glyphs than the prints made: only the
// existing records are written.
TEST_F(TextTest, RelayoutOfJoinedPrintsStaysInsideTheRecords)
{
    const std::vector<std::vector<std::string>> prints = {{"&", "<b>"}, {"#", "{y}z#"}};
    for (const auto& texts : prints)
    {
        SCOPED_TRACE(texts[0] + texts[1]);
        CText* joined = makeText(1000);
        ASSERT_EQ(joined->create(texts[0] + texts[1]), 0);
        CText* text = makeText(1000);
        ASSERT_EQ(text->create(texts[0]), 0);
        ASSERT_EQ(text->print(texts[1]), 0);
        const int32_t records = text->getGlyphRecordCount();
        const size_t base = text->glyphList.size();
        text->setField(12, 100);
        text->setPitchSpace(1, 1);
        EXPECT_EQ(text->getGlyphRecordCount(), records);
        EXPECT_EQ(text->glyphList.size(), base);
        // The joined text makes other glyphs (more base glyphs, or a ruby glyph) than the prints did.
        EXPECT_TRUE(joined->glyphList.size() > base || joined->rubyGlyphList.size() > text->rubyGlyphList.size());
    }
}

TEST_F(TextTest, PrintAppendsAndRestartsTyping)
{
    CText* text = makeText();
    EXPECT_EQ(text->print("ab"), 0); // on an empty text: create
    text->pushAll();
    ASSERT_EQ(text->print("cd"), 0);
    EXPECT_EQ(text->getString(), "abcd");
    ASSERT_EQ(text->glyphList.size(), 4u);
    EXPECT_EQ(text->glyphList[2]->typeAlpha, 0.0f);
    EXPECT_EQ(text->glyphList[3]->typeAlpha, -48.0f);
    EXPECT_EQ(text->glyphList[0]->typeStart, 255.0f);
    EXPECT_EQ(text->typingInterpolator.to, 255.0f + 48.0f);
    EXPECT_EQ(text->isTyping(), 1);
    EXPECT_EQ(text->print(""), -1);
    EXPECT_EQ(text->getString(), "abcd");
}

TEST_F(TextTest, CreateAndFailures)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("abc"), 0);
    EXPECT_EQ(text->create(""), -1);
    EXPECT_EQ(text->getGlyphRecordCount(), 0);
    EXPECT_EQ(text->getString(), "");

    // Without its ruby font a text still shows its base glyphs; only the ruby is left out.
    text->setRubyFont("missing");
    EXPECT_EQ(text->create("abc"), 0);
    EXPECT_EQ(text->glyphList.size(), 3u);
    EXPECT_EQ(text->create("#{かな}漢字#"), 0);
    EXPECT_EQ(text->glyphList.size(), 2u);
    EXPECT_TRUE(text->rubyGlyphList.empty());
    text->setFont("missing");
    EXPECT_EQ(text->create("abc"), -1);
    EXPECT_EQ(text->getGlyphRecordCount(), 0);
    text->setFont("base");
    text->setRubyFont("ruby");
    EXPECT_EQ(text->create("#{open"), -1);

    ASSERT_EQ(text->create("ab"), 0);
    EXPECT_EQ(text->getCharacterRect(-1), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(text->getCharacterRect(2), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(text->getCharacterRect(1), (std::array<float, 4>{12, 0, 12, 24}));
    text->clearString();
    EXPECT_EQ(text->getGlyphRecordCount(), 2);
    ASSERT_EQ(text->print("x"), 0); // behaves as create
    EXPECT_EQ(text->getGlyphRecordCount(), 1);
}

TEST_F(TextTest, TypingDurationAtTheDefaultSpeed)
{
    CText* text = makeText();
    ASSERT_EQ(text->create("あいうえおかきくけこ"), 0);
    EXPECT_EQ(text->getTotalTime(), 194.0f);
    EXPECT_EQ(text->typingInterpolator.to, 255.0f + 48.0f * 9);
    EXPECT_EQ(text->typingBegun, 1);
    EXPECT_EQ(text->isTyping(), 1);

    text->setTimeScale(2.0f);
    EXPECT_EQ(text->typingInterpolator.timeScale, 2.0f);
    EXPECT_EQ(text->glyphList[3]->alphaInterpolator.timeScale, 2.0f);
    ASSERT_EQ(text->print("a"), 0);
    EXPECT_EQ(text->glyphList[10]->moveInterpolator.timeScale, 2.0f);

    text->typingSpeed = 0.0f;
    ASSERT_EQ(text->create("あい"), 0);
    EXPECT_EQ(text->getTotalTime(), 0.0f);
}

TEST_F(TextTest, AtlasCells)
{
    using Cell = std::array<int32_t, 4>;
    CText* text = makeText();
    ASSERT_EQ(text->create("あ"), 0);
    EXPECT_EQ(text->atlasSize, (std::array<int32_t, 2>{28, 28}));
    EXPECT_EQ(text->glyphList[0]->atlasCell, (Cell{2, 2, 24, 24}));
    EXPECT_EQ(text->atlasDirty, 1);

    tasks.core->log.clear();
    ASSERT_EQ(text->create("あいうえ"), 0);
    EXPECT_EQ(text->atlasSize, (std::array<int32_t, 2>{56, 56}));
    std::vector<Cell> cells;
    for (const CText::Glyph* g : text->glyphList)
        cells.push_back(g->atlasCell);
    EXPECT_EQ(cells, (std::vector<Cell>{{2, 2, 24, 24}, {30, 2, 24, 24}, {2, 30, 24, 24}, {30, 30, 24, 24}}));
    EXPECT_EQ(tasks.core->log.named("createRenderTexture"),
              (std::vector<std::string>{"createRenderTexture(56, 56, 4, 0, 0, 0)"}));

    // Same character once; italic and ruby forms get cells of their own.
    ASSERT_EQ(text->create("ああ<I>あ</I>#{あ}い#"), 0);
    const auto& base = text->glyphList;
    EXPECT_EQ(base[0]->atlasCell, base[1]->atlasCell);
    EXPECT_NE(base[0]->atlasCell, base[2]->atlasCell);
    ASSERT_EQ(text->rubyGlyphList.size(), 1u);
    EXPECT_NE(text->rubyGlyphList[0]->atlasCell, base[0]->atlasCell);
    EXPECT_EQ(text->atlasMap.size(), 4u);

    // Nothing laid out: a 0 x 0 atlas is no texture.
    tasks.core->log.clear();
    ASSERT_EQ(text->create("\n"), 0);
    EXPECT_EQ(text->atlasTexture, nullptr);
    EXPECT_TRUE(tasks.core->log.named("createRenderTexture").empty());
}

TEST_F(TextTest, BatchKeyAndScreenMapping)
{
    CText* text = makeText();
    EXPECT_EQ(text->getBatchKey(), "CText:0_0_0_1_FF000000");
    text->shadingParameterC = 0.5f;
    text->shadingParameterA = 3;
    text->shadingParameterB = 1.25f;
    text->blendMode = 2;
    text->shadowColors[0] = 0x80FF0A01u;
    EXPECT_EQ(text->getBatchKey(), "CText:0.5_3_1.25_2_80FF0A01");

    Kavro::Vector2D out;
    ASSERT_TRUE(text->mapScreenToText({0.0f, 0.0f}, out));
    EXPECT_FLOAT_EQ(out.x, 0.5f);
    EXPECT_FLOAT_EQ(out.y, 0.5f);
    ASSERT_TRUE(text->mapScreenToText({-1.0f, 1.0f}, out));
    EXPECT_FLOAT_EQ(out.x, 0.0f);
    EXPECT_FLOAT_EQ(out.y, 0.0f);
    EXPECT_FALSE(text->mapScreenToText({1.5f, 0.0f}, out));
}

TEST_F(TextTest, FactoryMakesAScreenSizedText)
{
    OrvaneTest::CallLog log;
    CTask* task = tasks.push(new OrvaneTest::TestTask(log, "scene"));
    CText* text = task->createText(0);
    ASSERT_NE(text, nullptr);
    texts.push_back(text);
    EXPECT_EQ(text->getFieldSize(), (std::array<int32_t, 2>{1280, 720}));
    EXPECT_EQ(text->fadeInterpolator.value, 1.0f);
    EXPECT_EQ(text->fontColors[0], 0xFFFFFFFFu);
    EXPECT_EQ(text->shadowColors[3], 0xFF000000u);
    EXPECT_FALSE(text->isBatched());
    EXPECT_EQ(text->lineCount, 1);
}

TEST_F(TextTest, UpdateAdvancesTypingOnlyWhenBegun)
{
    tasks.app->frameSpeed = 1.0f;
    tasks.app->frameTimeCap = 100.0f;
    CText* text = makeText();
    ASSERT_EQ(text->create("あいう"), 0);
    text->typingBegun = 0;
    tasks.core->milliTime += 16;
    text->update();
    EXPECT_EQ(text->typingInterpolator.elapsed, 0.0f);
    text->typingBegun = 1;
    tasks.core->milliTime += 16;
    text->update();
    EXPECT_GT(text->typingInterpolator.elapsed, 0.0f);
}

} // namespace
