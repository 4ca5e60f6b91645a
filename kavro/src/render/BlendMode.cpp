#include "render/BlendMode.h"

#include "render/GL.h"

namespace Kavro
{

namespace
{

struct BlendState
{
    bool enabled;
    GLenum equation;
    GLenum sourceColour, destinationColour, sourceAlpha, destinationAlpha;
    FragmentOutput output;
};

// With s the fragment colour, a its alpha and d the target (see kavro/README.md):
// the blending modes 2 to 5 leave the target's alpha as it is.
const BlendState states[] = {
    // 0 replace: d = s
    {false, GL_FUNC_ADD, GL_ONE, GL_ZERO, GL_ONE, GL_ZERO, FragmentOutput::Straight},
    // 1 normal: d = s*a + d*(1-a); alpha a + da*(1-a)
    {true, GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA,
     FragmentOutput::Straight},
    // 2 add: d = d + s*a
    {true, GL_FUNC_ADD, GL_ONE, GL_ONE, GL_ZERO, GL_ONE, FragmentOutput::Premultiplied},
    // 3 subtract: d = d - s*a
    {true, GL_FUNC_REVERSE_SUBTRACT, GL_ONE, GL_ONE, GL_ZERO, GL_ONE, FragmentOutput::Premultiplied},
    // 4 multiply: d = d * (s*a + 1-a)
    {true, GL_FUNC_ADD, GL_DST_COLOR, GL_ZERO, GL_ZERO, GL_ONE, FragmentOutput::MultiplyBlend},
    // 5 screen: d = d + s*a*(1-d)
    {true, GL_FUNC_ADD, GL_ONE_MINUS_DST_COLOR, GL_ONE, GL_ZERO, GL_ONE, FragmentOutput::Premultiplied},
    // 6 normal for an already premultiplied source: d = s + d*(1-a); alpha a + da*(1-a)
    {true, GL_FUNC_ADD, GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA, FragmentOutput::Straight},
};

} // namespace

FragmentOutput ApplyBlendMode(int mode)
{
    const BlendState& state = states[(mode >= 0 && mode <= PremultipliedNormal) ? mode : 1];
    if (!state.enabled)
    {
        glDisable(GL_BLEND);
        return state.output;
    }
    glEnable(GL_BLEND);
    glBlendEquationSeparate(state.equation, GL_FUNC_ADD);
    glBlendFuncSeparate(state.sourceColour, state.destinationColour, state.sourceAlpha, state.destinationAlpha);
    return state.output;
}

} // namespace Kavro
