// The test show's post effect: both lines screen-blended as the default effect
// does, then turned into their negative.
uniform float4x4 projMat;
sampler2D srcCBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcCBuf1 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 negative() {
  vec3 base = clamp(texture2D(srcCBuf0, uv).rgb, 0.0, 1.0);
  vec3 upper = clamp(texture2D(srcCBuf1, uv).rgb, 0.0, 1.0);
  return vec4((1.0 - base) * (1.0 - upper), 1.0);
}

technique Invert {
  pass Negative {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf negative();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
