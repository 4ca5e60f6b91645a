#include "core/CTask.h"

#include "core/CApp.h"
#include "core/CRenderListDrawer.h"
#include "core/CRenderingTaskObject.h"
#include "core/INullGamepad.h"
#include "core/INullKeyboard.h"
#include "core/INullMouse.h"
#include "core/INullTouch.h"
#include "core/IRenderTarget.h"
#include "text/CText.h"
#include "text/CTextEnglish.h"
#include "text/CTextVertical.h"
#include "core/ITaskCallback.h"
#include "particle/CParticle.h"
#include "sound/CSound3D.h"
#include "sprite/CBackSurfaceTarget.h"
#include "sprite/CSprite.h"
#include "sprite/CSpriteMask.h"
#include "sprite/CSpriteRenderTarget.h"

#include <kavro/ICore.h>
#include <kavro/IMovie.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISoundDevice.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdarg>
#include <cstdio>

namespace Orvane
{

// The object a pass over the task objects is updating, so that removing it ends the pass.
struct CTask::ObjectPass
{
    CTaskObject* current = nullptr;
    bool currentRemoved = false;
    ObjectPass* outer = nullptr;
};

namespace
{
Kavro::ICore* appCore()
{
    const CApp* app = CApp::get();
    return app ? app->getCore() : nullptr;
}

uint32_t milliTimeNow()
{
    Kavro::ICore* core = appCore();
    return core ? core->getMilliTime() : 0;
}

Kavro::IRenderDevice* appRenderDevice()
{
    const CApp* app = CApp::get();
    return app ? app->renderDevice : nullptr;
}

bool drawsBefore(const CTask::RenderingRecord& a, const CTask::RenderingRecord& b)
{
    if (a.priority != b.priority)
        return a.priority < b.priority;
    return a.creationStamp != b.creationStamp ? a.creationStamp < b.creationStamp : a.joinOrder < b.joinOrder;
}

template <typename List, typename Item> bool contains(const List& list, Item item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

// Releases one reference the task's lists stand for. The lists hold none of their own, so in a
// sound program nothing else holds the object any more.
void releaseListed(CTaskObject* object, bool detachSurvivor)
{
    assert(object->getRefCount() == 1 && "a cleared task object is still held elsewhere");
    // A survivor of a dying task must not reach back into it from its destructor.
    if (detachSurvivor && object->getRefCount() > 1)
        object->setTask(nullptr);
    object->release();
}
} // namespace

CTask::CTask(const std::string& name) : CFrame(name) {}

CTask::~CTask()
{
    setCloseHandler(nullptr);
    releaseListedObjects(true);
    for (auto& [name, texture] : textures)
        texture->release();
    textures.clear();
    if (backSurface)
    {
        IRenderTarget* surface = backSurface;
        backSurface = nullptr;
        surface->getTargetObject()->release();
    }
}

int CTask::clear()
{
    releaseListedObjects(false);
    return 0;
}

void CTask::releaseListedObjects(bool detachSurvivors)
{
    const std::vector<IRenderTarget*> targets = renderTargets;
    for (IRenderTarget* target : targets)
        if (contains(renderTargets, target))
            releaseListed(target->getTargetObject(), detachSurvivors);

    const std::deque<CTaskObject*> objects = taskObjects;
    for (CTaskObject* object : objects)
        if (taskObjectOrder.count(object))
            releaseListed(object, detachSurvivors);

    const std::deque<RenderingRecord> records = renderingObjects;
    for (const RenderingRecord& record : records)
        if (renderingRecordOf.count(record.object))
            releaseListed(record.object, detachSurvivors);

    taskObjects.clear();
    taskObjectOrders.clear();
    taskObjectOrder.clear();
    renderingObjects.clear();
    renderingRecordOf.clear();
    renderTargets.clear();
}

int CTask::addRenderTarget(IRenderTarget* target)
{
    Kavro::CAutoLock guard(lock);
    if (!contains(renderTargets, target))
        renderTargets.push_back(target);
    return 0;
}

int CTask::addRenderingObject(CRenderingTaskObject* object, int32_t priority)
{
    {
        Kavro::CAutoLock guard(lock);
        if (renderingRecordOf.count(object))
            removeRenderingObject(object);
        const RenderingRecord record{object->getCreationStamp(), priority, object, nextJoinOrder++};
        renderingObjects.insert(std::upper_bound(renderingObjects.begin(), renderingObjects.end(), record, drawsBefore),
                                record);
        renderingRecordOf.emplace(object, record);
    }
    object->setParent(this);
    return 0;
}

int CTask::addTaskObject(CTaskObject* object)
{
    Kavro::CAutoLock guard(lock);
    if (taskObjectOrder.count(object))
        return 0;
    taskObjects.push_back(object);
    taskObjectOrders.push_back(nextJoinOrder);
    taskObjectOrder.emplace(object, nextJoinOrder++);
    return 0;
}

int CTask::removeRenderTarget(IRenderTarget* target)
{
    auto it = std::find(renderTargets.begin(), renderTargets.end(), target);
    if (it == renderTargets.end())
        return -1;
    if (target == backSurface)
        backSurface = nullptr;
    renderTargets.erase(it);
    return 0;
}

int CTask::removeRenderingObject(CRenderingTaskObject* object)
{
    Kavro::CAutoLock guard(lock);
    auto it = findRenderingEntry(object);
    if (it == renderingObjects.end())
        return -1;
    renderingObjects.erase(it);
    renderingRecordOf.erase(object);
    return 0;
}

std::deque<CTask::RenderingRecord>::iterator CTask::findRenderingEntry(const CRenderingTaskObject* object)
{
    const auto known = renderingRecordOf.find(object);
    if (known == renderingRecordOf.end())
        return renderingObjects.end();
    const auto it = std::lower_bound(renderingObjects.begin(), renderingObjects.end(), known->second, drawsBefore);
    return it != renderingObjects.end() && it->object == object ? it : renderingObjects.end();
}

std::deque<CTaskObject*>::iterator CTask::findTaskObjectEntry(const CTaskObject* object)
{
    const auto known = taskObjectOrder.find(object);
    if (known == taskObjectOrder.end())
        return taskObjects.end();
    const auto at = std::lower_bound(taskObjectOrders.begin(), taskObjectOrders.end(), known->second);
    return at != taskObjectOrders.end() && *at == known->second ? taskObjects.begin() + (at - taskObjectOrders.begin())
                                                                : taskObjects.end();
}

int CTask::removeTaskObject(CTaskObject* object)
{
    auto it = findTaskObjectEntry(object);
    if (it == taskObjects.end())
        return -1;
    if (object->getParent() == this)
        object->setParent(nullptr);
    taskObjectOrders.erase(taskObjectOrders.begin() + (it - taskObjects.begin()));
    taskObjects.erase(it);
    taskObjectOrder.erase(object);
    for (ObjectPass* pass = activePass; pass; pass = pass->outer)
        if (pass->current == object)
            pass->currentRemoved = true;
    return 0;
}

int CTask::setRenderingPriority(CRenderingTaskObject* object, int32_t priority)
{
    Kavro::CAutoLock guard(lock);
    removeRenderingObject(object);
    return addRenderingObject(object, priority);
}

int32_t CTask::getRenderingPriority(CRenderingTaskObject* object)
{
    Kavro::CAutoLock guard(lock);
    const auto known = renderingRecordOf.find(object);
    return known == renderingRecordOf.end() ? noPriority : known->second.priority;
}

CTaskObject* CTask::findTaskObject(const std::string& name)
{
    Kavro::CAutoLock guard(lock);
    for (CTaskObject* object : taskObjects)
        if (object->getName() == name)
            return object;
    return nullptr;
}

bool CTask::isTopTask() const
{
    const CApp* app = CApp::get();
    return app && app->getTopTask() == this;
}

Kavro::IMouse* CTask::getMouse(int force)
{
    CApp* app = CApp::get();
    if (!app)
        return nullptr;
    return force || isTopTask() ? app->mouse : app->nullMouse;
}

Kavro::ITouch* CTask::getTouch(int force)
{
    CApp* app = CApp::get();
    if (!app)
        return nullptr;
    return force || isTopTask() ? app->touch : app->nullTouch;
}

Kavro::IKeyboard* CTask::getKeyboard(int force)
{
    CApp* app = CApp::get();
    if (!app)
        return nullptr;
    return force || isTopTask() ? app->keyboard : app->nullKeyboard;
}

Kavro::IGamepad* CTask::getGamepad(int force)
{
    CApp* app = CApp::get();
    if (!app)
        return nullptr;
    return force || isTopTask() ? app->gamepad : app->nullGamepad;
}

int CTask::isKeyDown(int key, int mode, uint32_t interval)
{
    return input.isKeyDown(getKeyboard(0), key, mode, interval, milliTimeNow());
}

int CTask::isKeyUp(int key)
{
    return input.isKeyUp(getKeyboard(0), key);
}

int CTask::isButtonDown(int pad, int mask, int mode, uint32_t interval)
{
    return input.isButtonDown(getGamepad(0), pad, mask, mode, interval, milliTimeNow());
}

int CTask::isButtonUp(int pad, int mask)
{
    return input.isButtonUp(getGamepad(0), pad, mask);
}

int CTask::updateInput()
{
    if (backSurface)
        backSurface->getTargetObject()->update();
    input.update(getKeyboard(0), getGamepad(0), milliTimeNow());
    return 0;
}

int CTask::clearSceneTarget()
{
    const CApp* app = CApp::get();
    return app && app->sceneManager ? app->sceneManager->setRenderTarget(nullptr) : -1;
}

int CTask::finishSceneTarget()
{
    const CApp* app = CApp::get();
    return app && app->sceneManager ? app->sceneManager->finishRender() : -1;
}

int CTask::printf(const char* format, ...)
{
    std::vector<char> buffer(65536, 0);
    va_list args;
    va_start(args, format);
    const int result = std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return result;
}

intptr_t CTask::windowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    Kavro::ICore* core = appCore();
    if (message != Kavro::WM_CLOSE)
        return core ? core->defWindowProc(window, message, wParam, lParam) : 0;
    if (closeHandler)
        closeHandler->call();
    else if (core)
        core->postQuitMessage(0);
    return 0;
}

template <typename Step> void CTask::forEachTaskObject(Step step)
{
    ObjectPass pass;
    pass.outer = activePass;
    activePass = &pass;
    for (size_t k = 0; k < taskObjects.size(); ++k)
    {
        CTaskObject* object = taskObjects[k];
        const size_t count = taskObjects.size();
        pass.current = object;
        pass.currentRemoved = false;
        step(object);
        if (pass.currentRemoved)
            break;
        if (taskObjects.size() != count)
            k = size_t(findTaskObjectEntry(object) - taskObjects.begin());
    }
    activePass = pass.outer;
}

void CTask::updateObjects()
{
    forEachTaskObject([](CTaskObject* object) { object->update(); });
}

int CTask::releaseObjects()
{
    setCloseHandler(nullptr);
    forEachTaskObject([](CTaskObject* object) { object->onTaskRelease(); });
    return 0;
}

void CTask::sortByCameraDepth(RenderList& list, Kavro::ICamera* camera)
{
    std::vector<size_t> places;
    std::vector<std::pair<float, CRenderingTaskObject*>> members;
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (!list[i].object->isInCamera(camera))
            continue;
        places.push_back(i);
        members.emplace_back(list[i].object->getCameraDepth(camera), list[i].object);
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = 0; i < places.size(); ++i)
        list[places[i]].object = members[i].second;
}

int CTask::prepareFrame()
{
    if (backSurface)
        backSurface->getTargetObject()->render();
    for (size_t i = 0; i < renderingObjects.size(); ++i)
        renderingObjects[i].object->render();

    renderLists.resize(renderTargets.size());
    for (RenderList& list : renderLists)
    {
        list.clear();
        list.reserve(renderingObjects.size());
    }

    std::vector<Kavro::ICamera*> cameras;
    for (CTaskObject* object : taskObjects)
        if (object->isCamera() && object->getCamera())
            cameras.push_back(object->getCamera());

    for (size_t i = renderTargets.size(); i-- > 0;)
    {
        IRenderTarget* target = renderTargets[i];
        for (const RenderingRecord& record : renderingObjects)
            if (record.object->getSurface() == target)
                renderLists[i].push_back({record.priority, record.object});
        for (Kavro::ICamera* camera : cameras)
            sortByCameraDepth(renderLists[i], camera);
    }
    return 0;
}

int CTask::findRenderTarget(IRenderTarget* target) const
{
    auto it = std::find(renderTargets.begin(), renderTargets.end(), target);
    return it == renderTargets.end() ? -1 : int(it - renderTargets.begin());
}

const CTask::RenderList* CTask::renderListOf(IRenderTarget* target) const
{
    const int position = findRenderTarget(target);
    return position >= 0 && size_t(position) < renderLists.size() ? &renderLists[position] : nullptr;
}

int CTask::drawRenderTarget(IRenderTarget* target, IRenderTarget* source, int32_t limit)
{
    IRenderTarget* listOwner = source ? source : target;
    if (!target || findRenderTarget(listOwner) < 0 || !enterTarget(target))
        return -1;
    drawPass(target, renderListOf(listOwner), limit, nullptr);
    leaveTarget(target);
    return 0;
}

void CTask::drawPass(IRenderTarget* target, const RenderList* list, int32_t limit,
                     const std::vector<IRenderTarget*>* delayedTargets)
{
    // A refused pass draws nothing: its objects would land in whatever target is current.
    if (target->beginRender() >= 0)
    {
        CRenderListDrawer drawer(*this, target, renderListOf(target));
        drawer.setDelayedTargets(delayedTargets);
        for (size_t i = 0; list && i < list->size(); ++i)
            if (limit == noPriority || (*list)[i].priority < limit)
                drawer.drawEntry((*list)[i]);
        drawer.closeBatch();
    }
    target->endRender();
}

bool CTask::enterTarget(IRenderTarget* target)
{
    if (contains(targetsBeingDrawn, target))
        return false;
    targetsBeingDrawn.push_back(target);
    return true;
}

void CTask::leaveTarget(IRenderTarget* target)
{
    std::erase(targetsBeingDrawn, target);
}

IRenderTarget* CTask::getBackSurface()
{
    return backSurface;
}

int CTask::clearRenderLists()
{
    clear();
    renderLists.clear();
    if (backSurface)
        renderTargets.push_back(backSurface);
    return 0;
}

void CTask::setCloseHandler(ITaskCallback* handler)
{
    if (handler)
        handler->addRef();
    ITaskCallback* previous = closeHandler;
    closeHandler = handler;
    if (previous)
        previous->release();
}

int CTask::initialize()
{
    if (!backSurface)
        backSurface = createBackSurface();
    finished = 0;
    return 0;
}

int CTask::terminate()
{
    return 0;
}

IRenderTarget* CTask::createBackSurface()
{
    return new CBackSurfaceTarget(*this);
}

// Textures.

int CTask::loadTexture(const std::string& name)
{
    const CApp* app = CApp::get();
    if (app)
    {
        auto shared = app->sharedObjects.find(name);
        if (shared != app->sharedObjects.end() && shared->second)
            return 0;
    }
    if (textures.count(name))
        return -1;
    Kavro::IRenderDevice* device = appRenderDevice();
    Kavro::ITexture* texture = device ? device->loadTexture(name.c_str(), 1, 0) : nullptr;
    if (!texture)
        return -1;
    textures[name] = texture;
    return 0;
}

int CTask::unloadTexture(const std::string& name)
{
    auto it = textures.find(name);
    if (it == textures.end())
        return -1;
    it->second->release();
    textures.erase(it);
    return 0;
}

Kavro::ITexture* CTask::findTexture(const std::string& name)
{
    if (auto it = textures.find(name); it != textures.end())
        return it->second;
    const CApp* app = CApp::get();
    if (!app)
        return nullptr;
    auto shared = app->sharedObjects.find(name);
    return shared == app->sharedObjects.end() ? nullptr : dynamic_cast<Kavro::ITexture*>(shared->second);
}

// Factories. The objects they build belong to the sprite, text, sound and particle classes; until
// those exist here, each factory gathers and drops what it would hand over and answers null.

Kavro::ITexture* CTask::acquireTexture(const std::string& name)
{
    if (Kavro::ITexture* texture = findTexture(name))
    {
        texture->addRef();
        return texture;
    }
    Kavro::IRenderDevice* device = appRenderDevice();
    return device ? device->loadTexture(name.c_str(), 1, 0) : nullptr;
}

int CTask::requestSoundHandle()
{
    const CApp* app = CApp::get();
    return app && app->soundDevice ? app->soundDevice->requestHandle(-4096, -1) : 0;
}

namespace
{

// A textured sprite over the texture, with a negative x standing for the whole texture; the sprite holds
// its own reference to the texture.
std::array<int32_t, 4> wholeTextureRect(Kavro::ITexture* texture)
{
    return {0, 0, texture->getSize()[0], texture->getSize()[1]};
}

CSprite* buildSprite(Kavro::ITexture* texture, const Kavro::Vector2D& position, int x, int y, int width, int height)
{
    const int32_t rect[4] = {x, y, width, height};
    CSprite* sprite = new CSprite(texture, position, x < 0 ? wholeTextureRect(texture).data() : rect);
    sprite->create();
    return sprite;
}

// A player of the core with the file opened, or null.
Kavro::IMovie* openMoviePlayer(const std::string& movieName, int mode)
{
    CApp* app = CApp::get();
    Kavro::IMovie* player = app && app->getCore() ? app->getCore()->openMovie() : nullptr;
    if (player && player->open(movieName.c_str(), mode) < 0)
    {
        player->release();
        return nullptr;
    }
    return player;
}

// Builds a movie sprite or mask over the player and drops the factory's reference to it. A sprite
// whose frame texture could not be made is refused: it would never show the movie.
template <class Sprite> Sprite* buildMovieSprite(Kavro::IMovie* player, const Kavro::Vector2D& position)
{
    if (!player)
        return nullptr;
    auto* sprite = new Sprite(player, position);
    player->release();
    if (!sprite->getTexture())
    {
        sprite->release();
        return nullptr;
    }
    sprite->create();
    return sprite;
}

} // namespace

CSprite* CTask::createSprite(const std::string& textureName, const Kavro::Vector2D& position, int x, int y,
                             int width, int height)
{
    Kavro::ITexture* texture = acquireTexture(textureName);
    if (!texture)
        return nullptr;
    CSprite* sprite = buildSprite(texture, position, x, y, width, height);
    texture->release();
    return sprite;
}

CSprite* CTask::createSpriteSubresource(const std::string& textureName, const Kavro::Vector2D& position,
                                        int subresource)
{
    Kavro::IRenderDevice* device = appRenderDevice();
    Kavro::ITexture* texture = device ? device->loadTexture(textureName.c_str(), 1, subresource) : nullptr;
    if (!texture)
        return nullptr;
    CSprite* sprite = buildSprite(texture, position, -1, 0, 0, 0);
    texture->release();
    return sprite;
}

CSprite* CTask::createSpriteFromTexture(Kavro::ITexture* texture, const Kavro::Vector2D& position, int x, int y,
                                        int width, int height)
{
    if (!texture)
        return nullptr;
    return buildSprite(texture, position, x, y, width, height);
}

CSprite* CTask::createMovieSprite(const std::string& movieName, int mode, const Kavro::Vector2D& position)
{
    return buildMovieSprite<CSprite>(openMoviePlayer(movieName, mode), position);
}

CSpriteMask* CTask::createSpriteMask(const std::string& textureName, const Kavro::Vector2D& position, int x, int y,
                                     int width, int height)
{
    Kavro::ITexture* texture = acquireTexture(textureName);
    if (!texture)
        return nullptr;
    const int32_t rect[4] = {x, y, width, height};
    auto* mask = new CSpriteMask(texture, position, x < 0 ? wholeTextureRect(texture).data() : rect);
    // A mask the library cannot make is handed out all the same: it draws nothing.
    mask->create();
    texture->release();
    return mask;
}

CSpriteMask* CTask::createSpriteMaskColor(int width, int height, const Kavro::Vector2D& position)
{
    const int32_t rect[4] = {0, 0, width, height};
    auto* mask = new CSpriteMask(position, rect);
    mask->create();
    return mask;
}

CSpriteMask* CTask::createMovieSpriteMask(const std::string& movieName, int mode)
{
    return buildMovieSprite<CSpriteMask>(openMoviePlayer(movieName, mode), Kavro::Vector2D(0.0f, 0.0f));
}

CSpriteRenderTarget* CTask::createRenderTarget(uint32_t flags, const std::string& name, int width, int height,
                                               const Kavro::Vector2D& position)
{
    Kavro::IRenderDevice* device = appRenderDevice();
    if (!device)
        return nullptr;
    Kavro::ITexture* surface =
        name.empty() ? device->createRenderTexture(width, height, 4, 0, int(flags), 0)
                     : device->createNamedRenderTexture(("suf://" + name).c_str(), width, height, 4, int(flags));
    if (!surface)
        return nullptr;
    auto* target = new CSpriteRenderTarget(surface, position);
    target->create();
    surface->release();
    return target;
}

CText* CTask::createText(int kind)
{
    const Kavro::Vector2D screen = CFrame::getScreenSize();
    const int32_t size[2] = {int32_t(screen.x), int32_t(screen.y)};
    if (kind == 1)
        return new CTextEnglish("", size);
    if (kind == 2)
        return new CTextVertical("", size);
    return new CText("", size);
}

namespace
{
// Effects are played several at once: a loaded sound opens this many instances.
constexpr uint32_t loadedInstances = 10;

// The sound opened by the call, or null (the sound released) when it failed.
template <class Sound, class Open> Sound* openedSound(Sound* sound, Open open)
{
    if (open(sound) >= 0)
        return sound;
    sound->release();
    return nullptr;
}
} // namespace

CSound* CTask::createSound(const std::string& fileName)
{
    const uint32_t handle = uint32_t(requestSoundHandle());
    return openedSound(new CSound(fileName), [&](CSound* s) { return s->create(handle, 1.0f, fileName); });
}

CSound3D* CTask::createSound3D(const std::string& fileName)
{
    const uint32_t handle = uint32_t(requestSoundHandle());
    return openedSound(new CSound3D(fileName), [&](CSound3D* s) { return s->create(handle, 1.0f, fileName); });
}

CSound* CTask::loadSound(const std::string& fileName)
{
    const uint32_t handle = uint32_t(requestSoundHandle());
    return openedSound(new CSound(fileName),
                       [&](CSound* s) { return s->load(handle, 1.0f, fileName, loadedInstances); });
}

CSound3D* CTask::loadSound3D(const std::string& fileName)
{
    const uint32_t handle = uint32_t(requestSoundHandle());
    return openedSound(new CSound3D(fileName),
                       [&](CSound3D* s) { return s->load(handle, 1.0f, fileName, loadedInstances); });
}

CParticle* CTask::createParticle(const std::string& name, const Particle::CParticleParameter& definition)
{
    auto* particle = new CParticle(name, definition);
    if (particle->create() >= 0)
        return particle;
    particle->release();
    return nullptr;
}

} // namespace Orvane
