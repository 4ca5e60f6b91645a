#pragma once

#include <kavro/Matrix4x4.h>
#include <kavro/Vector2D.h>

namespace Kavro
{
class ICamera;
}

namespace Orvane
{

// m x the view and projection a drawable is seen through on a view of that size (pixels): the camera's,
// or without one (null) the screen's own, an orthographic view of the z = 0 plane from z = -1000 with one
// unit per pixel and depths 0..120000.
Kavro::Matrix4x4 AppendViewProjection(Kavro::Matrix4x4 m, Kavro::ICamera* camera, const Kavro::Vector2D& view);

// Clip space to the pixels of a view of that size: x to the right and y down from the top-left corner.
Kavro::Matrix4x4 ViewportMapping(const Kavro::Vector2D& view);

// World units per pixel that make one pixel cover what a perspective camera shows at that distance, on a
// view viewHeight pixels high; a fieldOfView (degrees) above 0 stands in for the camera's own. 1 without a
// camera, for an orthographic one, at a distance of 0 or less and for a view without height.
float CameraPixelScale(Kavro::ICamera* camera, float distance, float fieldOfView, float viewHeight);

} // namespace Orvane
