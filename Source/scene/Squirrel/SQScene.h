#pragma once

#include "curve/CInterpolator.h"
#include "script/Squirrel/SQRenderer.h"

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <array>
#include <cstdint>

namespace Kavro
{
class ISceneManager;
}

namespace Orvane::Squirrel
{

// The script class "SQScene": the scene-wide light, shadow offsets and post effects of the application's
// scene. It owns no library object; it animates the settings and hands them over once per frame: a group of
// post-effect parameters only after something in it changed, the radial blur and the light every frame.
// Every instance talks to the same scene.
class SQScene : public SQRenderer<void>
{
public:
    // Animated float settings, in the order the update step advances them.
    enum Setting : uint8_t
    {
        BlurPower,
        BlendPower,
        DofMiddle,
        DofFar,
        HdrLowLimit,
        HdrBrightPower,
        HdrBloom,
        ToneBias,
        ToneDarkClamp,
        ToneLightClamp,
        FogNear,
        FogFar,
        RadialBlurPower,
        LightDistance,
        SettingCount
    };
    enum VectorSetting : uint8_t
    {
        FogColour,
        LightLookAt,
        LightRotation,
        LightColour,
        VectorSettingCount
    };
    // Parameter groups handed over only after a change; None: handed over every frame.
    enum Group : uint8_t
    {
        SoftFocus,
        DepthOfField,
        Hdr,
        ToneMapping,
        Fog,
        GroupCount,
        None = GroupCount
    };

    explicit SQScene(const char* name);

    void* getEngineObject() override { return nullptr; }
    // Advances every animation and hands the light's look-at point over, also while disabled.
    int update() override;
    // While enabled: the changed groups, then the radial blur and the light.
    int render() override;
    // Every animation of the scene.
    void setTimeScale(float scale) override;

    void setEnable(int enable) { enabled = enable; }
    void setEffectTimeScale(float scale);
    void setLightTimeScale(float scale);

    // The rotation that turns (0, 1, 0) toward the point as seen from the look-at point, at once.
    void setLightPosition(float x, float y, float z);
    void setLightLookAt(float x, float y, float z);

    // Enable switches: the script's choice goes into the settings record, the scene gets it ANDed with the
    // user's switch of the same effect.
    template <Group G> void setEffectEnable(int choice);

    // Animated settings: from the current value to the target (time in ms, curve index).
    template <Setting S> void animate(float value, int time, int curve);
    template <Setting S> float current() { return floats[S].scaledValue; }
    template <Setting S> float timer() { return floats[S].elapsed; }
    // Seeks and marks the setting's group changed.
    template <Setting S> void seek(float ms);
    template <VectorSetting S> void animateVector(float x, float y, float z, int time, int curve);
    // x, y, z and 0 into SQMATH_RET_1..4.
    template <VectorSetting S> void currentVector();
    template <VectorSetting S> float vectorTimer() { return vectors[S].elapsed; }
    template <VectorSetting S> void seekVector(float ms);

    // Handed to the scene at once; the animations are left alone.
    void setHDRParameter(float lowLimit, float brightPower);
    void setBloomParameter(float bloom);
    void setDOFParameter(float middle, float far);
    void setToneMappingParameter(float bias, float darkClamp, float lightClamp);
    void setSoftFocusParameter(float blurPower, float blendPower);
    void setRadialBlurParameter(float x, float y, float power);
    void setKeepSubstanceRenderingResult(int keep);
    void setSoftParticleLength(float length);
    void setShadowMapOffsetRotate(float x, float y, float z);
    void setProjectionShadowOffsetRotate(float x, float y, float z);
    void setSceneStateShadow(int a, int b, int c);
    // Accepted and ignored.
    void ignoreFloat(float) {}
    void ignoreVector(float, float, float) {}
    void ignoreBone(const char*, const char*) {}

    // Near, far and colour jump to the values.
    void setFogParameter(float nearDistance, float farDistance, float r, float g, float b);
    // Animates the power; the centre jumps.
    void setRadialBlur(float x, float y, float power, int time, int curve);
    // (x, y, 0, 0) into SQMATH_RET_1..4.
    void getRadialBlurCenter();

    // The converted point into SQMATH_RET_1..3, 0 into SQMATH_RET_4.
    void transformFromScreenToWorld(float x, float y, float z);
    void transformFromWorldToScreen(float x, float y, float z);

    int32_t isEnabled() const { return enabled; }
    int32_t isChanged(Group group) const { return changed[group]; }

    static void registerClass();

private:
    void markChanged(Group group);
    void setEffectTimeScales(float scale);
    void setLightTimeScales(float scale);

    int32_t enabled = 1;
    Kavro::ISceneManager* scene;
    std::array<CInterpolator<float>, SettingCount> floats;
    std::array<CInterpolator<Kavro::Vector3D>, VectorSettingCount> vectors;
    std::array<int32_t, GroupCount> changed{};
    Kavro::Vector2D radialBlurCentre;
};

} // namespace Orvane::Squirrel
