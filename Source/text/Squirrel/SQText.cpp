#include "text/Squirrel/SQText.h"

#include "core/CApp.h"
#include "core/CFile.h"
#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "core/IRenderTarget.h"
#include "script/CSquirrel.h"
#include "script/Squirrel/SQFile.h"
#include "sprite/CEffectBlur.h"
#include "sprite/CEffectShake.h"
#include "sprite/CSpriteMask.h"
#include "sprite/Squirrel/SQDisplacementMap.h"

#include <kavro/Vector4D.h>

#include <array>

namespace Orvane::Squirrel
{

namespace
{

// SQMATH_RET_1 among the host's scratch values.
constexpr int firstResultValue = 14;

void returnFloats(const std::array<float, 4>& values)
{
    CSquirrel* host = CSquirrel::get();
    if (!host)
        return;
    for (int i = 0; i < 4; ++i)
        host->mathValue(firstResultValue + i) = values[size_t(i)];
}

std::array<float, 4> fourFloats(const Kavro::Vector4D& v)
{
    return {v.x, v.y, v.z, v.w};
}

// Script times are unsigned milliseconds.
uint32_t ms(int time)
{
    return uint32_t(time);
}

float msFloat(int time)
{
    return float(uint32_t(time));
}

bool validCorner(int corner)
{
    return corner >= 0 && corner <= 3;
}

} // namespace

PackedShake UnpackShake(int32_t packed, bool withSeed)
{
    const uint32_t p = uint32_t(packed);
    if (withSeed)
        return {p % 100, (p / 100) % 100, p / 10000};
    return {p % 100, p / 100, 0};
}

SQText::SQText(const char* name) : SQRenderer<CText>(name ? name : "")
{
    adoptText(0);
    // The text has no parent until initialize or link gives it one.
    engine->setParent(nullptr);
    setParent(nullptr);
}

SQText::~SQText()
{
    releaseText();
}

void SQText::adoptText(int kind)
{
    CTask* task = getTask();
    if (task)
        engine = task->createText(kind);
    if (!engine)
    {
        const Kavro::Vector2D screen = CFrame::getScreenSize();
        const int32_t size[2] = {int32_t(screen.x), int32_t(screen.y)};
        engine = new CText("", size);
    }
    engine->leaveTaskLists();
    engineObject = engine;
}

void SQText::releaseText()
{
    if (engine)
        engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

int SQText::initialize(int kind)
{
    releaseText();
    adoptText(kind);
    engine->setTimeScale(timeScale);
    engine->setParent(getTask());
    return 0;
}

int SQText::update()
{
    engine->update();
    return 0;
}

int SQText::draw()
{
    flag = 1;
    if (erase)
        return 0;
    if (!blur->isActive())
        return engine->draw();
    drawBlurred();
    return 0;
}

void SQText::drawBlurred()
{
    Kavro::Vector2D position = engine->getMove();
    if (CEffectShake* shakeEffect = engine->getShakeEffect(); shakeEffect && shakeEffect->isShaking())
    {
        position.x += shakeEffect->getOffset().x;
        position.y += shakeEffect->getOffset().y;
    }
    const Kavro::Vector2D scaleValue = engine->getScale();
    const Kavro::Vector3D at{position.x, position.y, 0.0f};
    const Kavro::Vector3D scaled{scaleValue.x, scaleValue.y, 0.0f};
    blur->update(at, scaled, engine->getRotate());
    blur->drawSamples(engine->getFade(), [&](const CEffectBlur::BlurSample& sample, float alpha) {
        const Kavro::Vector2D sampleScale(sample.scale.x, sample.scale.y);
        engine->drawInstance(&sample.position, alpha, &sampleScale, &sample.rotation);
    });
}

int SQText::render()
{
    if (erase || !engine)
        return 0;
    return engine->render();
}

int SQText::beginBatch(CBatchContext& batch)
{
    return engine ? engine->beginBatch(batch) : -1;
}

int SQText::addToBatch(CBatchContext& batch)
{
    if (!engine)
        return -1;
    return erase ? 0 : engine->addToBatch(batch);
}

int SQText::endBatch(CBatchContext& batch)
{
    return engine ? engine->endBatch(batch) : -1;
}

bool SQText::isBatched()
{
    return engine && engine->isBatched();
}

std::string SQText::getBatchKey()
{
    return engine ? engine->getBatchKey() : std::string();
}

void SQText::setTimeScale(float scale)
{
    SQRenderingObject::setTimeScale(scale);
    engine->setTimeScale(scale);
}

int32_t SQText::serialize(const char* fileObjectName)
{
    if (SQRenderingObject::serialize(fileObjectName) != 1)
        return 0;
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName);
    return file && engine->serialize(*file) == 1 ? 1 : 0;
}

int32_t SQText::deserialize(const char* fileObjectName)
{
    if (SQRenderingObject::deserialize(fileObjectName) != 1)
        return 0;
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName);
    return file && engine->deserialize(*file) == 1 ? 1 : 0;
}

CTaskObject* SQText::findObject(const char* name)
{
    return FindTaskObject(getTask(), name);
}

// ---- Creation, text and typing ----

int SQText::create(const char* text)
{
    engine->create(text);
    return 0;
}

void SQText::print(const char* text)
{
    engine->print(text);
}

void SQText::clear()
{
    engine->clear();
}

const char* SQText::getString()
{
    return engine->getString().c_str();
}

void SQText::link(const char* name)
{
    LinkToNamedObject(getTask(), *engine, name);
}

void SQText::beginType(int value)
{
    engine->beginType(value);
}

void SQText::resetType()
{
    engine->resetType();
}

void SQText::pushAll()
{
    engine->pushAll();
}

int SQText::isTyping()
{
    return engine->isTyping();
}

int SQText::getBeginType()
{
    return engine->getBeginType();
}

void SQText::setTypingSpeed(float value)
{
    engine->setTypingSpeed(value);
}

void SQText::setMinTypingTime(float value)
{
    engine->setMinTypingTime(value);
}

void SQText::setMaxTypingTime(float value)
{
    engine->setMaxTypingTime(value);
}

float SQText::getTypingSpeed()
{
    return engine->getTypingSpeed();
}

float SQText::getMinTypingTime()
{
    return engine->getMinTypingTime();
}

float SQText::getMaxTypingTime()
{
    return engine->getMaxTypingTime();
}

void SQText::setTypingThreshold(float fraction)
{
    engine->setTypingThreshold(int32_t(fraction * 255.0f));
}

float SQText::getTotalTime()
{
    return engine->getTotalTime();
}

float SQText::getRemainTime()
{
    return engine->getTotalTime() - getTypingTimer();
}

// ---- Layout settings ----

void SQText::setField(int width, int height)
{
    engine->setField(width, height);
}

void SQText::getFieldSize()
{
    const auto size = engine->getFieldSize();
    returnFloats({float(size[0]), float(size[1]), 0.0f, 0.0f});
}

void SQText::setPitchSpace(int wide, int narrow)
{
    engine->setPitchSpace(wide, narrow);
}

void SQText::setRowSpace(int space)
{
    engine->setRowSpace(space);
}

void SQText::setRubyOffset(int offset)
{
    engine->setRubyOffset(offset);
}

void SQText::setFont(const char* name)
{
    engine->setFont(name);
}

void SQText::setRubyFont(const char* name)
{
    engine->setRubyFont(name);
}

void SQText::setShadow(int type, int size, float density, float stampFactor)
{
    engine->setShadow(type, size, density, stampFactor);
}

void SQText::setShadowShadingParameter(int a, float b, float c)
{
    engine->setShadowShadingParameter(a, b, c);
}

// ---- Whole-text animation ----

void SQText::fade(float alpha, int time, int easing)
{
    engine->fade(alpha, ms(time), easing);
}

void SQText::move(float x, float y, int time, int easing)
{
    engine->move(x, y, ms(time), easing);
}

void SQText::scale(float x, float y, int time, int easing)
{
    engine->scale(x, y, ms(time), easing);
}

void SQText::rotate(float x, float y, float z, int time, int easing)
{
    engine->rotate(x, y, z, ms(time), easing);
}

void SQText::transition(float from, float to, float vague, const char* mask, int time, int easing)
{
    engine->loadTransitionMask(mask, 1);
    engine->transition(from, to, vague, ms(time), easing);
}

std::string SQText::getTransitionFilename()
{
    return engine->getTransitionFilename();
}

void SQText::shake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode, int duration,
                   int easing, int secondEasing)
{
    engine->shake(start, end, ms(period), ms(mode), ms(duration), easing, secondEasing);
}

void SQText::randomShake(const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode,
                         int duration, int easing, int secondEasing)
{
    engine->randomShake(start, end, ms(period), ms(mode), ms(duration), easing, secondEasing);
}

float SQText::getFade()
{
    return engine->getFade();
}

void SQText::getMove()
{
    const Kavro::Vector2D v = engine->getMove();
    returnFloats({v.x, v.y, 0.0f, 0.0f});
}

void SQText::getScale()
{
    const Kavro::Vector2D v = engine->getScale();
    returnFloats({v.x, v.y, 0.0f, 0.0f});
}

void SQText::getRotate()
{
    const Kavro::Vector3D v = engine->getRotate();
    returnFloats({v.x, v.y, v.z, 0.0f});
}

void SQText::getSize()
{
    const Kavro::Vector2D v = engine->getSize();
    returnFloats({v.x, v.y, 0.0f, 0.0f});
}

int SQText::isFading()
{
    return engine->isFading();
}

int SQText::isMoving()
{
    return engine->isMoving();
}

int SQText::isScaling()
{
    return engine->isScaling();
}

int SQText::isRotating()
{
    return engine->isRotating();
}

int SQText::isShaking()
{
    return engine->isShaking();
}

// ---- Paths ----

void SQText::resetSpline()
{
    engine->resetSpline();
}

void SQText::setSpline(float x, float y, float z, int time, float weight)
{
    engine->setSpline({x, y, z}, msFloat(time), weight);
}

void SQText::beginSpline(int time, int easing)
{
    engine->beginSpline(time, easing);
}

void SQText::resetBezier()
{
    engine->resetBezier();
}

void SQText::setBezier(float x, float y, float z)
{
    engine->setBezier({x, y, z});
}

void SQText::beginBezier(int time, int easing)
{
    engine->beginBezier(msFloat(time), easing);
}

// ---- Per-character and per-ruby effects ----

void SQText::fadeCharacter(int index, float alpha, int time, int easing)
{
    engine->fadeCharacter(index, alpha, ms(time), easing);
}

void SQText::moveCharacter(int index, int x, int y, int time, int easing)
{
    engine->moveCharacter(index, x, y, ms(time), easing);
}

void SQText::scaleCharacter(int index, float x, float y, int time, int easing)
{
    engine->scaleCharacter(index, x, y, ms(time), easing);
}

void SQText::rotateCharacter(int index, float x, float y, float z, int time, int easing)
{
    engine->rotateCharacter(index, x, y, z, ms(time), easing);
}

void SQText::shakeCharacter(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period,
                            int mode, int duration, int packed)
{
    const PackedShake p = UnpackShake(packed, false);
    engine->shakeCharacter(index, start, end, ms(period), ms(mode), ms(duration), p.easing,
                                            p.secondEasing);
}

void SQText::randomShakeCharacter(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period,
                                  int mode, int duration, int packed)
{
    const PackedShake p = UnpackShake(packed, true);
    engine->randomShakeCharacter(index, start, end, ms(period), ms(mode), ms(duration), p.easing,
                                                  p.secondEasing, p.seed);
}

void SQText::fadeRuby(int index, float alpha, int time, int easing)
{
    engine->fadeRuby(index, alpha, ms(time), easing);
}

void SQText::moveRuby(int index, int x, int y, int time, int easing)
{
    engine->moveRuby(index, x, y, ms(time), easing);
}

void SQText::scaleRuby(int index, float x, float y, int time, int easing)
{
    engine->scaleRuby(index, x, y, ms(time), easing);
}

void SQText::rotateRuby(int index, float x, float y, float z, int time, int easing)
{
    engine->rotateRuby(index, x, y, z, ms(time), easing);
}

void SQText::shakeRuby(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period, int mode,
                       int duration, int packed)
{
    const PackedShake p = UnpackShake(packed, false);
    engine->shakeRuby(index, start, end, ms(period), ms(mode), ms(duration), p.easing,
                                       p.secondEasing);
}

void SQText::randomShakeRuby(int index, const Kavro::Vector3D& start, const Kavro::Vector3D& end, int period,
                             int mode, int duration, int packed)
{
    const PackedShake p = UnpackShake(packed, true);
    engine->randomShakeRuby(index, start, end, ms(period), ms(mode), ms(duration), p.easing,
                                             p.secondEasing, p.seed);
}

// ---- Colours, rectangles and appearance ----

void SQText::setFontColor(int corner, float r, float g, float b, int time, int easing)
{
    engine->setFontColor(corner, r, g, b, msFloat(time), easing);
}

void SQText::setShadowColor(int corner, float r, float g, float b, int time, int easing)
{
    engine->setShadowColor(corner, r, g, b, msFloat(time), easing);
}

void SQText::setCharacterColor(int index, int corner, float r, float g, float b, int time, int easing)
{
    engine->setCharacterColor(index, corner, r, g, b, msFloat(time), easing);
}

void SQText::setRubyColor(int index, int corner, float r, float g, float b, int time, int easing)
{
    engine->setRubyColor(index, corner, r, g, b, msFloat(time), easing);
}

void SQText::getFontColor(int corner)
{
    std::array<float, 4> colour{};
    if (validCorner(corner))
        colour = fourFloats(engine->getFontColor(corner));
    returnFloats(colour);
}

void SQText::getShadowColor(int corner)
{
    std::array<float, 4> colour{};
    if (validCorner(corner))
        colour = fourFloats(engine->getShadowColor(corner));
    returnFloats(colour);
}

void SQText::getCharacterRect(int index)
{
    returnFloats(engine->getCharacterRect(index));
}

void SQText::getRubyRect(int index)
{
    returnFloats(engine->getRubyRect(index));
}

void SQText::setMask(const char* name)
{
    engine->setMask(nullptr);
    CTaskObject* found = findObject(name);
    // Only a sprite mask may become the text's mask; any other object counts as not found.
    if (auto* mask = found ? dynamic_cast<CSpriteMask*>(found->getFrame()) : nullptr)
        engine->setMask(mask);
}

void SQText::setDisplacementMap(const char* name)
{
    engine->setDisplacementMap(nullptr);
    // Only a displacement map displaces; any other object counts as not found.
    if (auto* binding = dynamic_cast<SQDisplacementMap*>(findObject(name)))
        if (CSpriteDisplacementMap* map = binding->getMap())
            engine->setDisplacementMap(map);
}

void SQText::setSurface(const char* name)
{
    engine->markDirty();
    CTaskObject* found = findObject(name);
    // Only a render target may become the surface; any other object counts as not found.
    engine->setSurface(found ? dynamic_cast<IRenderTarget*>(found->getFrame()) : nullptr);
}

void SQText::setDither(int enable, int width, int height, const char* texture)
{
    const std::string textureName = texture;
    engine->setDither(enable, width, height, textureName);
}

void SQText::setTextureFiltering(int mode)
{
    engine->setTextureFiltering(mode);
}

void SQText::setCenter(float x, float y)
{
    engine->setCenter(x, y);
}

void SQText::setPivot(float x, float y)
{
    engine->setPivot(x, y);
}

void SQText::setBlendMode(int mode)
{
    engine->setBlendMode(mode);
}

// ---- Timers ----

float SQText::getFadeTimer()
{
    return engine->getFadeTimer();
}

float SQText::getMoveTimer()
{
    return engine->getMoveTimer();
}

float SQText::getScaleTimer()
{
    return engine->getScaleTimer();
}

float SQText::getRotateTimer()
{
    return engine->getRotateTimer();
}

float SQText::getTransitionTimer()
{
    return engine->getTransitionTimer();
}

float SQText::getShakeTimer()
{
    return engine->getShakeTimer();
}

float SQText::getColorTimer(int corner)
{
    return engine->getColorTimer(corner);
}

float SQText::getTypingTimer()
{
    return engine->getTypingTimer();
}

float SQText::getSplineTimer()
{
    return engine->getSplineTimer();
}

float SQText::getBezierTimer()
{
    return engine->getBezierTimer();
}

void SQText::setFadeTimer(float elapsed)
{
    engine->setFadeTimer(elapsed);
}

void SQText::setMoveTimer(float elapsed)
{
    engine->setMoveTimer(elapsed);
}

void SQText::setScaleTimer(float elapsed)
{
    engine->setScaleTimer(elapsed);
}

void SQText::setRotateTimer(float elapsed)
{
    engine->setRotateTimer(elapsed);
}

void SQText::setTransitionTimer(float elapsed)
{
    engine->setTransitionTimer(elapsed);
}

void SQText::setShakeTimer(float elapsed)
{
    engine->setShakeTimer(elapsed);
}

void SQText::setColorTimer(int corner, float elapsed)
{
    engine->setColorTimer(corner, elapsed);
}

void SQText::setTypingTimer(float elapsed)
{
    engine->setTypingTimer(elapsed);
}

void SQText::setSplineTimer(float elapsed)
{
    engine->setSplineTimer(elapsed);
}

void SQText::setBezierTimer(float elapsed)
{
    engine->setBezierTimer(elapsed);
}

// ---- Registration ----

namespace
{
template <class R, class... A> void method(SquirrelObject& c, R (SQText::*m)(A...), const SQChar* name)
{
    SqPlus::RegisterInstance(c, m, name);
}
} // namespace

void SQText::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQText>("SQText");
    SqPlus::RegisterConstructor<SQText, const char*>(c);
    RegisterRenderingMethods<SQText>(c);
    method(c, &SQText::initialize, "initialize");
    method(c, &SQText::create, "create");
    method(c, &SQText::link, "link");
    method(c, &SQText::print, "print");
    method(c, &SQText::clear, "clear");
    method(c, &SQText::setField, "setField");
    method(c, &SQText::getFieldSize, "getFieldSize");
    method(c, &SQText::setPitchSpace, "setPitchSpace");
    method(c, &SQText::setRowSpace, "setRowSpace");
    method(c, &SQText::setRubyOffset, "setRubyOffset");
    method(c, &SQText::setFont, "setFont");
    method(c, &SQText::setRubyFont, "setRubyFont");
    method(c, &SQText::setShadow, "setShadow");
    method(c, &SQText::setShadowShadingParameter, "setShadowShadingParameter");
    method(c, &SQText::beginType, "beginType");
    method(c, &SQText::resetType, "resetType");
    method(c, &SQText::resetSpline, "resetSpline");
    method(c, &SQText::setSpline, "setSpline");
    method(c, &SQText::beginSpline, "beginSpline");
    method(c, &SQText::pushAll, "pushAll");
    method(c, &SQText::fade, "fade");
    method(c, &SQText::move, "move");
    method(c, &SQText::scale, "scale");
    method(c, &SQText::rotate, "rotate");
    method(c, &SQText::transition, "transition");
    method(c, &SQText::setTimeScale, "setTimeScale");
    method(c, &SQText::fadeCharacter, "fadeCharacter");
    method(c, &SQText::moveCharacter, "moveCharacter");
    method(c, &SQText::scaleCharacter, "scaleCharacter");
    method(c, &SQText::rotateCharacter, "rotateCharacter");
    method(c, &SQText::shakeCharacter, "shakeCharacter");
    method(c, &SQText::randomShakeCharacter, "randomShakeCharacter");
    method(c, &SQText::fadeRuby, "fadeRuby");
    method(c, &SQText::moveRuby, "moveRuby");
    method(c, &SQText::scaleRuby, "scaleRuby");
    method(c, &SQText::rotateRuby, "rotateRuby");
    method(c, &SQText::shakeRuby, "shakeRuby");
    method(c, &SQText::randomShakeRuby, "randomShakeRuby");
    method(c, &SQText::shake, "shake");
    method(c, &SQText::randomShake, "randomShake");
    method(c, &SQText::resetBezier, "resetBezier");
    method(c, &SQText::setBezier, "setBezier");
    method(c, &SQText::beginBezier, "beginBezier");
    method(c, &SQText::setMask, "setMask");
    method(c, &SQText::setSurface, "setSurface");
    method(c, &SQText::setDisplacementMap, "setDisplacementMap");
    method(c, &SQText::setDither, "setDither");
    method(c, &SQText::setTextureFiltering, "setTextureFiltering");
    method(c, &SQText::setCenter, "setCenter");
    method(c, &SQText::setPivot, "setPivot");
    method(c, &SQText::setBlendMode, "setBlendMode");
    method(c, &SQText::setFontColor, "setFontColor");
    method(c, &SQText::setCharacterColor, "setCharacterColor");
    method(c, &SQText::setRubyColor, "setRubyColor");
    method(c, &SQText::setShadowColor, "setShadowColor");
    method(c, &SQText::getFontColor, "getFontColor");
    method(c, &SQText::getShadowColor, "getShadowColor");
    SqPlus::RegisterInstance(c, static_cast<int (SQText::*)(int32_t, int32_t, float, int32_t, int32_t)>(&SQText::setBlur),
                             "setBlur");
    method(c, &SQText::setTypingSpeed, "setTypingSpeed");
    method(c, &SQText::setMinTypingTime, "setMinTypingTime");
    method(c, &SQText::setMaxTypingTime, "setMaxTypingTime");
    method(c, &SQText::getString, "getString");
    method(c, &SQText::getCharacterRect, "getCharacterRect");
    method(c, &SQText::getRubyRect, "getRubyRect");
    method(c, &SQText::getFade, "getFade");
    method(c, &SQText::getMove, "getMove");
    method(c, &SQText::getScale, "getScale");
    method(c, &SQText::getRotate, "getRotate");
    method(c, &SQText::getSize, "getSize");
    method(c, &SQText::isFading, "isFading");
    method(c, &SQText::isMoving, "isMoving");
    method(c, &SQText::isScaling, "isScaling");
    method(c, &SQText::isRotating, "isRotating");
    method(c, &SQText::isShaking, "isShaking");
    method(c, &SQText::isTyping, "isTyping");
    method(c, &SQText::getBeginType, "getBeginType");
    method(c, &SQText::getTransitionFilename, "getTransitionFilename");
    method(c, &SQText::getTotalTime, "getTotalTime");
    method(c, &SQText::getTotalTime, "getDurationTime");
    method(c, &SQText::getRemainTime, "getRemainTime");
    method(c, &SQText::getTypingSpeed, "getTypingSpeed");
    method(c, &SQText::getMinTypingTime, "getMinTypingTime");
    method(c, &SQText::getMaxTypingTime, "getMaxTypingTime");
    method(c, &SQText::setTypingThreshold, "setTypingThreshold");
    method(c, &SQText::getFadeTimer, "getFadeTimer");
    method(c, &SQText::getMoveTimer, "getMoveTimer");
    method(c, &SQText::getScaleTimer, "getScaleTimer");
    method(c, &SQText::getRotateTimer, "getRotateTimer");
    method(c, &SQText::getTransitionTimer, "getTransitionTimer");
    method(c, &SQText::getShakeTimer, "getShakeTimer");
    method(c, &SQText::getColorTimer, "getColorTimer");
    method(c, &SQText::getTypingTimer, "getTypingTimer");
    method(c, &SQText::getSplineTimer, "getSplineTimer");
    method(c, &SQText::getBezierTimer, "getBezierTimer");
    method(c, &SQText::setFadeTimer, "setFadeTimer");
    method(c, &SQText::setMoveTimer, "setMoveTimer");
    method(c, &SQText::setScaleTimer, "setScaleTimer");
    method(c, &SQText::setRotateTimer, "setRotateTimer");
    method(c, &SQText::setTransitionTimer, "setTransitionTimer");
    method(c, &SQText::setShakeTimer, "setShakeTimer");
    method(c, &SQText::setColorTimer, "setColorTimer");
    method(c, &SQText::setTypingTimer, "setTypingTimer");
    method(c, &SQText::setSplineTimer, "setSplineTimer");
    method(c, &SQText::setBezierTimer, "setBezierTimer");
    method(c, &SQText::serialize, "serialize");
    method(c, &SQText::deserialize, "deserialize");
}

} // namespace Orvane::Squirrel
