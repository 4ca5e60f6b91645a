#include "render/CQuadRenderer.h"

#include "render/BlendMode.h"
#include "render/GLErrors.h"

#include <cstdio>
#include <string>

namespace Kavro
{

namespace
{

// Positions arrive in the library's clip space (y up, depth 0..w). Framebuffer row 0 holds the top of the
// image in every target, so y is negated; depth is moved to OpenGL's -w..w.
// ADJUSTED adds the draw's offset; without it (no offset) the corners pass as they are.
const char* vertexSource = R"(
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
#if ADJUSTED
    p.xy += uOffset * p.w;
#endif
    gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}
)";

// One program per fragment output (see BlendMode.h), chosen by OUTPUT, so no draw branches per fragment.
// Without ADJUSTED (white draw colour, no uv offset) the shader is a plain texture times colour, which the
// software rasteriser runs on its fast path.
const char* fragmentSource = R"(
in vec4 vColour;
in vec2 vUv;
uniform sampler2D uTexture;
uniform vec4 uColour;
uniform vec2 uUvOffset;
uniform sampler2D uMask;
uniform vec2 uTargetSize;
out vec4 fragColour;
void main()
{
#if ADJUSTED
    vec4 c = texture(uTexture, vUv + uUvOffset) * vColour * uColour;
#else
    vec4 c = texture(uTexture, vUv) * vColour;
#endif
#if MASKED
    c.a *= texture(uMask, gl_FragCoord.xy / uTargetSize).a;
#endif
#if OUTPUT == 1
    c.rgb *= c.a;
#elif OUTPUT == 2
    c.rgb = mix(vec3(1.0), c.rgb, c.a);
#endif
    fragColour = c;
}
)";

GLuint compile(GLenum kind, const std::string& header, const char* source)
{
    GLuint shader = glCreateShader(kind);
    const char* parts[] = {header.c_str(), source};
    glShaderSource(shader, 2, parts, nullptr);
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

bool QuadDrawState::operator==(const QuadDrawState& o) const
{
    return framebuffer == o.framebuffer && targetWidth == o.targetWidth && targetHeight == o.targetHeight &&
           texture == o.texture && filter == o.filter && blendMode == o.blendMode && offset.x == o.offset.x &&
           offset.y == o.offset.y && colour.x == o.colour.x && colour.y == o.colour.y && colour.z == o.colour.z &&
           colour.w == o.colour.w && uvOffset.x == o.uvOffset.x && uvOffset.y == o.uvOffset.y && mask == o.mask;
}

std::unique_ptr<CQuadRenderer> CQuadRenderer::create()
{
    std::unique_ptr<CQuadRenderer> renderer(new CQuadRenderer);
    if (!renderer->build())
        return nullptr;
    return renderer;
}

bool CQuadRenderer::buildProgram(int index)
{
    const std::string header = "#version 330 core\n#define OUTPUT " + std::to_string(index % 3) +
                               "\n#define ADJUSTED " + std::to_string(index / 3 % 2) +
                               "\n#define MASKED " + std::to_string(index / 6) + "\n";
    GLuint vertex = compile(GL_VERTEX_SHADER, header, vertexSource);
    GLuint fragment = compile(GL_FRAGMENT_SHADER, header, fragmentSource);
    if (!vertex || !fragment)
    {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    Program& program = programs_[index];
    program.id = glCreateProgram();
    glAttachShader(program.id, vertex);
    glAttachShader(program.id, fragment);
    glLinkProgram(program.id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = 0;
    glGetProgramiv(program.id, GL_LINK_STATUS, &ok);
    if (!ok)
    {
        char log[1024] = {};
        glGetProgramInfoLog(program.id, sizeof log - 1, nullptr, log);
        std::fprintf(stderr, "kavro: quad shader does not link: %s\n", log);
        return false;
    }
    program.colour = glGetUniformLocation(program.id, "uColour");
    program.offset = glGetUniformLocation(program.id, "uOffset");
    program.uvOffset = glGetUniformLocation(program.id, "uUvOffset");
    program.targetSize = glGetUniformLocation(program.id, "uTargetSize");
    glUseProgram(program.id);
    glUniform1i(glGetUniformLocation(program.id, "uTexture"), 0);
    glUniform1i(glGetUniformLocation(program.id, "uMask"), 1);
    return true;
}

bool CQuadRenderer::build()
{
    for (int index = 0; index < ProgramCount; ++index)
        if (!buildProgram(index))
            return false;

    glGenVertexArrays(1, &vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &indexBuffer_);
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

    // Every quad is the triangles (0, 1, 2) and (2, 1, 3) of its corners; the index buffer is part of the
    // vertex array's state.
    std::vector<uint16_t> indices;
    indices.reserve(MaxBatchQuads * 6);
    for (size_t quad = 0; quad < MaxBatchQuads; ++quad)
        for (int corner : {0, 1, 2, 2, 1, 3})
            indices.push_back(uint16_t(quad * 4 + size_t(corner)));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint16_t)), indices.data(),
                 GL_STATIC_DRAW);

    glGenSamplers(8, samplers_);
    for (int i = 0; i < 8; ++i)
    {
        const GLint wrap = (i & QuadDrawState::RepeatBit) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, (i & 1) ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, (i & 2) ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, wrap);
        glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, wrap);
    }
    corners_.reserve(4096);
    return !CheckGLErrors("building the quad renderer");
}

CQuadRenderer::~CQuadRenderer()
{
    glDeleteSamplers(8, samplers_);
    glDeleteBuffers(1, &indexBuffer_);
    glDeleteBuffers(1, &vertexBuffer_);
    glDeleteVertexArrays(1, &vertexArray_);
    for (Program& program : programs_)
        glDeleteProgram(program.id);
}

void CQuadRenderer::abandon()
{
    corners_.clear();
    for (Program& program : programs_)
        program.id = 0;
    vertexArray_ = vertexBuffer_ = indexBuffer_ = 0;
    for (GLuint& sampler : samplers_)
        sampler = 0;
}

void CQuadRenderer::append(const QuadVertex* corners, size_t quadCount, const QuadDrawState& state)
{
    while (quadCount > 0)
    {
        if (hasPending() && (!(state == state_) || corners_.size() / 4 >= MaxBatchQuads))
            flush();
        if (!hasPending())
            state_ = state;
        const size_t room = MaxBatchQuads - corners_.size() / 4;
        const size_t taken = quadCount < room ? quadCount : room;
        corners_.insert(corners_.end(), corners, corners + taken * 4);
        corners += taken * 4;
        quadCount -= taken;
    }
}

void CQuadRenderer::flush()
{
    if (!hasPending())
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, state_.framebuffer);
    glViewport(0, 0, state_.targetWidth, state_.targetHeight);
    const int output = int(ApplyBlendMode(state_.blendMode));
    const bool adjusted = state_.offset.x != 0.0f || state_.offset.y != 0.0f || state_.uvOffset.x != 0.0f ||
                          state_.uvOffset.y != 0.0f || state_.colour.x != 1.0f || state_.colour.y != 1.0f ||
                          state_.colour.z != 1.0f || state_.colour.w != 1.0f;
    const Program& program = programs_[output + (adjusted ? 3 : 0) + (state_.mask ? 6 : 0)];
    glUseProgram(program.id);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    // Fresh storage for every batch: rewriting storage that a queued draw still reads would make the driver
    // finish that draw first.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(corners_.size() * sizeof(QuadVertex)), corners_.data(),
                 GL_STREAM_DRAW);
    glUniform4f(program.colour, state_.colour.x, state_.colour.y, state_.colour.z, state_.colour.w);
    glUniform2f(program.offset, state_.offset.x, state_.offset.y);
    glUniform2f(program.uvOffset, state_.uvOffset.x, state_.uvOffset.y);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, state_.texture);
    glBindSampler(0, samplers_[state_.filter & 7]);
    if (state_.mask)
    {
        // The mask has the target's proportions: one mask texel per target pixel when the sizes agree.
        glUniform2f(program.targetSize, float(state_.targetWidth), float(state_.targetHeight));
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, state_.mask);
        glBindSampler(1, samplers_[0]);
        glActiveTexture(GL_TEXTURE0);
    }
    glDrawElements(GL_TRIANGLES, GLsizei(corners_.size() / 4 * 6), GL_UNSIGNED_SHORT, nullptr);
    ++drawCalls_;
    corners_.clear();
    CheckGLErrors("drawing quads");
}

} // namespace Kavro
