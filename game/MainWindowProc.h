#pragma once

#include <cstdint>

namespace Orvane
{

// The game window's procedure: focus and cursor shape are handled here, system keys and plain
// mouse messages are swallowed (input is polled), everything else goes to the top task.
intptr_t mainWindowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Once per frame: F2 released resets the game unless its script is running or suspended.
int frameHook();

} // namespace Orvane
