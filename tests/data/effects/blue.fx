// Outputs blue with the material's alpha whatever the material: proof that the line shader drew.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
void blueVertex() { gl_Position = shVProjMat * gl_Vertex; }
vec4 blue() { return vec4(0.0, 0.0, 1.0, shMqoColor.a); }
technique Blue { pass P {
  VertexProgram = compile glslv blueVertex();
  FragmentProgram = compile glslf blue();
} }
