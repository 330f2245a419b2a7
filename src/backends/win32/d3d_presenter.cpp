#include "backends/win32/d3d_presenter.h"

#include <d3d11.h>

#include <cstring>

#include "backends/win32/d3d_shaders.h"
#include "backends/win32/library_function.h"
#include "files/win32/system_error.h"
#include "platform/gpu_triangle.h"
#include "render/framebuffer.h"

namespace {

constexpr const char* RUNTIME_LIBRARY = "d3d11.dll";

// A 640 x 480 back buffer with four samples a pixel, presented into the window however large it
// is; windowed in full screen too, where the window itself covers the display.
DXGI_SWAP_CHAIN_DESC SwapChainDescription(HWND window) {
    DXGI_SWAP_CHAIN_DESC description{};
    description.BufferDesc.Width = FRAME_WIDTH;
    description.BufferDesc.Height = FRAME_HEIGHT;
    description.BufferDesc.Format = DXGI_FORMAT_R8G8B8A8_UNORM;
    description.SampleDesc.Count = 4;
    description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    description.BufferCount = 1;
    description.OutputWindow = window;
    description.Windowed = TRUE;
    description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    return description;
}

// The runtime is loaded rather than imported, so that the program starts, and shows its frames
// with the software presenter, on a system that lacks it.
bool CreateDevice(D3dPresenter& presenter, HWND window, std::string& failure) {
    HMODULE runtime = LoadLibraryA(RUNTIME_LIBRARY);
    presenter.runtime = runtime;
    if (runtime == nullptr) {
        failure =
            std::string(RUNTIME_LIBRARY) + ": cannot load Direct3D 11: " + SystemErrorText(GetLastError());
        return false;
    }
    const auto create =
        LibraryFunction<PFN_D3D11_CREATE_DEVICE_AND_SWAP_CHAIN>(runtime, "D3D11CreateDeviceAndSwapChain");
    if (create == nullptr) {
        failure = std::string(RUNTIME_LIBRARY) + ": has no D3D11CreateDeviceAndSwapChain";
        return false;
    }
    const DXGI_SWAP_CHAIN_DESC description = SwapChainDescription(window);
    const HRESULT result =
        create(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &description,
               &presenter.swapChain, &presenter.device, nullptr, &presenter.context);
    if (FAILED(result)) {
        failure =
            "cannot create a Direct3D 11 device and swap chain on the window: " + SystemErrorText(result);
        return false;
    }
    return true;
}

bool BindBackBuffer(D3dPresenter& presenter, std::string& failure) {
    ID3D11Texture2D* texture = nullptr;
    HRESULT result =
        presenter.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&texture));
    if (SUCCEEDED(result)) {
        result = presenter.device->CreateRenderTargetView(texture, nullptr, &presenter.backBuffer);
        texture->Release();  // the view holds the buffer
    }
    if (FAILED(result)) {
        failure = "cannot draw into the swap chain's back buffer: " + SystemErrorText(result);
        return false;
    }
    presenter.context->OMSetRenderTargets(1, &presenter.backBuffer, nullptr);
    D3D11_VIEWPORT viewport{};
    viewport.Width = static_cast<float>(FRAME_WIDTH);
    viewport.Height = static_cast<float>(FRAME_HEIGHT);
    presenter.context->RSSetViewports(1, &viewport);
    return true;
}

// The buffer is written once through a mapping that discards its old content.
bool CreateTriangleBuffer(D3dPresenter& presenter, std::string& failure) {
    D3D11_BUFFER_DESC description{};
    description.ByteWidth = sizeof TRIANGLE;
    description.Usage = D3D11_USAGE_DYNAMIC;
    description.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
    HRESULT result = presenter.device->CreateBuffer(&description, nullptr, &presenter.vertexBuffer);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (SUCCEEDED(result)) {
        result = presenter.context->Map(presenter.vertexBuffer, 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped);
    }
    if (FAILED(result)) {
        failure = "cannot fill the triangle's vertex buffer: " + SystemErrorText(result);
        return false;
    }
    std::memcpy(mapped.pData, TRIANGLE, sizeof TRIANGLE);
    presenter.context->Unmap(presenter.vertexBuffer, 0);
    return true;
}

template <typename Object>
void ReleaseObject(Object*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

bool CreateD3dPresenter(D3dPresenter& presenter, void* window, const char* shaderPath, std::string& failure) {
    const bool created =
        CreateDevice(presenter, static_cast<HWND>(window), failure) && BindBackBuffer(presenter, failure) &&
        BuildD3dShaders(presenter, shaderPath, failure) && CreateTriangleBuffer(presenter, failure);
    if (!created) {
        ReleaseD3dPresenter(presenter);
    }
    return created;
}

void PresentD3dFrame(D3dPresenter& presenter) {
    ID3D11DeviceContext* context = presenter.context;
    context->ClearRenderTargetView(presenter.backBuffer, CLEAR_COLOUR);
    const UINT stride = sizeof(TriangleVertex);
    const UINT offset = 0;
    context->IASetVertexBuffers(0, 1, &presenter.vertexBuffer, &stride, &offset);
    context->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
    context->Draw(3, 0);
    presenter.swapChain->Present(presenter.vsync ? 1 : 0, 0);  // sync interval 1: on the next vertical blank
}

void ReleaseD3dPresenter(D3dPresenter& presenter) {
    // Unbound first, so that each release below frees its object at once.
    if (presenter.context != nullptr) {
        presenter.context->ClearState();
        presenter.context->Flush();
    }
    ReleaseObject(presenter.inputLayout);
    ReleaseObject(presenter.vertexShader);
    ReleaseObject(presenter.pixelShader);
    ReleaseObject(presenter.vertexBuffer);
    ReleaseObject(presenter.backBuffer);
    ReleaseObject(presenter.swapChain);
    ReleaseObject(presenter.context);
    ReleaseObject(presenter.device);
    if (presenter.runtime != nullptr) {
        FreeLibrary(static_cast<HMODULE>(presenter.runtime));
        presenter.runtime = nullptr;
    }
}
