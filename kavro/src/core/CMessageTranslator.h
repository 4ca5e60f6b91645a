#pragma once

#include "kavro/WindowMessage.h"

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <vector>

namespace Kavro
{

struct WindowMessage
{
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool operator==(const WindowMessage&) const = default;
};

// Turns the window's SDL events into the Windows-style messages a window procedure expects.
// Mouse coordinates are window (client) pixels; key messages carry the virtual-key code in
// wParam and, in lParam, the repeat count 1, the scan code (bits 16-23), the extended-key flag
// (bit 24), the previous key state (bit 30) and the transition state (bit 31).
class CMessageTranslator
{
public:
    // Appends the messages of one event (none for events without a message).
    void translate(const SDL_Event& event, std::vector<WindowMessage>& out);

private:
    void key(const SDL_KeyboardEvent& key, bool down, std::vector<WindowMessage>& out);
    void button(const SDL_MouseButtonEvent& button, bool down, std::vector<WindowMessage>& out);
    void window(const SDL_WindowEvent& window, std::vector<WindowMessage>& out);
    uintptr_t mouseKeys() const;

    uint32_t buttons_ = 0; // MK_ bits of the mouse buttons held
    uint16_t modifiers_ = 0;
};

} // namespace Kavro
