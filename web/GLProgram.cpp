#include "web/GLProgram.h"

#include <GLES3/gl3.h>

#include <cstdio>
#include <string>

namespace {
GLuint compile(GLenum kind, const char* source, const char* prelude)
{
    const std::string text = std::string("#version 300 es\n") + prelude + source;
    const char* pointer = text.c_str();
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &pointer, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}
}

unsigned int buildProgram(const char* vertex, const char* fragment, const char* prelude)
{
    const GLuint vs = compile(GL_VERTEX_SHADER, vertex, prelude);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment, prelude);
    if (!vs || !fs) {
        glDeleteShader(vs);
        glDeleteShader(fs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader program does not link: %s\n", log);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}
