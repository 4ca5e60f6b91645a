#include "text/CTextVertical.h"

#include "core/NGCodeSets.h"
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

bool isMark(char16_t c)
{
    return c == u'!' || c == u'?';
}

struct RubyPlace
{
    float x;
    float y;
    float typeAlpha;
};

} // namespace

CTextVertical::~CTextVertical() = default;

FontGlyph CTextVertical::cellMetrics(CFont* font, const Cell& cell, int italic)
{
    if (!cell.second)
        return font->getGlyph(cell.first, italic);
    const FontGlyph g1 = font->getGlyph(cell.first, italic);
    const FontGlyph g2 = font->getGlyph(cell.second, italic);
    FontGlyph pair;
    pair.width = g1.width + g2.width;
    pair.height = std::max(g1.height, g2.height);
    pair.bearingBefore = g1.bearingBefore;
    pair.bearingAfter = g2.bearingAfter;
    return pair;
}

void CTextVertical::clear()
{
    CText::clear();
    // The first glyph after a clear starts at the top of its column.
    atLineStart = 1;
}

int CTextVertical::print(const std::string& text)
{
    if (text.empty())
        return -1;
    if (sourceText.empty())
        return create(text);
    penY += printSeamGap(text);
    if (layoutText(text) < 0)
        return -1;
    sourceText += text;
    return 0;
}

int CTextVertical::layoutText(const std::string& text)
{
    ColumnRun run;
    run.relayout = text.empty();
    run.font = poolFont(fontName);
    run.rubyFont = poolFont(rubyFontName);
    // Without a ruby font the base text is still laid out; only the ruby glyphs are left out.
    if (!run.font)
    {
        clear();
        return -1;
    }
    run.emptyColumnWidth = run.font->getMaxGlyphSize().first;
    const auto rubySize = run.rubyFont ? run.rubyFont->getMaxGlyphSize() : std::pair<int32_t, int32_t>{0, 0};
    run.rubyMaxWidth = rubySize.first;
    run.rubyHeight = rubySize.second;
    if (run.relayout)
        resetPen(1);

    CTextTokenizer tokenizer;
    if (tokenizer.tokenize(run.relayout ? sourceText : text) == 0)
        return -1;
    for (const CTextTokenizer::Line& line : tokenizer.lines)
        for (const CTextTokenizer::CToken& token : line)
        {
            walkTag(run, token.name, rubyTextOf(token));
            if (!token.text.empty())
            {
                std::u16string units;
                utf8ToUtf16(token.text, units);
                walkColumns(run, units);
            }
        }

    commit(run);
    if (run.relayout)
    {
        markDirty();
        return 0;
    }
    finishNewText();
    return 0;
}

void CTextVertical::walkTag(ColumnRun& run, const std::string& name, const std::string* rubyText)
{
    if (name == "RUBY")
    {
        run.ruby.clear();
        if (rubyText)
        {
            utf8ToUtf16(*rubyText, run.ruby);
            run.rubyFirst = run.base.size();
        }
    }
    else if (name == "/RUBY")
    {
        if (!run.ruby.empty() && run.rubyFont)
            placeColumnRuby(run);
        run.ruby.clear();
    }
    else if (name == "I")
        run.italic = 1;
    else if (name == "/I")
        run.italic = 0;
    else if (name == "CENTER")
    {
        run.centerActive = true;
        run.centerStartY = penY;
        run.centerStartGlyph = long(run.base.size());
        run.centerStartRuby = long(run.rubyCells.size());
    }
    else if (name == "/CENTER")
    {
        run.centerActive = false;
        if (!centerColumnRun(run))
            centerColumnRun(run);
        run.centerStartGlyph = run.centerStartRuby = -1;
        if (run.base.empty())
            return;
        // The pen goes right behind the run's last glyph, wherever the centring put it.
        const Cell& last = run.base.back();
        const FontGlyph g = cellMetrics(run.font, last, last.italic);
        penY = int32_t(float(last.metrics.height) + last.y + float(g.bearingAfter));
    }
}

void CTextVertical::walkColumns(ColumnRun& run, const std::u16string& units)
{
    for (size_t i = 0; i < units.size(); ++i)
    {
        const char16_t c = units[i];
        if (c == u'\t')
        {
            ++run.charIndex;
            continue;
        }
        Cell cell;
        cell.first = c;
        cell.code = c;
        if (c >= 0x100)
            previousWide = 1;
        else if (isMark(c) && i + 1 < units.size() && isMark(units[i + 1]))
        {
            cell.second = units[++i];
            cell.code = uint32_t(c) * 256 + cell.second;
        }
        else if (isLineFeed(c))
        {
            columnBreak(run);
            // CR LF, LF CR, LF LF and CR CR make one break.
            if (i + 1 < units.size() && isLineFeed(units[i + 1]))
                ++i;
            continue;
        }
        placeCell(run, cell);
    }
}

void CTextVertical::placeCell(ColumnRun& run, Cell cell)
{
    if (!run.italic && penY > 0 && !run.base.empty() && run.base.back().italic)
        penY -= cellMetrics(run.font, run.base.back(), 1).bearingAfter;
    const FontGlyph g = cellMetrics(run.font, cell, run.italic);
    columnWidth = std::max(columnWidth, g.width);
    if (!atLineStart)
        penY += (cell.code >= 0x100 && previousWide) ? pitchWide : pitchNarrow;
    const int32_t span = g.bearingBefore + g.bearingAfter + g.height;
    atLineStart = 0;

    if (penY + span + pitchWide + g.height > fieldHeight && isNGCode(NGCodeSet::EndOfLine, cell.code))
        penY = fieldHeight;
    if (penY + span > fieldHeight)
    {
        if (run.hangCount < 2 && isNGCode(NGCodeSet::HeadOfLine, cell.code))
            ++run.hangCount;
        else
        {
            if (centerColumnRun(run))
            {
                penX += rowSpace + columnWidth;
                ++lineCount;
                extentX = penX;
                penY = 0;
                columnWidth = g.width;
            }
            atLineStart = 1;
            run.hangCount = 0;
        }
    }

    penY += g.bearingBefore;
    cell.metrics = g;
    cell.x = float(penX);
    cell.y = float(penY);
    cell.typeAlpha = -48.0f * float(run.charIndex);
    cell.italic = run.italic;
    run.base.push_back(cell);

    penY += g.height + g.bearingAfter;
    extentY = std::max(extentY, penY);
    extentX = std::max(extentX, penX + columnWidth);
    ++run.charIndex;
}

void CTextVertical::columnBreak(ColumnRun& run)
{
    if (!centerColumnRun(run))
        centerColumnRun(run);
    run.hangCount = 0;
    ++lineCount;
    penX += rowSpace + (columnWidth ? columnWidth : run.emptyColumnWidth);
    extentX = penX;
    penY = 0;
    columnWidth = 0;
    atLineStart = 1;
    ++run.charIndex;
}

bool CTextVertical::centerColumnRun(ColumnRun& run)
{
    const size_t n = run.base.size();
    const long s = run.centerStartGlyph;
    if (s < 0 || size_t(s) >= n)
    {
        if (!run.centerActive)
            run.centerStartGlyph = run.centerStartRuby = -1;
        // A run with no glyph yet is about to begin at the top of the next column.
        run.centerStartY = 0;
        return true;
    }
    const Cell& first = run.base[size_t(s)];
    const Cell& last = run.base[n - 1];
    const FontGlyph F = cellMetrics(run.font, first, first.italic);
    const FontGlyph L = cellMetrics(run.font, last, last.italic);
    const int32_t runLength = int32_t(float(penY + F.bearingBefore) - (first.y + float(L.bearingAfter)));
    const int32_t shift = (fieldHeight - runLength) / 2 - run.centerStartY;
    const size_t rubyFrom = run.centerStartRuby < 0 ? run.rubyCells.size() : size_t(run.centerStartRuby);
    auto move = [](std::vector<Cell>& cells, size_t from, float dx, float dy) {
        for (size_t i = from; i < cells.size(); ++i)
        {
            cells[i].x += dx;
            cells[i].y += dy;
        }
    };

    if (run.centerStartY != 0 && float(run.centerStartY) > float(shift) + first.y + float(L.bearingAfter))
    {
        // No room to centre it below the text before it: the run moves to a column of its own.
        const int32_t oldPenX = penX;
        penY -= run.centerStartY;
        penX += rowSpace + (columnWidth ? columnWidth : run.emptyColumnWidth);
        extentX = penX;
        columnWidth = 0;
        ++lineCount;
        run.hangCount = 0;
        atLineStart = 1;
        const float dx = float(penX - oldPenX);
        const float dy = -float(run.centerStartY);
        move(run.base, size_t(s), dx, dy);
        move(run.rubyCells, rubyFrom, dx, dy);
        run.centerStartY = 0;
        return false;
    }

    move(run.base, size_t(s), 0.0f, float(shift));
    if (rubyFrom < run.rubyCells.size())
    {
        // Ruby of the run in an earlier column stays where it is.
        const float lastX = run.rubyCells.back().x;
        for (size_t i = rubyFrom; i < run.rubyCells.size(); ++i)
            if (run.rubyCells[i].x == lastX)
                run.rubyCells[i].y += float(shift);
    }
    if (run.centerActive)
    {
        run.centerStartGlyph = long(n);
        run.centerStartRuby = long(run.rubyCells.size());
    }
    else
        run.centerStartGlyph = run.centerStartRuby = -1;
    run.centerStartY = 0;
    return true;
}

void CTextVertical::placeColumnRuby(ColumnRun& run)
{
    const size_t end = run.base.size();
    const size_t first = run.rubyFirst;
    // A ruby over no base glyph has nowhere to go.
    if (first >= end)
        return;
    const size_t N = run.ruby.size();
    const size_t b = end - first;
    std::vector<RubyPlace> places;

    auto rubyGlyph = [&](size_t k) { return run.rubyFont->getGlyph(run.ruby[k], run.italic); };
    auto rubyLength = [&](size_t k) {
        const FontGlyph R = rubyGlyph(k);
        return float(R.bearingBefore + R.bearingAfter + R.height);
    };
    // Beside the column to its left before mirroring, so beside it on the right once mirrored.
    auto besideX = [&](float baseX, int32_t baseWidth) {
        return float(int32_t(baseX - float(run.rubyMaxWidth) + float(rubyOffset) + float(baseWidth) * 0.25f));
    };
    auto besideOwnGlyph = [&](size_t k, const Cell& B) {
        const FontGlyph R = rubyGlyph(k);
        const FontGlyph G = cellMetrics(run.font, B, run.italic);
        const float y = float(int32_t((float(B.metrics.height) - float(R.height)) * 0.5f + B.y) - G.bearingAfter +
                              R.bearingBefore);
        places.push_back({besideX(B.x, B.metrics.width), y, B.typeAlpha});
    };

    if (N == b)
        for (size_t k = 0; k < N; ++k)
            besideOwnGlyph(k, run.base[first + k]);
    else
    {
        const float T0 = run.base[first].typeAlpha;
        const float T1 = run.base[end - 1].typeAlpha;
        size_t r0 = 0;
        for (size_t columnStart = first; columnStart < end;)
        {
            const int32_t columnX = int32_t(run.base[columnStart].x);
            size_t columnEnd = columnStart + 1;
            while (columnEnd < end && int32_t(run.base[columnEnd].x) == columnX)
                ++columnEnd;
            const Cell& head = run.base[columnStart];
            const Cell& tail = run.base[columnEnd - 1];
            const size_t columnLength = columnEnd - columnStart;
            const float baseHeight = tail.y + float(tail.metrics.height) - head.y;
            const size_t r1 = columnEnd == end
                                  ? N
                                  : size_t(float(columnLength) * float(N) / float(end - columnStart));
            if (r1 > r0)
            {
                float rubyHeight = 0.0f;
                for (size_t k = r0; k < r1; ++k)
                    rubyHeight += rubyLength(k);
                if (columnLength == r1 - r0)
                    for (size_t k = r0; k < r1; ++k)
                        besideOwnGlyph(k, run.base[columnStart + (k - r0)]);
                else
                {
                    const size_t m = r1 - r0;
                    float gap = 0.0f;
                    if (m > 1 && baseHeight >= rubyHeight)
                        gap = std::min(baseHeight * 0.5f / float(m - 1), (baseHeight - rubyHeight) / float(m - 1));
                    float y = head.y - (rubyHeight + float(m - 1) * gap - baseHeight) * 0.5f;
                    const float x = besideX(head.x, head.metrics.width);
                    for (size_t k = r0; k < r1; ++k)
                    {
                        const float t = N == 1 ? 0.5f : float(k) / float(N - 1);
                        places.push_back({x, float(int32_t(y)), T0 + (T1 - T0) * t});
                        y += rubyLength(k) + gap;
                    }
                }
            }
            r0 = r1;
            columnStart = columnEnd;
        }
    }

    for (size_t k = 0; k < N && k < places.size(); ++k)
    {
        Cell& cell = run.rubyCells.emplace_back();
        cell.metrics = rubyGlyph(k);
        cell.x = places[k].x;
        cell.y = places[k].y;
        cell.typeAlpha = places[k].typeAlpha;
        cell.code = cell.first = run.ruby[k];
        cell.italic = run.italic;
    }
}

void CTextVertical::mirror(std::vector<Cell>& cells, int32_t fieldWidth)
{
    if (cells.empty())
        return;
    float sum = 0.0f;
    for (const auto& cell : cells)
        sum += float(cell.metrics.width);
    const float average = sum / float(cells.size());
    for (auto& cell : cells)
    {
        const float w = float(cell.metrics.width);
        cell.x = float(fieldWidth) - cell.x - w - (average - w) * 0.5f;
    }
}

void CTextVertical::commit(ColumnRun& run)
{
    mirror(run.base, fieldWidth);
    // A pair cell becomes its two characters side by side, the second one first in the list.
    std::vector<Cell> cells;
    cells.reserve(run.base.size());
    for (const Cell& cell : run.base)
    {
        if (!cell.second)
        {
            cells.push_back(cell);
            continue;
        }
        Cell second = cell;
        second.code = second.first = cell.second;
        second.second = 0;
        second.x += float(run.font->getGlyph(cell.first, cell.italic).width);
        cells.push_back(second);
        Cell first = cell;
        first.code = cell.first;
        first.second = 0;
        cells.push_back(first);
    }

    for (size_t i = 0; i < cells.size(); ++i)
    {
        const Cell& cell = cells[i];
        if (!run.relayout)
        {
            const FontGlyph g = run.font->getGlyph(cell.code, cell.italic);
            glyphList.push_back(&makeGlyph(g, cell.x, cell.y, cell.typeAlpha, char16_t(cell.code), cell.italic, 0));
        }
        else if (Glyph* record = baseGlyph(i))
            record->position = {cell.x, cell.y};
    }

    mirror(run.rubyCells, fieldWidth);
    for (size_t i = 0; i < run.rubyCells.size(); ++i)
    {
        const Cell& cell = run.rubyCells[i];
        if (!run.relayout)
        {
            const FontGlyph g = run.rubyFont->getGlyph(cell.code, cell.italic);
            rubyGlyphList.push_back(&makeGlyph(g, cell.x, cell.y, cell.typeAlpha, char16_t(cell.code), cell.italic, 1));
        }
        else if (i < rubyGlyphList.size())
            rubyGlyphList[i]->position = {cell.x, cell.y};
    }
}

} // namespace Orvane
