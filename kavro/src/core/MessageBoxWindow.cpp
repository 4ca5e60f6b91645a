#include "core/MessageBoxWindow.h"

#include "kavro/IGlyphRasterizer.h"
#include "kavro/MessageBox.h"
#include "kavro/Ref.h"
#include "kavro/Utf8.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace Kavro
{

namespace
{

constexpr int FontSize = 16;
constexpr int JapaneseCharset = 128;
constexpr int Margin = 20;
constexpr int LineGap = 4;
constexpr int MaxTextWidth = 600;
constexpr int MinBoxWidth = 280;
constexpr int MinButtonWidth = 88;
constexpr int ButtonGap = 10;

constexpr uint32_t TextArea = 0xFFFFFFFFu;
constexpr uint32_t ButtonArea = 0xFFF0F0F0u;
constexpr uint32_t ButtonFace = 0xFFE1E1E1u;
constexpr uint32_t ButtonHover = 0xFFE5F1FBu;
constexpr uint32_t ButtonBorder = 0xFFADADADu;
constexpr uint32_t DefaultBorder = 0xFF0078D7u;
constexpr uint32_t Ink = 0xFF000000u;

int advanceOf(IFontFace& face, char16_t code)
{
    GlyphMetrics metrics;
    return face.getGlyphBitmap(code, GlyphGray65, metrics, 0, nullptr) >= 0 ? metrics.cellIncX : 0;
}

int widthOf(IFontFace& face, const std::u16string& text)
{
    int width = 0;
    for (char16_t code : text)
        width += advanceOf(face, code);
    return width;
}

// Glyphs of text from x on one baseline.
std::vector<PlacedGlyph> placeRun(IFontFace& face, const std::u16string& text, int x, int baseline)
{
    std::vector<PlacedGlyph> glyphs;
    for (char16_t code : text)
    {
        glyphs.push_back({code, x, baseline});
        x += advanceOf(face, code);
    }
    return glyphs;
}

void fill(std::vector<uint32_t>& pixels, int stride, int x, int y, int w, int h, uint32_t colour)
{
    const int height = int(pixels.size()) / stride;
    for (int row = std::max(y, 0); row < std::min(y + h, height); ++row)
        for (int column = std::max(x, 0); column < std::min(x + w, stride); ++column)
            pixels[size_t(row) * size_t(stride) + size_t(column)] = colour;
}

void frame(std::vector<uint32_t>& pixels, int stride, const MessageBoxButton& b, int thickness, uint32_t colour)
{
    fill(pixels, stride, b.x, b.y, b.width, thickness, colour);
    fill(pixels, stride, b.x, b.y + b.height - thickness, b.width, thickness, colour);
    fill(pixels, stride, b.x, b.y, thickness, b.height, colour);
    fill(pixels, stride, b.x + b.width - thickness, b.y, thickness, b.height, colour);
}

// Coverage 0..64 of the ink over what is there.
uint32_t blend(uint32_t under, uint32_t ink, int coverage)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int a = int((under >> shift) & 0xFF), b = int((ink >> shift) & 0xFF);
        out |= uint32_t(a + (b - a) * coverage / 64) << shift;
    }
    return out;
}

void drawGlyphs(IFontFace& face, const std::vector<PlacedGlyph>& glyphs, std::vector<uint32_t>& pixels, int stride)
{
    const int height = int(pixels.size()) / stride;
    std::vector<uint8_t> bitmap;
    for (const PlacedGlyph& glyph : glyphs)
    {
        GlyphMetrics metrics;
        const int size = face.getGlyphBitmap(glyph.code, GlyphGray65, metrics, 0, nullptr);
        if (size <= 0)
            continue;
        bitmap.assign(size_t(size), 0);
        face.getGlyphBitmap(glyph.code, GlyphGray65, metrics, uint32_t(size), bitmap.data());
        const int pitch = (int(metrics.blackBoxX) + 3) & ~3;
        const int left = glyph.x + metrics.originX, top = glyph.baseline - metrics.originY;
        for (int row = 0; row < int(metrics.blackBoxY) && (row + 1) * pitch <= size; ++row)
            for (int column = 0; column < int(metrics.blackBoxX); ++column)
            {
                const int x = left + column, y = top + row;
                if (x < 0 || y < 0 || x >= stride || y >= height)
                    continue;
                uint32_t& pixel = pixels[size_t(y) * size_t(stride) + size_t(x)];
                pixel = blend(pixel, Ink, std::min<int>(bitmap[size_t(row * pitch + column)], 64));
            }
    }
}

int hitButton(const MessageBoxLayout& layout, int x, int y)
{
    for (size_t i = 0; i < layout.buttons.size(); ++i)
    {
        const MessageBoxButton& b = layout.buttons[i];
        if (x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height)
            return int(i);
    }
    return -1;
}

// The video subsystem for as long as the box is up, when nobody else had started it.
class VideoForBox
{
public:
    VideoForBox() : own_(!SDL_WasInit(SDL_INIT_VIDEO)), ready_(!own_ || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
    ~VideoForBox()
    {
        if (own_ && ready_)
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    VideoForBox(const VideoForBox&) = delete;
    VideoForBox& operator=(const VideoForBox&) = delete;
    bool ready() const { return ready_; }

private:
    bool own_;
    bool ready_;
};

void present(SDL_Window* window, std::vector<uint32_t>& pixels, const MessageBoxLayout& layout)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), layout.width, layout.height, 32,
                                                             layout.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (target && source)
    {
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(window);
    }
    if (source)
        SDL_FreeSurface(source);
}

} // namespace

std::vector<MessageBoxButtonKind> MessageBoxButtonKinds(uint32_t flags)
{
    switch (flags & 0xf)
    {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

size_t DefaultButtonIndex(uint32_t flags, size_t count)
{
    const size_t index = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
    return index < count ? index : 0;
}

std::u16string DecodeUtf8(const std::string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();)
    {
        const int length = utf8SequenceLength(uint8_t(text[i]));
        uint32_t code = length == 1 ? uint8_t(text[i]) : uint8_t(text[i]) & (0x7F >> length);
        bool valid = length >= 1 && length <= 4 && i + size_t(length) <= text.size();
        for (int k = 1; valid && k < length; ++k)
        {
            const uint8_t next = uint8_t(text[i + size_t(k)]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000)
        {
            out += char16_t(0xD800 + ((code - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
        else
            out += char16_t(code);
        i += size_t(length);
    }
    return out;
}

MessageBoxLayout LayOutMessageBox(IFontFace& face, const std::string& text, uint32_t flags)
{
    const FontTextMetrics metrics = face.getTextMetrics();
    const int lineHeight = metrics.height + LineGap;
    MessageBoxLayout layout;

    // Lines at line feeds, wrapped before a glyph that would pass the widest line allowed.
    int pen = 0, line = 0, widest = 0;
    for (char16_t code : DecodeUtf8(text))
    {
        if (code == u'\r')
            continue;
        if (code == u'\n')
        {
            pen = 0;
            ++line;
            continue;
        }
        const int advance = advanceOf(face, code);
        if (pen > 0 && pen + advance > MaxTextWidth)
        {
            pen = 0;
            ++line;
        }
        layout.text.push_back({code, Margin + pen, Margin + line * lineHeight + metrics.ascent});
        pen += advance;
        widest = std::max(widest, pen);
    }
    const int textBottom = Margin + (line + 1) * lineHeight;

    const std::vector<MessageBoxButtonKind> kinds = MessageBoxButtonKinds(flags);
    const int buttonHeight = metrics.height + 12;
    int row = 0;
    for (const MessageBoxButtonKind& kind : kinds)
    {
        MessageBoxButton button;
        button.id = kind.id;
        button.label = kind.label;
        button.width = std::max(MinButtonWidth, widthOf(face, DecodeUtf8(kind.label)) + 24);
        button.height = buttonHeight;
        row += button.width + (layout.buttons.empty() ? 0 : ButtonGap);
        layout.buttons.push_back(button);
    }
    layout.width = std::max({MinBoxWidth, widest + 2 * Margin, row + 2 * Margin});
    const int buttonTop = textBottom + Margin;
    layout.height = buttonTop + buttonHeight + Margin / 2 + 4;
    // Right-aligned, as the platform's own boxes are.
    int x = layout.width - Margin - row;
    for (MessageBoxButton& button : layout.buttons)
    {
        button.x = x;
        button.y = buttonTop;
        x += button.width + ButtonGap;
        const std::u16string label = DecodeUtf8(button.label);
        layout.labels.push_back(placeRun(face, label, button.x + (button.width - widthOf(face, label)) / 2,
                                         button.y + (buttonHeight - metrics.height) / 2 + metrics.ascent));
    }
    layout.defaultButton = DefaultButtonIndex(flags, layout.buttons.size());
    layout.escapeButton = layout.buttons.size() == 1 ? 0 : layout.buttons.size();
    for (size_t i = 0; i < layout.buttons.size(); ++i)
        if (layout.buttons[i].id == IDCANCEL)
            layout.escapeButton = i;
    return layout;
}

void DrawMessageBox(IFontFace& face, const MessageBoxLayout& layout, int hover, std::vector<uint32_t>& pixels)
{
    const int stride = layout.width;
    pixels.assign(size_t(layout.width) * size_t(layout.height), TextArea);
    const int bandTop = layout.buttons.empty() ? layout.height : layout.buttons.front().y - Margin / 2;
    fill(pixels, stride, 0, bandTop, layout.width, layout.height - bandTop, ButtonArea);
    drawGlyphs(face, layout.text, pixels, stride);
    for (size_t i = 0; i < layout.buttons.size(); ++i)
    {
        const MessageBoxButton& b = layout.buttons[i];
        fill(pixels, stride, b.x, b.y, b.width, b.height, int(i) == hover ? ButtonHover : ButtonFace);
        if (i == layout.defaultButton)
            frame(pixels, stride, b, 2, DefaultBorder);
        else
            frame(pixels, stride, b, 1, ButtonBorder);
        drawGlyphs(face, layout.labels[i], pixels, stride);
    }
}

IFontFace* MessageBoxFace()
{
    Ref<IGlyphRasterizer> rasterizer = Ref<IGlyphRasterizer>::adopt(GetGlyphRasterizer());
    return rasterizer ? rasterizer->createFace(FontSize, 400, 0, JapaneseCharset, "") : nullptr;
}

int RunMessageBoxWindow(const char* caption, const char* text, uint32_t flags, SDL_Window* owner)
{
    const VideoForBox video;
    if (!video.ready())
        return -1;
    const Ref<IFontFace> face = Ref<IFontFace>::adopt(MessageBoxFace());
    if (!face || face->getTextMetrics().height <= 0)
        return -1;
    const MessageBoxLayout layout = LayOutMessageBox(*face.get(), text, flags);
    SDL_Window* window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, layout.width,
                                          layout.height, SDL_WINDOW_HIDDEN);
    if (!window)
        return -1;
    if (owner)
        SDL_SetWindowModalFor(window, owner);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    const uint32_t id = SDL_GetWindowID(window);
    const auto answerOf = [&](size_t index) {
        return index < layout.buttons.size() ? layout.buttons[index].id : -1;
    };
    // Closing the box answers as Escape would; a box without a way out answers Cancel, as before.
    const int closeAnswer = layout.escapeButton < layout.buttons.size() ? answerOf(layout.escapeButton) : IDCANCEL;
    std::vector<uint32_t> pixels;
    int hover = -1, pressed = -1, answer = -1;
    DrawMessageBox(*face.get(), layout, hover, pixels);
    present(window, pixels, layout);
    // Events of other windows are dropped while the box is up, as a modal box disables its owner.
    SDL_Event event;
    while (answer < 0 && SDL_WaitEvent(&event))
    {
        int newHover = hover;
        if (event.type == SDL_WINDOWEVENT && event.window.windowID == id)
        {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                answer = closeAnswer;
            else if (event.window.event == SDL_WINDOWEVENT_LEAVE)
                newHover = -1;
            else
                present(window, pixels, layout);
        }
        else if (event.type == SDL_MOUSEMOTION && event.motion.windowID == id)
            newHover = hitButton(layout, event.motion.x, event.motion.y);
        else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT)
            pressed = hitButton(layout, event.button.x, event.button.y);
        else if (event.type == SDL_MOUSEBUTTONUP && event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT)
        {
            if (pressed >= 0 && hitButton(layout, event.button.x, event.button.y) == pressed)
                answer = answerOf(size_t(pressed));
            pressed = -1;
        }
        else if (event.type == SDL_KEYDOWN && event.key.windowID == id)
        {
            const SDL_Keycode key = event.key.keysym.sym;
            if (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE)
                answer = answerOf(layout.defaultButton);
            else if (key == SDLK_ESCAPE && layout.escapeButton < layout.buttons.size())
                answer = answerOf(layout.escapeButton);
        }
        if (newHover != hover && answer < 0)
        {
            hover = newHover;
            DrawMessageBox(*face.get(), layout, hover, pixels);
            present(window, pixels, layout);
        }
    }
    SDL_DestroyWindow(window);
    return answer >= 0 ? answer : closeAnswer;
}

} // namespace Kavro
