#include "render/CSdlGLContext.h"

#include "render/RenderDeviceFactory.h"
#include "render/RenderFailure.h"

#include <string>

namespace Kavro
{

void PrepareRenderWindowAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

std::unique_ptr<CSdlGLContext> CSdlGLContext::create(SDL_Window* window)
{
    PrepareRenderWindowAttributes();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
    {
        SetRenderFailure(std::string("SDL cannot create an OpenGL 3.3 core context: ") + SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<CSdlGLContext> result(new CSdlGLContext(window, context));
    if (!result->makeCurrent())
    {
        SetRenderFailure(std::string("SDL cannot make the OpenGL context current: ") + SDL_GetError());
        return nullptr;
    }
    // The core paces frames itself; waiting for vertical sync as well would fight it.
    SDL_GL_SetSwapInterval(0);
    return result;
}

CSdlGLContext::~CSdlGLContext()
{
    SDL_GL_DeleteContext(context_);
}

bool CSdlGLContext::makeCurrent()
{
    if (SDL_GL_GetCurrentContext() == context_ && SDL_GL_GetCurrentWindow() == window_)
        return true;
    return SDL_GL_MakeCurrent(window_, context_) == 0;
}

void CSdlGLContext::present()
{
    SDL_GL_SwapWindow(window_);
}

void CSdlGLContext::getDrawableSize(int& width, int& height)
{
    SDL_GL_GetDrawableSize(window_, &width, &height);
}

} // namespace Kavro
