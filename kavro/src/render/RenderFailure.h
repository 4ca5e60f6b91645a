#pragma once

#include <string>

namespace Kavro
{

// Why the last attempt to make a drawing context or render device on this thread failed, in the words
// of the library beneath (EGL, SDL, OpenGL). Set where the failure happens, read by the core.
void SetRenderFailure(const std::string& why);
const std::string& LastRenderFailure();
// "EGL_BAD_ALLOC (0x3003)" for the current EGL error.
std::string EglErrorText();

} // namespace Kavro
