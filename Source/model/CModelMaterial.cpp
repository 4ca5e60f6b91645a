// The material operations of CModel: one material record handed to the scene model and the resource
// feature by feature, material files, visibility, diffuse colour and the reset of every material.
#include "model/CModel.h"
#include "model/CModelMaterial.h"

#include "core/CApp.h"
#include "core/CFile.h"

#include <kavro/IModelResource.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneModel.h>
#include <kavro/ITexture.h>
#include <kavro/Ref.h>

#include <cstring>

namespace Orvane
{

namespace
{

using TextureRef = Kavro::Ref<Kavro::ITexture>;

// The name that stands for the rendered scene image in place of a diffuse texture.
constexpr const char* SceneImageName = "SCENE";
// Record scrolls are in hundredths of the texture animation's speed.
constexpr float ScrollUnit = 0.01f;

const char* nullWhenEmpty(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// Colour times power, alpha included: the library takes the product as it is.
Kavro::ColorF scaled(const MaterialRGB& c, float power)
{
    return {c.r * power, c.g * power, c.b * power, 1.0f * power};
}

Kavro::ColorF opaque(const MaterialRGB& c)
{
    return {c.r, c.g, c.b, 1.0f};
}

// The engine's own reference to the texture a name field names; null for an empty name or a failed load.
// The library takes its own references, so the step's reference goes when the step is over.
TextureRef loadTexture(const char (&field)[MaterialRecord::NameSize])
{
    const std::string name = MaterialName(field);
    CApp* app = CApp::get();
    if (name.empty() || !app || !app->renderDevice)
        return {};
    return TextureRef::adopt(app->renderDevice->loadTexture(name.c_str(), 0, 0));
}

bool namesSceneImage(const char (&field)[MaterialRecord::NameSize])
{
    return MaterialName(field) == SceneImageName;
}

// A diffuse slot: no texture and the scene flag for the scene image, else the named texture.
TextureRef loadDiffuseTexture(const char (&field)[MaterialRecord::NameSize], int32_t& sceneFlag)
{
    sceneFlag = namesSceneImage(field) ? 1 : 0;
    return sceneFlag ? TextureRef() : loadTexture(field);
}

Kavro::ShadowParam shadowBlock(const MaterialRecord& r)
{
    Kavro::ShadowParam p;
    p.color = opaque(r.shadowColor);
    p.color2 = p.color;
    p.offset = r.shadowOffset;
    p.power = r.shadowPower;
    const auto full = [&] {
        p.caster = p.caster2 = r.shadowCaster;
        p.receiver = p.receiver2 = r.shadowReceiver;
        p.strength = r.shadowPower;
        p.mode = 1;
    };
    if (uint32_t(r.version) >= 2)
    {
        if (r.shadowAttribute == 1)
        {
            full();
        }
        else
        {
            p.caster2 = r.shadowAttribute == 0 ? 0 : r.shadowCaster;
            p.receiver2 = r.shadowReceiver;
            p.mode = int32_t(uint8_t(r.shadowAttribute));
        }
    }
    else if (r.shadowCaster != 0 || r.shadowReceiver != 0)
    {
        full();
    }
    else
    {
        p.mode = r.shadowSelector != 0 ? 2 : 0;
    }
    return p;
}

} // namespace

int CModel::loadMaterial(const std::string& scope, const std::string& mesh, const std::string& material,
                         const std::string& path)
{
    MaterialRecord record;
    {
        CFile file;
        if (file.open(path.c_str(), 0, 0, 0) < 0 || file.load() < 0)
            return -1;
        const uint8_t* data = file.getLoadData();
        if (!data || file.getFileSize() < sizeof record)
            return -1;
        std::memcpy(&record, data, sizeof record);
    }
    return setMaterialTable(scope, mesh, material, &record);
}

int CModel::setMaterialTable(const std::string&, const std::string& meshName, const std::string& materialName,
                             const MaterialRecord* record)
{
    if (!record)
        return -1;
    const MaterialRecord& r = *record;
    const char* mesh = nullWhenEmpty(meshName);
    const char* material = nullWhenEmpty(materialName);
    Kavro::IMaterialSettings* const targets[] = {sceneModel, modelResource};
    const auto each = [&](auto&& apply) {
        for (Kavro::IMaterialSettings* target : targets)
            if (target)
                apply(*target);
    };

    each([&](auto& t) { t.setMaterialVisible(mesh, material, r.visible); });
    each([&](auto& t) { t.setMaterialZWrite(mesh, material, r.zWriteEnable); });
    {
        Kavro::DiffuseMapParam p;
        p.enable = r.diffuseMapEnable;
        const TextureRef first = loadDiffuseTexture(r.diffuseMapFile, p.sceneFlag);
        p.secondEnable = r.secondDiffuseEnable;
        const TextureRef second = loadDiffuseTexture(r.secondDiffuseFile, p.secondSceneFlag);
        p.texture = first.get();
        p.secondTexture = second.get();
        p.secondPower = r.secondDiffusePower;
        each([&](auto& t) { t.setMaterialDiffuseMap(mesh, material, &p); });
    }
    {
        const TextureRef texture = loadTexture(r.specularMapFile);
        Kavro::SpecularMapParam p;
        p.enable = r.specularMapEnable;
        p.texture = texture.get();
        each([&](auto& t) { t.setMaterialSpecularMap(mesh, material, &p); });
    }
    {
        const TextureRef texture = loadTexture(r.normalMapFile);
        Kavro::NormalMapParam p;
        p.enable = r.normalMapEnable;
        p.texture = texture.get();
        each([&](auto& t) { t.setMaterialNormalMap(mesh, material, &p); });
    }
    {
        const TextureRef texture = loadTexture(r.reflectionMapFile);
        Kavro::ReflectionMapParam p;
        p.enable = r.reflectionMapEnable;
        p.texture = texture.get();
        p.type = r.reflectionType;
        p.power = r.reflectionPower;
        each([&](auto& t) { t.setMaterialReflectionMap(mesh, material, &p); });
    }
    Kavro::DiffuseColorParam diffuse;
    diffuse.color = scaled(r.diffuseColor, r.diffusePower);
    diffuse.value = r.diffuseValue;
    each([&](auto& t) { t.setMaterialDiffuseColor(mesh, material, &diffuse); });
    Kavro::AmbientColorParam ambient;
    ambient.color = scaled(r.ambientColor, r.ambientPower);
    each([&](auto& t) { t.setMaterialAmbientColor(mesh, material, &ambient); });
    Kavro::EmissiveColorParam emissive;
    emissive.color = scaled(r.emissiveColor, r.emissivePower);
    each([&](auto& t) { t.setMaterialEmissiveColor(mesh, material, &emissive); });
    Kavro::SpecularColorParam specular;
    specular.color = scaled(r.specularColor, r.specularPower);
    specular.diffusion = r.specularDiffusion;
    specular.sharpness = r.specularSharpness;
    specular.value = r.specularValue;
    specular.value2 = r.specularValue2;
    specular.shininess = r.specularShininess;
    each([&](auto& t) { t.setMaterialSpecularColor(mesh, material, &specular); });
    Kavro::HemisphereLightParam hemisphere;
    hemisphere.enable = r.hemisphereEnable;
    hemisphere.up = Kavro::Vector3D(r.hemisphereUp[0], r.hemisphereUp[1], r.hemisphereUp[2]);
    hemisphere.power = r.hemispherePower;
    hemisphere.skyColor = scaled(r.skyColor, r.skyPower);
    hemisphere.groundColor = scaled(r.groundColor, r.groundPower);
    each([&](auto& t) { t.setMaterialHemisphereLight(mesh, material, &hemisphere); });
    Kavro::RimLightParam rim;
    rim.enable = r.rimEnable;
    rim.color = scaled(r.rimColor, r.rimPower);
    rim.range = r.rimRange;
    rim.effectiveLight = r.rimEffectiveLight;
    each([&](auto& t) { t.setMaterialRimLight(mesh, material, &rim); });
    const Kavro::ShadowParam shadow = shadowBlock(r);
    each([&](auto& t) { t.setMaterialShadow(mesh, material, &shadow); });
    each([&](auto& t) {
        for (int i = 0; i < 3; ++i)
            t.setMeshMaterialFlag(mesh, 1);
    });
    {
        const TextureRef toonTexture = loadTexture(r.toonFile);
        const TextureRef edgeTexture = loadTexture(r.edgeFile);
        Kavro::ToonParam p;
        p.enable = r.toonEnable;
        p.texture = toonTexture.get();
        p.edgeColor = opaque(r.edgeColor);
        p.edgePower = r.edgePower;
        p.edgeTexture = edgeTexture.get();
        each([&](auto& t) { t.setMaterialToon(mesh, material, &p); });
    }
    each([&](auto& t) { t.setMaterialAlphaTest(mesh, material, r.alphaTestEnable ? r.alphaTestBoundary : 0); });
    each([&](auto& t) { t.setMaterialBlendMode(mesh, material, r.blendMode); });
    each([&](auto& t) { t.setMaterialCullMode(mesh, material, r.cullMode); });

    setAnimationColorUV(meshName, materialName,
                        Kavro::Vector2D(r.diffuseScroll[0] * ScrollUnit, r.diffuseScroll[1] * ScrollUnit));
    setAnimationBumpUV(meshName, materialName,
                       Kavro::Vector2D(r.normalScroll[0] * ScrollUnit, r.normalScroll[1] * ScrollUnit));
    // Older records carry no fog setting; the resource keeps its own fog.
    if (uint32_t(r.version) >= 2 && sceneModel)
        sceneModel->setMaterialFog(mesh, material, r.fogEnable);
    return 0;
}

int CModel::setMaterialVisible(const std::string& scope, const std::string& mesh, const std::string& material,
                               int32_t visible)
{
    for (Kavro::IMaterialSettings* target : {static_cast<Kavro::IMaterialSettings*>(sceneModel),
                                             static_cast<Kavro::IMaterialSettings*>(modelResource)})
    {
        if (!target)
            continue;
        if (scope.empty())
            target->setMaterialVisible(nullWhenEmpty(mesh), nullWhenEmpty(material), visible);
        else
            target->setMaterialVisibleIn(scope.c_str(), nullWhenEmpty(mesh), nullWhenEmpty(material), visible);
    }
    return 0;
}

int CModel::getMaterialVisible(const std::string& scope, const std::string& mesh, const std::string& material)
{
    int visible = 0;
    if (!modelResource ||
        modelResource->getMaterialVisible(nullWhenEmpty(scope), nullWhenEmpty(mesh), nullWhenEmpty(material),
                                          &visible) < 0)
        return 0;
    return visible;
}

int CModel::setMaterialDiffuseColor(const std::string& scope, const std::string& mesh,
                                    const std::string& material, const Kavro::ColorF& color, int32_t value)
{
    Kavro::DiffuseColorParam param;
    param.color = color;
    param.value = value;
    for (Kavro::IMaterialSettings* target : {static_cast<Kavro::IMaterialSettings*>(sceneModel),
                                             static_cast<Kavro::IMaterialSettings*>(modelResource)})
    {
        if (!target)
            continue;
        if (scope.empty())
            target->setMaterialDiffuseColor(nullWhenEmpty(mesh), nullWhenEmpty(material), &param);
        else
            target->setMaterialDiffuseColorIn(scope.c_str(), nullWhenEmpty(mesh), nullWhenEmpty(material),
                                              &param);
    }
    return 0;
}

void CModel::clearMaterial()
{
    if (!modelResource)
        return;
    Kavro::IModelResource& res = *modelResource;
    const Kavro::Vector2D still(0.0f, 0.0f);
    const int meshCount = res.getMeshCount();
    for (int i = 0; i < meshCount; ++i)
    {
        char mesh[128] = {};
        res.getMeshName(i, mesh, sizeof mesh);
        mesh[sizeof mesh - 1] = '\0';
        const int materialCount = res.getMaterialCount(mesh);
        for (int j = 0; j < materialCount; ++j)
        {
            char material[128] = {};
            res.getMaterialName(mesh, j, material, sizeof material);
            material[sizeof material - 1] = '\0';
            setAnimationColorUV(mesh, material, still);
            setAnimationBumpUV(mesh, material, still);
        }
    }

    // Every material of the resource back to nothing; the remade scene model starts from it.
    res.setMaterialVisible(nullptr, nullptr, 0);
    res.setMaterialZWrite(nullptr, nullptr, 0);
    const Kavro::DiffuseMapParam diffuseMap;
    res.setMaterialDiffuseMap(nullptr, nullptr, &diffuseMap);
    const Kavro::SpecularMapParam specularMap;
    res.setMaterialSpecularMap(nullptr, nullptr, &specularMap);
    const Kavro::NormalMapParam normalMap;
    res.setMaterialNormalMap(nullptr, nullptr, &normalMap);
    const Kavro::ReflectionMapParam reflectionMap;
    res.setMaterialReflectionMap(nullptr, nullptr, &reflectionMap);
    const Kavro::DiffuseColorParam diffuse;
    res.setMaterialDiffuseColor(nullptr, nullptr, &diffuse);
    const Kavro::AmbientColorParam ambient;
    res.setMaterialAmbientColor(nullptr, nullptr, &ambient);
    const Kavro::EmissiveColorParam emissive;
    res.setMaterialEmissiveColor(nullptr, nullptr, &emissive);
    const Kavro::SpecularColorParam specular;
    res.setMaterialSpecularColor(nullptr, nullptr, &specular);
    const Kavro::HemisphereLightParam hemisphere;
    res.setMaterialHemisphereLight(nullptr, nullptr, &hemisphere);
    const Kavro::RimLightParam rim;
    res.setMaterialRimLight(nullptr, nullptr, &rim);
    const Kavro::ShadowParam shadow;
    res.setMaterialShadow(nullptr, nullptr, &shadow);
    for (int i = 0; i < 3; ++i)
        res.setMeshMaterialFlag(nullptr, 0);
    const Kavro::ToonParam toon;
    res.setMaterialToon(nullptr, nullptr, &toon);
    res.setMaterialAlphaTest(nullptr, nullptr, 0);
    res.setMaterialBlendMode(nullptr, nullptr, 0);
    res.setMaterialCullMode(nullptr, nullptr, 1);
    remake();
}

} // namespace Orvane
