#include "script/ScriptGlobalFunctions.h"

#include "core/CApp.h"
#include "core/DesktopOpen.h"
#include "core/CAppSystemState.h"
#include "core/NGCodeSets.h"
#include "core/StartupState.h"
#include "core/TextEncoding.h"
#include "model/Squirrel/SQModel.h"
#include "model/Squirrel/SQModelCharacter.h"
#include "particle/Squirrel/SQLine.h"
#include "particle/Squirrel/SQParticle.h"
#include "scene/Squirrel/SQSceneRegistration.h"
#include "script/SqPlus.h"
#include "script/Squirrel/SQAction1D.h"
#include "script/Squirrel/SQApp.h"
#include "script/Squirrel/SQDes.h"
#include "script/Squirrel/SQFile.h"
#include "script/Squirrel/SQProcess.h"
#include "sound/Squirrel/SQSoundRegistration.h"
#include "sprite/Squirrel/SQSprite.h"
#include "text/CTextTokenizer.h"
#include "text/Squirrel/SQText.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>

#include <algorithm>
#include <ctime>

namespace Orvane
{

namespace
{

int RandomI(int min, int max)
{
    return globalRandom().GetInt(min, max);
}

float RandomF(float min, float max)
{
    return globalRandom().GetFloat(min, max);
}

int GetScreenWidth()
{
    CApp* app = CApp::get();
    return app ? app->screenWidth : 0;
}

int GetScreenHeight()
{
    CApp* app = CApp::get();
    return app ? app->screenHeight : 0;
}

Kavro::ICore* applicationCore()
{
    CApp* app = CApp::get();
    return app ? app->getCore() : nullptr;
}

Kavro::IFileSystem* applicationFileSystem()
{
    Kavro::ICore* core = applicationCore();
    return core ? core->getFileSystem() : nullptr;
}

// The command is only ever handed to the desktop's opener, as a path or an address.
int SystemCall(const char* command)
{
    Kavro::ICore* core = applicationCore();
    if (!core)
        return -1;
    CAppSystemState* state = CApp::get()->systemState;
    if (core->isFullScreen() && state && state->fullScreen)
    {
        state->fullScreen = 0;
        state->apply();
    }
    if (applicationFileSystem())
        openWithDesktop(command);
    return -1;
}

// Message text as UTF-16 without line breaks and tabs.
std::u16string messageUnits(const std::string& text)
{
    std::u16string units;
    utf8ToUtf16(text, units);
    std::erase(units, u'\n');
    std::erase(units, u'\r');
    std::erase(units, u'\t');
    return units;
}

// The text and ruby code units of message markup; false when the tokenizer refuses it.
bool messageText(const char* markup, std::u16string& text, std::u16string& ruby)
{
    CTextTokenizer tokenizer;
    if (!tokenizer.tokenize(markup))
        return false;
    for (const CTextTokenizer::Line& line : tokenizer.lines)
    {
        for (const CTextTokenizer::CToken& token : line)
        {
            if (token.name == "RUBY")
            {
                auto found = std::find_if(token.attributes.begin(), token.attributes.end(),
                                          [](const CTextTokenizer::CAttribute& a) { return a.key == "TEXT"; });
                if (found != token.attributes.end())
                    ruby += messageUnits(found->value);
            }
            if (!token.text.empty())
                text += messageUnits(token.text);
        }
    }
    return true;
}

SquirrelObject CountTextLength(const char* markup)
{
    std::u16string text, ruby;
    if (!messageText(markup, text, ruby))
        return {};
    SquirrelObject result = SquirrelVM::CreateTable();
    result.SetValue("text", SQInteger(text.size()));
    result.SetValue("ruby", SQInteger(ruby.size()));
    return result;
}

SquirrelObject unitArray(const std::u16string& units)
{
    SquirrelObject array = SquirrelVM::CreateArray(0);
    for (char16_t unit : units)
    {
        SquirrelObject value;
        value.SetByValue(SQInteger(unit));
        array.ArrayAppend(value);
    }
    return array;
}

SquirrelObject ConvertToUTF16(const char* markup)
{
    std::u16string text, ruby;
    if (!messageText(markup, text, ruby))
        return {};
    SquirrelObject result = SquirrelVM::CreateTable();
    result.SetValue("text", unitArray(text));
    result.SetValue("ruby", unitArray(ruby));
    return result;
}

std::string GetSavePathRoot()
{
    return getSavePathRoot();
}

void SetSavePathRoot(const char* path)
{
    setSavePathRoot(path);
}

std::string GetTempPathRoot()
{
    return getTempPathRoot();
}

int FileDelete(const char* path)
{
    Kavro::IFileSystem* fileSystem = applicationFileSystem();
    return fileSystem ? fileSystem->deleteFile(path) : 0;
}

int FileCopy(const char* source, const char* destination, int option)
{
    Kavro::IFileSystem* fileSystem = applicationFileSystem();
    return fileSystem && fileSystem->copyFile(source, destination, &option) != 0 ? 1 : 0;
}

int FileMove(const char* source, const char* destination)
{
    Kavro::IFileSystem* fileSystem = applicationFileSystem();
    return fileSystem ? fileSystem->moveFile(source, destination) : 0;
}

// Same type and same value: numbers by value (a NaN equals nothing), everything else by identity.
int CompareSqObject(const SquirrelObject& a, const SquirrelObject& b)
{
    const HSQOBJECT& x = a.GetObjectHandle();
    const HSQOBJECT& y = b.GetObjectHandle();
    if (x._type != y._type)
        return 0;
    switch (x._type)
    {
    case OT_NULL:
        return 1;
    case OT_FLOAT:
        return x._unVal.fFloat == y._unVal.fFloat ? 1 : 0;
    case OT_INTEGER:
    case OT_BOOL:
        return x._unVal.nInteger == y._unVal.nInteger ? 1 : 0;
    case OT_USERPOINTER:
        return x._unVal.pUserPointer == y._unVal.pUserPointer ? 1 : 0;
    default:
        return x._unVal.pRefCounted == y._unVal.pRefCounted ? 1 : 0;
    }
}

void ResetNGCode()
{
    resetNGCodes();
}

// Anything but a string adds nothing.
void addNGCodeText(NGCodeSet set, const SquirrelObject& text)
{
    if (text.GetType() != OT_STRING)
        return;
    std::u16string units;
    toWide(CodePageUtf8, text.ToString(), units);
    addNGCodes(set, units);
}

void AddNGCode_HeadOfLine(const SquirrelObject& text)
{
    addNGCodeText(NGCodeSet::HeadOfLine, text);
}

void AddNGCode_EndOfLine(const SquirrelObject& text)
{
    addNGCodeText(NGCodeSet::EndOfLine, text);
}

} // namespace

Kavro::CRandom& globalRandom()
{
    static Kavro::CRandom random;
    return random;
}

void seedGlobalRandom()
{
    globalRandom().Seed(uint32_t(uint64_t(std::time(nullptr))));
}

const std::string& getTempPathRoot()
{
    static const std::string root;
    return root;
}

void RegisterGlobalFunctions()
{
    SqPlus::RegisterGlobal(&RandomI, "RandomI");
    SqPlus::RegisterGlobal(&RandomF, "RandomF");
    SqPlus::RegisterGlobal(&GetScreenWidth, "GetScreenWidth");
    SqPlus::RegisterGlobal(&GetScreenHeight, "GetScreenHeight");
    SqPlus::RegisterGlobal(&SystemCall, "SystemCall");
    SqPlus::RegisterGlobal(&CountTextLength, "CountTextLength");
    SqPlus::RegisterGlobal(&ConvertToUTF16, "ConvertToUTF16");
    SqPlus::RegisterGlobal(&GetSavePathRoot, "GetSavePathRoot");
    SqPlus::RegisterGlobal(&SetSavePathRoot, "SetSavePathRoot");
    SqPlus::RegisterGlobal(&GetTempPathRoot, "GetTempPathRoot");
    SqPlus::RegisterGlobal(&FileDelete, "FileDelete");
    SqPlus::RegisterGlobal(&FileCopy, "FileCopy");
    SqPlus::RegisterGlobal(&FileMove, "FileMove");
    SqPlus::RegisterGlobal(&CompareSqObject, "CompareSqObject");
    SqPlus::RegisterGlobal(&ResetNGCode, "ResetNGCode");
    SqPlus::RegisterGlobal(&AddNGCode_HeadOfLine, "AddNGCode_HeadOfLine");
    SqPlus::RegisterGlobal(&AddNGCode_EndOfLine, "AddNGCode_EndOfLine");
}

void RegisterScriptClasses()
{
    Squirrel::SQApp::registerClass();
    Squirrel::RegisterSoundClasses();
    Squirrel::RegisterSpriteClasses();
    Squirrel::SQText::registerClass();
    Squirrel::SQLine::registerClass();
    Squirrel::SQParticle::registerClass();
    Squirrel::SQModel::registerClass();
    Squirrel::SQModelCharacter::registerClass();
    Squirrel::RegisterSceneClasses();
    Squirrel::SQProcess::registerClass();
    Squirrel::SQFile::registerClass();
    Squirrel::SQDes::registerClass();
    Squirrel::SQAction1D::registerClass();
}

} // namespace Orvane
