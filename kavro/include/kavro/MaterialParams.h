#pragma once

#include "ColorF.h"
#include "Vector3D.h"

#include <cstdint>

namespace Kavro
{

class ITexture;

// Parameter blocks of the material operations (IMaterialSettings). Each names one material feature; the
// library copies what it needs and takes its own references to the textures. A null texture leaves the
// slot empty; a scene flag of 1 draws the rendered scene image in place of a texture.
// Blocks holding texture pointers have the sizes noted only where pointers are 32-bit.

struct DiffuseMapParam
{
    int32_t enable = 0;
    ITexture* texture = nullptr;
    float power = 1.0f;
    float reserved[2] = {};
    int32_t sceneFlag = 0;
    int32_t secondEnable = 0;
    ITexture* secondTexture = nullptr;
    float secondPower = 0.0f;
    int32_t secondSceneFlag = 0;
    int32_t reserved2[2] = {};
};
static_assert(sizeof(void*) != 4 || sizeof(DiffuseMapParam) == 48);

struct SpecularMapParam
{
    int32_t enable = 0;
    ITexture* texture = nullptr;
    int32_t reserved[2] = {};
};

struct NormalMapParam
{
    int32_t enable = 0;
    ITexture* texture = nullptr;
    int32_t reserved[2] = {};
};

struct ReflectionMapParam
{
    int32_t enable = 0;
    ITexture* texture = nullptr;
    int32_t type = 0;
    float power = 0.0f;
};

struct DiffuseColorParam
{
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
    int32_t value = 0;
};
static_assert(sizeof(DiffuseColorParam) == 20);

struct AmbientColorParam
{
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(AmbientColorParam) == 16);

struct EmissiveColorParam
{
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(EmissiveColorParam) == 16);

struct SpecularColorParam
{
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
    float diffusion = 0.0f;
    float sharpness = 0.0f;
    int32_t value = 0;
    float value2 = 0.0f;
    float shininess = 0.0f;
};
static_assert(sizeof(SpecularColorParam) == 36);

struct HemisphereLightParam
{
    int32_t enable = 0;
    Vector3D up;
    float power = 0.0f;
    ColorF skyColor{0.0f, 0.0f, 0.0f, 0.0f};
    ColorF groundColor{0.0f, 0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(HemisphereLightParam) == 52);

struct RimLightParam
{
    int32_t enable = 0;
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
    float range = 0.0f;
    int32_t effectiveLight = 0;
};
static_assert(sizeof(RimLightParam) == 28);

// Shadow casting and receiving; mode selects the kind of shadow.
struct ShadowParam
{
    int32_t caster = 0;
    int32_t receiver = 0;
    ColorF color{0.0f, 0.0f, 0.0f, 0.0f};
    float strength = 0.0f;
    float offset = 0.0f;
    int32_t caster2 = 0;
    int32_t receiver2 = 0;
    ColorF color2{0.0f, 0.0f, 0.0f, 0.0f};
    float power = 0.0f;
    int32_t reserved = 0;
    int32_t mode = 0;
};
static_assert(sizeof(ShadowParam) == 68);

struct ToonParam
{
    int32_t enable = 0;
    ITexture* texture = nullptr;
    ColorF edgeColor{0.0f, 0.0f, 0.0f, 0.0f};
    float edgePower = 0.0f;
    ITexture* edgeTexture = nullptr;
};

} // namespace Kavro
