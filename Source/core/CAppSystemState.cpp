#include "core/CAppSystemState.h"

#include "core/CApp.h"
#include "core/CFile.h"

#include <kavro/CSceneStateDesc.h>
#include <kavro/ICore.h>
#include <kavro/ISceneManager.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace Orvane
{

namespace
{

constexpr char Magic[7] = "ORVANE";

struct Preset
{
    uint32_t antiAliasType;
    uint32_t sceneDegreeSizeRatio;
    uint32_t useSoftFocus;
    uint32_t useHDR;
    uint32_t useToneMapping;
    uint32_t useDOF;
    uint32_t useShadow;
    uint32_t useSelfShadow;
    uint32_t shadowQuality;
    uint32_t pointLightNum;
};

constexpr std::array<Preset, 4> Presets = {{
    {8, 1, 1, 1, 1, 1, 1, 1, 3, 16},
    {4, 2, 1, 1, 1, 1, 1, 1, 3, 8},
    {2, 2, 1, 0, 0, 1, 1, 1, 2, 4},
    {2, 0, 0, 0, 0, 0, 0, 0, 1, 2},
}};

constexpr std::array<int, 5> ShadowMapSizes = {256, 512, 1024, 2048, 257};

// The identity table the library's anti-alias types are looked up in.
constexpr std::array<int, 8> AntiAliasTypes = {0, 1, 2, 3, 4, 5, 6, 7};

float sceneScaleOf(uint32_t ratio, float current)
{
    switch (ratio)
    {
    case 0:
        return 0.0f;
    case 1:
        return 1.0f;
    case 2:
        return 0.75f;
    case 4:
        return 0.5f;
    default:
        return current;
    }
}

} // namespace

CAppSystemState::CAppSystemState(uint32_t width, uint32_t height) : screenWidth(width), screenHeight(height)
{
}

int CAppSystemState::write(CFile& file)
{
    const uint32_t version = Version;
    const uint32_t reserved = 1;
    const uint32_t factorBits = std::bit_cast<uint32_t>(sceneFactor);
    const uint32_t* const words[] = {
        &version,       &screenWidth,          &screenHeight, &fullScreen, &fixedAspect,    &frameRate,
        &antiAliasType, &sceneDegreeSizeRatio, &useSoftFocus, &useHDR,     &useToneMapping, &useDOF,
        &reserved,      &sceneOption,          &factorBits,   &useShadow,  &useSelfShadow,  &shadowQuality,
        &pointLightNum, &sceneOption2,         &sceneOption3};
    if (file.write(Magic, sizeof(Magic)) != sizeof(Magic)) return -1;
    for (const uint32_t* word : words)
        if (!file.writeDword(*word)) return -1;
    return 0;
}

bool CAppSystemState::readFields(CFile& file)
{
    char magic[sizeof(Magic) + 1] = {};
    if (file.read(magic, sizeof(Magic)) != sizeof(Magic) || std::strcmp(magic, Magic) != 0) return false;
    uint32_t version = 0;
    if (!file.readDword(version) || version != Version) return false;
    uint32_t reserved = 0;
    uint32_t factorBits = std::bit_cast<uint32_t>(sceneFactor);
    uint32_t* const words[] = {
        &screenWidth,          &screenHeight, &fullScreen, &fixedAspect,    &frameRate,     &antiAliasType,
        &sceneDegreeSizeRatio, &useSoftFocus, &useHDR,     &useToneMapping, &useDOF,        &reserved,
        &sceneOption,          &factorBits,   &useShadow,  &useSelfShadow,  &shadowQuality, &pointLightNum,
        &sceneOption2,         &sceneOption3};
    bool whole = true;
    for (uint32_t* word : words)
        if (!file.readDword(*word))
        {
            whole = false;
            break;
        }
    sceneFactor = std::bit_cast<float>(factorBits);
    return whole;
}

int CAppSystemState::read(CFile& file)
{
    if (!readFields(file))
    {
        applyPreset(2);
        return -1;
    }
    setShadowQuality(shadowQuality);
    userSettingExists = 1;
    return 0;
}

int CAppSystemState::applyPreset(int level)
{
    if (level < 0 || level >= int(Presets.size())) return 0;
    const Preset& preset = Presets[size_t(level)];
    antiAliasType = preset.antiAliasType;
    sceneDegreeSizeRatio = preset.sceneDegreeSizeRatio;
    useSoftFocus = preset.useSoftFocus;
    useHDR = preset.useHDR;
    useToneMapping = preset.useToneMapping;
    useDOF = preset.useDOF;
    useShadow = preset.useShadow;
    useSelfShadow = preset.useSelfShadow;
    shadowQuality = preset.shadowQuality;
    pointLightNum = preset.pointLightNum;
    frameRate = 60;
    sceneOption = 1;
    sceneFactor = 4.0f;
    sceneOption2 = 1;
    sceneOption3 = 1;
    useFog = 1;
    return 0;
}

void CAppSystemState::apply()
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    if (!core || !app->sceneManager) return;
    applyRequested = 0;
    core->setFrameRate(int(frameRate));
    const int modeKept =
        core->changeDisplayMode(int(screenWidth), int(screenHeight), int(fullScreen), int(fixedAspect));
    const int antiAliasKept = core->changeAntiAliasType(deviceAntiAliasType(antiAliasType));
    const bool deviceReset = modeKept == 0 || antiAliasKept == 0;
    Kavro::CSceneStateDesc current;
    app->sceneManager->getSceneStateDesc(current);
    if (deviceReset || !(buildSceneState(current) == current)) updateSceneState(deviceReset);
}

int CAppSystemState::updateSceneState(bool deviceReset)
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    if (!core || !app->sceneManager) return -1;
    core->setFrameRate(int(frameRate));
    if (deviceReset && core->applyDisplayMode() < 0) return -1;
    Kavro::CSceneStateDesc current;
    app->sceneManager->getSceneStateDesc(current);
    app->sceneManager->setSceneStateDesc(buildSceneState(current));
    return app->sceneManager->commitSceneStateDesc();
}

Kavro::CSceneStateDesc CAppSystemState::buildSceneState(const Kavro::CSceneStateDesc& current) const
{
    const bool effects = sceneDegreeSizeRatio != 0;
    // With the effects off every effect flag goes to the scene as 0, whatever the settings hold.
    const auto effect = [effects](uint32_t flag) { return effects ? int32_t(flag) : 0; };
    Kavro::CSceneStateDesc desc = current;
    desc.enabled = 1;
    desc.shadowMode = effects && useShadow ? 2 : 0;
    desc.shadowMapSize = shadowMapSize(shadowQuality);
    desc.shadowMapLarge = desc.shadowMapSize >= 512 ? 1 : 0;
    desc.selfShadow = getUseSelfShadow();
    desc.degreeSizeRatio = int32_t(sceneDegreeSizeRatio);
    desc.useHDR = effect(useHDR);
    desc.useHDRLighting = effect(useHDR);
    desc.bloomEnable = effect(hdrBloomEnable);
    desc.glareEnable = effect(hdrBloomEnable);
    desc.useToneMapping = effect(useToneMapping);
    desc.toneMappingEnable = effect(toneMappingEnable);
    desc.useDOF = effect(useDOF);
    desc.dofEnable = effect(dofEnable);
    desc.sceneScale = sceneScaleOf(sceneDegreeSizeRatio, current.sceneScale);
    desc.useSoftFocus = int32_t(useSoftFocus);
    desc.softFocusEnable = int32_t(softFocusEnable);
    desc.sceneOption = int32_t(sceneOption);
    desc.fogEnable = useFog ? int32_t(fogEnable) : 0;
    desc.pointLightNum = int32_t(pointLightNum);
    desc.sceneOption2 = int32_t(sceneOption2);
    desc.sceneFactor = sceneFactor;
    return desc;
}

void CAppSystemState::setAntiAliasType(uint32_t type)
{
    if (type <= MaxAntiAliasType) antiAliasType = type;
}

void CAppSystemState::setPointLightNum(uint32_t count)
{
    pointLightNum = std::min(count, MaxPointLightNum);
}

void CAppSystemState::setShadowQuality(uint32_t quality)
{
    shadowQuality = std::min(quality, MaxShadowQuality);
}

int CAppSystemState::deviceAntiAliasType(uint32_t type)
{
    if (type < AntiAliasTypes.size()) return AntiAliasTypes[type];
    return int(std::min(type, MaxAntiAliasType));
}

int CAppSystemState::shadowMapSize(uint32_t quality)
{
    return ShadowMapSizes[std::min(quality, MaxShadowQuality)];
}

} // namespace Orvane
