#pragma once

#include "CurveTestApp.h"

#include <kavro/Vector3D.h>

#include <gtest/gtest.h>

namespace OrvaneTest
{

inline void expectNear(const Kavro::Vector3D& actual, const Kavro::Vector3D& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Advances the clock by one millisecond with a step of exactly `ms` milliseconds.
inline void exactStep(CurveTestApp& app, float ms)
{
    app.core->milliTime += 1;
    app.app->frameSpeed = 1000.0f;
    app.app->frameTimeCap = ms;
}

} // namespace OrvaneTest
