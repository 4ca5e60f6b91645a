#include "CHaldenExConfigSerializer.h"

#include "core/CAppSystemState.h"
#include "core/CFile.h"

#include "support/TempDirectory.h"

#include "value/SafeFileFaults.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::TempDirectory;

namespace
{

using Bytes = std::vector<uint8_t>;

uint32_t wordAt(const Bytes& bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t k = 0; k < 4; ++k)
        value |= uint32_t(bytes[offset + k]) << (8 * k);
    return value;
}

// "system.dat": the settings record and then the game's record, through one engine file.
class SystemDat : public ::testing::Test
{
protected:
    SystemDat()
    {
        uint32_t next = 101;
        for (uint32_t* field : fields())
            *field = next++;
        state.sceneFactor = 0.25f;
        game.value = -2;
    }
    std::vector<uint32_t*> fields()
    {
        return {&state.screenWidth,
                &state.screenHeight,
                &state.fullScreen,
                &state.fixedAspect,
                &state.frameRate,
                &state.antiAliasType,
                &state.sceneDegreeSizeRatio,
                &state.useSoftFocus,
                &state.useHDR,
                &state.useToneMapping,
                &state.useDOF,
                &state.sceneOption,
                &state.useShadow,
                &state.useSelfShadow,
                &state.pointLightNum,
                &state.sceneOption2,
                &state.sceneOption3};
    }
    // The result of closing, which is when the file is replaced.
    int save()
    {
        CFile file;
        if (file.open(path.c_str(), 0, 1, 0) != 0) return -100;
        if (state.write(file) >= 0) game.write(file);
        return file.close();
    }

    TempDirectory temp;
    std::string path = temp.file("system.dat");
    CAppSystemState state{1280, 720};
    CHaldenExConfigSerializer game;
};

TEST_F(SystemDat, EveryFieldAtItsOffsetAndBack)
{
    state.shadowQuality = 3;
    ASSERT_EQ(save(), 0);
    const Bytes bytes = temp.read("system.dat");
    ASSERT_EQ(bytes.size(), CAppSystemState::RecordSize + CHaldenExConfigSerializer::RecordSize);
    ASSERT_EQ(bytes.size(), 104u);

    EXPECT_EQ(0, std::memcmp(bytes.data(), "ORVANE\0", 7));
    const struct
    {
        size_t offset;
        uint32_t value;
    } words[] = {
        {7, 257},
        {11, state.screenWidth},
        {15, state.screenHeight},
        {19, state.fullScreen},
        {23, state.fixedAspect},
        {27, state.frameRate},
        {31, state.antiAliasType},
        {35, state.sceneDegreeSizeRatio},
        {39, state.useSoftFocus},
        {43, state.useHDR},
        {47, state.useToneMapping},
        {51, state.useDOF},
        {55, 1},
        {59, state.sceneOption},
        {63, std::bit_cast<uint32_t>(0.25f)},
        {67, state.useShadow},
        {71, state.useSelfShadow},
        {75, 3},
        {79, state.pointLightNum},
        {83, state.sceneOption2},
        {87, state.sceneOption3},
        {100, uint32_t(-2)},
    };
    for (const auto& w : words)
        EXPECT_EQ(wordAt(bytes, w.offset), w.value) << "offset " << w.offset;
    EXPECT_EQ(0, std::memcmp(bytes.data() + 91, "MORVALEX\0", 9));

    CAppSystemState back(640, 480);
    CHaldenExConfigSerializer backGame;
    CFile file(path.c_str());
    EXPECT_EQ(back.read(file), 0);
    EXPECT_EQ(backGame.read(file), 0);
    EXPECT_EQ(back.userSettingExists, 1u);
    EXPECT_EQ(back.shadowQuality, 3u);
    EXPECT_EQ(back.sceneFactor, 0.25f);
    EXPECT_EQ(backGame.value, -2);
    uint32_t next = 101;
    for (uint32_t* field : std::vector<uint32_t*>{
             &back.screenWidth, &back.screenHeight, &back.fullScreen, &back.fixedAspect, &back.frameRate,
             &back.antiAliasType, &back.sceneDegreeSizeRatio, &back.useSoftFocus, &back.useHDR,
             &back.useToneMapping, &back.useDOF, &back.sceneOption, &back.useShadow, &back.useSelfShadow,
             &back.pointLightNum, &back.sceneOption2, &back.sceneOption3})
        EXPECT_EQ(*field, next++);
}

TEST_F(SystemDat, AFailedSaveKeepsThePreviousFile)
{
    ASSERT_EQ(save(), 0);
    const Bytes before = temp.read("system.dat");
    state.screenWidth = 7;
    game.value = 9;

    for (auto step :
         {Kavro::SafeFileFaults::Write, Kavro::SafeFileFaults::Sync, Kavro::SafeFileFaults::Rename})
    {
        SCOPED_TRACE(int(step));
        Kavro::SafeFileFaults::failNext(step, ENOSPC);
        EXPECT_LT(save(), 0);
        EXPECT_EQ(temp.read("system.dat"), before);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}

TEST(GameRecord, ReadKeepsTheValueOnAnythingElse)
{
    TempDirectory temp;
    const std::string path = temp.file("game.dat");
    const Bytes good = {'M', 'O', 'R', 'V', 'A', 'L', 'E', 'X', 0, 0x78, 0x56, 0x34, 0x12};
    struct Case
    {
        const char* what;
        Bytes bytes;
        int32_t value;
    };
    Bytes otherMagic = good;
    otherMagic[0] = 'N';
    Bytes noNul = good;
    noNul[8] = 'Y';
    const Case cases[] = {
        {"whole", good, 0x12345678},
        {"empty", {}, 1},
        {"cut in the magic", Bytes(good.begin(), good.begin() + 5), 1},
        {"cut in the value", Bytes(good.begin(), good.begin() + 11), 1},
        {"another magic", otherMagic, 1},
        {"magic without its NUL", noNul, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        temp.write("game.dat", c.bytes);
        CHaldenExConfigSerializer record;
        CFile file(path.c_str());
        EXPECT_EQ(record.read(file), 0);
        EXPECT_EQ(record.value, c.value);
    }

    CHaldenExConfigSerializer record;
    CFile unopened;
    EXPECT_EQ(record.write(unopened), -1);
}

} // namespace
