#include "sprite/CSprite.h"

#include "core/CApp.h"
#include "core/CTask.h"

#include <kavro/IKeyboard.h>
#include <kavro/IMouse.h>

#include <algorithm>
#include <cmath>

namespace Orvane
{

namespace
{

using Kavro::Vector2D;
using Kavro::Vector4D;

constexpr int EnterKey = 0x1C;
constexpr int PadEnterKey = 0x9C;
// The library's left-button states.
constexpr int ButtonWentDown = 1;
constexpr int ButtonHeld = 2;
constexpr int ButtonWentUp = 3;
constexpr int32_t HandCursor = 7;

// Where the line from a to b crosses the plane z = 0; false when it runs parallel to it.
bool crossingOfPlane(const Vector4D& a, const Vector4D& b, Vector2D& at)
{
    const float dz = b.z - a.z;
    if (dz == 0.0f || !std::isfinite(dz))
        return false;
    const float s = -a.z / dz;
    at = {a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s};
    return std::isfinite(at.x) && std::isfinite(at.y);
}

} // namespace

Kavro::IMouse* CSprite::pointerMouse()
{
    if (CTask* owner = getTask())
        return owner->getMouse(int(forceInput));
    CApp* app = CApp::get();
    return app ? app->mouse : nullptr;
}

Kavro::IKeyboard* CSprite::pointerKeyboard()
{
    if (CTask* owner = getTask())
        return owner->getKeyboard(int(forceInput));
    CApp* app = CApp::get();
    return app ? app->keyboard : nullptr;
}

int CSprite::hitTest(const Vector2D& point, Vector2D& uv)
{
    bool invertible = true;
    const Kavro::Matrix4x4 inverse = quadMatrix.Inverse(&invertible);
    if (!invertible)
        return 0;
    const Vector4D a = Vector4D(point.x, point.y, -1.0f, 1.0f).TransformCoord(inverse);
    const Vector4D b = Vector4D(point.x, point.y, 1.0f, 1.0f).TransformCoord(inverse);
    Vector2D at;
    if (!crossingOfPlane(a, b, at))
        return 0;
    if (std::fabs(at.x) > 1.0f || std::fabs(at.y) > 1.0f)
        return 0;
    uv = {(at.x + 1.0f) * 0.5f, (at.y - 1.0f) * -0.5f};
    return 1;
}

int CSprite::isOver(int32_t firstFrameOnly)
{
    if (!clickable || !visible)
        return 0;
    Kavro::IMouse* mouse = pointerMouse();
    if (!mouse)
        return 0;
    Vector2D uv;
    if (!hitTest({float(mouse->getCursorX()), float(mouse->getCursorY())}, uv))
        return 0;
    if (!pixelHitTest)
        return 1;
    const int32_t w = rect[2], h = rect[3];
    if (w <= 0 || h <= 0)
        return 0;
    const float u = std::clamp(float(w) * uv.x, 0.0f, float(w - 1));
    const float v = std::clamp(float(h) * uv.y, 0.0f, float(h - 1));
    const size_t index = size_t(float(int32_t(v) * w) + u);
    // No mask (or a mask of another rectangle) answers no hit rather than reading past it.
    if (index >= hitMask.size() || hitMask[index] <= hitAlphaThreshold)
        return 0;
    return firstFrameOnly == 0 || overFrames == 1 ? 1 : 0;
}

int CSprite::isDown(int32_t mode)
{
    if (!isOver(0))
        return 0;
    Kavro::IMouse* mouse = pointerMouse();
    Kavro::IKeyboard* keyboard = pointerKeyboard();
    const int button = mouse ? mouse->getLeftButtonState() : 0;
    if (mode != 0)
        return button == ButtonWentDown ||
               (keyboard && (keyboard->getKeyState(EnterKey, 1) || keyboard->getKeyState(PadEnterKey, 1)));
    return button == ButtonWentDown || button == ButtonHeld ||
           (keyboard && (keyboard->getKeyState(EnterKey, 0) || keyboard->getKeyState(EnterKey, 1) ||
                         keyboard->getKeyState(PadEnterKey, 0) || keyboard->getKeyState(PadEnterKey, 1)));
}

int CSprite::isUp(int32_t afterActivity)
{
    if (afterActivity != 0 && pointerState == 0)
        return 0;
    Kavro::IMouse* mouse = pointerMouse();
    Kavro::IKeyboard* keyboard = pointerKeyboard();
    return (mouse && mouse->getLeftButtonState() == ButtonWentUp) ||
           (keyboard && (keyboard->isKeyUp(EnterKey) || keyboard->isKeyUp(PadEnterKey)));
}

void CSprite::updatePointer()
{
    if (!clickable)
        return;
    pointerState = 0;
    if (!isOver(0))
    {
        overFrames = 0;
        return;
    }
    if (Kavro::IMouse* mouse = pointerMouse())
    {
        const int button = mouse->getLeftButtonState();
        pointerState |= uint32_t(button == ButtonWentDown || button == ButtonHeld || button == ButtonWentUp);
    }
    if (Kavro::IKeyboard* keyboard = pointerKeyboard())
        for (int key : {EnterKey, PadEnterKey})
            pointerState |= uint32_t(keyboard->getKeyState(key, 0) != 0 || keyboard->getKeyState(key, 1) != 0 ||
                                     keyboard->isKeyUp(key) != 0);
    if (currentFrameCount() != frameCount)
        ++overFrames;
    if (changeCursor)
        if (CApp* app = CApp::get())
            app->cursorKind = HandCursor;
}

} // namespace Orvane
