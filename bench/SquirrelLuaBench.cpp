// Our Squirrel interpreter against Lua 5.4 on kinds of work (bench/squirrel/<name>.nut and .lua,
// equivalent scripts). Each pair runs side by side, best of several runs; prints both times, the
// ratio ours / Lua and the geometric mean (of the first six kinds, the long-standing set, and of
// all). Our scripts run in this process (compile included),
// Lua's through the `lua5.4` program. Times are CPU time (this process, or the finished child),
// which a busy machine disturbs less than wall time. Run from a build without sanitizers:
//   build-rel/bench/bench_squirrel_lua [runs]
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <squirrel.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <time.h>

namespace {

struct Work {
    const char *name;
    const char *what;
};

const Work kWork[] = {
    {"calls", "recursive calls (fib 31)"},
    {"loops", "integer and float loops"},
    {"objects", "class instances, method calls, members"},
    {"tables", "string-key inserts, array read/write"},
    {"strings", "string building and format"},
    {"generators", "generators and threads"},
    // Each step makes and interns a new string: number text, and a copy that grows.
    {"concat", "\"k\" + i for 800,000 integers"},
    {"grow", "s += \"x\" to 40,000 characters"},
};
constexpr int kLongStandingKinds = 6;

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ChildrenCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Seconds for one run of our interpreter on the source; result receives its return value.
double RunOurs(const std::string &name, const std::string &src, std::string &result) {
    double start = ProcessCpuSeconds();
    HSQUIRRELVM v = sq_open(1024);
    sq_pushroottable(v);
    sqstd_register_stringlib(v);
    sqstd_register_mathlib(v);
    sq_pop(v, 1);
    result = "failed";
    if (SQ_SUCCEEDED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), name.c_str(), SQFalse))) {
        sq_pushroottable(v);
        if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse))) {
            sq_tostring(v, -1);
            const SQChar *s = nullptr;
            if (SQ_SUCCEEDED(sq_getstring(v, -1, &s))) result = s;
        }
    }
    sq_close(v);
    return ProcessCpuSeconds() - start;
}

double RunLua(const std::string &path, std::string &result) {
    double start = ChildrenCpuSeconds();
    std::string cmd = "lua5.4 '" + path + "'";
    FILE *p = popen(cmd.c_str(), "r");
    result.clear();
    if (p) {
        char buf[256];
        while (std::fgets(buf, sizeof(buf), p)) result += buf;
        pclose(p);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    return ChildrenCpuSeconds() - start;
}

}  // namespace

int main(int argc, char **argv) {
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::string dir = SQUIRREL_BENCH_DIR;
    std::printf("%-40s %10s %10s %8s  %s\n", "kind of work", "ours ms", "Lua ms", "ours/Lua", "results");
    double logsum = 0, logsumSix = 0;
    int n = 0;
    for (const Work &w : kWork) {
        std::string src = ReadFile(dir + "/" + w.name + ".nut");
        std::string ours, lua;
        double bestOurs = 1e9, bestLua = 1e9;
        for (int r = 0; r < runs; r++) {
            bestOurs = std::min(bestOurs, RunOurs(w.name, src, ours));
            bestLua = std::min(bestLua, RunLua(dir + "/" + w.name + ".lua", lua));
        }
        double ratio = bestOurs / bestLua;
        logsum += std::log(ratio);
        if (++n == kLongStandingKinds) logsumSix = logsum;
        std::printf("%-40s %10.1f %10.1f %8.2f  %s %s %s\n", w.what, bestOurs * 1000, bestLua * 1000, ratio, ours.c_str(),
                    ours == lua ? "==" : "!=", lua.c_str());
    }
    std::printf("%-40s %10s %10s %8.2f\n", "geometric mean, first six kinds", "", "", std::exp(logsumSix / kLongStandingKinds));
    std::printf("%-40s %10s %10s %8.2f\n", "geometric mean, all kinds", "", "", std::exp(logsum / n));
    return 0;
}
