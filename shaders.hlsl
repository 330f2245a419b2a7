// Shaders of the Direct3D 11 presenter: one triangle with a colour per corner, in clip space.
// The program compiles "VShader" for vs_5_0 and "PShader" for ps_5_0 from this file.

struct VertexOut {
    float4 position : SV_POSITION;
    float4 colour : COLOR;
};

VertexOut VShader(float4 position : POSITION, float4 colour : COLOR) {
    VertexOut result;
    result.position = position;
    result.colour = colour;
    return result;
}

float4 PShader(float4 position : SV_POSITION, float4 colour : COLOR) : SV_TARGET {
    return colour;
}
