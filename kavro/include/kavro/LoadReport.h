#pragma once

#include <string>

namespace Kavro
{

// Tells a game's author on stderr that a file the game asked for could not be used, and why: one line
// per name, the first time only, so a script retrying every frame does not flood the terminal.
void ReportLoadFailure(const std::string& name, const std::string& reason);
// Why a plain file cannot be read, naming its full path: missing, not a file, or the system's reason.
std::string ExplainMissingPlainFile(const char* path);

} // namespace Kavro
