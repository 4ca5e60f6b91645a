#pragma once

#include "scene/ModelFiles.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Quaternion.h>
#include <kavro/Vector3D.h>

namespace Kavro
{

// A frame's local transform as scale, then rotation, then translation (row vectors).
struct FramePose
{
    Vector3D translation;
    Quaternion rotation;
    Vector3D scale{1.0f, 1.0f, 1.0f};

    Matrix4x4 matrix() const;
    static FramePose FromMatrix(const Matrix4x4& local);
    // a at t = 0, b at t = 1: linear translation and scale, shortest-path slerped rotation.
    static FramePose Blend(const FramePose& a, const FramePose& b, float t);
};

// The track's keys at frame (between keys linear, rotations slerped; before the first key the first, after
// the last the last). Components the track has no keys for stay as in pose.
void SampleTrack(const MotionTrack& track, float frame, FramePose& pose);

} // namespace Kavro
