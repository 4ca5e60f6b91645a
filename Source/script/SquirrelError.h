#pragma once

#include <squirrel.h>

#include <string>

namespace Orvane
{

// The binding framework's failure. It never crosses the virtual machine's own frames: every native
// entry point turns it into a script error (see SqPlus::NativeBoundary).
class SquirrelError
{
public:
    // Takes the machine's last error when it is a string, else "unknown error". The text is copied,
    // so it stays valid after the machine changes or closes.
    SquirrelError();
    explicit SquirrelError(const char* text) : desc(text ? text : "unknown error") {}
    explicit SquirrelError(std::string text) : desc(std::move(text)) {}

    std::string desc;
};

} // namespace Orvane
