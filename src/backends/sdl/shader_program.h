#pragma once
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

// Builds the GPU presenter's program from one GLSL file holding both stages, selected by
// defining VShader or PShader before the file's text. Returns 0, with one line naming the
// file, the stage and the compiler's or linker's log in `failure`, when anything fails.
GLuint BuildShaderProgram(const char* path, std::string& failure);
