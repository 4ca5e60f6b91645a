#include "core/CameraView.h"

#include <kavro/ICamera.h>

#include <cmath>

namespace Orvane
{

using Kavro::Matrix4x4;

Matrix4x4 AppendViewProjection(Matrix4x4 m, Kavro::ICamera* camera, const Kavro::Vector2D& view)
{
    if (!camera)
    {
        m *= Matrix4x4().LookAt({0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
        m *= Matrix4x4().Ortho(view.x, view.y, 0.0f, 120000.0f);
        return m;
    }
    m *= Matrix4x4().LookAt(camera->getEye(), camera->getTarget(), camera->getUp());
    if (camera->getProjection() == 1)
        m *= Matrix4x4().Ortho(view.x, view.y, camera->getNear(), camera->getFar());
    else
        m *= Matrix4x4().Perspective(camera->getFieldOfView(), view.x / view.y, camera->getNear(), camera->getFar());
    return m;
}

Matrix4x4 ViewportMapping(const Kavro::Vector2D& view)
{
    return Matrix4x4::GetScaling(0.5f, -0.5f, 1.0f) * Matrix4x4::GetTranslation(0.5f, 0.5f, 0.0f) *
           Matrix4x4::GetScaling(view.x, view.y, 1.0f);
}

float CameraPixelScale(Kavro::ICamera* camera, float distance, float fieldOfView, float viewHeight)
{
    if (!camera || !(distance > 0.0f) || camera->getProjection() != 0 || !(viewHeight > 0.0f))
        return 1.0f;
    const float degrees = fieldOfView > 0.0f ? fieldOfView : camera->getFieldOfView();
    // Half the angle, in radians.
    const float visible = 2.0f * std::tan(degrees * 0.008726646f) * distance;
    return visible / viewHeight;
}

} // namespace Orvane
