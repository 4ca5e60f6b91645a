// Interpreter speed on a few loop-heavy scripts (run by hand; prints milliseconds per script).
#include <squirrel.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

struct Script {
    const char *name;
    const char *source;
};

const Script kScripts[] = {
    {"integer loop", "local s = 0\nfor (local i = 0; i < 5000000; i++) s += i % 7\nreturn s"},
    {"recursive calls", "function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2) }\nreturn fib(27)"},
    {"table inserts", "local t = {}\nfor (local i = 0; i < 300000; i++) t[i] <- i\nreturn t.len()"},
    {"string building", "local a = []\nfor (local i = 0; i < 200000; i++) a.append(i.tostring())\nreturn a.len()"},
    {"method calls",
     "class P { x = 0; function add(n) { x += n; return this } }\nlocal p = P()\n"
     "for (local i = 0; i < 1000000; i++) p.add(1)\nreturn p.x"},
    {"arithmetic",
     "local s = 0, f = 0.5\nfor (local i = 0; i < 2000000; i++) { s += i * 3 % 7 - (i >> 2); f = f * 1.0001 + 0.1 }\n"
     "return s"},
    {"array access",
     "local a = array(1000, 0)\nfor (local i = 0; i < 2000000; i++) { local k = i % 1000; a[k] = a[k] + 1 }\n"
     "return a[5]"},
    {"generators",
     "function gen(n) { for (local i = 0; i < n; i++) yield i }\nlocal s = 0\n"
     "foreach (v in gen(500000)) s += v\nreturn s"},
};

}  // namespace

int main() {
    for (const Script &s : kScripts) {
        HSQUIRRELVM v = sq_open(1024);
        if (SQ_FAILED(sq_compilebuffer(v, s.source, static_cast<SQInteger>(std::strlen(s.source)), s.name, SQFalse))) {
            std::printf("%-16s compile error\n", s.name);
            sq_close(v);
            continue;
        }
        sq_pushroottable(v);
        auto start = std::chrono::steady_clock::now();
        SQRESULT r = sq_call(v, 1, SQTrue, SQFalse);
        auto end = std::chrono::steady_clock::now();
        SQInteger result = 0;
        if (SQ_SUCCEEDED(r)) sq_getinteger(v, -1, &result);
        std::printf("%-16s %8.1f ms  result %d%s\n", s.name,
                    std::chrono::duration<double, std::milli>(end - start).count(), result,
                    SQ_SUCCEEDED(r) ? "" : " (failed)");
        sq_close(v);
    }
    return 0;
}
