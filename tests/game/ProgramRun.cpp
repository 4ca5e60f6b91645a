#include "ProgramRun.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

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
                         const std::vector<std::string>& extraEnvironment)
{
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                          "ALSOFT_DRIVERS=null XDG_RUNTIME_DIR='" +
                          runtimeFolder + "' ";
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

} // namespace OrvaneTest
