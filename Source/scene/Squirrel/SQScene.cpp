#include "scene/Squirrel/SQScene.h"

#include "core/CApp.h"
#include "core/CAppSystemState.h"
#include "core/SharedFunctions.h"
#include "script/SqPlus.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/ISceneManager.h>
#include <kavro/Matrix4x4.h>
#include <kavro/Vector4D.h>

#include <algorithm>
#include <cmath>

namespace Orvane::Squirrel
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Kavro::Vector4D;

namespace
{

struct SettingInfo
{
    float initial;
    SQScene::Group group;
    // Targets below it are raised to it (the depth-of-field distances must stay positive).
    float lowest;
};

constexpr float NoLowest = -INFINITY;

constexpr std::array<SettingInfo, SQScene::SettingCount> Settings = {{
    {4.0f, SQScene::SoftFocus, NoLowest},     // BlurPower
    {0.5f, SQScene::SoftFocus, NoLowest},     // BlendPower
    {50.0f, SQScene::DepthOfField, 0.001f},   // DofMiddle
    {100.0f, SQScene::DepthOfField, 0.001f},  // DofFar
    {1.2f, SQScene::Hdr, NoLowest},           // HdrLowLimit
    {5.0f, SQScene::Hdr, NoLowest},           // HdrBrightPower
    {1.5f, SQScene::Hdr, NoLowest},           // HdrBloom
    {0.8f, SQScene::ToneMapping, NoLowest},   // ToneBias
    {0.3f, SQScene::ToneMapping, NoLowest},   // ToneDarkClamp
    {0.4f, SQScene::ToneMapping, NoLowest},   // ToneLightClamp
    {1000.0f, SQScene::Fog, NoLowest},        // FogNear
    {2000.0f, SQScene::Fog, NoLowest},        // FogFar
    {0.0f, SQScene::None, NoLowest},          // RadialBlurPower
    {20.0f, SQScene::None, NoLowest},         // LightDistance
}};

struct VectorInfo
{
    Vector3D initial;
    SQScene::Group group;
};

constexpr std::array<VectorInfo, SQScene::VectorSettingCount> Vectors = {{
    {{1.0f, 1.0f, 1.0f}, SQScene::Fog},  // FogColour
    {{0.0f, 0.0f, 1.0f}, SQScene::None}, // LightLookAt
    {{0.0f, 0.0f, 0.0f}, SQScene::None}, // LightRotation
    {{1.0f, 1.0f, 1.0f}, SQScene::None}, // LightColour
}};

Vector4D point(const Vector3D& v)
{
    return {v.x, v.y, v.z, 1.0f};
}

CAppSystemState* settingsRecord()
{
    CApp* app = CApp::get();
    return app ? app->systemState : nullptr;
}

} // namespace

SQScene::SQScene(const char* name) : SQRenderer<void>(name ? name : "")
{
    CApp* app = CApp::get();
    scene = app ? app->sceneManager : nullptr;
    for (size_t i = 0; i < floats.size(); ++i)
        floats[i].set(Settings[i].initial, Settings[i].initial, 0, 0);
    for (size_t i = 0; i < vectors.size(); ++i)
        vectors[i].set(Vectors[i].initial, Vectors[i].initial, 0, 0);
}

void SQScene::markChanged(Group group)
{
    if (group != None)
        changed[group] = 1;
}

int SQScene::update()
{
    if (!scene)
        return -1;
    for (size_t i = 0; i < LightDistance; ++i)
    {
        const int ran = floats[i].update();
        if (Settings[i].group != None)
            changed[Settings[i].group] |= ran;
        if (i == FogFar)
            changed[Fog] |= vectors[FogColour].update();
    }
    vectors[LightLookAt].update();
    vectors[LightRotation].update();
    vectors[LightColour].update();
    scene->setLightLookAt(point(vectors[LightLookAt].scaledValue));
    return 0;
}

int SQScene::render()
{
    if (!scene)
        return -1;
    if (!enabled)
        return 0;
    const auto value = [this](Setting s) { return floats[s].scaledValue; };
    if (changed[SoftFocus])
        scene->setSoftFocusParameter(value(BlurPower), value(BlendPower));
    if (changed[DepthOfField])
        scene->setDOFParameter(value(DofMiddle), value(DofFar));
    if (changed[Hdr])
    {
        scene->setHDRParameter(value(HdrLowLimit), value(HdrBrightPower));
        scene->setBloomParameter(value(HdrBloom));
    }
    if (changed[ToneMapping])
        scene->setToneMappingParameter(value(ToneBias), value(ToneDarkClamp), value(ToneLightClamp));
    if (changed[Fog])
    {
        const Vector3D& c = vectors[FogColour].scaledValue;
        scene->setFogParameter(value(FogNear), value(FogFar), Vector4D(c.x, c.y, c.z, 1.0f));
    }
    changed.fill(0);
    scene->setRadialBlurParameter(radialBlurCentre, value(RadialBlurPower));
    const Vector3D& lookAt = vectors[LightLookAt].scaledValue;
    scene->setLightLookAt(point(lookAt));
    const Vector3D& r = vectors[LightRotation].scaledValue;
    const Vector3D offset = Vector3D(0.0f, value(LightDistance), 0.0f).TransformCoord(Matrix4x4::GetRotationZXY(r.x, r.y, r.z));
    scene->setLightPosition(point(lookAt + offset));
    scene->setLightColor(point(vectors[LightColour].scaledValue));
    return 0;
}

// ---- Time scales

void SQScene::setEffectTimeScales(float scale)
{
    for (size_t i = 0; i <= RadialBlurPower; ++i)
        floats[i].timeScale = scale;
    vectors[FogColour].timeScale = scale;
}

void SQScene::setLightTimeScales(float scale)
{
    floats[LightDistance].timeScale = scale;
    vectors[LightLookAt].timeScale = scale;
    vectors[LightRotation].timeScale = scale;
    vectors[LightColour].timeScale = scale;
}

void SQScene::setTimeScale(float scale)
{
    setEffectTimeScales(scale);
    setLightTimeScales(scale);
    SQRenderingObject::setTimeScale(scale);
}

void SQScene::setEffectTimeScale(float scale)
{
    setEffectTimeScales(scale);
}

void SQScene::setLightTimeScale(float scale)
{
    setLightTimeScales(scale);
}

// ---- Light

void SQScene::setLightPosition(float x, float y, float z)
{
    const Vector3D towards = Vector3D(x, y, z) - vectors[LightLookAt].value;
    // The light at its own look-at point has no direction: it keeps the one it has.
    if (towards.LengthSq() == 0.0f)
        return;
    const Vector3D up(0.0f, 1.0f, 0.0f);
    const Vector3D d = towards.GetNormalize();
    const float degrees = std::acos(std::clamp(up.Dot(d), -1.0f, 1.0f)) * 57.29578f;
    Vector3D axis = up.Cross(d);
    // Straight above or below there is no axis to turn about; any axis across (0, 1, 0) turns it over.
    if (axis.LengthSq() == 0.0f)
        axis = Vector3D(1.0f, 0.0f, 0.0f);
    Vector3D angles;
    matrixToEulerDegrees(Matrix4x4::GetRotationAxis(degrees, axis), angles);
    vectors[LightRotation].set(angles, angles, 0, 0);
}

void SQScene::setLightLookAt(float x, float y, float z)
{
    const Vector3D at(x, y, z);
    vectors[LightLookAt].set(at, at, 0, 0);
}

// ---- Settings

template <SQScene::Group G> void SQScene::setEffectEnable(int choice)
{
    CAppSystemState* record = settingsRecord();
    if (!record)
        return;
    const auto on = [choice](uint32_t userSwitch) { return choice != 0 && userSwitch != 0 ? 1 : 0; };
    switch (G)
    {
    case SoftFocus:
        record->softFocusEnable = uint32_t(choice);
        if (scene)
            scene->setSoftFocusEnable(on(record->useSoftFocus));
        break;
    case DepthOfField:
        record->dofEnable = uint32_t(choice);
        if (scene)
            scene->setDOFEnable(on(record->useDOF));
        break;
    case Hdr:
        record->hdrBloomEnable = uint32_t(choice);
        if (scene)
            scene->setHDRBloomEnable(on(record->useHDR));
        break;
    case ToneMapping:
        record->toneMappingEnable = uint32_t(choice);
        if (scene)
            scene->setToneMappingEnable(on(record->useToneMapping));
        break;
    case Fog:
        record->fogEnable = uint32_t(choice);
        if (scene)
            scene->setFogEnable(on(record->useFog));
        break;
    default:
        break;
    }
}

template <SQScene::Setting S> void SQScene::animate(float value, int time, int curve)
{
    CInterpolator<float>& setting = floats[S];
    setting.set(setting.value, std::max(value, Settings[S].lowest), ScriptTime(time), curve);
    markChanged(Settings[S].group);
}

template <SQScene::Setting S> void SQScene::seek(float ms)
{
    markChanged(Settings[S].group);
    floats[S].setTime(ms);
}

template <SQScene::VectorSetting S> void SQScene::animateVector(float x, float y, float z, int time, int curve)
{
    CInterpolator<Vector3D>& setting = vectors[S];
    setting.set(setting.value, Vector3D(x, y, z), ScriptTime(time), curve);
    markChanged(Vectors[S].group);
}

template <SQScene::VectorSetting S> void SQScene::currentVector()
{
    const Vector3D& v = vectors[S].scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

template <SQScene::VectorSetting S> void SQScene::seekVector(float ms)
{
    markChanged(Vectors[S].group);
    vectors[S].setTime(ms);
}

void SQScene::setFogParameter(float nearDistance, float farDistance, float r, float g, float b)
{
    floats[FogNear].set(nearDistance, nearDistance, 0, 0);
    floats[FogFar].set(farDistance, farDistance, 0, 0);
    const Vector3D colour(r, g, b);
    vectors[FogColour].set(colour, colour, 0, 0);
    markChanged(Fog);
}

void SQScene::setRadialBlur(float x, float y, float power, int time, int curve)
{
    animate<RadialBlurPower>(power, time, curve);
    radialBlurCentre = Kavro::Vector2D(x, y);
}

void SQScene::getRadialBlurCenter()
{
    SetScriptResults({radialBlurCentre.x, radialBlurCentre.y});
}

// ---- Handed over at once

void SQScene::setHDRParameter(float lowLimit, float brightPower)
{
    if (scene)
        scene->setHDRParameter(lowLimit, brightPower);
}

void SQScene::setBloomParameter(float bloom)
{
    if (scene)
        scene->setBloomParameter(bloom);
}

void SQScene::setDOFParameter(float middle, float far)
{
    if (scene)
        scene->setDOFParameter(middle, far);
}

void SQScene::setToneMappingParameter(float bias, float darkClamp, float lightClamp)
{
    if (scene)
        scene->setToneMappingParameter(bias, darkClamp, lightClamp);
}

void SQScene::setSoftFocusParameter(float blurPower, float blendPower)
{
    if (scene)
        scene->setSoftFocusParameter(blurPower, blendPower);
}

void SQScene::setRadialBlurParameter(float x, float y, float power)
{
    if (scene)
        scene->setRadialBlurParameter(Kavro::Vector2D(x, y), power);
}

void SQScene::setKeepSubstanceRenderingResult(int keep)
{
    if (scene)
        scene->setKeepSubstanceRenderingResult(keep);
}

void SQScene::setSoftParticleLength(float length)
{
    if (scene)
        scene->setSoftParticleLength(length);
}

void SQScene::setShadowMapOffsetRotate(float x, float y, float z)
{
    if (scene)
        scene->setShadowMapOffsetRotate(x, y, z);
}

void SQScene::setProjectionShadowOffsetRotate(float x, float y, float z)
{
    if (scene)
        scene->setProjectionShadowOffsetRotate(x, y, z);
}

void SQScene::setSceneStateShadow(int a, int b, int c)
{
    if (scene)
        scene->setSceneStateShadow(a, b, c);
}

void SQScene::transformFromScreenToWorld(float x, float y, float z)
{
    const Vector3D v = scene ? scene->transformFromScreenToWorld(Vector3D(x, y, z)) : Vector3D();
    SetScriptResults({v.x, v.y, v.z});
}

void SQScene::transformFromWorldToScreen(float x, float y, float z)
{
    const Vector3D v = scene ? scene->transformFromWorldToScreen(Vector3D(x, y, z)) : Vector3D();
    SetScriptResults({v.x, v.y, v.z});
}

// ---- The script class

namespace
{

// The four methods of one animated float setting: set, get, get timer, set timer.
template <SQScene::Setting S>
void registerSetting(SquirrelObject& c, const char* set, const char* get, const char* getTimer, const char* setTimer)
{
    SqPlus::RegisterInstance(c, &SQScene::animate<S>, set);
    SqPlus::RegisterInstance(c, &SQScene::current<S>, get);
    SqPlus::RegisterInstance(c, &SQScene::timer<S>, getTimer);
    SqPlus::RegisterInstance(c, &SQScene::seek<S>, setTimer);
}

template <SQScene::VectorSetting S>
void registerVector(SquirrelObject& c, const char* set, const char* get, const char* getTimer, const char* setTimer)
{
    SqPlus::RegisterInstance(c, &SQScene::animateVector<S>, set);
    SqPlus::RegisterInstance(c, &SQScene::currentVector<S>, get);
    SqPlus::RegisterInstance(c, &SQScene::vectorTimer<S>, getTimer);
    SqPlus::RegisterInstance(c, &SQScene::seekVector<S>, setTimer);
}

} // namespace

void SQScene::registerClass()
{
    using M = SQScene;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQScene");
    SqPlus::RegisterConstructor<M, const char*>(c);

    SqPlus::RegisterInstance(c, &M::setEnable, "setEnable");
    SqPlus::RegisterInstance(c, static_cast<void (M::*)(float)>(&M::setTimeScale), "setTimeScale");
    SqPlus::RegisterInstance(c, &M::setEffectTimeScale, "setEffectTimeScale");
    SqPlus::RegisterInstance(c, &M::setLightTimeScale, "setLightTimeScale");

    SqPlus::RegisterInstance(c, &M::setLightPosition, "setLightPosition");
    SqPlus::RegisterInstance(c, &M::setLightLookAt, "setLightLookAt");
    registerVector<LightRotation>(c, "rotateLight", "getRotateLight", "getRotateLightTimer", "setRotateLightTimer");
    registerVector<LightLookAt>(c, "moveLightLookAt", "getMoveLightLookAt", "getMoveLightLookAtTimer",
                                "setMoveLightLookAtTimer");
    registerVector<LightColour>(c, "setLightColor", "getLightColor", "getLightColorTimer", "setLightColorTimer");

    SqPlus::RegisterInstance(c, &M::setShadowMapOffsetRotate, "setShadowMapOffsetRotate");
    SqPlus::RegisterInstance(c, &M::setProjectionShadowOffsetRotate, "setProjectionShadowOffsetRotate");
    SqPlus::RegisterInstance(c, &M::setSceneStateShadow, "setSceneStateShadow");
    for (const char* name : {"setShadowMapDistance", "setShadowMapFov", "setProjectionShadowFov",
                             "setShadowMapFarClip", "setShadowMapNearClip", "setProjectionShadowFarClip",
                             "setProjectionShadowNearClip"})
        SqPlus::RegisterInstance(c, &M::ignoreFloat, name);
    SqPlus::RegisterInstance(c, &M::ignoreVector, "setShadowMapCenterPosition");
    SqPlus::RegisterInstance(c, &M::ignoreBone, "setShadowMapCenterBone");
    SqPlus::RegisterInstance(c, &M::ignoreBone, "setProjectionShadowCenterBone");

    SqPlus::RegisterInstance(c, &M::setEffectEnable<Hdr>, "setHDRBloomEnable");
    SqPlus::RegisterInstance(c, &M::setHDRParameter, "setHDRParameter");
    SqPlus::RegisterInstance(c, &M::setBloomParameter, "setBloomParameter");
    registerSetting<HdrLowLimit>(c, "setHDRBrightPassLowLimit", "getHDRBrightPassLowLimit",
                                 "getHDRBrightPassLowLimitTimer", "setHDRBrightPassLowLimitTimer");
    registerSetting<HdrBrightPower>(c, "setHDRBrightPower", "getHDRBrightPower", "getHDRBrightPowerTimer",
                                    "setHDRBrightPowerTimer");
    registerSetting<HdrBloom>(c, "setHDRBloom", "getHDRBloom", "getHDRBloomTimer", "setHDRBloomTimer");

    SqPlus::RegisterInstance(c, &M::setEffectEnable<DepthOfField>, "setDOFEnable");
    SqPlus::RegisterInstance(c, &M::setDOFParameter, "setDOFParameter");
    registerSetting<DofMiddle>(c, "setDOFMiddle", "getDOFMiddle", "getDOFMiddleTimer", "setDOFMiddleTimer");
    registerSetting<DofFar>(c, "setDOFFar", "getDOFFar", "getDOFFarTimer", "setDOFFarTimer");

    SqPlus::RegisterInstance(c, &M::setEffectEnable<ToneMapping>, "setToneMappingEnable");
    SqPlus::RegisterInstance(c, &M::setToneMappingParameter, "setToneMappingParameter");
    registerSetting<ToneBias>(c, "setToneMappingBias", "getToneMappingBias", "getToneMappingBiasTimer",
                              "setToneMappingBiasTimer");
    registerSetting<ToneDarkClamp>(c, "setToneMappingDarkClamp", "getToneMappingDarkClamp",
                                   "getToneMappingDarkClampTimer", "setToneMappingDarkClampTimer");
    registerSetting<ToneLightClamp>(c, "setToneMappingLightClamp", "getToneMappingLightClamp",
                                    "getToneMappingLightClampTimer", "setToneMappingLightClampTimer");

    SqPlus::RegisterInstance(c, &M::setEffectEnable<SoftFocus>, "setSoftFocusEnable");
    SqPlus::RegisterInstance(c, &M::setSoftFocusParameter, "setSoftFocusParameter");
    registerSetting<BlurPower>(c, "setSoftFocusBlurPower", "getSoftFocusBlurPower", "getSoftFocusBlurPowerTimer",
                               "setSoftFocusBlurPowerTimer");
    registerSetting<BlendPower>(c, "setSoftFocusBlendPower", "getSoftFocusBlendPower",
                                "getSoftFocusBlendPowerTimer", "setSoftFocusBlendPowerTimer");
    SqPlus::RegisterInstance(c, &M::setKeepSubstanceRenderingResult, "setKeepSubstanceRenderingResult");
    SqPlus::RegisterInstance(c, &M::setSoftParticleLength, "setSoftParticleLength");

    SqPlus::RegisterInstance(c, &M::setEffectEnable<Fog>, "setFogEnable");
    SqPlus::RegisterInstance(c, &M::setFogParameter, "setFogParameter");
    registerSetting<FogNear>(c, "moveFogNear", "getFogNear", "getFogNearTimer", "setFogNearTimer");
    registerSetting<FogFar>(c, "moveFogFar", "getFogFar", "getFogFarTimer", "setFogFarTimer");
    registerVector<FogColour>(c, "setFogColor", "getFogColor", "getFogColorTimer", "setFogColorTimer");

    SqPlus::RegisterInstance(c, &M::setRadialBlur, "setRadialBlur");
    SqPlus::RegisterInstance(c, &M::setRadialBlurParameter, "setRadialBlurParameter");
    SqPlus::RegisterInstance(c, &M::current<RadialBlurPower>, "getRadialBlurPower");
    SqPlus::RegisterInstance(c, &M::getRadialBlurCenter, "getRadialBlurCenter");
    SqPlus::RegisterInstance(c, &M::timer<RadialBlurPower>, "getRadialBlurPowerTimer");
    SqPlus::RegisterInstance(c, &M::seek<RadialBlurPower>, "setRadialBlurPowerTimer");

    SqPlus::RegisterInstance(c, &M::transformFromScreenToWorld, "transformFromScreenToWorld");
    SqPlus::RegisterInstance(c, &M::transformFromWorldToScreen, "transformFromWorldToScreen");
}

} // namespace Orvane::Squirrel
