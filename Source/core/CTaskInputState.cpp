#include "core/CTaskInputState.h"

#include <kavro/IGamepad.h>
#include <kavro/IKeyboard.h>

namespace Orvane
{

namespace
{
constexpr uint32_t buttonMasks[CTaskInputState::buttonCount] = {1,   2,   4,    8,    16,    32,
                                                                256, 512, 4096, 8192, 16384, 32768};

constexpr int gamepadWentUp = 3;

bool isPressedState(int state)
{
    return state == 1 || state == 2;
}

bool withinInterval(uint32_t now, uint32_t time, uint32_t interval)
{
    return uint32_t(now - time) < interval;
}

// Stamps an entry reported since the last frame; a release wins over the stamp.
template <typename Entry> void stamp(Entry& entry, uint32_t now, bool wentUp)
{
    if (entry.reported)
        entry.time = now;
    entry.reported = 0;
    if (wentUp)
        entry.time = CTaskInputState::releasedTime;
}
} // namespace

CTaskInputState::CTaskInputState()
{
    for (int i = 0; i < buttonCount; ++i)
        buttons[i].mask = buttonMasks[i];
}

CTaskInputState::KeyEntry* CTaskInputState::keyEntry(int key)
{
    return key >= 0 && key < keyCount ? &keys[key] : nullptr;
}

CTaskInputState::ButtonEntry* CTaskInputState::buttonEntry(int mask)
{
    for (ButtonEntry& entry : buttons)
        if (entry.mask == uint32_t(mask))
            return &entry;
    return nullptr;
}

const CTaskInputState::KeyEntry* CTaskInputState::findKey(int key) const
{
    return const_cast<CTaskInputState*>(this)->keyEntry(key);
}

const CTaskInputState::ButtonEntry* CTaskInputState::findButton(int mask) const
{
    return const_cast<CTaskInputState*>(this)->buttonEntry(mask);
}

int CTaskInputState::isKeyDown(Kavro::IKeyboard* keyboard, int key, int mode, uint32_t interval, uint32_t now)
{
    KeyEntry* entry = keyEntry(key);
    if (!entry)
        return 0;
    if (mode == 0 && withinInterval(now, entry->time, interval))
        return 0;
    if (!keyboard || !keyboard->getKeyState(key, mode))
        return 0;
    entry->reported = 1;
    return 1;
}

int CTaskInputState::isKeyUp(Kavro::IKeyboard* keyboard, int key)
{
    return keyboard ? keyboard->isKeyUp(key) : 0;
}

int CTaskInputState::isButtonDown(Kavro::IGamepad* gamepad, int pad, int mask, int mode, uint32_t interval,
                                  uint32_t now)
{
    if (!gamepad)
        return 0;
    ButtonEntry* entry = buttonEntry(mask);
    if (!entry)
        return 0;
    if (mode == 0 && withinInterval(now, entry->time, interval))
        return 0;
    if (!isPressedState(gamepad->getButtonState(pad, mask)))
        return 0;
    if (mode != 0 && gamepad->getButtonState(pad, mask) != 1)
        return 0;
    entry->reported = 1;
    return 1;
}

int CTaskInputState::isButtonUp(Kavro::IGamepad* gamepad, int pad, int mask)
{
    return gamepad && gamepad->getButtonState(pad, mask) == gamepadWentUp ? 1 : 0;
}

void CTaskInputState::update(Kavro::IKeyboard* keyboard, Kavro::IGamepad* gamepad, uint32_t now)
{
    for (int key = 0; key < keyCount; ++key)
        stamp(keys[key], now, isKeyUp(keyboard, key) != 0);
    for (ButtonEntry& entry : buttons)
    {
        bool wentUp = false;
        for (int pad = 0; pad < padCount && !wentUp; ++pad)
            wentUp = isButtonUp(gamepad, pad, int(entry.mask)) == 1;
        stamp(entry, now, wentUp);
    }
}

} // namespace Orvane
