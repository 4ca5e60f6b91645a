#pragma once

#include "render/CGLContext.h"

#include <SDL2/SDL.h>

#include <memory>

namespace Kavro
{

// OpenGL 3.3 core context of an SDL window.
class CSdlGLContext : public CGLContext
{
public:
    // Null when the window cannot give a 3.3 core context.
    static std::unique_ptr<CSdlGLContext> create(SDL_Window* window);
    ~CSdlGLContext() override;

    bool makeCurrent() override;
    void present() override;
    void getDrawableSize(int& width, int& height) override;

private:
    CSdlGLContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}

    SDL_Window* window_;
    SDL_GLContext context_;
};

} // namespace Kavro
