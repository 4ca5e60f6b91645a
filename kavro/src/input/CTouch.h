#pragma once

#include "core/CScreenLayout.h"
#include "kavro/ITouch.h"
#include "kavro/RefCounted.h"

#include <SDL2/SDL_touch.h>

#include <vector>

namespace Kavro
{

// Touch contacts in the order they began, positions in logical screen pixels. Contact states per
// frame: 1 began, 2 held, 3 ended (the contact is gone the frame after). Times in milliseconds
// since the contact began; velocity in logical pixels per second over the last frame.
class CTouch : public RefCounted<ITouch>
{
public:
    int getContactCount() override;
    int getContactState(int index) override;
    int isContactMoving(int index) override;
    IntPair& getContactMove(IntPair& out, int index) override;
    IntPair& getContactPosition(IntPair& out, int index) override;
    int getContactTime(int index) override;
    Vector2D& getContactVelocity(Vector2D& out, int index) override;
    void clearInput() override;

    void setLayout(const CScreenLayout& layout) { layout_ = layout; }
    // Positions normalised to the window, 0..1.
    void down(SDL_FingerID finger, float x, float y, uint32_t now);
    void motion(SDL_FingerID finger, float x, float y);
    void up(SDL_FingerID finger, float x, float y);
    void releaseAll();
    void nextFrame(uint32_t now);

private:
    struct Contact
    {
        SDL_FingerID finger = 0;
        bool live = true;
        bool began = true;
        int state = 1;
        IntPair position, framePosition, move;
        Vector2D velocity;
        uint32_t start = 0;
        int time = 0;
    };
    Contact* find(SDL_FingerID finger);
    const Contact* at(int index) const;
    IntPair toScreen(float x, float y) const;

    CScreenLayout layout_;
    std::vector<Contact> contacts_;
    uint32_t lastFrame_ = 0;
};

} // namespace Kavro
