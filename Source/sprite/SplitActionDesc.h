#pragma once

#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstdint>

namespace Orvane
{

// How the pieces of a split sprite fly: one block per animated quantity, each enabled on its own.
struct SplitVectorBlock
{
    uint32_t enabled = 0;
    Kavro::Vector2D distEdge;
    float distMin = 0.0f;
    float distMax = 0.0f;
    float distRandMin = 0.0f;
    float distRandMax = 0.0f;
    Kavro::Vector3D randMin;
    Kavro::Vector3D randMax;
    Kavro::Vector3D mask;
    int32_t inv = 0;
    int32_t aspect = 0;
    Kavro::Vector3D center;
    Kavro::Vector3D dir;
};

struct SplitFloatBlock
{
    uint32_t enabled = 0;
    Kavro::Vector2D distEdge;
    float distMin = 0.0f;
    float distMax = 0.0f;
    float distRandMin = 0.0f;
    float distRandMax = 0.0f;
    float randMin = 0.0f;
    float randMax = 0.0f;
    float mask = 0.0f;
    int32_t inv = 0;
    int32_t aspect = 0;
    Kavro::Vector3D center;
    Kavro::Vector3D dir;
};

// A direction of a split rule: v at unit length, or zero when v is too short to have a direction.
inline Kavro::Vector3D SplitUnitOrZero(const Kavro::Vector3D& v)
{
    return v.LengthSq() < 1e-5f ? Kavro::Vector3D() : v.GetNormalize();
}

struct SplitActionDesc
{
    float time = 0.0f; // seconds
    int32_t seed = 0;
    SplitVectorBlock vel;
    SplitVectorBlock acc;
    SplitVectorBlock angVel;
    SplitVectorBlock angAcc;
    SplitFloatBlock delay;
    float regist = 0.0f;
    float angRegist = 0.0f;
};

} // namespace Orvane
