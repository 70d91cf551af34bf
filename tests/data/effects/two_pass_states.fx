// Two passes that both change states: blending, then alpha testing and no depth writes.
uniform float4x4 shVProjMat;
float4 shMqoColor = float4(1, 1, 1, 1);
void vertexMain() { gl_Position = shVProjMat * gl_Vertex; }
vec4 green() { return vec4(0.0, 1.0, 0.0, 1.0); }
technique T {
  pass Blend {
    VertexProgram = compile glslv vertexMain();
    FragmentProgram = compile glslf green();
    BlendEnable = true;
    BlendFunc = int2(One, One);
  }
  pass Test {
    VertexProgram = compile glslv vertexMain();
    FragmentProgram = compile glslf green();
    AlphaTestEnable = true;
    AlphaFunc = float2(Greater, 0.5);
    DepthMask = false;
  }
}
