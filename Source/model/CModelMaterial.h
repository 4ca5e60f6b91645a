#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Orvane
{

struct MaterialRGB
{
    float r;
    float g;
    float b;
};

// All settings of one material. A material file is exactly these bytes, little-endian, with no header;
// script tables are read into a zeroed record.
struct MaterialRecord
{
    static constexpr size_t NameSize = 512;

    int32_t version;
    int32_t visible;
    int32_t blendMode;
    int32_t cullMode;
    int32_t alphaTestEnable;
    int32_t alphaTestBoundary;
    int32_t zWriteEnable;

    int32_t diffuseMapEnable;
    char diffuseMapFile[NameSize];
    float diffuseScroll[2];
    int32_t secondDiffuseEnable;
    char secondDiffuseFile[NameSize];
    float secondDiffusePower;

    int32_t specularMapEnable;
    char specularMapFile[NameSize];

    int32_t normalMapEnable;
    char normalMapFile[NameSize];
    float normalScroll[2];

    int32_t reflectionMapEnable;
    int32_t reflectionType;
    char reflectionMapFile[NameSize];
    float reflectionPower;

    MaterialRGB diffuseColor;
    float diffusePower;
    int32_t diffuseValue;
    MaterialRGB ambientColor;
    float ambientPower;
    MaterialRGB emissiveColor;
    float emissivePower;
    MaterialRGB specularColor;
    float specularPower;
    float specularDiffusion;
    float specularSharpness;
    int32_t specularValue;
    float specularValue2;
    float specularShininess;

    int32_t hemisphereEnable;
    float hemisphereUp[3];
    float hemispherePower;
    MaterialRGB skyColor;
    float skyPower;
    MaterialRGB groundColor;
    float groundPower;

    int32_t rimEnable;
    MaterialRGB rimColor;
    float rimPower;
    float rimRange;
    int32_t rimEffectiveLight;

    int32_t shadowCaster;
    int32_t shadowReceiver;
    MaterialRGB shadowColor;
    float shadowPower;
    float shadowOffset;
    // Picks the shadow kind of records before version 2.
    int32_t shadowSelector;
    int32_t reserved0;
    float reserved1[3];
    float reserved2;

    int32_t toonEnable;
    char toonFile[NameSize];
    MaterialRGB edgeColor;
    float edgePower;
    char edgeFile[NameSize];

    int32_t fogEnable;
    int32_t reserved3;
    int32_t shadowAttribute;
    int32_t diffuseAddressing[2];
    float specularScroll[2];
    int32_t specularAddressing[2];
    int32_t normalAddressing[2];
};

static_assert(std::endian::native == std::endian::little, "material files are taken byte for byte");
static_assert(sizeof(MaterialRecord) == 3944);
static_assert(offsetof(MaterialRecord, version) == 0);
static_assert(offsetof(MaterialRecord, visible) == 4);
static_assert(offsetof(MaterialRecord, blendMode) == 8);
static_assert(offsetof(MaterialRecord, cullMode) == 12);
static_assert(offsetof(MaterialRecord, alphaTestEnable) == 16);
static_assert(offsetof(MaterialRecord, alphaTestBoundary) == 20);
static_assert(offsetof(MaterialRecord, zWriteEnable) == 24);
static_assert(offsetof(MaterialRecord, diffuseMapEnable) == 28);
static_assert(offsetof(MaterialRecord, diffuseMapFile) == 32);
static_assert(offsetof(MaterialRecord, diffuseScroll) == 544);
static_assert(offsetof(MaterialRecord, secondDiffuseEnable) == 552);
static_assert(offsetof(MaterialRecord, secondDiffuseFile) == 556);
static_assert(offsetof(MaterialRecord, secondDiffusePower) == 1068);
static_assert(offsetof(MaterialRecord, specularMapEnable) == 1072);
static_assert(offsetof(MaterialRecord, specularMapFile) == 1076);
static_assert(offsetof(MaterialRecord, normalMapEnable) == 1588);
static_assert(offsetof(MaterialRecord, normalMapFile) == 1592);
static_assert(offsetof(MaterialRecord, normalScroll) == 2104);
static_assert(offsetof(MaterialRecord, reflectionMapEnable) == 2112);
static_assert(offsetof(MaterialRecord, reflectionType) == 2116);
static_assert(offsetof(MaterialRecord, reflectionMapFile) == 2120);
static_assert(offsetof(MaterialRecord, reflectionPower) == 2632);
static_assert(offsetof(MaterialRecord, diffuseColor) == 2636);
static_assert(offsetof(MaterialRecord, diffusePower) == 2648);
static_assert(offsetof(MaterialRecord, diffuseValue) == 2652);
static_assert(offsetof(MaterialRecord, ambientColor) == 2656);
static_assert(offsetof(MaterialRecord, ambientPower) == 2668);
static_assert(offsetof(MaterialRecord, emissiveColor) == 2672);
static_assert(offsetof(MaterialRecord, emissivePower) == 2684);
static_assert(offsetof(MaterialRecord, specularColor) == 2688);
static_assert(offsetof(MaterialRecord, specularPower) == 2700);
static_assert(offsetof(MaterialRecord, specularDiffusion) == 2704);
static_assert(offsetof(MaterialRecord, specularSharpness) == 2708);
static_assert(offsetof(MaterialRecord, specularValue) == 2712);
static_assert(offsetof(MaterialRecord, specularValue2) == 2716);
static_assert(offsetof(MaterialRecord, specularShininess) == 2720);
static_assert(offsetof(MaterialRecord, hemisphereEnable) == 2724);
static_assert(offsetof(MaterialRecord, hemisphereUp) == 2728);
static_assert(offsetof(MaterialRecord, hemispherePower) == 2740);
static_assert(offsetof(MaterialRecord, skyColor) == 2744);
static_assert(offsetof(MaterialRecord, skyPower) == 2756);
static_assert(offsetof(MaterialRecord, groundColor) == 2760);
static_assert(offsetof(MaterialRecord, groundPower) == 2772);
static_assert(offsetof(MaterialRecord, rimEnable) == 2776);
static_assert(offsetof(MaterialRecord, rimColor) == 2780);
static_assert(offsetof(MaterialRecord, rimPower) == 2792);
static_assert(offsetof(MaterialRecord, rimRange) == 2796);
static_assert(offsetof(MaterialRecord, rimEffectiveLight) == 2800);
static_assert(offsetof(MaterialRecord, shadowCaster) == 2804);
static_assert(offsetof(MaterialRecord, shadowReceiver) == 2808);
static_assert(offsetof(MaterialRecord, shadowColor) == 2812);
static_assert(offsetof(MaterialRecord, shadowPower) == 2824);
static_assert(offsetof(MaterialRecord, shadowOffset) == 2828);
static_assert(offsetof(MaterialRecord, shadowSelector) == 2832);
static_assert(offsetof(MaterialRecord, reserved0) == 2836);
static_assert(offsetof(MaterialRecord, reserved1) == 2840);
static_assert(offsetof(MaterialRecord, reserved2) == 2852);
static_assert(offsetof(MaterialRecord, toonEnable) == 2856);
static_assert(offsetof(MaterialRecord, toonFile) == 2860);
static_assert(offsetof(MaterialRecord, edgeColor) == 3372);
static_assert(offsetof(MaterialRecord, edgePower) == 3384);
static_assert(offsetof(MaterialRecord, edgeFile) == 3388);
static_assert(offsetof(MaterialRecord, fogEnable) == 3900);
static_assert(offsetof(MaterialRecord, reserved3) == 3904);
static_assert(offsetof(MaterialRecord, shadowAttribute) == 3908);
static_assert(offsetof(MaterialRecord, diffuseAddressing) == 3912);
static_assert(offsetof(MaterialRecord, specularScroll) == 3920);
static_assert(offsetof(MaterialRecord, specularAddressing) == 3928);
static_assert(offsetof(MaterialRecord, normalAddressing) == 3936);

// A name field of a record: up to its first zero, never past the field (a file's field may lack the zero).
inline std::string MaterialName(const char (&field)[MaterialRecord::NameSize])
{
    size_t length = 0;
    while (length < MaterialRecord::NameSize && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

} // namespace Orvane
