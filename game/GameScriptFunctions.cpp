#include "GameScriptFunctions.h"

#include "core/CApp.h"
#include "text/CTextTokenizer.h"
#include "script/SqPlus.h"
#include "script/Squirrel/SQIniFileReader.h"
#include "script/Squirrel/SQW1ScriptReader.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>

#include <algorithm>
#include <string>

namespace Orvane
{

namespace
{

constexpr const char* OperatorCharacters = "+-*/%=!<>";
constexpr int64_t LargestInteger = 2147483647;

bool isAllDigits(const std::string& part)
{
    for (char c : part)
    {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

SquirrelObject operand(const std::string& part)
{
    SquirrelObject value;
    if (part.empty())
        return value;
    if (isAllDigits(part))
    {
        int64_t number = 0;
        for (char c : part)
            number = std::min(number * 10 + (c - '0'), LargestInteger);
        value.SetByValue(SQInteger(number));
        return value;
    }
    std::string upper = part;
    toUpperAscii(upper);
    if (upper == "TRUE" || upper == "FALSE")
        value.SetByValue(SQInteger(upper == "TRUE" ? 1 : 0));
    else
        value.SetByValue(part.c_str());
    return value;
}

void makeCurrent(HSQUIRRELVM vm)
{
    if (SquirrelVM::GetVMPtr() != vm)
        SquirrelVM::Init(vm);
}

} // namespace

SquirrelObject ConvertW1CalcString(const char* text)
{
    const std::string whole = text;
    const size_t at = whole.find_first_of(OperatorCharacters);
    SquirrelObject result = SquirrelVM::CreateArray(0);
    SquirrelObject op;
    if (at != std::string::npos)
        op.SetByValue(whole.substr(at, 1).c_str());
    result.ArrayAppend(op);
    result.ArrayAppend(operand(whole.substr(0, at)));
    result.ArrayAppend(operand(at == std::string::npos ? std::string() : whole.substr(at + 1)));
    return result;
}

int CheckFileExists(const char* path)
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    Kavro::IFileSystem* fileSystem = core ? core->getFileSystem() : nullptr;
    Kavro::IFileStream* stream = fileSystem ? fileSystem->open(path, 0, 0, 0) : nullptr;
    if (!stream)
        return 0;
    const int opened = stream->isOpened();
    stream->release();
    return opened;
}

void RegisterGameScriptFunctions(HSQUIRRELVM vm)
{
    makeCurrent(vm);
    SqPlus::RegisterGlobal(&ConvertW1CalcString, "ConvertW1CalcString");
    SqPlus::RegisterGlobal(&CheckFileExists, "CheckFileExists");
    makeCurrent(vm);
    Squirrel::SQW1ScriptReader::registerClass();
    makeCurrent(vm);
    Squirrel::SQIniFileReader::registerClass();
}

} // namespace Orvane
