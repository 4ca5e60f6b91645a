#include "scene/CCamera.h"

#include <cmath>

namespace Kavro
{

namespace
{

constexpr float DegreesPerRadian = 57.29577951f;

bool finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

bool finite(const Vector3D& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

CCamera::CCamera(float aspect)
{
    if (std::isfinite(aspect) && aspect > 0.0f)
        pending_.aspect = aspect;
    active_ = pending_;
}

int CCamera::setPerspective(float fovRadians, float aspect, float zNear, float zFar)
{
    const float degrees = fovRadians * DegreesPerRadian;
    if (!finite(fovRadians, aspect, zNear, zFar) || !(degrees > 0.0f && degrees < 180.0f) || !(aspect > 0.0f) ||
        !(zNear > 0.0f) || !(zNear < zFar))
        return -1;
    pending_.orthographic = false;
    pending_.fovDegrees = degrees;
    pending_.aspect = aspect;
    pending_.zNear = zNear;
    pending_.zFar = zFar;
    return 0;
}

int CCamera::setOrtho(float width, float height, float zNear, float zFar)
{
    if (!finite(width, height, zNear, zFar) || !(width > 0.0f) || !(height > 0.0f) || !(zNear < zFar))
        return -1;
    pending_.orthographic = true;
    pending_.width = width;
    pending_.height = height;
    pending_.aspect = width / height;
    pending_.zNear = zNear;
    pending_.zFar = zFar;
    return 0;
}

int CCamera::setLookAt(const Vector3D& eye, const Vector3D& target, const Vector3D& up)
{
    const Vector3D forward = target - eye;
    if (!finite(eye) || !finite(target) || !finite(up) || !(forward.LengthSq() > 0.0f) ||
        !(forward.GetNormalize().Cross(up.GetNormalize()).LengthSq() > 1e-10f))
        return -1;
    pending_.eye = eye;
    pending_.target = target;
    pending_.up = up;
    return 0;
}

int CCamera::update()
{
    active_ = pending_;
    return 0;
}

Matrix4x4 CCamera::view() const
{
    return Matrix4x4().LookAt(active_.eye, active_.target, active_.up);
}

Matrix4x4 CCamera::projection() const
{
    if (active_.orthographic)
        return Matrix4x4().Ortho(active_.width, active_.height, active_.zNear, active_.zFar);
    return Matrix4x4().Perspective(active_.fovDegrees, active_.aspect, active_.zNear, active_.zFar);
}

Matrix4x4 CCamera::getMatrix()
{
    // The view matrix's inverse: its rotation transposed, the eye as translation.
    const Matrix4x4 v = view();
    Matrix4x4 m(v._11, v._21, v._31, 0.0f, v._12, v._22, v._32, 0.0f, v._13, v._23, v._33, 0.0f, active_.eye.x,
                active_.eye.y, active_.eye.z, 1.0f);
    return m;
}

} // namespace Kavro
