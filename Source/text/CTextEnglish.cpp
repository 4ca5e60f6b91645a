#include "text/CTextEnglish.h"

#include "core/TextEncoding.h"
#include "text/CFont.h"
#include "text/CTextTokenizer.h"

#include <algorithm>

namespace Orvane
{

namespace
{

bool isLineFeed(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

// Closing punctuation and the space may reach past the field's edge.
bool mayOverhang(uint32_t code)
{
    switch (code)
    {
    case u' ':
    case u'.':
    case u')':
    case u'"':
    case u'?':
    case u'!':
    case u'\'':
    case u'}':
        return true;
    default:
        return false;
    }
}

// Whether a visible unit follows k in the token: markup leftovers and line feeds do not count.
bool visibleUnitFollows(const std::u16string& units, size_t k)
{
    for (size_t i = k + 1; i < units.size(); ++i)
    {
        const char16_t c = units[i];
        if (c != u'#' && c != u'{' && c != u'}' && !isLineFeed(c))
            return true;
    }
    return false;
}

} // namespace

CTextEnglish::~CTextEnglish() = default;

int CTextEnglish::layoutText(const std::string& text)
{
    LayoutRun run;
    run.relayout = text.empty();
    if (!run.relayout)
        run.baseCount = glyphList.size();
    run.font = poolFont(fontName);
    if (!run.font)
    {
        clear();
        return -1;
    }
    run.emptyLineHeight = run.font->getMaxGlyphSize().second;
    if (run.relayout)
        resetPen(0);

    CTextTokenizer tokenizer;
    if (tokenizer.tokenize(run.relayout ? sourceText : text) == 0)
        return -1;
    WordRun word;
    for (const CTextTokenizer::Line& line : tokenizer.lines)
        for (const CTextTokenizer::CToken& token : line)
        {
            walkTag(run, token.name);
            if (!token.text.empty())
            {
                std::u16string units;
                utf8ToUtf16(token.text, units);
                walkWords(run, word, units);
            }
        }

    if (run.relayout)
    {
        markDirty();
        return 0;
    }
    finishNewText();
    return 0;
}

void CTextEnglish::walkTag(LayoutRun& run, const std::string& name)
{
    if (name == "I")
        run.italic = 1;
    else if (name == "/I")
        run.italic = 0;
    else if (name == "CENTER")
    {
        run.centerActive = true;
        run.centerStartX = penX;
        run.centerStartGlyph = long(run.baseCount);
    }
    else if (name == "/CENTER")
    {
        run.centerActive = false;
        if (!centerRun(run))
            centerRun(run);
        if (run.baseCount == 0)
            return;
        // The pen goes right behind the run's last glyph, wherever the centring put it.
        if (const Glyph* last = baseGlyph(run.baseCount - 1))
        {
            const FontGlyph g = run.font->getGlyph(last->code, last->italic);
            penX = int32_t(float(last->width) + last->position.x + float(g.bearingAfter));
        }
    }
    // Ruby tags show only their base text.
}

void CTextEnglish::walkWords(LayoutRun& run, WordRun& word, const std::u16string& units)
{
    for (size_t k = 0; k < units.size(); ++k)
    {
        const char16_t c = units[k];
        previousWide = 0;
        bool ends = false;
        bool lineFeed = false;
        if (c >= 0x100)
            previousWide = 1;
        else if (isLineFeed(c))
        {
            ends = lineFeed = true;
            if (k + 1 < units.size() && isLineFeed(units[k + 1]))
                ++k;
        }
        else if (c == u' ')
            ends = true;
        // A word never runs on into the next token.
        if (k + 1 == units.size())
            ends = true;
        if (!lineFeed && c != u'\t')
            addToWord(run, word, units, k);
        ++run.charIndex;
        if (ends)
            endWord(run, word, lineFeed);
    }
}

void CTextEnglish::addToWord(LayoutRun& run, WordRun& word, const std::u16string& units, size_t k)
{
    const char16_t c = units[k];
    const FontGlyph g = run.font->getGlyph(c, run.italic);
    if (!run.italic)
    {
        // Leaving italics: the slanted glyph's overhang is taken back.
        const WordGlyph* inWord = word.glyphs.empty() ? nullptr : &word.glyphs.back();
        const Glyph* committed = !inWord && run.baseCount > 0 ? baseGlyph(run.baseCount - 1) : nullptr;
        if ((inWord && inWord->italic) || (committed && committed->italic))
            word.penX -= float(run.font->getGlyph(inWord ? inWord->code : committed->code, 1).bearingAfter);
    }
    WordGlyph& placed = word.glyphs.emplace_back();
    placed.glyph = g;
    placed.x = word.penX + float(g.bearingBefore);
    placed.typeAlpha = -48.0f * float(run.charIndex);
    placed.code = c;
    placed.italic = run.italic;

    const float advance = float(g.bearingBefore + g.width + g.bearingAfter);
    word.width += advance + word.lastPitch;
    word.penX += advance;
    // The gap follows a glyph only when something visible comes after it in the token.
    if (visibleUnitFollows(units, k))
    {
        word.lastPitch = float(pitchNarrow);
        word.penX += float(pitchNarrow);
    }
}

void CTextEnglish::endWord(LayoutRun& run, WordRun& word, bool lineFeed)
{
    float fitWidth = word.width;
    for (size_t n = 0; n < 2 && n < word.glyphs.size(); ++n)
    {
        const WordGlyph& tail = word.glyphs[word.glyphs.size() - 1 - n];
        if (!mayOverhang(tail.code))
            break;
        fitWidth -= float(tail.glyph.width);
    }
    // A word without glyphs has nothing to move: wrapping it would only leave an empty line.
    if (!word.glyphs.empty() && float(penX) + fitWidth > float(fieldWidth) && centerRun(run))
        breakLine(run);

    for (const WordGlyph& w : word.glyphs)
    {
        const Kavro::Vector2D position{w.x + float(penX), float(penY)};
        lineHeight = std::max(lineHeight, w.glyph.height);
        if (!run.relayout)
        {
            const FontGlyph g = run.font->getGlyph(w.code, w.italic);
            glyphList.push_back(&makeGlyph(g, position.x, position.y, w.typeAlpha, w.code, w.italic, 0));
        }
        else if (Glyph* record = baseGlyph(run.baseCount))
            record->position = position;
        ++run.baseCount;
    }
    penX = int32_t(float(penX) + word.penX);
    extentX = std::max(extentX, penX);
    extentY = std::max(extentY, penY + lineHeight);

    if (lineFeed)
    {
        if (!centerRun(run))
            centerRun(run);
        breakLine(run);
    }
    word.glyphs.clear();
    word.penX = 0.0f;
    word.width = 0.0f;
}

void CTextEnglish::breakLine(const LayoutRun& run)
{
    extentX = std::max(extentX, penX);
    penX = 0;
    penY += rowSpace + (lineHeight ? lineHeight : run.emptyLineHeight);
    lineHeight = 0;
    ++lineCount;
    extentY = penY;
}

bool CTextEnglish::centerRun(LayoutRun& run)
{
    // A run with no glyph yet is about to begin on the next line, at its start.
    if (run.centerActive && run.centerStartGlyph >= long(run.baseCount))
        run.centerStartX = 0;
    const int32_t keep = atLineStart;
    const bool centred = centerPendingRun(run);
    atLineStart = keep;
    return centred;
}

} // namespace Orvane
