#pragma once

#include <array>
#include <cstdint>

namespace Kavro
{
class IKeyboard;
class IGamepad;
} // namespace Kavro

namespace Orvane
{

// Per-key and per-button press state of a task: turns the devices' queries into presses that
// repeat at a chosen interval while held and are reported at once again after a release.
// One set of button entries serves all four gamepads.
class CTaskInputState
{
public:
    static constexpr int keyCount = 220;
    static constexpr int buttonCount = 12;
    static constexpr int padCount = 4;
    // The time of an entry whose key or button has gone up.
    static constexpr uint32_t releasedTime = 2147483647u;

    struct KeyEntry
    {
        uint32_t reported = 0;
        uint32_t time = 0;
    };
    struct ButtonEntry
    {
        uint32_t mask = 0;
        uint32_t reported = 0;
        uint32_t time = 0;
    };

    CTaskInputState();

    // 1 for a press that passes the repeat test (mode 0) and that the keyboard reports; a null
    // keyboard or a key code without an entry gives 0.
    int isKeyDown(Kavro::IKeyboard* keyboard, int key, int mode, uint32_t interval, uint32_t now);
    int isKeyUp(Kavro::IKeyboard* keyboard, int key);
    int isButtonDown(Kavro::IGamepad* gamepad, int pad, int mask, int mode, uint32_t interval, uint32_t now);
    int isButtonUp(Kavro::IGamepad* gamepad, int pad, int mask);
    // Once per frame: stamps the entries reported since the last call with now, and marks the
    // ones whose key or button has gone up.
    void update(Kavro::IKeyboard* keyboard, Kavro::IGamepad* gamepad, uint32_t now);

    // Null when the key code or mask has no entry.
    const KeyEntry* findKey(int key) const;
    const ButtonEntry* findButton(int mask) const;

private:
    KeyEntry* keyEntry(int key);
    ButtonEntry* buttonEntry(int mask);

    std::array<KeyEntry, keyCount> keys{};
    std::array<ButtonEntry, buttonCount> buttons{};
};

} // namespace Orvane
