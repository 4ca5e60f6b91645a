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

// Engine objects held by the root table are not written by the engine: the game's closures write
// what makes each again and its record, and on restore make it and read the record back. The new
// object takes the old one's place everywhere it was held.
const char* const EngineObjectsScript = R"(
local file = SQFile("state");
if (file.open("objects.sav", 0, 0) == 0) {
    local made = [];
    local create = function() : (file, made) {
        local name = file.readString(0);
        made.append(name);
        return SQSprite(name);
    };
    local result = DeserializeRootTable("state", create, function(o) { o.deserialize("state"); }, null);
    ClearReferenceTable();
    made.sort();
    print("restore " + result + " made " + made[0] + "," + made[1] + " shared " + (::pair[0] == ::box && ::pair[1] == ::calm));
    print(" shaking " + ::box.isShaking() + "," + ::calm.isShaking() + " timer " + ::box.getShakeTimer());
} else {
    ::box <- SQSprite("box");
    ::box.createColor(32, 32, 1.0, 0.0, 0.0);
    local swing = Vector3D();
    swing.x = 4.0;
    swing.y = 4.0;
    ::box.shake(swing, Vector3D(), 50, 0, 1000, 0, 0);
    ::calm <- SQSprite("calm");
    ::calm.createColor(16, 16, 0.0, 1.0, 0.0);
    ::pair <- [::box, ::calm];
    ::names <- {};
    ::names[::box] <- "box";
    ::names[::calm] <- "calm";
    Suspend();
    Suspend();
    file.open("objects.sav", 1, 0);
    CreateReferenceTable(null, null);
    local saved = SerializeRootTable("state", function(o) : (file) { file.writeString(::names[o], 1); },
                                     function(o) { o.serialize("state"); }, null);
    ClearReferenceTable();
    print("save " + saved + " timer " + ::box.getShakeTimer());
    file.open("objects.sav", 0, 0);
    SQDes("des").reset();
    Suspend();
}
while (true) Suspend();
)";

TEST_F(ScriptStateInApp, EngineObjectsAreMadeAgainByTheGamesClosuresWithTheirRecords)
{
    start(EngineObjectsScript);
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(frame(100), 0) << Orvane::CSquirrel::getErrorText();
    const std::string saved = printed;
    ASSERT_EQ(saved.rfind("save 0 timer ", 0), 0u) << saved << Orvane::CSquirrel::getErrorText();
    // Saved while the shake was running.
    ASSERT_NE(saved, "save 0 timer 0") << saved;
    printed.clear();
    ASSERT_EQ(frame(100), 0) << Orvane::CSquirrel::getErrorText();
    // The shake goes on from where it was saved, however much later the restore comes.
    EXPECT_EQ(printed, "restore 0 made box,calm shared true shaking 1,0 timer " + saved.substr(13));
}

} // namespace
