#pragma once

#include "core/CTaskObject.h"
#include "script/SqPlus.h"

#include <cstdint>

namespace Orvane::Squirrel
{

class SQNutObject;

// Base of the bindings that are not drawn: a task object of the script-given name with its
// script-object record.
class SQObject : public CTaskObject
{
public:
    explicit SQObject(const std::string& name);
    ~SQObject() override;

    virtual int32_t setLock(int32_t value);
    virtual int32_t getLock();
    virtual int32_t setDisused(int32_t value);
    virtual int32_t getDisused();

    SQNutObject* getNutObject() const { return nutObject; }

private:
    SQNutObject* nutObject;
};

// setLock, getLock, setDisused and getDisused as methods of T's script class.
template <typename T> void RegisterLockMethods(SquirrelObject& scriptClass)
{
    using Setter = int32_t (T::*)(int32_t);
    using Getter = int32_t (T::*)();
    SqPlus::RegisterInstance(scriptClass, static_cast<Setter>(&T::setLock), "setLock");
    SqPlus::RegisterInstance(scriptClass, static_cast<Getter>(&T::getLock), "getLock");
    SqPlus::RegisterInstance(scriptClass, static_cast<Setter>(&T::setDisused), "setDisused");
    SqPlus::RegisterInstance(scriptClass, static_cast<Getter>(&T::getDisused), "getDisused");
}

} // namespace Orvane::Squirrel
