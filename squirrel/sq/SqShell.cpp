#include "SqShell.h"

#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include <cstdarg>
#include <cstdio>

namespace {

void printToStdout(HSQUIRRELVM, const SQChar *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stdout, fmt, args);
    va_end(args);
}

void registerLibraries(HSQUIRRELVM v) {
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sqstd_register_iolib(v);
    sqstd_register_systemlib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);
}

void setArgs(HSQUIRRELVM v, const std::vector<std::string> &args) {
    sq_pushroottable(v);
    sq_pushstring(v, "ARGS", -1);
    sq_newarray(v, 0);
    for (const std::string &a : args) {
        sq_pushstring(v, a.c_str(), static_cast<SQInteger>(a.size()));
        sq_arrayappend(v, -2);
    }
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
}

// The reference shell reports a failed script with its string error after the handlers' output.
void printLastError(HSQUIRRELVM v) {
    const SQChar *err = nullptr;
    sq_getlasterror(v);
    if (SQ_SUCCEEDED(sq_getstring(v, -1, &err))) std::printf("Error [%s]\n", err);
    sq_pop(v, 1);
}

}  // namespace

bool SqShell::parse(const std::vector<std::string> &args, Options &opt) {
    size_t i = 0;
    for (; i < args.size() && !args[i].empty() && args[i][0] == '-'; i++) {
        const std::string &a = args[i];
        if (a == "-c") {
            opt.compileOnly = true;
        } else if (a == "-d") {
            opt.debugInfo = true;
        } else if (a == "-v") {
            opt.version = true;
        } else if (a == "-o") {
            if (++i >= args.size()) return false;
            opt.output = args[i];
        } else {
            return false;
        }
    }
    if (i < args.size()) opt.file = args[i++];
    for (; i < args.size(); i++) opt.scriptArgs.push_back(args[i]);
    return opt.version || !opt.file.empty();
}

void SqShell::printVersion() {
    std::printf("%s %s (%d bits)\n", SQUIRREL_VERSION, SQUIRREL_COPYRIGHT, static_cast<int>(sizeof(SQInteger) * 8));
}

void SqShell::printUsage() {
    std::fprintf(stderr,
                 "usage: sq [options] [script [args]]\n"
                 "  -c      compile only\n"
                 "  -o OUT  output file of -c (default out.cnut)\n"
                 "  -d      generate debug info\n"
                 "  -v      print the version\n");
}

int SqShell::run(const std::vector<std::string> &args) {
    Options opt;
    if (!parse(args, opt)) {
        printUsage();
        return 1;
    }
    if (opt.version) {
        printVersion();
        if (opt.file.empty()) return 0;
    }
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, printToStdout);
    sq_enabledebuginfo(v, opt.debugInfo ? SQTrue : SQFalse);
    registerLibraries(v);
    sqstd_seterrorhandlers(v);
    int exitCode = 0;
    if (opt.compileOnly) {
        if (SQ_FAILED(sqstd_loadfile(v, opt.file.c_str(), SQTrue)) ||
            SQ_FAILED(sqstd_writeclosuretofile(v, opt.output.c_str()))) {
            printLastError(v);
            exitCode = 1;
        }
    } else {
        setArgs(v, opt.scriptArgs);
        sq_pushroottable(v);
        if (SQ_FAILED(sqstd_dofile(v, opt.file.c_str(), SQFalse, SQTrue))) {
            printLastError(v);
            exitCode = 1;
        }
    }
    std::fflush(stdout);
    sq_close(v);
    return exitCode;
}
