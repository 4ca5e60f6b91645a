#pragma once

#include "render/GL.h"
#include "render/QuadVertex.h"

#include <kavro/Vector2D.h>
#include <kavro/Vector4D.h>

#include <memory>
#include <vector>

namespace Kavro
{

// What one draw call needs besides its vertices.
struct QuadDrawState
{
    GLuint texture = 0;
    int linearFilter = 0;
    int blendMode = 1;
    // Pixels of the render target to move by, and the target's size.
    Vector2D offset;
    int targetWidth = 1;
    int targetHeight = 1;
    // Multiplies every vertex colour (alpha already scaled by the draw factor).
    Vector4D colour{1.0f, 1.0f, 1.0f, 1.0f};
    Vector2D uvOffset;
};

// The shader program, vertex buffer and samplers that every quad draw goes through.
class CQuadRenderer
{
public:
    // Null when the shaders do not compile (the reason goes to stderr).
    static std::unique_ptr<CQuadRenderer> create();
    ~CQuadRenderer();

    // Draws triangles (three vertices each) into the bound framebuffer.
    void draw(const std::vector<QuadVertex>& triangles, const QuadDrawState& state);

private:
    CQuadRenderer() = default;
    bool build();

    GLuint program_ = 0;
    GLuint vertexArray_ = 0;
    GLuint vertexBuffer_ = 0;
    GLuint samplers_[2] = {0, 0};
    GLint colourLocation_ = -1;
    GLint offsetLocation_ = -1;
    GLint uvOffsetLocation_ = -1;
    GLint outputLocation_ = -1;
};

} // namespace Kavro
