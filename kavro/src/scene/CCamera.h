#pragma once

#include <kavro/ICamera.h>
#include <kavro/RefCounted.h>

namespace Kavro
{

// A camera of the 3D scene. Setters change the pending values; update puts them into effect, and every
// query, the scene's drawing and the screen conversions use the values in effect. A projection that
// cannot be drawn (zero or negative field of view, aspect or size, near not below far, or a negative
// near plane for a perspective) and a look-at whose eye meets its target or whose up lies along the view are
// ignored: the camera keeps what it had, so one applied before it is given a projection still draws sanely.
class CCamera : public RefCounted<ICamera>
{
public:
    // aspect: the screen's width over height, the aspect of the starting perspective.
    explicit CCamera(float aspect);

    Vector3D getEye() override { return active_.eye; }
    Vector3D getTarget() override { return active_.target; }
    Vector3D getUp() override { return active_.up; }
    int getProjection() override { return active_.orthographic ? 1 : 0; }
    float getFieldOfView() override { return active_.fovDegrees; }
    float getNear() override { return active_.zNear; }
    float getFar() override { return active_.zFar; }

    int setPerspective(float fovRadians, float aspect, float zNear, float zFar) override;
    int setOrtho(float width, float height, float zNear, float zFar) override;
    int setLookAt(const Vector3D& eye, const Vector3D& target, const Vector3D& up) override;
    int update() override;
    Matrix4x4 getMatrix() override;
    float getFov() override { return active_.fovDegrees; }
    const float* getAspect() override { return &active_.aspect; }
    Vector3D getPosition() override { return active_.eye; }

    // World to view space, and view to the library's clip space (depth 0..w), as in effect.
    Matrix4x4 view() const;
    Matrix4x4 projection() const;

private:
    struct State
    {
        bool orthographic = false;
        float fovDegrees = 45.0f;
        float aspect = 4.0f / 3.0f;
        float width = 0.0f, height = 0.0f;
        float zNear = 1.0f, zFar = 1000.0f;
        Vector3D eye{0.0f, 0.0f, 0.0f};
        Vector3D target{0.0f, 0.0f, 1.0f};
        Vector3D up{0.0f, 1.0f, 0.0f};
    };
    State pending_;
    State active_;
};

} // namespace Kavro
