#pragma once
#include <string>

// The interfaces' own declarations need <windows.h>, whose names clash with the driver's.
struct IDXGISwapChain;
struct ID3D11Device;
struct ID3D11DeviceContext;
struct ID3D11RenderTargetView;
struct ID3D11VertexShader;
struct ID3D11PixelShader;
struct ID3D11InputLayout;
struct ID3D11Buffer;

// The GPU presenter on Windows: a Direct3D 11 device and swap chain on the window, whose
// 640 x 480 back buffer is cleared to dark blue and gets one triangle with a red, a green and a
// blue corner on every present, stretched over the window. It never shows the software
// framebuffer. Every object is created once, at set-up, and released before the window goes.
struct D3dPresenter {
    bool vsync = false;       // set before CreateD3dPresenter: presents wait for the vertical blank
    void* runtime = nullptr;  // the Direct3D 11 library, loaded at set-up (an HMODULE)
    IDXGISwapChain* swapChain = nullptr;
    ID3D11Device* device = nullptr;
    ID3D11DeviceContext* context = nullptr;
    ID3D11RenderTargetView* backBuffer = nullptr;
    ID3D11VertexShader* vertexShader = nullptr;
    ID3D11PixelShader* pixelShader = nullptr;
    ID3D11InputLayout* inputLayout = nullptr;
    ID3D11Buffer* vertexBuffer = nullptr;
};

// Creates the device and swap chain on `window` (an HWND), builds the shaders of the HLSL file
// at `shaderPath` and fills the vertex buffer. On failure releases what it made and gives one
// line naming what failed and why.
bool CreateD3dPresenter(D3dPresenter& presenter, void* window, const char* shaderPath, std::string& failure);
// Draws the triangle and presents, without waiting for the vertical blank unless `vsync` asks.
void PresentD3dFrame(D3dPresenter& presenter);
// Releases every object and the library; the window must still exist. Does nothing twice.
void ReleaseD3dPresenter(D3dPresenter& presenter);
