#pragma once

#include "render/GL.h"

namespace Kavro
{

// Compiles a vertex and a fragment stage (each preceded by `header`) and links them. Answers 0 when either
// stage or the link fails, with the driver's log on stderr under `what`; nothing is left allocated then.
GLuint BuildGLProgram(const char* what, const char* header, const char* vertexSource, const char* fragmentSource);

} // namespace Kavro
