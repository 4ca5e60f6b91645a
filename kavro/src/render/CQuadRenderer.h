#pragma once

#include "render/GL.h"
#include "render/QuadVertex.h"
#include "render/SpriteEffects.h"

#include <kavro/Vector2D.h>
#include <kavro/Vector4D.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace Kavro
{

// Everything a batch of quads shares. Quads whose state equals the pending batch's join it.
struct QuadDrawState
{
    GLuint framebuffer = 0;
    int targetWidth = 1;
    int targetHeight = 1;
    GLuint texture = 0;
    // Bit 0: linear minification, bit 1: linear magnification, bit 2: repeat instead of clamp.
    int filter = 0;
    static constexpr int RepeatBit = 4;
    // 0..5 (other modes already mapped to 1), or PremultipliedNormal.
    int blendMode = 1;
    // Clip units to move every corner by (times its w).
    Vector2D offset;
    // Multiplies every vertex colour (alpha already scaled by the draw factor).
    Vector4D colour{1.0f, 1.0f, 1.0f, 1.0f};
    Vector2D uvOffset;
    // A mask texture of the target's proportions whose alpha multiplies every fragment's (0: none).
    GLuint mask = 0;
    // The texture's colour is premultiplied by its alpha: samples are divided back first.
    bool premultiplied = false;
    // The sprite shader's stages (SpriteEffects::Stage bits) and what they read; with none set the
    // effects are not looked at.
    int stages = 0;
    SpriteEffects effects;
    GLuint transitionMask = 0;
    GLuint ditherPattern = 0;
    // Effect maps, stretched over the target.
    GLuint displacementMap = 0;
    GLuint shadeMap = 0;

    bool operator==(const QuadDrawState& other) const;
};

// The shader programs, streaming vertex buffer and samplers that every quad goes through. Quads are
// collected in submission order and drawn as one call until the state changes or flush is called.
class CQuadRenderer
{
public:
    // Null when the shaders do not compile or link (the reason goes to stderr).
    static std::unique_ptr<CQuadRenderer> create();
    ~CQuadRenderer();

    // Adds quads (four corners each) to the batch; a different state draws the pending batch first, and so
    // the GL context must be current whenever hasPending() or a flush may follow.
    void append(const QuadVertex* corners, size_t quadCount, const QuadDrawState& state);
    // Draws the pending batch into its framebuffer; leaves that framebuffer bound.
    void flush();
    bool hasPending() const { return !corners_.empty(); }
    // Draws the pending batch, then the lines (two ends each) at once with the state; the texture should be
    // plain white, since the ends carry no texture coordinates of their own.
    void drawLines(const QuadVertex* ends, size_t lineCount, const QuadDrawState& state);
    // Drops the pending quads and the names of the GL objects, which went with their context.
    void abandon();
    // Draw calls made so far.
    long drawCalls() const { return drawCalls_; }

private:
    // Quads per draw call: 16-bit indices reach 65536 corners.
    static constexpr size_t MaxBatchQuads = 16384;

    CQuadRenderer() = default;
    bool build();
    // Index: fragment output (0..2), plus 3 for the program that applies the draw's adjustments, plus 6
    // for the sprite shader (adjustments and effect stages); plus 9 for each of those reading a mask.
    bool buildProgram(int index);
    static constexpr int ProgramCount = 18;

    // Uniforms of the sprite shader, in the order of effectUniformNames.
    enum EffectUniform
    {
        Stages,
        RadialBlurUniform,
        Streak,
        RippleUniform,
        RipplePhase,
        RasterUniform,
        LensUniform,
        ColourAdjust,
        Balance,
        Tone,
        Level,
        TransitionUniform,
        DitherSize,
        DisplacementScale,
        EffectUniformCount
    };
    struct Program
    {
        GLuint id = 0;
        GLint colour = -1;
        GLint offset = -1;
        GLint uvOffset = -1;
        GLint targetSize = -1;
        GLint premultiplied = -1;
        GLint effects[EffectUniformCount] = {};
    };
    // Sets up everything a draw of the vertices with the state needs: target, blend, program, buffer, textures.
    void bindDraw(const QuadDrawState& state, const QuadVertex* vertices, size_t vertexCount);
    // Uploads the effect parameters and binds the textures the stages read.
    void setEffectUniforms(const Program& program, const QuadDrawState& state);
    Program programs_[ProgramCount];
    GLuint vertexArray_ = 0;
    GLuint vertexBuffer_ = 0;
    GLuint indexBuffer_ = 0;
    GLuint samplers_[8] = {};
    std::vector<QuadVertex> corners_;
    QuadDrawState state_;
    long drawCalls_ = 0;
};

} // namespace Kavro
