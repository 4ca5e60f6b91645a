#include "text/CTextVertical.h"

#include "TextTestFixture.h"

#include "core/CTask.h"

#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::Point;

namespace
{

class VerticalTextTest : public OrvaneTest::TextTest
{
};

struct ColumnCase
{
    const char* name;
    int32_t height; // the field is 100 wide
    int32_t pitchWide;
    int32_t pitchNarrow;
    int32_t rowSpace;
    std::vector<std::string> prints; // the first through create, the rest through print
    std::vector<Point> base;
    std::vector<Point> ruby;
    std::vector<char16_t> codes; // of the base glyphs in list order, where it matters
};

// Fixture glyphs: letters 12 wide, Japanese 24 wide, all 24 tall; ruby glyphs 12 x 12. Columns are
// mirrored into a field 100 wide: a column of 24-wide glyphs starting at x 0 stands at 76.
TEST_F(VerticalTextTest, ColumnsRunRightToLeft)
{
    const std::vector<ColumnCase> cases = {
        {"columns mirrored right to left, two 。 hang at the bottom, the third breaks", 48, 0, 0, 0,
         {"あいうえ。。。"}, {{76, 0}, {76, 24}, {52, 0}, {52, 24}, {52, 48}, {52, 72}, {28, 0}}, {}, {}},
        {"with rowSpace 0 the second column stands 24 left", 1000, 0, 0, 0, {"あい\nう"},
         {{76, 0}, {76, 24}, {52, 0}}, {}, {}},
        {"rowSpace between the columns", 1000, 0, 0, 6, {"あい\nう"}, {{76, 0}, {76, 24}, {46, 0}}, {}, {}},
        {"an empty column is as wide as the font's widest glyph", 1000, 0, 0, 0, {"a\n\nb"},
         {{88, 0}, {52, 0}}, {}, {}},
        {"「 moved to the next column early", 80, 0, 0, 0, {"あい「う"}, {{76, 0}, {76, 24}, {52, 0}, {52, 24}}, {}, {}},
        {"!? shares a cell, split with the second character first", 1000, 0, 0, 0, {"は!?い"},
         {{76, 0}, {88, 24}, {76, 24}, {76, 48}}, {}, {u'は', u'?', u'!', u'い'}},
        {"a pair cell takes the wide pitch", 1000, 4, 2, 0, {"は!?い"},
         {{76, 0}, {88, 28}, {76, 28}, {76, 56}}, {}, {}},
        {"full-width ！？ stay single characters", 1000, 0, 0, 0, {"はい！？"},
         {{76, 0}, {76, 24}, {76, 48}, {76, 72}}, {}, {u'は', u'い', u'！', u'？'}},
        {"wide and narrow pitches, no gap at the top, centred in the average width", 1000, 4, 2, 0, {"aあb"},
         {{86, 0}, {80, 28}, {86, 54}}, {}, {}},
        {"ruby beside each base glyph, three quarters of its width to the right", 1000, 0, 0, 0, {"#{かな}漢字#"},
         {{76, 0}, {76, 24}}, {{94, 6}, {94, 30}}, {}},
        {"two ruby spread along a four-glyph column", 1000, 0, 0, 0, {"#{かな}漢字漢字#"},
         {{76, 0}, {76, 24}, {76, 48}, {76, 72}}, {{94, 12}, {94, 72}}, {}},
        {"ruby over a base broken into two columns", 72, 0, 0, 0, {"#{あいう}漢字漢字#"},
         {{76, 0}, {76, 24}, {76, 48}, {52, 0}}, {{94, 6}, {94, 54}, {70, 6}}, {}},
        {"CENTER run centred down the column, the pen behind it", 96, 0, 0, 0, {"<CENTER>あ</CENTER>い"},
         {{76, 36}, {76, 60}}, {}, {}},
        {"leaving italics pulls the pen back up", 1000, 0, 0, 0, {"<I>あ</I>い"}, {{76, 0}, {76, 24}}, {}, {}},
        {"print puts its gap on the column", 1000, 4, 2, 0, {"あ", "い"}, {{76, 0}, {76, 32}}, {}, {}},
    };
    for (const ColumnCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTextVertical* text = makeText<CTextVertical>(100, c.height);
        text->setPitchSpace(c.pitchWide, c.pitchNarrow);
        text->setRowSpace(c.rowSpace);
        ASSERT_EQ(text->create(c.prints[0]), 0);
        for (size_t i = 1; i < c.prints.size(); ++i)
            ASSERT_EQ(text->print(c.prints[i]), 0);
        EXPECT_EQ(positions(text->glyphList), c.base);
        EXPECT_EQ(positions(text->rubyGlyphList), c.ruby);
        if (!c.codes.empty())
        {
            std::vector<char16_t> codes;
            for (const CText::Glyph* g : text->glyphList)
                codes.push_back(char16_t(g->code));
            EXPECT_EQ(codes, c.codes);
        }
    }
}

TEST_F(VerticalTextTest, PairCellIsOneCharacterForTyping)
{
    CTextVertical* text = makeText<CTextVertical>(100, 1000);
    ASSERT_EQ(text->create("!?a"), 0);
    ASSERT_EQ(text->glyphList.size(), 3u);
    EXPECT_EQ(text->glyphList[0]->typeAlpha, 0.0f);
    EXPECT_EQ(text->glyphList[1]->typeAlpha, 0.0f);
    EXPECT_EQ(text->glyphList[2]->typeAlpha, -48.0f);
    // Each half of the pair has its own glyph rectangle.
    EXPECT_EQ(text->glyphList[0]->width, 12);
    EXPECT_EQ(text->glyphList[1]->width, 12);
}

TEST_F(VerticalTextTest, ClearStartsTheColumnWithoutAGap)
{
    CTextVertical* text = makeText<CTextVertical>(100, 1000);
    text->setPitchSpace(4, 2);
    text->clear();
    EXPECT_EQ(text->atLineStart, 1);
    ASSERT_EQ(text->create("あい"), 0);
    EXPECT_EQ(positions(text->glyphList), (std::vector<Point>{{76, 0}, {76, 28}}));
    // The standard text gives the first glyph its gap.
    CText* standard = makeText(100);
    standard->setPitchSpace(4, 2);
    ASSERT_EQ(standard->create("あい"), 0);
    EXPECT_EQ(standard->glyphList[0]->position.x, 2.0f);
}

TEST_F(VerticalTextTest, SetFieldBreaksTheColumnsAgain)
{
    CTextVertical* text = makeText<CTextVertical>(100, 1000);
    ASSERT_EQ(text->create("#{か}あ#いう"), 0);
    text->pushAll();
    EXPECT_EQ(text->getLineCount(), 1);
    text->setField(100, 48);
    EXPECT_EQ(text->getGlyphRecordCount(), 4);
    EXPECT_EQ(positions(text->glyphList), (std::vector<Point>{{76, 0}, {76, 24}, {52, 0}}));
    EXPECT_EQ(positions(text->rubyGlyphList), (std::vector<Point>{{94, 6}}));
    EXPECT_EQ(text->getLineCount(), 2);
    EXPECT_EQ(text->getSize().x, 48.0f);
    EXPECT_EQ(text->getSize().y, 48.0f);
    EXPECT_EQ(text->glyphList[2]->typeAlpha, 255.0f); // typing not restarted
}

TEST_F(VerticalTextTest, FontsAndFactory)
{
    CTextVertical* text = makeText<CTextVertical>();
    // Without its ruby font the base column is still laid out; only the ruby is left out.
    text->setRubyFont("missing");
    EXPECT_EQ(text->create("#{かな}漢字#"), 0);
    EXPECT_EQ(text->glyphList.size(), 2u);
    EXPECT_TRUE(text->rubyGlyphList.empty());
    text->setFont("missing");
    EXPECT_EQ(text->create("あ"), -1);
    EXPECT_EQ(text->getGlyphRecordCount(), 0);
    text->setFont("base");
    text->setRubyFont("ruby");
    EXPECT_EQ(text->create("#{open"), -1);

    OrvaneTest::CallLog log;
    CTask* task = tasks.push(new OrvaneTest::TestTask(log, "scene"));
    for (int kind : {0, 1, 2, 3})
    {
        CText* made = task->createText(kind);
        ASSERT_NE(made, nullptr);
        texts.push_back(made);
        EXPECT_EQ(dynamic_cast<CTextVertical*>(made) != nullptr, kind == 2) << kind;
    }
}

} // namespace
