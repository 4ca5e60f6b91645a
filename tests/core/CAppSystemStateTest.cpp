#include "core/CAppSystemState.h"
#include "core/CApp.h"
#include "core/CFile.h"

#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <kavro/CSceneStateDesc.h>
#include <kavro/IRenderDevice.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::TempDirectory;

namespace
{

using Bytes = std::vector<uint8_t>;

// The quality fields in record order, as presets set them.
struct Quality
{
    uint32_t frameRate, antiAliasType, ratio, softFocus, hdr, toneMapping, dof, sceneOption;
    float sceneFactor;
    uint32_t shadow, selfShadow, shadowQuality, pointLights, option2, option3;
};

Quality qualityOf(const CAppSystemState& s)
{
    return {s.frameRate,      s.antiAliasType, s.sceneDegreeSizeRatio, s.useSoftFocus, s.useHDR,
            s.useToneMapping, s.useDOF,        s.sceneOption,          s.sceneFactor,  s.useShadow,
            s.useSelfShadow,  s.shadowQuality, s.pointLightNum,        s.sceneOption2, s.sceneOption3};
}

bool operator==(const Quality& a, const Quality& b)
{
    return a.frameRate == b.frameRate && a.antiAliasType == b.antiAliasType && a.ratio == b.ratio &&
           a.softFocus == b.softFocus && a.hdr == b.hdr && a.toneMapping == b.toneMapping && a.dof == b.dof &&
           a.sceneOption == b.sceneOption && a.sceneFactor == b.sceneFactor && a.shadow == b.shadow &&
           a.selfShadow == b.selfShadow && a.shadowQuality == b.shadowQuality &&
           a.pointLights == b.pointLights && a.option2 == b.option2 && a.option3 == b.option3;
}

const Quality Preset2 = {60, 2, 2, 1, 0, 0, 1, 1, 4.0f, 1, 1, 2, 4, 1, 1};

// A record whose every field differs from the constructor's and from every preset's.
void fillDistinct(CAppSystemState& s)
{
    s.screenWidth = 1920;
    s.screenHeight = 1080;
    s.fullScreen = 1;
    s.fixedAspect = 0;
    s.frameRate = 30;
    s.antiAliasType = 16;
    s.sceneDegreeSizeRatio = 4;
    s.useSoftFocus = 0;
    s.useHDR = 1;
    s.useToneMapping = 1;
    s.useDOF = 0;
    s.sceneOption = 5;
    s.sceneFactor = 0.5f;
    s.useShadow = 0;
    s.useSelfShadow = 0;
    s.shadowQuality = 3;
    s.pointLightNum = 12;
    s.sceneOption2 = 6;
    s.sceneOption3 = 7;
}

class SystemStateFile : public ::testing::Test
{
protected:
    Bytes written(CAppSystemState& state)
    {
        CFile file;
        EXPECT_EQ(file.open(path.c_str(), 0, 1, 0), 0);
        EXPECT_EQ(state.write(file), 0);
        EXPECT_EQ(file.close(), 0);
        return temp.read("system.dat");
    }
    int readBack(const Bytes& bytes, CAppSystemState& state)
    {
        temp.write("system.dat", bytes);
        CFile file(path.c_str());
        return state.read(file);
    }
    static void putWord(Bytes& bytes, size_t offset, uint32_t value)
    {
        for (size_t k = 0; k < 4; ++k)
            bytes[offset + k] = uint8_t(value >> (8 * k));
    }

    TempDirectory temp;
    std::string path = temp.file("system.dat");
};

TEST_F(SystemStateFile, ConstructedValuesAndRoundTrip)
{
    CAppSystemState state(1280, 720);
    EXPECT_EQ(state.userSettingExists, 0u);
    EXPECT_EQ(state.fixedAspect, 1u);
    EXPECT_TRUE(qualityOf(state) == (Quality{60, 4, 2, 1, 1, 1, 1, 1, 0.02f, 1, 1, 1, 2, 1, 1}));

    fillDistinct(state);
    const Bytes bytes = written(state);
    ASSERT_EQ(bytes.size(), CAppSystemState::RecordSize);

    CAppSystemState back(640, 480);
    EXPECT_EQ(readBack(bytes, back), 0);
    EXPECT_EQ(back.userSettingExists, 1u);
    EXPECT_EQ(back.screenWidth, 1920u);
    EXPECT_EQ(back.screenHeight, 1080u);
    EXPECT_EQ(back.fullScreen, 1u);
    EXPECT_EQ(back.fixedAspect, 0u);
    EXPECT_TRUE(qualityOf(back) == qualityOf(state));
}

// A file that ends after the shadow quality: what was read before stays for the screen, while every
// quality field takes preset 2, also those read successfully.
TEST_F(SystemStateFile, FileCutAfterShadowQualityGivesPreset2)
{
    CAppSystemState state(1280, 720);
    fillDistinct(state);
    Bytes bytes = written(state);
    bytes.resize(79);

    CAppSystemState back(640, 480);
    EXPECT_EQ(readBack(bytes, back), -1);
    EXPECT_EQ(back.userSettingExists, 0u);
    EXPECT_EQ(back.screenWidth, 1920u);
    EXPECT_EQ(back.screenHeight, 1080u);
    EXPECT_EQ(back.fullScreen, 1u);
    EXPECT_EQ(back.fixedAspect, 0u);
    EXPECT_TRUE(qualityOf(back) == Preset2);
}

TEST_F(SystemStateFile, ForeignRecordsAreRefused)
{
    CAppSystemState source(1280, 720);
    fillDistinct(source);
    const Bytes good = written(source);
    struct Case
    {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    for (uint32_t version : {0u, 256u, 258u, 0x01010000u})
    {
        Bytes bytes = good;
        putWord(bytes, 7, version);
        cases.push_back({"version", bytes});
    }
    Bytes magic = good;
    magic[5] = 'X';
    cases.push_back({"magic", magic});
    Bytes longerMagic = good;
    longerMagic[6] = 'X';
    cases.push_back({"magic without its NUL", longerMagic});
    cases.push_back({"empty", {}});
    cases.push_back({"magic only", Bytes(good.begin(), good.begin() + 7)});
    cases.push_back({"cut in the version", Bytes(good.begin(), good.begin() + 9)});
    cases.push_back({"cut in the last field", Bytes(good.begin(), good.end() - 1)});

    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        CAppSystemState state(640, 480);
        state.useHDR = 1;
        state.pointLightNum = 9;
        EXPECT_EQ(readBack(c.bytes, state), -1);
        EXPECT_EQ(state.userSettingExists, 0u);
        EXPECT_TRUE(qualityOf(state) == Preset2);
    }
}

TEST_F(SystemStateFile, MissingFileGivesPreset2)
{
    CAppSystemState state(640, 480);
    CFile file(temp.file("absent.dat").c_str());
    EXPECT_EQ(state.read(file), -1);
    EXPECT_TRUE(qualityOf(state) == Preset2);
    EXPECT_EQ(state.screenWidth, 640u);
}

TEST_F(SystemStateFile, ShadowQualityFromAFileIsClamped)
{
    CAppSystemState source(1280, 720);
    Bytes bytes = written(source);
    putWord(bytes, 75, 0xFFFFFFFFu);
    CAppSystemState state(1280, 720);
    EXPECT_EQ(readBack(bytes, state), 0);
    EXPECT_EQ(state.shadowQuality, 4u);
}

TEST_F(SystemStateFile, AFailedWriteIsReported)
{
    CAppSystemState state(1280, 720);
    CFile unopened;
    EXPECT_EQ(state.write(unopened), -1);
}

TEST(SystemStatePresets, EachPresetSetsItsQualityAndKeepsTheScreen)
{
    const Quality expected[4] = {
        {60, 8, 1, 1, 1, 1, 1, 1, 4.0f, 1, 1, 3, 16, 1, 1},
        {60, 4, 2, 1, 1, 1, 1, 1, 4.0f, 1, 1, 3, 8, 1, 1},
        Preset2,
        {60, 2, 0, 0, 0, 0, 0, 1, 4.0f, 0, 0, 1, 2, 1, 1},
    };
    for (int level = 0; level < 4; ++level)
    {
        SCOPED_TRACE(level);
        CAppSystemState state(1280, 720);
        fillDistinct(state);
        EXPECT_EQ(state.applyPreset(level), 0);
        EXPECT_TRUE(qualityOf(state) == expected[level]);
        EXPECT_EQ(state.screenWidth, 1920u);
        EXPECT_EQ(state.screenHeight, 1080u);
        EXPECT_EQ(state.fullScreen, 1u);
        EXPECT_EQ(state.fixedAspect, 0u);
    }
    for (int level : {4, -1, 100})
    {
        CAppSystemState state(1280, 720);
        fillDistinct(state);
        const Quality before = qualityOf(state);
        EXPECT_EQ(state.applyPreset(level), 0);
        EXPECT_TRUE(qualityOf(state) == before);
    }
}

TEST(SystemStateSetters, RangesAndTables)
{
    CAppSystemState state(1280, 720);
    state.setAntiAliasType(16);
    EXPECT_EQ(state.antiAliasType, 16u);
    state.setAntiAliasType(17);
    state.setAntiAliasType(uint32_t(-1));
    EXPECT_EQ(state.antiAliasType, 16u);
    state.setPointLightNum(40);
    EXPECT_EQ(state.pointLightNum, 16u);
    state.setPointLightNum(uint32_t(-1));
    EXPECT_EQ(state.pointLightNum, 16u);
    state.setPointLightNum(3);
    EXPECT_EQ(state.pointLightNum, 3u);
    state.setShadowQuality(9);
    EXPECT_EQ(state.shadowQuality, 4u);

    state.useShadow = 0;
    state.useSelfShadow = 1;
    EXPECT_EQ(state.getUseSelfShadow(), 0u);
    state.useShadow = 1;
    EXPECT_EQ(state.getUseSelfShadow(), 1u);

    for (uint32_t type = 0; type <= 16; ++type)
        EXPECT_EQ(CAppSystemState::deviceAntiAliasType(type), int(type));
    EXPECT_EQ(CAppSystemState::deviceAntiAliasType(17), 16);
    EXPECT_EQ(CAppSystemState::deviceAntiAliasType(0xFFFFFFFFu), 16);

    const int sizes[] = {256, 512, 1024, 2048, 257, 257, 257};
    for (uint32_t quality = 0; quality < 7; ++quality)
        EXPECT_EQ(CAppSystemState::shadowMapSize(quality), sizes[quality]);
    EXPECT_EQ(CAppSystemState::shadowMapSize(0xFFFFFFFFu), 257);
}

// The scene state with every effect flag and enable switch on, so that it shows what the ratio does.
Kavro::CSceneStateDesc allEffectsOn(uint32_t ratio, const Kavro::CSceneStateDesc& current)
{
    CAppSystemState state(1280, 720);
    state.applyPreset(0);
    state.sceneDegreeSizeRatio = ratio;
    state.softFocusEnable = 1;
    state.hdrBloomEnable = 1;
    state.toneMappingEnable = 1;
    state.dofEnable = 1;
    state.fogEnable = 1;
    return state.buildSceneState(current);
}

TEST(SystemStateScene, RatioZeroTurnsTheSceneEffectsOff)
{
    Kavro::CSceneStateDesc current;
    current.sceneScale = 0.3f;
    const Kavro::CSceneStateDesc off = allEffectsOn(0, current);
    EXPECT_EQ(off.shadowMode, 0);
    EXPECT_EQ(off.useHDR, 0);
    EXPECT_EQ(off.useHDRLighting, 0);
    EXPECT_EQ(off.bloomEnable, 0);
    EXPECT_EQ(off.glareEnable, 0);
    EXPECT_EQ(off.useToneMapping, 0);
    EXPECT_EQ(off.toneMappingEnable, 0);
    EXPECT_EQ(off.useDOF, 0);
    EXPECT_EQ(off.dofEnable, 0);
    EXPECT_EQ(off.sceneScale, 0.0f);
    EXPECT_EQ(off.degreeSizeRatio, 0);
    // Not among the effects the ratio switches off.
    EXPECT_EQ(off.useSoftFocus, 1);
    EXPECT_EQ(off.softFocusEnable, 1);
    EXPECT_EQ(off.fogEnable, 1);
    EXPECT_EQ(off.selfShadow, 1);

    const Kavro::CSceneStateDesc on = allEffectsOn(1, current);
    EXPECT_EQ(on.enabled, 1);
    EXPECT_EQ(on.shadowMode, 2);
    EXPECT_EQ(on.shadowMapSize, 2048);
    EXPECT_EQ(on.shadowMapLarge, 1);
    EXPECT_EQ(on.useHDR + on.useHDRLighting + on.bloomEnable + on.glareEnable, 4);
    EXPECT_EQ(on.useToneMapping + on.toneMappingEnable + on.useDOF + on.dofEnable, 4);
    EXPECT_EQ(on.pointLightNum, 16);
    EXPECT_EQ(on.sceneOption, 1);
    EXPECT_EQ(on.sceneOption2, 1);
    EXPECT_EQ(on.sceneFactor, 4.0f);
}

TEST(SystemStateScene, FogIsOnlyOnWhileTheFogSwitchIs)
{
    CAppSystemState state(1280, 720);
    EXPECT_EQ(state.useFog, 1u);
    state.fogEnable = 1;
    state.useFog = 0;
    EXPECT_EQ(state.buildSceneState({}).fogEnable, 0);
    // Every preset turns the switch back on; it is never saved.
    for (int level = 0; level < 4; ++level)
    {
        state.useFog = 0;
        state.applyPreset(level);
        EXPECT_EQ(state.useFog, 1u) << "preset " << level;
    }
    EXPECT_EQ(state.buildSceneState({}).fogEnable, 1);
}

TEST(SystemStateScene, RatioSelectsTheScaleAndQualityTheShadowMap)
{
    Kavro::CSceneStateDesc current;
    current.sceneScale = 0.3f;
    const struct
    {
        uint32_t ratio;
        float scale;
    } scales[] = {{0, 0.0f}, {1, 1.0f}, {2, 0.75f}, {4, 0.5f}, {3, 0.3f}, {8, 0.3f}};
    for (const auto& c : scales)
        EXPECT_EQ(allEffectsOn(c.ratio, current).sceneScale, c.scale) << c.ratio;

    CAppSystemState state(1280, 720);
    state.shadowQuality = 1000; // as a foreign file or a direct write could leave it
    const Kavro::CSceneStateDesc desc = state.buildSceneState(current);
    EXPECT_EQ(desc.shadowMapSize, 257);
    EXPECT_EQ(desc.shadowMapLarge, 0);
    state.shadowQuality = 0;
    EXPECT_EQ(state.buildSceneState(current).shadowMapLarge, 0);
    state.useSelfShadow = 0;
    EXPECT_EQ(state.buildSceneState(current).selfShadow, 0);
}

// An application over the fake core with a render device and its scene manager.
class SystemStateApply : public ::testing::Test
{
protected:
    SystemStateApply() : core(new OrvaneTest::FakeCore), app(new CApp("apply"))
    {
        app->setCore(core);
        app->renderDevice = core->getRenderDevice();
        app->sceneManager = app->renderDevice->getSceneManager();
        app->sceneManager->addRef();
        CApp::set(app);
    }
    ~SystemStateApply() override
    {
        CApp::set(nullptr);
        app->release();
        core->release();
    }
    std::vector<std::string> calls() const { return core->log.calls(); }

    OrvaneTest::FakeCore* core;
    CApp* app;
    CAppSystemState state{1280, 720};
};

TEST_F(SystemStateApply, HandsTheRecordToCoreAndScene)
{
    state.applyPreset(1);
    state.fullScreen = 1;
    state.applyRequested = 1;
    state.apply();
    EXPECT_EQ(state.applyRequested, 0u);
    const std::vector<std::string> expected = {
        "setFrameRate(60)",          "changeDisplayMode(1280, 720, 1, 1)",
        "changeAntiAliasType(4)",    "scene.getSceneStateDesc()",
        "setFrameRate(60)",          "scene.getSceneStateDesc()",
        "scene.setSceneStateDesc()", "scene.commitSceneStateDesc()",
    };
    EXPECT_EQ(calls(), expected);
    EXPECT_TRUE(core->render->recordingScene()->state == state.buildSceneState(Kavro::CSceneStateDesc{}));

    // The scene already holds these settings: nothing more is handed on.
    core->log.clear();
    state.apply();
    EXPECT_EQ(calls().size(), 4u);
    EXPECT_TRUE(core->log.named("scene.setSceneStateDesc").empty());
}

TEST_F(SystemStateApply, AModeTheDeviceCannotKeepResetsIt)
{
    state.apply();
    core->log.clear();
    core->changeResult = 0;
    state.apply();
    const std::vector<std::string> expected = {
        "setFrameRate(60)",
        "changeDisplayMode(1280, 720, 0, 1)",
        "changeAntiAliasType(4)",
        "scene.getSceneStateDesc()",
        "setFrameRate(60)",
        "applyDisplayMode()",
        "scene.getSceneStateDesc()",
        "scene.setSceneStateDesc()",
        "scene.commitSceneStateDesc()",
    };
    EXPECT_EQ(calls(), expected);

    core->applyResult = -1;
    EXPECT_EQ(state.updateSceneState(true), -1);
    core->applyResult = 0;
    core->render->recordingScene()->commitResult = -3;
    EXPECT_EQ(state.updateSceneState(true), -3);
}

TEST_F(SystemStateApply, ForeignAntiAliasTypeNeverPassesTheTable)
{
    state.antiAliasType = 1000;
    state.apply();
    EXPECT_EQ(core->log.named("changeAntiAliasType"), std::vector<std::string>{"changeAntiAliasType(16)"});
}

TEST_F(SystemStateApply, NothingWithoutASceneManager)
{
    app->sceneManager->release();
    app->sceneManager = nullptr;
    state.applyRequested = 1;
    state.apply();
    EXPECT_EQ(state.applyRequested, 1u);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(state.updateSceneState(false), -1);
}

} // namespace
