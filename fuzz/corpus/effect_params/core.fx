// Anti-aliasing by accumulation: each jittered sample of a scene (srcColBuf0) is
// added into the line's screen with weight 1/div. Pass 0 starts the sum with the
// first sample, pass 1 adds every further one, pass 2 makes the result opaque.
// Adding by blending keeps the screen (srcColBuf1) from being read while written.
uniform float4x4 projMat;
float div = 1;
sampler2D srcColBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcColBuf1;

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 weightedSample() { return texture2D(srcColBuf0, uv) / max(div, 1.0); }

vec4 opaque() { return vec4(0.0, 0.0, 0.0, 1.0); }

technique Accumulate {
  pass First {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf weightedSample();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
  pass Add {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf weightedSample();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = true;
    BlendFunc = int2(One, One);
    BlendEquation = FuncAdd;
  }
  pass Resolve {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf opaque();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
    ColorMask = bool4(false, false, false, true);
  }
}
