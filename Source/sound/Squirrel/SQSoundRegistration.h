#pragma once

#include "script/SqPlus.h"

namespace Orvane::Squirrel
{

// Registers a method inherited from a base class as one of Derived, so that calls find the
// instance under Derived's class tag.
template <class Derived, class R, class Base, class... A>
void registerMethod(SquirrelObject& scriptClass, R (Base::*method)(A...), const SQChar* name)
{
    SqPlus::RegisterInstance(scriptClass, static_cast<R (Derived::*)(A...)>(method), name);
}

// Every script class of sounds: "SQSound", "SQSound3D", "SQSoundDevice".
void RegisterSoundClasses();

} // namespace Orvane::Squirrel
