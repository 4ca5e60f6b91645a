// The program's entry: orvane <game folder>. Runs the game found in that folder (its "system.wpk" and
// the other archives) until the window is closed or the game quits.

#include "GameRun.h"
#include "MainWindowProc.h"

int main(int argc, char** argv)
{
    return Orvane::RunGame(argc > 1 ? argv[1] : nullptr, Orvane::frameHook);
}
