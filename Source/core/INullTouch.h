#pragma once

#include <kavro/ITouch.h>

namespace Orvane
{

// The touch panel of a task that is not on top: no contacts.
class INullTouch : public Kavro::ITouch
{
public:
    int release() override;
    int addRef() override;
    int getRefCount() override;
    int getContactCount() override;
    int getContactState(int index) override;
    int isContactMoving(int index) override;
    Kavro::IntPair& getContactMove(Kavro::IntPair& out, int index) override;
    Kavro::IntPair& getContactPosition(Kavro::IntPair& out, int index) override;
    int getContactTime(int index) override;
    Kavro::Vector2D& getContactVelocity(Kavro::Vector2D& out, int index) override;
    void clearInput() override;
};

} // namespace Orvane
