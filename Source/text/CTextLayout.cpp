#include "text/CText.h"

#include "core/CApp.h"
#include "core/CFontPool.h"
#include "core/NGCodeSets.h"
#include "core/TextEncoding.h"
#include "text/CFont.h"
#include "text/CTextTokenizer.h"

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

struct RubyPlace
{
    float x;
    float y;
    float typeAlpha;
};

} // namespace

CFont* CText::poolFont(const std::string& name)
{
    const CApp* app = CApp::get();
    return app && app->fontPool ? app->fontPool->lookup(name) : nullptr;
}

const std::string* CText::rubyTextOf(const CTextTokenizer::CToken& token)
{
    for (const CTextTokenizer::CAttribute& attribute : token.attributes)
        if (attribute.key == "TEXT")
            return &attribute.value;
    return nullptr;
}

void CText::resetPen(int32_t startsAtLineStart)
{
    atLineStart = startsAtLineStart;
    penX = penY = columnWidth = lineHeight = 0;
    extentX = extentY = 0;
    lineCount = 1;
    previousWide = 0;
}

int CText::layoutText(const std::string& text)
{
    LayoutRun run;
    run.relayout = text.empty();
    if (!run.relayout)
    {
        run.baseCount = glyphList.size();
        run.rubyCount = rubyGlyphList.size();
    }
    run.font = poolFont(fontName);
    run.rubyFont = poolFont(rubyFontName);
    // Without a ruby font the base text is still laid out; only the ruby glyphs are left out.
    if (!run.font)
    {
        clear();
        return -1;
    }
    run.emptyLineHeight = run.font->getMaxGlyphSize().second;
    run.rubyHeight = run.rubyFont ? run.rubyFont->getMaxGlyphSize().second : 0;
    if (run.relayout)
        resetPen(1);

    CTextTokenizer tokenizer;
    if (tokenizer.tokenize(run.relayout ? sourceText : text) == 0)
        return -1;
    for (const CTextTokenizer::Line& line : tokenizer.lines)
        for (const CTextTokenizer::CToken& token : line)
        {
            const std::string* rubyText = rubyTextOf(token);
            walkToken(run, token.name, rubyText ? *rubyText : std::string(), rubyText != nullptr);
            if (!token.text.empty())
            {
                std::u16string units;
                utf8ToUtf16(token.text, units);
                walkText(run, units);
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

void CText::walkToken(LayoutRun& run, const std::string& name, const std::string& rubyText, bool hasRubyText)
{
    if (name == "RUBY")
    {
        run.ruby.clear();
        if (hasRubyText)
        {
            utf8ToUtf16(rubyText, run.ruby);
            run.rubyFirst = run.baseCount;
        }
    }
    else if (name == "/RUBY")
    {
        if (!run.ruby.empty() && run.rubyFont)
            placeRuby(run);
        run.ruby.clear();
    }
    else if (name == "I")
        run.italic = 1;
    else if (name == "/I")
        run.italic = 0;
    else if (name == "CENTER")
    {
        run.centerActive = true;
        run.centerStartX = penX;
        run.centerStartGlyph = long(run.baseCount);
        run.centerStartRuby = long(run.rubyCount);
    }
    else if (name == "/CENTER")
        endCenter(run);
}

void CText::endCenter(LayoutRun& run)
{
    run.centerActive = false;
    if (!centerPendingRun(run))
        centerPendingRun(run);
    run.centerStartGlyph = run.centerStartRuby = -1;
    if (run.baseCount == 0)
        return;
    // The pen goes right behind the run's last glyph, wherever the centring put it.
    if (const Glyph* last = baseGlyph(run.baseCount - 1))
    {
        const FontGlyph g = run.font->getGlyph(last->code, last->italic);
        penX = int32_t(float(last->width) + last->position.x + float(g.bearingAfter));
    }
}

void CText::walkText(LayoutRun& run, const std::u16string& units)
{
    for (size_t i = 0; i < units.size(); ++i)
    {
        const char16_t c = units[i];
        if (c == u'\t')
        {
            ++run.charIndex;
            continue;
        }
        if (c == u'\r' || c == u'\n')
        {
            lineFeed(run);
            // CR LF, LF CR, LF LF and CR CR make one break.
            if (i + 1 < units.size() && (units[i + 1] == u'\r' || units[i + 1] == u'\n'))
                ++i;
            continue;
        }
        placeCharacter(run, c);
    }
}

void CText::lineFeed(LayoutRun& run)
{
    if (!centerPendingRun(run))
        centerPendingRun(run);
    const int32_t height = lineHeight ? lineHeight : run.emptyLineHeight;
    ++lineCount;
    penY += rowSpace + height;
    extentY = penY;
    penX = 0;
    lineHeight = 0;
    previousWide = 0;
    run.hangCount = 0;
    atLineStart = 1;
    ++run.charIndex;
}

void CText::placeCharacter(LayoutRun& run, char16_t c)
{
    if (!run.italic && penX > 0 && run.baseCount > 0)
    {
        // Leaving italics: the slanted glyph's overhang is taken back.
        const Glyph* previous = baseGlyph(run.baseCount - 1);
        if (previous && previous->italic)
            penX -= run.font->getGlyph(previous->code, 1).bearingAfter;
    }
    const FontGlyph g = run.font->getGlyph(c, run.italic);
    lineHeight = std::max(lineHeight, g.height);
    if (!atLineStart)
        penX += (c >= 0x100 && previousWide) ? pitchWide : pitchNarrow;
    const int32_t span = g.bearingBefore + g.bearingAfter + g.width;
    atLineStart = 0;

    if (penX + span + pitchWide + g.width > fieldWidth && isNGCode(NGCodeSet::EndOfLine, c))
        penX = fieldWidth;
    if (penX + span > fieldWidth)
    {
        if (run.hangCount < 2 && isNGCode(NGCodeSet::HeadOfLine, c))
            ++run.hangCount;
        else
        {
            if (centerPendingRun(run))
            {
                penY += rowSpace + lineHeight;
                ++lineCount;
                extentY = penY;
                penX = 0;
                lineHeight = g.height;
            }
            atLineStart = 1;
            run.hangCount = 0;
        }
    }

    penX += g.bearingBefore;
    if (!run.relayout)
        glyphList.push_back(&makeGlyph(g, float(penX), float(penY), -48.0f * float(run.charIndex), c, run.italic, 0));
    else if (Glyph* record = baseGlyph(run.baseCount))
        record->position = {float(penX), float(penY)};

    penX += g.width + g.bearingAfter;
    ++run.baseCount;
    extentX = std::max(extentX, penX);
    extentY = std::max(extentY, penY + lineHeight);
    previousWide = c >= 0x100 ? 1 : 0;
    ++run.charIndex;
}

void CText::moveGlyphs(const std::vector<Glyph*>& list, size_t from, size_t to, float dx, float dy)
{
    for (size_t i = from; i < std::min(to, list.size()); ++i)
    {
        list[i]->position.x += dx;
        list[i]->position.y += dy;
    }
}

bool CText::centerPendingRun(LayoutRun& run)
{
    // A re-layout may walk more glyphs than exist: only existing ones take part.
    const size_t n = std::min(run.baseCount, glyphList.size());
    const long s = run.centerStartGlyph;
    if (s < 0 || size_t(s) >= n)
    {
        if (!run.centerActive)
        {
            run.centerStartGlyph = run.centerStartRuby = -1;
            run.centerStartX = 0;
        }
        return true;
    }
    const Glyph& first = *glyphList[size_t(s)];
    const Glyph& last = *glyphList[n - 1];
    const FontGlyph F = run.font->getGlyph(first.code, first.italic);
    const FontGlyph L = run.font->getGlyph(last.code, last.italic);
    const int32_t runWidth =
        int32_t(float(penX + F.bearingBefore) - (first.position.x + float(L.bearingAfter)));
    const int32_t shift = (fieldWidth - runWidth) / 2 - run.centerStartX;
    const size_t rubyFrom = run.centerStartRuby < 0 ? run.rubyCount : size_t(run.centerStartRuby);

    if (run.centerStartX != 0 && float(run.centerStartX) > float(shift) + first.position.x + float(L.bearingAfter))
    {
        // Too wide to be centred behind the text before it: the run moves to a line of its own.
        const int32_t oldPenY = penY;
        penX -= run.centerStartX;
        const int32_t height = lineHeight ? lineHeight : run.emptyLineHeight;
        penY += rowSpace + height;
        extentY = penY;
        lineHeight = 0;
        ++lineCount;
        run.hangCount = 0;
        atLineStart = 1;
        const float dx = -float(run.centerStartX);
        const float dy = float(penY - oldPenY);
        moveGlyphs(glyphList, size_t(s), n, dx, dy);
        moveGlyphs(rubyGlyphList, rubyFrom, run.rubyCount, dx, dy);
        run.centerStartX = 0;
        return false;
    }

    moveGlyphs(glyphList, size_t(s), n, float(shift), 0.0f);
    const size_t rubyEnd = std::min(run.rubyCount, rubyGlyphList.size());
    if (rubyFrom < rubyEnd)
    {
        // Ruby of the run on an earlier line stays where it is.
        const float lastY = rubyGlyphList[rubyEnd - 1]->position.y;
        for (size_t i = rubyFrom; i < rubyEnd; ++i)
            if (rubyGlyphList[i]->position.y == lastY)
                rubyGlyphList[i]->position.x += float(shift);
    }
    if (run.centerActive)
    {
        run.centerStartGlyph = long(run.baseCount);
        run.centerStartRuby = long(run.rubyCount);
    }
    else
        run.centerStartGlyph = run.centerStartRuby = -1;
    run.centerStartX = 0;
    return true;
}

void CText::placeRuby(LayoutRun& run)
{
    const size_t end = std::min(run.baseCount, glyphList.size());
    const size_t first = run.rubyFirst;
    // A ruby over no base glyph has nowhere to go.
    if (first >= end)
        return;
    const size_t N = run.ruby.size();
    const size_t b = end - first;
    std::vector<RubyPlace> places;

    auto rubyGlyph = [&](size_t k) { return run.rubyFont->getGlyph(run.ruby[k], run.italic); };
    auto overOwnGlyph = [&](size_t k, const Glyph& B) {
        const FontGlyph R = rubyGlyph(k);
        const FontGlyph G = run.font->getGlyph(B.code, run.italic);
        const float x = float(int32_t((float(B.width) - float(R.width)) * 0.5f + B.position.x) - G.bearingAfter +
                              R.bearingBefore);
        const float y = float(int32_t(B.position.y - float(run.rubyHeight) + float(rubyOffset) +
                                      float(B.height) * 0.25f + 0.5f));
        places.push_back({x, y, B.typeAlpha});
    };

    if (N == b)
        for (size_t k = 0; k < N; ++k)
            overOwnGlyph(k, *glyphList[first + k]);
    else
    {
        const float T0 = glyphList[first]->typeAlpha;
        const float T1 = glyphList[end - 1]->typeAlpha;
        size_t r0 = 0;
        for (size_t rowStart = first; rowStart < end;)
        {
            size_t rowEnd = rowStart + 1;
            while (rowEnd < end && glyphList[rowEnd]->position.y == glyphList[rowStart]->position.y)
                ++rowEnd;
            const Glyph& head = *glyphList[rowStart];
            const Glyph& tail = *glyphList[rowEnd - 1];
            const size_t rowLength = rowEnd - rowStart;
            const float baseWidth = tail.position.x + float(tail.width) - head.position.x;
            const size_t r1 = rowEnd == end
                                  ? N
                                  : size_t(float(rowLength) * float(N) / float(end - rowStart));
            if (r1 > r0)
            {
                float rubyWidth = 0.0f;
                for (size_t k = r0; k < r1; ++k)
                {
                    const FontGlyph R = rubyGlyph(k);
                    rubyWidth += float(R.bearingBefore + R.bearingAfter + R.width);
                }
                if (rowLength == r1 - r0)
                    for (size_t k = r0; k < r1; ++k)
                        overOwnGlyph(k, *glyphList[rowStart + (k - r0)]);
                else
                {
                    const size_t m = r1 - r0;
                    float gap = 0.0f;
                    if (m > 1 && baseWidth >= rubyWidth)
                        gap = std::min(baseWidth * 0.5f / float(m - 1), (baseWidth - rubyWidth) / float(m - 1));
                    float x = head.position.x - (rubyWidth + float(m - 1) * gap - baseWidth) * 0.5f;
                    const float y = float(int32_t(head.position.y - float(run.rubyHeight) + float(rubyOffset) +
                                                  float(head.height) * 0.25f + 0.5f));
                    for (size_t k = r0; k < r1; ++k)
                    {
                        const float t = N == 1 ? 0.5f : float(k) / float(N - 1);
                        places.push_back({float(int32_t(x + 0.5f)), y, T0 + (T1 - T0) * t});
                        const FontGlyph R = rubyGlyph(k);
                        x += float(R.bearingBefore + R.bearingAfter + R.width) + gap;
                    }
                }
            }
            r0 = r1;
            rowStart = rowEnd;
        }
    }

    for (size_t k = 0; k < N && k < places.size(); ++k)
    {
        if (!run.relayout)
        {
            Glyph& record = makeGlyph(rubyGlyph(k), places[k].x, places[k].y, places[k].typeAlpha, run.ruby[k],
                                      run.italic, 1);
            rubyGlyphList.push_back(&record);
        }
        else if (run.rubyCount < rubyGlyphList.size())
            rubyGlyphList[run.rubyCount]->position = {places[k].x, places[k].y};
        ++run.rubyCount;
    }
}

void CText::finishNewText()
{
    buildGlyphAtlas();
    typingDone = 0;
    typingBegun = 1;
    float total = 0.0f;
    for (Glyph& g : glyphStore)
    {
        total = std::max(total, 255.0f - g.typeAlpha);
        g.typeStart = g.typeAlpha;
    }
    float duration = 0.0f;
    if (const float rate = typingRate(); rate != 0.0f)
        duration = 16.0f / rate * total;
    typingInterpolator.set(0.0f, total, toWholeMilliseconds(duration), 0);
    setTimeScale(timeScale);
    setCenter(center[0], center[1]);
    markDirty();
    updateGlyphQuads();
}

} // namespace Orvane
