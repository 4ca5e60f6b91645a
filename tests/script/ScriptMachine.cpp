#include "ScriptMachine.h"

#include "script/SquirrelVM.h"

#include <cstdarg>
#include <cstdio>

namespace OrvaneTest
{

namespace
{

ScriptMachine* current = nullptr;

void capturePrint(HSQUIRRELVM, const SQChar* format, ...)
{
    char buffer[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (current)
        current->output += buffer;
}

} // namespace

ScriptMachine::ScriptMachine()
{
    vm = sq_open(1024);
    sq_setprintfunc(vm, capturePrint);
    Orvane::SquirrelVM::Init(vm);
    current = this;
}

ScriptMachine::~ScriptMachine()
{
    close();
}

void ScriptMachine::close()
{
    if (!vm)
        return;
    if (Orvane::SquirrelVM::GetVMPtr() == vm)
        Orvane::SquirrelVM::Release();
    sq_close(vm);
    vm = nullptr;
    if (current == this)
        current = nullptr;
}

std::string ScriptMachine::run(const std::string& source)
{
    const SQInteger top = sq_gettop(vm);
    std::string error;
    if (SQ_FAILED(sq_compilebuffer(vm, source.c_str(), SQInteger(source.size()), "test", SQFalse)))
        error = "compile error";
    else
    {
        sq_pushroottable(vm);
        if (SQ_FAILED(sq_call(vm, 1, SQFalse, SQFalse)))
        {
            sq_getlasterror(vm);
            const SQChar* text = nullptr;
            error = SQ_SUCCEEDED(sq_getstring(vm, -1, &text)) ? text : "non-string error";
        }
    }
    sq_settop(vm, top);
    return error;
}

} // namespace OrvaneTest
