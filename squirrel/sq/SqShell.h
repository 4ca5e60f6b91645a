// The `sq` command line: `sq FILE [args]` runs a source (.nut) or bytecode (.cnut) script with the
// standard libraries and the reference's error printers; `sq -c [-o OUT] FILE` compiles only.
#pragma once

#include <string>
#include <vector>

class SqShell {
public:
    // Returns the process exit code.
    int run(const std::vector<std::string> &args);

private:
    struct Options {
        bool compileOnly = false;
        bool debugInfo = false;
        bool version = false;
        std::string output = "out.cnut";
        std::string file;
        std::vector<std::string> scriptArgs;
    };
    static bool parse(const std::vector<std::string> &args, Options &opt);
    static void printUsage();
    static void printVersion();
};
