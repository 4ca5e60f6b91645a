#pragma once

#include <cstdint>

namespace Kavro
{

// The scene's rendering state: which effects run and at what size. The engine fetches it from the
// scene manager, changes what its settings decide and hands it back; commitSceneStateDesc puts it
// into effect. Flags are 0 or 1.
struct CSceneStateDesc
{
    int32_t enabled = 1;
    // 0 no shadows, 2 shadow maps.
    int32_t shadowMode = 0;
    // Edge of the shadow map in pixels, and whether it is at least 512.
    int32_t shadowMapSize = 512;
    int32_t shadowMapLarge = 1;
    int32_t selfShadow = 0;
    // 0 effects off; 1, 2, 4 the effect buffers at full, three-quarter, half size.
    int32_t degreeSizeRatio = 2;
    // High dynamic range rendering and lighting, from the user's setting.
    int32_t useHDR = 0;
    int32_t useHDRLighting = 0;
    // Bloom and its glare pass, switched by the scene.
    int32_t bloomEnable = 0;
    int32_t glareEnable = 0;
    int32_t useToneMapping = 0;
    int32_t toneMappingEnable = 0;
    int32_t useDOF = 0;
    int32_t dofEnable = 0;
    // Size of the effect buffers relative to the screen.
    float sceneScale = 0.75f;
    int32_t useSoftFocus = 0;
    int32_t softFocusEnable = 0;
    int32_t sceneOption = 1;
    int32_t fogEnable = 0;
    int32_t pointLightNum = 4;
    int32_t sceneOption2 = 1;
    float sceneFactor = 4.0f;

    bool operator==(const CSceneStateDesc&) const = default;
};

} // namespace Kavro
