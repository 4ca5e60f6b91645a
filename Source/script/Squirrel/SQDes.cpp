#include "script/Squirrel/SQDes.h"

#include "core/CApp.h"
#include "core/CAppSystemState.h"
#include "script/SqPlus.h"
#include "script/Squirrel/ScriptColour.h"

#include <kavro/ICore.h>

namespace Orvane::Squirrel
{

void SQDes::reset()
{
    runState = 1;
    CApp* app = CApp::get();
    if (app && app->systemState)
        app->systemState->resetRequested = 1;
}

void SQDes::setRunFileName(const char* name)
{
    runFileName = name;
}

void SQDes::drawDebugString(int x, int y, float red, float green, float blue, const char* text)
{
    CApp* app = CApp::get();
    if (!app)
        return;
    ColourBytes colour;
    colour.red = scriptColourByte(red);
    colour.green = scriptColourByte(green);
    colour.blue = scriptColourByte(blue);
    colour.alpha = 255;
    app->drawDebugString(Kavro::Vector2D(float(x), float(y)), colour, "%s", text);
}

float SQDes::getDetectFps()
{
    CApp* app = CApp::get();
    return app && app->getCore() ? app->getCore()->getDetectFps() : 0.0f;
}

void SQDes::registerClass()
{
    SquirrelObject scriptClass = SqPlus::RegisterClassType<SQDes>("SQDes");
    SqPlus::RegisterConstructor<SQDes, const char*>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQDes::reset, "reset");
    SqPlus::RegisterInstance(scriptClass, &SQDes::setRunFileName, "setRunFileName");
    SqPlus::RegisterInstance(scriptClass, &SQDes::isDroppedFile, "isDroppedFile");
    SqPlus::RegisterInstance(scriptClass, &SQDes::getDroppedFileName, "getDroppedFileName");
    SqPlus::RegisterInstance(scriptClass, &SQDes::getLatestDroppedFileName, "getLatestDroppedFileName");
    SqPlus::RegisterInstance(scriptClass, &SQDes::setLatestDroppedFileName, "setLatestDroppedFileName");
    SqPlus::RegisterInstance(scriptClass, &SQDes::clearLog, "clearLog");
    SqPlus::RegisterInstance(scriptClass, &SQDes::getRunStates, "getRunStates");
    SqPlus::RegisterInstance(scriptClass, &SQDes::drawDebugString, "drawDebugString");
    SqPlus::RegisterInstance(scriptClass, &SQDes::getDetectFps, "getDetectFps");
    SqPlus::RegisterInstance(scriptClass, &SQDes::printLogWarning, "printLogWarning");
    SqPlus::RegisterInstance(scriptClass, &SQDes::printLogError, "printLogError");
}

} // namespace Orvane::Squirrel
