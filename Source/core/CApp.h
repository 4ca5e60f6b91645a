#pragma once

#include "core/CObject.h"

#include <string>

namespace Kavro
{
class ICore;
}

namespace Orvane
{

// The single application object. This holds only what the engine file and the interpolators read:
// the library core, and the frame-speed factor and frame-time cap of the current frame.
class CApp : public CObject
{
public:
    explicit CApp(const std::string& windowName = {});
    ~CApp() override;

    // The process-wide application pointer; null when there is no application object.
    static CApp* get();
    // Installs (or clears, with null) the application pointer. The caller keeps ownership.
    static void set(CApp* app);

    Kavro::ICore* getCore() const { return core; }
    // Keeps the core with a reference; the previous one is released.
    void setCore(Kavro::ICore* newCore);

    // Elapsed milliseconds x 0.06, clamped to 0..5.0; 1.0 at start.
    float frameSpeed = 1.0f;
    // Elapsed milliseconds clamped to 0..83.333336; 0 at start.
    float frameTimeCap = 0.0f;

private:
    Kavro::ICore* core = nullptr;
};

} // namespace Orvane
