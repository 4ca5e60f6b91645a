#pragma once

#include "curve/CBezier.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "script/Squirrel/SQObject.h"

#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane::Squirrel
{

// The script class "SQNull3D": an invisible, named frame of the 3D tree that only carries a position and a
// rotation (eased, or following a timed spline or a Bezier path) for other objects to link under. Its
// position is measured in its parent's scaled units, and it passes that scale on to its children.
class SQNull3D : public SQObject
{
public:
    explicit SQNull3D(const char* name);
    // Children hang on under the task's root rather than losing their place in the tree.
    ~SQNull3D() override;

    // Local matrix from rotation and position, then the tree below.
    int updateWorldMatrix() override;
    Kavro::Vector2D getViewSize() override { return {}; }
    // The parent's: the node has no scale of its own.
    Kavro::Vector3D getWorldScale() override;
    // Move, rotation, then the Bezier path and the spline, which win in that order.
    int update() override;

    // Hangs the node under its task's root. 0.
    int create();
    // Under the named object's frame; none, or a frame below this node, leaves it under the task's root.
    void link(const char* name);
    void move(float x, float y, float z, int32_t time, int32_t easing);
    void rotate(float x, float y, float z, int32_t time, int32_t easing);
    // x, y, z and 0 to SQMATH_RET_1..4.
    void getMove();
    void getRotate();
    int isMoving();
    int isRotating();
    void setTimeScale(float scale);
    void resetSpline();
    void setSpline(float x, float y, float z, int32_t time, float weight);
    // Starts the spline and ends the Bezier path.
    void beginSpline(int32_t duration, int32_t easing);
    void resetBezier();
    void setBezier3D(float x, float y, float z);
    // A path of 4, 8, ... points starts and ends the spline; any other count changes nothing.
    void beginBezier(int32_t duration, int32_t easing);
    float getMoveTimer() const { return position.elapsed; }
    float getRotateTimer() const { return rotation.elapsed; }
    float getSplineTimer() const { return spline.progress.elapsed; }
    float getBezierTimer() const { return bezier.progress.elapsed; }
    void setMoveTimer(float t);
    void setRotateTimer(float t);
    void setSplineTimer(float t);
    void setBezierTimer(float t);

    static void registerClass();

private:
    void takePosition(const Kavro::Vector3D& point);

    CInterpolator<Kavro::Vector3D> position;
    CInterpolator<Kavro::Vector3D> rotation;
    float timeScale = 1.0f;
    CBezier<Kavro::Vector3D> bezier;
    CTimedNouniformSpline<Kavro::Vector3D> spline;
};

} // namespace Orvane::Squirrel
