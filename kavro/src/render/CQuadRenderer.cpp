#include "render/CQuadRenderer.h"

#include "render/BlendMode.h"

#include <cstddef>
#include <cstdio>

namespace Kavro
{

namespace
{

// Positions arrive in the library's clip space (y up, depth 0..w). Framebuffer row 0 holds the top of the
// image in every target, so y is negated; depth is moved to OpenGL's -w..w.
const char* vertexSource = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
uniform vec2 uOffset;
out vec4 vColour;
out vec2 vUv;
void main()
{
    vColour = aColour;
    vUv = aUv;
    vec4 p = aPosition;
    p.xy += uOffset * p.w;
    gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}
)";

const char* fragmentSource = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
uniform sampler2D uTexture;
uniform vec4 uColour;
uniform vec2 uUvOffset;
uniform int uOutput;
out vec4 fragColour;
void main()
{
    vec4 c = texture(uTexture, vUv + uUvOffset) * vColour * uColour;
    if (uOutput == 1)
        c.rgb *= c.a;
    else if (uOutput == 2)
        c.rgb = mix(vec3(1.0), c.rgb, c.a);
    fragColour = c;
}
)";

GLuint compile(GLenum kind, const char* source)
{
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
        std::fprintf(stderr, "kavro: shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

std::unique_ptr<CQuadRenderer> CQuadRenderer::create()
{
    std::unique_ptr<CQuadRenderer> renderer(new CQuadRenderer);
    if (!renderer->build())
        return nullptr;
    return renderer;
}

bool CQuadRenderer::build()
{
    GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
    if (!vertex || !fragment)
    {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    program_ = glCreateProgram();
    glAttachShader(program_, vertex);
    glAttachShader(program_, fragment);
    glLinkProgram(program_);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        std::fprintf(stderr, "kavro: quad shader does not link\n");
        return false;
    }
    colourLocation_ = glGetUniformLocation(program_, "uColour");
    offsetLocation_ = glGetUniformLocation(program_, "uOffset");
    uvOffsetLocation_ = glGetUniformLocation(program_, "uUvOffset");
    outputLocation_ = glGetUniformLocation(program_, "uOutput");
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "uTexture"), 0);

    glGenVertexArrays(1, &vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(QuadVertex),
                          reinterpret_cast<void*>(offsetof(QuadVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(QuadVertex),
                          reinterpret_cast<void*>(offsetof(QuadVertex, colour)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex),
                          reinterpret_cast<void*>(offsetof(QuadVertex, uv)));

    glGenSamplers(2, samplers_);
    for (int i = 0; i < 2; ++i)
    {
        const GLint filter = i ? GL_LINEAR : GL_NEAREST;
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    return true;
}

CQuadRenderer::~CQuadRenderer()
{
    glDeleteSamplers(2, samplers_);
    glDeleteBuffers(1, &vertexBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
    glDeleteProgram(program_);
}

void CQuadRenderer::draw(const std::vector<QuadVertex>& triangles, const QuadDrawState& state)
{
    if (triangles.empty())
        return;
    glUseProgram(program_);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    // Fresh storage for every draw: rewriting storage that a queued draw still reads would make the driver
    // finish that draw first.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(triangles.size() * sizeof(QuadVertex)), triangles.data(),
                 GL_STREAM_DRAW);
    const FragmentOutput output = ApplyBlendMode(state.blendMode);
    glUniform1i(outputLocation_, int(output));
    glUniform4f(colourLocation_, state.colour.x, state.colour.y, state.colour.z, state.colour.w);
    // Pixels to clip units; y is up in clip space and down in pixels.
    glUniform2f(offsetLocation_, state.offset.x * 2.0f / float(state.targetWidth),
                -state.offset.y * 2.0f / float(state.targetHeight));
    glUniform2f(uvOffsetLocation_, state.uvOffset.x, state.uvOffset.y);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, state.texture);
    glBindSampler(0, samplers_[state.linearFilter ? 1 : 0]);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles.size()));
}

} // namespace Kavro
