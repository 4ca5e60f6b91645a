#include "sprite/Squirrel/SQSpriteMask.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "core/CTask.h"
#include "script/Squirrel/SQFile.h"
#include "sprite/CNullSpriteMask.h"
#include "sprite/Squirrel/SQSpriteMethodTable.h"

#include <kavro/ISpriteQuad.h>

#include <cstring>

namespace Orvane::Squirrel
{

SQSpriteMask::SQSpriteMask(const char* name) : SQSprite(name)
{
    dropSprite();
    engine = new CNullSpriteMask;
    engine->leaveTaskLists();
    if (CTask* task = getTask()) task->setRenderingPriority(this, maskPriority);
}

// ---- Creation

int SQSpriteMask::create(const char* imageName, int x, int y, int w, int h)
{
    dropSprite();
    CTask* task = factoryTask();
    return adopt(task ? task->createSpriteMask(imageName ? imageName : "", Kavro::Vector2D(0.0f, 0.0f), x, y, w, h)
                      : nullptr);
}

int SQSpriteMask::createColor(int width, int height, float r, float g, float b)
{
    dropSprite();
    CTask* task = factoryTask();
    CSpriteMask* made = task ? task->createSpriteMaskColor(width, height, Kavro::Vector2D(0.0f, 0.0f)) : nullptr;
    if (made) made->setColor(-1, r, g, b, 0.0f, 0);
    return adopt(made);
}

int SQSpriteMask::createMovie(const char* movieName, int mode)
{
    dropSprite();
    CTask* task = factoryTask();
    return adopt(task ? task->createMovieSpriteMask(movieName ? movieName : "", mode) : nullptr);
}

// ---- References and mask settings

void SQSpriteMask::setMask(const char* name)
{
    const char* wanted = name ? name : "";
    if (getName() == wanted) return;
    engine->setMask(nullptr);
    if (!*wanted) return;
    // Only a mask masks, as for SQSprite; the masked mask then draws right after its mask.
    CTaskObject* found = findObject(wanted);
    auto* mask = found ? dynamic_cast<CSpriteMask*>(found->getFrame()) : nullptr;
    if (!mask) return;
    engine->setMask(mask);
    CTask* task = getTask();
    auto* rendering = dynamic_cast<CRenderingTaskObject*>(found);
    const int32_t priority = task && rendering ? task->getRenderingPriority(rendering) : CTask::noPriority;
    // A mask outside the task's rendering list has no priority to follow.
    if (task && priority != CTask::noPriority) task->setRenderingPriority(this, priority + 1);
}

void SQSpriteMask::setDiffuseOnly(int flag)
{
    if (Kavro::ISpriteQuad* quad = getMask()->maskObject) quad->setDiffuseOnly(flag);
}

void SQSpriteMask::getColorBalance()
{
    const Kavro::Vector3D value = engine->colorBalance.scaledValue;
    setResults({value.x, value.y, value.z, 0.0f});
}

// ---- Save record

int32_t SQSpriteMask::serialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file || !SQRenderingObject::serialize(fileObjectName)) return 0;
    CChunkWriter writer(*file);
    const bool written = writer.marker() && engine->saveEffect(*file) != 0;
    return writer.close() && written ? 1 : 0;
}

int32_t SQSpriteMask::deserialize(const char* fileObjectName)
{
    CFile* file = SQFile::findOpenFile(getTask(), fileObjectName ? fileObjectName : "");
    if (!file || !SQRenderingObject::deserialize(fileObjectName)) return 0;
    CChunkReader reader(*file);
    reader.check(reader.marker() && engine->loadEffect(*file) != 0);
    return reader.finish();
}

// ---- Method table

const std::vector<const char*>& SQSpriteMask::methodNames()
{
    static const std::vector<const char*> names = {
        "create", "createColor", "createMovie", "link", "fade", "move", "move3D", "moveVertex", "scale",
        "rotate", "transition", "shake", "randomShake", "scroll", "setMask", "setSurface",
        "setDisplacementMap", "setDither", "setCamera", "setBlendMode", "setCenter", "setPivot", "getSize",
        "getFade", "getMove", "getVertexMove", "getScale", "getRotate", "getScroll", "getVolume", "play",
        "stop", "pause", "onResume", "setVolume", "setLoop", "seek", "resetBezier", "setBezier",
        "beginBezier", "resetSpline", "setSpline", "beginSpline", "setBlur", "setDiffuseOnly", "setColor",
        "setColorBalance", "setColorHue", "setColorSaturation", "setColorBrightness", "setColorGlow",
        "setTimeScale", "setActionCompatibleMode", "getColor", "getColorBalance", "getColorHue",
        "getColorSaturation", "getColorBrightness", "getColorGlow", "setNegaposiPower", "setMonochromePower",
        "setShadingParameter", "setShadingPower", "getNegaposiPower", "getMonochromePower", "getShadingPower",
        "getShadingLevel", "getShadingDensity", "setColorLevel", "getColorLevelMin", "getColorLevelMax",
        "getColorLevelPower", "getDurationTime", "getRemainTime", "getTotalTime", "setTextureFiltering",
        "isFading", "isMoving", "isScaling", "isRotating", "isTransitioning", "isShaking", "isPlaying",
        "isPaused", "isCaptureEnabled", "getTransitionFilename", "setRadialBlur", "getRadialBlurPower",
        "getRadialBlurCenter", "setDirectionalBlur", "getDirectionalBlurPower", "getDirectionalBlurDirection",
        "setRipple", "getRippleCenter", "getRipplePower", "getRippleFrequency", "getRippleSpeed",
        "getRipplePhase", "setRipplePhase", "setRaster", "getRasterRotate", "getRasterPower",
        "getRasterFrequency", "getRasterSpeed", "getRasterPhase", "setRasterPhase", "setLens",
        "getLensCenter", "getLensPower", "getLensRadius", "splitFace", "clearSplitAction", "pushSplitAction",
        "beginSplitAction", "setUVOffset", "getUVOffset", "saveImage", "addSoundGroup",
        "setVolumeControlFadeTime", "isDeletedTexture", "getFadeTimer", "getMoveTimer", "getMoveVertexTimer",
        "getScaleTimer", "getRotateTimer", "getTransitionTimer", "getShakeTimer", "getScrollTimer",
        "getColorTimer", "getColorBalanceTimer", "getColorHueTimer", "getColorSaturationTimer",
        "getColorBrightnessTimer", "getColorGlowTimer", "getNegaposiPowerTimer", "getMonochromePowerTimer",
        "getShadingPowerTimer", "getRadialBlurTimer", "getDirectionalBlurTimer", "getSplineTimer",
        "getBezierTimer", "getColorLevelTimer", "getRippleTimer", "getRasterTimer", "getLensTimer",
        "getSplitActionTimer", "setFadeTimer", "setMoveTimer", "setMoveVertexTimer", "setScaleTimer",
        "setRotateTimer", "setTransitionTimer", "setShakeTimer", "setScrollTimer", "setColorTimer",
        "setColorBalanceTimer", "setColorHueTimer", "setColorSaturationTimer", "setColorBrightnessTimer",
        "setColorGlowTimer", "setNegaposiPowerTimer", "setMonochromePowerTimer", "setShadingPowerTimer",
        "setRadialBlurTimer", "setDirectionalBlurTimer", "setSplineTimer", "setBezierTimer",
        "setColorLevelTimer", "setRippleTimer", "setRasterTimer", "setLensTimer", "setSplitActionTimer",
        "serialize", "deserialize"};
    return names;
}

void SQSpriteMask::registerClass()
{
    using T = SQSpriteMask;
    SquirrelObject c = SqPlus::RegisterClassType<T>("SQSpriteMask");
    SqPlus::RegisterConstructor<T, const char*>(c);
    RegisterRenderingMethods<T>(c);
    static const MethodTable own = {
        {"create", [](SquirrelObject& s) { addAs<T>(s, &T::create, "create"); }},
        {"createColor", [](SquirrelObject& s) { addAs<T>(s, &T::createColor, "createColor"); }},
        {"createMovie", [](SquirrelObject& s) { addAs<T>(s, &T::createMovie, "createMovie"); }},
        {"setMask", [](SquirrelObject& s) { addAs<T>(s, &T::setMask, "setMask"); }},
        {"setDiffuseOnly", [](SquirrelObject& s) { addAs<T>(s, &T::setDiffuseOnly, "setDiffuseOnly"); }},
        {"getColorBalance", [](SquirrelObject& s) { addAs<T>(s, &T::getColorBalance, "getColorBalance"); }},
        {"isCaptureEnabled", [](SquirrelObject& s) { addAs<T>(s, &T::isCaptureEnabled, "isCaptureEnabled"); }},
        {"serialize",
         [](SquirrelObject& s) { addAs<T>(s, static_cast<int32_t (T::*)(const char*)>(&T::serialize), "serialize"); }},
        {"deserialize", [](SquirrelObject& s) {
             addAs<T>(s, static_cast<int32_t (T::*)(const char*)>(&T::deserialize), "deserialize");
         }},
    };
    RegisterInOrder(c, methodNames(), own, SpriteMethods<T>());
}

} // namespace Orvane::Squirrel
