#pragma once
// What both GPU presenters draw: the triangle over a dark-blue clear, the same on every backend.

// Position in clip space, then colour; 28 bytes per vertex.
struct TriangleVertex {
    float x, y, z;
    float r, g, b, a;
};
static_assert(sizeof(TriangleVertex) == 28);

constexpr TriangleVertex TRIANGLE[3] = {
    {0.0f, 0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f},
    {0.45f, -0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f},
    {-0.45f, -0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f},
};
constexpr float CLEAR_COLOUR[4] = {0.0f, 0.2f, 0.4f, 1.0f};
