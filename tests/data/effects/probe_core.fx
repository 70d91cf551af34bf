// A core.fx that tells its passes apart: pass 0 overwrites with red = 1 and blue =
// div / 8, pass 1 adds 1 to green, pass 2 halves green. Only the order 0, 1, 1, 1, 2
// leaves green at 1.5.
uniform float4x4 projMat;
float div = 1;
sampler2D srcColBuf0;
sampler2D srcColBuf1;
varying vec2 uv;
void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }
vec4 first() { return vec4(1.0, 0.0, div / 8.0, 0.0); }
vec4 add() { return vec4(0.0, 1.0, 0.0, 0.0); }
vec4 halve() { return vec4(1.0, 0.5, 1.0, 1.0); }
technique T {
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf first();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = false; }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf add();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(One, One); }
  pass { VertexProgram = compile glslv screenVertex(); FragmentProgram = compile glslf halve();
         DepthTestEnable = false; CullFaceEnable = false; BlendEnable = true; BlendFunc = int2(Zero, SrcColor); }
}
