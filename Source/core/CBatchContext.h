#pragma once

#include "core/CObject.h"

namespace Orvane
{

// Handed to every member of one drawing batch. What a batch keeps belongs to the objects that
// batch (the texts): they may hang their own state here; it is released with the context.
class CBatchContext
{
public:
    CBatchContext() = default;
    ~CBatchContext() { setState(nullptr); }
    CBatchContext(const CBatchContext&) = delete;
    CBatchContext& operator=(const CBatchContext&) = delete;

    CObject* getState() const { return state; }
    // Takes over the caller's reference; the previous state is released.
    void setState(CObject* newState)
    {
        if (state && state != newState)
            state->release();
        state = newState;
    }

private:
    CObject* state = nullptr;
};

} // namespace Orvane
