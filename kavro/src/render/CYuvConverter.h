#pragma once

#include "render/GL.h"
#include "render/YuvFrame.h"

#include <memory>

namespace Kavro
{

// Turns a YUV frame (limited-range BT.601, as Theora stores it) into RGB pixels of a framebuffer with a
// shader: the three planes go to the GPU as one-channel textures, the conversion happens per pixel.
class CYuvConverter
{
public:
    // Null when the program cannot be built.
    static std::unique_ptr<CYuvConverter> create();
    ~CYuvConverter();
    CYuvConverter(const CYuvConverter&) = delete;
    CYuvConverter& operator=(const CYuvConverter&) = delete;

    // Draws the frame's picture over the whole framebuffer (width x height, row 0 the top), opaque.
    // Leaves blending off; the caller rebinds its own target.
    bool draw(GLuint framebuffer, int width, int height, const YuvFrame& frame);
    // Forgets the GL objects of a context that is gone.
    void abandon();

private:
    CYuvConverter() = default;
    bool build();

    GLuint program_ = 0;
    GLuint vertexArray_ = 0;
    GLuint planes_[3] = {};
    int planeSizes_[3][2] = {};
    GLint pictureUniform_ = -1;
    GLint scaleUniform_ = -1;
    GLint lumaSizeUniform_ = -1;
};

} // namespace Kavro
