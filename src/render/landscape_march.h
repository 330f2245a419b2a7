#pragma once
#include "render/landscape.h"
#include "render/landscape_views.h"

// The fast column march: the same samples, rows and colours as the reference march, with
// what is constant within a frame taken from tables and the view fixed at compile time.
// Only samples that are drawn are shaded; `light` is left as the last sample sets it.
void MarchLandscape(Landscape& landscape, const ViewSetup& view, const FrameBytes& bytes);
