#pragma once

#include "particle/CLine.h"

namespace Orvane
{

// The line a script holds before it creates one: its ends can be set and read, but it never animates, builds
// or draws, and takes no surface or camera.
class CNullLine : public CLine
{
public:
    int update() override { return 0; }
    void setSurface(IRenderTarget*) override {}
    int draw() override { return 0; }
    int render() override { return 0; }
    bool isCreated() override { return false; }
    void rebuild() override {}
    void setCamera(Kavro::ICamera*, float, float) override {}
};

} // namespace Orvane
