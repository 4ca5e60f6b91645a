#pragma once

#include "curve/CBezier.h"
#include "curve/CInterpolator.h"
#include "curve/CTimedNouniformSpline.h"
#include "script/Squirrel/SQRenderer.h"
#include "script/SquirrelObject.h"

#include <kavro/Vector3D.h>

#include <cstdint>

namespace Kavro
{
class ICamera;
}

namespace Orvane
{
class CEffectShake;
}

namespace Orvane::Squirrel
{

// The script class "SQCamera": owns one library camera and drives it. Position and rotation ease, follow a
// Bezier path or a timeline of keys (position, rotation and field of view together), and shake. In free
// mode the camera looks along its own +z; in fixed look-at mode it looks at a target point. Every frame
// the animations step and the projection and placement are handed to the library camera ("apply"), and
// so do the setters that change the placement. Sprites, lines and particles use it by its name.
class SQCamera : public SQRenderer<void>
{
public:
    explicit SQCamera(const char* name);
    ~SQCamera() override;

    void* getEngineObject() override { return nullptr; }
    bool isCamera() override { return true; }
    Kavro::ICamera* getCamera() override { return camera; }

    // The render pass hands the state to the library camera before the scene is drawn.
    int render() override;
    // The per-frame step: animations, then apply.
    int update() override;
    void setTimeScale(float scale) override;
    // The shake effect is the camera's whole record.
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    // Projection; both send it at once and answer 0.
    int create(float fovDegrees, float aspectRatio, float zNear, float zFar);
    int createOrtho(float width, float height, float zNear, float zFar);
    float getFov() const { return fov; }

    // Placement.
    void lookAt(float x, float y, float z);
    // A move along the camera's own axes, the whole delta once per frame, in free mode.
    void moveDelta(float x, float y, float z);
    void move3D(float x, float y, float z, int32_t time, int32_t easing);
    void rotate(float x, float y, float z, int32_t time, int32_t easing);
    // x, y, z and 0 to SQMATH_RET_1..4.
    void getMove();
    void getRotate();
    void getLookAt();
    int isMoving();
    int isRotating();
    void setFixedLookAt(int32_t flag);
    int isFixedLookAt() const { return int(fixedLookAt); }
    void setSceneCamera();

    // Bezier path of the position.
    void resetBezier();
    void setBezier3D(float x, float y, float z);
    void beginBezier(int32_t time, int32_t easing);

    // Timeline: one key of position, rotation and field of view at a time.
    void resetTimeline();
    void setTimeline(SquirrelObject position, SquirrelObject rotation, float fovDegrees, int32_t time,
                     float weight);
    void beginTimeline(int32_t duration, int32_t easing);

    // Shakes from SQMATH_V3_1 to SQMATH_V3_2 (camera space): swing period, mode, duration, easings.
    void shake(int32_t period, int32_t mode, int32_t duration, int32_t easing, int32_t swingEasing);
    void randomShake(int32_t period, int32_t mode, int32_t duration, int32_t easing, int32_t swingEasing);

    float getMoveTimer() const { return move.elapsed; }
    float getRotateTimer() const { return rotation.elapsed; }
    float getTimelineTimer() const { return positionTimeline.progress.elapsed; }
    float getBezierTimer() const { return bezier.progress.elapsed; }
    float getShakeTimer() const;
    void setMoveTimer(float t);
    void setRotateTimer(float t);
    void setTimelineTimer(float t);
    void setBezierTimer(float t);
    void setShakeTimer(float t);

    // Width and height of the view at that distance to SQMATH_RET_1 and 2.
    void calcScreenSize(float distance);

    // Sends projection and placement to the library camera.
    void apply();

    static void registerClass();

private:
    void replaceShake(CEffectShake* effect);
    void takePosition(const Kavro::Vector3D& position);
    void takeRotation(const Kavro::Vector3D& angles);
    void clearBezier();

    Kavro::ICamera* camera = nullptr;
    float fov = 0.0f;
    float aspect = 0.0f;
    float nearClip = 0.0f;
    float farClip = 0.0f;
    Kavro::Vector3D delta;
    uint32_t orthographic = 0;
    float orthoWidth = 0.0f;
    float orthoHeight = 0.0f;
    Kavro::Vector3D target;
    CInterpolator<Kavro::Vector3D> move;
    CInterpolator<Kavro::Vector3D> rotation;
    uint32_t fixedLookAt = 0;
    CBezier<Kavro::Vector3D> bezier;
    CTimedNouniformSpline<Kavro::Vector3D> positionTimeline;
    CTimedNouniformSpline<Kavro::Vector3D> rotationTimeline;
    CTimedNouniformSpline<float> fovTimeline;
    CEffectShake* shakeEffect = nullptr;
};

} // namespace Orvane::Squirrel
