#pragma once
#include <string>

#include "backends/win32/d3d_presenter.h"

// Compiles the entry points VShader (vs_5_0) and PShader (ps_5_0) of the HLSL file at `path` with
// the system's shader compiler, loaded for the purpose and let go afterwards, and sets them on the
// presenter's context with the input layout of its vertices. On failure gives one line naming the
// file (or the compiler's library) and the reason, the compiler's messages included.
bool BuildD3dShaders(D3dPresenter& presenter, const char* path, std::string& failure);
