#pragma once

#include "support/TempDirectory.h"

#include <map>
#include <string>
#include <vector>

namespace OrvaneTest
{

// A game folder for the built program: archives packed with the engine's key from in-memory files.
class GameFolder
{
public:
    // name inside the archive -> content
    using Files = std::map<std::string, std::string>;

    void pack(const std::string& archive, const Files& files) const;
    const TempDirectory& directory() const { return dir; }
    std::string path() const { return dir.path().string(); }

private:
    TempDirectory dir;
};

struct ProgramResult
{
    int exitCode = -1000;
    std::string output; // stdout and stderr together
};

// Starts the built program on the folder, headless, with its own runtime folder (so its instance
// lock is its own), and waits for it for at most timeoutSeconds (then it is killed).
ProgramResult runProgram(const std::string& gameFolder, const std::string& runtimeFolder, int timeoutSeconds,
                         const std::vector<std::string>& extraEnvironment = {});

} // namespace OrvaneTest
