#pragma once

#include "text/CText.h"

#include "core/CApp.h"
#include "core/CFontPool.h"
#include "core/NGCodeSets.h"
#include "text/CFont.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace OrvaneTest
{

// Glyphs of known sizes and no bearings: characters below U+0100 are 12 x 24, others 24 x 24; the ruby
// font's glyphs are 12 x 12. Italic glyphs are the upright ones with an overhang of 3.
class FixtureFont : public Orvane::CFont
{
public:
    FixtureFont(int32_t narrow, int32_t wide, int32_t height) : CFont(1), narrow(narrow), wide(wide), height(height)
    {
    }
    int unload() override { return 0; }
    Orvane::FontGlyph getGlyph(uint32_t code, int italic) override
    {
        Orvane::FontGlyph g;
        g.width = code < 0x100 ? narrow : wide;
        g.height = height;
        g.bearingAfter = italic ? 3 : 0;
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {wide, height}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    int32_t narrow, wide, height;
};

struct Point
{
    int x, y;
    bool operator==(const Point&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Point& p)
{
    return out << '(' << p.x << ',' << p.y << ')';
}

// Texts over the fixture fonts "base" and "ruby" in the application's font pool.
class TextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Orvane::resetNGCodes();
        if (!tasks.app->fontPool)
            tasks.app->fontPool = new Orvane::CFontPool;
        tasks.app->fontPool->fonts["base"] = new FixtureFont(12, 24, 24);
        tasks.app->fontPool->fonts["ruby"] = new FixtureFont(12, 12, 12);
    }
    void TearDown() override
    {
        for (Orvane::CText* text : texts)
            text->release();
    }
    template <class Text = Orvane::CText> Text* makeText(int32_t width = 1000, int32_t height = 500)
    {
        const int32_t size[2] = {width, height};
        Text* text = new Text("", size);
        text->setFont("base");
        text->setRubyFont("ruby");
        texts.push_back(text);
        return text;
    }
    static std::vector<Point> positions(const std::vector<Orvane::CText::Glyph*>& list)
    {
        std::vector<Point> out;
        for (const Orvane::CText::Glyph* g : list)
            out.push_back({int(g->position.x), int(g->position.y)});
        return out;
    }

    TaskTestApp tasks;
    std::vector<Orvane::CText*> texts;
};

} // namespace OrvaneTest
