// Compile and runtime error reports, collected into the process-wide error text.
#include "script/CSquirrel.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Orvane
{

namespace
{

std::string errorText;
// Stands in for the source name "console_buffer" that a precompiled closure may carry.
std::string substituteSourceName;

const char* reportedSource(const SQChar* source)
{
    if (!source)
        return "unknown";
    if (std::strcmp(source, "console_buffer") == 0)
        return substituteSourceName.c_str();
    return source;
}

// The shortest decimal that reads back as the same float, so 0.1 prints as 0.1 and not with the
// float's binary tail.
double shortestDecimal(float value)
{
    char buffer[32];
    for (int digits = 1; digits <= 9; ++digits)
    {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, double(value));
        if (std::strtof(buffer, nullptr) == value)
            return std::strtod(buffer, nullptr);
    }
    return double(value);
}

void reportLocal(HSQUIRRELVM vm, const SQChar* name)
{
    switch (sq_gettype(vm, -1))
    {
    case OT_NULL:
        CSquirrel::printf("\n[%s] NULL\n", name);
        break;
    case OT_INTEGER:
    {
        SQInteger value = 0;
        sq_getinteger(vm, -1, &value);
        CSquirrel::printf("\n[%s] %d", name, value);
        break;
    }
    case OT_FLOAT:
    {
        SQFloat value = 0;
        sq_getfloat(vm, -1, &value);
        CSquirrel::printf("\n[%s] %.14g", name, shortestDecimal(value));
        break;
    }
    case OT_BOOL:
    {
        SQBool value = SQFalse;
        sq_getbool(vm, -1, &value);
        CSquirrel::printf("\n[%s] %s", name, value ? "true" : "false");
        break;
    }
    case OT_USERPOINTER: CSquirrel::printf("\n[%s] USERPOINTER", name); break;
    case OT_STRING:
    {
        const SQChar* text = "";
        sq_getstring(vm, -1, &text);
        CSquirrel::printf("\n[%s] \"%s\"", name, text);
        break;
    }
    case OT_TABLE: CSquirrel::printf("\n[%s] TABLE", name); break;
    case OT_ARRAY: CSquirrel::printf("\n[%s] ARRAY", name); break;
    case OT_CLOSURE: CSquirrel::printf("\n[%s] CLOSURE", name); break;
    case OT_NATIVECLOSURE: CSquirrel::printf("\n[%s] NATIVECLOSURE", name); break;
    case OT_GENERATOR: CSquirrel::printf("\n[%s] GENERATOR", name); break;
    case OT_USERDATA: CSquirrel::printf("\n[%s] USERDATA", name); break;
    case OT_THREAD: CSquirrel::printf("\n[%s] THREAD", name); break;
    case OT_CLASS: CSquirrel::printf("\n[%s] CLASS", name); break;
    case OT_INSTANCE: CSquirrel::printf("\n[%s] INSTANCE", name); break;
    case OT_WEAKREF: CSquirrel::printf("\n[%s] WEAKREF", name); break;
    default: break;
    }
}

} // namespace

void CSquirrel::printf(const char* format, ...)
{
    char buffer[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    errorText += buffer;
}

const std::string& CSquirrel::getErrorText()
{
    return errorText;
}

void CSquirrel::clearErrorText()
{
    errorText.clear();
}

void CSquirrel::onCompileError(HSQUIRRELVM, const SQChar* description, const SQChar* source, SQInteger line,
                               SQInteger column)
{
    printf("\nスクリプトのコンパイルに失敗しました");
    printf("\n%s %d行、%d文字目 : error %s", reportedSource(source), line, column, description ? description : "");
}

SQInteger CSquirrel::reportRuntimeError(HSQUIRRELVM vm)
{
    const SQInteger top = sq_gettop(vm);
    if (top < 1)
        return 0;
    printf("エラーの詳細：");
    const SQChar* text = nullptr;
    // Called directly, the frame at hand may hold fewer than two values.
    if (top >= 2 && sq_gettype(vm, 2) == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
        printf("%s", text);
    else
        printf("不明");
    reportLocals(vm);
    return 0;
}

void CSquirrel::reportLocals(HSQUIRRELVM vm)
{
    SQStackInfos info;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(vm, level, &info)); ++level)
    {
        printf("\nスクリプトファイル：%s\nfunction名：%s %d行目", reportedSource(info.source),
               info.funcname ? info.funcname : "unknown", info.line);
    }
    printf("\nLOCALS");
    for (SQUnsignedInteger level = 0; level < 10; ++level)
    {
        for (SQUnsignedInteger index = 0;; ++index)
        {
            const SQChar* name = sq_getlocal(vm, level, index);
            if (!name)
                break;
            reportLocal(vm, name);
            sq_poptop(vm);
        }
    }
}

} // namespace Orvane
