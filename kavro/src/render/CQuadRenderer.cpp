#include "render/CQuadRenderer.h"

#include "render/BlendMode.h"
#include "render/GLErrors.h"
#include "render/GLProgram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace Kavro
{

namespace
{

// Positions arrive in the library's clip space (y up, depth 0..w). Framebuffer row 0 holds the top of the
// image in every target, so y is negated; depth is moved to OpenGL's -w..w.
// ADJUSTED adds the draw's offset; without it (no offset) the corners pass as they are. EFFECTS also hands
// the fragment its place in the quad, (0, 0) top-left to (1, 1) bottom-right: the shared index buffer
// numbers the corners of quad n 4n .. 4n + 3 in corner order.
const char* vertexSource = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
uniform vec2 uOffset;
out vec4 vColour;
out vec2 vUv;
#if EFFECTS
out vec2 vQuad;
#endif
void main()
{
    vColour = aColour;
    vUv = aUv;
#if EFFECTS
    vQuad = vec2(float(gl_VertexID & 1), float((gl_VertexID >> 1) & 1));
#endif
    vec4 p = aPosition;
#if ADJUSTED
    p.xy += uOffset * p.w;
#endif
    gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
}
)";

// One program per fragment output (see BlendMode.h), chosen by OUTPUT, so no draw branches per fragment.
// Without ADJUSTED (white draw colour, no uv offset, a straight texture) the shader is a plain texture times colour, which the
// software rasteriser runs on its fast path. EFFECTS is the sprite shader: its stages run in a fixed order,
// each behind its switch in uStages (SpriteEffects::Stage); the formulas are listed in kavro/README.md.
const char* fragmentSource = R"(
in vec4 vColour;
in vec2 vUv;
uniform sampler2D uTexture;
uniform vec4 uColour;
uniform vec2 uUvOffset;
uniform sampler2D uMask;
uniform vec2 uTargetSize;
uniform bool uPremultiplied;
out vec4 fragColour;

// A premultiplied texel as the straight colour every later step expects.
vec4 straight(vec4 t)
{
    if (uPremultiplied)
        t.rgb = t.a > 0.0 ? t.rgb / t.a : vec3(0.0);
    return t;
}

#if EFFECTS
in vec2 vQuad;
uniform int uStages;
uniform vec3 uRadialBlur;   // centre, power
uniform vec2 uStreak;       // directional blur: unit direction x power
uniform vec4 uRipple;       // centre, frequency, power
uniform float uRipplePhase;
uniform vec4 uRaster;       // frequency, power, phase, rotation in radians
uniform vec4 uLens;         // centre, power, radius
uniform vec4 uColourAdjust; // hue in radians, saturation, brightness, glow
uniform vec4 uBalance;
uniform vec4 uTone;         // negaposi, monochrome, shading power, shading density
uniform vec4 uLevel;        // min, max, power, shading level
uniform sampler2D uTransitionMask;
uniform vec4 uTransition;   // from, to, value, vague
uniform sampler2D uDither;
uniform vec2 uDitherSize;
uniform sampler2D uDisplacement;
uniform vec2 uDisplacementScale;
uniform sampler2D uShade;

const int TransitionStage = 1;
const int RadialBlurStage = 2;
const int DirectionalBlurStage = 4;
const int RippleStage = 8;
const int RasterStage = 16;
const int LensStage = 32;
const int ColourStage = 64;
const int DitherStage = 128;
const int DisplacementStage = 256;
const int ShadeStage = 512;
const int BlurSamples = 16;
const float Tau = 6.2831853;
const vec3 Luma = vec3(0.299, 0.587, 0.114);

bool on(int stage) { return (uStages & stage) != 0; }

// The quad's source rectangle in the texture: uv = gOrigin + gAxes * q for q in 0..1, gSize texels across.
// Distortions work in pixels of that rectangle; a sample never leaves it.
vec2 gOrigin;
mat2 gAxes;
vec2 gSize;

vec4 texel(vec2 p)
{
    vec2 q = clamp(p / gSize, 0.0, 1.0);
    return straight(textureLod(uTexture, gOrigin + gAxes * q + uUvOffset, 0.0));
}

// Where this fragment lies on a map stretched over the target.
vec2 onTarget() { return gl_FragCoord.xy / uTargetSize; }

// Red and green bytes 128 move nothing, 255 move by the full scale, 0 (and 1) by the full scale backwards.
vec2 displaced(vec2 p)
{
    vec2 m = textureLod(uDisplacement, onTarget(), 0.0).rg;
    return p + clamp((m * 255.0 - 128.0) / 127.0, -1.0, 1.0) * uDisplacementScale;
}

// What chooses the shading band: the shade map's red where one is set, else the colour's own brightness.
float light(vec3 c)
{
    return on(ShadeStage) ? textureLod(uShade, onTarget(), 0.0).r : dot(c, Luma);
}

vec2 lens(vec2 p)
{
    vec2 d = p - uLens.xy;
    float r = length(d) / uLens.w;
    return r < 1.0 ? uLens.xy + d * (1.0 - uLens.z * (1.0 - r * r)) : p;
}

vec2 ripple(vec2 p)
{
    vec2 d = p - uRipple.xy;
    float r = length(d);
    vec2 outward = r > 0.0 ? d / r : vec2(0.0);
    return p + outward * uRipple.w * sin(Tau * (r * uRipple.z - uRipplePhase));
}

vec2 raster(vec2 p)
{
    vec2 along = vec2(cos(uRaster.w), sin(uRaster.w));
    vec2 across = vec2(-along.y, along.x);
    return p + along * uRaster.y * sin(Tau * (dot(p, across) * uRaster.x + uRaster.z));
}

// Blurs average with alpha weights, so transparent texels lend no colour.
vec4 blurred(vec2 p)
{
    if (!on(RadialBlurStage) && !on(DirectionalBlurStage))
        return texel(p);
    vec2 towardCentre = on(RadialBlurStage) ? (uRadialBlur.xy - p) * uRadialBlur.z : vec2(0.0);
    vec2 streak = on(DirectionalBlurStage) ? uStreak : vec2(0.0);
    vec4 sum = vec4(0.0);
    for (int i = 0; i < BlurSamples; ++i)
    {
        float k = float(i) / float(BlurSamples - 1);
        vec4 s = texel(p + towardCentre * k + streak * (k - 0.5));
        sum += vec4(s.rgb * s.a, s.a);
    }
    return vec4(sum.a > 0.0 ? sum.rgb / sum.a : vec3(0.0), sum.a / float(BlurSamples));
}

vec3 adjusted(vec3 c)
{
    c = clamp((c - uLevel.x) / max(uLevel.y - uLevel.x, 1e-5), 0.0, 1.0);
    if (uLevel.z != 1.0)
        c = pow(c, vec3(1.0 / max(uLevel.z, 1e-5)));
    float h = uColourAdjust.x;
    vec3 grey = vec3(0.57735027);
    c = c * cos(h) + cross(grey, c) * sin(h) + grey * dot(grey, c) * (1.0 - cos(h));
    c = mix(vec3(dot(c, Luma)), c, 1.0 + uColourAdjust.y);
    c = clamp(c + uColourAdjust.z, 0.0, 1.0);
    c += uColourAdjust.w * c * (1.0 - c);
    c *= uBalance.rgb;
    float bands = max(uLevel.w, 2.0);
    float band = min(floor(light(c) * bands) / (bands - 1.0), 1.0);
    c = mix(c, c * (1.0 - uTone.w * (1.0 - band)), uTone.z);
    c = mix(c, vec3(dot(c, Luma)), uTone.y);
    c = mix(c, 1.0 - c, uTone.x);
    return clamp(c, 0.0, 1.0);
}

float transitionCoverage()
{
    float g = dot(textureLod(uTransitionMask, vQuad, 0.0).rgb, Luma);
    float vague = max(uTransition.w, 1.0 / 255.0);
    return clamp((uTransition.z * (1.0 + vague) - g) / vague, 0.0, 1.0);
}

float dithered(float alpha)
{
    float threshold = dot(textureLod(uDither, fract(gl_FragCoord.xy / uDitherSize), 0.0).rgb, Luma);
    return alpha > threshold ? 1.0 : 0.0;
}
#endif

void main()
{
#if EFFECTS
    mat2 dq = mat2(dFdx(vQuad), dFdy(vQuad));
    gAxes = abs(determinant(dq)) > 1e-20 ? mat2(dFdx(vUv), dFdy(vUv)) * inverse(dq) : mat2(0.0);
    gOrigin = vUv - gAxes * vQuad;
    vec2 texels = vec2(textureSize(uTexture, 0));
    gSize = max(vec2(length(gAxes[0] * texels), length(gAxes[1] * texels)), vec2(1e-6));
    vec2 p = vQuad * gSize;
    if (on(DisplacementStage))
        p = displaced(p);
    if (on(LensStage))
        p = lens(p);
    if (on(RippleStage))
        p = ripple(p);
    if (on(RasterStage))
        p = raster(p);
    vec4 c = blurred(p);
    if (on(ColourStage))
        c.rgb = adjusted(c.rgb);
    c *= vColour * uColour;
    if (on(TransitionStage))
        c.a *= transitionCoverage();
    if (on(DitherStage))
        c.a = dithered(c.a);
#elif ADJUSTED
    vec4 c = straight(texture(uTexture, vUv + uUvOffset)) * vColour * uColour;
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

const char* const effectUniformNames[] = {"uStages", "uRadialBlur", "uStreak",  "uRipple",
                                          "uRipplePhase", "uRaster", "uLens",  "uColourAdjust",
                                          "uBalance", "uTone",   "uLevel", "uTransition", "uDitherSize",
                                          "uDisplacementScale"};

// Texture units of the inputs beside the quad's texture.
constexpr int MaskUnit = 1;
constexpr int TransitionMaskUnit = 2;
constexpr int DitherUnit = 3;
constexpr int DisplacementUnit = 4;
constexpr int ShadeUnit = 5;

constexpr float DegreesToRadians = 0.017453292f;

} // namespace

bool QuadDrawState::operator==(const QuadDrawState& o) const
{
    return framebuffer == o.framebuffer && targetWidth == o.targetWidth && targetHeight == o.targetHeight &&
           texture == o.texture && filter == o.filter && blendMode == o.blendMode && offset.x == o.offset.x &&
           offset.y == o.offset.y && colour.x == o.colour.x && colour.y == o.colour.y && colour.z == o.colour.z &&
           colour.w == o.colour.w && uvOffset.x == o.uvOffset.x && uvOffset.y == o.uvOffset.y && mask == o.mask &&
           premultiplied == o.premultiplied && stages == o.stages &&
           (stages == 0 || (effects == o.effects && transitionMask == o.transitionMask &&
                            ditherPattern == o.ditherPattern && displacementMap == o.displacementMap &&
                            shadeMap == o.shadeMap));
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
    const int variant = index / 3 % 3;
    const std::string header = "#version 330 core\n#define OUTPUT " + std::to_string(index % 3) +
                               "\n#define ADJUSTED " + std::to_string(variant > 0 ? 1 : 0) +
                               "\n#define EFFECTS " + std::to_string(variant == 2 ? 1 : 0) +
                               "\n#define MASKED " + std::to_string(index / 9) + "\n";
    Program& program = programs_[index];
    program.id = BuildGLProgram("quad", header.c_str(), vertexSource, fragmentSource);
    if (!program.id)
        return false;
    program.colour = glGetUniformLocation(program.id, "uColour");
    program.offset = glGetUniformLocation(program.id, "uOffset");
    program.uvOffset = glGetUniformLocation(program.id, "uUvOffset");
    program.targetSize = glGetUniformLocation(program.id, "uTargetSize");
    program.premultiplied = glGetUniformLocation(program.id, "uPremultiplied");
    for (int i = 0; i < EffectUniformCount; ++i)
        program.effects[i] = glGetUniformLocation(program.id, effectUniformNames[i]);
    glUseProgram(program.id);
    glUniform1i(glGetUniformLocation(program.id, "uTexture"), 0);
    glUniform1i(glGetUniformLocation(program.id, "uMask"), MaskUnit);
    glUniform1i(glGetUniformLocation(program.id, "uTransitionMask"), TransitionMaskUnit);
    glUniform1i(glGetUniformLocation(program.id, "uDither"), DitherUnit);
    glUniform1i(glGetUniformLocation(program.id, "uDisplacement"), DisplacementUnit);
    glUniform1i(glGetUniformLocation(program.id, "uShade"), ShadeUnit);
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
    bindDraw(state_, corners_.data(), corners_.size());
    glDrawElements(GL_TRIANGLES, GLsizei(corners_.size() / 4 * 6), GL_UNSIGNED_SHORT, nullptr);
    ++drawCalls_;
    corners_.clear();
    CheckGLErrors("drawing quads");
}

void CQuadRenderer::drawLines(const QuadVertex* ends, size_t lineCount, const QuadDrawState& state)
{
    // The quads before the lines are drawn first: order is kept.
    flush();
    if (lineCount == 0)
        return;
    bindDraw(state, ends, lineCount * 2);
    glDrawArrays(GL_LINES, 0, GLsizei(lineCount * 2));
    ++drawCalls_;
    CheckGLErrors("drawing lines");
}

void CQuadRenderer::bindDraw(const QuadDrawState& state, const QuadVertex* vertices, size_t vertexCount)
{
    glBindFramebuffer(GL_FRAMEBUFFER, state.framebuffer);
    glViewport(0, 0, state.targetWidth, state.targetHeight);
    const int output = int(ApplyBlendMode(state.blendMode));
    const bool adjusted = state.offset.x != 0.0f || state.offset.y != 0.0f || state.uvOffset.x != 0.0f ||
                          state.uvOffset.y != 0.0f || state.colour.x != 1.0f || state.colour.y != 1.0f ||
                          state.colour.z != 1.0f || state.colour.w != 1.0f || state.premultiplied;
    const int variant = state.stages ? 2 : adjusted ? 1 : 0;
    const Program& program = programs_[output + 3 * variant + (state.mask ? 9 : 0)];
    glUseProgram(program.id);
    glBindVertexArray(vertexArray_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    // Fresh storage for every batch: rewriting storage that a queued draw still reads would make the driver
    // finish that draw first.
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexCount * sizeof(QuadVertex)), vertices, GL_STREAM_DRAW);
    glUniform4f(program.colour, state.colour.x, state.colour.y, state.colour.z, state.colour.w);
    glUniform2f(program.offset, state.offset.x, state.offset.y);
    glUniform2f(program.uvOffset, state.uvOffset.x, state.uvOffset.y);
    glUniform1i(program.premultiplied, state.premultiplied ? 1 : 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, state.texture);
    glBindSampler(0, samplers_[state.filter & 7]);
    // Masks and effect maps have the target's proportions: one texel per target pixel when the sizes agree.
    if (state.mask || (state.stages & (SpriteEffects::Displacement | SpriteEffects::Shade)))
        glUniform2f(program.targetSize, float(state.targetWidth), float(state.targetHeight));
    if (state.mask)
    {
        glActiveTexture(GL_TEXTURE0 + MaskUnit);
        glBindTexture(GL_TEXTURE_2D, state.mask);
        glBindSampler(MaskUnit, samplers_[0]);
        glActiveTexture(GL_TEXTURE0);
    }
    if (state.stages)
        setEffectUniforms(program, state);
}

void CQuadRenderer::setEffectUniforms(const Program& program, const QuadDrawState& state)
{
    const SpriteEffects& e = state.effects;
    const GLint* at = program.effects;
    glUniform1i(at[Stages], state.stages);
    glUniform3f(at[RadialBlurUniform], e.radialCenter.x, e.radialCenter.y, e.radialPower);
    const float length = std::sqrt(e.direction.x * e.direction.x + e.direction.y * e.direction.y);
    const float streak = length > 0.0f ? e.directionalPower / length : 0.0f;
    glUniform2f(at[Streak], e.direction.x * streak, e.direction.y * streak);
    glUniform4f(at[RippleUniform], e.rippleCenter.x, e.rippleCenter.y, e.rippleFrequency, e.ripplePower);
    glUniform1f(at[RipplePhase], e.ripplePhase);
    glUniform4f(at[RasterUniform], e.rasterFrequency, e.rasterPower, e.rasterPhase,
                e.rasterRotate * DegreesToRadians);
    glUniform4f(at[LensUniform], e.lensCenter.x, e.lensCenter.y, e.lensPower, e.lensRadius);
    glUniform4f(at[ColourAdjust], e.hue * DegreesToRadians, e.saturation, e.brightness, e.glow);
    glUniform4fv(at[Balance], 1, e.balance);
    glUniform4f(at[Tone], e.negaposi, e.monochrome, std::clamp(e.shadingPower, 0.0f, 1.0f), e.shadingDensity);
    glUniform4f(at[Level], e.levelMin, e.levelMax, e.levelPower, float(e.shadingLevel));
    glUniform4fv(at[TransitionUniform], 1, e.transition);
    glUniform2f(at[DitherSize], e.ditherSize.x, e.ditherSize.y);
    glUniform2f(at[DisplacementScale], e.displacementScale.x, e.displacementScale.y);
    if (state.stages & SpriteEffects::Transition)
    {
        glActiveTexture(GL_TEXTURE0 + TransitionMaskUnit);
        glBindTexture(GL_TEXTURE_2D, state.transitionMask);
        glBindSampler(TransitionMaskUnit, samplers_[3]);
    }
    if (state.stages & SpriteEffects::Dither)
    {
        glActiveTexture(GL_TEXTURE0 + DitherUnit);
        glBindTexture(GL_TEXTURE_2D, state.ditherPattern);
        glBindSampler(DitherUnit, samplers_[0]);
    }
    const struct
    {
        int stage, unit;
        GLuint texture;
    } maps[] = {{SpriteEffects::Displacement, DisplacementUnit, state.displacementMap},
                {SpriteEffects::Shade, ShadeUnit, state.shadeMap}};
    for (const auto& map : maps)
        if (state.stages & map.stage)
        {
            glActiveTexture(GL_TEXTURE0 + GLenum(map.unit));
            glBindTexture(GL_TEXTURE_2D, map.texture);
            glBindSampler(GLuint(map.unit), samplers_[3]);
        }
    glActiveTexture(GL_TEXTURE0);
}

} // namespace Kavro
