#pragma once

#include <squirrel.h>

namespace Orvane
{

// Puts a machine's stack top back where it was when the guard leaves scope.
class StackGuard
{
public:
    explicit StackGuard(HSQUIRRELVM vm) : vm(vm), top(sq_gettop(vm)) {}
    ~StackGuard() { sq_settop(vm, top); }
    StackGuard(const StackGuard&) = delete;
    StackGuard& operator=(const StackGuard&) = delete;

private:
    HSQUIRRELVM vm;
    SQInteger top;
};

} // namespace Orvane
