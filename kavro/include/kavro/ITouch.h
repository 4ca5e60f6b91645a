#pragma once

#include "IInterface.h"
#include "Vector2D.h"

namespace Kavro
{

class ITouch : public IInterface
{
public:
    virtual int getContactCount() = 0;
    virtual int getContactState(int index) = 0;
    virtual int isContactMoving(int index) = 0;
    virtual IntPair& getContactMove(IntPair& out, int index) = 0;
    virtual IntPair& getContactPosition(IntPair& out, int index) = 0;
    virtual int getContactTime(int index) = 0;
    virtual Vector2D& getContactVelocity(Vector2D& out, int index) = 0;
    virtual void clearInput() = 0;
};

} // namespace Kavro
