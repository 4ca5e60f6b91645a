#pragma once

#include "text/CText.h"

#include <string>
#include <vector>

namespace Orvane
{

// A text set word by word: a word that does not fit moves to the next line whole. No line-break
// code sets, no ruby (the base text shows), no wide pitch.
class CTextEnglish : public CText
{
public:
    using CText::CText;
    ~CTextEnglish() override;

    int layoutText(const std::string& text) override;

private:
    // A glyph of the word being measured, placed relative to the word's start.
    struct WordGlyph
    {
        FontGlyph glyph;
        float x = 0.0f;
        float typeAlpha = 0.0f;
        char16_t code = 0;
        int italic = 0;
    };

    struct WordRun
    {
        std::vector<WordGlyph> glyphs;
        float penX = 0.0f;
        float width = 0.0f; // for the fit test only
        float lastPitch = 0.0f;
    };

    void walkTag(LayoutRun& run, const std::string& name);
    void walkWords(LayoutRun& run, WordRun& word, const std::u16string& units);
    void addToWord(LayoutRun& run, WordRun& word, const std::u16string& units, size_t k);
    void endWord(LayoutRun& run, WordRun& word, bool lineFeed);
    void breakLine(const LayoutRun& run);
    // The centring step; leaves atLineStart alone, which this layout never uses.
    bool centerRun(LayoutRun& run);
};

} // namespace Orvane
