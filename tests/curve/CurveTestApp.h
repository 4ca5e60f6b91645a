#pragma once

#include "core/CApp.h"

#include "support/FakeCore.h"

#include <algorithm>
#include <cstdint>

namespace OrvaneTest
{

// An application object over a fake core whose millisecond clock the test moves. frame() sets the
// frame speed and frame-time cap from the elapsed time as the frame loop does.
class CurveTestApp
{
public:
    CurveTestApp() : core(new FakeCore), app(new Orvane::CApp("curves"))
    {
        core->milliTime = 1000;
        app->setCore(core);
        Orvane::CApp::set(app);
    }
    ~CurveTestApp()
    {
        Orvane::CApp::set(nullptr);
        app->release();
        core->release();
    }
    CurveTestApp(const CurveTestApp&) = delete;
    CurveTestApp& operator=(const CurveTestApp&) = delete;

    void frame(uint32_t elapsedMs)
    {
        core->milliTime += elapsedMs;
        app->frameSpeed = std::clamp(float(elapsedMs) * 0.06f, 0.0f, 5.0f);
        app->frameTimeCap = std::clamp(float(elapsedMs), 0.0f, 83.333336f);
    }

    FakeCore* core;
    Orvane::CApp* app;
};

} // namespace OrvaneTest
