#include "core/CSystemInfo.h"

#include "core/MessageBoxOwner.h"
#include "render/CEglContext.h"
#include "render/GL.h"

#include <SDL2/SDL.h>

#include <sys/utsname.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace Kavro
{

namespace
{

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string trim(std::string s)
{
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
    s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
    return s;
}

// The value after "key" and the separator on the first line that starts with key.
std::string valueOf(const std::string& text, const std::string& key, char separator)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        if (line.compare(0, key.size(), key) != 0) continue;
        const size_t at = line.find(separator, key.size());
        if (at == std::string::npos || trim(line.substr(key.size(), at - key.size())).size()) continue;
        return trim(line.substr(at + 1));
    }
    return {};
}

// The video subsystem for one query: started for it when nobody had, and ended again after.
class VideoUse
{
public:
    VideoUse()
        : own_(!SDL_WasInit(SDL_INIT_VIDEO)), available_(!own_ || SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
    {
    }
    ~VideoUse()
    {
        if (own_ && available_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    VideoUse(const VideoUse&) = delete;
    VideoUse& operator=(const VideoUse&) = delete;
    bool available() const { return available_; }

private:
    bool own_;
    bool available_;
};

struct GraphicsFacts
{
    std::string renderer;
    std::string version;
};

// From the current SDL context, or one made on a hidden window when there is a display.
GraphicsFacts readFromWindow()
{
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int kRenderer = 0x1F01, kVersion = 0x1F02;
    GraphicsFacts facts;
    const VideoUse video;
    if (!video.available()) return facts;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    if (!previousContext && HaveDisplay())
    {
        window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        context = window ? SDL_GL_CreateContext(window) : nullptr;
    }
    if (previousContext || context)
    {
        if (auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString")))
        {
            const unsigned char* renderer = getString(kRenderer);
            const unsigned char* version = getString(kVersion);
            facts.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "";
            facts.version = version ? reinterpret_cast<const char*>(version) : "";
        }
    }
    if (context) SDL_GL_DeleteContext(context);
    if (window) SDL_DestroyWindow(window);
    if (previousContext) SDL_GL_MakeCurrent(previousWindow, previousContext);
    return facts;
}

// The context tests and headless runs draw with: EGL without a surface.
GraphicsFacts readHeadless()
{
    GraphicsFacts facts;
    std::unique_ptr<CEglContext> context;
    if (eglGetCurrentContext() == EGL_NO_CONTEXT)
    {
        context = CEglContext::create();
        if (!context) return facts;
    }
    const GLubyte* renderer = glGetString(GL_RENDERER);
    const GLubyte* version = glGetString(GL_VERSION);
    facts.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "";
    facts.version = version ? reinterpret_cast<const char*>(version) : "";
    return facts;
}

GraphicsFacts readGraphics()
{
    GraphicsFacts facts = readFromWindow();
    if (facts.renderer.empty()) facts = readHeadless();
    return facts;
}

const GraphicsFacts& graphics()
{
    static const GraphicsFacts facts = readGraphics();
    return facts;
}

} // namespace

std::string CSystemInfo::CpuModel(const std::string& cpuinfo)
{
    return valueOf(cpuinfo, "model name", ':');
}

long CSystemInfo::MemoryMiB(const std::string& meminfo)
{
    const std::string value = valueOf(meminfo, "MemTotal", ':');
    if (value.empty() || !std::isdigit(static_cast<unsigned char>(value[0]))) return -1;
    return std::stol(value) / 1024; // the file counts KiB
}

std::string CSystemInfo::PrettyName(const std::string& osRelease)
{
    std::string value = valueOf(osRelease, "PRETTY_NAME", '=');
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string CSystemInfo::SoundCards(const std::string& cards)
{
    // Lines such as " 0 [PCH            ]: HDA-Intel - HDA Intel PCH".
    std::istringstream lines(cards);
    std::string line, names;
    while (std::getline(lines, line))
    {
        const size_t dash = line.find(" - ");
        if (line.find("]:") == std::string::npos || dash == std::string::npos) continue;
        names += (names.empty() ? "" : ", ") + trim(line.substr(dash + 3));
    }
    return names;
}

int CSystemInfo::Copy(const std::string& line, char* buffer, int size)
{
    if (!buffer || size <= 0) return -1;
    const size_t length = std::min(line.size(), size_t(size) - 1);
    std::memcpy(buffer, line.data(), length);
    buffer[length] = '\0';
    return int(length);
}

std::string CSystemInfo::OperatingSystem()
{
    utsname names{};
    std::string line = "OS: ";
    const std::string pretty = PrettyName(readFile("/etc/os-release"));
    if (!pretty.empty()) line += pretty + ", ";
    if (uname(&names) == 0) line += std::string(names.sysname) + " " + names.release + " " + names.machine;
    return line;
}

std::string CSystemInfo::Processor()
{
    std::string model = CpuModel(readFile("/proc/cpuinfo"));
    if (model.empty()) model = "unknown";
    return "CPU: " + model + " (" + std::to_string(std::thread::hardware_concurrency()) + " threads)";
}

std::string CSystemInfo::Memory()
{
    const long mib = MemoryMiB(readFile("/proc/meminfo"));
    return mib < 0 ? "Memory: unknown" : "Memory: " + std::to_string(mib) + " MB";
}

std::string CSystemInfo::Display()
{
    SDL_DisplayMode mode{};
    const VideoUse video;
    if (!video.available() || SDL_GetCurrentDisplayMode(0, &mode) != 0) return "Display: none";
    return DisplayLine(mode.w, mode.h, mode.refresh_rate, SDL_GetCurrentVideoDriver());
}

std::string CSystemInfo::DisplayLine(int width, int height, int refreshRate, const char* driver)
{
    const std::string name = driver ? driver : "?";
    if (name == "offscreen" || name == "dummy")
        return "Display: none (drawing offscreen)";
    std::string line = "Display: " + std::to_string(width) + " x " + std::to_string(height);
    if (refreshRate > 0)
        line += ", " + std::to_string(refreshRate) + " Hz";
    return line + " (" + name + ")";
}

std::string CSystemInfo::Audio()
{
    const std::string cards = SoundCards(readFile("/proc/asound/cards"));
    return "Sound: " + (cards.empty() ? std::string("no sound card") : cards);
}

std::string CSystemInfo::Controllers()
{
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return "Game controllers: not available";
    int count = 0;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        count += SDL_IsGameController(i) == SDL_TRUE;
    return "Game controllers: " + std::to_string(count);
}

std::string CSystemInfo::Renderer()
{
    const std::string& renderer = graphics().renderer;
    return "Graphics: " + (renderer.empty() ? std::string("no OpenGL") : renderer);
}

std::string CSystemInfo::GraphicsVersion()
{
    const std::string& version = graphics().version;
    return "OpenGL: " + (version.empty() ? std::string("not available") : version);
}

} // namespace Kavro
