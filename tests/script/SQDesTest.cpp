// The developer-support class inside a running application: the soft reset it requests, debug text
// and the measured frame rate.

#include "ScriptedAppFixture.h"

#include "core/CAppSystemState.h"
#include "core/CTask.h"

using namespace OrvaneTest;

namespace
{

using SQDesInApp = ScriptedAppTest;

TEST_F(SQDesInApp, ResetMakesTheApplicationSoftResetAtTheEndOfThatFrame)
{
    start("local des = SQDes(\"des\");\n"
          "print(\"start\" + des.getRunStates());\n"
          "des.reset();\n"
          "print(\" \" + des.getRunStates() + \";\");\n"
          "Suspend();\n"
          "print(\"resumed\");\n");
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "start1 1;");
    // The request was taken at the end of the frame: a new machine waits for the main script.
    EXPECT_EQ(app->systemState->resetRequested, 0u);
    EXPECT_EQ(app->scriptHost->getRunState(), -1);
    EXPECT_EQ(app->getTopTask()->findTaskObject("des"), nullptr);

    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "start1 1;start1 1;"); // started again, never resumed
}

TEST_F(SQDesInApp, DebugTextFrameRateAndTheQuietMethods)
{
    core->detectFps = 30.0f;
    start("local des = SQDes(\"des\");\n"
          "des.drawDebugString(10, 20, 1.0, 0.5, 0.0, \"50% %s done\");\n"
          "print(des.getDetectFps() + \" \" + des.isDroppedFile() + \" \");\n"
          "des.setLatestDroppedFileName(\"x.nut\"); des.setRunFileName(\"run.nut\");\n"
          "des.clearLog(); des.printLogWarning(\"w\"); des.printLogError(\"e\");\n"
          "print((des.getDroppedFileName() == null) + \" \" + (des.getLatestDroppedFileName() == null) + \" \");\n"
          "try { des.drawDebugString(10, 20, 1, 0.5, 0.0, \"x\") } catch (e) { print(e + \" \") }\n"
          "try { des.drawDebugString(10.0, 20, 1.0, 0.5, 0.0, \"x\") } catch (e) { print(e) }\n");
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "30 0 true true Incorrect function argument Incorrect function argument");
    const std::vector<std::string> drawn = core->log.named("drawDebugText");
    ASSERT_EQ(drawn.size(), 1u);
    // Colour bytes 255, 127, 0 with alpha 255, as the device's ARGB word.
    EXPECT_EQ(drawn[0], "drawDebugText(10, 20, " + std::to_string(0xFFFF7F00u) + ", appFont, 50% %s done)");
}

} // namespace
