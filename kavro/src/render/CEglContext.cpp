#include "render/CEglContext.h"

#include <EGL/eglext.h>
#include "render/GL.h"
#include "render/RenderFailure.h"

namespace Kavro
{

std::unique_ptr<CEglContext> CEglContext::create()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
    {
        SetRenderFailure("EGL offers no eglGetPlatformDisplayEXT");
        return nullptr;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
    {
        SetRenderFailure("EGL has no surfaceless display: " + EglErrorText());
        return nullptr;
    }
    if (!eglBindAPI(EGL_OPENGL_API))
    {
        SetRenderFailure("EGL cannot bind OpenGL: " + EglErrorText());
        return nullptr;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    // Surfaceless drawing needs no config (EGL_KHR_no_config_context).
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
    {
        SetRenderFailure("EGL cannot create an OpenGL 3.3 core context: " + EglErrorText());
        return nullptr;
    }
    std::unique_ptr<CEglContext> result(new CEglContext(display, context));
    if (!result->makeCurrent())
    {
        SetRenderFailure("EGL cannot make the OpenGL context current: " + EglErrorText());
        return nullptr;
    }
    return result;
}

CEglContext::~CEglContext()
{
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    // The display is shared by every surfaceless context of the process, so it is not terminated.
}

bool CEglContext::makeCurrent()
{
    if (eglGetCurrentContext() == context_)
        return true;
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

void CEglContext::present()
{
    glFlush();
}

void CEglContext::getDrawableSize(int& width, int& height)
{
    width = 0;
    height = 0;
}

} // namespace Kavro
