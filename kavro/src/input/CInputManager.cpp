#include "input/CInputManager.h"

#include "input/KeyTable.h"

namespace Kavro
{

namespace
{
template <typename T> T* shared(T* device)
{
    device->addRef();
    return device;
}

int mouseButtonIndex(uint8_t sdlButton)
{
    switch (sdlButton)
    {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    default:
        return -1;
    }
}
} // namespace

CInputManager::CInputManager()
    : keyboard_(new CKeyboard), mouse_(new CMouse), gamepad_(new CGamepad), touch_(new CTouch)
{
}

CInputManager::~CInputManager()
{
    keyboard_->release();
    mouse_->release();
    gamepad_->release();
    touch_->release();
}

IMouse* CInputManager::getMouse()
{
    return shared(mouse_);
}

IKeyboard* CInputManager::getKeyboard()
{
    return shared(keyboard_);
}

IGamepad* CInputManager::getGamepad()
{
    return shared(gamepad_);
}

ITouch* CInputManager::getTouch()
{
    return shared(touch_);
}

void CInputManager::setLayout(const CScreenLayout& layout)
{
    mouse_->setLayout(layout);
    touch_->setLayout(layout);
}

void CInputManager::setWarp(CMouse::Warp warp)
{
    mouse_->setWarp(std::move(warp));
}

void CInputManager::handleEvent(const SDL_Event& event, uint32_t now)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
        if (!event.key.repeat) keyboard_->keyDown(DirectInputKeyOf(event.key.keysym.scancode), now);
        break;
    case SDL_KEYUP:
        keyboard_->keyUp(DirectInputKeyOf(event.key.keysym.scancode));
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.which != SDL_TOUCH_MOUSEID)
            mouse_->move(event.motion.x, event.motion.y, event.motion.xrel, event.motion.yrel);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (const int button = mouseButtonIndex(event.button.button); button >= 0)
            mouse_->button(button, event.type == SDL_MOUSEBUTTONDOWN, event.button.clicks, event.button.x,
                           event.button.y, now);
        break;
    case SDL_MOUSEWHEEL:
    {
        const int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        mouse_->wheel(notches);
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_LEAVE) mouse_->leave();
        break;
    case SDL_CONTROLLERDEVICEADDED:
        gamepad_->attach(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        gamepad_->detach(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        gamepad_->button(event.cbutton.which, event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN,
                         now);
        break;
    case SDL_CONTROLLERAXISMOTION:
        gamepad_->axis(event.caxis.which, event.caxis.axis, event.caxis.value);
        break;
    case SDL_FINGERDOWN:
        touch_->down(event.tfinger.fingerId, event.tfinger.x, event.tfinger.y, now);
        break;
    case SDL_FINGERMOTION:
        touch_->motion(event.tfinger.fingerId, event.tfinger.x, event.tfinger.y);
        break;
    case SDL_FINGERUP:
        touch_->up(event.tfinger.fingerId, event.tfinger.x, event.tfinger.y);
        break;
    default:
        break;
    }
}

void CInputManager::releaseAll()
{
    keyboard_->releaseAll();
    mouse_->releaseAll();
    gamepad_->releaseAll();
    touch_->releaseAll();
}

void CInputManager::nextFrame(uint32_t now)
{
    keyboard_->nextFrame();
    mouse_->nextFrame(now);
    gamepad_->nextFrame();
    touch_->nextFrame(now);
}

} // namespace Kavro
