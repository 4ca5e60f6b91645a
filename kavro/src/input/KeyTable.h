#pragma once

#include <SDL2/SDL_scancode.h>

#include <cstdint>

namespace Kavro
{

// One physical key: its SDL scancode, its DirectInput key number (the scan code of the key, with
// 0x80 added for the extended keys) and the Windows virtual-key code of its key messages.
struct KeyTableEntry
{
    SDL_Scancode scancode;
    uint8_t directInput;
    uint8_t virtualKey;
};

// The DirectInput key number of a scancode; 0 for keys that have none.
int DirectInputKeyOf(SDL_Scancode scancode);
// The virtual-key code of a DirectInput key number; 0 when it has none.
int VirtualKeyOf(int directInputKey);
// Every mapped key, in table order.
const KeyTableEntry* KeyTableBegin();
const KeyTableEntry* KeyTableEnd();

} // namespace Kavro
