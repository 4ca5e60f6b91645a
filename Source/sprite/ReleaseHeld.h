#pragma once

namespace Orvane
{

// Drops the reference held in a field (engine or library object) and clears the field.
template <class T> void releaseHeld(T*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

} // namespace Orvane
