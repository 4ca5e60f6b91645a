#pragma once

#include "sound/CSound3D.h"
#include "sound/Squirrel/SQSoundBinding.h"

namespace Orvane::Squirrel
{

// The script class "SQSound3D" over one positional sound.
class SQSound3D : public SQSoundBinding<CSound3D, CNullSound3D>
{
public:
    explicit SQSound3D(const char* name);

    // Always a new sound on a new handle: 0, or -1 with a placeholder in place.
    int create(const char* name);
    int load(const char* name);

    void move3D(float x, float y, float z, int time, int easing);
    // The position goes to SQMATH_RET_1..3 (SQMATH_RET_4 := 0).
    void getMove3D();
    int isMoving();

    static void registerClass();
};

} // namespace Orvane::Squirrel
