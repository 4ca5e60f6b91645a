// Laying out a 400-character page of Japanese with ruby and building its glyph atlas (CText::create
// without a render device, so no texture is made), against tokenizing the same page alone, the pass
// layout has to make anyway. Prints the median time per page of each and their ratio.
//
//   bench_text_layout [pages]     (default 2000)

#include "core/CApp.h"
#include "core/CFontPool.h"
#include "text/CFont.h"
#include "text/CText.h"
#include "text/CTextTokenizer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

// Glyphs from a table filled on first use, as a loaded font answers them.
class TableFont : public Orvane::CFont
{
public:
    explicit TableFont(int32_t size) : CFont(1), size(size) {}
    int unload() override { return 0; }
    Orvane::FontGlyph getGlyph(uint32_t code, int italic) override
    {
        auto& g = glyphs[code | (italic ? Orvane::ItalicGlyphBit : 0u)];
        if (g.width == 0)
        {
            g.width = code < 0x100 ? size / 2 : size;
            g.height = size;
            g.x = int32_t(code % 40) * size;
            g.y = int32_t(code / 40 % 40) * size;
        }
        return g;
    }
    std::pair<int32_t, int32_t> getMaxGlyphSize() override { return {size, size}; }
    void renderGlyph() override {}
    void clearGlyphCache() override {}

    int32_t size;
    std::unordered_map<uint32_t, Orvane::FontGlyph> glyphs;
};

// 400 base characters: kana and kanji with punctuation, a ruby every few sentences, a line feed now and then.
std::string page()
{
    const char* sentences[] = {"吾輩は猫である。", "名前はまだ無い。", "#{けんとう}見当#がつかぬ。", "「どこで生れたか」と",
                               "何でも薄暗いじめじめした所で", "ニャーニャー泣いていた事だけは", "#{きおく}記憶#している。\n"};
    std::string text;
    size_t characters = 0;
    for (size_t i = 0; characters < 400; ++i)
    {
        const std::string s = sentences[i % 7];
        text += s;
        bool inRuby = false;
        for (unsigned char c : s)
        {
            if (c == '{' || c == '}')
                inRuby = c == '{';
            else if (!inRuby && (c & 0xC0) != 0x80 && c != '#' && c != '\n' && characters < 400)
                ++characters;
        }
    }
    return text;
}

template <class F> double medianMicroseconds(int runs, F f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    Orvane::CApp* app = new Orvane::CApp("bench");
    Orvane::CApp::set(app);
    app->fontPool = new Orvane::CFontPool;
    app->fontPool->fonts["main"] = new TableFont(28);
    app->fontPool->fonts["ruby"] = new TableFont(12);

    const int32_t field[2] = {960, 540};
    Orvane::CText* text = new Orvane::CText("", field);
    text->setFont("main");
    text->setRubyFont("ruby");
    const std::string source = page();

    size_t glyphs = 0;
    const double layout = medianMicroseconds(pages, [&] {
        text->create(source);
        glyphs = text->glyphList.size() + text->rubyGlyphList.size();
    });
    const double relayout = medianMicroseconds(pages, [&] { text->setField(field[0] - (glyphs & 1), field[1]); });
    Orvane::CTextTokenizer tokenizer;
    const double tokenize = medianMicroseconds(pages, [&] {
        tokenizer.clearLines();
        tokenizer.tokenize(source);
    });

    std::printf("page: %zu bytes, %zu base + %zu ruby glyphs, %d lines, atlas %dx%d\n", source.size(),
                text->glyphList.size(), text->rubyGlyphList.size(), text->getLineCount(), text->atlasSize[0],
                text->atlasSize[1]);
    std::printf("layout + atlas: %8.1f us/page\n", layout);
    std::printf("re-layout:      %8.1f us/page\n", relayout);
    std::printf("tokenize only:  %8.1f us/page\n", tokenize);
    std::printf("ratio layout+atlas / tokenize: %.2f\n", layout / tokenize);

    text->release();
    Orvane::CApp::set(nullptr);
    app->release();
    return 0;
}
