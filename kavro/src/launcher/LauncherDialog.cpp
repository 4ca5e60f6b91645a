#include <kavro/LauncherDialog.h>

#include "core/MessageBoxOwner.h"

#include <SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

namespace Kavro
{

namespace
{

constexpr int DialogWidth = 627;
constexpr int DialogHeight = 346;

// The SDL window, its GL context and the ImGui context, released in reverse order.
class DialogWindow
{
public:
    bool open(const char* caption)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        videoStarted = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window = SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, DialogWidth,
                                  DialogHeight, SDL_WINDOW_OPENGL);
        if (!window) return false;
        context = SDL_GL_CreateContext(window);
        if (!context) return false;
        SDL_GL_MakeCurrent(window, context);
        SDL_GL_SetSwapInterval(1);
        IMGUI_CHECKVERSION();
        ImGui::CreateContext();
        ImGui::GetIO().IniFilename = nullptr;
        ImGui::StyleColorsDark();
        imguiStarted = ImGui_ImplSDL2_InitForOpenGL(window, context) && ImGui_ImplOpenGL3_Init("#version 330");
        return imguiStarted;
    }

    ~DialogWindow()
    {
        if (ImGui::GetCurrentContext())
        {
            if (imguiStarted)
            {
                ImGui_ImplOpenGL3_Shutdown();
                ImGui_ImplSDL2_Shutdown();
            }
            ImGui::DestroyContext();
        }
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // Takes every pending event, first waiting for one when asked to. False once the window was closed;
    // *received tells whether any event came.
    bool pumpEvents(bool wait, bool* received)
    {
        SDL_Event event;
        *received = false;
        bool have = wait ? SDL_WaitEvent(&event) != 0 : SDL_PollEvent(&event) != 0;
        while (have)
        {
            *received = true;
            ImGui_ImplSDL2_ProcessEvent(&event);
            if (event.type == SDL_QUIT) return false;
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) return false;
            have = SDL_PollEvent(&event) != 0;
        }
        return true;
    }

    void present()
    {
        ImGui::Render();
        int width = 0;
        int height = 0;
        SDL_GL_GetDrawableSize(window, &width, &height);
        glViewport(0, 0, width, height);
        glClearColor(0.08f, 0.08f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window);
    }

private:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool videoStarted = false;
    bool imguiStarted = false;
};

// The dialog is laid out in dialog units, as its controls were designed; 1.5 pixels each.
constexpr float Unit = 1.5f;

void placeAt(float x, float y) { ImGui::SetCursorPos(ImVec2(x * Unit, y * Unit)); }
ImVec2 size(float width, float height) { return ImVec2(width * Unit, height * Unit); }

void drawFrame(const char* label, float x, float y, float width, float height)
{
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetWindowPos();
    const ImVec2 topLeft(origin.x + x * Unit, origin.y + (y + 4) * Unit);
    draw->AddRect(topLeft, ImVec2(topLeft.x + width * Unit, origin.y + (y + height) * Unit),
                  ImGui::GetColorU32(ImGuiCol_Border));
    placeAt(x + 4, y - 2);
    ImGui::TextUnformatted(label);
}

void drawDisplayChoices(LauncherDialogModel& model)
{
    drawFrame("Display", 6, 138, 229, 60);
    drawFrame("Screen Mode", 13, 151, 101, 42);
    placeAt(19, 160);
    ImGui::RadioButton("Windowed", &model.fullScreen, 0);
    placeAt(19, 175);
    ImGui::RadioButton("Fullscreen", &model.fullScreen, 1);
    drawFrame("Resolution", 120, 151, 108, 42);
    placeAt(126, 166);
    ImGui::SetNextItemWidth(96 * Unit);
    const char* current = model.resolutions.empty() ? "" : model.resolutions[model.resolutionIndex].c_str();
    if (ImGui::BeginCombo("##resolution", current))
    {
        for (int i = 0; i < static_cast<int>(model.resolutions.size()); ++i)
            if (ImGui::Selectable(model.resolutions[i].c_str(), i == model.resolutionIndex)) model.resolutionIndex = i;
        ImGui::EndCombo();
    }
}

void drawInformation(LauncherDialogModel& model)
{
    drawFrame("System Info", 246, 63, 162, 122);
    placeAt(252, 75);
    // Wrapped inside the box (long lines scroll down rather than off the right edge).
    ImGui::BeginChild("##info", size(150, 82), true);
    ImGui::PushTextWrapPos(0.0f);
    ImGui::TextUnformatted(model.systemInfo.c_str());
    ImGui::PopTextWrapPos();
    ImGui::EndChild();
    placeAt(252, 163);
    if (ImGui::Button("User's Manual", size(150, 14)) && model.openManual) model.openManual();
    drawFrame("Other", 246, 188, 162, 32);
    placeAt(259, 200);
    if (ImGui::Button("Open Save Folder", size(138, 14)) && model.openSaveFolder) model.openSaveFolder();
}

// 1 Start Game, 0 Quit, -1 nothing chosen yet.
int drawDialog(LauncherDialogModel& model)
{
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(DialogWidth, DialogHeight));
    ImGui::Begin("##launcher", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    int result = -1;
    // The picture's place; this build carries no picture, so the frame stays blank.
    drawFrame("", 6, 2, 228, 131);
    placeAt(249, 27);
    if (ImGui::Button("Start Game", size(78, 23))) result = 1;
    placeAt(333, 27);
    if (ImGui::Button("Quit", size(78, 23))) result = 0;
    drawInformation(model);
    drawDisplayChoices(model);
    ImGui::End();
    return result;
}

} // namespace

int RunLauncherDialog(LauncherDialogModel& model)
{
    if (!HaveDisplay()) return -1;
    if (model.resolutionIndex < 0 || model.resolutionIndex >= static_cast<int>(model.resolutions.size()))
        model.resolutionIndex = 0;
    DialogWindow window;
    if (!window.open(model.caption.c_str())) return -1;
    // A dialog that only waits redraws only when something happens: after an event (an exposure
    // included) a few frames let hover and popups settle, then it sleeps until the next event. Without
    // vertical sync (Xvfb, some drivers) each frame is also held to at least a 60th of a second.
    constexpr int SettleFrames = 3;
    constexpr uint32_t FrameMs = 16;
    int quietFrames = 0;
    for (;;)
    {
        bool received = false;
        if (!window.pumpEvents(quietFrames >= SettleFrames, &received)) return 0;
        quietFrames = received ? 0 : quietFrames + 1;
        const uint32_t started = SDL_GetTicks();
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        const int result = drawDialog(model);
        window.present();
        if (result >= 0) return result;
        const uint32_t spent = SDL_GetTicks() - started;
        if (spent < FrameMs) SDL_Delay(FrameMs - spent);
    }
}

} // namespace Kavro
