// Shaders of the GPU presenter: one triangle with a colour per corner, in clip space.
// The program compiles this file twice, after a "#version 330 core" line of its own:
// once with VShader defined for the vertex stage, once with PShader for the fragment stage.

#ifdef VShader
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 colour;  // the vertex's alpha is in the buffer but not read
out vec4 cornerColour;

void main() {
    gl_Position = vec4(position, 1.0);
    cornerColour = vec4(colour, 1.0);
}
#endif

#ifdef PShader
in vec4 cornerColour;
out vec4 pixelColour;

void main() {
    pixelColour = cornerColour;
}
#endif
