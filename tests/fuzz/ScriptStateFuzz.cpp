// libFuzzer target for the script state reader: any file restores or fails without touching
// memory it does not own, restored threads run as script code, and the machine closes cleanly.
// Seeds: ORVANE_STATE_SEED_DIR=corpus/ makes the target write a saved graph there at start-up.
#include "core/CFile.h"
#include "script/ReferenceTable.h"
#include "script/ScriptStateFile.h"

#include <sqstdaux.h>

#include "sqinternal.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

const char* const Setup = R"(
class Base { name = "base"; function hello() { return "hello " + name; } }
class Point extends Base { x = 0; y = 0; id = 0; function sum() { return x + y; } }
function create() { return Point(); }
function priority(inst) { return inst.id; }
function noop(inst) {}
)";

const char* const Graph = R"(
shared <- "a string held twice";
a <- { s = shared };
b <- { s = shared, peer = a };
a.peer <- b;
local k = 10;
make <- function(n, step = 3) : (k) {
    local base = n;
    return function(v = 5) : (base, step, k) { return base + v + step + k; };
}
adder <- make(100);
p1 <- Point(); p1.x = 1; p1.id = 1;
p2 <- Point(); p2.y = 4; p2.id = 2;
pts <- [p1, p2, p1, 2.5, true, null];
weak <- a.weakref();
delegated <- delegate { extra = 42 } : { own = 1 };
function say(who, ...) {
    local heard = { w = who, n = vargc };
    try { suspend(vargc); } catch (e) { heard.e <- e; }
    suspend(heard.n);
    throw "up " + who;
}
function scene(title) {
    local kept = [title, 1.5, "runtime " + title];
    try { say(title, "x", 2); } catch (e) { kept.append(e); }
    foreach (i, v in kept) suspend(i);
}
sceneA <- newthread(scene);
sceneA.call("A");
sceneB <- newthread(scene);
sceneB.call("B");
sceneB.wakeup();
sceneB.wakeup();
idle <- newthread(scene);
)";

std::string scratch()
{
    return "/tmp/orvane-state-fuzz-" + std::to_string(getpid()) + ".sav";
}

void run(HSQUIRRELVM vm, const char* source)
{
    if (SQ_SUCCEEDED(sq_compilebuffer(vm, source, SQInteger(std::char_traits<char>::length(source)), "fuzz", SQFalse)))
    {
        sq_pushroottable(vm);
        sq_call(vm, 1, SQFalse, SQFalse);
        sq_pop(vm, 1);
    }
}

void quiet(HSQUIRRELVM, const SQChar*, ...) {}

// Restored threads run on a bounded budget: they may fail as script code, never as memory.
void wakeThreads(HSQUIRRELVM vm)
{
    std::vector<SQObjectPtr> threads;
    SQTable* root = vm->_roottable._unVal.pTable;
    for (SQInteger i = 0; i < root->_numofnodes; i++)
        if (sq_type(root->_nodes[i].val) == OT_THREAD)
            threads.push_back(root->_nodes[i].val);
    for (const SQObjectPtr& value : threads)
    {
        SQVM* thread = value._unVal.pThread;
        thread->_budget = 20000;
        for (int wake = 0; wake < 6 && sq_getvmstate(thread) == SQ_VMSTATE_SUSPENDED; wake++)
            sq_wakeupvm(thread, SQFalse, SQFalse, SQFalse, SQFalse);
    }
}

HSQOBJECT global(HSQUIRRELVM vm, const char* name)
{
    HSQOBJECT value;
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    sq_get(vm, -2);
    sq_getstackobj(vm, -1, &value);
    sq_addref(vm, &value);
    sq_pop(vm, 2);
    return value;
}

void writeSeed(const char* directory)
{
    HSQUIRRELVM vm = sq_open(1024);
    run(vm, Setup);
    run(vm, Graph);
    Orvane::ReferenceTable table;
    HSQOBJECT root, priority = global(vm, "priority"), noop = global(vm, "noop"), none;
    sq_resetobject(&none);
    sq_pushroottable(vm);
    sq_getstackobj(vm, -1, &root);
    table.build(vm, root, priority, none);
    sq_pop(vm, 1);
    std::string path = std::string(directory) + "/graph.sav";
    {
        Orvane::CFile file;
        if (file.open(path.c_str(), 0, 1, 0) == 0)
        {
            Orvane::ScriptStateFile(vm, table, file).save(noop, noop);
            file.close();
        }
    }
    table.clear();
    sq_release(vm, &priority);
    sq_release(vm, &noop);
    sq_close(vm);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* directory = std::getenv("ORVANE_STATE_SEED_DIR"))
        writeSeed(directory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string path = scratch();
    if (FILE* out = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    HSQUIRRELVM vm = sq_open(1024);
    sq_setprintfunc(vm, quiet);
    run(vm, Setup);
    HSQOBJECT create = global(vm, "create"), noop = global(vm, "noop"), none;
    sq_resetobject(&none);
    {
        Orvane::ReferenceTable table;
        Orvane::CFile file(path.c_str());
        int result = Orvane::ScriptStateFile(vm, table, file).restore(create, noop, none);
        if (result > 0)
            std::abort();
        table.clear();
        if (result == 0)
            wakeThreads(vm);
    }
    sq_release(vm, &create);
    sq_release(vm, &noop);
    sq_collectgarbage(vm);
    sq_close(vm);
    return 0;
}
