#include "input/KeyTable.h"

#include <SDL2/SDL_keyboard.h>
#include <gtest/gtest.h>

#include <map>

using namespace Kavro;

TEST(KeyTable, KeysGamesUseHaveTheirDirectInputNumbers)
{
    const struct
    {
        SDL_Scancode scancode;
        int directInput;
        int virtualKey;
    } table[] = {
        {SDL_SCANCODE_ESCAPE, 1, 0x1B},
        {SDL_SCANCODE_1, 2, '1'},
        {SDL_SCANCODE_0, 11, '0'},
        {SDL_SCANCODE_BACKSPACE, 14, 0x08},
        {SDL_SCANCODE_TAB, 15, 0x09},
        {SDL_SCANCODE_Q, 16, 'Q'},
        {SDL_SCANCODE_RETURN, 28, 0x0D},
        {SDL_SCANCODE_LCTRL, 29, 0x11},
        {SDL_SCANCODE_A, 30, 'A'},
        {SDL_SCANCODE_S, 31, 'S'},
        {SDL_SCANCODE_D, 32, 'D'},
        {SDL_SCANCODE_W, 17, 'W'},
        {SDL_SCANCODE_LSHIFT, 42, 0x10},
        {SDL_SCANCODE_Z, 44, 'Z'},
        {SDL_SCANCODE_X, 45, 'X'},
        {SDL_SCANCODE_C, 46, 'C'},
        {SDL_SCANCODE_RSHIFT, 54, 0x10},
        {SDL_SCANCODE_LALT, 56, 0x12},
        {SDL_SCANCODE_SPACE, 57, 0x20},
        {SDL_SCANCODE_F1, 0x3B, 0x70},
        {SDL_SCANCODE_F2, 0x3C, 0x71},
        {SDL_SCANCODE_F5, 0x3F, 0x74},
        {SDL_SCANCODE_F10, 0x44, 0x79},
        {SDL_SCANCODE_F11, 0x57, 0x7A},
        {SDL_SCANCODE_F12, 0x58, 0x7B},
        {SDL_SCANCODE_KP_0, 0x52, 0x60},
        {SDL_SCANCODE_KP_8, 0x48, 0x68},
        {SDL_SCANCODE_KP_ENTER, 156, 0x0D},
        {SDL_SCANCODE_RCTRL, 157, 0x11},
        {SDL_SCANCODE_KP_DIVIDE, 0xB5, 0x6F},
        {SDL_SCANCODE_RALT, 184, 0x12},
        {SDL_SCANCODE_HOME, 199, 0x24},
        {SDL_SCANCODE_UP, 200, 0x26},
        {SDL_SCANCODE_PAGEUP, 201, 0x21},
        {SDL_SCANCODE_LEFT, 203, 0x25},
        {SDL_SCANCODE_RIGHT, 205, 0x27},
        {SDL_SCANCODE_END, 207, 0x23},
        {SDL_SCANCODE_DOWN, 208, 0x28},
        {SDL_SCANCODE_PAGEDOWN, 209, 0x22},
        {SDL_SCANCODE_INSERT, 210, 0x2D},
        {SDL_SCANCODE_DELETE, 211, 0x2E},
        {SDL_SCANCODE_LGUI, 219, 0x5B},
        {SDL_SCANCODE_PAUSE, 0xC5, 0x13},
        {SDL_SCANCODE_GRAVE, 0x29, 0xC0},
        {SDL_SCANCODE_INTERNATIONAL3, 0x7D, 0xDC},
    };
    for (const auto& row : table)
    {
        EXPECT_EQ(DirectInputKeyOf(row.scancode), row.directInput) << SDL_GetScancodeName(row.scancode);
        EXPECT_EQ(VirtualKeyOf(row.directInput), row.virtualKey) << SDL_GetScancodeName(row.scancode);
    }
}

TEST(KeyTable, EveryScancodeHasOneKeyAndKeysAreNotShared)
{
    // Scancodes that are other names for the same key.
    const std::map<SDL_Scancode, SDL_Scancode> aliases = {
        {SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_BACKSLASH},
        {SDL_SCANCODE_AUDIOMUTE, SDL_SCANCODE_MUTE},
        {SDL_SCANCODE_SYSREQ, SDL_SCANCODE_PRINTSCREEN},
    };
    std::map<int, SDL_Scancode> owner;
    std::map<SDL_Scancode, int> seen;
    for (const KeyTableEntry* key = KeyTableBegin(); key != KeyTableEnd(); ++key)
    {
        EXPECT_TRUE(seen.emplace(key->scancode, key->directInput).second) << "twice: " << key->scancode;
        EXPECT_NE(key->directInput, 0);
        const auto alias = aliases.find(key->scancode);
        const SDL_Scancode canonical = alias == aliases.end() ? key->scancode : alias->second;
        const auto [it, fresh] = owner.emplace(key->directInput, canonical);
        EXPECT_TRUE(fresh || it->second == canonical) << "key " << int(key->directInput) << " shared";
    }
    EXPECT_GE(seen.size(), 120u);
    EXPECT_EQ(DirectInputKeyOf(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(DirectInputKeyOf(SDL_Scancode(-1)), 0);
    EXPECT_EQ(DirectInputKeyOf(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(VirtualKeyOf(-1), 0);
    EXPECT_EQ(VirtualKeyOf(256), 0);
}
