#pragma once

struct SDL_Window;

namespace Kavro
{

// The window message boxes are shown over (null: none); set by the core.
void SetMessageBoxOwner(SDL_Window* window);
// Whether anything shown could be seen: a display to reach and a video driver that draws on it
// (not the offscreen or dummy driver).
bool HaveDisplay();

} // namespace Kavro
