#include "backends/win32/d3d_shaders.h"

#include <d3d11.h>
#include <d3dcompiler.h>

#include <vector>

#include "backends/win32/library_function.h"
#include "files/input_file.h"
#include "files/win32/system_error.h"

namespace {

// Position, then a colour read as three floats: the vertex's fourth colour float is in the
// buffer but not read, and the shader sees the colour's alpha as 1.
constexpr D3D11_INPUT_ELEMENT_DESC VERTEX_LAYOUT[] = {
    {"POSITION", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 0, D3D11_INPUT_PER_VERTEX_DATA, 0},
    {"COLOR", 0, DXGI_FORMAT_R32G32B32_FLOAT, 0, 12, D3D11_INPUT_PER_VERTEX_DATA, 0},
};

// The compiler's messages as one line: its line breaks become "; ".
std::string OneLine(ID3DBlob* messages) {
    if (messages == nullptr) {
        return "no message";
    }
    const char* text = static_cast<const char*>(messages->GetBufferPointer());
    std::string line;
    for (size_t i = 0; i < messages->GetBufferSize() && text[i] != '\0'; ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            if (!line.empty() && line.back() != ' ') {
                line += "; ";
            }
        } else {
            line += text[i];
        }
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == ';')) {
        line.pop_back();
    }
    return line;
}

// The compiled code of both entry points, held until the shaders and the layout are made.
struct CompiledShaders {
    ID3DBlob* vertex = nullptr;
    ID3DBlob* pixel = nullptr;
    ~CompiledShaders() {
        if (vertex != nullptr) {
            vertex->Release();
        }
        if (pixel != nullptr) {
            pixel->Release();
        }
    }
};

ID3DBlob* CompileEntry(pD3DCompile compile, const std::vector<char>& text, const char* path,
                       const char* entry, const char* profile, std::string& failure) {
    ID3DBlob* code = nullptr;
    ID3DBlob* messages = nullptr;
    const HRESULT result =
        compile(text.data(), text.size(), path, nullptr, nullptr, entry, profile, 0, 0, &code, &messages);
    if (FAILED(result) || code == nullptr) {
        failure = std::string(path) + ": " + entry +
                  " does not compile: " + (messages != nullptr ? OneLine(messages) : SystemErrorText(result));
    }
    if (messages != nullptr) {
        messages->Release();
    }
    return FAILED(result) ? nullptr : code;
}

bool CompileBoth(pD3DCompile compile, const char* path, CompiledShaders& compiled, std::string& failure) {
    std::vector<char> text;
    std::string reason;
    if (!ReadInputFile(path, text, reason)) {
        failure = std::string(path) + ": cannot read the shader file: " + reason;
        return false;
    }
    compiled.vertex = CompileEntry(compile, text, path, "VShader", "vs_5_0", failure);
    if (compiled.vertex == nullptr) {
        return false;
    }
    compiled.pixel = CompileEntry(compile, text, path, "PShader", "ps_5_0", failure);
    return compiled.pixel != nullptr;
}

bool CreateShaders(D3dPresenter& presenter, const CompiledShaders& compiled, const char* path,
                   std::string& failure) {
    ID3D11Device* device = presenter.device;
    HRESULT result =
        device->CreateVertexShader(compiled.vertex->GetBufferPointer(), compiled.vertex->GetBufferSize(),
                                   nullptr, &presenter.vertexShader);
    if (SUCCEEDED(result)) {
        result = device->CreatePixelShader(compiled.pixel->GetBufferPointer(),
                                           compiled.pixel->GetBufferSize(), nullptr, &presenter.pixelShader);
    }
    if (SUCCEEDED(result)) {
        // Checks VShader's inputs against the vertices' layout.
        result = device->CreateInputLayout(VERTEX_LAYOUT, 2, compiled.vertex->GetBufferPointer(),
                                           compiled.vertex->GetBufferSize(), &presenter.inputLayout);
    }
    if (FAILED(result)) {
        failure = std::string(path) +
                  ": the device refuses the shaders or their inputs: " + SystemErrorText(result);
        return false;
    }
    presenter.context->VSSetShader(presenter.vertexShader, nullptr, 0);
    presenter.context->PSSetShader(presenter.pixelShader, nullptr, 0);
    presenter.context->IASetInputLayout(presenter.inputLayout);
    return true;
}

}  // namespace

bool BuildD3dShaders(D3dPresenter& presenter, const char* path, std::string& failure) {
    HMODULE compiler = LoadLibraryA(D3DCOMPILER_DLL_A);
    if (compiler == nullptr) {
        failure = std::string(D3DCOMPILER_DLL_A) +
                  ": cannot load the shader compiler: " + SystemErrorText(GetLastError());
        return false;
    }
    const auto compile = LibraryFunction<pD3DCompile>(compiler, "D3DCompile");
    bool built = false;
    if (compile == nullptr) {
        failure = std::string(D3DCOMPILER_DLL_A) + ": has no D3DCompile";
    } else {
        // The compiled code is the compiler's and must go before the compiler does.
        CompiledShaders compiled;
        built = CompileBoth(compile, path, compiled, failure) &&
                CreateShaders(presenter, compiled, path, failure);
    }
    FreeLibrary(compiler);
    return built;
}
