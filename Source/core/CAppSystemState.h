#pragma once

#include "core/CSerializeObject.h"

#include <cstdint>

namespace Kavro
{
struct CSceneStateDesc;
}

namespace Orvane
{

// The user's display and rendering settings: the first record of "system.dat". Scripts and the
// launcher change the fields; apply hands them to the library's core and scene.
class CAppSystemState : public CSerializeObject
{
public:
    static constexpr uint32_t Version = 257;
    // Bytes of the record in the file.
    static constexpr uint32_t RecordSize = 91;
    static constexpr uint32_t MaxAntiAliasType = 16;
    static constexpr uint32_t MaxPointLightNum = 16;
    static constexpr uint32_t MaxShadowQuality = 4;

    CAppSystemState(uint32_t width, uint32_t height);

    // 0, or -1 when a write failed (the rest of the record is not written).
    int write(CFile& file) override;
    // 0 when the whole record was read (user setting exists := 1). -1 for a short file, another
    // magic or another version: the quality fields take preset 2, while the screen size, full
    // screen and fixed aspect keep whatever was read.
    int read(CFile& file) override;

    // Levels 0 (highest quality) to 3; any other level changes nothing. Always 0.
    int applyPreset(int level);
    // Hands the record to the library when the application has a scene manager.
    void apply();
    // The scene half of apply: -1 when the display mode cannot be applied, else the scene's
    // commit result.
    int updateSceneState(bool deviceReset);
    // The scene state these settings make of the scene's current one.
    Kavro::CSceneStateDesc buildSceneState(const Kavro::CSceneStateDesc& current) const;

    // Setters that check their range: an anti-alias type above 16 is ignored, a point-light
    // number above 16 stores 16, a shadow quality above 4 stores 4.
    void setAntiAliasType(uint32_t type);
    void setPointLightNum(uint32_t count);
    void setShadowQuality(uint32_t quality);
    // 1 only when shadows are on as well.
    uint32_t getUseSelfShadow() const { return useShadow && useSelfShadow ? 1 : 0; }

    // The anti-alias type the library is given: 0..16 as they stand, anything larger as 16.
    static int deviceAntiAliasType(uint32_t type);
    // 256, 512, 1024, 2048, 257 for the qualities 0..4; larger qualities count as 4.
    static int shadowMapSize(uint32_t quality);

    uint32_t userSettingExists = 0;
    uint32_t resetRequested = 0;
    uint32_t applyRequested = 0;
    // The core's clock when the application initialised; not saved.
    uint32_t startTime = 0;
    uint32_t screenWidth;
    uint32_t screenHeight;
    uint32_t fullScreen = 0;
    uint32_t fixedAspect = 1;
    uint32_t frameRate = 60;
    uint32_t antiAliasType = 4;
    // 0 turns the scene effects off; 1, 2 and 4 select the scene scale 1.0, 0.75 and 0.5.
    uint32_t sceneDegreeSizeRatio = 2;
    uint32_t useSoftFocus = 1;
    uint32_t useHDR = 1;
    uint32_t useToneMapping = 1;
    uint32_t useDOF = 1;
    uint32_t sceneOption = 1;
    float sceneFactor = 0.02f;
    uint32_t useShadow = 1;
    uint32_t useSelfShadow = 1;
    uint32_t shadowQuality = 1;
    uint32_t pointLightNum = 2;
    uint32_t sceneOption2 = 1;
    uint32_t sceneOption3 = 1;
    // Fog has no user setting of its own; kept beside the other switches so that the scene script class
    // treats it like them. Not saved.
    uint32_t useFog = 1;
    // Switched by the scene script class; not saved.
    uint32_t softFocusEnable = 0;
    uint32_t hdrBloomEnable = 0;
    uint32_t toneMappingEnable = 0;
    uint32_t dofEnable = 0;
    uint32_t fogEnable = 0;

private:
    bool readFields(CFile& file);
};

} // namespace Orvane
