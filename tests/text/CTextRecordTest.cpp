// The text's saved state: its bytes, a round trip onto a text laid out again, and how a reader that
// meets a record it cannot use leaves the file for the reader after it.
#include "text/CText.h"

#include "core/CFile.h"
#include "core/CFontPool.h"
#include "core/NGCodeSets.h"
#include "sprite/CEffectRandomShake.h"
#include "text/CFont.h"

#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Orvane;

namespace
{

// Every glyph 20 x 20, the ruby font's 10 x 10.
class SquareFont : public CFont
{
public:
    explicit SquareFont(int32_t side) : CFont(1), side(side) {}
    int unload() override { return 0; }
    FontGlyph getGlyph(uint32_t, int) override
    {
        FontGlyph g;
        g.width = g.height = side;
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {side, side}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    int32_t side;
};

constexpr uint32_t EmptyRecordSize = 28;
// End offset, rectangle, position, typing values and code, flags, the seven interpolators, the
// four corner colours and the shake type, each field behind its marker.
constexpr uint32_t GlyphRecordSize = 1044;
constexpr uint32_t Sentinel = 0x5EA1ED00u;

uint32_t word(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

class TextRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetNGCodes();
        if (!tasks.app->fontPool)
            tasks.app->fontPool = new CFontPool;
        tasks.app->fontPool->fonts["base"] = new SquareFont(20);
        tasks.app->fontPool->fonts["ruby"] = new SquareFont(10);
    }
    void TearDown() override
    {
        for (CText* text : texts)
            text->release();
    }
    CText* makeText(const std::string& source)
    {
        const int32_t size[2] = {400, 200};
        CText* text = new CText("", size);
        text->setFont("base");
        text->setRubyFont("ruby");
        if (!source.empty())
        {
            EXPECT_EQ(text->create(source), 0);
        }
        texts.push_back(text);
        return text;
    }
    // The record followed by a sentinel word, so a test sees where a reader left the file.
    std::vector<uint8_t> save(CText* text, const std::string& name = "text.bin")
    {
        CFile file;
        EXPECT_EQ(file.open(dir.file(name).c_str(), 0, 1, 0), 0);
        EXPECT_EQ(text->serialize(file), 1);
        EXPECT_EQ(file.writeDword(Sentinel), 1);
        EXPECT_EQ(file.close(), 0);
        return dir.read(name);
    }
    // deserialize's result, and whether the word after the reader's stop is the sentinel.
    std::pair<int, bool> load(CText* text, const std::string& name = "text.bin")
    {
        CFile file(dir.file(name).c_str());
        const int result = text->deserialize(file);
        uint32_t next = 0;
        file.readDword(next);
        return {result, next == Sentinel};
    }

    OrvaneTest::TaskTestApp tasks;
    OrvaneTest::TempDirectory dir;
    std::vector<CText*> texts;
};

// Animations a fresh layout does not have: typing half done, a fade on glyph 0, move, scale,
// rotation and a corner colour on glyph 1, a random shake on glyph 2 and on a ruby glyph, and
// a whole-text shake.
void animate(CText& text)
{
    CText::Glyph& a = *text.glyphList[0];
    a.typeAlpha = 127.5f;
    a.typeStart = -12.0f;
    a.fading = 1;
    a.alphaInterpolator.set(1.0f, 0.25f, 400, 3);
    a.alphaInterpolator.setTime(100.0f);
    CText::Glyph& b = *text.glyphList[1];
    b.moving = b.scaling = b.rotating = b.coloring = 1;
    b.moveInterpolator.set({0, 0}, {5, -7}, 300, 12);
    b.moveInterpolator.setTime(150.0f);
    b.scaleInterpolator.set({1, 1}, {2, 0.5f}, 300, 1);
    b.rotateInterpolator.set({0, 0, 0}, {0, 0, 90}, 300, 2);
    b.colorInterpolators[2].set({1, 1, 1}, {1, 0, 0}, 200, 4);
    b.colors[2] = 0xFF0000FFu;
    auto* shake = new CEffectRandomShake;
    shake->random = Kavro::CRandom(3);
    shake->begin({4, 4, 0}, {1, 1, 0}, 50, 1, 600, 2, 5);
    text.glyphList[2]->shakeEffect = shake;
    auto* rubyShake = new CEffectShake;
    rubyShake->begin({2, 0, 0}, {2, 0, 0}, 40, 0, 300, 0, 0);
    text.rubyGlyphList[0]->shakeEffect = rubyShake;
    text.shakeEffect = new CEffectShake;
    text.shakeEffect->begin({3, 3, 0}, {0, 0, 0}, 60, 1, 900, 0, 0);
}

} // namespace

TEST_F(TextRecordTest, EmptyTextWritesTheShortestRecord)
{
    const auto bytes = save(makeText(""));
    ASSERT_EQ(bytes.size(), EmptyRecordSize + 4);
    // End offset, then three fields each behind a marker that holds its own position.
    const std::vector<uint32_t> expected = {28, 4, 0, 12, 0, 20, 0};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(word(bytes, i * 4), expected[i]) << "word " << i;
}

TEST_F(TextRecordTest, GlyphRecordsFollowTheirCounts)
{
    CText* text = makeText("#{あ}か#");
    ASSERT_EQ(text->glyphList.size(), 1u);
    ASSERT_EQ(text->rubyGlyphList.size(), 1u);
    const auto bytes = save(text);
    ASSERT_EQ(bytes.size(), EmptyRecordSize + 2 * GlyphRecordSize + 4);
    EXPECT_EQ(word(bytes, 0), EmptyRecordSize + 2 * GlyphRecordSize);
    EXPECT_EQ(word(bytes, 16), 1u);                                 // base count
    EXPECT_EQ(word(bytes, 20), 20u + GlyphRecordSize);              // the glyph's own end offset
    EXPECT_EQ(word(bytes, 20 + GlyphRecordSize), 20u + GlyphRecordSize);  // marker of the ruby count
    EXPECT_EQ(word(bytes, 24 + GlyphRecordSize), 1u);
}

TEST_F(TextRecordTest, RoundTripRestoresAnimationsAndSavesTheSameBytes)
{
    const std::string source = "#{るび}漢字#を表示します";
    CText* original = makeText(source);
    ASSERT_GE(original->glyphList.size(), 3u);
    ASSERT_EQ(original->rubyGlyphList.size(), 2u);
    animate(*original);
    const auto saved = save(original, "a.bin");

    CText* restored = makeText(source);
    EXPECT_EQ(load(restored, "a.bin"), std::make_pair(1, true));
    EXPECT_EQ(save(restored, "b.bin"), saved);

    const CText::Glyph& a = *restored->glyphList[0];
    EXPECT_EQ(a.typeAlpha, 127.5f);
    EXPECT_EQ(a.typeStart, -12.0f);
    EXPECT_EQ(a.fading, 1);
    EXPECT_EQ(a.alphaInterpolator.elapsed, 100.0f);
    EXPECT_EQ(a.alphaInterpolator.to, 0.25f);
    const CText::Glyph& b = *restored->glyphList[1];
    EXPECT_EQ(b.moveInterpolator.to, (Kavro::Vector2D{5, -7}));
    EXPECT_EQ(b.moveInterpolator.easing, 12);
    EXPECT_EQ(b.colors[2], 0xFF0000FFu);
    EXPECT_EQ(b.colorInterpolators[2].to, (Kavro::Vector3D{1, 0, 0}));
    ASSERT_NE(restored->shakeEffect, nullptr);
    EXPECT_EQ(restored->shakeEffect->type, 1u);
    auto* shake = dynamic_cast<CEffectShake*>(restored->glyphList[2]->shakeEffect);
    ASSERT_NE(shake, nullptr);
    EXPECT_EQ(shake->type, 2u);
    ASSERT_NE(restored->rubyGlyphList[0]->shakeEffect, nullptr);
    EXPECT_EQ(restored->glyphList[0]->shakeEffect, nullptr);

    // Both go on alike: the random shake draws the same targets from its restored generator.
    auto* originalShake = dynamic_cast<CEffectShake*>(original->glyphList[2]->shakeEffect);
    for (int i = 0; i < 20; ++i)
    {
        originalShake->update();
        shake->update();
        ASSERT_EQ(originalShake->getOffset(), shake->getOffset()) << "step " << i;
    }
}

TEST_F(TextRecordTest, LoadingReplacesWhatTheTextHad)
{
    CText* saved = makeText("#{い}けこさ#");
    const auto bytes = save(saved);
    CText* text = makeText("#{あ}かきく#");
    animate(*text);
    EXPECT_EQ(load(text), std::make_pair(1, true));
    EXPECT_EQ(text->shakeEffect, nullptr);
    EXPECT_EQ(text->glyphList[2]->shakeEffect, nullptr);
    EXPECT_EQ(text->glyphList[1]->moving, 0);
    EXPECT_EQ(text->glyphList[0]->typeAlpha, saved->glyphList[0]->typeAlpha);
}

TEST_F(TextRecordTest, ReadersThatFailLeaveTheFileAtTheRecordEnd)
{
    struct Case
    {
        const char* name;
        std::string saved;
        std::string loaded;
        int result;
    };
    const std::vector<Case> cases = {
        {"same text", "#{あ}か#き", "#{あ}か#き", 1},
        {"no glyphs saved fits any text", "", "#{あ}か#き", 1},
        {"fewer base glyphs", "#{あ}か#き", "#{あ}か#", 0},
        {"more ruby glyphs", "#{あ}か#き", "#{あい}か#き", 0},
        {"glyphs saved, none laid out", "かき", "", 0},
    };
    for (const Case& c : cases)
    {
        save(makeText(c.saved));
        EXPECT_EQ(load(makeText(c.loaded)), std::make_pair(c.result, true)) << c.name;
    }
}

TEST_F(TextRecordTest, DamagedRecordsFailAndSkipToTheirEnd)
{
    CText* text = makeText("#{あ}か#きく");
    animate(*text);
    const auto good = save(text);
    struct Damage
    {
        const char* name;
        size_t at;
        uint32_t value;
    };
    // The whole-text shake's own record starts at 16, behind the type field and its marker; its first
    // word is its end, where the marker of the base count stands.
    const uint32_t shakeEnd = word(good, 16);
    const uint32_t firstGlyph = shakeEnd + 8;
    const std::vector<Damage> damages = {
        {"marker of the shake type", 4, 99},
        {"marker inside the first base glyph", firstGlyph + 4, 1},
        {"end offset of the first base glyph behind the record", firstGlyph, 0xFFFFFF},
        {"marker of the base count", shakeEnd, 7},
    };
    for (const Damage& d : damages)
    {
        auto bytes = good;
        for (size_t k = 0; k < 4; ++k)
            bytes[d.at + k] = uint8_t(d.value >> (8 * k));
        dir.write("bad.bin", bytes);
        EXPECT_EQ(load(makeText("#{あ}か#きく"), "bad.bin"), std::make_pair(0, true)) << d.name;
    }
}
