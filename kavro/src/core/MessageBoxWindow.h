#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

namespace Kavro
{

class IFontFace;

// A message box drawn by the library itself: its text is decoded from UTF-8 by our own codec and drawn
// with FreeType glyphs, so it reads the same under any locale and whatever fonts the X server has.
struct MessageBoxButton
{
    int id = 0;
    std::string label;
    int x = 0, y = 0, width = 0, height = 0;
};

struct PlacedGlyph
{
    char16_t code = 0;
    int x = 0; // pen position on the baseline, in the box's pixels
    int baseline = 0;
};

struct MessageBoxLayout
{
    int width = 0, height = 0;
    std::vector<PlacedGlyph> text; // the message's glyphs, line after line
    std::vector<MessageBoxButton> buttons;
    std::vector<std::vector<PlacedGlyph>> labels; // one per button
    size_t defaultButton = 0;
    size_t escapeButton = 0; // the button Escape and closing the window answer
};

struct MessageBoxButtonKind
{
    int id;
    const char* label;
};

// The buttons of the box kind in the low four bits of the flags, left to right.
std::vector<MessageBoxButtonKind> MessageBoxButtonKinds(uint32_t flags);
// The button the default-button flags choose among count buttons (the first when there is no such one).
size_t DefaultButtonIndex(uint32_t flags, size_t count);

// UTF-8 to UTF-16 code units; a byte that cannot start or continue a sequence becomes U+FFFD.
std::u16string DecodeUtf8(const std::string& text);

// Places the text (broken at line feeds and wrapped to fit) and the buttons of the box kind in the low
// four bits of flags, with face's metrics.
MessageBoxLayout LayOutMessageBox(IFontFace& face, const std::string& text, uint32_t flags);

// Draws the box into 32-bit 0xAARRGGBB pixels of layout.width x layout.height; hover is the index of the
// button under the mouse (-1: none).
void DrawMessageBox(IFontFace& face, const MessageBoxLayout& layout, int hover, std::vector<uint32_t>& pixels);

// The face the boxes are drawn with (Japanese-capable, from fontconfig); a reference for the caller.
IFontFace* MessageBoxFace();

// Shows the box as a modal window over owner and waits for an answer; -1 when no window could be made.
int RunMessageBoxWindow(const char* caption, const char* text, uint32_t flags, SDL_Window* owner);

} // namespace Kavro
