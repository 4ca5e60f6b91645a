#include "ProgramRun.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace OrvaneTest
{

void GameFolder::pack(const std::string& archive, const Files& files) const
{
    Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
    for (const auto& [name, content] : files) writer.add(name, std::vector<uint8_t>(content.begin(), content.end()));
    std::string error;
    ASSERT_TRUE(writer.writeFile(dir.file(archive), &error)) << error;
}

ProgramResult runProgram(const std::string& gameFolder, const std::string& runtimeFolder, int timeoutSeconds,
                         const std::vector<std::string>& extraEnvironment, const std::string& display)
{
    std::string command = display.empty() ? "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen "
                                          : "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=" + display + " ";
    // A sound device that plays into nothing: without any, the program warns in a box that waits for
    // a click when there is a display.
    const std::string soundConfig = runtimeFolder + "/alsoft.conf";
    std::ofstream(soundConfig) << "[general]\ndrivers=wave\n[wave]\nfile=/dev/null\n";
    command += "SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=wave ALSOFT_CONF='" + soundConfig + "' XDG_RUNTIME_DIR='" + runtimeFolder + "' ";
    for (const std::string& variable : extraEnvironment) command += "'" + variable + "' ";
    command += "timeout -s KILL " + std::to_string(timeoutSeconds) + " '" ORVANE_PROGRAM "' '" + gameFolder +
               "' 2>&1";
    ProgramResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, count);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) result.exitCode = static_cast<int8_t>(WEXITSTATUS(status));
    return result;
}

namespace
{

std::string readWhole(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool haveCommand(const char* name)
{
    return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

void killProgramsOn(const std::string& gameFolder)
{
    const std::string program = ORVANE_PROGRAM;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error))
    {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string commandLine = readWhole(entry.path() / "cmdline");
        // The arguments are NUL-separated: the program, then the game folder.
        const std::string wanted = program + std::string(1, '\0') + gameFolder + std::string(1, '\0');
        if (commandLine == wanted) kill(std::stoi(pid), SIGKILL);
    }
}

bool waitForFile(const std::filesystem::path& path, int timeoutSeconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (!std::filesystem::exists(path))
    {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

XvfbDisplay::XvfbDisplay()
{
    if (!haveCommand("Xvfb") || !haveCommand("xdotool")) return;
    // The first display number whose socket is free.
    int number = 90;
    const auto socketOf = [](int display) { return std::string("/tmp/.X11-unix/X").append(std::to_string(display)); };
    while (number < 200 && std::filesystem::exists(socketOf(number))) ++number;
    name_ = std::string(":").append(std::to_string(number));
    pid_ = fork();
    if (pid_ == 0)
    {
        // The server must not outlive the test, nor hold the test's output open for whoever reads it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0)
        {
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        execlp("Xvfb", "Xvfb", name_.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    if (pid_ < 0) return;
    if (!waitForFile(socketOf(number), 10)) return;
    // The socket can appear before the server answers.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready_ && std::chrono::steady_clock::now() < end)
    {
        ready_ = xdotool("getdisplaygeometry", 5) == 0;
        if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

XvfbDisplay::~XvfbDisplay()
{
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

int XvfbDisplay::xdotool(const std::string& arguments, int timeoutSeconds) const
{
    const std::string command =
        "DISPLAY=" + name_ + " timeout " + std::to_string(timeoutSeconds) + " xdotool " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int XvfbDisplay::screenshot(const std::string& pngPath) const
{
    const std::string command = "DISPLAY=" + name_ + " import -window root '" + pngPath + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace OrvaneTest
