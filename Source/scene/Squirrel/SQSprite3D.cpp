#include "scene/Squirrel/SQSprite3D.h"

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"
#include "script/SqPlus.h"
#include "script/Squirrel/ScriptResults.h"

#include <kavro/ICore.h>
#include <kavro/IMovie.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISprite3D.h>
#include <kavro/ITexture.h>
#include <kavro/Vector4D.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace Orvane::Squirrel
{

using Kavro::Matrix4x4;
using Kavro::Vector3D;

namespace
{

// Movies play as sounds of this type.
constexpr uint32_t MovieSoundType = 4;

// A colour factor as a byte: 1.0 is 255, anything outside 0..1 stays at the nearer end.
uint8_t colourByte(float factor)
{
    const float scaled = factor * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    return scaled >= 255.0f ? 255 : uint8_t(scaled);
}

template <typename T> void releaseInto(T*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

} // namespace

SQSprite3D::SQSprite3D(const char* name) : SQRenderer<Kavro::ISprite3D>(name ? name : "")
{
    fadeValue.set(1.0f, 1.0f, 0, 0);
    const Vector3D one(1.0f, 1.0f, 1.0f);
    scaleValue.set(one, one, 0, 0);
    colour.set(one, one, 0, 0);
    volume.set(1.0f, 1.0f, 0, 0);
}

SQSprite3D::~SQSprite3D()
{
    releaseAll();
}

void SQSprite3D::releaseAll()
{
    size = Kavro::Vector2D();
    std::fill(std::begin(sourceRect), std::end(sourceRect), 0);
    sceneObject.hold(nullptr);
    releaseInto(engine);
    releaseInto(movie);
    releaseInto(movieTexture);
    if (volumeControl)
    {
        CApp* app = CApp::get();
        if (app && app->soundManager)
            app->soundManager->removeVolumeControl(volumeControl);
        else
            delete volumeControl;
        volumeControl = nullptr;
    }
}

// ---- Creation

void SQSprite3D::buildQuad(const uint8_t (&bytes)[4])
{
    const int mode = 1, reserved = 0;
    engine->begin(mode, reserved);
    const Kavro::Vector2D quadSize{float(sourceRect[2]), float(sourceRect[3])};
    const Kavro::Vector4D source{float(sourceRect[0]), float(sourceRect[1]), float(sourceRect[2]),
                                 float(sourceRect[3])};
    engine->drawQuad(Matrix4x4(), quadSize, bytes, source);
    engine->end();
}

int SQSprite3D::buildSprite(Kavro::ITexture* texture, const Vector3D& at)
{
    CApp* app = CApp::get();
    engine = app->renderDevice->createSprite3D(1, texture);
    if (!engine)
        return -1;
    position.set(at, at, 0, 0);
    const int32_t* textureSize = texture->getSize();
    sourceRect[0] = 0;
    sourceRect[1] = 0;
    sourceRect[2] = textureSize[0];
    sourceRect[3] = textureSize[1];
    const uint8_t white[4] = {255, 255, 255, 255};
    buildQuad(white);
    size = Kavro::Vector2D(float(texture->getSize()[0]), float(texture->getSize()[1]));
    return 0;
}

int SQSprite3D::create(float x, float y, float z, const char* imageName)
{
    CApp* app = CApp::get();
    Kavro::ITexture* texture = app->renderDevice->loadTexture(imageName ? imageName : "", 0, 0);
    if (!texture)
        return -1;
    releaseAll();
    const int built = buildSprite(texture, Vector3D(x, y, z));
    texture->release();
    if (built < 0)
        return -1;
    Kavro::ISceneSprite* sceneSprite = app->sceneManager->addSprite3D(engine);
    if (!sceneSprite)
    {
        releaseAll();
        return -1;
    }
    sceneObject.hold(sceneSprite);
    sceneSprite->release();
    sceneSprite->setOption(2);
    sceneSprite->setBlendMode(1);
    const int depthTest = 1, depthWrite = 1, lit = 1;
    sceneSprite->setFlagPair(depthTest, depthWrite);
    sceneSprite->setFlag(lit);
    // The first render places the sprite and colours its quad.
    transformDirty = 1;
    colourDirty = 1;
    return 0;
}

int SQSprite3D::createMovie(float x, float y, float z, const char* movieName, int openMode)
{
    CApp* app = CApp::get();
    Kavro::IMovie* opened = app->getCore()->openMovie();
    if (!opened)
        return -1;
    releaseAll();
    movie = opened;
    // A movie that cannot be opened stays held, idle.
    if (movie->open(movieName ? movieName : "", openMode) < 0)
        return -1;
    movieTexture = app->renderDevice->createMovieTexture(movie->getWidth(), movie->getHeight());
    if (!movieTexture || buildSprite(movieTexture, Vector3D(x, y, z)) < 0)
    {
        releaseAll();
        return -1;
    }
    Kavro::ISceneSprite* sceneSprite = app->sceneManager->addSprite3D(engine);
    if (!sceneSprite)
    {
        releaseAll();
        return -1;
    }
    sceneObject.hold(sceneSprite);
    sceneSprite->release();
    sceneSprite->setOption(2);
    sceneSprite->setBlendMode(1);
    const int depthTest = 1, depthWrite = 1, lit = 1;
    sceneSprite->setFlagPair(depthTest, depthWrite);
    sceneSprite->setFlag(lit);
    volumeControl = new CVolumeControl;
    app->soundManager->addVolumeControl(volumeControl);
    volumeControl->typeVolume = app->soundManager->getTypeVolume(MovieSoundType);
    transformDirty = 1;
    colourDirty = 1;
    return 0;
}

// ---- Passes

void SQSprite3D::followSpline()
{
    position.value = spline.current;
    position.scaledValue = spline.current * position.valueScale;
}

int SQSprite3D::update()
{
    if (volume.update())
        applyMovieVolume();
    else if (volumeControl)
    {
        const CSoundTypeVolume* type = volumeControl->typeVolume;
        if (volumeControl->changed || (type && (type->running || type->wasRunning)))
            applyMovieVolume();
    }
    colourDirty |= colour.update();
    colourDirty |= fadeValue.update();
    transformDirty |= rotation.update();
    transformDirty |= scaleValue.update();
    transformDirty |= position.update();
    if (spline.update())
    {
        transformDirty = 1;
        followSpline();
    }
    return 0;
}

void SQSprite3D::colourBytes(uint8_t (&out)[4]) const
{
    const Vector3D& c = colour.scaledValue;
    out[0] = colourByte(c.x);
    out[1] = colourByte(c.y);
    out[2] = colourByte(c.z);
    out[3] = colourByte(fadeValue.scaledValue);
}

Matrix4x4 SQSprite3D::worldMatrix() const
{
    const Vector3D offset((center.x - 0.5f) * size.x + pivot.x, (center.y - 0.5f) * size.y + pivot.y, pivot.z);
    const Vector3D& s = scaleValue.scaledValue;
    const Vector3D& r = rotation.scaledValue;
    const Vector3D& t = position.scaledValue;
    const Vector3D back = -offset;
    Matrix4x4 m;
    m *= Matrix4x4::GetTranslation(back.x, back.y, back.z);
    m *= Matrix4x4::GetScaling(s.x, s.y, s.z);
    m *= Matrix4x4::GetRotationZXY(r.x, r.y, r.z);
    m *= Matrix4x4::GetTranslation(t.x, t.y, t.z);
    return m;
}

int SQSprite3D::render()
{
    sceneObject.visible = erase == 0 ? 1 : 0;
    Kavro::ISceneSprite* sceneSprite = sceneObject.get();
    if (!sceneSprite)
        return -1;
    if (colourDirty)
    {
        colourBytes(quadColour);
        buildQuad(quadColour);
        colourDirty = 0;
    }
    if (transformDirty)
    {
        sceneSprite->setWorldMatrix(worldMatrix());
        transformDirty = 0;
    }
    return 0;
}

int SQSprite3D::draw()
{
    if (!sceneObject.get())
        return -1;
    markFlag();
    return 0;
}

void SQSprite3D::setTimeScale(float scale)
{
    timeScale = scale;
    fadeValue.timeScale = scale;
    scaleValue.timeScale = scale;
    rotation.timeScale = scale;
    position.timeScale = scale;
    colour.timeScale = scale;
    spline.progress.timeScale = scale;
    if (movie)
        movie->setSpeed(scale);
    SQRenderingObject::setTimeScale(scale);
}

// ---- Colour and placement

void SQSprite3D::setBlendMode(int mode)
{
    if (Kavro::ISceneSprite* sceneSprite = sceneObject.get())
        sceneSprite->setBlendMode(mode);
}

void SQSprite3D::setColor(float r, float g, float b, int time, int easing)
{
    colour.set(colour.value, Vector3D(r, g, b), ScriptTime(time), easing);
    colourDirty = 1;
}

void SQSprite3D::getColor()
{
    const Vector3D& c = colour.scaledValue;
    SetScriptResults({c.x, c.y, c.z});
}

void SQSprite3D::fade(float alpha, int time, int easing)
{
    fadeValue.set(fadeValue.value, alpha, ScriptTime(time), easing);
    colourDirty = 1;
}

float SQSprite3D::getFade()
{
    return fadeValue.scaledValue;
}

void SQSprite3D::move(float x, float y, float z, int time, int easing)
{
    position.set(position.value, Vector3D(x, y, z), ScriptTime(time), easing);
    transformDirty = 1;
}

void SQSprite3D::scale(float x, float y, float z, int time, int easing)
{
    scaleValue.set(scaleValue.value, Vector3D(x, y, z), ScriptTime(time), easing);
    transformDirty = 1;
}

void SQSprite3D::rotate(float x, float y, float z, int time, int easing)
{
    rotation.set(rotation.value, Vector3D(x, y, z), ScriptTime(time), easing);
    transformDirty = 1;
}

void SQSprite3D::setCenter(float x, float y)
{
    center = Vector3D(x, y, 0.0f);
    transformDirty = 1;
}

void SQSprite3D::setPivot(float x, float y)
{
    pivot = Vector3D(x, y, 0.0f);
    transformDirty = 1;
}

void SQSprite3D::getMove()
{
    const Vector3D& v = position.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQSprite3D::getScale()
{
    const Vector3D& v = scaleValue.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQSprite3D::getRotate()
{
    const Vector3D& v = rotation.scaledValue;
    SetScriptResults({v.x, v.y, v.z});
}

void SQSprite3D::getSize()
{
    SetScriptResults({size.x, size.y});
}

// ---- Spline

void SQSprite3D::resetSpline()
{
    spline.reset();
}

void SQSprite3D::setSpline(float x, float y, float z, int time, float weight)
{
    spline.addPoint(Vector3D(x, y, z), float(uint32_t(time)), weight);
}

void SQSprite3D::beginSpline(int duration, int easing)
{
    spline.begin(float(ScriptTime(duration)), easing);
    transformDirty = 1;
}

// ---- Movie

void SQSprite3D::play(int loop)
{
    if (movie)
        movie->play(loop == 1 ? -1 : loop);
}

void SQSprite3D::stop()
{
    if (movie)
        movie->stop();
}

void SQSprite3D::pause()
{
    if (movie)
        movie->pause();
}

void SQSprite3D::onResume()
{
    if (movie)
        movie->resume();
}

void SQSprite3D::setLoop(int loop)
{
    if (movie)
        movie->setLoop(loop == 1 ? -1 : loop);
}

void SQSprite3D::seek(int at)
{
    if (movie)
        movie->seek(at);
}

int SQSprite3D::getDurationTime()
{
    return movie ? movie->getDuration() : 0;
}

int SQSprite3D::getRemainTime()
{
    return movie ? movie->getDuration() - movie->getPosition() : 0;
}

int SQSprite3D::isPlaying()
{
    return movie ? movie->isPlaying() : 0;
}

int SQSprite3D::isPaused()
{
    return movie ? movie->isPaused() : 0;
}

void SQSprite3D::setVolume(float level, int time, int easing)
{
    volume.set(volume.value, level, ScriptTime(time), easing);
    if (!volume.active)
        applyMovieVolume();
}

float SQSprite3D::getVolume()
{
    return volume.scaledValue;
}

void SQSprite3D::addSoundGroup(const char* groupName, int level, float factor)
{
    CApp* app = CApp::get();
    if (!volumeControl || !app->soundManager)
        return;
    if (CSoundGroup* group = app->soundManager->findSoundGroup(groupName ? groupName : ""))
        volumeControl->addSoundGroup(group, level, factor);
}

void SQSprite3D::setVolumeControlFadeTime(float fadeInTime, int fadeInEasing, float fadeOutTime, int fadeOutEasing)
{
    if (!volumeControl)
        return;
    volumeControl->fadeInTime = fadeInTime;
    volumeControl->fadeInCurve = fadeInEasing;
    volumeControl->fadeOutTime = fadeOutTime;
    volumeControl->fadeOutCurve = fadeOutEasing;
}

void SQSprite3D::applyMovieVolume()
{
    if (!movie || !volumeControl)
        return;
    movie->setTexture(movieTexture);
    const CSoundTypeVolume* type = volumeControl->typeVolume;
    const float typeVolume = type ? type->volume.scaledValue : 1.0f;
    const float level = volumeControl->groupLevel * typeVolume;
    const bool silent = volume.scaledValue <= 0.0f;
    const int32_t audible = !silent && movie->isPlaying() && !movie->isPaused() && level > 0.0f ? 1 : 0;
    if (volumeControl->audible != audible)
        volumeControl->changed = 1;
    volumeControl->audible = audible;
    movie->setVolume(volumeControl->getVolume() * (silent ? 0.0f : volume.scaledValue) * level);
    volumeControl->changed = 0;
}

// ---- Running state and timers

int SQSprite3D::isFading()
{
    return int(fadeValue.active);
}

int SQSprite3D::isMoving()
{
    return int(position.active);
}

int SQSprite3D::isScaling()
{
    return int(scaleValue.active);
}

int SQSprite3D::isRotating()
{
    return int(rotation.active);
}

float SQSprite3D::getFadeTimer()
{
    return fadeValue.elapsed;
}

float SQSprite3D::getScaleTimer()
{
    return scaleValue.elapsed;
}

float SQSprite3D::getRotateTimer()
{
    return rotation.elapsed;
}

float SQSprite3D::getMoveTimer()
{
    return position.elapsed;
}

float SQSprite3D::getColorTimer()
{
    return colour.elapsed;
}

float SQSprite3D::getSplineTimer()
{
    return spline.progress.elapsed;
}

float SQSprite3D::getVolumeTimer()
{
    return volume.elapsed;
}

void SQSprite3D::setFadeTimer(float ms)
{
    fadeValue.setTime(ms);
    colourDirty = 1;
}

void SQSprite3D::setScaleTimer(float ms)
{
    scaleValue.setTime(ms);
    transformDirty = 1;
}

void SQSprite3D::setRotateTimer(float ms)
{
    rotation.setTime(ms);
    transformDirty = 1;
}

void SQSprite3D::setMoveTimer(float ms)
{
    position.setTime(ms);
    transformDirty = 1;
}

void SQSprite3D::setColorTimer(float ms)
{
    colour.setTime(ms);
    colourDirty = 1;
}

void SQSprite3D::setSplineTimer(float ms)
{
    // Before beginSpline the path has no keys and no point to stand on.
    if (spline.keys.empty())
        return;
    spline.setTimer(std::clamp(ms, 0.0f, spline.progress.duration));
    followSpline();
    transformDirty = 1;
}

void SQSprite3D::setVolumeTimer(float ms)
{
    volume.setTime(ms);
    applyMovieVolume();
}

// ---- The script class

void SQSprite3D::registerClass()
{
    using M = SQSprite3D;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQSprite3D");
    SqPlus::RegisterConstructor<M, const char*>(c);

    RegisterRenderingMethods<M>(c);
    SqPlus::RegisterInstance(c, static_cast<void (M::*)(float)>(&M::setTimeScale), "setTimeScale");

    SqPlus::RegisterInstance(c, &M::create, "create");
    SqPlus::RegisterInstance(c, &M::createMovie, "createMovie");

    SqPlus::RegisterInstance(c, &M::setBlendMode, "setBlendMode");
    SqPlus::RegisterInstance(c, &M::setColor, "setColor");
    SqPlus::RegisterInstance(c, &M::getColor, "getColor");
    SqPlus::RegisterInstance(c, &M::fade, "fade");
    SqPlus::RegisterInstance(c, &M::getFade, "getFade");

    SqPlus::RegisterInstance(c, &M::move, "move");
    SqPlus::RegisterInstance(c, &M::scale, "scale");
    SqPlus::RegisterInstance(c, &M::rotate, "rotate");
    SqPlus::RegisterInstance(c, &M::setCenter, "setCenter");
    SqPlus::RegisterInstance(c, &M::setPivot, "setPivot");
    SqPlus::RegisterInstance(c, &M::getMove, "getMove");
    SqPlus::RegisterInstance(c, &M::getScale, "getScale");
    SqPlus::RegisterInstance(c, &M::getRotate, "getRotate");
    SqPlus::RegisterInstance(c, &M::getSize, "getSize");

    SqPlus::RegisterInstance(c, &M::resetSpline, "resetSpline");
    SqPlus::RegisterInstance(c, &M::setSpline, "setSpline");
    SqPlus::RegisterInstance(c, &M::beginSpline, "beginSpline");

    SqPlus::RegisterInstance(c, &M::play, "play");
    SqPlus::RegisterInstance(c, &M::stop, "stop");
    SqPlus::RegisterInstance(c, &M::pause, "pause");
    SqPlus::RegisterInstance(c, &M::onResume, "onResume");
    SqPlus::RegisterInstance(c, &M::setLoop, "setLoop");
    SqPlus::RegisterInstance(c, &M::seek, "seek");
    SqPlus::RegisterInstance(c, &M::getDurationTime, "getDurationTime");
    SqPlus::RegisterInstance(c, &M::getDurationTime, "getTotalTime");
    SqPlus::RegisterInstance(c, &M::getRemainTime, "getRemainTime");
    SqPlus::RegisterInstance(c, &M::isPlaying, "isPlaying");
    SqPlus::RegisterInstance(c, &M::isPaused, "isPaused");
    SqPlus::RegisterInstance(c, &M::setVolume, "setVolume");
    SqPlus::RegisterInstance(c, &M::getVolume, "getVolume");
    SqPlus::RegisterInstance(c, &M::addSoundGroup, "addSoundGroup");
    SqPlus::RegisterInstance(c, &M::setVolumeControlFadeTime, "setVolumeControlFadeTime");

    SqPlus::RegisterInstance(c, &M::isFading, "isFading");
    SqPlus::RegisterInstance(c, &M::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &M::isScaling, "isScaling");
    SqPlus::RegisterInstance(c, &M::isRotating, "isRotating");

    SqPlus::RegisterInstance(c, &M::getFadeTimer, "getFadeTimer");
    SqPlus::RegisterInstance(c, &M::getScaleTimer, "getScaleTimer");
    SqPlus::RegisterInstance(c, &M::getRotateTimer, "getRotateTimer");
    SqPlus::RegisterInstance(c, &M::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &M::getColorTimer, "getColorTimer");
    SqPlus::RegisterInstance(c, &M::getSplineTimer, "getSplineTimer");
    SqPlus::RegisterInstance(c, &M::getVolumeTimer, "getVolumeTimer");
    SqPlus::RegisterInstance(c, &M::setFadeTimer, "setFadeTimer");
    SqPlus::RegisterInstance(c, &M::setScaleTimer, "setScaleTimer");
    SqPlus::RegisterInstance(c, &M::setRotateTimer, "setRotateTimer");
    SqPlus::RegisterInstance(c, &M::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &M::setColorTimer, "setColorTimer");
    SqPlus::RegisterInstance(c, &M::setSplineTimer, "setSplineTimer");
    SqPlus::RegisterInstance(c, &M::setVolumeTimer, "setVolumeTimer");
}

} // namespace Orvane::Squirrel
