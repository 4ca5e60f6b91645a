#pragma once

#include "text/CText.h"

#include <string>
#include <vector>

namespace Orvane
{

// Japanese set in vertical columns: the pen runs down a column of the field's height, columns follow
// one another, and the first column stands at the field's right edge. Two "!" or "?" in a row share
// one cell side by side.
class CTextVertical : public CText
{
public:
    using CText::CText;
    ~CTextVertical() override;

    int layoutText(const std::string& text) override;
    int print(const std::string& text) override;
    void clear() override;

private:
    // A glyph laid out in the call's own lists; the first column is mirrored to the right at the end.
    struct Cell
    {
        FontGlyph metrics;
        float x = 0.0f;
        float y = 0.0f;
        float typeAlpha = 0.0f;
        uint32_t code = 0; // a pair cell: first * 256 + second until it is split
        char16_t first = 0;
        char16_t second = 0; // 0 unless a pair cell
        int italic = 0;
    };

    struct ColumnRun : LayoutRun
    {
        int32_t emptyColumnWidth = 0;
        int32_t rubyMaxWidth = 0;
        int32_t centerStartY = 0;
        std::vector<Cell> base;
        std::vector<Cell> rubyCells;
    };

    void walkTag(ColumnRun& run, const std::string& name, const std::string* rubyText);
    void walkColumns(ColumnRun& run, const std::u16string& units);
    void placeCell(ColumnRun& run, Cell cell);
    void columnBreak(ColumnRun& run);
    bool centerColumnRun(ColumnRun& run);
    void placeColumnRuby(ColumnRun& run);
    void commit(ColumnRun& run);
    static FontGlyph cellMetrics(CFont* font, const Cell& cell, int italic);
    // x runs from the field's right edge leftwards, each cell centred in a column of the average width.
    static void mirror(std::vector<Cell>& cells, int32_t fieldWidth);
};

} // namespace Orvane
