#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IInputManager.h>
#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/IRenderDevice.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace Kavro;

namespace
{

struct Received
{
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

std::vector<Received> g_received;
ICore* g_core = nullptr;
bool g_quitOnDestroy = true;

// A window procedure like the engine's: record, quit on WM_DESTROY, leave the rest to the
// default procedure.
intptr_t recordingProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    g_received.push_back({message, wParam, lParam});
    if (message == WM_DESTROY && g_quitOnDestroy) g_core->postQuitMessage(0);
    return g_core->defWindowProc(window, message, wParam, lParam);
}

class Core : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_received.clear();
        g_quitOnDestroy = true;
        core = g_core = CreateKavro();
        ASSERT_NE(core, nullptr);
        core->setWindowName("Test Window");
        core->setScreenSize(640, 360);
        core->setDisplayMode(800, 600, 0, 1);
        ASSERT_GE(core->initialize(), 0);
        core->setFrameRate(0); // tests do not wait for frames
        core->setWindowProc(recordingProc);
        core->completeStartup();
        drain();
        g_received.clear();
    }
    void TearDown() override
    {
        core->finalize();
        ReleaseKavro();
        g_core = nullptr;
    }

    // Pumps until the pump reports a frame (0) or quit (negative); returns that.
    int drain()
    {
        for (int i = 0; i < 1000; ++i)
        {
            const int result = core->pumpMessages();
            if (result <= 0) return result;
        }
        return 1;
    }
    static void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }
    static SDL_Event key(bool down, SDL_Scancode scancode)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        return e;
    }
    static SDL_Event window(uint8_t what)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        return e;
    }
    bool received(uint32_t message) const
    {
        for (const Received& r : g_received)
            if (r.message == message) return true;
        return false;
    }

    ICore* core = nullptr;
};

} // namespace

TEST_F(Core, OpensTheWindowWithTheGivenNameAndMode)
{
    auto* window = static_cast<SDL_Window*>(core->getWindowHandle());
    ASSERT_NE(window, nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Test Window");
    core->setWindowName("Renamed");
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Renamed");
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(core->isFullScreen(), 0);
    EXPECT_EQ(core->getScreenSize().x, 640);
    // 640 x 360 in 800 x 600 with a fixed aspect: bars above and below.
    EXPECT_EQ(core->getPresentRect(), (Rect2D<int>{0, 75, 800, 450}));
    EXPECT_STREQ(core->getPlatformName(), "Linux");
    EXPECT_EQ(core->getActiveWindow(), core->getWindowHandle());
}

TEST_F(Core, DisplayModeChangesWaitForApply)
{
    EXPECT_EQ(core->changeDisplayMode(800, 600, 0, 1), 1); // already in effect
    EXPECT_EQ(core->changeDisplayMode(640, 360, 0, 0), 0);
    EXPECT_EQ(core->getPresentRect(), (Rect2D<int>{0, 75, 800, 450})); // not yet
    ASSERT_EQ(core->applyDisplayMode(), 0);
    EXPECT_EQ(core->getPresentRect(), (Rect2D<int>{0, 0, 640, 360}));
    EXPECT_EQ(core->changeDisplayMode(640, 360, 0, 0), 1);
    EXPECT_EQ(core->changeAntiAliasType(0), 1);
    EXPECT_EQ(core->changeAntiAliasType(4), 0);
    EXPECT_EQ(core->getAntiAliasType(), 4);
}

TEST_F(Core, CloseButtonReachesTheProcedureAndQuitFollowsDestroy)
{
    push(window(SDL_WINDOWEVENT_CLOSE));
    EXPECT_LT(drain(), 0);
    ASSERT_GE(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].message, WM_CLOSE);
    EXPECT_EQ(g_received[1].message, WM_DESTROY);
    EXPECT_EQ(core->getActiveWindow(), nullptr);
    // The quit is reported once.
    EXPECT_EQ(drain(), 0);
}

TEST_F(Core, CloseHandledByTheProcedureKeepsRunning)
{
    core->setWindowProc(
        [](void*, uint32_t message, uintptr_t wParam, intptr_t lParam) -> intptr_t
        {
            g_received.push_back({message, wParam, lParam});
            return 0; // a script's close callback: the window stays
        });
    push(window(SDL_WINDOWEVENT_CLOSE));
    EXPECT_EQ(drain(), 0);
    EXPECT_TRUE(received(WM_CLOSE));
    EXPECT_FALSE(received(WM_DESTROY));
    EXPECT_NE(core->getActiveWindow(), nullptr);
}

TEST_F(Core, QuitEventAndExitEndThePump)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    push(quit);
    EXPECT_LT(drain(), 0);
    EXPECT_EQ(drain(), 0);
    core->exit();
    EXPECT_LT(core->pumpMessages(), 0);
}

TEST_F(Core, PostedMessagesArriveInOrderBeforeTheQuit)
{
    core->postMessage(core->getWindowHandle(), WM_SETCURSOR, 7, 0);
    core->postMessage(core->getWindowHandle(), WM_USER + 1, 2, 3);
    core->postQuitMessage(0);
    EXPECT_GT(core->pumpMessages(), 0);
    EXPECT_LT(core->pumpMessages(), 0);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].message, WM_SETCURSOR);
    EXPECT_EQ(g_received[0].wParam, 7u);
    EXPECT_EQ(g_received[1].message, WM_USER + 1);
    EXPECT_EQ(g_received[1].lParam, 3);
}

TEST_F(Core, FocusLossIsReportedAndReleasesHeldKeys)
{
    IInputManager* input = core->getInputManager();
    IKeyboard* keyboard = input->getKeyboard();
    push(key(true, SDL_SCANCODE_RETURN));
    EXPECT_EQ(drain(), 0);
    EXPECT_NE(keyboard->getKeyState(28, 0), 0);

    push(window(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_EQ(drain(), 0);
    EXPECT_TRUE(received(WM_KILLFOCUS));
    EXPECT_EQ(core->getActiveWindow(), nullptr);
    EXPECT_EQ(keyboard->getKeyState(28, 0), 0);
    EXPECT_NE(keyboard->isKeyUp(28), 0);

    push(window(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(core->getActiveWindow(), core->getWindowHandle());
    keyboard->release();
    input->release();
}

TEST_F(Core, InjectedKeysBecomeKeyStatesAndKeyMessages)
{
    IInputManager* input = core->getInputManager();
    IKeyboard* keyboard = input->getKeyboard();

    push(key(true, SDL_SCANCODE_F2));
    EXPECT_EQ(drain(), 0);
    EXPECT_TRUE(received(WM_KEYDOWN));
    EXPECT_NE(keyboard->getKeyState(0x3C, 0), 0);
    EXPECT_NE(keyboard->getKeyState(0x3C, 1), 0); // went down in this frame
    EXPECT_EQ(keyboard->isKeyUp(0x3C), 0);

    EXPECT_EQ(drain(), 0); // a frame later, still held
    EXPECT_NE(keyboard->getKeyState(0x3C, 0), 0);
    EXPECT_EQ(keyboard->getKeyState(0x3C, 1), 0);

    push(key(false, SDL_SCANCODE_F2));
    EXPECT_EQ(drain(), 0);
    EXPECT_TRUE(received(WM_KEYUP));
    EXPECT_EQ(keyboard->getKeyState(0x3C, 0), 0);
    EXPECT_NE(keyboard->isKeyUp(0x3C), 0);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(keyboard->isKeyUp(0x3C), 0);

    // Pressed and let go between two frames: seen down in one frame and up in the next.
    push(key(true, SDL_SCANCODE_KP_ENTER));
    push(key(false, SDL_SCANCODE_KP_ENTER));
    EXPECT_EQ(drain(), 0);
    EXPECT_NE(keyboard->getKeyState(156, 0), 0);
    EXPECT_EQ(keyboard->getKeyState(28, 0), 0);
    EXPECT_EQ(drain(), 0);
    EXPECT_NE(keyboard->isKeyUp(156), 0);
    keyboard->release();
    input->release();
}

TEST_F(Core, InjectedMouseEventsGiveLogicalPositionsAndButtonStates)
{
    IInputManager* input = core->getInputManager();
    IMouse* mouse = input->getMouse();
    // The 640 x 360 screen is shown at y 75..525 of the 800 x 600 window, scale 1.25.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 400;
    motion.motion.y = 300;
    motion.motion.xrel = 25;
    push(motion);
    SDL_Event down{};
    down.type = SDL_MOUSEBUTTONDOWN;
    down.button.button = SDL_BUTTON_LEFT;
    down.button.clicks = 1;
    down.button.x = 400;
    down.button.y = 300;
    push(down);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(mouse->getCursorX(), 320);
    EXPECT_EQ(mouse->getCursorY(), 180);
    EXPECT_EQ(mouse->getMoveX(), 20);
    EXPECT_EQ(mouse->getLeftButtonState(), 1);
    EXPECT_TRUE(received(WM_MOUSEMOVE));
    EXPECT_TRUE(received(WM_LBUTTONDOWN));

    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(mouse->getLeftButtonState(), 2);
    EXPECT_EQ(mouse->getMoveX(), 0);

    SDL_Event up = down;
    up.type = SDL_MOUSEBUTTONUP;
    push(up);
    motion.motion.y = 20; // in the bar above the screen
    push(motion);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(mouse->getLeftButtonState(), 3);
    EXPECT_EQ(mouse->getCursorX(), -1);
    EXPECT_EQ(mouse->isInsideWindow(), 0);

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 1;
    push(wheel);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(mouse->getWheelState(), 0);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(mouse->getWheelState(), 4);
    EXPECT_EQ(mouse->getPreviousWheelState(), 0);
    mouse->release();
    input->release();
}

TEST_F(Core, GameControllersAttachAsPadsWithXInputMasks)
{
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                 SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device);
    EXPECT_EQ(drain(), 0); // the device-added event opens pad 0

    IInputManager* input = core->getInputManager();
    IGamepad* gamepad = input->getGamepad();
    SDL_Event button{};
    button.type = SDL_CONTROLLERBUTTONDOWN;
    button.cbutton.which = instance;
    button.cbutton.button = SDL_CONTROLLER_BUTTON_A;
    push(button);
    SDL_Event axis{};
    axis.type = SDL_CONTROLLERAXISMOTION;
    axis.caxis.which = instance;
    axis.caxis.axis = SDL_CONTROLLER_AXIS_LEFTY;
    axis.caxis.value = -32767; // pushed away from the player
    push(axis);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x1000), 1);
    EXPECT_EQ(gamepad->getButtonState(0, 0x2000), 0);
    EXPECT_EQ(gamepad->getButtonState(1, 0x1000), 0); // no second pad
    Vector2D stick;
    EXPECT_FLOAT_EQ(gamepad->getThumbValue(stick, 0, 0).y, 1.0f);

    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x1000), 2);
    button.type = SDL_CONTROLLERBUTTONUP;
    push(button);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x1000), 3);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x1000), 0);

    SDL_JoystickDetachVirtual(device);
    EXPECT_EQ(drain(), 0);
    EXPECT_FLOAT_EQ(gamepad->getThumbValue(stick, 0, 0).y, 0.0f);
    gamepad->release();
    input->release();
}

TEST_F(Core, VirtualControllerStatesReachThePadThroughSdlsMapping)
{
    // Raw joystick states go through SDL's controller mapping (events arrive without a focused window:
    // the test environment allows background joystick events).
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                 SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(device);
    EXPECT_EQ(drain(), 0);
    SDL_Joystick* joystick = SDL_JoystickFromInstanceID(instance);
    ASSERT_NE(joystick, nullptr) << "the core opens attached controllers";

    IInputManager* input = core->getInputManager();
    IGamepad* gamepad = input->getGamepad();
    ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 1), 0) << SDL_GetError();
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 32767), 0) << SDL_GetError();
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x2000), 1); // XINPUT_GAMEPAD_B
    EXPECT_EQ(gamepad->getButtonState(0, 0x1000), 0);
    Vector2D stick;
    EXPECT_FLOAT_EQ(gamepad->getThumbValue(stick, 0, 0).x, 1.0f);

    ASSERT_EQ(SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_B, 0), 0);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(gamepad->getButtonState(0, 0x2000), 3);

    SDL_JoystickDetachVirtual(device);
    EXPECT_EQ(drain(), 0);
    gamepad->release();
    input->release();
}

TEST_F(Core, InjectedTouchesBecomeContactsInLogicalPixels)
{
    IInputManager* input = core->getInputManager();
    ITouch* touch = input->getTouch();
    SDL_Event finger{};
    finger.type = SDL_FINGERDOWN;
    finger.tfinger.fingerId = 3;
    finger.tfinger.x = 0.5f; // window 400, 300 -> screen 320, 180
    finger.tfinger.y = 0.5f;
    push(finger);
    EXPECT_EQ(drain(), 0);
    ASSERT_EQ(touch->getContactCount(), 1);
    EXPECT_EQ(touch->getContactState(0), 1);
    IntPair position;
    touch->getContactPosition(position, 0);
    EXPECT_EQ(position.x, 320);
    EXPECT_EQ(position.y, 180);

    finger.type = SDL_FINGERUP;
    push(finger);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(touch->getContactState(0), 3);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(touch->getContactCount(), 0);
    touch->release();
    input->release();
}

TEST_F(Core, ShowCursorKeepsTheDisplayCounter)
{
    EXPECT_EQ(core->showCursor(0), -1);
    EXPECT_EQ(core->showCursor(0), -2);
    EXPECT_EQ(core->showCursor(1), -1);
    EXPECT_EQ(core->showCursor(1), 0);
    EXPECT_EQ(core->showCursor(1), 1);
    core->setCursor(IDC_HAND); // no cursors offscreen: must simply not fail
    core->setCursor(IDC_ARROW);
}

TEST_F(Core, SystemInformationNamesThisMachine)
{
    int (ICore::*lines[])(char*, int) = {
        &ICore::getSystemInfo1, &ICore::getSystemInfo2, &ICore::getSystemInfo3, &ICore::getSystemInfo4,
        &ICore::getSystemInfo5, &ICore::getSystemInfo6, &ICore::getSystemInfo7, &ICore::getSystemInfo8};
    for (auto line : lines)
    {
        char buffer[1024];
        const int length = (core->*line)(buffer, sizeof buffer);
        EXPECT_GT(length, 0);
        EXPECT_EQ(int(std::string(buffer).size()), length);
    }
    char buffer[1024];
    core->getSystemInfo1(buffer, sizeof buffer);
    EXPECT_NE(std::string(buffer).find("Linux"), std::string::npos) << buffer;
    core->getSystemInfo3(buffer, sizeof buffer);
    EXPECT_NE(std::string(buffer).find(" MB"), std::string::npos) << buffer;
    // Headless, the graphics lines name the device that draws: the surfaceless context.
    core->getSystemInfo4(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer).find("no OpenGL"), std::string::npos) << buffer;
    core->getSystemInfo7(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer).find("not available"), std::string::npos) << buffer;
    EXPECT_NE(std::string(buffer).find("Core Profile"), std::string::npos) << buffer;
}

TEST_F(Core, FileSystemIsMadeOnceAndSharedWithGetFileSystem)
{
    EXPECT_EQ(core->getFileSystem(), nullptr);
    IFileSystem* first = core->createFileSystem();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(core->getFileSystem(), first);
    IFileSystem* second = core->createFileSystem();
    EXPECT_EQ(second, first);
    second->release();
    first->release(); // the core still holds its own
    EXPECT_EQ(core->getFileSystem()->getRefCount(), 1);
}

TEST_F(Core, RenderDeviceIsMadeOnceOverTheCoreScreen)
{
    IRenderDevice* device = core->getRenderDevice();
    ASSERT_NE(device, nullptr); // headless without a display
    IRenderDevice* again = core->getRenderDevice();
    EXPECT_EQ(again, device);
    again->release();
    ASSERT_GE(device->beginFrame(), 0);
    const uint32_t black = 0xFF000000;
    EXPECT_GE(device->clear(1, &black), 0);
    EXPECT_GE(device->endFrame(), 0);
    device->release();
}

TEST_F(Core, EachPhysicsWorldIsNewAndSimulates)
{
    IPhysicsWorld* first = core->createPhysicsWorld();
    IPhysicsWorld* second = core->createPhysicsWorld();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->getRefCount(), 1);
    IPhysicsRigidBody* ball = first->createSphere(1.0f, {0, 1, 0}, 0.5f, Matrix4x4());
    EXPECT_EQ(first->step(1.0f / 60.0f), 1);
    EXPECT_LT(ball->getPosition().y, 1.0f);
    ball->release();
    second->release();
    first->release();
}

TEST_F(Core, RenderDeviceHeldPastFinalizeHasNoContextLeft)
{
    IRenderDevice* device = core->getRenderDevice();
    ASSERT_NE(device, nullptr);
    ASSERT_GE(device->beginFrame(), 0);
    core->finalize();
    // The context went with the core; the device only answers failures until it is released.
    EXPECT_LT(device->beginFrame(), 0);
    EXPECT_EQ(device->createRenderTexture(8, 8, 4, 0, 0, 0), nullptr);
    device->release();
}

TEST(CoreBeforeInitialize, AnswersSystemInformationAndLeavesNoWindowSystemRunning)
{
    // The launcher asks for the information before the core opens its window.
    ICore* core = CreateKavro();
    char buffer[256];
    EXPECT_GT(core->getSystemInfo5(buffer, sizeof buffer), 0);
    EXPECT_GT(core->getSystemInfo4(buffer, sizeof buffer), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_EQ(core->getWindowHandle(), nullptr);
    EXPECT_EQ(core->getActiveWindow(), nullptr);
    core->finalize();
    ReleaseKavro();
}

TEST_F(Core, ClockAndFrameRate)
{
    const uint32_t before = core->getMilliTime();
    SDL_Delay(20);
    const uint32_t elapsed = core->getMilliTime() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_GT(core->getSystemTime(), 1600000000000ull); // after 2020, in milliseconds
    EXPECT_EQ(core->setFrameRate(30), 0);
    EXPECT_EQ(core->getFrameRate(), 30);
}

// Under the fixed clock a frame is 1000/60 ms on both clocks, however long it really took.
TEST(CoreFixedClock, BothClocksMoveOneFrameAtATime)
{
    ASSERT_EQ(setenv("KAVRO_FIXED_CLOCK", "1", 1), 0);
    ICore* core = CreateKavro();
    unsetenv("KAVRO_FIXED_CLOCK");
    ASSERT_NE(core, nullptr);
    core->setScreenSize(64, 64);
    ASSERT_GE(core->initialize(), 0);
    core->completeStartup();
    auto nextFrame = [&]
    {
        int result = 1;
        for (int i = 0; i < 1000 && result > 0; ++i) result = core->pumpMessages();
        return result;
    };
    ASSERT_EQ(nextFrame(), 0);
    const uint32_t milli = core->getMilliTime();
    const uint64_t date = core->getSystemTime();
    EXPECT_GT(date, 1600000000000ull);
    for (int frame = 0; frame < 6; ++frame)
    {
        SDL_Delay(30);
        ASSERT_EQ(nextFrame(), 0);
    }
    EXPECT_EQ(core->getMilliTime() - milli, 100u);
    EXPECT_EQ(core->getSystemTime() - date, 100u);
    core->finalize();
    ReleaseKavro();
}
