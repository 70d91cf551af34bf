// One pass, no blending: the fragment is "shMqoColor" as set by the renderer.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
void flatVertex() { gl_Position = shVProjMat * gl_Vertex; }
vec4 flatColour() { return shMqoColor; }
technique Flat { pass Colour {
  VertexProgram = compile glslv flatVertex();
  FragmentProgram = compile glslf flatColour();
} }
