#pragma once

#include <kavro/IRenderDevice.h>
#include <kavro/Rect2D.h>

#include <functional>

struct SDL_Window;

namespace Kavro
{

class IFileSystem;

// Sets the SDL OpenGL attributes the device needs (3.3 core profile, double buffer).
// Call before SDL_CreateWindow; the window must be created with SDL_WINDOW_OPENGL.
void PrepareRenderWindowAttributes();

// Creates the render device.
// With a window: an OpenGL 3.3 core context on it; frames are presented to it by endFrame.
// Without one (null): headless over EGL surfaceless (Mesa llvmpipe in tests and CI); endFrame only flushes.
// The logical screen is screenWidth x screenHeight, scaled into the window keeping its aspect (letterbox).
// Textures load through fileSystem (a reference is kept; null: only "suf://" names load).
// Null when no OpenGL 3.3 context can be had.
IRenderDevice* CreateRenderDevice(SDL_Window* window, int screenWidth, int screenHeight, IFileSystem* fileSystem);

// Where endFrame puts the screen in the window: the provider answers a rectangle of the window's drawable
// in pixels (origin top-left), asked once per presented frame. Without a provider, or when it answers an
// empty rectangle, the screen fills the largest centred rectangle of its own aspect. Does nothing for a
// device that is not one of CreateRenderDevice's.
void SetPresentRectProvider(IRenderDevice* device, std::function<Rect2D<int>()> provider);

// Frees the device's OpenGL context at once; the core calls it before its window goes, since the context
// cannot be freed after that. The device stays a valid object whose drawing operations fail.
void ReleaseRenderContext(IRenderDevice* device);

// Draw calls the device has sent to OpenGL so far (a debugging counter); 0 for other devices.
long GetRenderDrawCalls(IRenderDevice* device);

} // namespace Kavro
