#pragma once

#include "core/CTask.h"

namespace Orvane
{

// The task "MAIN": resumes the main script once per frame and draws the render targets. When the
// script fails or ends, the next frame shows the error box and quits the program.
class CTaskMain : public CTask
{
public:
    CTaskMain();

    // WM_CLOSE runs the close handler only while the script is still running; otherwise it quits.
    intptr_t windowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    int initialize() override;
    int update() override;
    // Draws the render targets from the last registered to the first.
    int render() override;

    bool isStopped() const { return stopped != 0; }

private:
    void showErrorAndQuit();

    int32_t stopped = 0;
    // The script's report is written once per stop, however many frames show the box.
    int32_t reported = 0;
    std::string scriptName = "main.nut";
};

} // namespace Orvane
