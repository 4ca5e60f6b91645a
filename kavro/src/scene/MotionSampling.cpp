#include "scene/MotionSampling.h"

#include <algorithm>

namespace Kavro
{

Matrix4x4 FramePose::matrix() const
{
    Matrix4x4 m = rotation.ToMatrix();
    for (int c = 0; c < 3; ++c)
    {
        m.m[0][c] *= scale.x;
        m.m[1][c] *= scale.y;
        m.m[2][c] *= scale.z;
    }
    m._41 = translation.x, m._42 = translation.y, m._43 = translation.z;
    return m;
}

FramePose FramePose::FromMatrix(const Matrix4x4& local)
{
    FramePose pose;
    Matrix4x4 rotation;
    local.Dissolution(&pose.scale, &rotation, &pose.translation);
    pose.rotation.FromMatrix(rotation);
    pose.rotation.Normalize();
    return pose;
}

FramePose FramePose::Blend(const FramePose& a, const FramePose& b, float t)
{
    if (t >= 1.0f)
        return b;
    if (t <= 0.0f)
        return a;
    return {Vector3D::Lerp(a.translation, b.translation, t), Quaternion::Slerp(a.rotation, b.rotation, t),
            Vector3D::Lerp(a.scale, b.scale, t)};
}

namespace
{

// The index of the last key at or before frame (0 before the first), and the fraction towards the next.
template <typename Key> std::pair<size_t, float> locate(const std::vector<Key>& keys, float frame)
{
    const auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                        [](float f, const Key& key) { return f < key.frame; });
    if (after == keys.begin())
        return {0, 0.0f};
    const size_t i = size_t(after - keys.begin()) - 1;
    if (i + 1 >= keys.size())
        return {i, 0.0f};
    const float span = keys[i + 1].frame - keys[i].frame;
    return {i, span > 0.0f ? (frame - keys[i].frame) / span : 0.0f};
}

Vector3D sample(const std::vector<MotionVectorKey>& keys, float frame)
{
    const auto [i, t] = locate(keys, frame);
    return t > 0.0f ? Vector3D::Lerp(keys[i].value, keys[i + 1].value, t) : keys[i].value;
}

} // namespace

void SampleTrack(const MotionTrack& track, float frame, FramePose& pose)
{
    if (!track.translations.empty())
        pose.translation = sample(track.translations, frame);
    if (!track.scales.empty())
        pose.scale = sample(track.scales, frame);
    if (!track.rotations.empty())
    {
        const auto [i, t] = locate(track.rotations, frame);
        pose.rotation = t > 0.0f ? Quaternion::Slerp(track.rotations[i].value, track.rotations[i + 1].value, t)
                                 : track.rotations[i].value;
    }
}

} // namespace Kavro
