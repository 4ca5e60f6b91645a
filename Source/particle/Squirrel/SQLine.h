#pragma once

#include "particle/CLine.h"
#include "script/Squirrel/SQRenderer.h"

#include <cstdint>

namespace Orvane::Squirrel
{

// The script class "SQLine": owns one line (a do-nothing line until create), drives its update, rebuild and
// drawing from its own passes and gives it its time scale. index is 0 (start) or 1 (end).
class SQLine : public SQRenderer<CLine>
{
public:
    explicit SQLine(const char* name);
    ~SQLine() override;

    CLine* getEngineObject() override { return engine; }
    CFrame* getFrame() override { return engine; }

    int update() override;
    int render() override;
    int draw() override;
    bool isInCamera(Kavro::ICamera* camera) override;
    float getCameraDepth(Kavro::ICamera* camera) override;
    void setTimeScale(float scale) override;

    // A fresh line of that thickness in place of the old one: 0, also when the device made no line list.
    int create(int thickness);
    // Hangs the end under the named object, which it then follows; no such name returns it to the line.
    void link(int index, const char* name);
    void fade(int index, float alpha, int time, int easing);
    void move(int index, float x, float y, int time, int easing);
    void move3D(int index, float x, float y, float z, int time, int easing);
    void setBlendMode(int mode);
    float getFade(int index);
    // x, y, z and 0.0 to SQMATH_RET_1..4.
    void getMove(int index);
    void setColor(int index, float r, float g, float b, int time, int easing);
    // Red, green, blue and alpha to SQMATH_RET_1..4.
    void getColor(int index);
    // The named render target becomes the line's surface; any other name draws to the task's.
    void setSurface(const char* name);
    // The named camera object's camera; any other name (or none) leaves the line without a camera.
    void setCamera(const char* name, float distance, float fieldOfView);
    int isFading(int index);
    int isMoving(int index);
    float getFadeTimer(int index);
    float getMoveTimer(int index);
    float getColorTimer(int index);
    void setFadeTimer(int index, float elapsed);
    void setMoveTimer(int index, float elapsed);
    void setColorTimer(int index, float elapsed);

    static void registerClass();

private:
    // Takes line as the engine object, out of the task's lists.
    void adopt(CLine* line);
    void releaseLine();
};

} // namespace Orvane::Squirrel
