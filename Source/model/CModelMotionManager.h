#pragma once

#include "core/CObject.h"
#include "model/CModelMotionStack.h"

#include <cstdint>

namespace Kavro
{
class ISceneModel;
}

namespace Orvane
{

class CModel;

// One motion layer of a model: the motion playing on the model's scene model and the queue that follows
// it. It holds one motion attachment for the playing motion and one for every queued entry, and gives each
// back when it lets go of it.
class CModelMotionManager : public CObject
{
public:
    explicit CModelMotionManager(CModel* model);
    ~CModelMotionManager() override;

    // Detaches the old motion and attaches the new one (nothing when it is the same).
    void play(int32_t motion);
    // Back to idle: nothing playing, nothing queued, every attachment given back.
    void clear();
    // At most one switch to the next due entry, then the playing motion advances by dtMs.
    void step(const float& dtMs);
    // Sets the next entry; i > 0 starts entry i - 1 at once.
    void setActiveIndex(const int32_t& i);
    int32_t pendingCount() const;
    int32_t hasPending() const;
    // Appends an entry, attaching its motion.
    void push(int32_t motion, int32_t durationMs);

    int32_t getCurrent() const { return current; }
    uint32_t getIndex() const { return stack->index; }
    const CModelMotionStack& getStack() const { return *stack; }

    float elapsedMs = 0.0f;

private:
    Kavro::ISceneModel* scene() const;
    // Plays entry i of the queue from its start at full blend.
    void start(uint32_t i);

    CModel* model;
    int32_t current = -1;
    CModelMotionStack* stack;
};

} // namespace Orvane
