#include "sprite/Squirrel/SQSprite.h"

#include "core/CApp.h"
#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "core/CTask.h"
#include "core/ColourBytes.h"
#include "core/TaskObjectLinks.h"
#include "core/CTextureWacher.h"
#include "core/IRenderTarget.h"
#include "script/Squirrel/SQFile.h"
#include "sprite/CEffectBlur.h"
#include "sprite/CEffectShake.h"
#include "sprite/CNullSprite.h"
#include "sprite/CNullSpriteMask.h"
#include "sprite/Squirrel/SQDisplacementMap.h"

#include <kavro/IMovie.h>

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ITexture.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Orvane::Squirrel
{

SQSprite::SQSprite(const char* name) : SQRenderer<CSprite>(name ? name : "")
{
    engine = new CNullSprite;
    engine->leaveTaskLists();
}

SQSprite::~SQSprite()
{
    std::string captureName;
    if (isCapture() && engine && engine->getTexture())
        if (const char* name = engine->getTexture()->getFileName())
            captureName.assign(name, strnlen(name, 511));
    dropSprite();
    if (!captureName.empty())
        if (CApp* app = CApp::get(); app && app->textureWatcher) app->textureWatcher->notify(captureName);
}

void SQSprite::dropSprite()
{
    if (engine) engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

CTask* SQSprite::factoryTask() const
{
    if (CTask* own = getTask()) return own;
    const CApp* app = CApp::get();
    return app ? app->getTopTask() : nullptr;
}

int SQSprite::adopt(CSprite* made)
{
    dropSprite();
    const bool failed = made == nullptr;
    engine = failed ? new CNullSpriteMask : made;
    engine->leaveTaskLists();
    if (failed) return -1;
    engineObject = engine;
    engine->setTimeScale(timeScale);
    engine->setParent(getTask());
    if (getParent()) setParent(nullptr);
    return 0;
}

// ---- Creation

int SQSprite::create(const char* imageName, int x, int y, int w, int h)
{
    dropSprite();
    CTask* task = factoryTask();
    return adopt(task ? task->createSprite(imageName ? imageName : "", Kavro::Vector2D(), x, y, w, h)
                      : nullptr);
}

int SQSprite::createSubresource(const char* imageName, int x, int y, int w, int h)
{
    dropSprite();
    CTask* task = factoryTask();
    CSprite* made =
        task ? task->createSpriteSubresource(imageName ? imageName : "", Kavro::Vector2D(), 0) : nullptr;
    if (made && x >= 0)
    {
        const int32_t rect[4] = {x, y, w, h};
        made->setRect(rect);
    }
    return adopt(made);
}

int SQSprite::createColor(int width, int height, float r, float g, float b)
{
    dropSprite();
    const int32_t rect[4] = {0, 0, width, height};
    auto* made = new CSprite(Kavro::Vector2D(0.0f, 0.0f), rect);
    const uint8_t colour[4] = {UnitColourByte(r), UnitColourByte(g), UnitColourByte(b), 255};
    made->createColorTexture(colour);
    return adopt(made);
}

int SQSprite::createScreen(int x, int y, int w, int h)
{
    return createCapture(x, y, w, h, screenCapture);
}

int SQSprite::createScene(int x, int y, int w, int h)
{
    return createCapture(x, y, w, h, sceneCapture);
}

int SQSprite::createCapture(int x, int y, int w, int h, uint32_t& kindFlag)
{
    dropSprite();
    CApp* app = CApp::get();
    const std::string textureName = "suf://" + getName();
    Kavro::ITexture* texture = nullptr;
    if (app && app->renderDevice)
        texture = app->renderDevice->createNamedRenderTexture(textureName.c_str(), app->screenWidth,
                                                              app->screenHeight, 4, 1);
    if (app && app->textureWatcher) app->textureWatcher->watch(textureName);
    CTask* task = factoryTask();
    CSprite* made =
        task && texture ? task->createSpriteFromTexture(texture, Kavro::Vector2D(), x, y, w, h) : nullptr;
    if (texture) texture->release();
    if (made)
    {
        kindFlag = 1;
        captureEnabled = 1;
    }
    return adopt(made);
}

int SQSprite::createMovie(const char* movieName, int mode)
{
    dropSprite();
    CTask* task = factoryTask();
    return adopt(task ? task->createMovieSprite(movieName ? movieName : "", mode, Kavro::Vector2D(0.0f, 0.0f))
                      : nullptr);
}

// ---- Frame steps

int SQSprite::update()
{
    if (isCapture() && clearPending)
    {
        clearPending = 0;
        // The library's render textures keep their last contents when capture stops: nothing to reset.
    }
    return engine->update();
}

int SQSprite::draw()
{
    if (sceneCapture && captureEnabled && engine->getTexture())
    {
        CApp* app = CApp::get();
        if (app && app->sceneManager && app->sceneManager->setRenderTarget(engine->getTexture()) >= 0)
        {
            app->sceneManager->renderScene();
            app->sceneManager->finishRender();
            app->sceneManager->setRenderTarget(nullptr);
        }
        engine->refreshSceneSprite();
    }
    markFlag();
    if (erase) return 0;
    return drawSprite();
}

int SQSprite::drawSprite()
{
    if (!blur->isActive()) return engine->draw();
    // The blur draws the sprite itself, at its newest transform, among its ghosts.
    const Kavro::Vector3D moved = engine->getMove();
    Kavro::Vector3D at(moved.x, moved.y, 0.0f);
    if (CEffectShake* shake = engine->getShakeEffect(); shake && shake->isShaking())
    {
        at.x += shake->getOffset().x;
        at.y += shake->getOffset().y;
    }
    const Kavro::Vector2D scaled = engine->getScale();
    blur->update(at, Kavro::Vector3D(scaled.x, scaled.y, 0.0f), engine->getRotate());
    blur->draw(engine, engine->getFade());
    return 0;
}

int SQSprite::render()
{
    if (!erase) return engine->render();
    if (engine->isClickable()) engine->updateGeometry();
    // A hidden movie keeps time all the same.
    if (Kavro::IMovie* movie = engine->getMovie()) movie->updateFrame(nullptr);
    return 0;
}

bool SQSprite::isInCamera(Kavro::ICamera* camera)
{
    return !erase && engine->isInCamera(camera);
}

float SQSprite::getCameraDepth(Kavro::ICamera* camera)
{
    return engine->getCameraDepth(camera);
}

int SQSprite::drawsOnBackSurface()
{
    return screenCapture && captureEnabled ? 1 : 0;
}

int SQSprite::drawOnBackSurface()
{
    if (erase || !screenCapture || !captureEnabled || !engine->getTexture()) return 0;
    CApp* app = CApp::get();
    if (app && app->renderDevice) app->renderDevice->copyTexture(engine->getTexture(), nullptr, 0);
    engine->refreshSceneSprite();
    return 0;
}

void SQSprite::setTimeScale(float scale)
{
    engine->setTimeScale(scale);
    timeScale = scale;
}

// ---- Capture switch and movie verbs

bool SQSprite::isMovie()
{
    return engine->isMovie() != 0;
}

void SQSprite::captureOn(int32_t value)
{
    // Render textures need no start step: the next back-surface pass fills them.
    captureEnabled = uint32_t(value);
}

void SQSprite::captureOff()
{
    if (captureEnabled) clearPending = 1;
    captureEnabled = 0;
}

void SQSprite::setCapture(int on)
{
    if (!isCapture()) return;
    if (on)
        captureOn(on);
    else
        captureOff();
}

void SQSprite::play(int loop)
{
    if (isMovie())
        engine->play(loop);
    else if (isCapture())
        captureOn(1);
}

void SQSprite::stop()
{
    if (isMovie())
        engine->stop();
    else if (isCapture())
        captureOff();
}

void SQSprite::pause()
{
    if (isMovie())
        engine->pause();
    else if (isCapture() && captureEnabled)
        captureOff();
}

void SQSprite::onResume()
{
    if (isMovie())
        engine->onResume();
    else if (isCapture() && !captureEnabled)
        captureOn(1);
}

void SQSprite::setLoop(int loop)
{
    if (isMovie()) engine->setLoop(loop);
}

void SQSprite::seek(int position)
{
    if (isMovie()) engine->seek(position);
}

int SQSprite::getDurationTime()
{
    return isMovie() ? engine->getDurationTime() : 0;
}

int SQSprite::getRemainTime()
{
    if (!isMovie()) return 0;
    return engine->getDurationTime() - engine->getRemainTime();
}

int SQSprite::isPaused()
{
    if (isMovie()) return engine->isPaused();
    return isCapture() && !captureEnabled ? 1 : 0;
}

// ---- References by name

CTaskObject* SQSprite::findObject(const char* name) const
{
    return FindTaskObject(getTask(), name);
}

void SQSprite::link(const char* name)
{
    LinkToNamedObject(getTask(), *engine, name);
}

void SQSprite::setMask(const char* name)
{
    engine->setMask(nullptr);
    // Only a mask masks: a name that designates anything else counts as not found.
    CTaskObject* found = findObject(name);
    if (auto* mask = found ? dynamic_cast<CSpriteMask*>(found->getFrame()) : nullptr) engine->setMask(mask);
}

void SQSprite::setSurface(const char* name)
{
    engine->setSurface(nullptr);
    engine->invalidate();
    CTaskObject* found = findObject(name);
    if (auto* target = found ? dynamic_cast<IRenderTarget*>(found->getFrame()) : nullptr)
        engine->setSurface(target);
}

void SQSprite::setDisplacementMap(const char* name)
{
    engine->setDisplacementMap(nullptr);
    // Only a displacement map displaces: a name that designates anything else counts as not found.
    if (auto* binding = dynamic_cast<SQDisplacementMap*>(findObject(name)))
        if (CSpriteDisplacementMap* map = binding->getMap()) engine->setDisplacementMap(map);
}

void SQSprite::setCamera(const char* name, float distance, float fieldOfView)
{
    engine->setCamera(nullptr, -1.0f, 0.0f);
    CTaskObject* found = findObject(name);
    if (found && found->isCamera() && found->getCamera())
        engine->setCamera(found->getCamera(), distance, fieldOfView);
}

// ---- Save record

int32_t SQSprite::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file || !SQRenderingObject::serialize(fileObjectName)) return 0;
    return writeRecord(*file);
}

int32_t SQSprite::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file || !SQRenderingObject::deserialize(fileObjectName)) return 0;
    return readRecord(*file);
}

namespace
{

// The locked pixels of a capture texture: height rows of pitch bytes.
class LockedPixels
{
public:
    explicit LockedPixels(Kavro::ITexture* texture) : texture(texture)
    {
        if (texture && texture->lock(0, nullptr) >= 0)
        {
            locked = true;
            const int64_t size = int64_t(texture->getSize()[1]) * int64_t(texture->getPitch());
            if (texture->getData() && size > 0 && size <= int64_t(UINT32_MAX)) byteCount = uint32_t(size);
        }
    }
    ~LockedPixels()
    {
        if (locked) texture->unlock();
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;

    bool usable() const { return byteCount != 0; }
    uint32_t size() const { return byteCount; }
    void* data() const { return texture->getData(); }

private:
    Kavro::ITexture* texture;
    bool locked = false;
    uint32_t byteCount = 0;
};

} // namespace

int SQSprite::writeRecord(CFile& file)
{
    CChunkWriter writer(file);
    bool written = writer.marker() && engine->saveEffect(file) != 0;
    written = written && writer.fieldDword(captureEnabled);
    if (written)
    {
        const bool savePixels = keepsPixels() && engine->getTexture();
        LockedPixels pixels(savePixels ? engine->getTexture() : nullptr);
        if (pixels.usable())
            written =
                writer.fieldDword(pixels.size()) && file.write(pixels.data(), pixels.size()) == pixels.size();
        else
            written = writer.fieldDword(0);
    }
    return writer.close() && written ? 1 : 0;
}

int SQSprite::readRecord(CFile& file)
{
    CChunkReader reader(file);
    if (!reader.marker() || !reader.check(engine->loadEffect(file) != 0)) return reader.finish();
    uint32_t byteCount = 0;
    if (!reader.fieldDword(captureEnabled) || !reader.fieldDword(byteCount)) return reader.finish();
    const bool restorePixels = keepsPixels() && engine->getTexture();
    LockedPixels pixels(restorePixels ? engine->getTexture() : nullptr);
    if (byteCount != 0 && pixels.usable() && pixels.size() == byteCount)
        reader.check(file.read(pixels.data(), byteCount) == byteCount);
    else if (byteCount != 0)
        reader.check(file.seek(int64_t(byteCount)) == 0);
    return reader.finish();
}

} // namespace Orvane::Squirrel
