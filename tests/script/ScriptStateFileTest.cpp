#include "ScriptHostFixture.h"

#include "core/CFile.h"
#include "support/FakeTaskObjects.h"
#include "script/ReferenceTable.h"
#include "script/ScriptStateFile.h"

#include "sqinternal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace OrvaneTest
{
namespace
{

using Orvane::CFile;
using Orvane::ScriptStateFile;
using Orvane::SquirrelObject;
using Bytes = std::vector<uint8_t>;

const char* const StateName = "state.sav";

// About `count` positions in [first, end) to damage: every byte near both ends, where the headers and
// the closing records are, and a fixed random spread in between, so that a sweep stays quick under the
// sanitizer and still reaches every part of the file.
std::vector<size_t> samplePositions(size_t first, size_t end, size_t count)
{
    const size_t edge = count / 4;
    std::vector<size_t> positions;
    for (size_t at = first; at < end; at++)
        if (at - first < edge || end - at <= edge)
            positions.push_back(at);
    if (end - first > 2 * edge)
    {
        std::mt19937 random(end - first);
        std::uniform_int_distribution<size_t> middle(first + edge, end - edge - 1);
        while (positions.size() < count)
            positions.push_back(middle(random));
    }
    return positions;
}

// Script side of a save: a graph with a cycle, a shared string, closures with outer values and
// default parameters, a class with a base, instances, a weak reference and a delegate.
const char* const Classes = R"(
class Base { name = "base"; function hello() { return "hello " + name; } }
class Point extends Base {
    x = 0; y = 0; id = 0;
    function sum() { return x + y; }
}
made <- 0;
function create() { made++; return Point(); }
function priority(inst) { return inst.id; }
function noop(inst) {}
)";

const char* const Graph = R"(
shared <- "a string held twice";
a <- { s = shared };
b <- { s = shared, peer = a };
a.peer <- b;
a.self <- a;
local k = 10;
make <- function(n, step = 3) : (k) {
    local base = n;
    return function(v = 5) : (base, step, k) { return base + v + step + k; };
}
adder <- make(100);
adder2 <- adder;
p1 <- Point(); p1.x = 1; p1.y = 2; p1.id = 1;
p2 <- Point(); p2.x = 3; p2.y = 4; p2.id = 2; p2.name = "second";
pts <- [p1, p2, p1];
weak <- a.weakref();
delegated <- delegate { extra = 42 } : { own = 1 };
values <- [7, 2.5, true, null, "x", shared, -3];
)";

const char* const Checker = R"(
failures <- [];
function check(ok, what) { if (!ok) failures.append(what); }
check(a.peer.peer == a, "cycle");
check(a.self == a, "self");
check(b.peer == a, "peer");
check(a.s == "a string held twice" && b.s == a.s, "shared string");
check(adder(1) == 100 + 1 + 3 + 10, "outer values");
check(adder() == 100 + 5 + 3 + 10, "default parameter");
check(adder2 == adder, "shared closure");
check(pts[0] == p1 && pts[2] == p1 && pts[1] == p2, "shared instances");
check(p1.sum() == 3 && p2.sum() == 7, "methods");
check(p2.hello() == "hello second" && p1.hello() == "hello base", "base method and field");
check(p1 instanceof Base, "class with base");
check(weak == a, "weak reference");
check(delegated.extra == 42, "delegate");
check(values[0] == 7 && values[1] == 2.5 && values[2] == true && values[3] == null && values[4] == "x" &&
      values[5] == shared && values[6] == -3, "plain values");
check(p1 != p2 && p2 instanceof Point, "distinct instances");
local text = failures.len() == 0 ? "ok" : "failed:";
foreach (what in failures) text += " " + what;
print(text);
)";

class ScriptStateFileTest : public ScriptHostFixture
{
protected:
    HSQOBJECT global(const char* name)
    {
        return Orvane::CSquirrel::getRootTable().GetValue(name).GetObjectHandle();
    }

    int save()
    {
        CFile file;
        if (file.open(StateName, 0, 1, 0) != 0)
            return -100;
        SquirrelObject noop = Orvane::CSquirrel::getRootTable().GetValue("noop");
        int result = ScriptStateFile(host->getVM(), host->getReferenceTable(), file)
                         .save(noop.GetObjectHandle(), noop.GetObjectHandle());
        return file.close() == 0 ? result : -101;
    }

    int restore()
    {
        CFile file(StateName);
        SquirrelObject root = Orvane::CSquirrel::getRootTable();
        SquirrelObject create = root.GetValue("create"), noop = root.GetValue("noop");
        return ScriptStateFile(host->getVM(), host->getReferenceTable(), file)
            .restore(create.GetObjectHandle(), noop.GetObjectHandle(), SquirrelObject().GetObjectHandle());
    }

    Bytes saveGraph(const std::string& graph)
    {
        startHost();
        EXPECT_EQ(runSnippet(Classes), "") << Orvane::CSquirrel::getErrorText();
        EXPECT_EQ(runSnippet(graph), "") << Orvane::CSquirrel::getErrorText();
        EXPECT_EQ(runSnippet("CreateReferenceTable(priority, null)"), "");
        EXPECT_EQ(save(), 0);
        EXPECT_EQ(runSnippet("ClearReferenceTable()"), "");
        return dir.read(StateName);
    }

    // A fresh machine with the classes defined, as after a soft reset.
    void freshMachine()
    {
        host->reset();
        ASSERT_EQ(runSnippet(Classes), "");
    }

    std::string check()
    {
        output.clear();
        EXPECT_EQ(runSnippet(Checker), "") << Orvane::CSquirrel::getErrorText();
        return output;
    }
};

struct Golden
{
    Bytes bytes;
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            bytes.push_back(uint8_t(v >> (8 * i)));
    }
    void tag(const char* name) { bytes.insert(bytes.end(), name, name + 5); }
    // Tag and end field, the end patched by close().
    size_t open(const char* name)
    {
        tag(name);
        u32(0);
        return bytes.size() - 4;
    }
    void close(size_t at)
    {
        uint32_t end = uint32_t(bytes.size());
        std::memcpy(&bytes[at], &end, 4);
    }
};

TEST_F(ScriptStateFileTest, EmptyTableWritesTheTwentyEightByteFile)
{
    startHost();
    ASSERT_EQ(save(), 0);
    Golden g;
    g.tag("ROOT");
    g.u32(0);
    g.u32(0);
    g.tag("INSC");
    g.tag("REFT");
    g.tag("INSR");
    EXPECT_EQ(dir.read(StateName), g.bytes);
    EXPECT_EQ(g.bytes.size(), 28u);
}

TEST_F(ScriptStateFileTest, TableWithOneStringGoldenBytes)
{
    startHost();
    ASSERT_EQ(runSnippet("held <- { [1] = \"hi\" }"), "");
    host->getReferenceTable().build(host->getVM(), global("held"), SquirrelObject().GetObjectHandle(),
                                    SquirrelObject().GetObjectHandle());
    ASSERT_EQ(save(), 0);

    Golden g;
    g.tag("ROOT");
    g.u32(2);
    g.u32(0);
    g.tag("INSC");
    g.u32(0x08000010);
    size_t at = g.open("STRI");
    g.u32(2);
    g.bytes.push_back('h');
    g.bytes.push_back('i');
    g.close(at);
    g.u32(0x0A000020);
    at = g.open("TABI");
    g.u32(0);
    g.close(at);
    g.tag("REFT");
    g.u32(0x08000010);
    g.u32(0x0A000020);
    at = g.open("TABL");
    g.u32(1);
    for (uint32_t word : {0u, 0x05000002u, 1u, 1u, 0x08000010u, 0u, 0u, 0x01000001u})
        g.u32(word);
    g.close(at);
    g.tag("INSR");
    EXPECT_EQ(dir.read(StateName), g.bytes);
}

TEST_F(ScriptStateFileTest, GraphSurvivesSaveResetRestore)
{
    saveGraph(Graph);
    freshMachine();
    ASSERT_EQ(restore(), 0);
    EXPECT_EQ(check(), "ok");
}

TEST_F(ScriptStateFileTest, ReferenceTableOrderAndExclusions)
{
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(Graph), "");
    ASSERT_EQ(runSnippet("hidden <- { only = [1, 2] }\nCreateReferenceTable(priority, [hidden])"), "");
    Orvane::ReferenceTable& table = host->getReferenceTable();
    ASSERT_GT(table.size(), 3u);
    // Strings, then prototypes, instances by priority, the root table last.
    int phase = 0;
    int lastId = -1;
    for (uint32_t i = 0; i < table.size(); i++)
    {
        SQObjectType type = sq_type(table.entry(i).value);
        int p = type == OT_STRING ? 0 : type == OT_FUNCPROTO ? 1 : type == OT_INSTANCE ? 2 : 3;
        EXPECT_GE(p, phase) << i;
        phase = std::max(phase, p);
        if (type == OT_INSTANCE)
        {
            SquirrelObject inst(table.entry(i).value);
            int id = inst.GetValue("id").ToInteger();
            EXPECT_GT(id, lastId);
            lastId = id;
        }
    }
    EXPECT_TRUE(sqRawEqual(table.entry(table.size() - 1).value, Orvane::CSquirrel::getRootTable().GetObjectHandle()));
    SquirrelObject hidden = Orvane::CSquirrel::getRootTable().GetValue("hidden");
    EXPECT_EQ(table.indexOf(hidden.GetObjectHandle()), -1);
    EXPECT_EQ(table.indexOf(hidden.GetValue("only").GetObjectHandle()), -1);
    EXPECT_GE(table.indexOf(global("a")), 0);
    ASSERT_EQ(runSnippet("ClearReferenceTable()"), "");
    EXPECT_EQ(table.size(), 0u);
}

// Finds the code bytes of every FUNC record: both copies of the instructions.
std::vector<std::pair<size_t, size_t>> codeCopies(const Bytes& file)
{
    std::vector<std::pair<size_t, size_t>> found;
    const char tag[5] = {'F', 'U', 'N', 'C', 0};
    auto skipValue = [&](size_t at) {
        int32_t kind;
        std::memcpy(&kind, &file[at], 4);
        if (kind < 0)
            return at + 4;
        uint32_t type;
        std::memcpy(&type, &file[at + 4], 4);
        bool word = kind != 0 || type == 0x05000002 || type == 0x05000004 || type == 0x01000008;
        return at + (word ? 12 : 8);
    };
    for (auto it = file.begin(); (it = std::search(it, file.end(), tag, tag + 5)) != file.end(); ++it)
    {
        size_t at = size_t(it - file.begin()) + 9;
        at = skipValue(skipValue(at));
        uint32_t length;
        std::memcpy(&length, &file[at], 4);
        size_t first = at + 4;
        auto second = std::search(file.begin() + first + length, file.end(), file.begin() + first,
                                  file.begin() + first + length);
        if (length && second != file.end())
            found.emplace_back(first, size_t(second - file.begin()));
    }
    return found;
}

TEST_F(ScriptStateFileTest, EditedPrototypeCodeIsRefused)
{
    Bytes saved = saveGraph(Graph + std::string("function answer() { return 41; }\n"));
    auto copies = codeCopies(saved);
    ASSERT_FALSE(copies.empty());
    for (auto [first, second] : copies)
    {
        Bytes edited = saved;
        // The same edit in both copies: the names stay, the instructions differ.
        edited[first + 0] ^= 1;
        edited[second + 0] ^= 1;
        dir.write(StateName, edited);
        freshMachine();
        EXPECT_LT(restore(), 0);
    }
}

TEST_F(ScriptStateFileTest, TruncatedFilesFailCleanly)
{
    Bytes saved = saveGraph(Graph);
    for (size_t length : samplePositions(0, saved.size(), 256))
    {
        dir.write(StateName, Bytes(saved.begin(), saved.begin() + long(length)));
        EXPECT_LT(restore(), 0) << length;
    }
}

// What a single flipped byte must give, by where it lands.
enum class FlipOutcome
{
    Refused,  // a record's tag, a prototype's code or its digest: the restore fails
    Restored, // a string's characters: nothing checks them, the restore succeeds
    Either,   // anything else: the restore fails or succeeds, and nothing breaks
};

// Marks the bytes of a saved file whose damage has a fixed outcome.
std::vector<FlipOutcome> flipOutcomes(const Bytes& file)
{
    std::vector<FlipOutcome> outcomes(file.size(), FlipOutcome::Either);
    static const char* const Tags[] = {"ROOT", "INSC", "REFT", "INSR", "STRI", "TABI", "CLOI", "NTCI", "CLSI",
                                       "FNCI", "INSI", "WEKI", "THRI", "TABL", "ARRY", "CLOS", "INST", "FUNC",
                                       "THRD", "INRE"};
    for (const char* tag : Tags)
    {
        for (auto it = file.begin(); (it = std::search(it, file.end(), tag, tag + 5)) != file.end(); ++it)
        {
            const size_t at = size_t(it - file.begin());
            std::fill_n(outcomes.begin() + long(at), 5, FlipOutcome::Refused);
            if (std::string_view(tag) != "STRI")
                continue;
            uint32_t length;
            std::memcpy(&length, &file[at + 9], 4);
            std::fill_n(outcomes.begin() + long(at + 13), length, FlipOutcome::Restored);
        }
    }
    for (auto [first, second] : codeCopies(file))
    {
        uint32_t length;
        std::memcpy(&length, &file[first - 4], 4);
        std::fill_n(outcomes.begin() + long(first), length + 32, FlipOutcome::Refused);
        std::fill_n(outcomes.begin() + long(second), length, FlipOutcome::Refused);
    }
    return outcomes;
}

TEST_F(ScriptStateFileTest, SingleByteFlipsGiveWhatTheirPlaceDecides)
{
    Bytes saved = saveGraph(Graph);
    std::vector<FlipOutcome> outcomes = flipOutcomes(saved);
    // Sampled positions, and the first byte of places with a fixed outcome spread over the file.
    std::vector<size_t> positions = samplePositions(0, saved.size(), 128);
    for (FlipOutcome kind : {FlipOutcome::Refused, FlipOutcome::Restored})
    {
        std::vector<size_t> starts;
        for (size_t at = 0; at < saved.size(); at++)
            if (outcomes[at] == kind && (at == 0 || outcomes[at - 1] != kind))
                starts.push_back(at);
        ASSERT_FALSE(starts.empty());
        const size_t step = std::max<size_t>(1, starts.size() / 24);
        for (size_t i = 0; i < starts.size(); i += step)
            positions.push_back(starts[i]);
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (size_t at : positions)
    {
        const uint8_t flip = at % 2 ? 0x01 : 0x80;
        Bytes damaged = saved;
        damaged[at] ^= flip;
        dir.write(StateName, damaged);
        // Each restore starts from a fresh machine: what a damaged file left behind (the creating
        // closure replaced by an emptied one, say) must not decide the next one.
        freshMachine();
        const int result = restore();
        switch (outcomes[at])
        {
        case FlipOutcome::Refused: EXPECT_LT(result, 0) << "refused at " << at; break;
        case FlipOutcome::Restored: EXPECT_EQ(result, 0) << "restored at " << at; break;
        case FlipOutcome::Either: EXPECT_LE(result, 0) << at; break;
        }
    }
    // The machine is still sound: an intact file restores the same graph.
    freshMachine();
    dir.write(StateName, saved);
    ASSERT_EQ(restore(), 0);
    EXPECT_EQ(check(), "ok");
}

TEST_F(ScriptStateFileTest, LostInstanceFailsUnlessTheErrorClosureDecides)
{
    saveGraph(Graph);
    const char* readers = "function failing(inst) { throw \"lost\"; }\n"
                          "function onError(inst) { return inst.id == 1 ? -5 : -3; }\n";
    for (const char* errorClosure : {"", "onError"})
    {
        freshMachine();
        ASSERT_EQ(runSnippet(readers), "");
        SquirrelObject root = Orvane::CSquirrel::getRootTable();
        SquirrelObject create = root.GetValue("create"), failing = root.GetValue("failing");
        SquirrelObject onError = *errorClosure ? root.GetValue(errorClosure) : SquirrelObject();
        CFile file(StateName);
        EXPECT_EQ(ScriptStateFile(host->getVM(), host->getReferenceTable(), file)
                      .restore(create.GetObjectHandle(), failing.GetObjectHandle(), onError.GetObjectHandle()),
                  *errorClosure ? -5 : -1);
    }
}

} // namespace
} // namespace OrvaneTest

namespace OrvaneTest
{
namespace
{

// The whole round through the script globals and a file object: instance closures write and read
// their own data in the middle of the state file.
TEST_F(ScriptStateFileTest, ScriptSavesAndRestoresThroughAFileObject)
{
    const char* closures = R"(
function writeInfo(inst) { F.writeInteger(inst.id); }
function writeState(inst) { F.writeInteger(inst.x * 10); }
function createFromFile() { local p = Point(); p.id = F.readInteger(); return p; }
function readState(inst) { inst.x = F.readInteger(); }
)";
    // File objects belong to the task on top of the application's stack.
    CallLog log;
    TestTask* task = new TestTask(log, "SCENE");
    app->taskStack.push_back(task);
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(closures), "");
    ASSERT_EQ(runSnippet(Graph), "");
    output.clear();
    ASSERT_EQ(runSnippet("::F <- SQFile(\"state\"); F.open(\"game.sav\", 1, 0)\n"
                         "CreateReferenceTable(priority, [F])\n"
                         "print(SerializeRootTable(\"state\", writeInfo, writeState, null))\n"
                         "ClearReferenceTable()\n"
                         "F.open(\"game.sav\", 0, 0)\n"
                         "print(\" \" + SerializeRootTable(\"nothing\", writeInfo, writeState, null))"),
              "");
    EXPECT_EQ(output, "0 -1");

    host->reset();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(closures), "");
    output.clear();
    ASSERT_EQ(runSnippet("::F <- SQFile(\"state\"); F.open(\"game.sav\", 0, 0)\n"
                         "print(DeserializeRootTable(\"state\", createFromFile, readState, null))\n"
                         "print(\" \" + DeserializeRootTable(\"nothing\", createFromFile, readState, null))\n"
                         "print(\" \" + p1.x + \" \" + p2.x + \" \" + F.getFilePosition() + \" \" + F.getFileSize())\n"),
              "");
    EXPECT_EQ(output, "0 -2 10 30 " + std::to_string(dir.read("game.sav").size()) + " " +
                          std::to_string(dir.read("game.sav").size()));
    output.clear();
    ASSERT_EQ(runSnippet("p1.x = 1; p2.x = 3\n" + std::string(Checker)), "");
    EXPECT_EQ(output, "ok");
    host.reset();
    app->taskStack.clear();
    task->release();
}

// A script may run the collector at any time a closure of its own runs: between building the index and
// writing it, inside the closures that write or restore instances. What the index or the reader holds
// must survive it whole.
TEST_F(ScriptStateFileTest, CollectingGarbageMidwayLosesNothing)
{
    const char* closures = R"(
class Held { id = 0; x = 0; }
function writeInfo(inst) { collectgarbage(); F.writeInteger(inst.id); }
function writeState(inst) { F.writeInteger(inst.x); }
function createFromFile() { collectgarbage(); local h = Held(); h.id = F.readInteger(); return h; }
function readState(inst) { collectgarbage(); inst.x = F.readInteger(); }
)";
    const struct
    {
        const char* name;
        const char* betweenIndexAndWrite;
        const char* expected;
    } cases[] = {
        // The instance dropped after indexing is still written (the index holds it), so it comes back.
        {"an instance dropped and collected after indexing", "::keep <- null; collectgarbage();", "null 7 5 2"},
        {"collections inside the closures only", "", "7 7 5 2"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CallLog log;
        TestTask* task = new TestTask(log, "SCENE");
        app->taskStack.push_back(task);
        startHost();
        ASSERT_EQ(runSnippet(closures), "");
        ASSERT_EQ(runSnippet("::a <- { y = 2, cycle = null }\n::a.cycle = ::a; ::keep <- Held(); keep.id = 1; keep.x = 7;"
                             "::other <- Held(); other.id = 2; other.x = 5; ::viaA <- [keep];"
                             "::F <- SQFile(\"state\"); F.open(\"game.sav\", 1, 0);"
                             "CreateReferenceTable(null, [F]);" +
                             std::string(c.betweenIndexAndWrite) +
                             "print(SerializeRootTable(\"state\", writeInfo, writeState, null)); ClearReferenceTable();"),
                  "");
        EXPECT_EQ(output, "0");
        host->reset();
        ASSERT_EQ(runSnippet(closures), "");
        output.clear();
        ASSERT_EQ(runSnippet("::F <- SQFile(\"state\"); F.open(\"game.sav\", 0, 0);"
                             "local r = DeserializeRootTable(\"state\", createFromFile, readState, null);"
                             "collectgarbage();"
                             "print((::keep == null ? \"null\" : ::keep.x) + \" \" + ::viaA[0].x + \" \" + ::other.x +"
                             "      \" \" + ::a.cycle.y)"),
                  "");
        EXPECT_EQ(output, c.expected);
        output.clear();
        host.reset();
        app->taskStack.clear();
        task->release();
    }
}

} // namespace
} // namespace OrvaneTest

namespace OrvaneTest
{
namespace
{

// Scenes kept in coroutines. Each is suspended after some wakeups, saved, the machine reset, the
// file restored and the thread woken to the end: the continuation must be the unsaved run's.
struct SceneCase
{
    const char* name;
    const char* source; // defines sceneMain
    int wakeupsBeforeSave;
};

const SceneCase Scenes[] = {
    {"loop with locals", R"(
function sceneMain(title) {
    local total = 0;
    local seen = [];                       // only the thread holds it
    local weak = seen.weakref();
    local tag = function(x) { return "<" + x + ">"; };
    for (local i = 0; i < 4; i++) {
        local reply = suspend(i);
        total += reply == null ? 0 : reply;
        seen.append("n" + i);
        print(title + tag(i) + ":" + total + " ");
    }
    print(seen.len() + " " + seen[3] + " " + (weak.ref() == seen) + " end");
}
)", 2},
    {"nested call with variable arguments", R"(
function say(who, ...) {
    local text = vargv[0] + vargc;
    local heard = suspend(who);
    print(who + ":" + text + "/" + heard + " ");
    return text.len();
}
function sceneMain(title) {
    local sum = 0;
    foreach (i, t in ["a", "bb", "ccc"]) {
        sum += say(title + i, t, 1, 2);
        print(sum + " ");
    }
    print("end");
}
)", 2},
    {"inside try in the suspended frame", R"(
function sceneMain(title) {
    local step = 0;
    try {
        step = 1;
        suspend(1);
        step = 2;
        print("after resume ");
        throw "boom";
    } catch (e) {
        print("caught " + e + " at " + step + " ");
    }
    suspend(2);
    print(title + " done");
}
)", 0},
    {"inside try around a nested call", R"(
function risky(n) {
    try { suspend(n); } catch (inner) { print("wrong catch "); }
    suspend(n + 1);
    throw "deep " + n;
}
function sceneMain(title) {
    try {
        print("a ");
        risky(10);
    } catch (e) {
        print("caught " + e + " ");
    }
    suspend(3);
    print(title + " end");
}
)", 0},
};

const char* const Driver = R"(
scene <- newthread(sceneMain);
scene.call("S");
)";
const char* const Wake = "scene.wakeup(100)\n";
const char* const Finish = "while (scene.getstatus() == \"suspended\") scene.wakeup(7);\nprint(\"|\" + scene.getstatus())\n";

class SuspendedScene : public ScriptStateFileTest, public ::testing::WithParamInterface<SceneCase>
{
protected:
    void suspendScene(const SceneCase& scene)
    {
        ASSERT_EQ(runSnippet(Classes), "");
        ASSERT_EQ(runSnippet(scene.source), "") << Orvane::CSquirrel::getErrorText();
        ASSERT_EQ(runSnippet(Driver), "");
        for (int i = 0; i < scene.wakeupsBeforeSave; i++)
            ASSERT_EQ(runSnippet(Wake), "");
        ASSERT_EQ(eval("scene.getstatus()"), "suspended");
    }
};

TEST_P(SuspendedScene, ContinuesAfterSaveResetRestoreAsAnUnsavedRun)
{
    const SceneCase& scene = GetParam();
    startHost();
    suspendScene(scene);
    output.clear();
    ASSERT_EQ(runSnippet(Finish), "");
    const std::string expected = output;
    ASSERT_NE(expected.find("|idle"), std::string::npos);

    host->reset();
    suspendScene(scene);
    ASSERT_EQ(runSnippet("CreateReferenceTable(priority, null)"), "");
    ASSERT_EQ(save(), 0);
    ASSERT_EQ(runSnippet("ClearReferenceTable()"), "");
    freshMachine();
    ASSERT_EQ(restore(), 0);
    ASSERT_EQ(runSnippet("ClearReferenceTable()"), "");
    EXPECT_EQ(eval("scene.getstatus()"), "suspended");
    output.clear();
    ASSERT_EQ(runSnippet(Finish), "") << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(output, expected);
}

INSTANTIATE_TEST_SUITE_P(Threads, SuspendedScene, ::testing::ValuesIn(Scenes),
                         [](const ::testing::TestParamInfo<SceneCase>& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// Damage anywhere in a thread record restores nothing runnable that could reach outside the
// thread: what restores is woken (with a bounded budget) and must run or fail as script code.
TEST_F(ScriptStateFileTest, ThreadRecordFlipsNeverCrash)
{
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(std::string(Scenes[3].source) + Driver + "CreateReferenceTable(priority, null)"), "");
    ASSERT_EQ(save(), 0);
    const Bytes saved = dir.read(StateName);
    const char tag[5] = {'T', 'H', 'R', 'D', 0};
    auto at = std::search(saved.begin(), saved.end(), tag, tag + 5);
    ASSERT_NE(at, saved.end());
    const size_t first = size_t(at - saved.begin());
    uint32_t end = 0;
    std::memcpy(&end, &saved[first + 5], 4);
    ASSERT_LE(end, saved.size());
    int restored = 0;
    for (size_t i : samplePositions(first, end, 96))
    {
        Bytes damaged = saved;
        damaged[i] ^= i % 2 ? 0x01 : 0x80;
        dir.write(StateName, damaged);
        ASSERT_EQ(runSnippet("scene <- null"), "");
        int result = restore();
        EXPECT_LE(result, 0) << i;
        SquirrelObject scene = Orvane::CSquirrel::getRootTable().GetValue("scene");
        if (result != 0 || sq_type(scene.GetObjectHandle()) != OT_THREAD)
            continue;
        restored++;
        HSQUIRRELVM thread = scene.GetObjectHandle()._unVal.pThread;
        thread->_budget = 10000;
        for (int wake = 0; wake < 8 && sq_getvmstate(thread) == SQ_VMSTATE_SUSPENDED; wake++)
            sq_wakeupvm(thread, SQFalse, SQFalse, SQFalse, SQFalse);
    }
    // Most bytes are values whose damage still reads: those threads were woken above.
    EXPECT_GT(restored, 0);
}

// An idle thread, one never started and two threads sharing an object the root lacks.
TEST_F(ScriptStateFileTest, IdleThreadsAndOneObjectOnTwoStacks)
{
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(R"(
function keep(list) { local mine = list; suspend(0); mine.append(mine.len()); suspend(1); return mine.len(); }
fresh <- newthread(keep);
done <- newthread(function() { return 1; });
done.call();
one <- newthread(keep);
two <- newthread(keep);
local list = [];
one.call(list);
two.call(list);
)"),
              "");
    ASSERT_EQ(runSnippet("CreateReferenceTable(priority, null)"), "");
    ASSERT_EQ(save(), 0);
    freshMachine();
    ASSERT_EQ(restore(), 0);
    output.clear();
    // The shared list was written once per thread record: each thread has its own copy now.
    ASSERT_EQ(runSnippet("one.wakeup(); two.wakeup(); local n = two.wakeup();\n"
                         "print(fresh.getstatus() + \" \" + done.getstatus() + \" \" + one.getstatus() + \" \" +\n"
                         "      two.getstatus() + \" \" + n + \" \" + fresh.call([5, 6]) + \" \" + fresh.getstatus())"),
              "")
        << Orvane::CSquirrel::getErrorText();
    EXPECT_EQ(output, "idle idle suspended idle 1 0 suspended");
}

// A thread saved from inside its own run holds the saving native call: it cannot be brought back.
TEST_F(ScriptStateFileTest, ARunningThreadFailsTheSave)
{
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet("saved <- null\n"
                         "runner <- newthread(function() { ::saved = ::saveNow(); })"),
              "");
    // saveNow is a native that writes the state file while the thread is running.
    static std::function<int()> saveFromNative;
    saveFromNative = [this] { return save(); };
    HSQUIRRELVM vm = host->getVM();
    sq_pushroottable(vm);
    sq_pushstring(vm, "saveNow", -1);
    sq_newclosure(
        vm,
        [](HSQUIRRELVM v) -> SQInteger {
            sq_pushinteger(v, saveFromNative());
            return 1;
        },
        0);
    sq_createslot(vm, -3);
    sq_pop(vm, 1);
    ASSERT_EQ(runSnippet("CreateReferenceTable(null, null)\nrunner.call()"), "");
    EXPECT_EQ(eval("saved"), "-1");
}

// A record whose frames claim an exception trap that the record does not carry fails the
// restore; the thread is never left runnable.
TEST_F(ScriptStateFileTest, TrapCountsWithoutTheirTrapsFailTheRestore)
{
    startHost();
    ASSERT_EQ(runSnippet(Classes), "");
    ASSERT_EQ(runSnippet(Scenes[2].source), "");
    ASSERT_EQ(runSnippet(std::string(Driver) + "CreateReferenceTable(priority, null)"), "");
    ASSERT_EQ(save(), 0);
    Bytes bytes = dir.read(StateName);
    const char tag[5] = {'T', 'H', 'R', 'D', 0};
    auto at = std::search(bytes.begin(), bytes.end(), tag, tag + 5);
    ASSERT_NE(at, bytes.end());
    size_t field = size_t(at - bytes.begin()) + 5;
    uint32_t end = 0;
    std::memcpy(&end, &bytes[field], 4);
    // The trap list closes the record: a count of one and one trap of four words.
    ASSERT_GE(end, 20u);
    uint32_t trapCount = 0;
    std::memcpy(&trapCount, &bytes[end - 20], 4);
    ASSERT_EQ(trapCount, 1u);
    std::memset(&bytes[end - 20], 0, 4);
    dir.write(StateName, bytes);

    freshMachine();
    EXPECT_EQ(restore(), -2);
    EXPECT_EQ(eval("scene.getstatus()"), "idle");
}

} // namespace
} // namespace OrvaneTest

