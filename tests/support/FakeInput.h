#pragma once

#include "support/CallLog.h"

#include <kavro/IInputManager.h>
#include <kavro/RefCounted.h>

#include <map>
#include <utility>
#include <vector>

namespace OrvaneTest
{

// Counts references like a library object but never deletes itself: the fakes are members of
// their test or of FakeCore, and code under test releases what the devices' getters hand out.
template <typename Interface> class FakeCounted : public Interface
{
public:
    int release() override
    {
        releaseNote.note();
        return --count_;
    }
    int addRef() override { return ++count_; }
    int getRefCount() override { return count_; }
    ReleaseNote releaseNote;

private:
    int count_ = 1;
};

// Keyboard whose key states a test sets.
class FakeKeyboard : public FakeCounted<Kavro::IKeyboard>
{
public:
    std::map<int, int> held;    // key -> state answered by getKeyState
    std::map<int, int> wentUp;  // key -> isKeyUp answer
    std::map<int, int> wentDown;

    int getKeyState(int key, int) override { return value(held, key); }
    int isKeyUp(int key) override { return value(wentUp, key); }
    void clearState() override { held.clear(); }
    int isKeyDown(int key) override { return value(wentDown, key); }
    int getHeldCount() override { return int(held.size()); }

private:
    static int value(const std::map<int, int>& m, int key)
    {
        auto it = m.find(key);
        return it == m.end() ? 0 : it->second;
    }
};

// Mouse whose position, buttons and wheel a test sets.
class FakeMouse : public FakeCounted<Kavro::IMouse>
{
public:
    int x = 0, y = 0, moveX = 0, moveY = 0, left = 0, right = 0, middle = 0, wheel = 4;

    void setCursorPosition(const Kavro::IntPair& p) override { x = p.x, y = p.y; }
    int getCursorX() override { return x; }
    int getCursorY() override { return y; }
    int getMoveX() override { return moveX; }
    int getMoveY() override { return moveY; }
    int getLeftButtonState() override { return left; }
    int getRightButtonState() override { return right; }
    int getClickX() override { return -1; }
    int getClickY() override { return -1; }
    int getMiddleButtonState() override { return middle; }
    int getButtonState(int button) override { return button == 0 ? left : button == 1 ? right : middle; }
    int getLeftButtonTime() override { return 0; }
    int getRightButtonTime() override { return 0; }
    int getMiddleButtonTime() override { return 0; }
    int isDoubleClick() override { return 0; }
    int getWheelDelta() override { return 0; }
    int getWheelTotal() override { return 0; }
    int isInsideWindow() override { return x >= 0 && y >= 0; }
    int isMoving() override { return moveX != 0 || moveY != 0; }
    int clearInput() override { return 0; }
    int setCaptured(int) override { return 0; }
    int getWheelState() override { return wheel; }
    int getPreviousWheelState() override { return 4; }
};

// Gamepads whose button states (pad, mask) a test sets.
class FakeGamepad : public FakeCounted<Kavro::IGamepad>
{
public:
    std::map<std::pair<int, int>, int> buttons;
    float triggers[4][2] = {};
    Kavro::Vector2D thumbs[4][2] = {};

    int getButtonState(int pad, int mask) override
    {
        auto it = buttons.find({pad, mask});
        return it == buttons.end() ? 0 : it->second;
    }
    float getTriggerValue(int pad, int trigger) override { return inRange(pad, trigger) ? triggers[pad][trigger] : 0; }
    Kavro::Vector2D& getThumbValue(Kavro::Vector2D& out, int pad, int stick) override
    {
        out = inRange(pad, stick) ? thumbs[pad][stick] : Kavro::Vector2D();
        return out;
    }
    void setVibration(int, float, float) override {}

private:
    static bool inRange(int pad, int index) { return pad >= 0 && pad < 4 && index >= 0 && index < 2; }
};

// Touch panel with a test-set list of contacts.
class FakeTouch : public FakeCounted<Kavro::ITouch>
{
public:
    struct Contact
    {
        int state = 0, moving = 0, time = 0;
        Kavro::IntPair position, move;
        Kavro::Vector2D velocity;
    };
    std::vector<Contact> contacts;

    int getContactCount() override { return int(contacts.size()); }
    int getContactState(int i) override { return valid(i) ? contacts[i].state : 0; }
    int isContactMoving(int i) override { return valid(i) ? contacts[i].moving : 0; }
    Kavro::IntPair& getContactMove(Kavro::IntPair& out, int i) override
    {
        out = valid(i) ? contacts[i].move : Kavro::IntPair();
        return out;
    }
    Kavro::IntPair& getContactPosition(Kavro::IntPair& out, int i) override
    {
        out = valid(i) ? contacts[i].position : Kavro::IntPair();
        return out;
    }
    int getContactTime(int i) override { return valid(i) ? contacts[i].time : 0; }
    Kavro::Vector2D& getContactVelocity(Kavro::Vector2D& out, int i) override
    {
        out = valid(i) ? contacts[i].velocity : Kavro::Vector2D();
        return out;
    }
    void clearInput() override { contacts.clear(); }

private:
    bool valid(int i) const { return i >= 0 && i < int(contacts.size()); }
};

class FakeInputManager : public FakeCounted<Kavro::IInputManager>
{
public:
    FakeMouse mouse;
    FakeKeyboard keyboard;
    FakeGamepad gamepad;
    FakeTouch touch;

    // Devices named here are missing (their getter answers null).
    bool noMouse = false, noKeyboard = false, noGamepad = false, noTouch = false;

    // Each hands out a reference, as the library's manager does.
    Kavro::IMouse* getMouse() override { return shared(&mouse, noMouse); }
    Kavro::IKeyboard* getKeyboard() override { return shared(&keyboard, noKeyboard); }
    Kavro::IGamepad* getGamepad() override { return shared(&gamepad, noGamepad); }
    Kavro::ITouch* getTouch() override { return shared(&touch, noTouch); }

    // Logs the release of the manager and each device as "release(<label>)".
    void noteReleases(CallLog& log)
    {
        releaseNote = {&log, "inputManager"};
        mouse.releaseNote = {&log, "mouse"};
        keyboard.releaseNote = {&log, "keyboard"};
        gamepad.releaseNote = {&log, "gamepad"};
        touch.releaseNote = {&log, "touch"};
    }

private:
    template <typename T> static T* shared(T* device, bool missing)
    {
        if (missing)
            return nullptr;
        device->addRef();
        return device;
    }
};

} // namespace OrvaneTest
