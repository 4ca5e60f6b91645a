// The script class "SQSprite": its split-action table reader and its method table.
#include "sprite/Squirrel/SQDisplacementMap.h"
#include "sprite/Squirrel/SQShadeMask.h"
#include "sprite/Squirrel/SQSprite.h"
#include "sprite/Squirrel/SQSpriteMethodTable.h"
#include "sprite/Squirrel/SQSpriteMask.h"
#include "sprite/Squirrel/SQSpriteRenderTarget.h"

#include "core/CApp.h"

#include <kavro/ICore.h>

namespace Orvane::Squirrel
{

namespace
{

bool isNumber(const SquirrelObject& value)
{
    return value.GetType() == OT_INTEGER || value.GetType() == OT_FLOAT;
}

void readFloat(const SquirrelObject& table, const SQChar* key, float& field)
{
    if (!table.Exists(key)) return;
    const SquirrelObject value = table.GetValue(key);
    if (isNumber(value)) field = float(value.ToFloat());
}

// A number (truncated) or a bool.
void readFlag(const SquirrelObject& table, const SQChar* key, int32_t& field)
{
    if (!table.Exists(key)) return;
    const SquirrelObject value = table.GetValue(key);
    if (value.GetType() == OT_INTEGER)
        field = int32_t(value.ToInteger());
    else if (value.GetType() == OT_FLOAT)
        field = int32_t(value.ToFloat());
    else if (value.GetType() == OT_BOOL)
        field = value.GetObjectHandle()._unVal.nInteger ? 1 : 0;
}

// A table of "x", "y", "z" numbers; missing components keep their values.
void readVector(const SquirrelObject& table, const SQChar* key, Kavro::Vector3D& field)
{
    if (!table.Exists(key)) return;
    const SquirrelObject value = table.GetValue(key);
    if (value.GetType() != OT_TABLE) return;
    readFloat(value, "x", field.x);
    readFloat(value, "y", field.y);
    readFloat(value, "z", field.z);
}

void readEdge(const SquirrelObject& table, Kavro::Vector2D& field)
{
    if (!table.Exists("dist_edge")) return;
    const SquirrelObject value = table.GetValue("dist_edge");
    if (value.GetType() != OT_TABLE) return;
    readFloat(value, "front", field.x);
    readFloat(value, "side", field.y);
}

// The keys both kinds of block share, in their reading order up to "rand_min".
template <class Block> void readDistances(const SquirrelObject& table, Block& block)
{
    readEdge(table, block.distEdge);
    readFloat(table, "dist_min", block.distMin);
    readFloat(table, "dist_max", block.distMax);
    readFloat(table, "dist_rand_min", block.distRandMin);
    readFloat(table, "dist_rand_max", block.distRandMax);
}

void readBlockBody(const SquirrelObject& table, SplitVectorBlock& block)
{
    block.distEdge = {1.0f, 1.0f};
    block.mask = {1.0f, 1.0f, 1.0f};
    block.dir = {1.0f, 0.0f, 0.0f};
    readDistances(table, block);
    readVector(table, "rand_min", block.randMin);
    readVector(table, "rand_max", block.randMax);
    readFlag(table, "inv", block.inv);
    readVector(table, "center", block.center);
    readVector(table, "dir", block.dir);
    readFlag(table, "aspect", block.aspect);
    readVector(table, "mask", block.mask);
    block.dir = SplitUnitOrZero(block.dir);
}

void readBlockBody(const SquirrelObject& table, SplitFloatBlock& block)
{
    block.distEdge = {1.0f, 1.0f};
    block.mask = 1.0f;
    block.dir = {1.0f, 0.0f, 0.0f};
    readDistances(table, block);
    readFloat(table, "rand_min", block.randMin);
    readFloat(table, "rand_max", block.randMax);
    readFlag(table, "inv", block.inv);
    readVector(table, "center", block.center);
    readVector(table, "dir", block.dir);
    readFlag(table, "aspect", block.aspect);
    readFloat(table, "mask", block.mask);
    block.dir = SplitUnitOrZero(block.dir);
}

// A present key enables the block whatever it holds; only a table fills it.
template <class Block> void readBlock(const SquirrelObject& table, const SQChar* key, Block& block)
{
    if (!table.Exists(key)) return;
    block.enabled = 1;
    const SquirrelObject value = table.GetValue(key);
    if (value.GetType() == OT_TABLE) readBlockBody(value, block);
}

template <class M> void add(SquirrelObject& scriptClass, M method, const SQChar* name)
{
    SqPlus::RegisterInstance(scriptClass, method, name);
}

} // namespace

bool SQSprite::readSplitAction(const SquirrelObject& table, SplitActionDesc& desc)
{
    if (table.GetType() != OT_TABLE) return false;
    desc = SplitActionDesc{};
    const CApp* app = CApp::get();
    desc.seed = app && app->getCore() ? int32_t(app->getCore()->getSystemTime()) : 0;
    readFloat(table, "regist", desc.regist);
    readFloat(table, "ang_regist", desc.angRegist);
    float milliseconds = 0.0f;
    readFloat(table, "time", milliseconds);
    desc.time = milliseconds * 0.001f;
    if (table.Exists("seed"))
    {
        const SquirrelObject seed = table.GetValue("seed");
        if (seed.GetType() == OT_INTEGER)
            desc.seed = int32_t(seed.ToInteger());
        else if (seed.GetType() == OT_FLOAT)
            desc.seed = int32_t(seed.ToFloat());
    }
    readBlock(table, "delay", desc.delay);
    readBlock(table, "vel", desc.vel);
    readBlock(table, "acc", desc.acc);
    readBlock(table, "ang_vel", desc.angVel);
    readBlock(table, "ang_acc", desc.angAcc);
    return true;
}

void SQSprite::registerClass()
{
    using S = SQSprite;
    SquirrelObject c = SqPlus::RegisterClassType<S>("SQSprite");
    SqPlus::RegisterConstructor<S, const char*>(c);
    RegisterRenderingMethods<S>(c);
    add(c, static_cast<void (S::*)(float)>(&S::setTimeScale), "setTimeScale");
    add(c, static_cast<int (S::*)(int32_t, int32_t, float, int32_t, int32_t)>(&S::setBlur), "setBlur");
    add(c, static_cast<int32_t (S::*)(const char*)>(&S::serialize), "serialize");
    add(c, static_cast<int32_t (S::*)(const char*)>(&S::deserialize), "deserialize");

    add(c, &S::create, "create");
    add(c, &S::createSubresource, "createSubresource");
    add(c, &S::createColor, "createColor");
    add(c, &S::createScreen, "createScreen");
    add(c, &S::createScene, "createScene");
    add(c, &S::createMovie, "createMovie");

    add(c, &S::link, "link");
    add(c, &S::setMask, "setMask");
    add(c, static_cast<void (S::*)(const char*)>(&S::setSurface), "setSurface");
    add(c, &S::setDisplacementMap, "setDisplacementMap");
    add(c, &S::setCamera, "setCamera");

    add(c, &S::fade, "fade");
    add(c, &S::move, "move");
    add(c, &S::move3D, "move3D");
    add(c, &S::moveVertex, "moveVertex");
    add(c, &S::scale, "scale");
    add(c, &S::rotate, "rotate");
    add(c, &S::scroll, "scroll");
    add(c, &S::transition, "transition");
    add(c, &S::shake, "shake");
    add(c, &S::randomShake, "randomShake");

    add(c, &S::setBlendMode, "setBlendMode");
    add(c, &S::setCenter, "setCenter");
    add(c, &S::setPivot, "setPivot");
    add(c, &S::setClickable, "setClickable");
    add(c, &S::setChangeCursor, "setChangeCursor");
    add(c, &S::setTextureFiltering, "setTextureFiltering");
    add(c, &S::setActionCompatibleMode, "setActionCompatibleMode");
    add(c, &S::setUVOffset, "setUVOffset");
    add(c, &S::setDither, "setDither");
    add(c, &S::setCapture, "setCapture");

    add(c, &S::play, "play");
    add(c, &S::stop, "stop");
    add(c, &S::pause, "pause");
    add(c, &S::onResume, "onResume");
    add(c, &S::setLoop, "setLoop");
    add(c, &S::seek, "seek");
    add(c, &S::getDurationTime, "getDurationTime");
    add(c, &S::getDurationTime, "getTotalTime");
    add(c, &S::getRemainTime, "getRemainTime");
    add(c, &S::setVolume, "setVolume");
    add(c, &S::getVolume, "getVolume");
    add(c, &S::isPlaying, "isPlaying");
    add(c, &S::isPaused, "isPaused");
    add(c, &S::addSoundGroup, "addSoundGroup");
    add(c, &S::setVolumeControlFadeTime, "setVolumeControlFadeTime");

    add(c, &S::resetBezier, "resetBezier");
    add(c, &S::setBezier, "setBezier");
    add(c, &S::beginBezier, "beginBezier");
    add(c, &S::resetSpline, "resetSpline");
    add(c, &S::setSpline, "setSpline");
    add(c, &S::beginSpline, "beginSpline");

    add(c, &S::setColor, "setColor");
    add(c, &S::setColorBalance, "setColorBalance");
    add(c, &S::setColorHue, "setColorHue");
    add(c, &S::setColorSaturation, "setColorSaturation");
    add(c, &S::setColorBrightness, "setColorBrightness");
    add(c, &S::setColorGlow, "setColorGlow");
    add(c, &S::setNegaposiPower, "setNegaposiPower");
    add(c, &S::setMonochromePower, "setMonochromePower");
    add(c, &S::setShadingPower, "setShadingPower");
    add(c, &S::setShadingParameter, "setShadingParameter");
    add(c, &S::setColorLevel, "setColorLevel");

    add(c, &S::setRadialBlur, "setRadialBlur");
    add(c, &S::setDirectionalBlur, "setDirectionalBlur");
    add(c, &S::setRipple, "setRipple");
    add(c, &S::setRipplePhase, "setRipplePhase");
    add(c, &S::setRaster, "setRaster");
    add(c, &S::setRasterPhase, "setRasterPhase");
    add(c, &S::setLens, "setLens");

    add(c, &S::splitFace, "splitFace");
    add(c, &S::clearSplitAction, "clearSplitAction");
    add(c, &S::pushSplitAction, "pushSplitAction");
    add(c, &S::beginSplitAction, "beginSplitAction");

    add(c, &S::getFade, "getFade");
    add(c, &S::getColorHue, "getColorHue");
    add(c, &S::getColorSaturation, "getColorSaturation");
    add(c, &S::getColorBrightness, "getColorBrightness");
    add(c, &S::getColorGlow, "getColorGlow");
    add(c, &S::getNegaposiPower, "getNegaposiPower");
    add(c, &S::getMonochromePower, "getMonochromePower");
    add(c, &S::getShadingPower, "getShadingPower");
    add(c, &S::getShadingDensity, "getShadingDensity");
    add(c, &S::getColorLevelMin, "getColorLevelMin");
    add(c, &S::getColorLevelMax, "getColorLevelMax");
    add(c, &S::getColorLevelPower, "getColorLevelPower");
    add(c, &S::getRadialBlurPower, "getRadialBlurPower");
    add(c, &S::getDirectionalBlurPower, "getDirectionalBlurPower");
    add(c, &S::getRipplePower, "getRipplePower");
    add(c, &S::getRippleFrequency, "getRippleFrequency");
    add(c, &S::getRippleSpeed, "getRippleSpeed");
    add(c, &S::getRipplePhase, "getRipplePhase");
    add(c, &S::getRasterRotate, "getRasterRotate");
    add(c, &S::getRasterPower, "getRasterPower");
    add(c, &S::getRasterFrequency, "getRasterFrequency");
    add(c, &S::getRasterSpeed, "getRasterSpeed");
    add(c, &S::getRasterPhase, "getRasterPhase");
    add(c, &S::getLensPower, "getLensPower");
    add(c, &S::getLensRadius, "getLensRadius");
    add(c, &S::getShadingLevel, "getShadingLevel");
    add(c, &S::isFading, "isFading");
    add(c, &S::isMoving, "isMoving");
    add(c, &S::isScaling, "isScaling");
    add(c, &S::isRotating, "isRotating");
    add(c, &S::isShaking, "isShaking");
    add(c, &S::isTransitioning, "isTransitioning");
    add(c, &S::isOver, "isOver");
    add(c, &S::isDown, "isDown");
    add(c, &S::isUp, "isUp");
    add(c, &S::isCaptureEnabled, "isCaptureEnabled");
    add(c, &S::isDeletedTexture, "isDeletedTexture");
    add(c, &S::getTransitionFilename, "getTransitionFilename");

    add(c, &S::getSize, "getSize");
    add(c, &S::getMove, "getMove");
    add(c, &S::getVertexMove, "getVertexMove");
    add(c, &S::getScale, "getScale");
    add(c, &S::getRotate, "getRotate");
    add(c, &S::getScroll, "getScroll");
    add(c, &S::getColor, "getColor");
    add(c, &S::getColorBalance, "getColorBalance");
    add(c, &S::getRadialBlurCenter, "getRadialBlurCenter");
    add(c, &S::getDirectionalBlurDirection, "getDirectionalBlurDirection");
    add(c, &S::getRippleCenter, "getRippleCenter");
    add(c, &S::getLensCenter, "getLensCenter");
    add(c, &S::getUVOffset, "getUVOffset");

    add(c, &S::getFadeTimer, "getFadeTimer");
    add(c, &S::getMoveTimer, "getMoveTimer");
    add(c, &S::getScaleTimer, "getScaleTimer");
    add(c, &S::getRotateTimer, "getRotateTimer");
    add(c, &S::getTransitionTimer, "getTransitionTimer");
    add(c, &S::getShakeTimer, "getShakeTimer");
    add(c, &S::getScrollTimer, "getScrollTimer");
    add(c, &S::getColorBalanceTimer, "getColorBalanceTimer");
    add(c, &S::getColorHueTimer, "getColorHueTimer");
    add(c, &S::getColorSaturationTimer, "getColorSaturationTimer");
    add(c, &S::getColorBrightnessTimer, "getColorBrightnessTimer");
    add(c, &S::getColorGlowTimer, "getColorGlowTimer");
    add(c, &S::getNegaposiPowerTimer, "getNegaposiPowerTimer");
    add(c, &S::getMonochromePowerTimer, "getMonochromePowerTimer");
    add(c, &S::getShadingPowerTimer, "getShadingPowerTimer");
    add(c, &S::getRadialBlurTimer, "getRadialBlurTimer");
    add(c, &S::getDirectionalBlurTimer, "getDirectionalBlurTimer");
    add(c, &S::getSplineTimer, "getSplineTimer");
    add(c, &S::getVolumeTimer, "getVolumeTimer");
    add(c, &S::getBezierTimer, "getBezierTimer");
    add(c, &S::getColorLevelTimer, "getColorLevelTimer");
    add(c, &S::getRippleTimer, "getRippleTimer");
    add(c, &S::getRasterTimer, "getRasterTimer");
    add(c, &S::getLensTimer, "getLensTimer");
    add(c, &S::getSplitActionTimer, "getSplitActionTimer");
    add(c, &S::setFadeTimer, "setFadeTimer");
    add(c, &S::setMoveTimer, "setMoveTimer");
    add(c, &S::setScaleTimer, "setScaleTimer");
    add(c, &S::setRotateTimer, "setRotateTimer");
    add(c, &S::setTransitionTimer, "setTransitionTimer");
    add(c, &S::setShakeTimer, "setShakeTimer");
    add(c, &S::setScrollTimer, "setScrollTimer");
    add(c, &S::setColorBalanceTimer, "setColorBalanceTimer");
    add(c, &S::setColorHueTimer, "setColorHueTimer");
    add(c, &S::setColorSaturationTimer, "setColorSaturationTimer");
    add(c, &S::setColorBrightnessTimer, "setColorBrightnessTimer");
    add(c, &S::setColorGlowTimer, "setColorGlowTimer");
    add(c, &S::setNegaposiPowerTimer, "setNegaposiPowerTimer");
    add(c, &S::setMonochromePowerTimer, "setMonochromePowerTimer");
    add(c, &S::setShadingPowerTimer, "setShadingPowerTimer");
    add(c, &S::setRadialBlurTimer, "setRadialBlurTimer");
    add(c, &S::setDirectionalBlurTimer, "setDirectionalBlurTimer");
    add(c, &S::setSplineTimer, "setSplineTimer");
    add(c, &S::setVolumeTimer, "setVolumeTimer");
    add(c, &S::setBezierTimer, "setBezierTimer");
    add(c, &S::setColorLevelTimer, "setColorLevelTimer");
    add(c, &S::setRippleTimer, "setRippleTimer");
    add(c, &S::setRasterTimer, "setRasterTimer");
    add(c, &S::setLensTimer, "setLensTimer");
    add(c, &S::setSplitActionTimer, "setSplitActionTimer");
    add(c, &S::getMoveVertexTimer, "getMoveVertexTimer");
    add(c, &S::setMoveVertexTimer, "setMoveVertexTimer");
    add(c, &S::getColorTimer, "getColorTimer");
    add(c, &S::setColorTimer, "setColorTimer");

    add(c, &S::saveImage, "saveImage");
}

void RegisterInOrder(SquirrelObject& scriptClass, const std::vector<const char*>& order, const MethodTable& own,
                     const MethodTable& shared)
{
    for (const char* name : order)
    {
        if (auto mine = own.find(name); mine != own.end())
            mine->second(scriptClass);
        else if (auto common = shared.find(name); common != shared.end())
            common->second(scriptClass);
    }
}

void RegisterSpriteClasses()
{
    SQSprite::registerClass();
    SQSpriteRenderTarget::registerClass();
    SQSpriteMask::registerClass();
    SQDisplacementMap::registerClass();
    SQShadeMask::registerClass();
}

} // namespace Orvane::Squirrel
