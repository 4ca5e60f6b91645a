#pragma once

namespace Kavro
{

// The OpenGL context a render device draws with: on a window, or surfaceless.
class CGLContext
{
public:
    virtual ~CGLContext() = default;
    virtual bool makeCurrent() = 0;
    // Shows the window's back buffer; headless contexts only flush.
    virtual void present() = 0;
    // Size of the window's drawable in pixels; 0 x 0 without a window.
    virtual void getDrawableSize(int& width, int& height) = 0;
};

} // namespace Kavro
