#pragma once
#include "render/landscape.h"

// RenderLandscape written sample by sample as the show's description reads, through the
// installed coordinate and row functions: the oracle the fast renderer is held to, byte for
// byte, including light, the slope biases, the chosen maps and table, and the intermediate.
void RenderLandscapeReference(Landscape& landscape);
