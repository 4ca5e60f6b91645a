#include "render/GLProgram.h"

#include <cstdio>

namespace Kavro
{

namespace
{

GLuint compileStage(const char* what, GLenum kind, const char* header, const char* source)
{
    GLuint shader = glCreateShader(kind);
    const char* parts[] = {header, source};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok)
        return shader;
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    std::fprintf(stderr, "kavro: %s shader does not compile: %s\n", what, log);
    glDeleteShader(shader);
    return 0;
}

} // namespace

GLuint BuildGLProgram(const char* what, const char* header, const char* vertexSource, const char* fragmentSource)
{
    GLuint vertex = compileStage(what, GL_VERTEX_SHADER, header, vertexSource);
    GLuint fragment = compileStage(what, GL_FRAGMENT_SHADER, header, fragmentSource);
    GLuint program = 0;
    if (vertex && fragment)
    {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (!program)
        return 0;
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok)
        return program;
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
    std::fprintf(stderr, "kavro: %s shader does not link: %s\n", what, log);
    glDeleteProgram(program);
    return 0;
}

} // namespace Kavro
