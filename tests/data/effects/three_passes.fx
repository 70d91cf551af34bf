// Three passes adding red, green and blue a quarter each.
uniform float4x4 projMat;
varying vec2 uv;
void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }
vec4 add(float r, float g, float b) { return vec4(r, g, b, 0.0); }
technique T {
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf add(0.25, 0.0, 0.0);
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(One, One); }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf add(0.0, 0.25, 0.0);
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(One, One); }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf add(0.0, 0.0, 0.25);
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(One, One); }
}
