#pragma once

#include "core/CTaskObject.h"
#include "script/SquirrelObject.h"

#include <string>

namespace Orvane::Squirrel
{

// Developer aids for scripts: a soft reset of the whole game, debug text on the screen and the
// measured frame rate. The log and dropped-file methods do nothing.
class SQDes : public CTaskObject
{
public:
    explicit SQDes(const char* name) : CTaskObject(name) {}

    // The application rebuilds the script machine and its tasks at the end of this frame.
    void reset();
    void setRunFileName(const char* name);
    int isDroppedFile() { return 0; }
    SquirrelObject getDroppedFileName() { return {}; }
    SquirrelObject getLatestDroppedFileName() { return {}; }
    void setLatestDroppedFileName(const char*) {}
    void clearLog() {}
    int getRunStates() { return runState; }
    // Drawn at once, literally, in the application's debug font.
    void drawDebugString(int x, int y, float red, float green, float blue, const char* text);
    float getDetectFps();
    void printLogWarning(const char*) {}
    void printLogError(const char*) {}

    const std::string& getRunFileName() const { return runFileName; }

    static void registerClass();

private:
    std::string runFileName;
    int runState = 1;
};

} // namespace Orvane::Squirrel
