#pragma once

// OpenGL 3.3 core entry points, linked through the system's GL dispatch library (libOpenGL).
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
