#pragma once

#include "script/SqPlus.h"
#include "sprite/Squirrel/SQSprite.h"

#include <map>
#include <string_view>
#include <vector>

// The script classes over the sprite family share most of SQSprite's methods: each registers, in its
// own order, SQSprite's method of a name unless it has one of its own.
namespace Orvane::Squirrel
{

using MethodRegistrar = void (*)(SquirrelObject&);
using MethodTable = std::map<std::string_view, MethodRegistrar>;

// A method of a base class, dispatched on instances of the script class of T.
template <class T, class B, class R, class... A>
void addAs(SquirrelObject& scriptClass, R (B::*method)(A...), const SQChar* name)
{
    SqPlus::RegisterMember<T, decltype(method), R, A...>(scriptClass, method, name);
}

// Registers the names in order, each from own when it is there, else from shared.
void RegisterInOrder(SquirrelObject& scriptClass, const std::vector<const char*>& order, const MethodTable& own,
                     const MethodTable& shared);

#define ORVANE_SPRITE_METHOD(name)                                                                           \
    {                                                                                                        \
        #name, [](SquirrelObject& c) { addAs<T>(c, &SQSprite::name, #name); }                                \
    }

// SQSprite's methods, registered for the script class of T.
template <class T> const MethodTable& SpriteMethods()
{
    static const MethodTable table = {
        ORVANE_SPRITE_METHOD(create),
        ORVANE_SPRITE_METHOD(link),
        ORVANE_SPRITE_METHOD(fade),
        ORVANE_SPRITE_METHOD(move),
        ORVANE_SPRITE_METHOD(move3D),
        ORVANE_SPRITE_METHOD(moveVertex),
        ORVANE_SPRITE_METHOD(scale),
        ORVANE_SPRITE_METHOD(rotate),
        ORVANE_SPRITE_METHOD(transition),
        ORVANE_SPRITE_METHOD(shake),
        ORVANE_SPRITE_METHOD(randomShake),
        ORVANE_SPRITE_METHOD(scroll),
        ORVANE_SPRITE_METHOD(setMask),
        {"setSurface", [](SquirrelObject& c) { addAs<T>(c, static_cast<void (SQSprite::*)(const char*)>(&SQSprite::setSurface), "setSurface"); }},
        ORVANE_SPRITE_METHOD(setDisplacementMap),
        ORVANE_SPRITE_METHOD(setDither),
        ORVANE_SPRITE_METHOD(setCamera),
        ORVANE_SPRITE_METHOD(setBlendMode),
        ORVANE_SPRITE_METHOD(setCenter),
        ORVANE_SPRITE_METHOD(setPivot),
        ORVANE_SPRITE_METHOD(getSize),
        ORVANE_SPRITE_METHOD(getFade),
        ORVANE_SPRITE_METHOD(getMove),
        ORVANE_SPRITE_METHOD(getVertexMove),
        ORVANE_SPRITE_METHOD(getScale),
        ORVANE_SPRITE_METHOD(getRotate),
        ORVANE_SPRITE_METHOD(getScroll),
        ORVANE_SPRITE_METHOD(getTransitionFilename),
        ORVANE_SPRITE_METHOD(resetBezier),
        ORVANE_SPRITE_METHOD(setBezier),
        ORVANE_SPRITE_METHOD(beginBezier),
        ORVANE_SPRITE_METHOD(resetSpline),
        ORVANE_SPRITE_METHOD(setSpline),
        ORVANE_SPRITE_METHOD(beginSpline),
        {"setBlur", [](SquirrelObject& c) { addAs<T>(c, static_cast<int (SQSprite::*)(int32_t, int32_t, float, int32_t, int32_t)>(&SQSprite::setBlur), "setBlur"); }},
        ORVANE_SPRITE_METHOD(setColor),
        ORVANE_SPRITE_METHOD(setColorBalance),
        ORVANE_SPRITE_METHOD(setColorHue),
        ORVANE_SPRITE_METHOD(setColorSaturation),
        ORVANE_SPRITE_METHOD(setColorBrightness),
        ORVANE_SPRITE_METHOD(setColorGlow),
        {"setTimeScale", [](SquirrelObject& c) { addAs<T>(c, static_cast<void (SQSprite::*)(float)>(&SQSprite::setTimeScale), "setTimeScale"); }},
        ORVANE_SPRITE_METHOD(setActionCompatibleMode),
        ORVANE_SPRITE_METHOD(getColor),
        ORVANE_SPRITE_METHOD(getColorBalance),
        ORVANE_SPRITE_METHOD(getColorHue),
        ORVANE_SPRITE_METHOD(getColorSaturation),
        ORVANE_SPRITE_METHOD(getColorBrightness),
        ORVANE_SPRITE_METHOD(getColorGlow),
        ORVANE_SPRITE_METHOD(setNegaposiPower),
        ORVANE_SPRITE_METHOD(setMonochromePower),
        ORVANE_SPRITE_METHOD(setShadingParameter),
        ORVANE_SPRITE_METHOD(setShadingPower),
        ORVANE_SPRITE_METHOD(getNegaposiPower),
        ORVANE_SPRITE_METHOD(getMonochromePower),
        ORVANE_SPRITE_METHOD(getShadingPower),
        ORVANE_SPRITE_METHOD(getShadingLevel),
        ORVANE_SPRITE_METHOD(getShadingDensity),
        ORVANE_SPRITE_METHOD(setColorLevel),
        ORVANE_SPRITE_METHOD(getColorLevelMin),
        ORVANE_SPRITE_METHOD(getColorLevelMax),
        ORVANE_SPRITE_METHOD(getColorLevelPower),
        ORVANE_SPRITE_METHOD(setTextureFiltering),
        ORVANE_SPRITE_METHOD(setCapture),
        ORVANE_SPRITE_METHOD(isFading),
        ORVANE_SPRITE_METHOD(isMoving),
        ORVANE_SPRITE_METHOD(isScaling),
        ORVANE_SPRITE_METHOD(isRotating),
        ORVANE_SPRITE_METHOD(isTransitioning),
        ORVANE_SPRITE_METHOD(isShaking),
        ORVANE_SPRITE_METHOD(isCaptureEnabled),
        ORVANE_SPRITE_METHOD(isPaused),
        ORVANE_SPRITE_METHOD(setRadialBlur),
        ORVANE_SPRITE_METHOD(getRadialBlurPower),
        ORVANE_SPRITE_METHOD(getRadialBlurCenter),
        ORVANE_SPRITE_METHOD(setDirectionalBlur),
        ORVANE_SPRITE_METHOD(getDirectionalBlurPower),
        ORVANE_SPRITE_METHOD(getDirectionalBlurDirection),
        ORVANE_SPRITE_METHOD(setRipple),
        ORVANE_SPRITE_METHOD(getRippleCenter),
        ORVANE_SPRITE_METHOD(getRipplePower),
        ORVANE_SPRITE_METHOD(getRippleFrequency),
        ORVANE_SPRITE_METHOD(getRippleSpeed),
        ORVANE_SPRITE_METHOD(getRipplePhase),
        ORVANE_SPRITE_METHOD(setRipplePhase),
        ORVANE_SPRITE_METHOD(setRaster),
        ORVANE_SPRITE_METHOD(getRasterRotate),
        ORVANE_SPRITE_METHOD(getRasterPower),
        ORVANE_SPRITE_METHOD(getRasterFrequency),
        ORVANE_SPRITE_METHOD(getRasterSpeed),
        ORVANE_SPRITE_METHOD(getRasterPhase),
        ORVANE_SPRITE_METHOD(setRasterPhase),
        ORVANE_SPRITE_METHOD(setLens),
        ORVANE_SPRITE_METHOD(getLensCenter),
        ORVANE_SPRITE_METHOD(getLensPower),
        ORVANE_SPRITE_METHOD(getLensRadius),
        ORVANE_SPRITE_METHOD(splitFace),
        ORVANE_SPRITE_METHOD(clearSplitAction),
        ORVANE_SPRITE_METHOD(pushSplitAction),
        ORVANE_SPRITE_METHOD(beginSplitAction),
        ORVANE_SPRITE_METHOD(setUVOffset),
        ORVANE_SPRITE_METHOD(getUVOffset),
        ORVANE_SPRITE_METHOD(play),
        ORVANE_SPRITE_METHOD(stop),
        ORVANE_SPRITE_METHOD(pause),
        ORVANE_SPRITE_METHOD(onResume),
        ORVANE_SPRITE_METHOD(isDeletedTexture),
        ORVANE_SPRITE_METHOD(saveImage),
        ORVANE_SPRITE_METHOD(getFadeTimer),
        ORVANE_SPRITE_METHOD(getMoveTimer),
        ORVANE_SPRITE_METHOD(getMoveVertexTimer),
        ORVANE_SPRITE_METHOD(getScaleTimer),
        ORVANE_SPRITE_METHOD(getRotateTimer),
        ORVANE_SPRITE_METHOD(getTransitionTimer),
        ORVANE_SPRITE_METHOD(getShakeTimer),
        ORVANE_SPRITE_METHOD(getScrollTimer),
        ORVANE_SPRITE_METHOD(getColorTimer),
        ORVANE_SPRITE_METHOD(getColorBalanceTimer),
        ORVANE_SPRITE_METHOD(getColorHueTimer),
        ORVANE_SPRITE_METHOD(getColorSaturationTimer),
        ORVANE_SPRITE_METHOD(getColorBrightnessTimer),
        ORVANE_SPRITE_METHOD(getColorGlowTimer),
        ORVANE_SPRITE_METHOD(getNegaposiPowerTimer),
        ORVANE_SPRITE_METHOD(getMonochromePowerTimer),
        ORVANE_SPRITE_METHOD(getShadingPowerTimer),
        ORVANE_SPRITE_METHOD(getRadialBlurTimer),
        ORVANE_SPRITE_METHOD(getDirectionalBlurTimer),
        ORVANE_SPRITE_METHOD(getSplineTimer),
        ORVANE_SPRITE_METHOD(getBezierTimer),
        ORVANE_SPRITE_METHOD(getColorLevelTimer),
        ORVANE_SPRITE_METHOD(getRippleTimer),
        ORVANE_SPRITE_METHOD(getRasterTimer),
        ORVANE_SPRITE_METHOD(getLensTimer),
        ORVANE_SPRITE_METHOD(getSplitActionTimer),
        ORVANE_SPRITE_METHOD(setFadeTimer),
        ORVANE_SPRITE_METHOD(setMoveTimer),
        ORVANE_SPRITE_METHOD(setMoveVertexTimer),
        ORVANE_SPRITE_METHOD(setScaleTimer),
        ORVANE_SPRITE_METHOD(setRotateTimer),
        ORVANE_SPRITE_METHOD(setTransitionTimer),
        ORVANE_SPRITE_METHOD(setShakeTimer),
        ORVANE_SPRITE_METHOD(setScrollTimer),
        ORVANE_SPRITE_METHOD(setColorTimer),
        ORVANE_SPRITE_METHOD(setColorBalanceTimer),
        ORVANE_SPRITE_METHOD(setColorHueTimer),
        ORVANE_SPRITE_METHOD(setColorSaturationTimer),
        ORVANE_SPRITE_METHOD(setColorBrightnessTimer),
        ORVANE_SPRITE_METHOD(setColorGlowTimer),
        ORVANE_SPRITE_METHOD(setNegaposiPowerTimer),
        ORVANE_SPRITE_METHOD(setMonochromePowerTimer),
        ORVANE_SPRITE_METHOD(setShadingPowerTimer),
        ORVANE_SPRITE_METHOD(setRadialBlurTimer),
        ORVANE_SPRITE_METHOD(setDirectionalBlurTimer),
        ORVANE_SPRITE_METHOD(setSplineTimer),
        ORVANE_SPRITE_METHOD(setBezierTimer),
        ORVANE_SPRITE_METHOD(setColorLevelTimer),
        ORVANE_SPRITE_METHOD(setRippleTimer),
        ORVANE_SPRITE_METHOD(setRasterTimer),
        ORVANE_SPRITE_METHOD(setLensTimer),
        ORVANE_SPRITE_METHOD(setSplitActionTimer),
        {"serialize", [](SquirrelObject& c) { addAs<T>(c, static_cast<int32_t (SQSprite::*)(const char*)>(&SQSprite::serialize), "serialize"); }},
        {"deserialize", [](SquirrelObject& c) { addAs<T>(c, static_cast<int32_t (SQSprite::*)(const char*)>(&SQSprite::deserialize), "deserialize"); }},
        ORVANE_SPRITE_METHOD(createColor),
        ORVANE_SPRITE_METHOD(createMovie),
        ORVANE_SPRITE_METHOD(getVolume),
        ORVANE_SPRITE_METHOD(setVolume),
        ORVANE_SPRITE_METHOD(setLoop),
        ORVANE_SPRITE_METHOD(seek),
        ORVANE_SPRITE_METHOD(getDurationTime),
        ORVANE_SPRITE_METHOD(getRemainTime),
        ORVANE_SPRITE_METHOD(isPlaying),
        ORVANE_SPRITE_METHOD(addSoundGroup),
        ORVANE_SPRITE_METHOD(setVolumeControlFadeTime),
        {"getTotalTime", [](SquirrelObject& c) { addAs<T>(c, &SQSprite::getDurationTime, "getTotalTime"); }},
    };
    return table;
}

#undef ORVANE_SPRITE_METHOD

} // namespace Orvane::Squirrel
