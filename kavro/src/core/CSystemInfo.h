#pragma once

#include <string>

namespace Kavro
{

// The eight lines of facts about this machine the core reports (ASCII).
class CSystemInfo
{
public:
    static std::string OperatingSystem();
    static std::string Processor();
    static std::string Memory();
    static std::string Display();
    static std::string Audio();
    static std::string Controllers();
    // Graphics renderer and interface version, read from a current OpenGL context when there is
    // one, else from a hidden window made for the purpose, else (no display) from a surfaceless
    // context as the headless render device uses.
    static std::string Renderer();
    static std::string GraphicsVersion();

    // Parsers of the system files, separate so that they can be checked on fixed texts.
    // The "model name" of /proc/cpuinfo; empty when absent.
    static std::string CpuModel(const std::string& cpuinfo);
    // MemTotal of /proc/meminfo in MiB; -1 when absent.
    static long MemoryMiB(const std::string& meminfo);
    // PRETTY_NAME of /etc/os-release without quotes; empty when absent.
    static std::string PrettyName(const std::string& osRelease);
    // The card names of /proc/asound/cards, comma separated.
    static std::string SoundCards(const std::string& cards);
    // The display line for a mode of SDL's video driver: a driver that draws offscreen has no display,
    // and an unknown refresh rate (0) is left out.
    static std::string DisplayLine(int width, int height, int refreshRate, const char* driver);

    // Copies a line into a caller's buffer, cut to fit and NUL-terminated; -1 without room.
    static int Copy(const std::string& line, char* buffer, int size);
};

} // namespace Kavro
