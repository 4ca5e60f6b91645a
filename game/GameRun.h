#pragma once

namespace Orvane
{

// Runs the game in the folder (its "system.wpk" and the other archives; null: the working folder) until
// its window is closed or it quits, as the program does. frameHook runs at the start of every frame in
// place of the program's own (which the caller may call from it). The program's exit code: 0, or -1
// when another instance is running.
int RunGame(const char* folder, int (*frameHook)());

} // namespace Orvane
