#include "render/RenderFailure.h"

#include <EGL/egl.h>

#include <cstdio>

namespace Kavro
{

namespace
{

thread_local std::string lastFailure;

const char* eglErrorName(EGLint code)
{
    switch (code)
    {
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return "EGL error";
    }
}

} // namespace

void SetRenderFailure(const std::string& why)
{
    lastFailure = why;
}

const std::string& LastRenderFailure()
{
    return lastFailure;
}

std::string EglErrorText()
{
    const EGLint code = eglGetError();
    char text[64];
    std::snprintf(text, sizeof text, "%s (0x%04x)", eglErrorName(code), unsigned(code));
    return text;
}

} // namespace Kavro
