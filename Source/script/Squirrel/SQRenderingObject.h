#pragma once

#include "core/CRenderingTaskObject.h"
#include "script/Squirrel/SQObject.h"

#include <cstdint>

namespace Orvane
{
class CEffectBlur;
}

namespace Orvane::Squirrel
{

class SQNutObject;

// Base of the bindings of drawable engine objects: rendering priority, erase and hidable flags, the
// blur trail and its saved block, and the time scale.
class SQRenderingObject : public CRenderingTaskObject
{
public:
    explicit SQRenderingObject(const std::string& name);
    ~SQRenderingObject() override;

    // The engine object's surface when there is one, else the task's back surface.
    IRenderTarget* getSurface() override;

    virtual int setPriority(int32_t priority);
    // The largest int32 while the object is not in its task's rendering list.
    virtual int32_t getPriority();
    virtual int32_t setErase(int32_t value);
    virtual int32_t getErase();
    virtual int32_t setHidable(int32_t value);
    virtual int32_t getHidable();
    // Enable 0 installs the null blur (0); otherwise a blur configured with the four values.
    virtual int setBlur(int32_t enable, int32_t count, float alpha, int32_t interval, int32_t drawOrder);
    virtual void setTimeScale(float scale);
    // The binding's block in the open file of the SQFile named fileObjectName: 1, or 0 on failure.
    virtual int32_t serialize(const char* fileObjectName);
    virtual int32_t deserialize(const char* fileObjectName);

    int32_t setLock(int32_t value);
    int32_t getLock();
    int32_t setDisused(int32_t value);
    int32_t getDisused();

    SQNutObject* getNutObject() const { return nutObject; }
    CEffectBlur* getBlur() const { return blur; }
    float getTimeScale() const { return timeScale; }

protected:
    SQNutObject* nutObject;
    int32_t erase = 0;
    int32_t hidable = 0;
    CEffectBlur* blur;
    // Set by the derived binding's constructor.
    CRenderingTaskObject* engineObject = nullptr;
    float timeScale = 1.0f;
};

// The methods every drawable class registers: the marks, then priority, erase and hidable.
template <typename T> void RegisterRenderingMethods(SquirrelObject& scriptClass)
{
    using Setter = int32_t (T::*)(int32_t);
    using Getter = int32_t (T::*)();
    RegisterLockMethods<T>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, static_cast<int (T::*)(int32_t)>(&T::setPriority), "setPriority");
    SqPlus::RegisterInstance(scriptClass, static_cast<Getter>(&T::getPriority), "getPriority");
    SqPlus::RegisterInstance(scriptClass, static_cast<Setter>(&T::setErase), "setErase");
    SqPlus::RegisterInstance(scriptClass, static_cast<Getter>(&T::getErase), "getErase");
    SqPlus::RegisterInstance(scriptClass, static_cast<Setter>(&T::setHidable), "setHidable");
    SqPlus::RegisterInstance(scriptClass, static_cast<Getter>(&T::getHidable), "getHidable");
}

// The rendering methods, then "setTimeScale", "serialize" and "deserialize": each entry calls the binding's
// virtual operation, so a class's override is what scripts reach.
template <typename T> void RegisterCommonMethods(SquirrelObject& scriptClass)
{
    RegisterRenderingMethods<T>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, static_cast<void (T::*)(float)>(&T::setTimeScale), "setTimeScale");
    SqPlus::RegisterInstance(scriptClass, static_cast<int32_t (T::*)(const char*)>(&T::serialize), "serialize");
    SqPlus::RegisterInstance(scriptClass, static_cast<int32_t (T::*)(const char*)>(&T::deserialize), "deserialize");
}

} // namespace Orvane::Squirrel
