#pragma once

struct SDL_Window;

namespace Kavro
{

// The window message boxes are shown over (null: none); set by the core.
void SetMessageBoxOwner(SDL_Window* window);

} // namespace Kavro
