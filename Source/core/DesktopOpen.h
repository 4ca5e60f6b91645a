#pragma once

#include <string>

namespace Orvane
{

// Hands a path or an address to the desktop's opener (xdg-open) without waiting for it and
// without a shell. The result of the opener is not known; 0 when it was started, -1 otherwise.
int openWithDesktop(const std::string& target);

} // namespace Orvane
