#pragma once

namespace Kavro
{

// Reports every pending OpenGL error on stderr, naming where it was found; answers whether there was one.
// With KAVRO_GL_ERRORS=abort in the environment (the test environment sets it) the process then aborts, so
// that no error passes a test unnoticed.
bool CheckGLErrors(const char* where);

// Empties the error queue without reporting: for calls whose refusal is an expected answer, after
// CheckGLErrors has reported what came before them. Answers the first error, 0 for none.
unsigned TakeGLError();

} // namespace Kavro
