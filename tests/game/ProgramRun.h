#pragma once

#include "support/TempDirectory.h"

#include <filesystem>
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

// Starts the built program on the folder with its own runtime folder (so its instance lock is its
// own), and waits for it for at most timeoutSeconds (then it is killed). Headless unless a display
// (an X display name) is given.
ProgramResult runProgram(const std::string& gameFolder, const std::string& runtimeFolder, int timeoutSeconds,
                         const std::vector<std::string>& extraEnvironment = {}, const std::string& display = {});

// Kills every running copy of the built program started on the folder.
void killProgramsOn(const std::string& gameFolder);

// Waits until the file exists; false after timeoutSeconds.
bool waitForFile(const std::filesystem::path& path, int timeoutSeconds);

// An X server of the test's own (Xvfb), for a real window and injected input. Stopped on destruction.
class XvfbDisplay
{
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // False when Xvfb or xdotool is not installed or the server did not come up.
    bool ready() const { return ready_; }
    const std::string& name() const { return name_; }
    // Runs xdotool with the arguments (shell words) on this display, for at most timeoutSeconds;
    // its exit code.
    int xdotool(const std::string& arguments, int timeoutSeconds = 20) const;
    // A PNG of the whole screen (ImageMagick's import); its exit code.
    int screenshot(const std::string& pngPath) const;

private:
    int pid_ = -1;
    std::string name_;
    bool ready_ = false;
};

} // namespace OrvaneTest
