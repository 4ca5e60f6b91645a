#pragma once

#include "core/CApp.h"
#include "script/CSquirrel.h"
#include "support/FakeCore.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace OrvaneTest
{

// Compiles and runs source on the machine with the root table as this: "" on success, else the
// machine's error text ("compile error" when it does not compile).
std::string RunSnippet(HSQUIRRELVM vm, const std::string& source);

// An application whose library file system serves a scratch directory, and a script host over it
// whose print output is captured.
class ScriptHostFixture : public ::testing::Test
{
public:
    static std::string output;

protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file under the scratch directory (for example "media/script/main.nut").
    void writeFile(const std::string& path, const std::string& text);
    void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
    // Creates the host (after the files its first machine needs are written).
    Orvane::CSquirrel& startHost();
    // Compiles and runs source on the host's machine with the root table as this: "" on success,
    // else the machine's error text.
    std::string runSnippet(const std::string& source);
    // Runs a snippet that prints one expression; the printed text, or "error: ...".
    std::string eval(const std::string& expression);

    TempDirectory dir;
    FakeCore* core = nullptr;
    Orvane::CApp* app = nullptr;
    std::unique_ptr<Orvane::CSquirrel> host;
};

// The host started over a main script that only suspends, with a task "MAIN" on the task stack in which
// scripts make their objects.
class ScriptTaskFixture : public ScriptHostFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The snippet's SQMATH_RET_1 .. 4, comma separated.
    std::string results();

    CallLog log;
    TestTask* task = nullptr;
};

} // namespace OrvaneTest
