#pragma once

#include "scene/ModelData.h"

#include <kavro/RefCounted.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace Kavro
{

// The material operations a model resource and a scene model share: each stores its block into every
// material that matches (mesh, material, scope; null means all). What a "material" is, is the derived
// class's: the resource's defaults or a scene model's own copies.
template <typename Interface> class CMaterialSettings : public RefCounted<Interface>
{
public:
    using Visit = std::function<void(MaterialState&)>;

    int setMaterialVisible(const char* mesh, const char* material, int visible) override
    {
        return each(nullptr, mesh, material, [&](MaterialState& s) { s.visible = visible != 0; });
    }
    int setMaterialVisibleIn(const char* scope, const char* mesh, const char* material, int visible) override
    {
        return each(scope, mesh, material, [&](MaterialState& s) { s.visible = visible != 0; });
    }
    int setMaterialZWrite(const char* mesh, const char* material, int enable) override
    {
        return each(nullptr, mesh, material, [&](MaterialState& s) { s.zWrite = enable != 0; });
    }
    int setMaterialDiffuseMap(const char* mesh, const char* material, const DiffuseMapParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) {
            s.diffuseMap = *param;
            s.diffuseTexture = Ref<ITexture>(param->texture);
            s.secondDiffuseTexture = Ref<ITexture>(param->secondTexture);
        });
    }
    int setMaterialSpecularMap(const char* mesh, const char* material, const SpecularMapParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) {
            s.specularMap = *param;
            s.specularTexture = Ref<ITexture>(param->texture);
        });
    }
    int setMaterialNormalMap(const char* mesh, const char* material, const NormalMapParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) {
            s.normalMap = *param;
            s.normalTexture = Ref<ITexture>(param->texture);
        });
    }
    int setMaterialReflectionMap(const char* mesh, const char* material, const ReflectionMapParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) {
            s.reflectionMap = *param;
            s.reflectionTexture = Ref<ITexture>(param->texture);
        });
    }
    int setMaterialDiffuseColor(const char* mesh, const char* material, const DiffuseColorParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.diffuseColor = *param; });
    }
    int setMaterialDiffuseColorIn(const char* scope, const char* mesh, const char* material,
                                  const DiffuseColorParam* param) override
    {
        if (!param)
            return -1;
        return each(scope, mesh, material, [&](MaterialState& s) { s.diffuseColor = *param; });
    }
    int setMaterialAmbientColor(const char* mesh, const char* material, const AmbientColorParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.ambientColor = *param; });
    }
    int setMaterialEmissiveColor(const char* mesh, const char* material, const EmissiveColorParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.emissiveColor = *param; });
    }
    int setMaterialSpecularColor(const char* mesh, const char* material, const SpecularColorParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.specularColor = *param; });
    }
    int setMaterialHemisphereLight(const char* mesh, const char* material, const HemisphereLightParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.hemisphereLight = *param; });
    }
    int setMaterialRimLight(const char* mesh, const char* material, const RimLightParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.rimLight = *param; });
    }
    int setMaterialShadow(const char* mesh, const char* material, const ShadowParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) { s.shadow = *param; });
    }
    int setMaterialToon(const char* mesh, const char* material, const ToonParam* param) override
    {
        return block(mesh, material, param, [&](MaterialState& s) {
            s.toon = *param;
            s.toonTexture = Ref<ITexture>(param->texture);
            s.toonEdgeTexture = Ref<ITexture>(param->edgeTexture);
        });
    }
    int setMaterialAlphaTest(const char* mesh, const char* material, int boundary) override
    {
        const int clamped = boundary < 0 ? 0 : boundary > 255 ? 255 : boundary;
        return each(nullptr, mesh, material, [&](MaterialState& s) { s.alphaTest = clamped; });
    }
    int setMaterialBlendMode(const char* mesh, const char* material, int mode) override
    {
        return each(nullptr, mesh, material, [&](MaterialState& s) { s.blendMode = mode; });
    }
    int setMaterialCullMode(const char* mesh, const char* material, int mode) override
    {
        return each(nullptr, mesh, material, [&](MaterialState& s) { s.cullMode = mode; });
    }

protected:
    // Calls visit for every material of the meshes that match; answers how many matched.
    virtual int visitMaterials(const char* scope, const char* mesh, const char* material, const Visit& visit) = 0;

    static bool matches(const char* wanted, const std::string& name) { return !wanted || name == wanted; }

private:
    int each(const char* scope, const char* mesh, const char* material, const Visit& visit)
    {
        return visitMaterials(scope, mesh, material, visit) > 0 ? 0 : -1;
    }
    template <typename Param> int block(const char* mesh, const char* material, const Param* param, const Visit& visit)
    {
        return param ? each(nullptr, mesh, material, visit) : -1;
    }
};

// Writes name NUL-terminated into (buffer, size), cut to fit; the length written, or -1 without room.
inline int WriteName(const std::string& name, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return -1;
    const size_t n = std::min(name.size(), size_t(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return int(n);
}

} // namespace Kavro
