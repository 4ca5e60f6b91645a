// A game's scene kept in a coroutine through a save, a soft reset and a restore inside the running
// application: the scene picks up at the line where it stopped, with its locals.
#include "ScriptedAppFixture.h"

#include "core/CApp.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace OrvaneTest;

namespace
{

// First run: the scene plays three lines, one per frame, the game saves and asks for a soft
// reset. Second run: the saved scene is restored and woken once per frame until it ends.
const char* const MainScript = R"(
function sceneMain(who) {
    local said = [];
    local line = 0;
    try {
        while (line < 6) {
            said.append(who + line);
            print("[" + said[said.len() - 1] + ":" + said.len() + "]");
            line++;
            suspend(line);
        }
        throw "curtain";
    } catch (e) {
        print("[" + e + " after " + said.len() + "]");
    }
}

local file = SQFile("state");
if (file.open("scene.sav", 0, 0) == 0) {
    print("restore " + DeserializeRootTable("state", null, null, null) + " ");
    ClearReferenceTable();
} else {
    ::scene <- newthread(sceneMain);
    scene.call("L");
    Suspend();
    scene.wakeup();
    Suspend();
    scene.wakeup();
    file.open("scene.sav", 1, 0);
    CreateReferenceTable(null, null);
    print("save " + SerializeRootTable("state", null, null, null));
    ClearReferenceTable();
    SQDes("des").reset();
    Suspend();
    print("never");
}
while (scene.getstatus() == "suspended") {
    scene.wakeup();
    Suspend();
}
print("|" + scene.getstatus());
)";

class ScriptStateInApp : public ScriptedAppTest
{
};

TEST_F(ScriptStateInApp, SceneThreadContinuesAfterSaveSoftResetAndRestore)
{
    start(MainScript);
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(frame(16), 0) << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(printed, "[L0:1][L1:2][L2:3]save 0");
    // The reset was taken at the end of the third frame: a new machine, the old scene gone.
    EXPECT_EQ(app->scriptHost->getRunState(), -1);

    printed.clear();
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(frame(16), 0) << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(printed, "restore 0 [L3:4][L4:5][L5:6]");
    printed.clear();
    ASSERT_EQ(frame(16), 0) << Orvane::CSquirrel::getErrorText();
    ASSERT_EQ(frame(16), 0) << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(printed, "[curtain after 6]|idle");
    EXPECT_EQ(app->scriptHost->getRunState(), 0);
}

} // namespace
