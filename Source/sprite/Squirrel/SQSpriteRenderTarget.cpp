#include "sprite/Squirrel/SQSpriteRenderTarget.h"

#include "core/CApp.h"
#include "core/CTask.h"
#include "sprite/Squirrel/SQSpriteMethodTable.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ITexture.h>

namespace Orvane::Squirrel
{

namespace
{

bool sameSize(Kavro::ITexture* a, Kavro::ITexture* b)
{
    return a->getSize()[0] == b->getSize()[0] && a->getSize()[1] == b->getSize()[1];
}

} // namespace

SQSpriteRenderTarget::SQSpriteRenderTarget(const char* name) : SQSprite(name)
{
    captureEnabled = 1;
    useTarget(standInTarget());
}

SQSpriteRenderTarget::~SQSpriteRenderTarget()
{
    if (copyTarget) copyTarget->release();
}

CSpriteRenderTarget* SQSpriteRenderTarget::standInTarget()
{
    CTask* task = factoryTask();
    if (auto* back = task ? dynamic_cast<CSpriteRenderTarget*>(task->getBackSurface()) : nullptr)
    {
        back->addRef();
        return back;
    }
    // A task whose back surface is not a sprite: a target without a surface, which refuses every pass.
    auto* detached = new CSpriteRenderTarget(nullptr, Kavro::Vector2D());
    detached->leaveTaskLists();
    if (CTask* joined = detached->getTask()) joined->removeRenderTarget(detached);
    return detached;
}

void SQSpriteRenderTarget::useTarget(CSpriteRenderTarget* made)
{
    dropSprite();
    engine = made;
}

// ---- Creation

int SQSpriteRenderTarget::create(int width, int height, int flags)
{
    dropSprite();
    CTask* task = factoryTask();
    CSpriteRenderTarget* made =
        task ? task->createRenderTarget(uint32_t(flags), getName(), width, height, Kavro::Vector2D(0.0f, 0.0f))
             : nullptr;
    if (!made)
    {
        useTarget(standInTarget());
        return -1;
    }
    useTarget(made);
    engineObject = made;
    made->leaveTaskLists();
    createFlags = flags;
    if (flags != 0)
    {
        captureEnabled = 1;
        if (CTask* owner = made->getTask()) owner->removeRenderTarget(made);
    }
    made->setTimeScale(timeScale);
    made->setParent(getTask());
    if (getParent()) setParent(nullptr);
    return 0;
}

// ---- Frame steps

int SQSpriteRenderTarget::update()
{
    // The library's render textures keep their contents by themselves: a stopped capture needs no
    // word to its surface.
    if (createFlags != 0) clearPending = 0;
    return getTarget()->update();
}

int SQSpriteRenderTarget::draw()
{
    markFlag();
    if (erase) return 0;
    CSpriteRenderTarget* target = getTarget();
    if (createFlags != 0 && captureEnabled) captureIntoTarget(target);
    if (clearRequested)
    {
        target->clear();
        clearRequested = 0;
    }
    if (copyTarget && captureEnabled) copyIntoTarget(target);
    return drawSprite();
}

void SQSpriteRenderTarget::captureIntoTarget(CSpriteRenderTarget* target)
{
    Kavro::ITexture* texture = target->getTexture();
    CTask* task = getTask();
    const CApp* app = CApp::get();
    if (!texture || !task || !app) return;
    const int x = int(target->getMove().x), y = int(target->getMove().y);
    const int w = texture->getSize()[0], h = texture->getSize()[1];
    // Only a rectangle that meets the screen has anything beneath it.
    if (x >= app->screenWidth || y >= app->screenHeight || x + w < 0 || y + h < 0) return;
    IRenderTarget* source = task->getBackSurface();
    if (!captureTargetName.empty())
        if (IRenderTarget* named = renderTargetNamed(captureTargetName)) source = named;
    task->drawRenderTarget(target, source, getPriority());
    target->refreshSceneSprite();
}

void SQSpriteRenderTarget::copyIntoTarget(CSpriteRenderTarget* target)
{
    Kavro::ITexture* texture = target->getTexture();
    CApp* app = CApp::get();
    if (!texture || !app || !app->renderDevice) return;
    app->renderDevice->copyTexture(texture, copyTarget, sameSize(texture, copyTarget) ? 0 : 2);
}

int SQSpriteRenderTarget::render()
{
    return getTarget()->render();
}

int SQSpriteRenderTarget::drawsOnBackSurface()
{
    return erase ? 0 : int(getTarget()->delayRendering != 0);
}

int SQSpriteRenderTarget::drawOnBackSurface()
{
    CSpriteRenderTarget* target = getTarget();
    CTask* task = getTask();
    if (erase || target->passCount != 0 || !task) return 0;
    target->refreshSceneSprite();
    task->drawRenderTarget(target, nullptr, CTask::noPriority);
    return 0;
}

void SQSpriteRenderTarget::renderTargetOnce(CSpriteRenderTarget* target)
{
    CTask* task = getTask();
    if (task && target->passCount == 0 && !target->rendering)
        task->drawRenderTarget(target, nullptr, CTask::noPriority);
}

// ---- Methods of the class

void SQSpriteRenderTarget::getSize()
{
    Kavro::ITexture* texture = getTarget()->getTexture();
    if (texture)
        setResults({float(texture->getSize()[0]), float(texture->getSize()[1]), 0.0f, 0.0f});
    else
        setResults({0.0f, 0.0f, 0.0f, 0.0f});
}

IRenderTarget* SQSpriteRenderTarget::renderTargetNamed(const std::string& name) const
{
    CTaskObject* found = findObject(name.c_str());
    if (auto* binding = dynamic_cast<SQSpriteRenderTarget*>(found)) return binding->getTarget();
    return found ? dynamic_cast<IRenderTarget*>(found->getFrame()) : nullptr;
}

void SQSpriteRenderTarget::setSurface(const char* name)
{
    CSpriteRenderTarget* target = getTarget();
    target->invalidate();
    const std::string wanted = name ? name : "";
    if (wanted.empty())
    {
        target->setSurface(nullptr);
        return;
    }
    if (wanted == getName()) return;
    target->setSurface(nullptr);
    if (IRenderTarget* surface = renderTargetNamed(wanted)) target->setSurface(surface);
}

void SQSpriteRenderTarget::startCapture(int32_t value)
{
    captureEnabled = uint32_t(value);
    getTarget()->setSuspended(copyTarget ? 1 : 0);
}

void SQSpriteRenderTarget::setCapture(int enable)
{
    if (enable)
    {
        startCapture(enable);
        return;
    }
    stop();
}

void SQSpriteRenderTarget::play()
{
    startCapture(1);
}

void SQSpriteRenderTarget::stop()
{
    if (captureEnabled) clearPending = 1;
    captureEnabled = 0;
    getTarget()->setSuspended(1);
}

void SQSpriteRenderTarget::pause()
{
    if (captureEnabled) stop();
}

void SQSpriteRenderTarget::onResume()
{
    if (!captureEnabled) startCapture(1);
}

void SQSpriteRenderTarget::setCopyTarget(const char* name)
{
    if (copyTarget) copyTarget->release();
    copyTarget = nullptr;
    CSpriteRenderTarget* target = getTarget();
    target->setSuspended(0);
    IRenderTarget* mirrored = name && *name ? renderTargetNamed(name) : nullptr;
    // Mirroring itself would copy a texture onto itself.
    if (mirrored && mirrored->getTexture() && mirrored->getTexture() != target->getTexture())
    {
        copyTarget = mirrored->getTexture();
        copyTarget->addRef();
    }
    target->setSuspended(copyTarget ? 1 : 0);
}

void SQSpriteRenderTarget::setCaptureTarget(const char* name)
{
    captureTargetName.clear();
    if (findObject(name)) captureTargetName = name;
}

void SQSpriteRenderTarget::setDelayRendering(int flag)
{
    if (createFlags == 0) getTarget()->setDelayRendering(uint32_t(flag));
}

int SQSpriteRenderTarget::isDelayedRendering()
{
    return int(getTarget()->delayRendering);
}

int SQSpriteRenderTarget::createCustomEffect(const char* name, SquirrelObject parameters)
{
    CSpriteRenderTarget* target = getTarget();
    if (target->deleteCustomEffect() < 0) return -1;
    if (parameters.GetType() != OT_NULL && setCustomEffectParameter(parameters) < 0) return -1;
    return target->createCustomEffect(name ? name : "") < 0 ? -1 : 0;
}

int SQSpriteRenderTarget::setCustomEffectParameter(SquirrelObject parameters)
{
    CCustomEffect* effect = getTarget()->getCustomEffect();
    if (!effect) return -1;
    if (parameters.GetType() != OT_TABLE) return 0;
    SquirrelObject key, value;
    parameters.BeginIteration();
    while (parameters.Next(key, value))
    {
        if (key.GetType() != OT_STRING) continue;
        const std::string name = key.ToString();
        if (value.GetType() == OT_INTEGER || value.GetType() == OT_BOOL)
            effect->setParameter(name, int32_t(value.ToInteger()));
        else if (value.GetType() == OT_FLOAT)
            effect->setParameter(name, float(value.ToFloat()));
        else if (value.GetType() == OT_STRING)
            effect->setParameter(name, std::string(value.ToString()));
    }
    parameters.EndIteration();
    return 0;
}

// ---- Method table

const std::vector<const char*>& SQSpriteRenderTarget::methodNames()
{
    static const std::vector<const char*> names = {
        "create", "link", "fade", "move", "move3D", "moveVertex", "scale", "rotate", "transition", "shake",
        "randomShake", "scroll", "setMask", "setSurface", "setDisplacementMap", "setDither", "setCamera",
        "setBlendMode", "setCenter", "setPivot", "getSize", "getFade", "getMove", "getVertexMove", "getScale",
        "getRotate", "getScroll", "getTransitionFilename", "resetBezier", "setBezier", "beginBezier",
        "resetSpline", "setSpline", "beginSpline", "setBlur", "setColor", "setColorBalance", "setColorHue",
        "setColorSaturation", "setColorBrightness", "setColorGlow", "setTimeScale", "setActionCompatibleMode",
        "getColor", "getColorBalance", "getColorHue", "getColorSaturation", "getColorBrightness", "getColorGlow",
        "setNegaposiPower", "setMonochromePower", "setShadingParameter", "setShadingPower", "getNegaposiPower",
        "getMonochromePower", "getShadingPower", "getShadingLevel", "getShadingDensity", "setColorLevel",
        "getColorLevelMin", "getColorLevelMax", "getColorLevelPower", "setTextureFiltering", "setCapture",
        "setCopyTarget", "setCaptureTarget", "setDelayRendering", "isDelayedRendering", "isFading", "isMoving",
        "isScaling", "isRotating", "isTransitioning", "isShaking", "isCaptureEnabled", "isPaused", "setRadialBlur",
        "getRadialBlurPower", "getRadialBlurCenter", "setDirectionalBlur", "getDirectionalBlurPower",
        "getDirectionalBlurDirection", "setRipple", "getRippleCenter", "getRipplePower", "getRippleFrequency",
        "getRippleSpeed", "getRipplePhase", "setRipplePhase", "setRaster", "getRasterRotate", "getRasterPower",
        "getRasterFrequency", "getRasterSpeed", "getRasterPhase", "setRasterPhase", "setLens", "getLensCenter",
        "getLensPower", "getLensRadius", "splitFace", "clearSplitAction", "pushSplitAction", "beginSplitAction",
        "setUVOffset", "getUVOffset", "clear", "play", "stop", "pause", "onResume", "isDeletedTexture",
        "createCustomEffect", "setCustomEffectParameter", "saveImage", "getFadeTimer", "getMoveTimer",
        "getMoveVertexTimer", "getScaleTimer", "getRotateTimer", "getTransitionTimer", "getShakeTimer",
        "getScrollTimer", "getColorTimer", "getColorBalanceTimer", "getColorHueTimer", "getColorSaturationTimer",
        "getColorBrightnessTimer", "getColorGlowTimer", "getNegaposiPowerTimer", "getMonochromePowerTimer",
        "getShadingPowerTimer", "getRadialBlurTimer", "getDirectionalBlurTimer", "getSplineTimer",
        "getBezierTimer", "getColorLevelTimer", "getRippleTimer", "getRasterTimer", "getLensTimer",
        "getSplitActionTimer", "setFadeTimer", "setMoveTimer", "setMoveVertexTimer", "setScaleTimer",
        "setRotateTimer", "setTransitionTimer", "setShakeTimer", "setScrollTimer", "setColorTimer",
        "setColorBalanceTimer", "setColorHueTimer", "setColorSaturationTimer", "setColorBrightnessTimer",
        "setColorGlowTimer", "setNegaposiPowerTimer", "setMonochromePowerTimer", "setShadingPowerTimer",
        "setRadialBlurTimer", "setDirectionalBlurTimer", "setSplineTimer", "setBezierTimer", "setColorLevelTimer",
        "setRippleTimer", "setRasterTimer", "setLensTimer", "setSplitActionTimer", "serialize", "deserialize"};
    return names;
}

void SQSpriteRenderTarget::registerClass()
{
    using T = SQSpriteRenderTarget;
    SquirrelObject c = SqPlus::RegisterClassType<T>("SQSpriteRenderTarget");
    SqPlus::RegisterConstructor<T, const char*>(c);
    RegisterRenderingMethods<T>(c);
    static const MethodTable own = {
        {"create", [](SquirrelObject& s) { addAs<T>(s, &T::create, "create"); }},
        {"getSize", [](SquirrelObject& s) { addAs<T>(s, &T::getSize, "getSize"); }},
        {"setSurface", [](SquirrelObject& s) { addAs<T>(s, &T::setSurface, "setSurface"); }},
        {"setCapture", [](SquirrelObject& s) { addAs<T>(s, &T::setCapture, "setCapture"); }},
        {"setCopyTarget", [](SquirrelObject& s) { addAs<T>(s, &T::setCopyTarget, "setCopyTarget"); }},
        {"setCaptureTarget", [](SquirrelObject& s) { addAs<T>(s, &T::setCaptureTarget, "setCaptureTarget"); }},
        {"setDelayRendering", [](SquirrelObject& s) { addAs<T>(s, &T::setDelayRendering, "setDelayRendering"); }},
        {"isDelayedRendering", [](SquirrelObject& s) { addAs<T>(s, &T::isDelayedRendering, "isDelayedRendering"); }},
        {"isCaptureEnabled", [](SquirrelObject& s) { addAs<T>(s, &T::isCaptureEnabled, "isCaptureEnabled"); }},
        {"isPaused", [](SquirrelObject& s) { addAs<T>(s, &T::isPaused, "isPaused"); }},
        {"clear", [](SquirrelObject& s) { addAs<T>(s, &T::clear, "clear"); }},
        {"play", [](SquirrelObject& s) { addAs<T>(s, &T::play, "play"); }},
        {"stop", [](SquirrelObject& s) { addAs<T>(s, &T::stop, "stop"); }},
        {"pause", [](SquirrelObject& s) { addAs<T>(s, &T::pause, "pause"); }},
        {"onResume", [](SquirrelObject& s) { addAs<T>(s, &T::onResume, "onResume"); }},
        {"createCustomEffect", [](SquirrelObject& s) { addAs<T>(s, &T::createCustomEffect, "createCustomEffect"); }},
        {"setCustomEffectParameter",
         [](SquirrelObject& s) { addAs<T>(s, &T::setCustomEffectParameter, "setCustomEffectParameter"); }},
    };
    RegisterInOrder(c, methodNames(), own, SpriteMethods<T>());
}

} // namespace Orvane::Squirrel
