#include "render/GLErrors.h"

#include "render/GL.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Kavro
{

namespace
{

const char* errorName(GLenum error)
{
    switch (error)
    {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: return "unknown error";
    }
}

bool abortOnError()
{
    const char* mode = std::getenv("KAVRO_GL_ERRORS");
    return mode && std::strcmp(mode, "abort") == 0;
}

} // namespace

bool CheckGLErrors(const char* where)
{
    bool found = false;
    // A lost context answers the same error forever; the bound keeps this loop finite.
    for (int i = 0; i < 16; ++i)
    {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        std::fprintf(stderr, "kavro: OpenGL error 0x%04x (%s) in %s\n", unsigned(error), errorName(error), where);
        found = true;
    }
    if (found && abortOnError())
        std::abort();
    return found;
}

unsigned TakeGLError()
{
    const GLenum first = glGetError();
    for (int i = 0; i < 16 && first != GL_NO_ERROR; ++i)
        if (glGetError() == GL_NO_ERROR)
            break;
    return first;
}

} // namespace Kavro
