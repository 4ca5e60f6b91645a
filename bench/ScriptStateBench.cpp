// Saving and restoring a script state of 100k values (strings, tables and closures), and one of 200
// coroutines suspended 30 calls deep: milliseconds and MB/s for each direction, and restore time
// relative to save (run by hand).
#include "core/CFile.h"
#include "script/ReferenceTable.h"
#include "script/ScriptStateFile.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{

const char* const Build = R"(
data <- [];
for (local i = 0; i < 100000; i++) {
    switch (i % 3) {
    case 0: data.append("value " + i); break;
    case 1: data.append({ n = i, half = i / 2.0 }); break;
    default: data.append(function(x) : (i) { return x + i; });
    }
}
)";

// Scenes as a game keeps them: each coroutine holds locals that only its stack reaches.
const char* const Threads = R"(
function line(depth, said) {
    local mine = [depth, "line " + depth];
    if (depth == 0) {
        try { suspend(said.len()); } catch (e) {}
        return said.len();
    }
    said.append(mine);
    return line(depth - 1, said) + 1;
}
function scene(n) { local said = []; return line(30, said); }
scenes <- [];
for (local i = 0; i < 200; i++) {
    local t = newthread(scene);
    t.call(i);
    scenes.append(t);
}
)";

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool run(HSQUIRRELVM vm, const char* source)
{
    if (SQ_FAILED(sq_compilebuffer(vm, source, SQInteger(std::strlen(source)), "bench", SQFalse)))
        return false;
    sq_pushroottable(vm);
    bool ok = SQ_SUCCEEDED(sq_call(vm, 1, SQFalse, SQFalse));
    sq_pop(vm, 1);
    return ok;
}

bool measure(const char* name, const char* script)
{
    std::string path = "/tmp/orvane-state-bench-" + std::to_string(getpid()) + ".sav";
    HSQOBJECT none, root;
    sq_resetobject(&none);

    HSQUIRRELVM vm = sq_open(1024);
    if (!run(vm, script))
        return std::printf("%s: script failed\n", name), false;
    sq_pushroottable(vm);
    sq_getstackobj(vm, -1, &root);
    sq_pop(vm, 1);

    Orvane::ReferenceTable table;
    auto start = std::chrono::steady_clock::now();
    table.build(vm, root, none, none);
    double indexMs = msSince(start);
    int saved = -1;
    start = std::chrono::steady_clock::now();
    {
        Orvane::CFile file;
        if (file.open(path.c_str(), 0, 1, 0) == 0)
        {
            saved = Orvane::ScriptStateFile(vm, table, file).save(none, none);
            file.close();
        }
    }
    double saveMs = msSince(start);
    uint32_t entries = table.size();
    table.clear();
    sq_close(vm);
    double megabytes = double(std::filesystem::file_size(path)) / (1024.0 * 1024.0);

    vm = sq_open(1024);
    start = std::chrono::steady_clock::now();
    int restored = -1;
    {
        Orvane::CFile file(path.c_str());
        restored = Orvane::ScriptStateFile(vm, table, file).restore(none, none, none);
    }
    double restoreMs = msSince(start);
    table.clear();
    sq_close(vm);
    std::filesystem::remove(path);

    std::printf("%s: entries %u, file %.2f MB (save %d, restore %d)\n", name, entries, megabytes, saved, restored);
    std::printf("index   %8.1f ms\n", indexMs);
    std::printf("save    %8.1f ms  %7.1f MB/s\n", saveMs, megabytes / (saveMs / 1000.0));
    std::printf("restore %8.1f ms  %7.1f MB/s\n", restoreMs, megabytes / (restoreMs / 1000.0));
    std::printf("restore/save time ratio %.2f\n", restoreMs / saveMs);
    return saved == 0 && restored == 0;
}

} // namespace

int main()
{
    bool values = measure("values", Build);
    bool threads = measure("threads", Threads);
    return values && threads ? 0 : 1;
}
