#include "backends/sdl/shader_program.h"

#include <vector>

#include "files/input_file.h"

namespace {

// The log as one line: its line breaks become "; ".
std::string OneLine(std::string log) {
    while (!log.empty() && (log.back() == '\n' || log.back() == ' ')) {
        log.pop_back();
    }
    std::string line;
    for (char c : log) {
        line += c == '\n' ? std::string("; ") : std::string(1, c);
    }
    return line;
}

using GetParameter = void (*)(GLuint, GLenum, GLint*);
using GetInfoLog = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

// The info log of a shader or a program object, read through that object's pair of queries.
std::string InfoLog(GLuint object, GetParameter getParameter, GetInfoLog getInfoLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    getInfoLog(object, length, nullptr, log.data());
    return OneLine(log.data());
}

std::string ShaderLog(GLuint shader) {
    return InfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string ProgramLog(GLuint program) {
    return InfoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

GLuint CompileStage(GLenum stage, const char* entry, const std::string& text, const char* path,
                    std::string& failure) {
    // "#line 1" makes the compiler's log count lines as the file does.
    const std::string header = std::string("#version 330 core\n#define ") + entry + "\n#line 1\n";
    const char* parts[] = {header.c_str(), text.c_str()};
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        failure = std::string(path) + ": " + entry + " does not compile: " + ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint LinkProgram(GLuint vertexShader, GLuint pixelShader, const char* path, std::string& failure) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, pixelShader);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        failure = std::string(path) + ": the shaders do not link: " + ProgramLog(program);
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

}  // namespace

GLuint BuildShaderProgram(const char* path, std::string& failure) {
    std::vector<char> bytes;
    std::string reason;
    if (!ReadInputFile(path, bytes, reason)) {
        failure = std::string(path) + ": cannot read the shader file: " + reason;
        return 0;
    }
    const std::string text(bytes.begin(), bytes.end());
    GLuint vertexShader = CompileStage(GL_VERTEX_SHADER, "VShader", text, path, failure);
    if (vertexShader == 0) {
        return 0;
    }
    GLuint pixelShader = CompileStage(GL_FRAGMENT_SHADER, "PShader", text, path, failure);
    if (pixelShader == 0) {
        glDeleteShader(vertexShader);
        return 0;
    }
    GLuint program = LinkProgram(vertexShader, pixelShader, path, failure);
    glDeleteShader(vertexShader);
    glDeleteShader(pixelShader);
    return program;
}
