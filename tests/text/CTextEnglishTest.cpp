#include "text/CTextEnglish.h"

#include "TextTestFixture.h"

#include "core/CTask.h"

#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::Point;

namespace
{

class EnglishTextTest : public OrvaneTest::TextTest
{
};

struct WordCase
{
    const char* name;
    int32_t field;
    int32_t pitchNarrow;
    std::vector<std::string> prints; // the first through create, the rest through print
    std::vector<Point> base;
};

// Fixture glyphs: letters 12 wide, Japanese 24 wide, all 24 tall, no bearings.
TEST_F(EnglishTextTest, WordsWrapWhole)
{
    const std::vector<WordCase> cases = {
        {"Hello world wraps between the words", 100, 0, {"Hello world"},
         {{0, 0}, {12, 0}, {24, 0}, {36, 0}, {48, 0}, {60, 0}, {0, 24}, {12, 24}, {24, 24}, {36, 24}, {48, 24}}},
        {"an over-wide first word leaves line 1 empty", 30, 0, {"Hello ab"},
         {{0, 24}, {12, 24}, {24, 24}, {36, 24}, {48, 24}, {60, 24}, {0, 48}, {12, 48}}},
        {"a trailing . and space overhang", 60, 0, {"ab cd. ef"},
         {{0, 0}, {12, 0}, {24, 0}, {36, 0}, {48, 0}, {60, 0}, {72, 0}, {0, 24}, {12, 24}}},
        {"one pixel less and the word wraps", 59, 0, {"ab cd. ef"},
         {{0, 0}, {12, 0}, {24, 0}, {0, 24}, {12, 24}, {24, 24}, {36, 24}, {0, 48}, {12, 48}}},
        {"two trailing marks are left out of the fit", 30, 0, {"ab!!"}, {{0, 0}, {12, 0}, {24, 0}, {36, 0}}},
        {"a third trailing mark counts", 30, 0, {"ab!!!"}, {{0, 24}, {12, 24}, {24, 24}, {36, 24}, {48, 24}}},
        {"Japanese without spaces is one word", 60, 0, {"あいうえ"}, {{0, 24}, {24, 24}, {48, 24}, {72, 24}}},
        {"gap behind every glyph but the token's last", 1000, 2, {"ab cd"},
         {{0, 0}, {14, 0}, {28, 0}, {42, 0}, {56, 0}}},
        {"the measured word carries the gap before it", 69, 2, {"ab cd"},
         {{0, 0}, {14, 0}, {28, 0}, {0, 24}, {14, 24}}},
        {"the measured word fits with the gap", 70, 2, {"ab cd"}, {{0, 0}, {14, 0}, {28, 0}, {42, 0}, {56, 0}}},
        {"no gap at the end of a token", 1000, 2, {"ab</I>cd"}, {{0, 0}, {14, 0}, {26, 0}, {40, 0}}},
        {"no gap before a line feed", 1000, 2, {"ab\ncd"}, {{0, 0}, {14, 0}, {0, 24}, {14, 24}}},
        {"a line feed starts the next line at 0", 1000, 0, {"a\nb"}, {{0, 0}, {0, 24}}},
        {"CR LF is one break, LF CR LF two", 1000, 0, {"a\r\nb\n\r\nc"}, {{0, 0}, {0, 24}, {0, 72}}},
        {"an overhanging space before a line feed adds no line", 24, 0, {"ab \nc"},
         {{0, 0}, {12, 0}, {24, 0}, {0, 24}}},
        {"ruby shows its base only", 1000, 0, {"#{かな}漢字#"}, {{0, 0}, {24, 0}}},
        {"leaving italics pulls the pen back", 1000, 0, {"<I>ab</I>cd"}, {{0, 0}, {15, 0}, {27, 0}, {39, 0}}},
        {"CENTER run centred, the pen behind it", 100, 0, {"<CENTER>ab</CENTER>c"}, {{38, 0}, {50, 0}, {62, 0}}},
        {"CENTER run broken by a line feed is centred line by line", 100, 0, {"<CENTER>ab\ncd</CENTER>"},
         {{38, 0}, {50, 0}, {38, 24}, {50, 24}}},
        {"CENTER run whose first word wraps is centred on its new line", 100, 0, {"xy <CENTER>abcdefgh</CENTER>"},
         {{0, 0}, {12, 0}, {24, 0}, {2, 24}, {14, 24}, {26, 24}, {38, 24}, {50, 24}, {62, 24}, {74, 24}, {86, 24}}},
        {"CENTER run moved to a new line when a later word does not fit", 100, 0,
         {"xyz <CENTER>ab cdef</CENTER>"},
         {{0, 0}, {12, 0}, {24, 0}, {36, 0}, {8, 24}, {20, 24}, {32, 24}, {44, 24}, {56, 24}, {68, 24}, {80, 24}}},
        {"print goes on with the seam gap", 1000, 2, {"ab", "cd"}, {{0, 0}, {14, 0}, {28, 0}, {42, 0}}},
    };
    for (const WordCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTextEnglish* text = makeText<CTextEnglish>(c.field);
        text->setPitchSpace(50, c.pitchNarrow); // the wide pitch is never used
        ASSERT_EQ(text->create(c.prints[0]), 0);
        for (size_t i = 1; i < c.prints.size(); ++i)
            ASSERT_EQ(text->print(c.prints[i]), 0);
        EXPECT_EQ(positions(text->glyphList), c.base);
        EXPECT_TRUE(text->rubyGlyphList.empty());
    }
}

TEST_F(EnglishTextTest, LinesExtentsAndTyping)
{
    CTextEnglish* text = makeText<CTextEnglish>(30);
    ASSERT_EQ(text->create("Hello ab"), 0);
    EXPECT_EQ(text->getLineCount(), 3);
    EXPECT_EQ(text->getSize().x, 72.0f);
    EXPECT_EQ(text->getSize().y, 72.0f);
    EXPECT_EQ(text->glyphList[6]->typeAlpha, -48.0f * 6);
    EXPECT_EQ(text->typingInterpolator.to, 255.0f + 48.0f * 7);
    EXPECT_EQ(text->previousWide, 0);
    ASSERT_EQ(text->create("abあ"), 0);
    EXPECT_EQ(text->previousWide, 1);
}

TEST_F(EnglishTextTest, SetFieldRewrapsKeepingTheRecords)
{
    CTextEnglish* text = makeText<CTextEnglish>(1000);
    ASSERT_EQ(text->create("ab cd"), 0);
    text->pushAll();
    EXPECT_EQ(text->getLineCount(), 1);
    text->setField(40, 100);
    EXPECT_EQ(text->getGlyphRecordCount(), 5);
    EXPECT_EQ(positions(text->glyphList), (std::vector<Point>{{0, 0}, {12, 0}, {24, 0}, {0, 24}, {12, 24}}));
    EXPECT_EQ(text->getLineCount(), 2);
    EXPECT_EQ(text->getSize().x, 36.0f);
    EXPECT_EQ(text->getSize().y, 48.0f);
    EXPECT_EQ(text->glyphList[4]->typeAlpha, 255.0f); // typing not restarted
    EXPECT_EQ(text->atLineStart, 0);
}

TEST_F(EnglishTextTest, FontsAndFactory)
{
    CTextEnglish* text = makeText<CTextEnglish>();
    text->setRubyFont("missing"); // never looked up
    EXPECT_EQ(text->create("ab"), 0);
    text->setFont("missing");
    EXPECT_EQ(text->create("ab"), -1);
    EXPECT_EQ(text->getGlyphRecordCount(), 0);
    text->setFont("base");
    EXPECT_EQ(text->create("#{open"), -1);

    OrvaneTest::CallLog log;
    CTask* task = tasks.push(new OrvaneTest::TestTask(log, "scene"));
    for (int kind : {0, 1, 2, 3})
    {
        CText* made = task->createText(kind);
        ASSERT_NE(made, nullptr);
        texts.push_back(made);
        EXPECT_EQ(dynamic_cast<CTextEnglish*>(made) != nullptr, kind == 1) << kind;
    }
}

} // namespace
