#pragma once

namespace Kavro
{

// How a blend mode treats the fragment colour before the blend unit sees it.
enum class FragmentOutput
{
    Straight = 0,      // colour and alpha as sampled
    Premultiplied = 1, // rgb x alpha
    MultiplyBlend = 2  // mix(white, rgb, alpha): alpha 0 leaves the background unchanged
};

// The device's own mode for a premultiplied source drawn normally (not a mode quads can ask for).
constexpr int PremultipliedNormal = 6;

// Sets the GL blend state of a blend mode and answers what the fragment stage must output.
// 0 replace, 1 normal alpha, 2 add, 3 subtract, 4 multiply, 5 screen, 6 PremultipliedNormal; any other
// mode acts as 1.
FragmentOutput ApplyBlendMode(int mode);

} // namespace Kavro
