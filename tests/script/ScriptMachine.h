#pragma once

#include <squirrel.h>

#include <string>

namespace OrvaneTest
{

// A bare script machine that is the binding framework's current one, with captured print output
// and the text of the last uncaught error. Closed (release hooks run) when destroyed.
class ScriptMachine
{
public:
    ScriptMachine();
    ~ScriptMachine();
    ScriptMachine(const ScriptMachine&) = delete;
    ScriptMachine& operator=(const ScriptMachine&) = delete;

    // Compiles and runs source with the root table as this: "" on success, else the error text.
    std::string run(const std::string& source);
    // Closes the machine now (the destructor then does nothing).
    void close();

    HSQUIRRELVM vm = nullptr;
    std::string output;
};

} // namespace OrvaneTest
