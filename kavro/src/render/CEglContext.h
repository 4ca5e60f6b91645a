#pragma once

#include "render/CGLContext.h"

#include <EGL/egl.h>

#include <memory>

namespace Kavro
{

// OpenGL 3.3 core context without any surface (EGL_MESA_platform_surfaceless): drawing goes only into
// framebuffer objects.
class CEglContext : public CGLContext
{
public:
    // Null when the platform or a 3.3 core context is not available.
    static std::unique_ptr<CEglContext> create();
    ~CEglContext() override;

    bool makeCurrent() override;
    void present() override;
    void getDrawableSize(int& width, int& height) override;

private:
    CEglContext(EGLDisplay display, EGLContext context) : display_(display), context_(context) {}

    EGLDisplay display_;
    EGLContext context_;
};

} // namespace Kavro
