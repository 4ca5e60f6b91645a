#pragma once

#include <kavro/Vector2D.h>

namespace Kavro
{

// Every per-quad parameter of the sprite shader, starting at the values that change no pixel. Units and
// formulas: kavro/README.md. Positions and lengths are in pixels of the quad's source rectangle, (0, 0) at
// its top-left.
struct SpriteEffects
{
    // The shader's stage switches: a stage runs only when its bit is set.
    enum Stage
    {
        Transition = 1,
        RadialBlur = 2,
        DirectionalBlur = 4,
        Ripple = 8,
        Raster = 16,
        Lens = 32,
        Colour = 64,
        Dither = 128,
        Displacement = 256,
        Shade = 512,
    };

    float hue = 0.0f; // degrees
    float saturation = 0.0f;
    float brightness = 0.0f;
    float glow = 0.0f;
    float balance[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float negaposi = 0.0f;
    float monochrome = 0.0f;
    int shadingLevel = 4;
    float shadingDensity = 0.5f;
    float shadingPower = 0.0f;
    float levelMin = 0.0f;
    float levelMax = 1.0f;
    float levelPower = 1.0f;
    Vector2D radialCenter;
    float radialPower = 0.0f;
    Vector2D direction;
    float directionalPower = 0.0f;
    Vector2D rippleCenter;
    float rippleFrequency = 0.0f;
    float ripplePower = 0.0f;
    float ripplePhase = 0.0f;
    float rasterFrequency = 0.0f;
    float rasterPower = 0.0f;
    float rasterPhase = 0.0f;
    float rasterRotate = 0.0f; // degrees
    Vector2D lensCenter;
    float lensPower = 0.0f;
    float lensRadius = 0.0f;
    // from, to, value, vague.
    float transition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    // Pixels of the target one repeat of the dither pattern covers (0 or less: its own size).
    Vector2D ditherSize;
    // Pixels that full red and full green of the displacement map stand for.
    Vector2D displacementScale;

    // The stages that change pixels, given which of the textures they read are set.
    int stages(bool transitionMask, bool ditherPattern, bool displacementMap, bool shadeMap) const;
    // Bytewise: the fields are all four-byte numbers without padding.
    bool operator==(const SpriteEffects& other) const;
};

} // namespace Kavro
